// Writes the globe's own page, the one the first menu item opens, from the
// project's own files: index.html in English and index.LANGUAGE.html for each
// catalogue the program carries, the globe by day and at night as the
// program draws it (headless, at scale 2 for sharp screens), the style sheet
// and the countdown's script. The same sources give the same bytes.
//
// Usage: glimmer_page PROJECT_DIR OUTPUT_DIR
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/own_page.h"
#include "calendar/countdown_dates.h"
#include "images/catalogue.h"
#include "page_text.h"
#include "platform/headless/headless_platform.h"
#include "settings/menu.h"
#include "settings/settings.h"

namespace {

using namespace gd;
namespace fs = std::filesystem;

// Each language's own name, for the links between the pages.
struct LanguageName {
  std::string_view code, name;
};
constexpr LanguageName kLanguageNames[] = {
    {"cs", "Čeština"},  {"de", "Deutsch"}, {"", "English"},     {"es", "Español"},   {"fr", "Français"},
    {"it", "Italiano"}, {"nl", "Nederlands"}, {"pl", "Polski"}, {"pt", "Português"}, {"ru", "Русский"},
    {"sv", "Svenska"},  {"uk", "Українська"},
};

std::string Html(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string T(std::string_view msgid) { return Html(Tr(msgid)); }
std::string TF(std::string_view msgid, std::string_view arg) { return Html(TrFormat(msgid, {arg})); }
std::string TCode(std::string_view msgid, std::string_view code) {
  // The placeholder becomes a piece of code; the rest of the text is escaped.
  const std::string marker = "\x01";
  std::string text = Html(TrFormat(msgid, {marker}));
  return text.replace(text.find(marker), marker.size(), "<code>" + Html(code) + "</code>");
}

// A target's name: its menu caption's beginning without the dash before the date.
std::string TargetName(std::string_view prefix) {
  std::string name = Tr(prefix);
  while (!name.empty() && (name.back() == ' ' || name.back() == '-')) name.pop_back();
  return Html(name);
}

std::string Caption(std::string_view item) {
  for (const MenuItemDesign& design : kMenuItems)
    if (design.name == item) return T(design.caption);
  return T(kExitItem.caption);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

// The globe as the program draws it at `at`, after `frames` frames at the
// fastest speed (so that the snow has fallen in).
void Draw(const fs::path& path, LocalDateTime at, uint64_t frames) {
  HeadlessOptions options;
  options.frames = frames;
  options.at = at;
  options.scaleQuarters = 8;
  options.snapshotPath = path.string();
  options.choose = {"pmiQuickly"};
  HeadlessPlatform platform(options);
  MainWindow window(platform, SceneCatalogue::Embedded(), {});
  if (platform.RunMessageLoop(window) != 0) throw std::runtime_error("cannot draw " + path.string());
}

std::string Page(std::string_view language, const std::string& licence) {
  std::string lang = language.empty() ? "en" : std::string(language);
  std::ostringstream h;
  h << "<!DOCTYPE html>\n<html lang=\"" << lang << "\">\n<head>\n<meta charset=\"utf-8\">\n"
    << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    << "<meta name=\"color-scheme\" content=\"light dark\">\n"
    << "<title>Glimmerdome</title>\n<link rel=\"stylesheet\" href=\"page.css\">\n"
    << "<link rel=\"icon\" href=\"globe-night.png\">\n"
    << "<script src=\"countdown.js\" defer></script>\n</head>\n<body>\n";

  h << "<header>\n<h1>Glimmerdome</h1>\n<p class=\"tagline\">" << T(page::kTagline) << "</p>\n</header>\n";
  h << "<main>\n<div class=\"globes\">\n";
  for (auto [file, alt] : {std::pair{"globe-day.png", page::kByDay}, std::pair{"globe-night.png", page::kAtNight}})
    h << "<figure><img src=\"" << file << "\" width=\"300\" height=\"260\" alt=\"" << T(alt) << "\"><figcaption>"
      << T(alt) << "</figcaption></figure>\n";
  h << "</div>\n";

  // The countdown: the numbers and dates are filled in by countdown.js.
  h << "<section id=\"countdown\">\n<h2>" << Caption("Countdown1") << "</h2>\n<p>" << T(page::kCountdownIntro)
    << "</p>\n<table class=\"countdown\">\n";
  struct Row {
    const char* id;
    std::string_view prefix;
  };
  for (const Row& row : {Row{"christmas", kChristmasCaptionPrefix}, Row{"christmas-eve", kChristmasEveCaptionPrefix},
                         Row{"new-year", kNewYearCaptionPrefix}, Row{"julian", kJulianCaptionPrefix}})
    h << "<tr id=\"" << row.id << "\"><th scope=\"row\">" << TargetName(row.prefix)
      << "<span class=\"date\"></span></th><td><span class=\"days\">&#8211;</span>"
      << "<span class=\"time\"></span></td></tr>\n";
  h << "</table>\n<noscript><p>" << T(page::kNoScript) << "</p></noscript>\n</section>\n";

  h << "<section>\n<h2>" << T(page::kMovingHeading) << "</h2>\n<p>" << T(page::kMoving) << "</p>\n<p>" << T(page::kShaking)
    << "</p>\n</section>\n";

  h << "<section>\n<h2>" << T(page::kMenuHeading) << "</h2>\n<p>" << T(page::kMenuIntro)
    << "</p>\n<dl class=\"menu\">\n";
  auto item = [&](std::string caption, std::string_view does) {
    h << "<dt>" << caption << "</dt><dd>" << T(does) << "</dd>\n";
  };
  item("<b>" + Caption("pmiAbout") + "</b>", page::kAboutDoes);
  item(Caption("Speedofanimation1"), page::kSpeedDoes);
  item(Caption("Size1"), page::kSizeDoes);
  item(Caption("Countdown1"), page::kCountdownDoes);
  h << "<dt>" << Caption("Options1") << "</dt><dd><dl>\n";
  item(Caption("pmiSnow"), page::kSnowDoes);
  item(Caption("ransparent1"), page::kTransparentDoes);
  item(Caption("pmiOnTop"), page::kOnTopDoes);
  item(T(kStartUpLoginCaption), page::kStartDoes);
  h << "</dl></dd>\n";
  item(Caption("pmiExit"), page::kExitDoes);
  h << "</dl>\n</section>\n";

  h << "<section>\n<h2>" << T(page::kSettingsHeading) << "</h2>\n<ul>\n<li>"
    << TCode(page::kSettingsLinux, "~/.config/glimmerdome/settings.ini") << "</li>\n<li>"
    << TCode(page::kSettingsWindows, "HKEY_CURRENT_USER\\Software\\Glimmerdome") << "</li>\n</ul>\n</section>\n";

  h << "<section>\n<h2>" << T(page::kCreditsHeading) << "</h2>\n<p>" << T(page::kMadeBy) << " "
    << T(page::kBuiltWith) << " " << T(page::kLettering) << "</p>\n</section>\n";
  h << "<section>\n<h2>" << T(page::kLicenceHeading) << "</h2>\n<p>" << T(page::kLicence)
    << "</p>\n<pre class=\"licence\">"
    << Html(licence) << "</pre>\n</section>\n</main>\n";

  h << "<footer>\n<p>Glimmerdome · " << TF(page::kVersion, GLIMMERDOME_VERSION) << "</p>\n<nav>";
  bool first = true;
  for (const LanguageName& other : kLanguageNames) {
    h << (first ? "" : " · ");
    first = false;
    if (other.code == language)
      h << "<strong>" << other.name << "</strong>";
    else
      h << "<a href=\"" << PageFileName(other.code) << "\" hreflang=\"" << (other.code.empty() ? "en" : other.code)
        << "\">" << other.name << "</a>";
  }
  h << "</nav>\n</footer>\n</body>\n</html>\n";
  return h.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: glimmer_page PROJECT_DIR OUTPUT_DIR\n", stderr);
    return 2;
  }
  try {
    const fs::path project = argv[1], out = argv[2];
    fs::create_directories(out);
    // The plaque in the program's own language, English.
    UseLanguages({});
    Draw(out / "globe-day.png", {2026, 12, 20, 12, 0, 0, 0}, 300);
    Draw(out / "globe-night.png", {2026, 12, 20, 22, 0, 0, 0}, 2200);
    WriteFile(out / "page.css", ReadFile(project / "tools/page/page.css"));
    WriteFile(out / "countdown.js", ReadFile(project / "tools/page/countdown.js"));
    const std::string licence = ReadFile(project / "LICENSE");
    for (const LanguageName& language : kLanguageNames) {
      if (!language.code.empty() && !CatalogueFor(language.code))
        throw std::runtime_error("no catalogue for " + std::string(language.code));
      std::vector<std::string> preferences;
      if (!language.code.empty()) preferences.emplace_back(language.code);
      UseLanguages(preferences);
      WriteFile(out / PageFileName(language.code), Page(language.code, licence));
    }
    if (AvailableLanguages().size() + 1 != std::size(kLanguageNames))
      throw std::runtime_error("a catalogue has no page: add its language to kLanguageNames");
    UseLanguages({});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "glimmer_page: %s\n", e.what());
    return 1;
  }
  return 0;
}
