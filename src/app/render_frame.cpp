// One tick of the frame timer: whether the window can be seen, whether this
// call is an animation step, the frame from the compositor in a buffer the
// window lends, then the present.
#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "scene/step_clock.h"

namespace gd {
namespace {

// The frame's draws as the trace writes them: ["name", x, y], ...
// (the stirred snow's apart, for a line of its own).
class TracedDraws : public DrawObserver {
 public:
  void OnDraw(const SceneImage& image, int x, int y) override { Add(text, image, x, y); }
  void OnStirredDraw(const SceneImage& image, int x, int y) override { Add(stirred, image, x, y); }
  std::string text, stirred;

 private:
  static void Add(std::string& to, const SceneImage& image, int x, int y) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s[\"%s\", %d, %d]", to.empty() ? "" : ", ", image.name.c_str(), x, y);
    to += buf;
  }
};

}  // namespace

bool MainWindow::StepClock(uint32_t now) {
  if (!IsStepDue(now, lastStepTick_, stepDelayMs_)) return false;
  lastStepTick_ = now;
  return true;
}

bool MainWindow::WindowExposed() {
  // A window that cannot tell counts as seen.
  if (!capabilities_.canTellWhetherCovered) return true;
  // The second point is asked only when the first does not show this window.
  // The points are the globe's, in device pixels like the window's place.
  const DevicePictures& device = compositor_.Device();
  const Point pos = position_;
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
  request.snowFalls = choices_.snow && WindowExposed();
  request.step = StepClock(lastFrameTick_);
  request.countdownDays = CountdownDays();
  request.tick = lastFrameTick_;
  TracedDraws draws;
  // Straight into the window's buffer, brought up to date where it lacks
  // the previous frame.
  const int width = compositor_.FrameWidth(), height = compositor_.FrameHeight();
  const Platform::LentBuffer buffer = platform_.LendBuffer(width, height, opacity_);
  ComposeTarget into;
  if (buffer.pixels && buffer.width == width && buffer.height == height && buffer.stride >= width * 4) {
    into.memory = FrameBuffer::InLentMemory(buffer.pixels, width, height, buffer.stride);
    into.lacks = presented_.Lacks(buffer.age);
  }
  const FrameBuffer& frame = compositor_.Compose(scene_, random_, request, trace ? &draws : nullptr, into);
  if (trace) {
    trace->Write("frame", std::string("\"step\": ") + (request.step ? "true" : "false") +
                                 ", \"opacity\": " + std::to_string(opacity_) + ", \"draws\": [" + draws.text + "]");
    // The stirred snow, while any of it is in flight and when the last comes to rest.
    const int32_t stirred = scene_.stirred.flying;
    if (stirred > 0 || stirred != tracedStirred_)
      trace->Write("stir", "\"flying\": " + std::to_string(stirred) + ", \"draws\": [" + draws.stirred + "]");
    tracedStirred_ = stirred;
  }
  PresentFrame(buffer, frame, compositor_.Changed(), into.memory.lent ? &compositor_.Composed() : nullptr,
               kFramePresentFailure);
  platform_.FrameRendered();
}

}  // namespace gd
