// The main window `frmMain`: the owner of all program state, and the handlers
// that the backend's events reach. State is grouped by the part of the program
// that owns it, each with its fixed start values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/frame_buffer.h"
#include "app/random.h"
#include "app/region.h"
#include "calendar/countdown_dates.h"
#include "images/catalogue.h"
#include "platform/platform.h"
#include "scene/blend.h"
#include "scene/device_pictures.h"
#include "scene/fixed_layers.h"
#include "scene/painter.h"
#include "scene/sky.h"
#include "scene/snow.h"
#include "scene/snow_drift.h"
#include "settings/menu.h"

namespace gd {

// Timer intervals and step delays, in milliseconds.
inline constexpr uint32_t kGarlandIntervalMs = 20;
inline constexpr uint32_t kGarlandQuickIntervalMs = 10;
inline constexpr uint32_t kCountSnowIntervalMs = 200;

// The failure texts of a present.
inline constexpr const char* kBaseLayerPresentFailure = "No!!!!!";
inline constexpr const char* kFramePresentFailure = "UpdateLayeredWindow error";

// The compositor's probe points, relative to the window's top-left corner:
// one on the glass at its upper left, one on the wooden stand.
inline constexpr Point kProbePoint1{75, 40};
inline constexpr Point kProbePoint2{220, 220};

struct Speed;
struct DisplaySize;

class TfrmMain : public WindowEvents, private ScenePainter {
 public:
  // Creates the window: takes the decoded catalogue and runs `FormCreate`.
  // `args` are the program's arguments after the options (the first one may
  // be "add").
  TfrmMain(Platform& platform, const SceneCatalogue& catalogue, std::vector<std::string> args);
  ~TfrmMain() override;

  // --- Lifecycle --------------------------------------------------------------
  void FormCreate();
  void FormShow() override;
  void OnTimer(TimerId id) override;
  void FormMouseDown(MouseButton button) override;
  void OnMenuItemChosen(std::string_view itemName) override;
  bool FormCloseQuery() override;
  void FormDestroy() override;
  const MenuModel* PopupMenu() const override { return &menu_; }

  // --- The layered surface ----------------------------------------------------
  void PrepareBaseLayer();
  void SetOpacity(uint8_t value);
  void PresentFrame(const FrameBuffer& surface, const char* failureText);

  // --- The display scale ------------------------------------------------------
  // Draws the globe at `quarters` (base/scale.h) from now on: a frame, base
  // layer and shape of that many device pixels, the scene unchanged. With
  // `keepCorner` the globe's bottom-right corner stays where it is (and on
  // the screen); otherwise its top-left corner does.
  void ApplyScale(int quarters, bool keepCorner);
  int ScaleQuarters() const { return device_.Quarters(); }
  void OnSystemScaleChanged() override;

  // --- The compositor ---------------------------------------------------------
  void TimerGarlandTimer();
  void RenderFrame();
  void timerCountSnowTimer();

  // --- The countdown ----------------------------------------------------------
  void ComputeCountdownDates();
  void DrawCountdown();

  // --- Settings -----------------------------------------------------------------
  void LoadSettings();
  void SaveSettings();
  // Seeds the random generator from the performance counter or the tick count.
  void Randomize();

  // --- Menu commands --------------------------------------------------------------
  void pmiAboutClick();
  void pmiSlowClick();
  void pmiNormalClick();
  void pmiFastClick();
  void pmiQuicklyClick();
  void pmiSizeAutoClick();
  void pmiSize100Click();
  void pmiSize125Click();
  void pmiSize150Click();
  void pmiSize175Click();
  void pmiSize200Click();
  void pmiSize250Click();
  void pmiSize300Click();
  void pmiChristmasClick();
  void pmiNewYearClick();
  void pmiJulianClick();
  void pmiSnowClick();
  void pmi0Click();
  void pmi10Click();
  void pmi20Click();
  void pmi30Click();
  void pmi40Click();
  void pmi50Click();
  void pmi60Click();
  void pmi70Click();
  void pmi80Click();
  void pmi90Click();
  void pmiOnTopClick();
  void pmiExitClick();
  // Runs an item's command without touching its mark; false when it has none.
  bool RunMenuCommand(std::string_view itemName);

  // --- Read access for tests and tools ------------------------------------------
  const FrameBuffer* BaseBitmap() const { return BaseBitmap_.get(); }
  uint8_t Opacity() const { return Opacity_; }
  int32_t StepDelayMs() const { return StepDelayMs_; }
  uint32_t LastStepTick() const { return LastStepTick_; }
  void SetStepClock(int32_t stepDelayMs, uint32_t lastStepTick) {
    StepDelayMs_ = stepDelayMs;
    LastStepTick_ = lastStepTick;
  }
  const MenuModel& Menu() const { return menu_; }
  bool SnowEnabled() const { return SnowEnabled_; }
  uint32_t TimerGarlandInterval() const { return TimerGarlandIntervalMs_; }
  Random& Rand() { return random_; }
  const SkyState& Sky() const { return sky_; }
  const SnowState& Snow() const { return snow_; }
  const SnowDriftState& Drift() const { return drift_; }

 private:
  // Checks a speed's item and sets the frame timer and the step delay.
  void ApplySpeed(const Speed& speed);
  // Checks a size's item and draws the globe at its scale.
  void ApplySize(const DisplaySize& size, bool keepCorner);
  // Applies the step clock: whether this call is an animation step.
  bool StepClock();
  // Whether the user can see the window at one of the two probe points.
  bool WindowExposed();
  // Blends one picture into the frame being composed, where the fixed
  // pictures still to come leave it visible, noting it in the trace (while
  // noteDraws_ is set, only notes it there).
  void Draw(const SceneImage& image, int x, int y) override;
  // Draws the fixed picture `layer` (see FixedLayer) at (0, 0): what is left
  // of it once the frame starts from FixedLayers::Start.
  void DrawFixed(size_t layer);
  void TraceDraw(const SceneImage& image, int x, int y);
  // The frame up to the landscape: the sky strip, the stars, the sun and moon
  // (the draws the sky step noted in skyDraws_) and the landscape.
  void ComposeSky();
  // Steps snow layers `first` to `last` and draws their flakes.
  void DrawSnowLayers(int first, int last);

  Platform& platform_;
  const SceneCatalogue& catalogue_;
  std::vector<std::string> args_;

  // The fixed pictures, resolved once when the window is created.
  const SceneImage* imgTree_ = nullptr;
  const SceneImage* imgMask_ = nullptr;
  const SceneImage* imgDay_ = nullptr;
  const SceneImage* imgStars_ = nullptr;
  const SceneImage* imgLandscape_ = nullptr;
  const SceneImage* imgHome_ = nullptr;
  const SceneImage* img3_ = nullptr;

  // Layered surface.
  std::unique_ptr<TPngPicture> BasePng_;
  std::unique_ptr<FrameBuffer> BaseBitmap_;
  uint8_t Opacity_ = 0;
  bool presentFailureOpen_ = false;  // one failure message at a time

  // Compositor: the step clock and the frame timer.
  int32_t StepDelayMs_ = 0;
  uint32_t TimerGarlandIntervalMs_ = kGarlandIntervalMs;
  uint32_t LastStepTick_ = 0;
  FrameBuffer frame_;  // reused between calls; rebuilt from the base layer each time
  // The fixed pictures, in drawing order, and what they hide (made with the base layer).
  enum FixedLayer : size_t { kStars, kLandscape, kHome, kForeground, kFixedLayerCount };
  FixedLayers fixedLayers_;
  size_t nextFixedLayer_ = 0;  // the fixed picture the frame has reached
  // What lies under the snow changes only when the sky moves: between two
  // animation steps every call draws the same strip, sun and moon at the same
  // places. The frame those layers make is kept with the draws that made it,
  // and a call with the same draws starts from it instead of drawing them.
  std::vector<PlacedImage> skyDraws_;      // this call's
  std::vector<PlacedImage> lastSkyDraws_;  // the previous call's
  std::vector<PlacedImage> keptSkyDraws_;  // those that made keptSky_ (none: nothing kept)
  FrameBuffer keptSky_;
  bool lastSkyKept_ = false;               // whether the previous call started from keptSky_
  // Whether frame_ is keptSky_ with only this over it: the leftovers of the
  // house and the glass front, and the pictures within `drawnOver_` (the
  // flakes and the countdown). A call that starts from keptSky_ then copies
  // back only those rows and columns instead of the whole frame.
  bool frameOverKept_ = false;
  Rect drawnOver_;
  void NoteDrawnOver(int x, int y, int width, int height);
  void RestoreKeptSky();
  // The flakes of the layers being stepped, drawn together once they are done.
  std::vector<PlacedImage> flakes_;
  std::vector<PlacedImage> deviceFlakes_;  // the same at the display scale
  // The pictures at the display scale.
  DevicePictures device_;
  // While set, Draw notes each draw here instead of blending it.
  std::vector<PlacedImage>* noteDraws_ = nullptr;
  bool tracing_ = false;
  std::string traceDraws_;  // the draws of the frame being composed, as JSON

  // The scene: sky, sun and moon; the snow; the snow's density.
  SkyState sky_;
  SkySprites skySprites_;
  SnowState snow_;
  SnowSprites snowSprites_;
  SnowDriftState drift_;

  // Countdown targets, fixed when the window is shown (none in year 9999).
  std::optional<CountdownTargets> countdownTargets_;

  // Menu: the check marks are the live settings.
  MenuModel menu_;
  // Snow: falls while true (and the window can be seen); set from pmiSnow.
  bool SnowEnabled_ = true;
  // Settings: saved at close only once they have been loaded, so that a
  // window that never finished showing cannot overwrite them with defaults.
  bool settingsLoaded_ = false;

  // The program-wide random generator.
  Random random_;

  bool shown_ = false;
  bool destroyed_ = false;
};

}  // namespace gd
