#include "calendar/date_format.h"

#include <cstdio>
#include <optional>

namespace gd {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Length of the run of `letter` (either case) starting at `i`.
size_t RunLength(std::string_view s, size_t i, char letter) {
  size_t n = 0;
  while (i + n < s.size() && Lower(s[i + n]) == letter) ++n;
  return n;
}

void AppendNumber(std::string& out, int value, int min_digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", min_digits, value);
  out += buf;
}

// Appends literal text in the pattern syntax. Punctuation, spaces and non-ASCII
// bytes stand for themselves; letters and double quotes go inside '...', an
// apostrophe inside "...".
void AppendLiteral(std::string& out, std::string_view text) {
  std::string quoted;
  auto flush = [&] {
    if (quoted.empty()) return;
    out += '\'';
    out += quoted;
    out += '\'';
    quoted.clear();
  };
  for (char c : text) {
    if (c == '\'') {
      flush();
      out += "\"'\"";
    } else if (IsAsciiLetter(c) || c == '"') {
      quoted += c;
    } else {
      flush();
      out += c;
    }
  }
  flush();
}

// Appends a pattern token; an empty quote keeps it apart from an equal letter
// before it (so d followed by d stays two tokens, not dd).
void AppendToken(std::string& out, std::string_view token) {
  if (!out.empty() && Lower(out.back()) == token.front()) out += "''";
  out += token;
}

}  // namespace

std::string FormatDate(std::string_view pattern, DateTime date, const LocaleNames& names) {
  const auto t = DecodeDateTime(date);
  const auto weekday = DayOfWeek(date);
  if (!t || !weekday) return {};

  std::string out;
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char letter = Lower(c);
    if (c == '\'' || c == '"') {
      const size_t close = pattern.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? pattern.size() : close;
      out.append(pattern.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? pattern.size() : close + 1;
    } else if (letter == 'd') {
      const size_t n = RunLength(pattern, i, 'd');
      if (n <= 2) AppendNumber(out, t->day, static_cast<int>(n));
      else if (n == 3) out += names.short_day_names[*weekday];
      else out += names.long_day_names[*weekday];
      i += n;
    } else if (letter == 'm') {
      const size_t n = RunLength(pattern, i, 'm');
      if (n <= 2) AppendNumber(out, t->month, static_cast<int>(n));
      else if (n == 3) out += names.short_month_names[t->month - 1];
      else out += names.long_month_names[t->month - 1];
      i += n;
    } else if (letter == 'y') {
      const size_t n = RunLength(pattern, i, 'y');
      if (n <= 2) AppendNumber(out, t->year % 100, 2);
      else AppendNumber(out, t->year, 4);
      i += n;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

std::string FormatLongDate(DateTime date, const LongDateFormat& format) {
  const std::string_view pattern =
      format.pattern.empty() ? kDefaultLongDatePattern : std::string_view(format.pattern);
  return FormatDate(pattern, date, format.names);
}

namespace {

// Turns a date picture of another notation into the core's pattern letters.
// Both notations quote literal text with apostrophes ('' is an apostrophe)
// and repeat a letter to widen its field; `token_for(letter, count)` names the
// core's token for a run, "" to drop the run, or nullopt to keep it as text.
template <typename TokenFor>
std::string ConvertDatePicture(std::string_view picture, TokenFor token_for) {
  std::string out;
  std::string literal;  // literal text waiting to be written
  bool in_quote = false;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {
      if (i + 1 < picture.size() && picture[i + 1] == '\'') {  // '' is an apostrophe
        literal += '\'';
        i += 2;
      } else {
        in_quote = !in_quote;
        ++i;
      }
      continue;
    }
    if (in_quote) {
      literal += c;
      ++i;
      continue;
    }
    size_t n = 1;
    while (i + n < picture.size() && picture[i + n] == c) ++n;
    const std::optional<std::string_view> token = token_for(c, n);
    if (!token) {
      literal.append(n, c);
    } else if (!token->empty()) {
      AppendLiteral(out, literal);
      literal.clear();
      AppendToken(out, *token);
    }
    i += n;
  }
  AppendLiteral(out, literal);
  return out;
}

}  // namespace

std::string LongDatePatternFromWindowsPicture(std::string_view picture) {
  return ConvertDatePicture(picture, [](char c, size_t n) -> std::optional<std::string_view> {
    switch (c) {
      case 'd': return n == 1 ? "d" : n == 2 ? "dd" : n == 3 ? "ddd" : "dddd";
      case 'M': return n == 1 ? "m" : n == 2 ? "mm" : n == 3 ? "mmm" : "mmmm";
      case 'y': return n <= 2 ? "yy" : "yyyy";
      case 'g': case 'h': case 'H': case 'm': case 's': case 't':
        return "";  // era and time of day: not part of a date here
      default: return std::nullopt;
    }
  });
}

std::string LongDatePatternFromCldrPattern(std::string_view pattern) {
  return ConvertDatePicture(pattern, [](char c, size_t n) -> std::optional<std::string_view> {
    if (!IsAsciiLetter(c)) return std::nullopt;
    switch (c) {
      case 'd': return n == 1 ? "d" : "dd";
      case 'M': case 'L': return n == 1 ? "m" : n == 2 ? "mm" : n == 3 || n > 4 ? "mmm" : "mmmm";
      case 'y': return n == 2 ? "yy" : "yyyy";
      case 'E': case 'c': case 'e': return n == 4 ? "dddd" : "ddd";
      default: return "";  // era, time of day, zone and the rest: not part of a date here
    }
  });
}

}  // namespace gd
