// A globe on the headless backend, for behaviour tests: the real main window
// with the program's own pictures, settings in memory unless told otherwise.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/headless/headless_platform.h"

namespace gd::testing {

inline HeadlessOptions GlobeOptions() {
  HeadlessOptions o;
  o.frames = 0;  // no frame limit; tests advance time themselves
  o.at = LocalDateTime{2026, 12, 20, 10, 0, 0, 0};
  return o;
}

// Created, not yet shown: fill the store first, then Show().
struct Globe {
  explicit Globe(HeadlessOptions options = GlobeOptions(), std::vector<std::string> args = {})
      : platform(std::move(options)), window(platform, SceneCatalogue::Embedded(), std::move(args)) {}

  void Show() { platform.Show(window); }
  MemorySettingsStore& Store() { return static_cast<MemorySettingsStore&>(platform.Settings()); }
  bool Checked(std::string_view item) const { return ItemChecked(window.CurrentChoices(), item); }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : platform.Messages()) texts.push_back(m.second);
    return texts;
  }
  // The store's values as plain numbers (wrong types as -999999).
  std::map<std::string, int32_t> Stored() {
    std::map<std::string, int32_t> out;
    for (const auto& [name, v] : Store().values)
      out[name] = v.kind == SettingsStore::ValueKind::Int32 ? v.value : -999999;
    return out;
  }
  void Put(const std::string& name, int32_t value) {
    Store().values[name] = {SettingsStore::ValueKind::Int32, value};
  }

  HeadlessPlatform platform;
  MainWindow window;
};

}  // namespace gd::testing
