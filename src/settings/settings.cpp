// Loading and saving the settings. The menu's check marks are the live form of
// every setting: loading checks items and runs their commands, saving reads
// the marks back. Values are read once when the window is shown and written
// once at every close.
#include "settings/settings.h"

#include <algorithm>

#include "app/main_window.h"

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

StoredSettings ReadStoredSettings(SettingsStore& store, std::vector<std::string>* wrongType) {
  StoredSettings stored;
  for (const SettingRow& design : kSettings) {
    const SettingsStore::Value v = store.Read(design.name);
    if (v.kind == SettingsStore::ValueKind::Int32)
      stored.Set(design.id, v.value);
    else if (v.kind == SettingsStore::ValueKind::WrongType && wrongType)
      wrongType->emplace_back(design.name);
  }
  return stored;
}

std::string InvalidDataTypeMessage(std::string_view valueName) {
  return "Invalid data type for '" + std::string(valueName) + "'";
}

std::string FailedToSetMessage(std::string_view valueName) {
  return "Failed to set data for '" + std::string(valueName) + "'";
}

StartPlace ChooseStartPlace(const StartPlaceInput& in, Random& random) {
  StartPlace place;
  if (in.atRandom) {
    // A work area smaller than the window leaves no room: the edge it is.
    const int spanX = in.workArea.width - in.window.width - 5;
    const int spanY = in.workArea.height - in.window.height;
    place.position.x = static_cast<int>(random(static_cast<uint32_t>(std::max(spanX, 0))));
    place.position.y = static_cast<int>(random(static_cast<uint32_t>(std::max(spanY, 0))));
  } else if (in.top && in.left) {
    int left = *in.left;
    int top = *in.top;
    // A window dragged too far off the screen comes back to a fixed place.
    if (left < -70 || left > in.screen.width - 30) left = 550;
    if (top < -140 || top > in.screen.height - 30) top = 350;
    place.position = {left, top};
  } else {
    place.position = {in.workArea.width - in.window.width - 5, in.workArea.height - in.window.height};
    place.corner = true;
  }
  return place;
}

namespace {

// The trace line of the values as they are loaded or saved.
std::string SettingsTraceFields(std::string_view when, const std::array<int32_t, kSettings.size()>& values) {
  std::string fields = "\"when\": \"" + std::string(when) + "\"";
  for (const SettingRow& design : kSettings)
    fields += ", \"" + std::string(design.name) + "\": " + std::to_string(values[Index(design.id)]);
  return fields;
}

}  // namespace

void TfrmMain::Randomize() {
  const std::optional<uint64_t> counter = platform_.PerformanceCounter();
  random_.SetSeed(counter ? static_cast<uint32_t>(*counter) : platform_.TickCount());
}

void TfrmMain::LoadSettings() {
  SettingsStore& store = platform_.Settings();
  if (!store.StartsWithWindows()) menu_.SetCaption("pmiStartUp", std::string(kStartUpLoginCaption));

  SnowEnabled_ = true;

  // Every value at once. A store that could not be read at all, and values of
  // the wrong type, are told after the window has its place and opacity, and
  // the loading goes on with what could be read.
  std::vector<std::string> messages;
  std::vector<std::string> wrongType;
  const StoredSettings stored = ReadStoredSettings(store, &wrongType);
  if (std::string problem = store.TakeProblem(); !problem.empty()) messages.push_back(std::move(problem));
  for (const std::string& name : wrongType) messages.push_back(InvalidDataTypeMessage(name));

  if (stored.Has(Setting::OnTop)) menu_.SetChecked("pmiOnTop", stored.Get(Setting::OnTop) != 0);
  const int32_t transparency = stored.Get(Setting::TrVal);
  const int32_t countdown = stored.Get(Setting::iCountdown);
  const int32_t speed = stored.Get(Setting::iSpeed);
  SnowEnabled_ = stored.Get(Setting::isSnowOn) != 0;

  // The size, before the place: a first run's corner place depends on it.
  const int32_t scale = stored.Get(Setting::Scale);
  const DisplaySize* size = &kSizes[0];
  for (const DisplaySize& s : kSizes)
    if (s.percent == scale) size = &s;
  ApplySize(*size, false);

  // The place. The window already has the globe's size at its scale.
  StartPlaceInput in;
  in.atRandom = !args_.empty() && args_[0] == "add";
  if (stored.Has(Setting::Top)) in.top = stored.Get(Setting::Top);
  if (stored.Has(Setting::Left)) in.left = stored.Get(Setting::Left);
  in.workArea = platform_.WorkAreaSize();
  in.screen = platform_.ScreenSize();
  in.window = {BaseBitmap_->width, BaseBitmap_->height};
  if (in.atRandom) Randomize();
  const StartPlace place = ChooseStartPlace(in, random_);
  platform_.MoveWindow(place.position.x, place.position.y);

  // On a first run the start-at-login item keeps its design mark, so that
  // the first close writes the entry.
  if (!place.corner)
    if (const std::optional<bool> exists = store.StartupEntryExists()) menu_.SetChecked("pmiStartUp", *exists);

  // The transparency level. An index past the last level would leave the
  // window at the opacity it was created with, that is invisible, so it
  // applies 0 % instead.
  const TransparencyLevel& level =
      transparency >= 0 && transparency < static_cast<int32_t>(kTransparencyLevels.size())
          ? kTransparencyLevels[transparency]
          : kTransparencyLevels[0];
  menu_.SetChecked(level.item, true);
  RunMenuCommand(level.item);

  if (countdown >= 0 && countdown < static_cast<int32_t>(kCountdownItems.size()))
    menu_.SetChecked(kCountdownItems[countdown], true);
  if (speed >= 0 && speed < static_cast<int32_t>(kSpeeds.size())) {
    menu_.SetChecked(kSpeeds[speed].item, true);
    RunMenuCommand(kSpeeds[speed].item);
  }
  menu_.SetChecked("pmiSnow", SnowEnabled_);
  pmiOnTopClick();
  settingsLoaded_ = true;

  if (platform_.Tracing()) {
    std::array<int32_t, kSettings.size()> values{};
    for (const SettingRow& design : kSettings) values[Index(design.id)] = stored.Get(design.id);
    values[Index(Setting::Top)] = place.position.y;
    values[Index(Setting::Left)] = place.position.x;
    platform_.Trace("settings", SettingsTraceFields("load", values));
  }
  for (const std::string& message : messages) platform_.ShowMessage(message, MessageKind::Error);
}

void TfrmMain::SaveSettings() {
  std::array<int32_t, kSettings.size()> values{};

  // The last checked level wins. With none checked (the checked level was
  // chosen again) the level in force is saved.
  int32_t transparency = -1;
  for (const TransparencyLevel& level : kTransparencyLevels)
    if (menu_.Checked(level.item)) transparency = level.index;
  if (transparency < 0) {
    transparency = 0;
    for (const TransparencyLevel& level : kTransparencyLevels)
      if (level.alpha == Opacity_) transparency = level.index;
  }
  int32_t speed = RowOf(Setting::iSpeed).defaultValue.value_or(0);
  for (const Speed& s : kSpeeds)
    if (menu_.Checked(s.item)) speed = s.index;
  const int32_t countdown = menu_.Checked("pmiJulian") ? 2 : menu_.Checked("pmiNewYear") ? 1 : 0;
  SnowEnabled_ = menu_.Checked("pmiSnow");
  const Point position = platform_.WindowPosition();

  values[Index(Setting::OnTop)] = menu_.Checked("pmiOnTop") ? 1 : 0;
  values[Index(Setting::TrVal)] = transparency;
  values[Index(Setting::Top)] = position.y;
  values[Index(Setting::Left)] = position.x;
  values[Index(Setting::iCountdown)] = countdown;
  values[Index(Setting::iSpeed)] = speed;
  values[Index(Setting::isSnowOn)] = SnowEnabled_ ? 1 : 0;
  for (const DisplaySize& s : kSizes)
    if (menu_.Checked(s.item)) values[Index(Setting::Scale)] = s.percent;
  if (platform_.Tracing()) platform_.Trace("settings", SettingsTraceFields("save", values));

  // All values in one write: a store that refuses keeps what it held before.
  // A failure is told, and the start-at-login entry is still brought up to
  // date, so the close goes ahead either way.
  SettingsStore& store = platform_.Settings();
  std::array<SettingsStore::Entry, kSettings.size()> entries{};
  for (const SettingRow& design : kSettings) entries[Index(design.id)] = {design.name, values[Index(design.id)]};
  std::string failedName;
  if (!store.WriteAll(entries.data(), entries.size(), &failedName)) {
    if (failedName.empty()) failedName = entries[0].name;
    std::string message = FailedToSetMessage(failedName);
    if (std::string why = store.TakeProblem(); !why.empty()) message += "\n" + why;
    platform_.ShowMessage(message, MessageKind::Error);
  }

  const bool entryDone = menu_.Checked("pmiStartUp") ? store.SetStartupEntry(platform_.ExecutablePath())
                                                     : store.RemoveStartupEntry();
  if (!entryDone) {
    std::string message = FailedToSetMessage(kStartupEntryName);
    if (std::string why = store.TakeProblem(); !why.empty()) message += "\n" + why;
    platform_.ShowMessage(message, MessageKind::Error);
  }
}

}  // namespace gd
