#include "platform/icu/icu_date.h"

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include <memory>
#include <string>

namespace gd {
namespace {

std::string Utf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

// Copies names from ICU's array into `names`, leaving those ICU has not.
template <size_t N>
void TakeNames(const icu::UnicodeString* from, int32_t count, int32_t first, std::array<std::string, N>& names) {
  for (size_t i = 0; i < N; ++i) {
    const int32_t at = first + static_cast<int32_t>(i);
    if (from && at < count && !from[at].isEmpty()) names[i] = Utf8(from[at]);
  }
}

}  // namespace

LongDateFormat IcuLongDateFormat(std::string_view locale) {
  LongDateFormat format;
  const std::string name(locale.substr(0, locale.find_first_of(".@")));
  if (name.empty() || name == "C" || name == "POSIX") return format;

  const icu::Locale icuLocale(name.c_str());
  UErrorCode status = U_ZERO_ERROR;
  icu::DateFormatSymbols symbols(icuLocale, status);
  if (U_FAILURE(status)) return format;
  // A language ICU has no data for falls back to the root locale, whose
  // month names are only numbers: English reads better.
  const icu::Locale actual = symbols.getLocale(ULOC_ACTUAL_LOCALE, status);
  if (U_FAILURE(status) || std::string(actual.getLanguage()).empty()) return format;

  const std::unique_ptr<icu::DateFormat> dateFormat(icu::DateFormat::createDateInstance(icu::DateFormat::kLong, icuLocale));
  const auto* simple = dynamic_cast<const icu::SimpleDateFormat*>(dateFormat.get());
  if (!simple) return format;
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  const std::string cldrPattern = Utf8(pattern);
  format.pattern = LongDatePatternFromCldrPattern(cldrPattern);

  // The month names in the form the pattern asks for: inside a date (M, in
  // many languages the genitive: "25 декабря") or standing alone (L).
  const auto monthContext = cldrPattern.find('L') != std::string::npos ? icu::DateFormatSymbols::STANDALONE
                                                                      : icu::DateFormatSymbols::FORMAT;
  // (ICU fills in the count as it hands out the names.)
  int32_t count = 0;
  const icu::UnicodeString* names = symbols.getMonths(count, monthContext, icu::DateFormatSymbols::WIDE);
  TakeNames(names, count, 0, format.names.long_month_names);
  names = symbols.getMonths(count, monthContext, icu::DateFormatSymbols::ABBREVIATED);
  TakeNames(names, count, 0, format.names.short_month_names);
  // ICU numbers the days from 1, Sunday first.
  names = symbols.getWeekdays(count, icu::DateFormatSymbols::FORMAT, icu::DateFormatSymbols::WIDE);
  TakeNames(names, count, 1, format.names.long_day_names);
  names = symbols.getWeekdays(count, icu::DateFormatSymbols::FORMAT, icu::DateFormatSymbols::ABBREVIATED);
  TakeNames(names, count, 1, format.names.short_day_names);
  return format;
}

}  // namespace gd
