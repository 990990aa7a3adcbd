// The settings in the Windows registry of the current user: the seven values
// of the settings key, each a REG_DWORD, and the start-at-login entry, a
// REG_SZ value under the user's Run key holding the executable's full path.
#pragma once

#include <string>

#include "platform/platform.h"

namespace gd::win32 {

inline constexpr const wchar_t* kSettingsKeyPath = L"Software\\Glimmerdome";
inline constexpr const wchar_t* kRunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* kRunValueName = L"Glimmerdome";

class RegistrySettingsStore : public SettingsStore {
 public:
  // Key paths under HKEY_CURRENT_USER; tests pass keys of their own.
  explicit RegistrySettingsStore(std::wstring settingsKey = kSettingsKeyPath, std::wstring runKey = kRunKeyPath,
                                 std::wstring runValue = kRunValueName);

  // The settings key is opened with creation, for reading as for writing. A
  // value that is not a 4-byte REG_DWORD is WrongType.
  Value Read(std::string_view name) override;
  // The registry writes one value at a time: a refused write stops the save
  // there, and each value keeps either its earlier content or the new one.
  bool WriteAll(const Entry* entries, size_t count, std::string* failedName) override;

  std::optional<bool> StartupEntryExists() override;
  // The path as it stands: no quotes, no arguments.
  bool SetStartupEntry(const std::string& executablePath) override;
  // Removing an entry that is not there succeeds.
  bool RemoveStartupEntry() override;

  // Why the settings key could not be opened, or why the last write failed,
  // in the system's words.
  std::string TakeProblem() override;
  // The entry is a value of the Run key: Windows starts the program.
  bool StartsWithWindows() const override { return true; }

 private:
  // Notes what went wrong, for TakeProblem.
  void Problem(const std::string& what, long status);

  std::string problem_;
  std::wstring settingsKey_;
  std::wstring runKey_;
  std::wstring runValue_;
};

}  // namespace gd::win32
