#include "platform/win32/registry_store.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace gd::win32 {
namespace {

// An open registry key, closed when it goes out of scope.
class Key {
 public:
  // Opens `path` under HKEY_CURRENT_USER, creating it when it is missing.
  static Key Create(const std::wstring& path, REGSAM access) {
    Key key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        &key.handle_, nullptr) != ERROR_SUCCESS)
      key.handle_ = nullptr;
    return key;
  }
  static Key Open(const std::wstring& path, REGSAM access) {
    Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key.handle_) != ERROR_SUCCESS)
      key.handle_ = nullptr;
    return key;
  }

  Key(Key&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (handle_) RegCloseKey(handle_);
  }

  explicit operator bool() const { return handle_ != nullptr; }
  HKEY get() const { return handle_; }

 private:
  Key() = default;
  HKEY handle_ = nullptr;
};

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::wstring settingsKey, std::wstring runKey, std::wstring runValue)
    : settingsKey_(std::move(settingsKey)), runKey_(std::move(runKey)), runValue_(std::move(runValue)) {}

SettingsStore::Value RegistrySettingsStore::Read(std::string_view name) {
  const Key key = Key::Create(settingsKey_, KEY_QUERY_VALUE);
  if (!key) return {};
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  const LSTATUS status =
      RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data)
    return {ValueKind::Int32, static_cast<int32_t>(data)};
  // There, but larger than four bytes or of another type.
  if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) return {ValueKind::WrongType, 0};
  return {};
}

bool RegistrySettingsStore::WriteAll(const Entry* entries, size_t count, std::string* failedName) {
  if (count == 0) return true;
  const Key key = Key::Create(settingsKey_, KEY_SET_VALUE);
  for (size_t i = 0; i < count; ++i) {
    const DWORD data = static_cast<DWORD>(entries[i].value);
    if (!key || RegSetValueExW(key.get(), Widen(entries[i].name).c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS) {
      if (failedName) *failedName = std::string(entries[i].name);
      return false;
    }
  }
  return true;
}

std::optional<bool> RegistrySettingsStore::StartupEntryExists() {
  const Key key = Key::Open(runKey_, KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  const LSTATUS status = RegQueryValueExW(key.get(), runValue_.c_str(), nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) return true;
  if (status == ERROR_FILE_NOT_FOUND) return false;
  return std::nullopt;
}

bool RegistrySettingsStore::SetStartupEntry(const std::string& executablePath) {
  const Key key = Key::Create(runKey_, KEY_SET_VALUE);
  if (!key) return false;
  const std::wstring path = Widen(executablePath);
  const DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));  // with the closing null
  return RegSetValueExW(key.get(), runValue_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                        bytes) == ERROR_SUCCESS;
}

bool RegistrySettingsStore::RemoveStartupEntry() {
  const Key key = Key::Create(runKey_, KEY_SET_VALUE);
  if (!key) return false;
  const LSTATUS status = RegDeleteValueW(key.get(), runValue_.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace gd::win32
