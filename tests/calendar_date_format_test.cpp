#include "calendar/date_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace gd {
namespace {

DateTime Date(int y, int m, int d) { return *EncodeDate(y, m, d); }

LocaleNames Spanish() {
  LocaleNames n;
  n.long_month_names = {"enero", "febrero", "marzo", "abril", "mayo", "junio",
                        "julio", "agosto", "septiembre", "octubre", "noviembre", "diciembre"};
  n.long_day_names = {"domingo", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado"};
  return n;
}

TEST(CalendarDateFormat, EveryPatternLetter) {
  const LocaleNames en;
  const DateTime jan7 = Date(2027, 1, 7);  // a Thursday
  EXPECT_EQ(FormatDate("d", jan7, en), "7");
  EXPECT_EQ(FormatDate("dd", jan7, en), "07");
  EXPECT_EQ(FormatDate("ddd", jan7, en), "Thu");
  EXPECT_EQ(FormatDate("dddd", jan7, en), "Thursday");
  EXPECT_EQ(FormatDate("m", jan7, en), "1");
  EXPECT_EQ(FormatDate("mm", jan7, en), "01");
  EXPECT_EQ(FormatDate("mmm", jan7, en), "Jan");
  EXPECT_EQ(FormatDate("mmmm", jan7, en), "January");
  EXPECT_EQ(FormatDate("yy", jan7, en), "27");
  EXPECT_EQ(FormatDate("yyyy", jan7, en), "2027");
  EXPECT_EQ(FormatDate("dd/mm/yyyy", Date(2026, 12, 25), en), "25/12/2026");
  EXPECT_EQ(FormatDate("dddd d mmmm", Date(2026, 12, 20), en), "Sunday 20 December");
  EXPECT_EQ(FormatDate("ddd mmm", Date(2026, 12, 26), en), "Sat Dec");
}

TEST(CalendarDateFormat, RunLengthsCaseAndSmallYears) {
  const LocaleNames en;
  const DateTime d = Date(2027, 1, 7);
  EXPECT_EQ(FormatDate("DDDD, MMMM D, YYYY", d, en), "Thursday, January 7, 2027");
  EXPECT_EQ(FormatDate("mmmmm|ddddd", d, en), "January|Thursday");
  EXPECT_EQ(FormatDate("y|yyy|yyyyy", d, en), "27|2027|2027");
  EXPECT_EQ(FormatDate("yyyy yy", Date(5, 3, 9), en), "0005 05");
  EXPECT_EQ(FormatDate("yyyy yy", Date(2000, 3, 9), en), "2000 00");
}

TEST(CalendarDateFormat, QuotedAndLiteralText) {
  const LocaleNames en;
  const DateTime d = Date(2027, 1, 7);
  EXPECT_EQ(FormatDate("'day' d \"of\" mmmm", d, en), "day 7 of January");
  EXPECT_EQ(FormatDate("d 'it\"s' \"it's\"", d, en), "7 it\"s it's");
  EXPECT_EQ(FormatDate("d. mmmm yyyy, ab!", d, en), "7. January 2027, ab!");
  EXPECT_EQ(FormatDate("d 'unclosed mmmm", d, en), "7 unclosed mmmm");
  EXPECT_EQ(FormatDate("''d''", d, en), "7");
  EXPECT_EQ(FormatDate("yyyy年m月d日", d, en), "2027年1月7日");
  EXPECT_EQ(FormatDate("", d, en), "");
}

TEST(CalendarDateFormat, LocaleNamesAndDefaults) {
  EXPECT_EQ(FormatDate("dddd, d 'de' mmmm 'de' yyyy", Date(2027, 1, 7), Spanish()),
            "jueves, 7 de enero de 2027");
  EXPECT_EQ(FormatLongDate(Date(2026, 12, 25), LongDateFormat{}), "December 25, 2026");
  LongDateFormat empty;
  empty.pattern.clear();
  EXPECT_EQ(FormatLongDate(Date(2027, 1, 1), empty), "January 1, 2027");
  EXPECT_EQ(FormatDate("d", std::numeric_limits<double>::quiet_NaN(), LocaleNames{}), "");
}

TEST(CalendarDateFormat, WindowsPictureConversion) {
  EXPECT_EQ(LongDatePatternFromWindowsPicture("dddd, MMMM d, yyyy"), "dddd, mmmm d, yyyy");
  EXPECT_EQ(LongDatePatternFromWindowsPicture("d MMM yy"), "d mmm yy");
  EXPECT_EQ(LongDatePatternFromWindowsPicture("dd.MM.y"), "dd.mm.yy");
  EXPECT_EQ(LongDatePatternFromWindowsPicture("dddd, d' de 'MMMM' de 'yyyy"),
            "dddd, d 'de' mmmm 'de' yyyy");
  // Minutes, hours, seconds, am/pm and era letters are not a date's.
  EXPECT_EQ(LongDatePatternFromWindowsPicture("gg yyyy MMMM d hh:mm:ss tt"), " yyyy mmmm d :: ");
  EXPECT_EQ(LongDatePatternFromWindowsPicture("dhd"), "d''d");
}

TEST(CalendarDateFormat, ConvertedWindowsPicturesFormatAsWindowsWould) {
  const DateTime d = Date(2027, 1, 7);
  auto format = [&](std::string_view picture, const LocaleNames& names = LocaleNames{}) {
    return FormatDate(LongDatePatternFromWindowsPicture(picture), d, names);
  };
  EXPECT_EQ(format("dddd, MMMM d, yyyy"), "Thursday, January 7, 2027");
  EXPECT_EQ(format("dddd, d' de 'MMMM' de 'yyyy", Spanish()), "jueves, 7 de enero de 2027");
  EXPECT_EQ(format("yyyy'年'M'月'd'日'"), "2027年1月7日");
  EXPECT_EQ(format("d MMMM yyyy 'г.'"), "7 January 2027 г.");
  EXPECT_EQ(format("d MMM ''yy"), "7 Jan '27");
  EXPECT_EQ(format("'It''s' d"), "It's 7");
  EXPECT_EQ(format("'\"day\" d' d"), "\"day\" d 7");
  EXPECT_EQ(format("'unclosed d MMMM"), "unclosed d MMMM");
  EXPECT_EQ(format("MMMMM ddddd"), "January Thursday");
}

}  // namespace
}  // namespace gd
