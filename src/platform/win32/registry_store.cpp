#include "platform/win32/registry_store.h"

#include <windows.h>

#include <utility>

#include "i18n/translation.h"
#include "platform/win32/text.h"

namespace gd::win32 {
namespace {

// An open registry key, closed when it goes out of scope.
class Key {
 public:
  // Opens `path` under HKEY_CURRENT_USER, creating it when it is missing.
  static Key Create(const std::wstring& path, REGSAM access) {
    Key key;
    key.status_ = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, &key.handle_, nullptr);
    if (key.status_ != ERROR_SUCCESS) key.handle_ = nullptr;
    return key;
  }
  static Key Open(const std::wstring& path, REGSAM access) {
    Key key;
    key.status_ = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key.handle_);
    if (key.status_ != ERROR_SUCCESS) key.handle_ = nullptr;
    return key;
  }

  Key(Key&& other) noexcept : handle_(other.handle_), status_(other.status_) { other.handle_ = nullptr; }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (handle_) RegCloseKey(handle_);
  }

  explicit operator bool() const { return handle_ != nullptr; }
  HKEY get() const { return handle_; }
  // Why opening failed.
  LSTATUS status() const { return status_; }

 private:
  Key() = default;
  HKEY handle_ = nullptr;
  LSTATUS status_ = ERROR_SUCCESS;
};

std::string KeyName(const std::wstring& path) { return "HKEY_CURRENT_USER\\" + Narrow(path); }

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::wstring settingsKey, std::wstring runKey, std::wstring runValue)
    : settingsKey_(std::move(settingsKey)), runKey_(std::move(runKey)), runValue_(std::move(runValue)) {}

void RegistrySettingsStore::Problem(const std::string& what, long status) {
  problem_ = what + ": " + SystemErrorText(static_cast<unsigned long>(status));
}

std::string RegistrySettingsStore::TakeProblem() { return std::exchange(problem_, std::string()); }

SettingsStore::Value RegistrySettingsStore::Read(std::string_view name) {
  const Key key = Key::Create(settingsKey_, KEY_QUERY_VALUE);
  if (!key) {
    Problem(TrFormat("The settings in %s cannot be read", {KeyName(settingsKey_)}), key.status());
    return {};
  }
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
    const LSTATUS status = key ? RegSetValueExW(key.get(), Widen(entries[i].name).c_str(), 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&data), sizeof data)
                               : key.status();
    if (status != ERROR_SUCCESS) {
      if (failedName) *failedName = std::string(entries[i].name);
      Problem(KeyName(settingsKey_), status);
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
  const std::wstring path = Widen(executablePath);
  const DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));  // with the closing null
  const LSTATUS status = key ? RegSetValueExW(key.get(), runValue_.c_str(), 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(path.c_str()), bytes)
                             : key.status();
  if (status == ERROR_SUCCESS) return true;
  Problem(KeyName(runKey_), status);
  return false;
}

bool RegistrySettingsStore::RemoveStartupEntry() {
  const Key key = Key::Create(runKey_, KEY_SET_VALUE);
  const LSTATUS status = key ? RegDeleteValueW(key.get(), runValue_.c_str()) : key.status();
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  Problem(KeyName(runKey_), status);
  return false;
}

}  // namespace gd::win32
