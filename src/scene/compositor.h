// The frame compositor: one complete picture of the globe per call, drawn back
// to front from the base layer up, in the one order of kLayers.
//
// It owns the frame it draws into (reused from call to call), the fixed
// pictures worked out once per base layer (see FixedLayers) and the kept sky:
// the frame up to the landscape (strip, stars, sun and moon), which changes
// only on animation steps and then only where the strip can show and where
// the sun and moon were or are. Each call brings the kept sky up to date
// where its draws changed, and the previous frame up to date where the sky
// changed, where flakes were or are now and where the plaque changed: only
// that rectangle is composed again, and the call says which it was
// (Changed). Every draw, composed or not, is reported to the observer in
// drawing order, so the frame always equals the base layer with the reported
// draws blended by the formula.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/frame_buffer.h"
#include "base/geometry.h"
#include "base/random.h"
#include "images/catalogue.h"
#include "scene/blend.h"
#include "scene/device_pictures.h"
#include "scene/fixed_layers.h"
#include "scene/painter.h"
#include "scene/sky.h"
#include "scene/snow.h"
#include "scene/snow_drift.h"
#include "scene/stirred_snow.h"

namespace gd {

// Told of every picture a frame draws, in drawing order (the trace is one).
class DrawObserver {
 public:
  virtual void OnDraw(const SceneImage& image, int x, int y) = 0;
  // A flake of the stirred snow, drawn in its place in the order.
  virtual void OnStirredDraw(const SceneImage& image, int x, int y) { OnDraw(image, x, y); }

 protected:
  ~DrawObserver() = default;
};

// The scene's moving parts, which composing steps.
struct SceneState {
  SkyState sky;
  SnowState snow;
  SnowDriftState drift;
  StirredSnowState stirred;
};

// Memory a frame may be composed in instead of the compositor's own: a
// buffer a window lends, the frame's size (a view, FrameBuffer::InLentMemory),
// which holds the previous call's frame but in `lacks` (a stretch of each
// row; null: it holds nothing known).
struct ComposeTarget {
  FrameBuffer memory;
  const RowStretches* lacks = nullptr;
};

// What one call draws besides the scene's state.
struct FrameRequest {
  bool step = false;       // an animation step: the sky, sun and moon advance
  bool snowFalls = false;  // the snow moves and is drawn
  std::optional<int32_t> countdownDays;  // the number on the plaque; none: no number
  uint32_t tick = 0;       // the tick count of the call: the stirred snow's clock
};

// The layers, back to front. The sky is the strip, the stars, the sun and
// moon and the landscape; adding a layer is one entry here and one case in
// Compositor::DrawLayer.
enum class LayerKind { Sky, Snow, Stirred, Fixed, Countdown };
struct Layer {
  LayerKind kind;
  int first = 0;  // Snow: the first snow layer drawn; Fixed: the fixed picture (FixedPicture)
  int last = 0;   // Snow: the last snow layer drawn
};
// The pictures always drawn whole at (0, 0), back to front, by name.
enum FixedPicture : size_t { kStars, kLandscape, kHome, kForeground, kFixedPictureCount };
inline constexpr const char* kFixedPictureNames[kFixedPictureCount] = {"imgStars", "imgLandscape", "imgHome", "img3"};
inline constexpr Layer kLayers[] = {
    {LayerKind::Sky},
    {LayerKind::Snow, 1, 1},  // behind the house
    {LayerKind::Fixed, kHome},
    {LayerKind::Snow, 2, 3},  // in front of the house
    {LayerKind::Stirred},     // the snow a shake lifts off the mound
    {LayerKind::Fixed, kForeground},  // glass rim and stand
    {LayerKind::Countdown},
};

class Compositor : private ScenePainter {
 public:
  // Finds the pictures it draws; a missing one is an error that says which.
  explicit Compositor(const SceneCatalogue& catalogue);

  // Draws at the display scale `quarters` (base/scale.h) from now on: the
  // pictures at that scale, each at its logical place times the scale; the
  // draws reported stay logical. A base of the scale's size follows.
  void SetScale(int quarters);
  const DevicePictures& Device() const { return device_; }
  // Starts every frame from `base` from now on (the base layer is rebuilt
  // when the opacity or the scale changes); forgets the kept sky, made on the
  // old one.
  void SetBase(const FrameBuffer& base);

  // The frame's size: the base layer's.
  int FrameWidth() const { return fixedLayers_.Start().width; }
  int FrameHeight() const { return fixedLayers_.Start().height; }

  // Composes one frame, stepping `scene` and drawing with `random` as the
  // request says, and reports each draw to `observer` (may be null). It is
  // composed in `into` when that has memory, bringing it up to date where
  // it lacks the previous frame; otherwise in memory of its own, which holds
  // the previous frame when that was composed there too.
  const FrameBuffer& Compose(SceneState& scene, Random& random, const FrameRequest& request, DrawObserver* observer,
                             const ComposeTarget& into = {});
  // Where the last Compose call's frame may differ from the one before it
  // (device pixels), row by row; the whole frame after a new base or scale.
  const RowStretches& Changed() const { return changed_; }
  // Where the last call wrote its frame: what changed and what its memory
  // lacked. Elsewhere the memory was left as it was.
  const RowStretches& Composed() const { return area_; }
  // Steps `scene` exactly as a Compose call without snow would, and draws
  // nothing: a frame nobody can see.
  void AdvanceUnseen(SceneState& scene, bool step) const;

 private:
  // Notes the sky step's sun and moon in skyDraws_.
  void Draw(const SceneImage& image, int x, int y) override;
  void DrawLayer(size_t index, const FrameRequest& request);
  // Blends one picture where the fixed pictures still to come leave it
  // visible (and within `within`'s stretches).
  void Blend(FrameBuffer& target, const SceneImage& image, int x, int y, const RowStretches* within = nullptr);
  // Draws what is left of a fixed picture at (0, 0), within area_.
  void DrawFixed(size_t picture);
  void Report(const SceneImage& image, int x, int y) {
    if (observer_) observer_->OnDraw(image, x, y);
  }
  // Brings the kept sky to this call's sky draws, and the frame to the kept
  // sky within area_ (the whole frame when the previous one was not made on it).
  void ComposeSky(const FrameRequest& request);
  // Draws the kept sky afresh within `within` from this call's sky draws.
  void DrawSky(const RowStretches& within);
  // Adds to `rows` where the kept sky changes when its draws go from `kept`
  // to `now`.
  void AddSkyChange(const std::vector<PlacedImage>& kept, const std::vector<PlacedImage>& now, RowStretches& rows);
  // For each row of the strip at the display scale, the first row of the
  // run of identical rows it is in: two rows hold the same pixels when
  // their keys are equal (worked out once a scale).
  const std::vector<uint32_t>& StripRowKeys(const SceneImage& strip);
  // Steps every snow layer and the stirred snow, in order, into flakes_ and
  // snowRows_.
  void StepSnow(SceneState& scene, Random& random, uint32_t tick);
  void DrawCountdown(int32_t days);
  void PlaceCountdownDraws(int32_t days);
  // The frame's size is the base layer's.
  Rect WholeFrame() const { return Rect{0, 0, FrameWidth(), FrameHeight()}; }

  const SceneCatalogue& catalogue_;
  const SceneImage* imgDay_;
  const SceneImage* fixedPictures_[kFixedPictureCount];
  SkySprites skySprites_;
  SnowSprites snowSprites_;
  StirredSprites stirredSprites_;
  GlassOutline glass_;  // where the stirred snow may go

  FrameBuffer frame_;  // reused between calls, or a view of a ComposeTarget's memory
  FixedLayers fixedLayers_;
  size_t nextFixedLayer_ = 0;  // the fixed picture the frame has reached
  DrawObserver* observer_ = nullptr;
  RowStretches area_;     // what this call composes (see Composed)
  RowStretches changed_;  // of which where the frame changed (see Changed)
  const RowStretches* lacks_ = nullptr;  // this call's target's

  // The kept sky (see the top of this file): the frame up to the landscape
  // for the sky draws that made it (none: nothing kept yet).
  std::vector<PlacedImage> skyDraws_;      // this call's
  std::vector<PlacedImage> keptSkyDraws_;
  FrameBuffer keptSky_;
  RowStretches skyRows_;  // where the kept sky was last drawn again
  std::vector<uint32_t> stripKeys_;
  const SceneImage* stripKeysFor_ = nullptr;
  // Whether frame_ is the previous call's frame, made on keptSky_: a call
  // then composes only what changed.
  bool frameOnKept_ = false;
  // The flakes of this call, one list per entry of kLayers (the snow
  // layers' and the stirred snow's only), the same at the display scale, and the rectangle that
  // holds them there; the previous call's.
  std::vector<std::vector<PlacedImage>> flakes_, deviceFlakes_;
  RowStretches snowRows_, lastSnowRows_;
  // The plaque's pictures and places for one number of days, worked out
  // when the number changes (finding pictures by name costs more than
  // drawing them), and the rectangle they cover at the display scale.
  std::optional<int32_t> countdownDays_;
  std::vector<PlacedImage> countdownDraws_;
  Rect countdownBox_;
  // The plaque the previous call drew (none: no number) and where.
  std::optional<int32_t> lastDays_;
  Rect lastCountdownBox_;
  DevicePictures device_;                  // the pictures at the display scale
};

}  // namespace gd
