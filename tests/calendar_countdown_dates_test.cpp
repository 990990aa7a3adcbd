#include "calendar/countdown_dates.h"

#include <gtest/gtest.h>

#include <limits>

namespace gd {
namespace {

LocalDateTime At(int y, int mo, int d, int h = 10, int mi = 0, int s = 0, int ms = 0) {
  return {y, mo, d, h, mi, s, ms};
}

struct Counts {
  int christmas, new_year, julian;
  friend bool operator==(const Counts&, const Counts&) = default;
};
std::ostream& operator<<(std::ostream& os, const Counts& c) {
  return os << "{" << c.christmas << ", " << c.new_year << ", " << c.julian << "}";
}

Counts CountsAt(const CountdownTargets& t, const LocalDateTime& now) {
  const DateTime n = *EncodeDateTime(now);
  return {DaysUntil(t.ChristmasDate, n), DaysUntil(t.NewYearDate, n),
          DaysUntil(t.JulianChristmasDate, n)};
}

CountdownTargets ShownAt(const LocalDateTime& shown) {
  return *ComputeCountdownTargets(shown, LongDateFormat{});
}

TEST(CalendarCountdownDates, TargetsIgnoreWhetherTheyHavePassed) {
  for (const auto& shown : {At(2026, 1, 1, 0), At(2026, 1, 6), At(2026, 12, 20), At(2026, 12, 31, 23, 59, 59, 999)}) {
    const CountdownTargets t = ShownAt(shown);
    EXPECT_EQ(t.ChristmasDate, *EncodeDate(2026, 12, 25));
    EXPECT_EQ(t.NewYearDate, *EncodeDate(2027, 1, 1));
    EXPECT_EQ(t.JulianChristmasDate, *EncodeDate(2027, 1, 7));
  }
}

TEST(CalendarCountdownDates, CountsForAWindowShownIn2026) {
  const CountdownTargets t = ShownAt(At(2026, 12, 1));
  const struct {
    LocalDateTime now;
    Counts expected;
  } rows[] = {
      {At(2026, 12, 1), {23, 30, 36}},
      {At(2026, 12, 23), {1, 8, 14}},
      {At(2026, 12, 24, 0, 0, 0, 0), {1, 8, 14}},
      {At(2026, 12, 24), {0, 7, 13}},
      {At(2026, 12, 25), {0, 6, 12}},
      {At(2026, 12, 25, 23, 59), {0, 6, 12}},
      {At(2026, 12, 26, 0, 0), {1, 6, 12}},
      {At(2026, 12, 26), {1, 5, 11}},
      {At(2026, 12, 31), {6, 0, 6}},
      {At(2027, 1, 1), {7, 0, 5}},
      {At(2027, 1, 2), {8, 1, 4}},
      {At(2027, 1, 6), {12, 5, 0}},
      {At(2027, 1, 7), {13, 6, 0}},
      {At(2027, 1, 8), {14, 7, 1}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CountsAt(t, row.now), row.expected)
        << row.now.year << "-" << row.now.month << "-" << row.now.day << " " << row.now.hour
        << ":" << row.now.minute;
  }
}

TEST(CalendarCountdownDates, CountsForAWindowShownEarlyInAYear) {
  const struct {
    LocalDateTime shown;
    Counts expected;
  } rows[] = {
      {At(2027, 1, 1), {357, 364, 370}},
      {At(2027, 1, 3), {355, 362, 368}},
      {At(2027, 1, 4), {354, 361, 367}},
      {At(2027, 1, 6), {352, 359, 365}},
      {At(2028, 1, 1), {358, 365, 371}},  // leap year
      {At(2028, 1, 1, 0, 0, 0, 0), {359, 366, 372}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CountsAt(ShownAt(row.shown), row.shown), row.expected)
        << row.shown.year << "-" << row.shown.month << "-" << row.shown.day << " "
        << row.shown.hour;
  }
}

TEST(CalendarCountdownDates, ShownAfterChristmasOrEarlyInJanuary) {
  // 26 December counts the day since this Christmas, not 364 to the next.
  const auto dec26 = At(2026, 12, 26);
  EXPECT_EQ(CountsAt(ShownAt(dec26), dec26).christmas, 1);
  // 5 January counts to 7 January of the next year, not the one two days away.
  const auto jan5 = At(2027, 1, 5);
  EXPECT_EQ(CountsAt(ShownAt(jan5), jan5).julian, 366);
  const auto jan5_leap = At(2028, 1, 5);
  EXPECT_EQ(CountsAt(ShownAt(jan5_leap), jan5_leap).julian, 367);
}

// Christmas Eve is counted down to: on the day the count is 0, and from
// 25 December on the target is the next year's.
TEST(CalendarCountdownDates, ChristmasEveAroundItsEdges) {
  const auto eve = [](const LocalDateTime& shown, const LocalDateTime& now) {
    return DaysUntil(ShownAt(shown).ChristmasEveDate, *EncodeDateTime(now));
  };
  EXPECT_EQ(eve(At(2026, 12, 20), At(2026, 12, 20)), 3);
  EXPECT_EQ(eve(At(2026, 12, 20), At(2026, 12, 23, 0)), 1);
  EXPECT_EQ(eve(At(2026, 12, 20), At(2026, 12, 23)), 0);
  EXPECT_EQ(eve(At(2026, 12, 24, 23, 59, 59, 999), At(2026, 12, 24, 23, 59, 59, 999)), 0);
  EXPECT_EQ(eve(At(2026, 12, 25, 0), At(2026, 12, 25, 0)), 364);
  EXPECT_EQ(eve(At(2027, 1, 1), At(2027, 1, 1)), 356);  // a day less than Christmas (357)
  EXPECT_EQ(eve(At(2027, 12, 31), At(2027, 12, 31)), 358);  // to 24 December of the leap year 2028
  EXPECT_EQ(ShownAt(At(2026, 12, 20)).ChristmasEveCaption, "Christmas Eve - December 24, 2026");
  EXPECT_EQ(ShownAt(At(2026, 12, 26)).ChristmasEveCaption, "Christmas Eve - December 24, 2027");
}

TEST(CalendarCountdownDates, DaysUntilIsSymmetricAndTruncates) {
  const DateTime base = *EncodeDateTime(At(2026, 12, 20, 10));
  EXPECT_EQ(DaysUntil(base, base), 0);
  EXPECT_EQ(DaysUntil(base + 0.999, base), 0);
  EXPECT_EQ(DaysUntil(base - 0.999, base), 0);
  EXPECT_EQ(DaysUntil(base + 1.0, base), 1);
  EXPECT_EQ(DaysUntil(base - 1.0, base), 1);
  EXPECT_EQ(DaysUntil(base + 1.999, base), 1);  // truncated, never rounded
  for (double delta : {0.0, 0.5, 0.999, 1.0, 2.75, 366.0, 367.9, 4000.25}) {
    EXPECT_EQ(DaysUntil(base + delta, base), DaysUntil(base, base + delta)) << delta;
    EXPECT_EQ(DaysUntil(base - delta, base), DaysUntil(base, base - delta)) << delta;
  }
  // The widest span of the calendar still fits; a NaN never becomes a small count.
  EXPECT_EQ(DaysUntil(*EncodeDate(1, 1, 1), *EncodeDate(9999, 12, 31)), 3652058);
  EXPECT_EQ(DaysUntil(std::numeric_limits<double>::quiet_NaN(), base),
            std::numeric_limits<int32_t>::max());
  EXPECT_EQ(DaysUntil(1e300, base), std::numeric_limits<int32_t>::max());
}

// Europe/Berlin in 2026: clocks go from 02:00 to 03:00 on 29 March and from
// 03:00 back to 02:00 on 25 October. The readings below are the wall clock
// as the system reports it around those changes; the count follows the
// calendar day alone.
TEST(CalendarCountdownDates, CountFollowsTheWallClockAcrossDaylightSaving) {
  const CountdownTargets t = ShownAt(At(2026, 3, 1));
  auto christmas = [&](const LocalDateTime& now) { return CountsAt(t, now).christmas; };
  // 30 March is day 89 of 2026 and 25 December day 359: 270 days apart.
  EXPECT_EQ(christmas(At(2026, 3, 28)), 271);
  EXPECT_EQ(christmas(At(2026, 3, 29, 1, 59, 59, 999)), 270);
  EXPECT_EQ(christmas(At(2026, 3, 29, 3, 0)), 270);  // a millisecond later in real time
  EXPECT_EQ(christmas(At(2026, 3, 29, 23, 59, 59, 999)), 270);
  EXPECT_EQ(christmas(At(2026, 3, 30, 0, 0)), 270);
  EXPECT_EQ(christmas(At(2026, 3, 30)), 269);
  // 26 October is day 299: 60 days before Christmas.
  EXPECT_EQ(christmas(At(2026, 10, 25, 2, 59, 59, 999)), 60);
  EXPECT_EQ(christmas(At(2026, 10, 25, 2, 0)), 60);  // the hour that repeats
  EXPECT_EQ(christmas(At(2026, 10, 26, 0, 0)), 60);
  EXPECT_EQ(christmas(At(2026, 10, 26)), 59);
}

TEST(CalendarCountdownDates, CaptionsForAWindowShownOn20December2026) {
  for (const auto& shown : {At(2026, 12, 20, 0, 0), At(2026, 12, 20), At(2026, 12, 20, 23, 59, 59, 999)}) {
    const CountdownTargets t = ShownAt(shown);
    EXPECT_EQ(t.ChristmasCaption, "Christmas - December 25, 2026");
    EXPECT_EQ(t.NewYearCaption, "New Year - January 1, 2027");
    EXPECT_EQ(t.JulianCaption, "Julian Christmas - January 7, 2027");
  }
  LongDateFormat german;
  german.pattern = "dddd, d. mmmm yyyy";
  german.names.long_month_names[11] = "Dezember";
  german.names.long_day_names[5] = "Freitag";
  EXPECT_EQ(ComputeCountdownTargets(At(2026, 12, 20), german)->ChristmasCaption,
            "Christmas - Freitag, 25. Dezember 2026");
}

TEST(CalendarCountdownDates, NoTargetsInTheLastYearOrForAnInvalidNow) {
  EXPECT_FALSE(ComputeCountdownTargets(At(9999, 1, 1), LongDateFormat{}));
  EXPECT_FALSE(ComputeCountdownTargets(At(9999, 12, 31, 23, 59, 59, 999), LongDateFormat{}));
  EXPECT_FALSE(ComputeCountdownTargets(At(2026, 2, 29), LongDateFormat{}));
  EXPECT_FALSE(ComputeCountdownTargets(At(2026, 12, 20, 25), LongDateFormat{}));
  EXPECT_FALSE(ComputeCountdownTargets(At(0, 12, 20), LongDateFormat{}));
  const auto last = ComputeCountdownTargets(At(9998, 12, 31), LongDateFormat{});
  ASSERT_TRUE(last);
  EXPECT_EQ(last->JulianCaption, "Julian Christmas - January 7, 9999");
  const auto first = ComputeCountdownTargets(At(1, 1, 1, 0), LongDateFormat{});
  ASSERT_TRUE(first);
  EXPECT_EQ(first->ChristmasCaption, "Christmas - December 25, 0001");
}

}  // namespace
}  // namespace gd
