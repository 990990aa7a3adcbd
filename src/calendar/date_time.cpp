#include "calendar/date_time.h"

#include <cmath>

namespace gd {
namespace {

// 1 January 1970 is day 25569; the civil-day arithmetic below counts from it.
constexpr int64_t kUnixEpochDayNumber = 25'569;

// Days from 1 January 1970 to the given proleptic Gregorian date. The year
// is shifted to start in March so that the leap day ends it.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t year_of_era = y - era * 400;                       // 0..399
  const int64_t day_of_year = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;  // 0..365
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146'097 + day_of_era - 719'468;
}

LocalDateTime CivilFromDays(int64_t z) {
  z += 719'468;
  const int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
  const int64_t day_of_era = z - era * 146'097;  // 0..146096
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36'524 - day_of_era / 146'096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;  // 0 is March
  LocalDateTime r;
  r.day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  r.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  r.year = static_cast<int>(year_of_era + era * 400 + (r.month <= 2 ? 1 : 0));
  return r;
}

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= kMinYear && year <= kMaxYear && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

std::optional<DateTime> EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return std::nullopt;
  return static_cast<DateTime>(DaysFromCivil(year, month, day) + kUnixEpochDayNumber);
}

std::optional<DateTime> EncodeTime(int hour, int minute, int second, int millisecond) {
  if (!IsValidTime(hour, minute, second, millisecond)) return std::nullopt;
  const int64_t ms = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<DateTime>(ms) / static_cast<DateTime>(kMsPerDay);
}

std::optional<DateTime> EncodeDateTime(const LocalDateTime& t) {
  const auto date = EncodeDate(t.year, t.month, t.day);
  const auto time = EncodeTime(t.hour, t.minute, t.second, t.millisecond);
  if (!date || !time) return std::nullopt;
  return *date + *time;
}

std::optional<LocalDateTime> DecodeDateTime(DateTime value) {
  if (!std::isfinite(value)) return std::nullopt;
  // Check the range before converting, so the conversion below cannot overflow.
  const double ms_double = std::round(value * static_cast<double>(kMsPerDay));
  if (ms_double < static_cast<double>(kFirstDayNumber * kMsPerDay) ||
      ms_double >= static_cast<double>((kLastDayNumber + 1) * kMsPerDay)) {
    return std::nullopt;
  }
  const auto total_ms = static_cast<int64_t>(ms_double);
  const int64_t day = FloorDiv(total_ms, kMsPerDay);
  int64_t ms = total_ms - day * kMsPerDay;  // 0..kMsPerDay-1

  LocalDateTime r = CivilFromDays(day - kUnixEpochDayNumber);
  r.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  r.second = static_cast<int>(ms % 60);
  ms /= 60;
  r.minute = static_cast<int>(ms % 60);
  r.hour = static_cast<int>(ms / 60);
  return r;
}

std::optional<int> DayOfWeek(DateTime value) {
  const auto t = DecodeDateTime(value);
  if (!t) return std::nullopt;
  const int64_t day = DaysFromCivil(t->year, t->month, t->day) + kUnixEpochDayNumber;
  return static_cast<int>(((day % 7) + 7 + 6) % 7);  // day 0 was a Saturday (6)
}

}  // namespace gd
