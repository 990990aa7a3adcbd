// The translations the program carries: every text it shows is translated in
// every catalogue, the languages with several plural forms pick the right one
// for the plaque, and the user's language is found as the gettext tools find it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "i18n/translation.h"
#include "images/catalogue.h"
#include "scene/countdown.h"
#include "settings/menu.h"

namespace gd {
namespace {

// Puts English back when a test ends, whatever language it used.
struct InLanguage {
  explicit InLanguage(const std::string& code) { UseLanguages({code}); }
  ~InLanguage() { UseLanguages({}); }
};

#ifdef GLIMMERDOME_POT
struct TemplateEntry {
  std::string msgid;
  bool plural = false;
};

// The texts of a .pot file (msgid and whether it has a msgid_plural).
std::vector<TemplateEntry> ReadTemplate(const std::string& path) {
  std::ifstream in(path);
  std::vector<TemplateEntry> entries;
  std::string line;
  std::string* target = nullptr;
  std::string ignored;
  auto text = [](const std::string& quoted) {
    std::string out;
    for (size_t i = quoted.find('"') + 1; i + 1 < quoted.size(); ++i) {
      if (quoted[i] == '\\' && i + 2 < quoted.size()) {
        const char c = quoted[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
      } else {
        out += quoted[i];
      }
    }
    return out;
  };
  while (std::getline(in, line)) {
    if (line.rfind("msgid_plural ", 0) == 0) {
      entries.back().plural = true;
      target = &ignored;
    } else if (line.rfind("msgid ", 0) == 0) {
      entries.push_back({text(line), false});
      target = &entries.back().msgid;
    } else if (line.rfind("msgstr", 0) == 0) {
      target = nullptr;
    } else if (!line.empty() && line[0] == '"' && target) {
      *target += text(line);
    }
  }
  std::erase_if(entries, [](const TemplateEntry& e) { return e.msgid.empty(); });  // the header
  return entries;
}
#endif

TEST(Translations, EveryCatalogueTranslatesEveryTextAndHasItsPlaqueLabels) {
  const std::vector<std::string_view> languages = AvailableLanguages();
  EXPECT_GE(languages.size(), 11u);
#ifdef GLIMMERDOME_POT
  // The texts collected from the sources by xgettext when the tests were built.
  const std::vector<TemplateEntry> texts = ReadTemplate(GLIMMERDOME_POT);
  ASSERT_GT(texts.size(), 30u) << GLIMMERDOME_POT;
#endif
  for (std::string_view language : languages) {
    SCOPED_TRACE(language);
    const MessageCatalogue& catalogue = *CatalogueFor(language);
#ifdef GLIMMERDOME_POT
    for (const TemplateEntry& text : texts) {
      const unsigned long forms = text.plural ? catalogue.Plurals().Count() : 1;
      for (unsigned long form = 0; form < forms; ++form)
        EXPECT_TRUE(catalogue.FindPlural(text.msgid, form)) << "no translation of \"" << text.msgid << "\"";
    }
#endif  // a cross build has no template: the menu below still counts
    // Every caption of the menu, marked or not.
    for (const MenuItemDesign& item : kMenuItems) {
      if (item.kind == MenuItemKind::Separator) continue;
      EXPECT_TRUE(catalogue.Find(item.caption)) << item.caption;
    }
    EXPECT_TRUE(catalogue.Find(kExitItem.caption));
    // The plaque's word in each of the language's plural forms, drawn as pictures.
    for (unsigned long form = 0; form < catalogue.Plurals().Count(); ++form) {
      const std::string name = "imgDays_" + std::string(language) + "_" + std::to_string(form);
      const SceneImage* picture = SceneCatalogue::Embedded().FindSceneImage(name);
      ASSERT_NE(picture, nullptr) << name;
      EXPECT_EQ(picture->height, 20) << name;
    }
  }
}

TEST(Translations, PluralFormsOfTheLanguagesWithSeveral) {
  const struct {
    const char* language;
    unsigned long n;
    const char* word;
  } rows[] = {
      {"ru", 0, "дней"}, {"ru", 1, "день"}, {"ru", 2, "дня"},  {"ru", 5, "дней"},  {"ru", 11, "дней"},
      {"ru", 21, "день"}, {"ru", 22, "дня"}, {"ru", 111, "дней"}, {"ru", 364, "дня"},
      {"uk", 1, "день"},  {"uk", 3, "дні"},  {"uk", 5, "днів"},  {"uk", 12, "днів"},  {"uk", 31, "день"},
      {"pl", 1, "dzień"}, {"pl", 2, "dni"},  {"pl", 5, "dni"},   {"pl", 21, "dni"},   {"pl", 22, "dni"},
      {"cs", 0, "dní"},   {"cs", 1, "den"},  {"cs", 4, "dny"},   {"cs", 5, "dní"},    {"cs", 22, "dní"},
      {"fr", 0, "jour"},  {"fr", 1, "jour"}, {"fr", 2, "jours"}, {"de", 0, "Tage"},   {"de", 1, "Tag"},
  };
  for (const auto& row : rows) {
    InLanguage in(row.language);
    const std::optional<unsigned long> form = PluralFormOf("day", row.n);
    ASSERT_TRUE(form) << row.language;
    EXPECT_EQ(CatalogueFor(row.language)->FindPlural("day", *form), row.word) << row.language << " " << row.n;
  }
  // On the plaque: 1, 2 and 5 days in Russian are three different pictures.
  InLanguage russian("ru");
  EXPECT_EQ(TranslatedLabelImage(1), "imgDays_ru_0");
  EXPECT_EQ(TranslatedLabelImage(2), "imgDays_ru_1");
  EXPECT_EQ(TranslatedLabelImage(5), "imgDays_ru_2");
  UseLanguages({});
  EXPECT_EQ(TranslatedLabelImage(1), "");  // English keeps "day" and "days"
}

TEST(Translations, TheUsersLanguageAsTheGettextToolsFindIt) {
  EXPECT_EQ(LanguagesFromEnvironment("", "", "", "de_DE.UTF-8"), (std::vector<std::string>{"de_DE", "de"}));
  EXPECT_EQ(LanguagesFromEnvironment("", "pl_PL.UTF-8", "ru_RU", "de_DE"), (std::vector<std::string>{"pl_PL", "pl"}));
  EXPECT_EQ(LanguagesFromEnvironment("sv:fr", "", "ru_RU.UTF-8", ""),
            (std::vector<std::string>{"sv", "fr", "ru_RU", "ru"}));
  EXPECT_TRUE(LanguagesFromEnvironment("sv", "", "", "C.UTF-8").empty());  // the C locale speaks English
  EXPECT_TRUE(LanguagesFromEnvironment("sv", "", "", "").empty());
  EXPECT_EQ(LanguagesOfLocale("uk-UA"), (std::vector<std::string>{"uk_UA", "uk"}));  // Windows names

  EXPECT_EQ(UseLanguages({"pt_BR", "pt"}), "pt");
  EXPECT_EQ(UseLanguages({"nl_BE"}), "nl");
  EXPECT_EQ(UseLanguages({"en_GB", "de"}), "");
  EXPECT_EQ(UseLanguages({"xx_YY", "cs_CZ"}), "cs");
  EXPECT_EQ(Tr("Exit"), "Konec");
  EXPECT_EQ(TrFormat("Invalid data type for '%s'", {"TrVal"}), "Neplatný datový typ pro „TrVal“");
  EXPECT_EQ(UseLanguages({}), "");
  EXPECT_EQ(Tr("Exit"), "Exit");
  // A translation may put the placeholders in another order.
  EXPECT_EQ(FillPlaceholders("%2$s, %1$s: 100%%", {"a", "b"}), "b, a: 100%");
}

}  // namespace
}  // namespace gd
