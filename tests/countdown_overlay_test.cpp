#include "scene/countdown.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace gd {
namespace {

// Widths of the catalogue's digit and label pictures.
const std::map<std::string, int, std::less<>> kWidths = {
    {"d0", 17}, {"d1", 11}, {"d2", 19}, {"d3", 18}, {"d4", 18}, {"d5", 17},
    {"d6", 17}, {"d7", 16}, {"d8", 18}, {"d9", 18}, {"imgDDay", 41}, {"imgDays", 53}};

std::optional<int> CatalogueWidth(std::string_view name) {
  const auto it = kWidths.find(name);
  if (it == kWidths.end()) return std::nullopt;
  return it->second;
}

std::vector<CountdownDraw> Place(int32_t count) { return PlaceCountdown(count, CatalogueWidth); }

LocalDateTime At(int y, int mo, int d, int h = 10) { return {y, mo, d, h, 0, 0, 0}; }

TEST(CountdownOverlay, PositionsOfTheCatalogueDigits) {
  const struct {
    int32_t count;
    std::vector<CountdownDraw> draws;
  } rows[] = {
      {0, {{"d0", 105, 187}, {"imgDays", 128, 187}}},
      {1, {{"d1", 115, 187}, {"imgDDay", 132, 187}}},
      {7, {{"d7", 105, 187}, {"imgDays", 127, 187}}},
      {12, {{"d1", 101, 187}, {"d2", 110, 187}, {"imgDays", 135, 187}}},
      {24, {{"d2", 101, 187}, {"d4", 118, 187}, {"imgDays", 142, 187}}},
      {100, {{"d1", 96, 187}, {"d0", 105, 187}, {"d0", 120, 187}, {"imgDays", 143, 187}}},
      {365, {{"d3", 96, 187}, {"d6", 112, 187}, {"d5", 127, 187}, {"imgDays", 150, 187}}},
      {367, {{"d3", 96, 187}, {"d6", 112, 187}, {"d7", 127, 187}, {"imgDays", 149, 187}}},
  };
  for (const auto& row : rows) EXPECT_EQ(Place(row.count), row.draws) << "count " << row.count;
}

TEST(CountdownOverlay, OnlyTheTextOneIsSingular) {
  EXPECT_EQ(Place(11), (std::vector<CountdownDraw>{
                           {"d1", 101, 187}, {"d1", 110, 187}, {"imgDays", 127, 187}}));
  EXPECT_EQ(Place(21), (std::vector<CountdownDraw>{
                           {"d2", 101, 187}, {"d1", 118, 187}, {"imgDays", 135, 187}}));
  EXPECT_EQ(Place(101).back().name, "imgDays");
}

TEST(CountdownOverlay, OutsideZeroTo367NothingIsDrawn) {
  EXPECT_TRUE(Place(368).empty());
  EXPECT_TRUE(Place(1000).empty());
  EXPECT_TRUE(Place(std::numeric_limits<int32_t>::max()).empty());
  EXPECT_TRUE(Place(-1).empty());
  EXPECT_TRUE(Place(std::numeric_limits<int32_t>::min()).empty());
}

// Over every drawn count: one row, the label 6 pixels after the last digit's
// right edge, and every picture inside the plaque (x 86 to 208). The widest
// text, 222, ends at x 207.
TEST(CountdownOverlay, EveryDrawnCountFitsThePlaque) {
  int rightmost_pixel = 0;
  for (int32_t count = 0; count < 368; ++count) {
    const auto draws = Place(count);
    ASSERT_EQ(draws.size(), std::to_string(count).size() + 1) << count;
    const CountdownDraw& last_digit = draws[draws.size() - 2];
    const CountdownDraw& label = draws.back();
    EXPECT_EQ(label.x, last_digit.x + *CatalogueWidth(last_digit.name) + 6) << count;
    for (const auto& d : draws) {
      EXPECT_EQ(d.y, 187);
      EXPECT_GE(d.x, 86) << count;
      EXPECT_LE(d.x + *CatalogueWidth(d.name) - 1, 208) << count;
    }
    rightmost_pixel = std::max(rightmost_pixel, label.x + *CatalogueWidth(label.name) - 1);
  }
  EXPECT_EQ(rightmost_pixel, 207);
  EXPECT_EQ(Place(222).back().x + 53 - 1, 207);
  for (int32_t count : {200, 308, 358}) EXPECT_EQ(Place(count).back().x + 53 - 1, 203) << count;
}

TEST(CountdownOverlay, OtherDigitArtMovesThePositionsByTheirWidths) {
  const auto wide = [](std::string_view name) -> std::optional<int> {
    return name.starts_with("d") ? 30 : 50;
  };
  EXPECT_EQ(PlaceCountdown(12, wide), (std::vector<CountdownDraw>{
                                          {"d1", 101, 187}, {"d2", 129, 187}, {"imgDays", 165, 187}}));
}

TEST(CountdownOverlay, AMissingPictureDrawsNothing) {
  const auto without = [](std::string missing) {
    return [missing](std::string_view name) -> std::optional<int> {
      return name == missing ? std::nullopt : CatalogueWidth(name);
    };
  };
  EXPECT_TRUE(PlaceCountdown(365, without("d6")).empty());
  EXPECT_TRUE(PlaceCountdown(1, without("imgDDay")).empty());
  EXPECT_EQ(PlaceCountdown(1, without("imgDays")).size(), 2u);
}

TEST(CountdownOverlay, CountOfTheCheckedItem) {
  const auto targets = ComputeCountdownTargets(At(2026, 12, 1), LongDateFormat{});
  const LocalDateTime now = At(2026, 12, 23);
  EXPECT_EQ(CountdownCount(CountdownChecks{}, targets, now), 1);  // Christmas at start
  EXPECT_EQ(CountdownCount({false, true, false}, targets, now), 8);
  EXPECT_EQ(CountdownCount({false, false, true}, targets, now), 14);
  EXPECT_EQ(CountdownCount({false, false, false, true}, targets, now), 0);
  // Tested in menu order, so a later checked item overrides an earlier one.
  EXPECT_EQ(CountdownCount({true, true, false}, targets, now), 8);
  EXPECT_EQ(CountdownCount({true, true, true}, targets, now), 14);
  EXPECT_EQ(CountdownCount({false, false, false}, targets, now), std::nullopt);
  EXPECT_EQ(CountdownCount(CountdownChecks{}, targets, {2026, 12, 32, 10, 0, 0, 0}), std::nullopt);
}

TEST(CountdownOverlay, HolidayEdgesOnThePlaque) {
  const auto dec = ComputeCountdownTargets(At(2026, 12, 20), LongDateFormat{});
  auto christmas = [&](const LocalDateTime& now) { return Place(*CountdownCount({}, dec, now)); };
  EXPECT_EQ(christmas(At(2026, 12, 24)),
            (std::vector<CountdownDraw>{{"d0", 105, 187}, {"imgDays", 128, 187}}));
  EXPECT_EQ(christmas(At(2026, 12, 25)),
            (std::vector<CountdownDraw>{{"d0", 105, 187}, {"imgDays", 128, 187}}));
  EXPECT_EQ(christmas(At(2026, 12, 26)),
            (std::vector<CountdownDraw>{{"d1", 115, 187}, {"imgDDay", 132, 187}}));

  // Julian Christmas in a window shown on 1 January: hidden until 3 January
  // ends in a common year, until 4 January ends in a leap year.
  const CountdownChecks julian{false, false, true};
  const auto jan2027 = ComputeCountdownTargets(At(2027, 1, 1), LongDateFormat{});
  EXPECT_TRUE(Place(*CountdownCount(julian, jan2027, At(2027, 1, 3, 23))).empty());
  EXPECT_EQ(*CountdownCount(julian, jan2027, {2027, 1, 4, 0, 0, 0, 0}), 368);
  EXPECT_EQ(*CountdownCount(julian, jan2027, {2027, 1, 4, 0, 0, 0, 1}), 367);
  EXPECT_EQ(Place(*CountdownCount(julian, jan2027, At(2027, 1, 4))).size(), 4u);
  const auto jan2028 = ComputeCountdownTargets(At(2028, 1, 1), LongDateFormat{});
  EXPECT_TRUE(Place(*CountdownCount(julian, jan2028, At(2028, 1, 4, 23))).empty());
  EXPECT_EQ(*CountdownCount(julian, jan2028, {2028, 1, 5, 0, 0, 0, 1}), 367);
  EXPECT_EQ(Place(*CountdownCount(julian, jan2028, At(2028, 1, 5))).size(), 4u);
}

TEST(CountdownOverlay, NothingShownInTheYear9999) {
  const LocalDateTime now = At(9999, 12, 20);
  const auto targets = ComputeCountdownTargets(now, LongDateFormat{});
  EXPECT_FALSE(targets);
  for (const CountdownChecks checks : {CountdownChecks{true, false, false},
                                       CountdownChecks{false, true, false},
                                       CountdownChecks{false, false, true}}) {
    EXPECT_EQ(CountdownCount(checks, targets, now), std::nullopt);
  }
}

}  // namespace
}  // namespace gd
