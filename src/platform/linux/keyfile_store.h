// The settings store of desktops without a registry. The seven values live in
// a key file, group [Glimmerdome], one decimal integer each; the
// start-at-login entry is an XDG autostart desktop entry whose presence is
// the state. Both files are written whole to a temporary file that then
// replaces the old one once it is on the disk, so an interrupted or refused
// save never leaves a half-written file behind, and two globes writing at
// once leave the one or the other's whole file. A save of the values the
// file already holds leaves it untouched.
//
// A settings file that cannot be read as a whole (not a key file, not UTF-8,
// not readable) gives missing values and one problem report. It is not
// overwritten unseen: the next save first keeps it beside itself as
// FILE.bad, then writes a fresh file.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace gd {

class KeyFileSettingsStore : public SettingsStore {
 public:
  static constexpr std::string_view kGroup = "Glimmerdome";

  KeyFileSettingsStore(std::string settingsPath, std::string autostartPath);

  Value Read(std::string_view name) override;
  bool WriteAll(const Entry* entries, size_t count, std::string* failedName) override;
  std::optional<bool> StartupEntryExists() override;
  bool SetStartupEntry(const std::string& executablePath) override;
  bool RemoveStartupEntry() override;
  std::string TakeProblem() override;

  const std::string& SettingsPath() const { return settingsPath_; }
  const std::string& AutostartPath() const { return autostartPath_; }

 private:
  void Load();

  std::string settingsPath_;
  std::string autostartPath_;
  bool loaded_ = false;
  std::map<std::string, std::string, std::less<>> values_;  // raw texts of the group
  std::string problem_;
};

// The user's configuration folder: $XDG_CONFIG_HOME when it is set to an
// absolute path, otherwise ~/.config.
std::string UserConfigDir();
// $XDG_CONFIG_HOME/glimmerdome/settings.ini
std::string DefaultSettingsPath();
// $XDG_CONFIG_HOME/autostart/glimmerdome.desktop
std::string DefaultAutostartPath();

// Reads a stored value's text: an optionally signed decimal number within 32
// bits, blanks around it allowed; nullopt for anything else.
std::optional<int32_t> ParseStoredInteger(std::string_view text);

// One argument of a desktop entry's Exec key, quoted where the Desktop Entry
// rules ask for it (before the key file's own escaping of backslashes).
std::string DesktopExecArgument(std::string_view argument);

// The full path of the running executable (/proc/self/exe); empty if unknown.
std::string RunningExecutablePath();

}  // namespace gd
