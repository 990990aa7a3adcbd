#include "i18n/translation.h"

#include <algorithm>
#include <map>
#include <memory>

namespace gd {

// Generated from po/*.po when the program is built.
extern const EmbeddedCatalogue kEmbeddedCatalogues[];
extern const size_t kEmbeddedCatalogueCount;

namespace {

// Every embedded catalogue, read once.
const std::map<std::string, MessageCatalogue, std::less<>>& Catalogues() {
  static const auto* catalogues = [] {
    auto* map = new std::map<std::string, MessageCatalogue, std::less<>>;
    for (size_t i = 0; i < kEmbeddedCatalogueCount; ++i) {
      const EmbeddedCatalogue& e = kEmbeddedCatalogues[i];
      if (auto catalogue = MessageCatalogue::FromMo(e.data, e.size)) map->emplace(e.language, std::move(*catalogue));
    }
    return map;
  }();
  return *catalogues;
}

struct Current {
  std::string language;
  const MessageCatalogue* catalogue = nullptr;
};

Current& InUse() {
  static Current current;
  return current;
}

}  // namespace

std::vector<std::string_view> AvailableLanguages() {
  std::vector<std::string_view> languages;
  for (const auto& [code, catalogue] : Catalogues()) languages.push_back(code);
  return languages;
}

const MessageCatalogue* CatalogueFor(std::string_view language) {
  const auto& catalogues = Catalogues();
  const auto it = catalogues.find(language);
  return it == catalogues.end() ? nullptr : &it->second;
}

std::string UseLanguages(const std::vector<std::string>& preferences) {
  Current& current = InUse();
  current = {};
  for (const std::string& preference : preferences) {
    std::string_view code = preference;
    const MessageCatalogue* catalogue = CatalogueFor(code);
    if (!catalogue) {
      code = code.substr(0, code.find('_'));
      catalogue = CatalogueFor(code);
    }
    if (catalogue) {
      current = {std::string(code), catalogue};
      break;
    }
    // English asked for by name wins over any later preference.
    if (code == "en") break;
  }
  return current.language;
}

std::string_view CurrentLanguage() { return InUse().language; }

std::string Tr(std::string_view msgid) {
  if (const MessageCatalogue* catalogue = InUse().catalogue)
    if (const auto text = catalogue->Find(msgid)) return std::string(*text);
  return std::string(msgid);
}

std::string FillPlaceholders(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    if (text[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t index = next;
    size_t j = i + 1;
    size_t number = 0;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') number = number * 10 + static_cast<size_t>(text[j++] - '0');
    if (number > 0 && j + 1 < text.size() && text[j] == '$' && text[j + 1] == 's') {
      index = number - 1;
      j += 1;
    } else if (text[i + 1] == 's') {
      j = i + 1;
      ++next;
    } else {
      out += text[i];  // not a placeholder
      continue;
    }
    if (index < args.size()) out += *(args.begin() + index);
    i = j;
  }
  return out;
}

std::string TrFormat(std::string_view msgid, std::initializer_list<std::string_view> args) {
  return FillPlaceholders(Tr(msgid), args);
}

std::optional<unsigned long> PluralFormOf(std::string_view msgid, unsigned long n) {
  const MessageCatalogue* catalogue = InUse().catalogue;
  if (!catalogue || !catalogue->HasPlural(msgid)) return std::nullopt;
  return catalogue->Plurals().FormFor(n);
}

std::vector<std::string> LanguagesOfLocale(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return {};
  std::string name(locale);
  std::replace(name.begin(), name.end(), '-', '_');
  std::vector<std::string> languages{name};
  const size_t territory = name.find('_');
  if (territory != std::string::npos && territory > 0) languages.push_back(name.substr(0, territory));
  return languages;
}

std::vector<std::string> LanguagesFromEnvironment(std::string_view language, std::string_view lcAll,
                                                  std::string_view lcMessages, std::string_view lang) {
  const std::string_view locale = !lcAll.empty() ? lcAll : !lcMessages.empty() ? lcMessages : lang;
  std::vector<std::string> languages = LanguagesOfLocale(locale);
  if (languages.empty()) return {};
  std::vector<std::string> preferences;
  while (!language.empty()) {
    const size_t colon = language.find(':');
    for (std::string& l : LanguagesOfLocale(language.substr(0, colon))) preferences.push_back(std::move(l));
    if (colon == std::string_view::npos) break;
    language.remove_prefix(colon + 1);
  }
  for (std::string& l : languages) preferences.push_back(std::move(l));
  return preferences;
}

}  // namespace gd
