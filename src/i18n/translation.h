// The user's language: the menu captions, the countdown captions and the
// messages in the language the user reads, from message catalogues compiled
// into the program (po/*.po, turned into .mo data by msgfmt when the program
// is built). English, the language of the source, needs no catalogue.
//
// The language is chosen once, when the main window is created, from the
// preferences the platform reports; from then on it is only read.
//
// Texts for the catalogues are marked where they are written: Tr("...") for a
// text translated where it is used, N_("...") for one kept in a table and
// translated later, NP_("one", "many") for a text with plural forms. The
// gettext tools collect the marks into po/glimmerdome.pot (po/update.sh).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/message_catalogue.h"

#define N_(text) text
#define NP_(singular, plural) singular, plural

namespace gd {

// One catalogue as the program carries it: the language's code ("de",
// "pt_BR") and the .mo data.
struct EmbeddedCatalogue {
  const char* language;
  const uint8_t* data;
  size_t size;
};

// The languages the program carries catalogues for, in the order of their codes.
std::vector<std::string_view> AvailableLanguages();
// The catalogue of one of those languages; nullptr for any other.
const MessageCatalogue* CatalogueFor(std::string_view language);

// Chooses the first language of `preferences` the program has a catalogue
// for. A preference with a territory ("de_AT") also matches the language
// alone ("de"). Gives the code of the language chosen, or "" for English,
// which is used when none matches.
std::string UseLanguages(const std::vector<std::string>& preferences);
// The code of the language in use; "" for English.
std::string_view CurrentLanguage();

// The translation of `msgid` in the language in use, or `msgid` itself.
std::string Tr(std::string_view msgid);
// Tr, then the placeholders filled in: %s takes the next argument, %2$s
// the second (translations may change the order), %% is a percent sign.
std::string TrFormat(std::string_view msgid, std::initializer_list<std::string_view> args);
std::string FillPlaceholders(std::string_view text, std::initializer_list<std::string_view> args);
// Which plural form of `msgid` the language in use takes for the number n;
// nothing when the language in use has no plural forms for it (English).
std::optional<unsigned long> PluralFormOf(std::string_view msgid, unsigned long n);

// The language preferences of a POSIX process, from its environment values
// (empty where a variable is not set): LANGUAGE, a list separated by ':',
// counts only when the locale for messages (LC_ALL, else LC_MESSAGES, else
// LANG) is set and is not "C" or "POSIX", as for the gettext tools; then
// that locale. "de_DE.UTF-8@euro" gives "de_DE" and then "de".
std::vector<std::string> LanguagesFromEnvironment(std::string_view language, std::string_view lcAll,
                                                  std::string_view lcMessages, std::string_view lang);
// The preferences for one locale name: "de_DE.UTF-8" or "de-DE" (Windows)
// give "de_DE" and "de"; "C", "POSIX" and "" give none.
std::vector<std::string> LanguagesOfLocale(std::string_view locale);

}  // namespace gd
