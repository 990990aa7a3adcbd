#include "scene/compositor.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "scene/countdown.h"

namespace gd {

Compositor::Compositor(const SceneCatalogue& catalogue)
    : catalogue_(catalogue), imgDay_(&RequireSceneImage(catalogue, "imgDay")) {
  for (size_t i = 0; i < kFixedPictureCount; ++i) fixedPictures_[i] = &RequireSceneImage(catalogue, kFixedPictureNames[i]);
  // The series are found by their built names once, not on every frame.
  skySprites_ = ResolveSkySprites(catalogue);
  snowSprites_ = ResolveSnowSprites(catalogue);
}

void Compositor::SetScale(int quarters) {
  device_.SetScale(catalogue_, quarters);
  keptSkyDraws_.clear();
  frameOverKept_ = false;
}

void Compositor::SetBase(const FrameBuffer& base) {
  std::vector<const SceneImage*> pictures;
  for (const SceneImage* picture : fixedPictures_) pictures.push_back(&device_.Of(*picture));
  fixedLayers_.Build(base, std::move(pictures));
  keptSkyDraws_.clear();
  frameOverKept_ = false;
}

const FrameBuffer& Compositor::Compose(SceneState& scene, Random& random, const FrameRequest& request,
                                       DrawObserver* observer) {
  observer_ = observer;
  // The sky strip, where the previous call's sky step left it; then the sky
  // step, which moves the sky, sun and moon and notes where they are drawn.
  skyDraws_.clear();
  skyDraws_.push_back({imgDay_, 45, scene.sky.SkyOffset});
  SkyStep(scene.sky, request.step, skySprites_, *this);
  for (const Layer& layer : kLayers) DrawLayer(layer, scene, random, request);
  observer_ = nullptr;
  return frame_;
}

void Compositor::AdvanceUnseen(SceneState& scene, bool step) const {
  struct DrawsNothing : ScenePainter {
    void Draw(const SceneImage&, int, int) override {}
  } nothing;
  // The snow, the fixed layers and the plaque change no state without snow.
  SkyStep(scene.sky, step, skySprites_, nothing);
}

void Compositor::DrawLayer(const Layer& layer, SceneState& scene, Random& random, const FrameRequest& request) {
  switch (layer.kind) {
    case LayerKind::Sky:
      ComposeSky();
      break;
    case LayerKind::Snow:
      if (request.snowFalls) DrawSnowLayers(layer.first, layer.last, scene, random);
      break;
    case LayerKind::Fixed:
      DrawFixed(static_cast<size_t>(layer.first));
      break;
    case LayerKind::Countdown:
      if (request.countdownDays) DrawCountdown(*request.countdownDays);
      break;
  }
}

void Compositor::Draw(const SceneImage& image, int x, int y) { skyDraws_.push_back({&image, x, y}); }

void Compositor::Blend(const SceneImage& image, int x, int y) {
  // The scene's place, times the display scale, with the picture at that scale.
  const SceneImage& picture = device_.Of(image);
  const int dx = device_.Place(x), dy = device_.Place(y);
  BlendImage(frame_, picture, dx, dy, fixedLayers_.Visible(nextFixedLayer_));
  NoteDrawnOver(dx, dy, picture.width, picture.height);
  Report(image, x, y);
}

void Compositor::NoteDrawnOver(int x, int y, int width, int height) {
  const Rect r{std::max(x, 0), std::max(y, 0), std::min(x + width, frame_.width), std::min(y + height, frame_.height)};
  if (r.Empty()) return;
  drawnOver_ = drawnOver_.Empty() ? r
                                  : Rect{std::min(drawnOver_.left, r.left), std::min(drawnOver_.top, r.top),
                                         std::max(drawnOver_.right, r.right), std::max(drawnOver_.bottom, r.bottom)};
}

void Compositor::RestoreKeptSky() {
  const size_t rowBytes = static_cast<size_t>(frame_.width) * 4;
  for (int y = 0; y < frame_.height; ++y) {
    int left = frame_.width, right = 0;
    const auto take = [&](std::pair<int, int> columns) {
      if (columns.first >= columns.second) return;
      left = std::min(left, columns.first);
      right = std::max(right, columns.second);
    };
    take(fixedLayers_.Columns(kHome, y));
    take(fixedLayers_.Columns(kForeground, y));
    if (y >= drawnOver_.top && y < drawnOver_.bottom) take({drawnOver_.left, drawnOver_.right});
    if (left < right)
      std::memcpy(frame_.Row(y) + left * 4, keptSky_.pixels.data() + y * rowBytes + left * 4,
                  static_cast<size_t>(right - left) * 4);
  }
}

void Compositor::DrawFixed(size_t picture) {
  fixedLayers_.Draw(frame_, picture);
  nextFixedLayer_ = picture + 1;
  Report(*fixedPictures_[picture], 0, 0);
}

void Compositor::ComposeSky() {
  if (!keptSkyDraws_.empty() && skyDraws_ == keptSkyDraws_) {
    if (frameOverKept_)
      RestoreKeptSky();
    else
      frame_ = keptSky_;
    frameOverKept_ = true;
    nextFixedLayer_ = kLandscape + 1;
    if (observer_) {
      Report(*skyDraws_[0].image, skyDraws_[0].x, skyDraws_[0].y);
      Report(*fixedPictures_[kStars], 0, 0);
      for (size_t i = 1; i < skyDraws_.size(); ++i) Report(*skyDraws_[i].image, skyDraws_[i].x, skyDraws_[i].y);
      Report(*fixedPictures_[kLandscape], 0, 0);
    }
    lastSkyKept_ = true;
  } else {
    // Where a fixed picture is opaque its colour is already in place.
    frame_ = fixedLayers_.Start();
    nextFixedLayer_ = 0;
    Blend(*skyDraws_[0].image, skyDraws_[0].x, skyDraws_[0].y);
    DrawFixed(kStars);
    for (size_t i = 1; i < skyDraws_.size(); ++i) Blend(*skyDraws_[i].image, skyDraws_[i].x, skyDraws_[i].y);
    DrawFixed(kLandscape);
    // Keeping costs a copy, worth it only when the sky stands for a while:
    // after calls that started from the kept frame (the sky has just taken a
    // step) or when it did not move since the previous call. At the fastest
    // speed it moves on every call and nothing is kept.
    frameOverKept_ = lastSkyKept_ || skyDraws_ == lastSkyDraws_;
    if (frameOverKept_) {
      keptSky_ = frame_;
      keptSkyDraws_ = skyDraws_;
    }
    lastSkyKept_ = false;
  }
  drawnOver_ = Rect{};
  std::swap(lastSkyDraws_, skyDraws_);
}

void Compositor::DrawSnowLayers(int first, int last, SceneState& scene, Random& random) {
  flakes_.clear();
  const SnowDriftState& drift = scene.drift;
  for (int layer = first; layer <= last; ++layer)
    UpdateSnowLayer(layer, scene.snow,
                    layer == 1 ? drift.SnowCount1 : layer == 2 ? drift.SnowCount2 : drift.SnowCount3, random,
                    snowSprites_, flakes_);
  const std::vector<PlacedImage>* drawn = &flakes_;
  if (device_.Scaled()) {
    deviceFlakes_.clear();
    for (const PlacedImage& f : flakes_) deviceFlakes_.push_back({&device_.Of(*f.image), device_.Place(f.x), device_.Place(f.y)});
    drawn = &deviceFlakes_;
  }
  BlendImages(frame_, drawn->data(), drawn->size(), fixedLayers_.Visible(nextFixedLayer_));
  if (!drawn->empty()) {
    int left = (*drawn)[0].x, top = (*drawn)[0].y, right = left, bottom = top;
    for (const PlacedImage& f : *drawn) {
      left = std::min(left, f.x);
      top = std::min(top, f.y);
      right = std::max(right, f.x + f.image->width);
      bottom = std::max(bottom, f.y + f.image->height);
    }
    NoteDrawnOver(left, top, right - left, bottom - top);
  }
  if (observer_)
    for (const PlacedImage& f : flakes_) Report(*f.image, f.x, f.y);
}

void Compositor::DrawCountdown(int32_t days) {
  if (countdownDays_ != days) PlaceCountdownDraws(days);
  for (const PlacedImage& d : countdownDraws_) Blend(*d.image, d.x, d.y);
}

void Compositor::PlaceCountdownDraws(int32_t days) {
  const auto widthOf = [this](std::string_view name) -> std::optional<int> {
    const SceneImage* image = catalogue_.FindSceneImage(name);
    return image ? std::optional<int>(image->width) : std::nullopt;
  };
  // The word in the user's language where the program has its picture;
  // "day" and "days" otherwise.
  std::string label = TranslatedLabelImage(days);
  if (!label.empty() && !catalogue_.FindSceneImage(label)) label.clear();
  countdownDraws_.clear();
  for (const CountdownDraw& d : PlaceCountdown(days, widthOf, label))
    countdownDraws_.push_back({catalogue_.FindSceneImage(d.name), d.x, d.y});
  countdownDays_ = days;
}

}  // namespace gd
