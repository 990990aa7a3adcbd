// The settings' values: reading them from a store as the table says, and the
// messages about them.
#include "settings/settings.h"

namespace gd {

void StoredSettings::Set(Setting s, int32_t raw) {
  int32_t value = raw;
  switch (RowOf(s).storedAs) {
    case StoredAs::Flag:
      value = raw != 0 ? 1 : 0;
      break;
    case StoredAs::LowByte:
      value = static_cast<int32_t>(static_cast<uint32_t>(raw) & 0xFF);
      break;
    case StoredAs::Integer:
      break;
  }
  values_[Index(s)] = value;
}

StoredSettings ReadStoredSettings(SettingsStore& store, std::vector<std::string>* messages) {
  StoredSettings stored;
  std::vector<std::string> wrongType;
  for (const SettingRow& design : kSettings) {
    const SettingsStore::Value v = store.Read(design.name);
    if (v.kind == SettingsStore::ValueKind::Int32)
      stored.Set(design.id, v.value);
    else if (v.kind == SettingsStore::ValueKind::WrongType)
      wrongType.emplace_back(design.name);
  }
  if (messages) {
    if (std::string problem = store.TakeProblem(); !problem.empty()) messages->push_back(std::move(problem));
    for (const std::string& name : wrongType) messages->push_back(InvalidDataTypeMessage(name));
  }
  return stored;
}

std::string SettingsTraceFields(std::string_view when, const SettingValues& values) {
  std::string fields = "\"when\": \"" + std::string(when) + "\"";
  for (const SettingRow& design : kSettings)
    fields += ", \"" + std::string(design.name) + "\": " + std::to_string(values[Index(design.id)]);
  return fields;
}

const TransparencyLevel& LevelOfStoredIndex(int32_t index) {
  return index >= 0 && index < static_cast<int32_t>(kTransparencyLevels.size()) ? kTransparencyLevels[index]
                                                                                : kTransparencyLevels[0];
}

std::string WriteSettingValues(SettingsStore& store, const SettingValues& values) {
  // All values in one write: a store that refuses keeps what it held before.
  std::array<SettingsStore::Entry, kSettings.size()> entries{};
  for (const SettingRow& design : kSettings) entries[Index(design.id)] = {design.name, values[Index(design.id)]};
  std::string failedName;
  if (store.WriteAll(entries.data(), entries.size(), &failedName)) return {};
  if (failedName.empty()) failedName = entries[0].name;
  std::string message = FailedToSetMessage(failedName);
  if (std::string why = store.TakeProblem(); !why.empty()) message += "\n" + why;
  return message;
}

std::string WriteStartupEntry(SettingsStore& store, bool startAtLogin, const std::string& executablePath) {
  if (startAtLogin ? store.SetStartupEntry(executablePath) : store.RemoveStartupEntry()) return {};
  std::string message = FailedToSetMessage(kStartupEntryName);
  if (std::string why = store.TakeProblem(); !why.empty()) message += "\n" + why;
  return message;
}

std::string InvalidDataTypeMessage(std::string_view valueName) {
  return TrFormat("Invalid data type for '%s'", {valueName});
}

std::string FailedToSetMessage(std::string_view valueName) {
  return TrFormat("Failed to set data for '%s'", {valueName});
}

}  // namespace gd
