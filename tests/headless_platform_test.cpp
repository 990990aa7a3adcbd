#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless_platform.h"

namespace gd {
namespace {

// Records what the backend reports, and presents a frame on each garland tick.
class Recorder : public WindowEvents {
 public:
  explicit Recorder(HeadlessPlatform& p) : p_(p) {}
  void Shown() override { log.push_back("show@" + std::to_string(p_.Now())); }
  void Tick(TimerId id) override {
    if (throwOnTick) throw std::runtime_error("tick failed");
    log.push_back(std::string(id == TimerId::Garland ? "garland" : "snow") + "@" + std::to_string(p_.Now()));
    if (id == TimerId::Garland) {
      p_.PresentFrame(p_.LendBuffer(2, 2, 255), WholeRows(2, 2), WholeRows(2, 2));
      p_.FrameRendered();
    }
  }
  void PointerPressed(MouseButton, Point, uint32_t) override { log.push_back("mouse"); }
  // As the core does: the right button's release opens the menu.
  void PointerReleased(MouseButton button, Point, uint32_t) override {
    if (button == MouseButton::Right) p_.ShowPopupMenu({PopupMenuItem{}});
  }
  void MenuItemChosen(std::string_view name) override {
    log.push_back("choose " + std::string(name));
    if (name == "pmiExit") p_.CloseWindow();
  }
  bool CloseRequested() override {
    log.push_back("closequery");
    if (throwOnClose) throw std::runtime_error("save failed");
    return allowClose;
  }
  void Destroyed() override { log.push_back("destroy"); }

  std::vector<std::string> log;
  bool allowClose = true;
  bool throwOnTick = false;
  bool throwOnClose = false;

 private:
  HeadlessPlatform& p_;
};

HeadlessOptions Unlimited() {
  HeadlessOptions o;
  o.frames = 0;
  o.at = LocalDateTime{2026, 12, 20, 10, 0, 0, 0};
  return o;
}

TEST(HeadlessTimers, FireInTimeOrderFirstStartedFirstOnATie) {
  HeadlessPlatform p(Unlimited());
  Recorder r(p);
  ASSERT_TRUE(p.MakeDesktopOrnament(nullptr));
  p.SetTimer(TimerId::Garland, 20);
  p.SetTimer(TimerId::CountSnow, 200);
  p.Show(r);
  p.RunFor(200);
  ASSERT_EQ(r.log.size(), 12u);
  EXPECT_EQ(r.log[0], "show@0");
  EXPECT_EQ(r.log[1], "garland@20");
  EXPECT_EQ(r.log[10], "garland@200");  // started first, so first at 200 ms
  EXPECT_EQ(r.log[11], "snow@200");
  EXPECT_EQ(p.FramesRendered(), 10u);
}

TEST(HeadlessTimers, NewIntervalCountsFromNow) {
  HeadlessPlatform p(Unlimited());
  Recorder r(p);
  p.SetTimer(TimerId::Garland, 20);
  p.Show(r);
  p.RunFor(25);
  p.SetTimer(TimerId::Garland, 10);
  EXPECT_EQ(p.TimerInterval(TimerId::Garland), 10u);
  p.RunFor(20);
  EXPECT_EQ(r.log.back(), "garland@45");
  EXPECT_EQ(r.log[r.log.size() - 2], "garland@35");
}

// The lifecycle the backends share: nothing before the show, an error leaving
// the core is shown and the timers go on, a close whose query fails still
// destroys the window once, and nothing reaches the core after that.
TEST(WindowLifecycle, ShowsCoreErrorsAndDestroysOnce) {
  HeadlessPlatform p(Unlimited());
  Recorder r(p);
  p.SetTimer(TimerId::Garland, 20);
  EXPECT_FALSE(p.RequestClose());  // not shown yet: nothing to close
  p.Press(MouseButton::Left);
  EXPECT_TRUE(r.log.empty());
  p.Show(r);
  r.throwOnTick = true;
  p.RunFor(40);
  r.throwOnTick = false;
  p.RunFor(20);
  r.throwOnClose = true;
  EXPECT_TRUE(p.RequestClose());
  EXPECT_TRUE(p.RequestClose());
  p.Choose("pmiExit");
  EXPECT_EQ(r.log, (std::vector<std::string>{"show@0", "garland@60", "closequery", "destroy"}));
  ASSERT_EQ(p.Messages().size(), 3u);
  EXPECT_EQ(p.Messages()[0].second, "tick failed");
  EXPECT_EQ(p.Messages()[2].second, "save failed");
}

TEST(HeadlessClock, TickCountWrapsAndLocalTimeFollowsVirtualTime) {
  HeadlessOptions o = Unlimited();
  o.tickStart = 4294967290u;
  o.at = LocalDateTime{2026, 12, 31, 23, 59, 59, 990};
  HeadlessPlatform p(o);
  Recorder r(p);
  p.SetTimer(TimerId::Garland, 20);
  p.Show(r);
  EXPECT_EQ(p.TickCount(), 4294967290u);
  p.RunFor(20);
  EXPECT_EQ(p.TickCount(), 14u);
  EXPECT_EQ(p.LocalTime(), (LocalDateTime{2027, 1, 1, 0, 0, 0, 10}));
}

TEST(HeadlessClock, LocalTimeKeepsTheCalendarOutsideTheUnixEra) {
  // Before 1970 and past 2038 alike: a leap day in 1900 that is not one, and
  // the turn of 2100.
  const std::pair<LocalDateTime, LocalDateTime> cases[] = {
      {{1900, 2, 28, 23, 59, 59, 990}, {1900, 3, 1, 0, 0, 0, 10}},
      {{1601, 12, 31, 23, 59, 59, 995}, {1602, 1, 1, 0, 0, 0, 15}},
      {{2099, 12, 31, 23, 59, 59, 990}, {2100, 1, 1, 0, 0, 0, 10}},
  };
  for (const auto& [start, end] : cases) {
    HeadlessOptions o = Unlimited();
    o.at = start;
    HeadlessPlatform p(o);
    Recorder r(p);
    p.SetTimer(TimerId::Garland, 20);
    p.Show(r);
    p.RunFor(20);
    EXPECT_EQ(p.LocalTime(), end) << start.year;
  }
}

TEST(HeadlessLoop, StopsAfterTheAskedFramesAndClosesTheWindow) {
  HeadlessOptions o = Unlimited();
  o.frames = 3;
  HeadlessPlatform p(o);
  Recorder r(p);
  p.MakeDesktopOrnament(nullptr);
  p.SetTimer(TimerId::Garland, 20);
  EXPECT_EQ(p.RunMessageLoop(r), 0);
  EXPECT_EQ(p.FramesRendered(), 3u);
  EXPECT_TRUE(p.Closed());
  EXPECT_EQ(r.log.back(), "destroy");
  EXPECT_EQ(r.log[r.log.size() - 2], "closequery");
}

TEST(HeadlessLoop, ChosenExitClosesThroughTheCloseQuery) {
  HeadlessOptions o = Unlimited();
  o.choose = {"pmiFast", "pmiExit", "pmiSlow"};
  HeadlessPlatform p(o);
  Recorder r(p);
  p.SetTimer(TimerId::Garland, 20);
  EXPECT_EQ(p.RunMessageLoop(r), 0);
  EXPECT_EQ(r.log, (std::vector<std::string>{"show@0", "mouse", "choose pmiFast", "mouse", "choose pmiExit", "closequery",
                                             "destroy"}));
}

TEST(HeadlessLoop, RefusedCloseKeepsTheWindow) {
  HeadlessPlatform p(Unlimited());
  Recorder r(p);
  r.allowClose = false;
  p.Show(r);
  EXPECT_FALSE(p.RequestClose());
  EXPECT_FALSE(p.Closed());
}

TEST(HeadlessWindow, ProbeSeesCoveredPointsAndTheRegion) {
  HeadlessPlatform p(Unlimited());
  p.SetWindowSize(300, 260);
  p.MoveWindow(100, 50);
  Region shape(Rect{0, 0, 300, 260});
  shape.Subtract({0, 0, 10, 10});
  p.SetWindowRegion(shape);
  EXPECT_TRUE(p.IsWindowVisibleAt(175, 90));
  EXPECT_FALSE(p.IsWindowVisibleAt(105, 55));  // cut away by the shape
  EXPECT_FALSE(p.IsWindowVisibleAt(99, 90));   // outside the window
  p.CoveredPoints().push_back({175, 90});
  EXPECT_FALSE(p.IsWindowVisibleAt(175, 90));
}

TEST(HeadlessFrames, SnapshotIsUnpremultipliedWithTheConstantAlpha) {
  FrameBuffer f(2, 1);
  // Blue 100 at alpha 200 premultiplied is 78; a blended byte above its alpha clamps.
  uint8_t px[8] = {78, 0, 250, 200, 9, 9, 9, 0};
  std::copy(px, px + 8, f.pixels.begin());
  RgbaImage img = FrameToRgba(f, 255);
  EXPECT_EQ(img.pixels[0], 255);  // red 250 over alpha 200 clamps
  EXPECT_EQ(img.pixels[2], 99);   // blue 78 * 255 / 200 = 99.45
  EXPECT_EQ(img.pixels[3], 200);
  EXPECT_EQ(img.pixels[7], 0);  // fully transparent stays black and transparent
  EXPECT_EQ(img.pixels[4], 0);
  EXPECT_EQ(FrameToRgba(f, 57).pixels[3], 45);  // 200 * 57 / 255
  const std::vector<uint8_t> inside = {0, 1};
  EXPECT_EQ(FrameToRgba(f, 255, &inside).pixels[3], 0);  // cut away by the window's shape
}

// The window checks every frame against the one it showed before: a pixel
// that changed outside the frame's damage is an error the run fails with.
TEST(HeadlessFrames, APixelChangedOutsideTheDamageIsAnError) {
  HeadlessPlatform p(Unlimited());
  ASSERT_TRUE(p.MakeDesktopOrnament(nullptr));
  const auto present = [&p](int changedX, const RowStretches& damage) {
    const Platform::LentBuffer b = p.LendBuffer(4, 2, 255);
    std::fill(b.pixels, b.pixels + 4 * 2 * 4, uint8_t{0});
    if (changedX >= 0) b.pixels[changedX * 4] = 9;
    return p.PresentFrame(b, WholeRows(4, 2), damage);
  };
  const RowStretches shortDamage = {{0, 2}, {0, 0}};
  EXPECT_TRUE(present(-1, WholeRows(4, 2)));
  EXPECT_TRUE(present(1, shortDamage));
  EXPECT_TRUE(p.ContractError().empty());
  EXPECT_FALSE(present(3, shortDamage));
  EXPECT_EQ(p.ContractError(), "frame 3 changed pixel (3, 0) outside its damage");
  std::string error;
  EXPECT_FALSE(p.WriteOutputs(&error));
  EXPECT_EQ(error, p.ContractError());
}

}  // namespace
}  // namespace gd
