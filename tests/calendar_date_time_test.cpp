#include "calendar/date_time.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace gd {
namespace {

LocalDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return {y, mo, d, h, mi, s, ms};
}

TEST(CalendarDateTime, KnownDayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(DecodeDateTime(0.0), At(1899, 12, 30));
  EXPECT_EQ(DecodeDateTime(2.0), At(1900, 1, 1));
}

TEST(CalendarDateTime, TimeIsTheFraction) {
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(DecodeDateTime(2.75), At(1900, 1, 1, 18));
  EXPECT_EQ(DecodeDateTime(*EncodeDateTime(At(2026, 12, 20, 23, 59, 59, 999))),
            At(2026, 12, 20, 23, 59, 59, 999));
  // A hair below midnight rounds to the next day at 00:00:00.000.
  EXPECT_EQ(DecodeDateTime(3.0 - 1e-11), At(1900, 1, 2));
}

TEST(CalendarDateTime, ValuesBeforeDayZeroAreLinear) {
  // -0.75 is 06:00 on the day before day 0, so differences stay elapsed time.
  EXPECT_EQ(DecodeDateTime(-0.75), At(1899, 12, 29, 6));
  EXPECT_EQ(*EncodeDateTime(At(1899, 12, 29, 6)), -0.75);
  EXPECT_NEAR(*EncodeDateTime(At(1850, 12, 25)) - *EncodeDateTime(At(1850, 12, 20, 10)),
              4.0 + 14.0 / 24.0, 1e-9);
}

TEST(CalendarDateTime, RejectsInvalidDatesAndTimes) {
  for (auto [y, m, d] : {std::array{2026, 2, 29}, {1900, 2, 29}, {2000, 2, 30}, {2026, 4, 31},
                         {2026, 0, 1}, {2026, 13, 1}, {2026, 1, 0}, {2026, 1, 32},
                         {0, 12, 31}, {10000, 1, 1}, {-5, 1, 1}}) {
    EXPECT_FALSE(EncodeDate(y, m, d)) << y << "-" << m << "-" << d;
  }
  EXPECT_TRUE(EncodeDate(2000, 2, 29));
  EXPECT_TRUE(EncodeDate(2024, 2, 29));
  for (auto [h, mi, s, ms] : {std::array{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0},
                              {0, 0, 0, 1000}, {-1, 0, 0, 0}, {0, 0, 0, -1}}) {
    EXPECT_FALSE(EncodeTime(h, mi, s, ms)) << h << ":" << mi << ":" << s << "." << ms;
  }
  EXPECT_FALSE(EncodeDateTime(At(2026, 2, 29, 10)));
  EXPECT_FALSE(EncodeDateTime(At(2026, 2, 28, 24)));
}

TEST(CalendarDateTime, RejectsValuesOutsideTheCalendar) {
  EXPECT_FALSE(DecodeDateTime(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(DecodeDateTime(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(DecodeDateTime(-std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(DecodeDateTime(-693593.0 - 1e-6));
  EXPECT_FALSE(DecodeDateTime(2958466.0));
  EXPECT_FALSE(DecodeDateTime(1e300));
  EXPECT_EQ(DecodeDateTime(-693593.0), At(1, 1, 1));
  EXPECT_EQ(DecodeDateTime(2958465.0 + 86399999.0 / 86400000.0), At(9999, 12, 31, 23, 59, 59, 999));
  EXPECT_FALSE(DayOfWeek(std::numeric_limits<double>::quiet_NaN()));
}

TEST(CalendarDateTime, DayOfWeek) {
  EXPECT_EQ(DayOfWeek(0.0), 6);                       // Saturday 30 December 1899
  EXPECT_EQ(DayOfWeek(2.0), 1);                       // Monday 1 January 1900
  EXPECT_EQ(DayOfWeek(*EncodeDate(2027, 1, 7)), 4);   // Thursday
  EXPECT_EQ(DayOfWeek(*EncodeDate(1, 1, 1)), 1);      // Monday (proleptic Gregorian)
  EXPECT_EQ(DayOfWeek(-0.75), 5);                     // Friday 29 December 1899
}

// Walks every day from 1 January 0001 to 31 December 9999 with a calendar
// kept here by hand, and checks that day numbers run on by one, that they
// decode back to the same date, and that the weekday turns over every day.
TEST(CalendarDateTime, RoundTripOverTheWholeRange) {
  static constexpr int kMonthLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int y = 1, m = 1, d = 1;
  double expected = -693593.0;
  int weekday = 1;  // Monday
  int failures = 0;
  for (;;) {
    const auto value = EncodeDate(y, m, d);
    const auto noon = EncodeDateTime(At(y, m, d, 12, 34, 56, 789));
    const bool ok = value && *value == expected && noon &&
                    DecodeDateTime(*value) == At(y, m, d) &&
                    DecodeDateTime(*noon) == At(y, m, d, 12, 34, 56, 789) &&
                    DayOfWeek(*noon) == weekday;
    if (!ok && ++failures <= 5) ADD_FAILURE() << "at " << y << "-" << m << "-" << d;
    if (y == 9999 && m == 12 && d == 31) break;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int length = (m == 2 && leap) ? 29 : kMonthLength[m - 1];
    if (++d > length) {
      d = 1;
      if (++m > 12) m = 1, ++y;
    }
    expected += 1.0;
    weekday = (weekday + 1) % 7;
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(expected, 2958465.0);
}

}  // namespace
}  // namespace gd
