// Long-date formatting for the countdown captions.
//
// Pattern syntax (letters are matched without regard to case):
//   d     day of the month, no leading zero       7
//   dd    day of the month, two digits            07
//   ddd   short day name                          Thu
//   dddd  full day name (longer runs: the same)   Thursday
//   m     month number, no leading zero           1
//   mm    month number, two digits                01
//   mmm   short month name                        Jan
//   mmmm  full month name (longer runs: the same) January
//   yy    year within the century, two digits     27   (a single y: the same)
//   yyyy  year, at least four digits              2027 (runs of three or more)
//   '...' and "..."  quoted text, copied as it stands (an unclosed quote runs
//                    to the end of the pattern)
// Every other character, including bytes of UTF-8 text, is copied as it
// stands. In this syntax m is always the month: there are no time letters.
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "calendar/date_time.h"

namespace gd {

// Names a locale gives to months (January first) and days (Sunday first),
// as UTF-8. The defaults are English.
struct LocaleNames {
  std::array<std::string, 12> long_month_names{
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  std::array<std::string, 12> short_month_names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 7> long_day_names{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
  std::array<std::string, 7> short_day_names{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
};

// Used when the locale has no long date pattern: full month name, day without
// leading zero, a comma, four-digit year.
inline constexpr std::string_view kDefaultLongDatePattern = "mmmm d, yyyy";

// What the platform supplies once at start: the user's long date pattern in
// the syntax above, and the names that go with it.
struct LongDateFormat {
  std::string pattern{kDefaultLongDatePattern};
  LocaleNames names;
};

// Formats the calendar date of `date` by `pattern`. A value outside years
// 1 to 9999 formats as an empty string.
std::string FormatDate(std::string_view pattern, DateTime date, const LocaleNames& names);

// The long date of `date`; an empty pattern falls back to the default one.
std::string FormatLongDate(DateTime date, const LongDateFormat& format);

// Converts a Windows date picture (the LOCALE_SLONGDATE value: d, dd, ddd,
// dddd, M, MM, MMM, MMMM, y, yy, yyyy, 'quoted' text with '' for an
// apostrophe) into the pattern syntax above. Windows letters that have no
// counterpart in a date (g era, h H m s t time) are left out; a Windows y
// becomes yy. Letters of literal text come out quoted, so they are never
// taken for pattern letters.
std::string LongDatePatternFromWindowsPicture(std::string_view picture);

// Converts a CLDR date pattern (as ICU gives a locale's long date: d, dd,
// M to MMMM and L to LLLL, y, yy, E to EEEE and c, 'quoted' text with '' for
// an apostrophe) into the pattern syntax above. A CLDR y is the whole year
// and becomes yyyy. Letters with no counterpart here (era, time of day, time
// zone) are left out; literal text comes out quoted where it has letters.
std::string LongDatePatternFromCldrPattern(std::string_view pattern);

}  // namespace gd
