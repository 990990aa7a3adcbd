#include "app/main_window.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "app/base_layer.h"
#include "app/sight.h"
#include "app/window_shape.h"
#include "scene/step_clock.h"

namespace gd {

MainWindow::MainWindow(Platform& platform, const SceneCatalogue& catalogue, std::vector<std::string> args)
    : platform_(platform),
      catalogue_(catalogue),
      args_(std::move(args)),
      imgTree_(&RequireSceneImage(catalogue, "imgTree")),
      imgMask_(&RequireSceneImage(catalogue, "imgMask")),
      compositor_(catalogue) {
  // The language of the menu and the messages, for as long as the window lives.
  UseLanguages(platform_.UserLanguages());
  menu_.TranslateCaptions();
  if (!imgTree_->png || !imgMask_->bitmap)
    throw std::runtime_error(Tr("The globe pictures of the program are damaged."));
  PrepareBaseLayer();
  // Both timers run from the window's creation; their ticks reach the window
  // through the message loop, after it has been shown.
  platform_.SetTimer(TimerId::Garland, kGarlandIntervalMs);
  platform_.SetTimer(TimerId::CountSnow, kCountSnowIntervalMs, kCountSnowSlackMs);
}

MainWindow::~MainWindow() = default;

void MainWindow::Shown() {
  capabilities_ = platform_.Capabilities();
  // The globe at the system's display scale.
  ApplyScale(SystemScaleQuarters());
  // The snow's records, all unspawned, and the sun and moon at their rising points.
  CreateSnowParticles(scene_.snow);
  PlaceSunAndMoon(scene_.sky);
  // Cut the window to the globe's outline, once.
  platform_.SetWindowRegion(RegionFromMask(*compositor_.Device().Of(*imgMask_).bitmap));
  ComputeCountdownDates();
  // Places the window and applies the saved choices, the opacity among them
  // (which makes the window a desktop ornament again, see PrepareBaseLayer).
  LoadSettings();
  RenderFrame();
}

// An error that leaves a tick is shown by the lifecycle; the timer keeps running.
void MainWindow::Tick(TimerId id) {
  if (id == TimerId::Garland) {
    // Saving power, the frames come slower than the speed's; the calls in
    // between move the scene without drawing, so the sky keeps its pace.
    if (seen_ && powerSaving_) CatchUpUnseenFrames(true);
    if (seen_)
      RenderFrame();
    else
      CatchUpUnseenFrames();
    return;
  }
  DriftSnow();
  // While nobody can see the globe, the frame timer is stopped and the scene
  // keeps its time on the snow's slower timer.
  if (!seen_) CatchUpUnseenFrames();
  // Changes made since the last tick, in one write.
  if (settingsDue_) {
    settingsDue_ = false;
    WriteSettingsNow(false);
  }
}

uint32_t MainWindow::FrameTimerIntervalMs() const {
  return powerSaving_ ? std::max(frameIntervalMs_, kPowerSavingIntervalMs) : frameIntervalMs_;
}

void MainWindow::RestartFrameTimer() {
  if (seen_)
    platform_.SetTimer(TimerId::Garland, FrameTimerIntervalMs());
  else
    platform_.StopTimer(TimerId::Garland);
}

void MainWindow::CatchUpUnseenFrames(bool leaveOne) {
  // Longer unseen stretches (a machine that slept) move the scene by this
  // much at most, as a frame timer that missed its calls would not make them up.
  constexpr uint32_t kMostCatchUpMs = 60 * 60 * 1000;
  const uint32_t now = platform_.TickCount(), interval = frameIntervalMs_;
  const uint32_t leave = leaveOne ? interval : 0;
  if (now - lastFrameTick_ > kMostCatchUpMs) lastFrameTick_ = now - kMostCatchUpMs;
  while (now - lastFrameTick_ >= interval + leave) {
    lastFrameTick_ += interval;
    const bool step = IsStepDue(lastFrameTick_, lastStepTick_, stepDelayMs_);
    if (step) lastStepTick_ = lastFrameTick_;
    compositor_.AdvanceUnseen(scene_, step);
  }
}

void MainWindow::SightChanged(const Sight& sight) {
  sight_ = sight;
  ApplySeen(SeenFrom(sight_, keptOnTop_));
}

void MainWindow::ApplySeen(bool seen) {
  if (seen == seen_) return;
  if (!seen) {
    seen_ = false;
    RestartFrameTimer();
    return;
  }
  // The scene as the frames nobody saw left it; the next frame shows it,
  // one frame interval from now at most.
  CatchUpUnseenFrames();
  seen_ = true;
  RestartFrameTimer();
}

void MainWindow::PowerSavingChanged(bool on) {
  if (on == powerSaving_) return;
  if (!seen_) CatchUpUnseenFrames();  // at the old pace
  powerSaving_ = on;
  RestartFrameTimer();
}

void MainWindow::PointerPressed(MouseButton button, Point at, uint32_t /*time*/) { Act(gesture_.Pressed(button, at)); }

void MainWindow::PointerMoved(Point at, uint32_t /*time*/) {
  Act(gesture_.Moved(at, capabilities_.dragThreshold));
}

void MainWindow::PointerReleased(MouseButton button, Point /*at*/, uint32_t /*time*/) {
  Act(gesture_.Released(button));
}

void MainWindow::Act(PointerGesture::Act act) {
  switch (act) {
    case PointerGesture::Act::None:
      break;
    case PointerGesture::Act::MoveWindow:
      // Less motion asked for: a shake stirs the snow gently.
      scene_.stirred.gentle = platform_.PrefersReducedMotion();
      platform_.BeginMoveDrag();
      break;
    case PointerGesture::Act::OpenMenu:
      platform_.ShowPopupMenu(PopupMenuItems());
      break;
  }
}

void MainWindow::WindowMoved(Point position, uint32_t tick) {
  position_ = position;
  // The snow off or nobody looking: nothing to stir.
  if (!choices_.snow || !seen_) return;
  // The scene's logical pixels: the window's device pixels over the scale.
  const double scale = compositor_.Device().Quarters() / 4.0;
  scene_.stirred.WindowMoved(position.x / scale, position.y / scale, tick);
}

void MainWindow::MoveEnded() {
  TakePlace({PlaceReason::Dropped, position_, {}});
  SettingsChanged();
}

// Every close saves the settings: the Exit command, the window manager, the
// end of the desktop session. A save that fails is reported (an exception by
// the lifecycle, which then lets the close go ahead), so the program can
// always be closed.
bool MainWindow::CloseRequested() {
  if (settingsLoaded_) SaveSettings();
  return true;
}

void MainWindow::Destroyed() {
  baseBitmap_.reset();
  basePng_.reset();
}

void MainWindow::PrepareBaseLayer() {
  std::string error;
  if (!platform_.MakeDesktopOrnament(&error)) platform_.ShowMessage(error, MessageKind::Error);
  basePng_ = std::make_unique<PngImage>(*imgTree_->png);
  const DevicePictures& device = compositor_.Device();
  if (device.Scaled()) {
    // The globe at the display scale: its picture as it is, premultiplied.
    const SceneImage& tree = device.Of(*imgTree_);
    baseBitmap_ = std::make_unique<FrameBuffer>(tree.width, tree.height);
    baseBitmap_->pixels = tree.bgra;
  } else {
    baseBitmap_ = std::make_unique<FrameBuffer>(basePng_->ToBitmap());
    const uint8_t colorType = basePng_->Header().ColorType();
    if (colorType == 6 || colorType == 4) CopyPngAlpha(*baseBitmap_, *basePng_);
  }
  Premultiply(*baseBitmap_);
  compositor_.SetBase(*baseBitmap_);
  const int width = baseBitmap_->width, height = baseBitmap_->height;
  platform_.SetWindowSize(width, height);
  // Whatever the window holds, it is drawn anew.
  presented_.Forget(width, height);
  PresentFrame(platform_.LendBuffer(width, height, opacity_), *baseBitmap_, WholeRows(width, height), nullptr,
               kBaseLayerPresentFailure);
}

int MainWindow::SystemScaleQuarters() const { return ScaleQuartersOf(capabilities_.displayScale); }

Size MainWindow::GlobeSize() const {
  if (!baseBitmap_) return {imgTree_->width, imgTree_->height};
  return {baseBitmap_->width, baseBitmap_->height};
}

bool MainWindow::ApplyScale(int quarters) {
  quarters = ClampScaleQuarters(quarters);
  if (quarters == compositor_.Device().Quarters() || !baseBitmap_) return false;
  compositor_.SetScale(quarters);
  PrepareBaseLayer();
  platform_.SetWindowRegion(RegionFromMask(*compositor_.Device().Of(*imgMask_).bitmap));
  return true;
}

void MainWindow::ScaleChanged(double displayScale) {
  capabilities_.displayScale = displayScale;
  SettingsChanged();  // the system may have moved the window with its scale
  // A size of its own keeps the globe as it is.
  if (kSizes[choices_.size].percent != 0) return;
  const Point was = position_;
  const Size wasSize = GlobeSize();
  if (ApplyScale(SystemScaleQuarters())) TakePlace({PlaceReason::ScaleChanged, was, wasSize});
  RenderFrame();
}

void MainWindow::SetOpacity(uint8_t value) {
  baseBitmap_.reset();
  basePng_.reset();
  opacity_ = value;
  PrepareBaseLayer();
}

void MainWindow::PresentFrame(const Platform::LentBuffer& lent, const FrameBuffer& frame, const RowStretches& changed,
                              const RowStretches* composed, const char* failureText) {
  Platform::LentBuffer buffer = lent;
  if (buffer.width != frame.width || buffer.height != frame.height || buffer.stride < frame.width * 4)
    buffer.pixels = nullptr;  // not a buffer for this frame: none
  const RowStretches* written = composed;
  if (buffer.pixels && !written) {
    // Copied in where the buffer lacks it or it changed.
    written = &presented_.ToWrite(buffer.age, changed);
    for (int y = 0; y < frame.height; ++y) {
      const int from = std::clamp((*written)[y].first, 0, frame.width);
      const int to = std::clamp((*written)[y].second, from, frame.width);
      std::memcpy(buffer.pixels + static_cast<size_t>(y) * buffer.stride + static_cast<size_t>(from) * 4,
                  frame.Row(y) + static_cast<size_t>(from) * 4, static_cast<size_t>(to - from) * 4);
    }
  }
  const RowStretches& damage = presented_.Damage(changed);
  const bool shown = platform_.PresentFrame(buffer, written ? *written : damage, damage);
  // After a refusal nobody knows what the window's buffers hold.
  if (shown)
    presented_.Presented(buffer.pixels != nullptr);
  else
    presented_.Forget(frame.width, frame.height);
  if (shown) return;
  // The message box runs its own loop, in which further ticks may fail again:
  // while one failure message is open, no other is opened.
  if (presentFailureOpen_) return;
  presentFailureOpen_ = true;
  platform_.ShowMessage(Tr(failureText), MessageKind::Error);
  presentFailureOpen_ = false;
}

void MainWindow::DriftSnow() {
  const SnowDriftState& drift = scene_.drift;
  DriftSnowCounts(scene_.drift, random_);
  if (TraceSink* trace = platform_.Tracer()) {
    trace->Write("drift", "\"counts\": [" + std::to_string(drift.SnowCount1) + ", " +
                                 std::to_string(drift.SnowCount2) + ", " + std::to_string(drift.SnowCount3) + "]");
  }
}

}  // namespace gd
