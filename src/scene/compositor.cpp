// The frame compositor: one complete picture of the globe per timer tick,
// drawn back to front from the base layer up, then presented.
#include <cstdio>

#include "app/main_window.h"
#include "scene/blend.h"

namespace gd {

bool TfrmMain::StepClock() {
  const uint32_t elapsed = platform_.TickCount() - LastStepTick_;  // wraps correctly
  if (static_cast<int64_t>(elapsed) > static_cast<int64_t>(StepDelayMs_)) {
    LastStepTick_ = platform_.TickCount();
    return true;
  }
  return false;
}

void TfrmMain::Draw(const SceneImage& image, int x, int y) {
  BlendImage(frame_, image, x, y);
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
  const Point pos = platform_.WindowPosition();
  const bool windowExposed =
      platform_.IsWindowVisibleAt(pos.x + 75, pos.y + 40) || platform_.IsWindowVisibleAt(pos.x + 220, pos.y + 220);
  (void)windowExposed;

  // 2. A fresh frame from the base layer.
  frame_ = *BaseBitmap_;

  // 3. Step clock.
  const bool isStepTick = StepClock();

  // 4. Sky strip and stars.
  Draw(*imgDay_, 45, SkyOffset_);
  Draw(*imgStars_, 0, 0);
  // 5. Sky, sun and moon.
  // 6. Landscape.
  Draw(*imgLandscape_, 0, 0);
  // 7. Snow layer 1.
  // 8. House.
  Draw(*imgHome_, 0, 0);
  // 9. Snow layers 2 and 3.
  // 10. Foreground: glass rim and stand.
  Draw(*img3_, 0, 0);
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
