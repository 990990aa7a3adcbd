// The countdown captions in the user's locale on Linux: the locale's own long
// date from ICU's CLDR data, and the menu in the user's language around it.
#include <gtest/gtest.h>

#ifdef GLIMMERDOME_HAVE_ICU
#include "globe_fixture.h"
#include "platform/icu/icu_date.h"

namespace gd {
namespace {

TEST(LongDates, EachLocaleWritesItsOwnLongDate) {
  const DateTime christmas = *EncodeDate(2026, 12, 25);
  const struct {
    const char* locale;
    const char* date;
  } rows[] = {
      {"de_DE.UTF-8", "25. Dezember 2026"},   {"en_US.UTF-8", "December 25, 2026"},
      {"ru_RU.UTF-8", "25 декабря 2026\u202fг."}, {"cs_CZ.UTF-8", "25. prosince 2026"},
      {"fr_FR.UTF-8", "25 décembre 2026"},    {"sv_SE.UTF-8@euro", "25 december 2026"},
      {"C.UTF-8", "December 25, 2026"},       {"", "December 25, 2026"},
      {"xx_YY.UTF-8", "December 25, 2026"},  // no data for the language: English
  };
  for (const auto& row : rows)
    EXPECT_EQ(FormatLongDate(christmas, IcuLongDateFormat(row.locale)), row.date) << row.locale;
}

TEST(LongDates, AGermanDesktopSeesAGermanMenu) {
  using testing::Globe;
  HeadlessOptions o = testing::GlobeOptions();
  o.languages = {"de_DE", "de"};
  o.timeLocale = "de_DE.UTF-8";
  Globe g(o);
  g.Show();
  const MenuModel& menu = g.window.Menu();
  EXPECT_EQ(menu.Find("pmiChristmas")->caption, "Weihnachten - 25. Dezember 2026");
  EXPECT_EQ(menu.Find("pmiChristmasEve")->caption, "Heiligabend - 24. Dezember 2026");
  EXPECT_EQ(menu.Find("pmiJulian")->caption, "Julianische Weihnachten - 7. Januar 2027");
  EXPECT_EQ(menu.Find("Speedofanimation1")->caption, "Animationsgeschwindigkeit");
  EXPECT_EQ(menu.Find("pmiExit")->caption, "Beenden");
  UseLanguages({});
}

}  // namespace
}  // namespace gd
#endif
