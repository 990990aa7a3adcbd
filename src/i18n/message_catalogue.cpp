#include "i18n/message_catalogue.h"

#include <cstring>

namespace gd {
namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr uint32_t kMagicSwapped = 0xde120495;

uint32_t Swap(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xff00) | ((v << 8) & 0xff0000) | (v << 24);
}

// The header's value for `name` ("Plural-Forms"), up to the end of its line.
std::optional<std::string_view> HeaderField(std::string_view header, std::string_view name) {
  size_t at = 0;
  while (at < header.size()) {
    const size_t end = header.find('\n', at);
    const std::string_view line = header.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':')
      return line.substr(name.size() + 1);
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<MessageCatalogue> MessageCatalogue::FromMo(const uint8_t* data, size_t size) {
  if (!data || size < 28) return std::nullopt;
  auto word = [&](size_t offset, bool swapped) {
    uint32_t v;
    std::memcpy(&v, data + offset, 4);
    return swapped ? Swap(v) : v;
  };
  const uint32_t magic = word(0, false);
  if (magic != kMagic && magic != kMagicSwapped) return std::nullopt;
  const bool swapped = magic == kMagicSwapped;
  if ((word(4, swapped) >> 16) != 0) return std::nullopt;  // a major revision this reader does not know
  const uint64_t count = word(8, swapped);
  const uint64_t originals = word(12, swapped);
  const uint64_t translations = word(16, swapped);
  if (originals + count * 8 > size || translations + count * 8 > size) return std::nullopt;

  // A string of the tables: its length and offset, the NUL after it inside the data.
  auto text = [&](uint64_t table, uint64_t i) -> std::optional<std::string_view> {
    const uint64_t length = word(static_cast<size_t>(table + i * 8), swapped);
    const uint64_t offset = word(static_cast<size_t>(table + i * 8 + 4), swapped);
    if (offset + length >= size || data[offset + length] != 0) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(data + offset), static_cast<size_t>(length));
  };

  MessageCatalogue catalogue;
  for (uint64_t i = 0; i < count; ++i) {
    const std::optional<std::string_view> original = text(originals, i);
    const std::optional<std::string_view> translation = text(translations, i);
    if (!original || !translation) return std::nullopt;
    // A message with plural forms is stored as "singular\0plural".
    const size_t nul = original->find('\0');
    const std::string_view msgid = original->substr(0, nul);
    if (msgid.empty()) {
      if (const auto rule = HeaderField(*translation, "Plural-Forms"))
        if (auto forms = PluralForms::Parse(*rule)) catalogue.plurals_ = std::move(*forms);
      continue;
    }
    if (translation->empty()) continue;
    catalogue.entries_[msgid] = *translation;
    catalogue.plural_[msgid] = nul != std::string_view::npos;
  }
  return catalogue;
}

std::optional<std::string_view> MessageCatalogue::Find(std::string_view msgid) const {
  return FindPlural(msgid, 0);
}

std::optional<std::string_view> MessageCatalogue::FindPlural(std::string_view msgid, unsigned long form) const {
  const auto it = entries_.find(msgid);
  if (it == entries_.end()) return std::nullopt;
  std::string_view rest = it->second;
  for (unsigned long i = 0; i < form; ++i) {
    const size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(nul + 1);
  }
  const std::string_view text = rest.substr(0, rest.find('\0'));
  if (text.empty()) return std::nullopt;
  return text;
}

bool MessageCatalogue::HasPlural(std::string_view msgid) const {
  const auto it = plural_.find(msgid);
  return it != plural_.end() && it->second;
}

}  // namespace gd
