// The frame compositor: one complete picture of the globe per timer tick,
// drawn back to front from the base layer up, then presented.
#include <cstdio>

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
  const Point pos = platform_.WindowPosition();
  return platform_.IsWindowVisibleAt(pos.x + kProbePoint1.x, pos.y + kProbePoint1.y) ||
         platform_.IsWindowVisibleAt(pos.x + kProbePoint2.x, pos.y + kProbePoint2.y);
}

void TfrmMain::Draw(const SceneImage& image, int x, int y) {
  BlendImage(frame_, image, x, y, fixedLayers_.Visible(nextFixedLayer_));
  TraceDraw(image, x, y);
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

void TfrmMain::RenderFrame() {
  if (!BaseBitmap_) return;
  tracing_ = platform_.Tracing();
  traceDraws_.clear();

  // 1. Visibility probe: it gates the snow only.
  const bool windowExposed = WindowExposed();
  const bool snowFalls = SnowEnabled_ && windowExposed;

  // 2. A fresh frame from the base layer (the buffer is reused; nothing is
  // kept). Where a fixed picture is opaque its colour is already in place.
  frame_ = fixedLayers_.Start();
  nextFixedLayer_ = 0;

  // 3. Step clock.
  const bool isStepTick = StepClock();

  // 4. Sky strip, where the previous call's sky step left it, and the stars.
  Draw(*imgDay_, 45, sky_.SkyOffset);
  DrawFixed(kStars);
  // 5. Sky, sun and moon.
  SkyStep(sky_, isStepTick, skySprites_, *this);
  // 6. Landscape.
  DrawFixed(kLandscape);
  // 7. Snow layer 1, behind the house.
  if (snowFalls) UpdateSnowLayer(1, snow_, drift_.SnowCount1, random_, snowSprites_, *this);
  // 8. House.
  DrawFixed(kHome);
  // 9. Snow layers 2 and 3, in front of the house.
  if (snowFalls) {
    UpdateSnowLayer(2, snow_, drift_.SnowCount2, random_, snowSprites_, *this);
    UpdateSnowLayer(3, snow_, drift_.SnowCount3, random_, snowSprites_, *this);
  }
  // 10. Foreground: glass rim and stand.
  DrawFixed(kForeground);
  // 11. Countdown.
  DrawCountdown();

  if (tracing_) {
    std::string fields = std::string("\"step\": ") + (isStepTick ? "true" : "false") +
                         ", \"opacity\": " + std::to_string(Opacity_) + ", \"draws\": [" + traceDraws_ + "]";
    platform_.Trace("frame", fields);
  }
  // 12. Present.
  PresentFrame(frame_, kFramePresentFailure);
  platform_.FrameRendered();
}

}  // namespace gd
