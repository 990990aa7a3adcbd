#include "platform/win32/locale_date.h"

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/text.h"

namespace gd::win32 {
namespace {

std::optional<std::string> LocaleText(const wchar_t* locale, LCTYPE type) {
  const int n = GetLocaleInfoEx(locale, type, nullptr, 0);
  if (n <= 1) return std::nullopt;
  std::wstring text(static_cast<size_t>(n), L'\0');
  if (GetLocaleInfoEx(locale, type, text.data(), n) != n) return std::nullopt;
  text.resize(static_cast<size_t>(n) - 1);  // the closing null
  return Narrow(text);
}

void Take(std::string& name, const wchar_t* locale, LCTYPE type) {
  if (std::optional<std::string> text = LocaleText(locale, type)) name = std::move(*text);
}

// Whether a picture shows the day of the month as a number (d or dd outside
// quoted text). Windows then writes its month names in the genitive case,
// which some languages distinguish ("25 декабря", not "25 декабрь").
bool ShowsDayNumber(std::string_view picture) {
  bool quoted = false;
  for (size_t i = 0; i < picture.size();) {
    if (picture[i] == '\'') {
      quoted = !quoted;
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == picture[i]) ++run;
    if (!quoted && picture[i] == 'd' && run <= 2) return true;
    i += run;
  }
  return false;
}

}  // namespace

LongDateFormat LongDateFormatOf(const wchar_t* localeName) {
  const wchar_t* locale = localeName ? localeName : LOCALE_NAME_USER_DEFAULT;
  LongDateFormat format;
  const std::optional<std::string> picture = LocaleText(locale, LOCALE_SLONGDATE);
  if (picture) format.pattern = LongDatePatternFromWindowsPicture(*picture);

  LocaleNames& names = format.names;
  const LCTYPE monthCase = picture && ShowsDayNumber(*picture) ? LOCALE_RETURN_GENITIVE_NAMES : 0;
  for (int i = 0; i < 12; ++i) {
    const LCTYPE month = LOCALE_SMONTHNAME1 + i;
    std::optional<std::string> name = LocaleText(locale, month | monthCase);
    if (!name && monthCase) name = LocaleText(locale, month);  // a system without genitive names
    if (name) names.long_month_names[i] = std::move(*name);
    Take(names.short_month_names[i], locale, LOCALE_SABBREVMONTHNAME1 + i);
  }
  // Windows counts days from Monday (LOCALE_SDAYNAME1), the core from Sunday.
  for (int i = 0; i < 7; ++i) {
    const int windowsDay = (i + 6) % 7;  // Sunday is the seventh
    Take(names.long_day_names[i], locale, LOCALE_SDAYNAME1 + windowsDay);
    Take(names.short_day_names[i], locale, LOCALE_SABBREVDAYNAME1 + windowsDay);
  }
  return format;
}

}  // namespace gd::win32
