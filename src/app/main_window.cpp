#include "app/main_window.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "app/base_layer.h"
#include "app/window_shape.h"

namespace gd {

TfrmMain::TfrmMain(Platform& platform, const SceneCatalogue& catalogue, std::vector<std::string> args)
    : platform_(platform), catalogue_(catalogue), args_(std::move(args)) {
  imgTree_ = &RequireSceneImage(catalogue_, "imgTree");
  imgMask_ = &RequireSceneImage(catalogue_, "imgMask");
  imgDay_ = &RequireSceneImage(catalogue_, "imgDay");
  imgStars_ = &RequireSceneImage(catalogue_, "imgStars");
  imgLandscape_ = &RequireSceneImage(catalogue_, "imgLandscape");
  imgHome_ = &RequireSceneImage(catalogue_, "imgHome");
  img3_ = &RequireSceneImage(catalogue_, "img3");
  // The series are found by their built names once, not on every frame.
  skySprites_ = ResolveSkySprites(catalogue_);
  snowSprites_ = ResolveSnowSprites(catalogue_);
  if (!imgTree_->png || !imgMask_->bitmap)
    throw std::runtime_error("The globe pictures of the program are damaged.");
  FormCreate();
  // Both timers run from the window's creation; their ticks reach the window
  // through the message loop, after it has been shown.
  platform_.SetTimer(TimerId::Garland, kGarlandIntervalMs);
  platform_.SetTimer(TimerId::CountSnow, kCountSnowIntervalMs);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate() { PrepareBaseLayer(); }

void TfrmMain::FormShow() {
  // The globe at the system's display scale.
  ApplyScale(platform_.SystemScaleQuarters(), false);
  // The snow's records, all unspawned, and the sun and moon at their rising points.
  CreateSnowParticles(snow_);
  PlaceSunAndMoon(sky_);
  // Cut the window to the globe's outline, once.
  platform_.SetWindowRegion(RegionFromMask(*device_.Of(*imgMask_).bitmap));
  platform_.SetOwnerToDesktop();
  ComputeCountdownDates();
  // Places the window and applies the saved choices, the opacity among them.
  LoadSettings();
  platform_.HideTaskbarButton();
  platform_.SetOwnerToDesktop();
  shown_ = true;
  RenderFrame();
}

void TfrmMain::OnTimer(TimerId id) {
  if (destroyed_) return;
  // An error that leaves a timer handler is shown; the timer keeps running.
  try {
    if (id == TimerId::Garland)
      TimerGarlandTimer();
    else
      timerCountSnowTimer();
  } catch (const std::exception& e) {
    platform_.ShowMessage(e.what(), MessageKind::Error);
  }
}

void TfrmMain::FormMouseDown(MouseButton /*button*/) { platform_.BeginMoveDrag(); }

// Every close saves the settings: the Exit command, the window manager, the
// end of the desktop session. A failing save is reported and the close still
// goes ahead, so the program can always be closed.
bool TfrmMain::FormCloseQuery() {
  if (!settingsLoaded_ || destroyed_) return true;
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    platform_.ShowMessage(e.what(), MessageKind::Error);
  }
  return true;
}

void TfrmMain::FormDestroy() {
  destroyed_ = true;
  BaseBitmap_.reset();
  BasePng_.reset();
}

void TfrmMain::PrepareBaseLayer() {
  std::string error;
  if (!platform_.SetLayeredStyle(&error)) platform_.ShowMessage(error, MessageKind::Error);
  BasePng_ = std::make_unique<TPngPicture>(*imgTree_->png);
  if (device_.Scaled()) {
    // The globe at the display scale: its picture as it is, premultiplied.
    const SceneImage& tree = device_.Of(*imgTree_);
    BaseBitmap_ = std::make_unique<FrameBuffer>(tree.width, tree.height);
    BaseBitmap_->pixels = tree.bgra;
  } else {
    BaseBitmap_ = std::make_unique<FrameBuffer>(BasePng_->ToBitmap());
    const uint8_t colorType = BasePng_->Header().ColorType();
    if (colorType == 6 || colorType == 4) CopyPngAlpha(*BaseBitmap_, *BasePng_);
  }
  Premultiply(*BaseBitmap_);
  fixedLayers_.Build(*BaseBitmap_, {&device_.Of(*imgStars_), &device_.Of(*imgLandscape_), &device_.Of(*imgHome_),
                                    &device_.Of(*img3_)});  // FixedLayer order
  keptSkyDraws_.clear();  // made on the old base layer
  frameOverKept_ = false;
  platform_.SetWindowSize(BaseBitmap_->width, BaseBitmap_->height);
  PresentFrame(*BaseBitmap_, kBaseLayerPresentFailure);
}

void TfrmMain::ApplyScale(int quarters, bool keepCorner) {
  quarters = ClampScaleQuarters(quarters);
  if (quarters == device_.Quarters()) return;
  const Point was = platform_.WindowPosition();
  const int wasWidth = BaseBitmap_ ? BaseBitmap_->width : imgTree_->width;
  const int wasHeight = BaseBitmap_ ? BaseBitmap_->height : imgTree_->height;
  device_.SetScale(catalogue_, quarters);
  if (!destroyed_) PrepareBaseLayer();
  if (shown_) platform_.SetWindowRegion(RegionFromMask(*device_.Of(*imgMask_).bitmap));
  if (keepCorner && BaseBitmap_) {
    // The bottom-right corner stays, as long as the top-left one stays on
    // the screen.
    const Size screen = platform_.ScreenSize();
    int left = was.x + wasWidth - BaseBitmap_->width, top = was.y + wasHeight - BaseBitmap_->height;
    if (screen.width > 0) left = std::clamp(left, 0, std::max(0, screen.width - BaseBitmap_->width));
    if (screen.height > 0) top = std::clamp(top, 0, std::max(0, screen.height - BaseBitmap_->height));
    platform_.MoveWindow(left, top);
  }
}

void TfrmMain::OnSystemScaleChanged() {
  // A size of its own keeps the globe as it is.
  if (destroyed_ || !menu_.Checked("pmiSizeAuto")) return;
  ApplyScale(platform_.SystemScaleQuarters(), false);
  if (shown_) RenderFrame();
}

void TfrmMain::SetOpacity(uint8_t value) {
  BaseBitmap_.reset();
  BasePng_.reset();
  Opacity_ = value;
  PrepareBaseLayer();
}

void TfrmMain::PresentFrame(const FrameBuffer& surface, const char* failureText) {
  if (platform_.PresentFrame(surface, Opacity_)) return;
  // The message box runs its own loop, in which further ticks may fail again:
  // while one failure message is open, no other is opened.
  if (presentFailureOpen_) return;
  presentFailureOpen_ = true;
  platform_.ShowMessage(failureText, MessageKind::Error);
  presentFailureOpen_ = false;
}

void TfrmMain::TimerGarlandTimer() { RenderFrame(); }

void TfrmMain::timerCountSnowTimer() {
  DriftSnowCounts(drift_, random_);
  if (platform_.Tracing()) {
    platform_.Trace("drift", "\"counts\": [" + std::to_string(drift_.SnowCount1) + ", " +
                                 std::to_string(drift_.SnowCount2) + ", " + std::to_string(drift_.SnowCount3) + "]");
  }
}

}  // namespace gd
