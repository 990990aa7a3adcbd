// Date-time values: a double of days counted from 30 December 1899 00:00,
// the time of day as the fraction (0.25 is 06:00, 0.5 is noon). Day 2 is
// 1 January 1900. Dates are proleptic Gregorian, years 1 to 9999.
//
// The scale is linear on both sides of day 0: a value is always the whole
// day floor(value) plus the time value - floor(value). So -0.75 is
// 29 December 1899 at 06:00, and the difference of two values is always the
// elapsed wall-clock time between them, which is all the countdown needs.
//
// Encoding and decoding never return garbage: a date or time outside the
// calendar, or a value outside years 1 to 9999, gives std::nullopt.
#pragma once
#include <cstdint>
#include <optional>

namespace gd {

using DateTime = double;

// A local wall-clock reading, as the platform's clock reports "now".
struct LocalDateTime {
  int year = 1;
  int month = 1;   // 1 to 12
  int day = 1;     // 1 to 28..31
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
  int second = 0;  // 0 to 59
  int millisecond = 0;  // 0 to 999

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

inline constexpr int kMinYear = 1;
inline constexpr int kMaxYear = 9999;
inline constexpr int64_t kMsPerDay = 86'400'000;
// Day numbers of 1 January 0001 and 31 December 9999.
inline constexpr int64_t kFirstDayNumber = -693'593;
inline constexpr int64_t kLastDayNumber = 2'958'465;

bool IsLeapYear(int year);
// 28 to 31, or 0 when the month is not 1 to 12.
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);

// The day number of a date, at 00:00.
std::optional<DateTime> EncodeDate(int year, int month, int day);
// The fraction of a day, from 0 up to (but excluding) 1.
std::optional<DateTime> EncodeTime(int hour, int minute, int second, int millisecond);
std::optional<DateTime> EncodeDateTime(const LocalDateTime& local);

// The calendar fields of a value, rounded to the nearest millisecond. Fails
// for NaN, infinities and values outside 1 January 0001 to 31 December 9999.
std::optional<LocalDateTime> DecodeDateTime(DateTime value);

// 0 for Sunday, 1 for Monday, ... 6 for Saturday (day 0 was a Saturday).
std::optional<int> DayOfWeek(DateTime value);

}  // namespace gd
