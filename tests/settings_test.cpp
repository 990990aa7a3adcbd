// Loading and saving the settings through the real main window: the start
// position, the choices a stored value brings back, what every close writes,
// and what happens with values and stores that are not as expected.
#include <gtest/gtest.h>

#include "globe_fixture.h"
#include "settings/settings.h"

namespace gd {
namespace {

using testing::Globe;
using testing::GlobeOptions;

// The headless desktop: screen 1920 x 1080, work area 1920 x 1040.
constexpr int kCornerLeft = 1920 - 300 - 5;
constexpr int kCornerTop = 1040 - 260;

TEST(LoadSettings, FirstRunUsesTheCornerAndTheDesignChoicesAndTheFirstCloseWritesThemAll) {
  Globe g;
  g.Show();
  EXPECT_EQ(g.platform.WindowPosition().x, kCornerLeft);
  EXPECT_EQ(g.platform.WindowPosition().y, kCornerTop);
  for (const char* item : {"pmiFast", "pmiChristmas", "pmiSnow", "pmi0", "pmiOnTop", "pmiStartUp"})
    EXPECT_TRUE(g.Checked(item)) << item;
  for (const char* item : {"pmiSlow", "pmiNormal", "pmiQuickly", "pmiNewYear", "pmiJulian", "pmi10", "pmi90"})
    EXPECT_FALSE(g.Checked(item)) << item;
  EXPECT_EQ(g.window.Opacity(), 255);
  EXPECT_EQ(g.platform.LastConstantAlpha(), 255);
  EXPECT_TRUE(g.platform.Topmost());
  EXPECT_TRUE(g.window.SnowEnabled());
  EXPECT_EQ(g.window.StepDelayMs(), 100);
  EXPECT_EQ(g.platform.TimerInterval(TimerId::Garland), 20u);
  EXPECT_TRUE(g.MessageTexts().empty());

  EXPECT_TRUE(g.platform.RequestClose());
  EXPECT_EQ(g.Stored(), (std::map<std::string, int32_t>{{"OnTop", 1},
                                                        {"TrVal", 0},
                                                        {"Top", kCornerTop},
                                                        {"Left", kCornerLeft},
                                                        {"iCountdown", 0},
                                                        {"iSpeed", 2},
                                                        {"isSnowOn", 1},
                                                        {"Scale", 0}}));
  EXPECT_EQ(g.Store().startupEntry, "/usr/bin/glimmerdome");
}

TEST(LoadSettings, SavedPositionIsBroughtBackOnlyWhenTooFarOff) {
  const struct {
    int left, top, wantLeft, wantTop;
  } rows[] = {
      {-70, -140, -70, -140},  // as far off as allowed
      {-71, 100, 550, 100},
      {100, -141, 100, 350},
      {1920 - 30, 1080 - 30, 1890, 1050},  // the right and bottom limits stay
      {1920 - 29, 1080 - 29, 550, 350},
      {400, 300, 400, 300},
  };
  for (const auto& row : rows) {
    Globe g;
    g.Put("Left", row.left);
    g.Put("Top", row.top);
    g.Show();
    EXPECT_EQ(g.platform.WindowPosition().x, row.wantLeft) << row.left << "," << row.top;
    EXPECT_EQ(g.platform.WindowPosition().y, row.wantTop) << row.left << "," << row.top;
  }
}

TEST(LoadSettings, OnlyOneOfTopAndLeftIsAFirstRun) {
  for (const char* stored : {"Top", "Left"}) {
    Globe g;
    g.Put(stored, 100);
    g.Store().startupEntry.reset();  // no entry, yet the item stays checked
    g.Show();
    EXPECT_EQ(g.platform.WindowPosition().x, kCornerLeft) << stored;
    EXPECT_EQ(g.platform.WindowPosition().y, kCornerTop) << stored;
    EXPECT_TRUE(g.Checked("pmiStartUp")) << stored;
  }
}

TEST(LoadSettings, StartAtLoginFollowsTheEntryOnceAPositionIsSaved) {
  Globe g;
  g.Put("Left", 10);
  g.Put("Top", 10);
  g.Show();
  EXPECT_FALSE(g.Checked("pmiStartUp"));

  Globe unreadable;
  unreadable.Put("Left", 10);
  unreadable.Put("Top", 10);
  unreadable.Store().startupReadable = false;
  unreadable.Show();
  EXPECT_TRUE(unreadable.Checked("pmiStartUp"));  // left as it was
}

TEST(LoadSettings, AddPlacesAtRandomAndAddWithACapitalDoesNot) {
  Globe g(GlobeOptions(), {"add"});
  g.Put("Left", 400);
  g.Put("Top", 300);
  g.Show();
  // Seeded from the low 32 bits of the performance counter at the show.
  Random expected;
  expected.SetSeed(static_cast<uint32_t>(*g.platform.PerformanceCounter()));
  const int left = static_cast<int>(expected(1920 - 300 - 5));
  const int top = static_cast<int>(expected(1040 - 260));
  EXPECT_EQ(g.platform.WindowPosition().x, left);
  EXPECT_EQ(g.platform.WindowPosition().y, top);
  EXPECT_NE(g.platform.WindowPosition().x, 400);

  Globe capital(GlobeOptions(), {"Add"});
  capital.Put("Left", 400);
  capital.Put("Top", 300);
  capital.Show();
  EXPECT_EQ(capital.platform.WindowPosition().x, 400);
  EXPECT_EQ(capital.platform.WindowPosition().y, 300);
}

TEST(LoadSettings, StoredChoicesAreAppliedThroughTheirCommands) {
  Globe g;
  g.Put("OnTop", 0);
  g.Put("TrVal", 9);
  g.Put("iCountdown", 2);
  g.Put("iSpeed", 3);
  g.Put("isSnowOn", 0);
  g.Show();
  EXPECT_FALSE(g.platform.Topmost());
  EXPECT_TRUE(g.Checked("pmi90"));
  EXPECT_EQ(g.platform.LastConstantAlpha(), 57);
  EXPECT_TRUE(g.Checked("pmiJulian"));
  EXPECT_FALSE(g.Checked("pmiChristmas"));
  EXPECT_TRUE(g.Checked("pmiQuickly"));
  EXPECT_EQ(g.platform.TimerInterval(TimerId::Garland), 10u);
  EXPECT_EQ(g.window.StepDelayMs(), 1);
  EXPECT_FALSE(g.Checked("pmiSnow"));
  EXPECT_FALSE(g.window.SnowEnabled());
}

TEST(LoadSettings, TransparencyUsesTheLowByteAndAnIndexPastTheLastLevelShowsTheGlobe) {
  const struct {
    int32_t stored;
    const char* item;
    uint8_t alpha;
  } rows[] = {{256, "pmi0", 255}, {259, "pmi30", 189}, {10, "pmi0", 255}, {255, "pmi0", 255}, {-1, "pmi0", 255}};
  for (const auto& row : rows) {
    Globe g;
    g.Put("TrVal", row.stored);
    g.Show();
    EXPECT_TRUE(g.Checked(row.item)) << row.stored;
    EXPECT_EQ(g.platform.LastConstantAlpha(), row.alpha) << row.stored;
  }
}

// Christmas Eve came after the first three targets, so it is stored as 3.
TEST(LoadSettings, ChristmasEveIsStoredAsThree) {
  Globe g;
  g.Put("iCountdown", 3);
  g.Show();
  EXPECT_TRUE(g.Checked("pmiChristmasEve"));
  EXPECT_FALSE(g.Checked("pmiChristmas"));
  g.platform.RequestClose();
  EXPECT_EQ(g.Stored()["iCountdown"], 3);
}

TEST(LoadSettings, SpeedAndCountdownOutOfRangeRunNothingAndTheNextSaveWritesTheDefaults) {
  for (int32_t bad : {4, -1, 1000}) {
    Globe g;
    g.Put("iSpeed", bad);
    g.Put("iCountdown", bad);
    g.Show();
    EXPECT_TRUE(g.Checked("pmiFast")) << bad;
    EXPECT_TRUE(g.Checked("pmiChristmas")) << bad;
    EXPECT_EQ(g.platform.TimerInterval(TimerId::Garland), 20u);
    EXPECT_EQ(g.window.StepDelayMs(), 0);  // no speed command ran
    g.platform.RequestClose();
    EXPECT_EQ(g.Stored()["iSpeed"], 2);
    EXPECT_EQ(g.Stored()["iCountdown"], 0);
  }
}

TEST(LoadSettings, WrongTypesAreToldOnceEachAndTheRestStillLoads) {
  Globe g;
  g.Store().values["OnTop"] = {SettingsStore::ValueKind::WrongType, 0};
  g.Store().values["iSpeed"] = {SettingsStore::ValueKind::WrongType, 0};
  g.Put("TrVal", 9);
  g.Put("iCountdown", 1);
  g.Put("Left", 400);
  g.Put("Top", 300);
  g.Show();
  EXPECT_EQ(g.MessageTexts(),
            (std::vector<std::string>{"Invalid data type for 'OnTop'", "Invalid data type for 'iSpeed'"}));
  EXPECT_EQ(g.platform.LastConstantAlpha(), 57);  // the globe shows
  EXPECT_TRUE(g.Checked("pmiNewYear"));
  EXPECT_EQ(g.platform.WindowPosition().x, 400);
  EXPECT_TRUE(g.platform.Topmost());  // OnTop as if missing
  EXPECT_EQ(g.window.StepDelayMs(), 100);
  g.platform.RequestClose();
  EXPECT_EQ(g.Stored()["OnTop"], 1);  // and the save repairs the store
  EXPECT_EQ(g.Stored()["iSpeed"], 2);
}

TEST(LoadSettings, AProblemWithTheStoreItselfIsToldOnce) {
  Globe g;
  g.Store().problem = "The settings file cannot be read.";
  g.Show();
  EXPECT_EQ(g.MessageTexts(), (std::vector<std::string>{"The settings file cannot be read."}));
  EXPECT_EQ(g.platform.LastConstantAlpha(), 255);
}

TEST(LoadSettings, TheStartAtLoginCaptionNamesTheMomentItStarts) {
  Globe login;
  login.Store().startsWithWindows = false;  // the in-memory store's default differs on Windows
  login.Show();
  EXPECT_EQ(login.window.Menu().Find("pmiStartUp")->caption, "Start Glimmerdome when I log in");
  Globe windows;
  windows.Store().startsWithWindows = true;
  windows.Show();
  EXPECT_EQ(windows.window.Menu().Find("pmiStartUp")->caption, "Start Glimmerdome when I start Windows");
}

TEST(LoadSettings, ADesktopAskingForLessMotionStartsSlowWithoutSnowUntilTheUserChooses) {
  HeadlessOptions options = GlobeOptions();
  options.reducedMotion = true;
  Globe first(options);
  first.Show();
  EXPECT_TRUE(first.Checked("pmiSlow"));
  EXPECT_FALSE(first.Checked("pmiSnow"));
  EXPECT_FALSE(first.window.SnowEnabled());
  EXPECT_EQ(first.window.StepDelayMs(), 500);
  first.platform.Choose("pmiSnow");
  first.platform.Choose("pmiFast");
  first.platform.RequestClose();

  Globe second(options);
  second.Store().values = first.Store().values;
  second.Show();
  EXPECT_TRUE(second.Checked("pmiFast"));
  EXPECT_TRUE(second.window.SnowEnabled());
}

TEST(SaveSettings, EveryValueSurvivesARestart) {
  Globe first;
  first.Show();
  for (const char* item : {"pmiNormal", "pmiNewYear", "pmiSnow", "pmi40", "pmiOnTop", "pmiStartUp"})
    first.platform.Choose(item);
  first.platform.PlaceWindow({-12, 34});
  ASSERT_TRUE(first.platform.RequestClose());
  EXPECT_FALSE(first.Store().startupEntry.has_value());

  Globe second;
  second.Store().values = first.Store().values;
  second.Show();
  EXPECT_EQ(second.platform.WindowPosition().x, -12);
  EXPECT_EQ(second.platform.WindowPosition().y, 34);
  for (const char* item : {"pmiNormal", "pmiNewYear", "pmi40"}) EXPECT_TRUE(second.Checked(item)) << item;
  for (const char* item : {"pmiSnow", "pmiOnTop", "pmiStartUp", "pmiFast", "pmi0"})
    EXPECT_FALSE(second.Checked(item)) << item;
  EXPECT_EQ(second.window.StepDelayMs(), 250);
  EXPECT_EQ(second.platform.LastConstantAlpha(), 167);
  EXPECT_FALSE(second.platform.Topmost());
  second.platform.RequestClose();
  EXPECT_EQ(second.Stored(), first.Stored());
}

TEST(SaveSettings, WithNoLevelCheckedTheLevelInForceIsSaved) {
  Globe g;
  g.Show();
  g.platform.Choose("pmi70");
  g.platform.Choose("pmi70");  // applies 70 % again and unchecks it
  for (const TransparencyLevel& level : kTransparencyLevels) EXPECT_FALSE(g.Checked(level.item));
  g.platform.RequestClose();
  EXPECT_EQ(g.Stored()["TrVal"], 7);
}

TEST(SaveSettings, ARefusedWriteIsToldKeepsTheEarlierValuesAndStillCloses) {
  Globe g;
  g.Put("TrVal", 3);
  g.Show();
  g.platform.Choose("pmi90");
  g.Store().refuseWrites = {"iCountdown"};
  g.Store().problem = "The disk is full.";
  g.platform.Choose("pmiExit");
  EXPECT_TRUE(g.platform.Closed());
  EXPECT_EQ(g.MessageTexts(), (std::vector<std::string>{"Failed to set data for 'iCountdown'\nThe disk is full."}));
  EXPECT_EQ(g.Stored(), (std::map<std::string, int32_t>{{"TrVal", 3}}));
  EXPECT_EQ(g.Store().startupEntry, "/usr/bin/glimmerdome");  // brought up to date all the same
}

TEST(SaveSettings, ARefusedStartAtLoginEntryIsToldByItsName) {
  Globe g;
  g.Show();
  g.Store().refuseWrites = {"Glimmerdome"};
  EXPECT_TRUE(g.platform.RequestClose());
  EXPECT_EQ(g.MessageTexts(), (std::vector<std::string>{"Failed to set data for 'Glimmerdome'"}));
  EXPECT_EQ(g.Stored().size(), 8u);
}

// Nothing waits for the close: a drag's end and menu choices reach the store
// on the snow's next tick, what comes together in one write; a store that
// refuses is told once, and tried again at the next change and at close.
TEST(SaveSettings, ChangesAreWrittenWhenTheyHappenAndARefusalIsToldOnce) {
  Globe g;
  g.Put("Top", 300);
  g.Put("Left", 400);
  g.Show();
  g.platform.RunFor(1000);
  EXPECT_EQ(g.Store().writes, 0) << "nothing changed, nothing written";

  g.platform.Press(MouseButton::Left);
  g.platform.DragTo({350, 250});
  g.platform.RunFor(400);
  g.platform.DragTo({100, 100});
  EXPECT_EQ(g.Store().writes, 0) << "the steps of a drag are not written";
  g.platform.Release();
  g.platform.Choose("pmi50");
  g.platform.Choose("pmiNewYear");
  g.platform.RunFor(200);
  EXPECT_EQ(g.Store().writes, 1);
  EXPECT_EQ(g.Stored()["Left"], 100);
  EXPECT_EQ(g.Stored()["Top"], 100);
  EXPECT_EQ(g.Stored()["TrVal"], 5);
  EXPECT_EQ(g.Stored()["iCountdown"], 1);
  EXPECT_EQ(g.Store().startupEntry, std::nullopt);
  g.platform.Choose("pmiStartUp");  // the entry too, when its item is chosen
  g.platform.RunFor(200);
  EXPECT_EQ(g.Store().startupEntry, "/usr/bin/glimmerdome");
  EXPECT_EQ(g.Store().writes, 1);

  g.Store().refuseWrites = {"OnTop"};
  for (Point to : {Point{200, 200}, Point{250, 200}}) {
    g.platform.Press(MouseButton::Left);
    g.platform.DragTo(to);
    g.platform.Release();
    g.platform.RunFor(200);
  }
  EXPECT_EQ(g.MessageTexts(), (std::vector<std::string>{"Failed to set data for 'OnTop'"}));
  g.Store().refuseWrites.clear();
  g.platform.RunFor(1000);
  EXPECT_EQ(g.Stored()["Left"], 100) << "tried again at the next change, not on every tick";
  EXPECT_TRUE(g.platform.RequestClose());
  EXPECT_EQ(g.Stored()["Left"], 250);
  EXPECT_EQ(g.Store().writes, 2);
}

// A size keeps the globe's bottom-right corner, is saved as Scale and comes
// back with the saved place at the next start.
TEST(Size, ChosenSizeKeepsTheCornerAndComesBackAtTheNextStart) {
  Globe g;
  g.Show();
  const Point was = g.platform.WindowPosition();
  g.platform.Choose("pmiSize150");
  EXPECT_TRUE(g.Checked("pmiSize150"));
  EXPECT_FALSE(g.Checked("pmiSizeAuto"));
  g.platform.RunFor(40);
  EXPECT_EQ(g.platform.LastFrame().width, 450);
  EXPECT_EQ(g.platform.LastFrame().height, 390);
  const Point now = g.platform.WindowPosition();
  EXPECT_EQ(now.x + 450, was.x + 300);
  EXPECT_EQ(now.y + 390, was.y + 260);
  EXPECT_TRUE(g.platform.RequestClose());
  EXPECT_EQ(g.Stored()["Scale"], 150);

  Globe again;
  again.Store().values = g.Store().values;
  again.Show();
  EXPECT_TRUE(again.Checked("pmiSize150"));
  EXPECT_EQ(again.platform.LastFrame().width, 450);
  EXPECT_EQ(again.platform.WindowPosition().x, now.x);
  EXPECT_EQ(again.platform.WindowPosition().y, now.y);
}

TEST(SaveSettings, AWindowThatWasNeverShownSavesNothing) {
  Globe g;
  g.Put("TrVal", 5);
  EXPECT_TRUE(g.window.CloseRequested());
  EXPECT_EQ(g.Stored(), (std::map<std::string, int32_t>{{"TrVal", 5}}));
}

}  // namespace
}  // namespace gd
