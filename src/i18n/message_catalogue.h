// A compiled message catalogue: the binary .mo form that msgfmt writes from a
// translator's .po file, read straight from memory. The program carries its
// catalogues inside itself (see translation.h), so nothing is read from disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "i18n/plural_forms.h"

namespace gd {

class MessageCatalogue {
 public:
  // Reads .mo data, which must outlive the catalogue. Nothing when the data
  // is not a well-formed catalogue (wrong magic number, tables or strings
  // outside the data).
  static std::optional<MessageCatalogue> FromMo(const uint8_t* data, size_t size);

  // The translation of `msgid`; nothing when the catalogue has none (or only
  // an empty one). For a message with plural forms this is the first form.
  std::optional<std::string_view> Find(std::string_view msgid) const;
  // The plural form `form` of a message with plural forms.
  std::optional<std::string_view> FindPlural(std::string_view msgid, unsigned long form) const;
  // Whether the message has plural forms in this catalogue.
  bool HasPlural(std::string_view msgid) const;

  const PluralForms& Plurals() const { return plurals_; }
  size_t Size() const { return entries_.size(); }

  // Every message of the catalogue, for checks: msgid -> the translation
  // (plural forms separated by NUL characters).
  const std::unordered_map<std::string_view, std::string_view>& Entries() const { return entries_; }

 private:
  std::unordered_map<std::string_view, std::string_view> entries_;
  std::unordered_map<std::string_view, bool> plural_;
  PluralForms plurals_;
};

}  // namespace gd
