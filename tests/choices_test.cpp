// The choices and the stored values: every entry of the speed, size,
// transparency and countdown tables comes back from the numbers it is saved
// as, and choosing the checked transparency level again only takes its mark.
#include <gtest/gtest.h>

#include "settings/choices.h"

namespace gd {
namespace {

Choices Reloaded(const Choices& choices) {
  const SettingValues values = ValuesToSave(choices, {12, 34});
  StoredSettings stored;
  for (const SettingRow& row : kSettings) stored.Set(row.id, values[Index(row.id)]);
  return ChoicesFromStored(stored, false);
}

TEST(Choices, EveryTableEntrySurvivesItsStoredNumbers) {
  for (size_t i = 0; i < kSpeeds.size(); ++i) {
    Choices c;
    c.speed = i;
    c.snow = i % 2 == 0;
    c.onTop = i % 2 == 1;
    EXPECT_EQ(Reloaded(c), c) << kSpeeds[i].item;
  }
  for (size_t i = 0; i < kSizes.size(); ++i) {
    Choices c;
    c.size = i;
    EXPECT_EQ(Reloaded(c), c) << kSizes[i].item;
  }
  for (size_t i = 0; i < kTransparencyLevels.size(); ++i) {
    Choices c;
    c.transparency = i;
    EXPECT_EQ(Reloaded(c), c) << kTransparencyLevels[i].item;
  }
  for (size_t i = 0; i < kCountdownItems.size(); ++i) {
    Choices c;
    c.countdown = i;
    EXPECT_EQ(Reloaded(c), c) << kCountdownItems[i];
    EXPECT_TRUE(ItemChecked(c, kCountdownItems[i]));
  }
}

TEST(Choices, TheCheckedLevelChosenAgainStaysInForceWithoutItsMark) {
  Choices c;
  ASSERT_TRUE(ChooseItem(c, "pmi40"));
  EXPECT_TRUE(ItemChecked(c, "pmi40"));
  ASSERT_TRUE(ChooseItem(c, "pmi40"));
  EXPECT_FALSE(ItemChecked(c, "pmi40"));
  EXPECT_EQ(ValuesToSave(c, {})[Index(Setting::TrVal)], 4);
  ASSERT_TRUE(ChooseItem(c, "pmi40"));
  EXPECT_TRUE(ItemChecked(c, "pmi40"));
  EXPECT_FALSE(ChooseItem(c, "ransparent1")) << "a submenu is no choice";
  EXPECT_FALSE(ChooseItem(c, "pmiNothing"));
}

}  // namespace
}  // namespace gd
