// Where the globe stands on desktops of several monitors: a place on any
// monitor is kept, a place on none comes back whole onto the nearest one's
// work area, a monitor unplugged while the globe runs brings it back, and a
// Size chosen keeps it on its own monitor, at every scale.
#include <gtest/gtest.h>

#include "globe_fixture.h"
#include "settings/placement.h"

namespace gd {
namespace {

constexpr Size kWindow{300, 260};

Monitor Screen(int w, int h, int x, int y, bool primary = false, int panelBelow = 0) {
  return Monitor{{x, y, x + w, y + h}, {x, y, x + w, y + h - panelBelow}, primary};
}

TEST(Placement, KeepsAPlaceOnAnyMonitorAndBringsBackOneOnNone) {
  const Monitor primary = Screen(1920, 1080, 0, 0, true, 40);
  const struct {
    const char* layout;
    std::vector<Monitor> monitors;
    Point saved, want;
  } rows[] = {
      {"second monitor to the right", {primary, Screen(1280, 1024, 1920, 0)}, {2500, 400}, {2500, 400}},
      {"second monitor to the left", {primary, Screen(1280, 1024, -1280, 0)}, {-1000, 300}, {-1000, 300}},
      {"second monitor above", {primary, Screen(1280, 1024, 0, -1024)}, {100, -800}, {100, -800}},
      {"primary at negative coordinates", {Screen(1280, 1024, 0, 0), Screen(1920, 1080, -1920, -200, true)},
       {-1800, -300}, {-1800, -300}},
      // As with one screen: what hangs off within the limits stays.
      {"just within the limits", {primary}, {-70, -140}, {-70, -140}},
      {"the right monitor is gone", {primary}, {2500, 400}, {550, 400}},
      {"the left monitor is gone", {primary}, {-1000, 300}, {550, 300}},
      {"the resolution shrank", {Screen(1280, 720, 0, 0, true, 40)}, {1500, 600}, {550, 420}},
      {"past the far monitor", {primary, Screen(1280, 1024, 1920, 0)}, {4000, 300}, {2470, 300}},
      {"far above the upper monitor", {primary, Screen(1280, 1024, 0, -1024)}, {100, -3000}, {100, -674}},
      {"a monitor smaller than the window", {Screen(200, 100, 0, 0, true)}, {900, 900}, {0, 0}},
  };
  for (const auto& row : rows) {
    const Point got = KeepOnMonitors(row.saved, kWindow, row.monitors);
    EXPECT_EQ(got.x, row.want.x) << row.layout;
    EXPECT_EQ(got.y, row.want.y) << row.layout;
  }
}

TEST(Placement, TheFirstRunCornerIsOnThePrimaryMonitorWhereverItIs) {
  const std::vector<Monitor> monitors{Screen(1280, 1024, -1280, 0), Screen(1920, 1080, 0, 0, true, 40)};
  const Point corner = CornerPlace(kWindow, monitors);
  EXPECT_EQ(corner.x, 1920 - 300 - 5);
  EXPECT_EQ(corner.y, 1040 - 260);
}

// Every place decision for a globe at scale 2 (600 by 520 device pixels), on
// a primary monitor with a taskbar and a second monitor left of it.
TEST(Placement, EveryPlaceDecisionAtScale2) {
  constexpr Size kGlobe{600, 520};
  const Monitor primary = Screen(1920, 1080, 0, 0, true, 40);
  const std::vector<Monitor> both{primary, Screen(1280, 1024, -1280, 0)};
  const struct {
    const char* what;
    PlaceRequest request;
    std::vector<Monitor> monitors;
    Point want;
  } rows[] = {
      {"a first run: the work area's corner", {PlaceReason::FirstRun, {}, {}}, both, {1315, 520}},
      {"a saved place on the left monitor", {PlaceReason::Saved, {-900, 300}, {}}, both, {-900, 300}},
      {"a saved place on no monitor", {PlaceReason::Saved, {-3000, 300}, {}}, both, {-730, 300}},
      {"a drop on no monitor stays", {PlaceReason::Dropped, {-3000, 300}, {}}, both, {-3000, 300}},
      {"the system's scale keeps the top-left corner", {PlaceReason::ScaleChanged, {1500, 700}, {300, 260}}, both,
       {1500, 700}},
      {"a Size on the left monitor stays on it", {PlaceReason::SizeChosen, {-900, 300}, {300, 260}}, both,
       {-1200, 40}},
      {"a Size in the primary's corner", {PlaceReason::SizeChosen, {1615, 780}, {300, 260}}, both, {1315, 520}},
      {"a Size at the top-left corner", {PlaceReason::SizeChosen, {0, 0}, {300, 260}}, both, {0, 0}},
      {"a monitor gone: the whole globe on the work area", {PlaceReason::MonitorsChanged, {2500, 700}, {}},
       {primary}, {550, 520}},
      {"a place on a monitor stays when the monitors change", {PlaceReason::MonitorsChanged, {-900, 300}, {}}, both,
       {-900, 300}},
      {"at random on a work area smaller than the globe", {PlaceReason::AtRandom, {}, {}},
       {Screen(200, 100, 0, 0, true)}, {0, 0}},
  };
  for (const auto& row : rows) {
    Random random;
    const Point got = PlaceGlobe(row.request, kGlobe, row.monitors, random);
    EXPECT_EQ(got.x, row.want.x) << row.what;
    EXPECT_EQ(got.y, row.want.y) << row.what;
  }
}

// Size 200 % on a monitor left of the primary one: the bottom-right corner
// stays, on that monitor (not pushed onto the primary one at x = 0).
TEST(Placement, ASizeChosenOnTheLeftMonitorKeepsTheGlobeThere) {
  HeadlessOptions options = testing::GlobeOptions();
  options.monitors = {Screen(1920, 1080, 0, 0, true), Screen(1280, 1024, -1280, 0)};
  testing::Globe g(options);
  g.Put("Left", -900);
  g.Put("Top", 300);
  g.Show();
  g.platform.Choose("pmiSize200");
  EXPECT_EQ(g.platform.WindowPosition().x, -1200);
  EXPECT_EQ(g.platform.WindowPosition().y, 40);
  g.platform.RequestClose();
  EXPECT_EQ(g.Stored()["Left"], -1200);
}

// At scale 2 a monitor unplugged brings back the 600 by 520 globe on screen,
// whole: its bottom on the work area, not 140 pixels below the screen.
TEST(Placement, AMonitorUnpluggedAtScale2BringsTheWholeGlobeBack) {
  HeadlessOptions options = testing::GlobeOptions();
  options.scaleQuarters = 8;
  options.monitors = {Screen(1920, 1080, 0, 0, true, 40), Screen(1280, 1024, 1920, 0)};
  testing::Globe g(options);
  g.Put("Left", 2500);
  g.Put("Top", 700);
  g.Show();
  ASSERT_EQ(g.window.BaseBitmap()->height, 520);
  g.platform.SetMonitors({Screen(1920, 1080, 0, 0, true, 40)});
  EXPECT_EQ(g.platform.WindowPosition().x, 550);
  EXPECT_EQ(g.platform.WindowPosition().y, 520);
}

TEST(Placement, AGlobeOnAMonitorUnpluggedWhileItRunsComesBack) {
  HeadlessOptions options = testing::GlobeOptions();
  options.monitors = {Screen(1920, 1080, 0, 0, true), Screen(1280, 1024, 1920, 0)};
  testing::Globe g(options);
  g.Put("Left", 2500);
  g.Put("Top", 400);
  g.Show();
  EXPECT_EQ(g.platform.WindowPosition().x, 2500);
  g.platform.SetMonitors({Screen(1920, 1080, 0, 0, true), Screen(1280, 1024, 1920, 0), Screen(800, 600, 3200, 0)});
  EXPECT_EQ(g.platform.WindowPosition().x, 2500) << "a monitor added moves nothing";
  g.platform.SetMonitors({Screen(1920, 1080, 0, 0, true)});
  EXPECT_EQ(g.platform.WindowPosition().x, 550);
  EXPECT_EQ(g.platform.WindowPosition().y, 400);
  g.platform.RequestClose();
  EXPECT_EQ(g.Stored()["Left"], 550);
}

}  // namespace
}  // namespace gd
