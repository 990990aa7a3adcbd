// Settings kept in memory: the headless backend's store unless a file is
// given, the GTK backend's where no key file store is built, and what tests
// fill and inspect.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace gd {

class MemorySettingsStore : public SettingsStore {
 public:
  Value Read(std::string_view name) override;
  bool WriteAll(const Entry* entries, size_t count, std::string* failedName) override;
  std::optional<bool> StartupEntryExists() override;
  bool SetStartupEntry(const std::string& executablePath) override;
  bool RemoveStartupEntry() override;
  std::string TakeProblem() override;
  bool StartsWithWindows() const override { return startsWithWindows; }

  std::map<std::string, Value, std::less<>> values;
  std::optional<std::string> startupEntry;
  bool startupReadable = true;
  // Names whose writes are refused, to exercise failure paths; the name of
  // the start-at-login entry refuses writing and removing it.
  std::vector<std::string> refuseWrites;
  // What TakeProblem reports next.
  std::string problem;
  // Successful WriteAll calls.
  int writes = 0;
#ifdef _WIN32
  bool startsWithWindows = true;
#else
  bool startsWithWindows = false;
#endif
};

}  // namespace gd
