// Every menu command as the user meets it: the item's check marks afterwards
// and what the command changed in the window.
#include <gtest/gtest.h>

#include "app/own_page.h"
#include "globe_fixture.h"
#include "settings/settings.h"

namespace gd {
namespace {

using testing::Globe;
using testing::GlobeOptions;

int CheckedCount(const Globe& g, std::initializer_list<std::string_view> items) {
  int n = 0;
  for (std::string_view item : items) n += g.Checked(item) ? 1 : 0;
  return n;
}

TEST(MenuCommands, TransparencyLevelsSetTheConstantAlpha) {
  Globe g;
  g.Show();
  const uint8_t want[] = {255, 233, 211, 189, 167, 145, 123, 101, 79, 57};  // 255 - 22 k
  // From 90 % down, so that no level is chosen while checked (0 % is at start).
  for (auto it = kTransparencyLevels.rbegin(); it != kTransparencyLevels.rend(); ++it) {
    const TransparencyLevel& level = *it;
    g.platform.Choose(level.item);
    EXPECT_EQ(g.platform.LastConstantAlpha(), want[level.index]) << level.item;
    EXPECT_TRUE(g.Checked(level.item));
    int checked = 0;
    for (const TransparencyLevel& other : kTransparencyLevels) checked += g.Checked(other.item) ? 1 : 0;
    EXPECT_EQ(checked, 1) << level.item;
  }
  // The next frame is presented at the same opacity.
  g.platform.Choose("pmi90");
  g.platform.RunFor(20);
  EXPECT_EQ(g.platform.LastConstantAlpha(), 57);
}

TEST(MenuCommands, TheCheckedLevelChosenAgainRebuildsAndLeavesNoLevelChecked) {
  Globe g;
  g.Show();
  g.platform.Choose("pmi90");
  const FrameBuffer before = *g.window.BaseBitmap();
  const uint64_t presents = g.platform.Presents();
  g.platform.Choose("pmi90");
  EXPECT_EQ(g.platform.Presents(), presents + 1);  // rebuilt and presented again
  EXPECT_EQ(g.platform.LastConstantAlpha(), 57);
  EXPECT_EQ(g.window.BaseBitmap()->pixels, before.pixels);
  for (const TransparencyLevel& level : kTransparencyLevels) EXPECT_FALSE(g.Checked(level.item));
  g.platform.Choose("pmi0");
  EXPECT_TRUE(g.Checked("pmi0"));
  EXPECT_EQ(g.platform.LastConstantAlpha(), 255);
}

TEST(MenuCommands, QuicklyStepsOnEveryTenMillisecondTickAndSlowRestoresTwenty) {
  Globe g;
  g.Show();
  g.platform.Choose("pmiQuickly");
  EXPECT_TRUE(g.Checked("pmiQuickly"));
  EXPECT_EQ(CheckedCount(g, {"pmiSlow", "pmiNormal", "pmiFast", "pmiQuickly"}), 1);
  EXPECT_EQ(g.platform.TimerInterval(TimerId::Garland), 10u);
  EXPECT_EQ(g.window.StepDelayMs(), 1);
  for (int tick = 1; tick <= 5; ++tick) {
    const uint64_t frames = g.platform.FramesRendered();
    g.platform.RunFor(10);
    EXPECT_EQ(g.platform.FramesRendered(), frames + 1);
    EXPECT_EQ(g.window.LastStepTick(), g.platform.TickCount()) << "tick " << tick;  // a step every tick
  }
  g.platform.Choose("pmiSlow");
  EXPECT_EQ(g.platform.TimerInterval(TimerId::Garland), 20u);
  EXPECT_EQ(g.window.StepDelayMs(), 500);
  EXPECT_EQ(CheckedCount(g, {"pmiSlow", "pmiNormal", "pmiFast", "pmiQuickly"}), 1);
  g.platform.Choose("pmiNormal");
  EXPECT_EQ(g.window.StepDelayMs(), 250);
  g.platform.Choose("pmiNormal");  // a radio item stays checked when chosen again
  EXPECT_TRUE(g.Checked("pmiNormal"));
  g.platform.Choose("pmiFast");
  EXPECT_EQ(g.window.StepDelayMs(), 100);
}

TEST(MenuCommands, CountdownItemsOnlyMoveTheCheckMark) {
  Globe g;
  g.Show();
  const uint8_t alpha = g.platform.LastConstantAlpha();
  for (const char* item : {"pmiJulian", "pmiNewYear", "pmiChristmasEve", "pmiNewYear", "pmiChristmas"}) {
    g.platform.Choose(item);
    EXPECT_TRUE(g.Checked(item));
    EXPECT_EQ(CheckedCount(g, {"pmiChristmas", "pmiChristmasEve", "pmiNewYear", "pmiJulian"}), 1);
  }
  EXPECT_EQ(g.platform.LastConstantAlpha(), alpha);
  EXPECT_EQ(g.window.StepDelayMs(), 100);
}

TEST(MenuCommands, SnowAndOnTopToggleTheirMarkAndApplyIt) {
  Globe g;
  g.Show();
  g.platform.Choose("pmiSnow");
  EXPECT_FALSE(g.Checked("pmiSnow"));
  EXPECT_FALSE(g.window.SnowEnabled());
  g.platform.Choose("pmiSnow");
  EXPECT_TRUE(g.window.SnowEnabled());

  g.platform.Choose("pmiOnTop");
  EXPECT_FALSE(g.Checked("pmiOnTop"));
  EXPECT_FALSE(g.platform.Topmost());
  g.platform.Choose("pmiOnTop");
  EXPECT_TRUE(g.platform.Topmost());
}

TEST(MenuCommands, UncheckingStartAtLoginRemovesTheEntryOnlyAtClose) {
  Globe g;
  g.Put("Left", 10);
  g.Put("Top", 10);
  g.Store().startupEntry = "/usr/bin/glimmerdome";
  g.Show();
  ASSERT_TRUE(g.Checked("pmiStartUp"));
  g.platform.Choose("pmiStartUp");
  EXPECT_FALSE(g.Checked("pmiStartUp"));
  g.platform.RunFor(100);
  EXPECT_TRUE(g.Store().startupEntry.has_value());
  g.platform.Choose("pmiExit");
  EXPECT_FALSE(g.Store().startupEntry.has_value());
}

// The first item opens the globe's own page in the menu's language, as a
// file: address; where nothing opens it, or there is no page, the user is
// told where it is or why.
TEST(MenuCommands, AboutOpensTheOwnPageOrSaysWhereItIs) {
  HeadlessOptions o = GlobeOptions();
  o.pageFolder = "/usr/share/glimmerdome/page";
  {
    Globe g(o);
    g.Show();
    g.platform.Choose("pmiAbout");
    EXPECT_EQ(g.platform.OpenedUrls(), (std::vector<std::string>{"file:///usr/share/glimmerdome/page/index.html"}));
    EXPECT_TRUE(g.platform.Messages().empty());
  }
  o.pageFolder = "C:\\Users\\Jo Ann\\AppData\\Local\\Glimmerdome\\page";
  o.languages = {"de_DE", "de"};
  o.openFails = true;
  {
    Globe g(o);
    g.Show();
    g.platform.Choose("pmiAbout");
    EXPECT_EQ(g.platform.OpenedUrls(),
              (std::vector<std::string>{"file:///C:/Users/Jo%20Ann/AppData/Local/Glimmerdome/page/index.de.html"}));
    ASSERT_EQ(g.MessageTexts().size(), 1u);
    EXPECT_NE(g.MessageTexts()[0].find("C:\\Users\\Jo Ann\\AppData\\Local\\Glimmerdome\\page\\index.de.html"),
              std::string::npos)
        << g.MessageTexts()[0];
    EXPECT_EQ(g.MessageTexts()[0].find("Nothing could open"), std::string::npos) << "not in German";
  }
  o.pageFolder.clear();
  o.openFails = false;
  o.languages.clear();
  {
    Globe g(o);
    g.Show();
    g.platform.Choose("pmiAbout");
    EXPECT_TRUE(g.platform.OpenedUrls().empty());
    ASSERT_EQ(g.platform.Messages().size(), 1u);
    EXPECT_EQ(g.platform.Messages()[0].first, MessageKind::Error);
  }
}

TEST(MenuCommands, ExitClosesAndSaves) {
  Globe g;
  g.Show();
  g.platform.Choose("pmi20");
  g.platform.Choose("pmiExit");
  EXPECT_TRUE(g.platform.Closed());
  EXPECT_EQ(g.Stored()["TrVal"], 2);
  g.platform.Choose("pmi90");  // nothing reaches a closed window
  EXPECT_EQ(g.Stored()["TrVal"], 2);
}

TEST(MenuCommands, SeparatorsSubmenusAndUnknownNamesDoNothing) {
  Globe g;
  g.Show();
  const uint64_t presents = g.platform.Presents();
  for (const char* item : {"N1", "N2", "Options1", "ransparent1", "Speedofanimation1", "pmiBogus", ""})
    g.platform.Choose(item);
  EXPECT_EQ(g.platform.Presents(), presents);
  EXPECT_FALSE(g.platform.Closed());
  EXPECT_TRUE(g.platform.OpenedUrls().empty());
}

TEST(MenuCommands, AScriptedRunChoosesItemsByNameAndExitsThroughTheMenu) {
  HeadlessOptions o = GlobeOptions();
  o.frames = 1000;
  o.choose = {"pmiQuickly", "pmiJulian", "pmi50", "pmiExit"};
  Globe g(o);
  EXPECT_EQ(g.platform.RunMessageLoop(g.window), 0);
  EXPECT_TRUE(g.platform.Closed());
  EXPECT_EQ(g.platform.FramesRendered(), 1u);  // closed before the first tick
  EXPECT_EQ(g.Stored()["iSpeed"], 3);
  EXPECT_EQ(g.Stored()["iCountdown"], 2);
  EXPECT_EQ(g.Stored()["TrVal"], 5);
}

}  // namespace
}  // namespace gd
