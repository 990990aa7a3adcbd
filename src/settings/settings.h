// The settings as data: the stored values with their names, defaults and the
// way each is read back, the transparency levels, the speeds, the sizes and
// the countdown items. One table of each drives the choices
// (settings/choices.h), the menu commands, loading, saving and the tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometry.h"
#include "i18n/translation.h"
#include "platform/platform.h"

namespace gd {

// The start-at-login item's caption where the entry starts the program when
// the user logs in rather than when Windows starts.
inline constexpr std::string_view kStartUpLoginCaption = N_("Start Glimmerdome when I log in");

// The name of the start-at-login entry as the messages give it.
inline constexpr std::string_view kStartupEntryName = "Glimmerdome";

// --- The stored values ---------------------------------------------------------

enum class Setting : size_t { OnTop, TrVal, Top, Left, iCountdown, iSpeed, isSnowOn, Scale };

// How a stored 32-bit integer is read back.
enum class StoredAs {
  Flag,     // true when not zero
  LowByte,  // only the low byte counts
  Integer,  // as it is
};

struct SettingRow {
  Setting id;
  std::string_view name;
  StoredAs storedAs;
  std::optional<int32_t> defaultValue;  // none: the start position decides
};

// In the order they are written. Scale came last: a store without it means
// the system's scale, and a program that knows only the first seven reads
// them as before.
inline constexpr std::array<SettingRow, 8> kSettings{{
    {Setting::OnTop, "OnTop", StoredAs::Flag, 1},  // on top by default
    {Setting::TrVal, "TrVal", StoredAs::LowByte, 0},
    {Setting::Top, "Top", StoredAs::Integer, std::nullopt},
    {Setting::Left, "Left", StoredAs::Integer, std::nullopt},
    {Setting::iCountdown, "iCountdown", StoredAs::Integer, 0},
    {Setting::iSpeed, "iSpeed", StoredAs::Integer, 2},
    {Setting::isSnowOn, "isSnowOn", StoredAs::Flag, 1},
    {Setting::Scale, "Scale", StoredAs::Integer, 0},
}};

constexpr size_t Index(Setting s) { return static_cast<size_t>(s); }
constexpr const SettingRow& RowOf(Setting s) { return kSettings[Index(s)]; }

// The values found in the store, already read back as their table entry says.
class StoredSettings {
 public:
  bool Has(Setting s) const { return values_[Index(s)].has_value(); }
  // The stored value, or the table's default (0 where the table has none).
  int32_t Get(Setting s) const { return values_[Index(s)].value_or(RowOf(s).defaultValue.value_or(0)); }
  void Set(Setting s, int32_t raw);

 private:
  std::array<std::optional<int32_t>, kSettings.size()> values_;
};

// Reads every value of the table. A value of the wrong type counts as missing.
// `messages` receives what to tell the user, in order: a store that could not
// be read as a whole, then each value of the wrong type.
StoredSettings ReadStoredSettings(SettingsStore& store, std::vector<std::string>* messages);

// One number per value of the table, in its order.
using SettingValues = std::array<int32_t, kSettings.size()>;

// The trace fields of the values as they are loaded or saved ("load", "save").
std::string SettingsTraceFields(std::string_view when, const SettingValues& values);

// --- The menu's settings ---------------------------------------------------------

struct TransparencyLevel {
  std::string_view item;
  int32_t index;  // the stored TrVal
  uint8_t alpha;  // the whole-window constant alpha
};

// 255 - 22 per step, so that 90 % still leaves the globe faintly visible.
inline constexpr std::array<TransparencyLevel, 10> kTransparencyLevels{{
    {"pmi0", 0, 255},
    {"pmi10", 1, 233},
    {"pmi20", 2, 211},
    {"pmi30", 3, 189},
    {"pmi40", 4, 167},
    {"pmi50", 5, 145},
    {"pmi60", 6, 123},
    {"pmi70", 7, 101},
    {"pmi80", 8, 79},
    {"pmi90", 9, 57},
}};

struct Speed {
  std::string_view item;
  int32_t index;  // the stored iSpeed
  uint32_t intervalMs;  // TimerGarland
  int32_t stepDelayMs;  // least time between two animation steps
};

inline constexpr std::array<Speed, 4> kSpeeds{{
    {"pmiSlow", 0, 20, 500},
    {"pmiNormal", 1, 20, 250},
    {"pmiFast", 2, 20, 100},
    {"pmiQuickly", 3, 10, 1},
}};

// The sizes of the globe: the stored Scale, a percentage, 0 for the system's
// own display scale.
struct DisplaySize {
  std::string_view item;
  int32_t percent;
};
inline constexpr std::array<DisplaySize, 8> kSizes{{
    {"pmiSizeAuto", 0},
    {"pmiSize100", 100},
    {"pmiSize125", 125},
    {"pmiSize150", 150},
    {"pmiSize175", 175},
    {"pmiSize200", 200},
    {"pmiSize250", 250},
    {"pmiSize300", 300},
}};

// The countdown items by their stored iCountdown. Christmas Eve came last, so
// it takes the next number: a store holding 0 to 2 keeps its meaning.
inline constexpr std::array<std::string_view, 4> kCountdownItems{{"pmiChristmas", "pmiNewYear", "pmiJulian",
                                                                  "pmiChristmasEve"}};

// The level a stored TrVal stands for. An index past the last level would
// leave the window at the opacity it was created with, that is invisible, so
// it stands for 0 % instead.
const TransparencyLevel& LevelOfStoredIndex(int32_t index);

// --- Saving ----------------------------------------------------------------------

// Writes `values` in one write. Empty when the store took them, otherwise
// what to tell the user (the value that could not be written, and why).
std::string WriteSettingValues(SettingsStore& store, const SettingValues& values);
// Writes the start-at-login entry for `executablePath`, or removes it. Empty
// when that worked, otherwise what to tell the user.
std::string WriteStartupEntry(SettingsStore& store, bool startAtLogin, const std::string& executablePath);

// --- Messages ------------------------------------------------------------------

std::string InvalidDataTypeMessage(std::string_view valueName);
std::string FailedToSetMessage(std::string_view valueName);

}  // namespace gd
