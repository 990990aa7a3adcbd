// The frame compositor: one complete picture of the globe per timer tick,
// drawn back to front from the base layer up, then presented.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "app/main_window.h"
#include "scene/blend.h"
#include "scene/step_clock.h"

namespace gd {

bool TfrmMain::StepClock() {
  if (!IsStepDue(platform_.TickCount(), LastStepTick_, StepDelayMs_)) return false;
  LastStepTick_ = platform_.TickCount();
  return true;
}

bool TfrmMain::WindowExposed() {
  // The second point is asked only when the first does not show this window.
  // The points are the globe's, in device pixels like the window's place.
  const Point pos = platform_.WindowPosition();
  return platform_.IsWindowVisibleAt(pos.x + device_.Place(kProbePoint1.x), pos.y + device_.Place(kProbePoint1.y)) ||
         platform_.IsWindowVisibleAt(pos.x + device_.Place(kProbePoint2.x), pos.y + device_.Place(kProbePoint2.y));
}

void TfrmMain::Draw(const SceneImage& image, int x, int y) {
  if (noteDraws_) {
    noteDraws_->push_back({&image, x, y});
    return;
  }
  // The scene's place, times the display scale, with the picture at that scale.
  const SceneImage& picture = device_.Of(image);
  const int dx = device_.Place(x), dy = device_.Place(y);
  BlendImage(frame_, picture, dx, dy, fixedLayers_.Visible(nextFixedLayer_));
  NoteDrawnOver(dx, dy, picture.width, picture.height);
  TraceDraw(image, x, y);
}

void TfrmMain::NoteDrawnOver(int x, int y, int width, int height) {
  const Rect r{std::max(x, 0), std::max(y, 0), std::min(x + width, frame_.width), std::min(y + height, frame_.height)};
  if (r.Empty()) return;
  drawnOver_ = drawnOver_.Empty() ? r
                                  : Rect{std::min(drawnOver_.left, r.left), std::min(drawnOver_.top, r.top),
                                         std::max(drawnOver_.right, r.right), std::max(drawnOver_.bottom, r.bottom)};
}

void TfrmMain::RestoreKeptSky() {
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

void TfrmMain::DrawFixed(size_t layer) {
  fixedLayers_.Draw(frame_, layer);
  nextFixedLayer_ = layer + 1;
  TraceDraw(*fixedLayers_.Image(layer), 0, 0);
}

void TfrmMain::TraceDraw(const SceneImage& image, int x, int y) {
  if (tracing_) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s[\"%s\", %d, %d]", traceDraws_.empty() ? "" : ", ", image.name.c_str(), x, y);
    traceDraws_ += buf;
  }
}

void TfrmMain::ComposeSky() {
  if (!keptSkyDraws_.empty() && skyDraws_ == keptSkyDraws_) {
    if (frameOverKept_)
      RestoreKeptSky();
    else
      frame_ = keptSky_;
    frameOverKept_ = true;
    nextFixedLayer_ = kLandscape + 1;
    if (tracing_) {
      TraceDraw(*skyDraws_[0].image, skyDraws_[0].x, skyDraws_[0].y);
      TraceDraw(*fixedLayers_.Image(kStars), 0, 0);
      for (size_t i = 1; i < skyDraws_.size(); ++i) TraceDraw(*skyDraws_[i].image, skyDraws_[i].x, skyDraws_[i].y);
      TraceDraw(*fixedLayers_.Image(kLandscape), 0, 0);
    }
    lastSkyKept_ = true;
  } else {
    frame_ = fixedLayers_.Start();
    nextFixedLayer_ = 0;
    Draw(*skyDraws_[0].image, skyDraws_[0].x, skyDraws_[0].y);
    DrawFixed(kStars);
    for (size_t i = 1; i < skyDraws_.size(); ++i) Draw(*skyDraws_[i].image, skyDraws_[i].x, skyDraws_[i].y);
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

void TfrmMain::DrawSnowLayers(int first, int last) {
  flakes_.clear();
  for (int layer = first; layer <= last; ++layer)
    UpdateSnowLayer(layer, snow_, layer == 1 ? drift_.SnowCount1 : layer == 2 ? drift_.SnowCount2 : drift_.SnowCount3,
                    random_, snowSprites_, flakes_);
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
  if (tracing_)
    for (const PlacedImage& f : flakes_) TraceDraw(*f.image, f.x, f.y);
}

void TfrmMain::RenderFrame() {
  if (!BaseBitmap_) return;
  tracing_ = platform_.Tracing();
  traceDraws_.clear();

  // 1. Visibility probe: it gates the snow only.
  const bool windowExposed = WindowExposed();
  const bool snowFalls = SnowEnabled_ && windowExposed;

  // 2. Step clock.
  const bool isStepTick = StepClock();

  // 3. Sky strip, where the previous call's sky step left it; then the sky
  // step, which moves the sky, sun and moon and notes where they are drawn.
  skyDraws_.clear();
  skyDraws_.push_back({imgDay_, 45, sky_.SkyOffset});
  noteDraws_ = &skyDraws_;
  SkyStep(sky_, isStepTick, skySprites_, *this);
  noteDraws_ = nullptr;

  // 4. A fresh frame from the base layer with the strip, the stars, the sun
  // and moon and the landscape on it (the buffer is reused), or the one an
  // earlier call made with the same draws. Where a fixed picture is opaque
  // its colour is already in place.
  ComposeSky();
  // 5. Snow layer 1, behind the house.
  if (snowFalls) DrawSnowLayers(1, 1);
  // 6. House.
  DrawFixed(kHome);
  // 7. Snow layers 2 and 3, in front of the house.
  if (snowFalls) DrawSnowLayers(2, 3);
  // 8. Foreground: glass rim and stand.
  DrawFixed(kForeground);
  // 9. Countdown.
  DrawCountdown();

  if (tracing_) {
    std::string fields = std::string("\"step\": ") + (isStepTick ? "true" : "false") +
                         ", \"opacity\": " + std::to_string(Opacity_) + ", \"draws\": [" + traceDraws_ + "]";
    platform_.Trace("frame", fields);
  }
  // 10. Present.
  PresentFrame(frame_, kFramePresentFailure);
  platform_.FrameRendered();
}

}  // namespace gd
