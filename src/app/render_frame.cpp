// One tick of the frame timer: whether the window can be seen, whether this
// call is an animation step, the frame from the compositor, then the present.
#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "scene/step_clock.h"

namespace gd {
namespace {

// The frame's draws as the trace writes them: ["name", x, y], ...
class TracedDraws : public DrawObserver {
 public:
  void OnDraw(const SceneImage& image, int x, int y) override {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s[\"%s\", %d, %d]", text.empty() ? "" : ", ", image.name.c_str(), x, y);
    text += buf;
  }
  std::string text;
};

}  // namespace

bool MainWindow::StepClock() {
  if (!IsStepDue(platform_.TickCount(), lastStepTick_, stepDelayMs_)) return false;
  lastStepTick_ = platform_.TickCount();
  return true;
}

bool MainWindow::WindowExposed() {
  // A window that cannot tell counts as seen.
  if (!platform_.Capabilities().canTellWhetherCovered) return true;
  // The second point is asked only when the first does not show this window.
  // The points are the globe's, in device pixels like the window's place.
  const DevicePictures& device = compositor_.Device();
  const Point pos = platform_.WindowPosition();
  return platform_.IsWindowVisibleAt(pos.x + device.Place(kProbePoint1.x), pos.y + device.Place(kProbePoint1.y)) ||
         platform_.IsWindowVisibleAt(pos.x + device.Place(kProbePoint2.x), pos.y + device.Place(kProbePoint2.y));
}

void MainWindow::RenderFrame() {
  // Nobody can see it: the frame is composed when somebody can again.
  if (!baseBitmap_ || !seen_) return;
  lastFrameTick_ = platform_.TickCount();
  TraceSink* trace = platform_.Tracer();
  // The visibility probe gates the snow only.
  FrameRequest request;
  request.snowFalls = snowEnabled_ && WindowExposed();
  request.step = StepClock();
  request.countdownDays = CountdownDays();
  TracedDraws draws;
  // Straight into the window's own memory, where it lends it.
  const Platform::FrameMemory memory =
      platform_.LendFrameMemory(compositor_.FrameWidth(), compositor_.FrameHeight(), opacity_);
  compositor_.ComposeInto(memory.pixels, memory.holdsLast);
  const FrameBuffer& frame = compositor_.Compose(scene_, random_, request, trace ? &draws : nullptr);
  if (trace) {
    trace->Write("frame", std::string("\"step\": ") + (request.step ? "true" : "false") +
                                 ", \"opacity\": " + std::to_string(opacity_) + ", \"draws\": [" + draws.text + "]");
  }
  // The compositor's changes are from its previous frame, which is what the
  // window was last given unless the base layer came in between.
  // (Two calls: one conditional expression would copy the rows every frame.)
  if (composedPresented_)
    PresentFrame(frame, compositor_.Changed(), kFramePresentFailure);
  else
    PresentFrame(frame, WholeRows(frame.width, frame.height), kFramePresentFailure);
  composedPresented_ = true;
  platform_.FrameRendered();
}

}  // namespace gd
