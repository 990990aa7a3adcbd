// The main window's spine on the headless backend: creation, the base layer,
// the window's shape and the order in which the window is set up.
#include <gtest/gtest.h>

#include "app/base_layer.h"
#include "app/main_window.h"
#include "app/sight.h"
#include "art_files.h"
#include "platform/headless/headless_platform.h"

namespace gd {
namespace {

HeadlessOptions Options() {
  HeadlessOptions o;
  o.frames = 0;
  o.at = LocalDateTime{2026, 12, 20, 10, 0, 0, 0};
  return o;
}

TEST(BaseLayer, PremultipliesByTruncatingDivision) {
  FrameBuffer f(4, 1);
  const uint8_t px[16] = {200, 0, 0, 100,  //
                          254, 0, 0, 1,    //
                          0, 0, 255, 128,  //
                          90, 91, 92, 0};
  std::copy(px, px + 16, f.pixels.begin());
  Premultiply(f);
  EXPECT_EQ(f.pixels[0], 78);   // 200 x 100 div 255
  EXPECT_EQ(f.pixels[4], 0);    // 254 x 1 div 255
  EXPECT_EQ(f.pixels[10], 128);  // 255 x 128 div 255
  EXPECT_EQ(f.pixels[11], 128);  // alpha unchanged
  for (int i = 12; i < 16; ++i) EXPECT_EQ(f.pixels[i], 0);
}

TEST(BaseLayer, IsTheGlobePremultipliedAndStableAcrossRebuilds) {
  const art_test::Picture tree = art_test::LoadPng("imgTree");
  ASSERT_TRUE(tree.ok) << tree.error;
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  const FrameBuffer& base = *form.BaseBitmap();
  ASSERT_EQ(base.width, 300);
  ASSERT_EQ(base.height, 260);
  for (int y = 0; y < 260; ++y)
    for (int x = 0; x < 300; ++x) {
      const int a = tree.A(x, y);
      const uint8_t* b = base.Pixel(x, y);
      ASSERT_EQ(b[3], a);
      ASSERT_EQ(b[0], tree.B(x, y) * a / 255) << x << "," << y;
      ASSERT_EQ(b[1], tree.G(x, y) * a / 255);
      ASSERT_EQ(b[2], tree.R(x, y) * a / 255);
    }
  const std::vector<uint8_t> first = base.pixels;
  form.MenuItemChosen("pmi90");
  form.MenuItemChosen("pmi90");
  EXPECT_EQ(form.BaseBitmap()->pixels, first);
}

TEST(MainWindow, CreationPresentsTheBaseLayerInvisibly) {
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  EXPECT_EQ(p.Presents(), 1u);
  EXPECT_EQ(p.LastConstantAlpha(), 0);
  EXPECT_EQ(p.WindowSize().width, 300);
  EXPECT_EQ(p.WindowSize().height, 260);
  EXPECT_FALSE(p.HasRegion());  // the shape comes with the show
  EXPECT_EQ(p.TimerInterval(TimerId::Garland), kGarlandIntervalMs);
  EXPECT_EQ(p.TimerInterval(TimerId::CountSnow), kCountSnowIntervalMs);
}

TEST(MainWindow, ShowCutsTheShapePlacesTheWindowAndRendersAtOnce) {
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  p.Show(form);
  EXPECT_TRUE(p.HasRegion());
  EXPECT_TRUE(p.IsDesktopOrnament());
  EXPECT_TRUE(p.Topmost());
  EXPECT_EQ(p.FramesRendered(), 1u);
  EXPECT_EQ(p.LastConstantAlpha(), 255);
  EXPECT_EQ(p.WindowPosition().x, 1920 - 300 - 5);
  EXPECT_EQ(p.WindowPosition().y, 1040 - 260);
}

TEST(MainWindow, ShapeIsExactlyTheMasksNonWhitePixels) {
  const art_test::Bitmap mask = art_test::LoadBmp("imgMask");
  ASSERT_TRUE(mask.ok) << mask.error;
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  p.Show(form);
  const Region& r = p.WindowRegion();
  int left = 300, right = -1, top = 260, bottom = -1;
  for (int y = 0; y < 260; ++y)
    for (int x = 0; x < 300; ++x) {
      ASSERT_EQ(r.Contains(x, y), !mask.White(x, y)) << x << "," << y;
      if (r.Contains(x, y)) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
  EXPECT_EQ(left, 47);
  EXPECT_EQ(right, 246);
  EXPECT_EQ(top, 11);
  EXPECT_EQ(bottom, 225);
  // Every row has at most one stretch inside, so the cuts are at most two a row.
  EXPECT_LE(r.Cuts().size(), 2u * 260);
}

TEST(MainWindow, TransparencyLevelsSetTheConstantAlpha) {
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  p.Show(form);
  form.MenuItemChosen("pmi90");
  EXPECT_EQ(p.LastConstantAlpha(), 57);
  EXPECT_EQ(form.Opacity(), 57);
  form.MenuItemChosen("pmi0");
  EXPECT_EQ(p.LastConstantAlpha(), 255);
}

// The left button moves the window at once; the right one opens the menu
// when it comes up, unless the mouse went past the drag threshold first,
// which moves the window instead.
TEST(MainWindow, TheLeftButtonMovesAndTheRightOneOpensTheMenuUnlessItDrags) {
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  p.Show(form);
  const Point at = p.WindowPosition();
  p.Press(MouseButton::Left);
  EXPECT_EQ(p.MoveDrags(), 1);
  p.Release();
  EXPECT_EQ(p.MenusShown(), 0);

  p.Press(MouseButton::Right);
  EXPECT_FALSE(p.DragTo({at.x + 8, at.y - 8})) << "within the threshold it is still a click";
  p.Release();
  EXPECT_EQ(p.MoveDrags(), 1);
  EXPECT_EQ(p.MenusShown(), 1);
  EXPECT_EQ(p.WindowPosition().x, at.x);

  p.Press(MouseButton::Right);
  EXPECT_TRUE(p.DragTo({at.x - 9, at.y}));
  p.Release();
  EXPECT_EQ(p.MoveDrags(), 2);
  EXPECT_EQ(p.MenusShown(), 1) << "a drag opens no menu";
  EXPECT_EQ(p.WindowPosition().x, at.x - 9);
}

TEST(MainWindow, FailedPresentsShowOneMessageEachAndTheNextTickTriesAgain) {
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  p.Show(form);
  p.SetPresentFails(true);
  p.RunFor(40);
  ASSERT_EQ(p.Messages().size(), 2u);
  EXPECT_EQ(p.Messages()[0].second, "UpdateLayeredWindow error");
  p.SetPresentFails(false);
  const uint64_t before = p.Presents();
  p.RunFor(20);
  EXPECT_EQ(p.Presents(), before + 1);
}

TEST(MainWindow, LayeredStyleFailureIsShownAndCreationGoesOn) {
  HeadlessPlatform p(Options());
  p.SetDesktopOrnamentFails(true);
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  ASSERT_GE(p.Messages().size(), 2u);
  EXPECT_EQ(p.Messages()[0].second, "Access is denied");
  EXPECT_EQ(p.Messages()[1].second, "No!!!!!");
  EXPECT_NE(form.BaseBitmap(), nullptr);
}

// What a backend knows, combined: any one fact hides the globe, except a
// fullscreen window over its monitor, over which a globe kept on top stays
// in sight unless that window has the monitor to itself. The on-top choice
// counts as soon as it is made.
TEST(MainWindow, SeenFromWhatTheBackendKnowsWithTheOnTopRule) {
  EXPECT_TRUE(SeenFrom(Sight{}, false));
  for (bool Sight::*fact : {&Sight::unmapped, &Sight::minimised, &Sight::covered, &Sight::screenSaver, &Sight::locked,
                            &Sight::sessionInactive, &Sight::displayAsleep, &Sight::noFrames}) {
    Sight sight;
    sight.*fact = true;
    EXPECT_FALSE(SeenFrom(sight, true));
  }
  EXPECT_FALSE(SeenFrom(Sight{.fullscreenOver = true, .fullscreenExclusive = true}, true));

  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  p.Show(form);
  ASSERT_TRUE(form.CurrentChoices().onTop);
  p.SetSight(Sight{.fullscreenOver = true});
  EXPECT_TRUE(form.Seen());
  form.MenuItemChosen("pmiOnTop");
  EXPECT_FALSE(form.Seen());
  EXPECT_FALSE(p.TimerInterval(TimerId::Garland));
  form.MenuItemChosen("pmiOnTop");
  EXPECT_TRUE(form.Seen());
}

// Unseen (wholly covered, minimised, a locked screen), the globe composes and
// presents nothing, yet afterwards shows what a globe that went on composing
// (covered at both probe points, so without snow) shows at the same time.
TEST(MainWindow, UnseenComposesNothingAndComesBackWithTheSameScene) {
  for (const char* speed : {"pmiSlow", "pmiQuickly"}) {
    SCOPED_TRACE(speed);
    HeadlessPlatform drawing(Options()), unseen(Options());
    MainWindow a(drawing, SceneCatalogue::Embedded(), {}), b(unseen, SceneCatalogue::Embedded(), {});
    drawing.Show(a);
    unseen.Show(b);
    a.MenuItemChosen(speed);
    b.MenuItemChosen(speed);
    drawing.RunFor(3000);
    unseen.RunFor(3000);

    const Point pos = drawing.WindowPosition();
    drawing.CoveredPoints() = {{pos.x + 75, pos.y + 40}, {pos.x + 220, pos.y + 220}};
    unseen.SetSeen(false);
    const uint64_t frames = unseen.FramesRendered(), presents = unseen.Presents();
    // Long enough for whole days and nights, the hold at full day among them.
    drawing.RunFor(150000);
    unseen.RunFor(150000);
    EXPECT_EQ(unseen.FramesRendered(), frames);
    EXPECT_EQ(unseen.Presents(), presents);
    EXPECT_FALSE(unseen.TimerInterval(TimerId::Garland));

    drawing.CoveredPoints().clear();
    unseen.SetSeen(true);
    drawing.RunFor(1000);
    unseen.RunFor(1000);
    EXPECT_GT(unseen.FramesRendered(), frames);
    EXPECT_EQ(b.Sky().SkyOffset, a.Sky().SkyOffset);
    EXPECT_EQ(b.Sky().MoonPhase, a.Sky().MoonPhase);
    EXPECT_EQ(b.Sky().SkyHold, a.Sky().SkyHold);
    EXPECT_EQ(b.Drift().SnowCount1, a.Drift().SnowCount1);
    EXPECT_TRUE(unseen.LastFrame().pixels == drawing.LastFrame().pixels);
  }
}

TEST(MainWindow, PowerSavingSlowsTheFramesAndNotTheSky) {
  HeadlessPlatform p(Options());
  MainWindow form(p, SceneCatalogue::Embedded(), {});
  p.Show(form);
  form.MenuItemChosen("pmiFast");
  p.SetPowerSaving(true);
  EXPECT_EQ(p.TimerInterval(TimerId::Garland), 100u);
  const int32_t offset = form.Sky().SkyOffset;
  p.RunFor(1200);  // a step every 120 ms at this speed, frames or not
  EXPECT_GE(std::abs(form.Sky().SkyOffset - offset), 9);
  p.SetPowerSaving(false);
  EXPECT_EQ(p.TimerInterval(TimerId::Garland), 20u);
}

}  // namespace
}  // namespace gd
