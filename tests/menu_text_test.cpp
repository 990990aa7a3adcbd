// The menu as text, the form --print-menu prints and the translations read:
// written out here by hand, so that any change to the form shows.
#include <gtest/gtest.h>

#include "globe_fixture.h"
#include "settings/menu_text.h"

namespace gd {
namespace {

TEST(MenuText, ShowsTheTreeTheMarksAndTheDefaultAsTheUserSeesThem) {
  testing::Globe g;
  g.Store().startsWithWindows = false;
  g.Show();
  g.platform.Choose("pmiQuickly");
  g.platform.Choose("pmiJulian");
  g.platform.Choose("pmiSnow");  // off
  g.platform.Choose("pmi0");     // the checked level again: none checked
  EXPECT_EQ(MenuAsText(g.window.Menu(), g.window.CurrentChoices()),
            "More Christmas stuff... (default)\n"
            "-\n"
            "Speed of animation\n"
            "  Slow\n"
            "  Normal\n"
            "  Fast\n"
            "  (*) Quickly\n"
            "Size\n"
            "  (*) Automatic\n"
            "  100%\n  125%\n  150%\n  175%\n  200%\n  250%\n  300%\n"
            "Countdown\n"
            "  Christmas - December 25, 2026\n"
            "  Christmas Eve - December 24, 2026\n"
            "  New Year - January 1, 2027\n"
            "  (*) Julian Christmas - January 7, 2027\n"
            "Options\n"
            "  Snow (for slow PC)\n"
            "  Transparent\n"
            "    0%\n    10%\n    20%\n    30%\n    40%\n    50%\n    60%\n    70%\n    80%\n    90%\n"
            "  [x] Always OnTop\n"
            "  [x] Start Glimmerdome when I log in\n"
            "-\n"
            "Exit\n");
}

}  // namespace
}  // namespace gd
