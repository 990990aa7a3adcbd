#include "platform/shared/memory_settings_store.h"

#include <algorithm>
#include <utility>

namespace gd {

SettingsStore::Value MemorySettingsStore::Read(std::string_view name) {
  auto it = values.find(name);
  return it == values.end() ? Value{} : it->second;
}

bool MemorySettingsStore::WriteAll(const Entry* entries, size_t count, std::string* failedName) {
  for (size_t i = 0; i < count; ++i) {
    if (std::find(refuseWrites.begin(), refuseWrites.end(), entries[i].name) != refuseWrites.end()) {
      if (failedName) *failedName = std::string(entries[i].name);
      return false;  // nothing of this save is kept
    }
  }
  for (size_t i = 0; i < count; ++i)
    values[std::string(entries[i].name)] = Value{ValueKind::Int32, entries[i].value};
  ++writes;
  return true;
}

std::optional<bool> MemorySettingsStore::StartupEntryExists() {
  if (!startupReadable) return std::nullopt;
  return startupEntry.has_value();
}

bool MemorySettingsStore::SetStartupEntry(const std::string& executablePath) {
  if (std::find(refuseWrites.begin(), refuseWrites.end(), "Glimmerdome") != refuseWrites.end()) return false;
  startupEntry = executablePath;
  return true;
}

bool MemorySettingsStore::RemoveStartupEntry() {
  if (std::find(refuseWrites.begin(), refuseWrites.end(), "Glimmerdome") != refuseWrites.end()) return false;
  startupEntry.reset();
  return true;
}

std::string MemorySettingsStore::TakeProblem() { return std::exchange(problem, std::string()); }

}  // namespace gd
