#include "settings/choices.h"

#include "settings/menu.h"

namespace gd {
namespace {

template <typename Table, typename Item>
std::optional<size_t> IndexOfItem(const Table& table, Item itemOf, std::string_view item) {
  for (size_t i = 0; i < table.size(); ++i)
    if (itemOf(table[i]) == item) return i;
  return std::nullopt;
}

std::optional<size_t> SpeedOf(std::string_view item) {
  return IndexOfItem(kSpeeds, [](const Speed& s) { return s.item; }, item);
}
std::optional<size_t> SizeOf(std::string_view item) {
  return IndexOfItem(kSizes, [](const DisplaySize& s) { return s.item; }, item);
}
std::optional<size_t> LevelOf(std::string_view item) {
  return IndexOfItem(kTransparencyLevels, [](const TransparencyLevel& l) { return l.item; }, item);
}
std::optional<size_t> CountdownOf(std::string_view item) {
  return IndexOfItem(kCountdownItems, [](std::string_view i) { return i; }, item);
}

int32_t StoredSpeedIndex(const StoredSettings& stored, bool reducedMotion) {
  if (reducedMotion && !stored.Has(Setting::iSpeed)) return kSpeeds[0].index;
  return stored.Get(Setting::iSpeed);
}

}  // namespace

bool ItemChecked(const Choices& choices, std::string_view item) {
  if (item == "pmiSnow") return choices.snow;
  if (item == "pmiOnTop") return choices.onTop;
  if (item == "pmiStartUp") return choices.startAtLogin;
  if (const auto i = SpeedOf(item)) return *i == choices.speed;
  if (const auto i = SizeOf(item)) return *i == choices.size;
  if (const auto i = CountdownOf(item)) return *i == choices.countdown;
  if (const auto i = LevelOf(item)) return choices.transparencyMarked && *i == choices.transparency;
  return false;
}

bool ChooseItem(Choices& choices, std::string_view item) {
  const MenuItemDesign* design = FindMenuItemDesign(item);
  if (!design || design->kind == MenuItemKind::Separator || design->kind == MenuItemKind::Submenu) return false;
  if (item == "pmiSnow") choices.snow = !choices.snow;
  if (item == "pmiOnTop") choices.onTop = !choices.onTop;
  if (item == "pmiStartUp") choices.startAtLogin = !choices.startAtLogin;
  if (const auto i = SpeedOf(item)) choices.speed = *i;
  if (const auto i = SizeOf(item)) choices.size = *i;
  if (const auto i = CountdownOf(item)) choices.countdown = *i;
  if (const auto i = LevelOf(item)) {
    choices.transparencyMarked = !(choices.transparencyMarked && *i == choices.transparency);
    choices.transparency = *i;
  }
  return true;
}

Choices ChoicesFromStored(const StoredSettings& stored, bool reducedMotion) {
  Choices choices;
  if (stored.Has(Setting::OnTop)) choices.onTop = stored.Get(Setting::OnTop) != 0;
  choices.snow = stored.Get(Setting::isSnowOn) != 0;
  if (reducedMotion && !stored.Has(Setting::isSnowOn)) choices.snow = false;
  const int32_t scale = stored.Get(Setting::Scale);
  for (size_t i = 0; i < kSizes.size(); ++i)
    if (kSizes[i].percent == scale) choices.size = i;
  choices.transparency = static_cast<size_t>(LevelOfStoredIndex(stored.Get(Setting::TrVal)).index);
  const int32_t countdown = stored.Get(Setting::iCountdown);
  if (countdown >= 0 && countdown < static_cast<int32_t>(kCountdownItems.size()))
    choices.countdown = static_cast<size_t>(countdown);
  if (StoresSpeed(stored, reducedMotion)) choices.speed = static_cast<size_t>(StoredSpeedIndex(stored, reducedMotion));
  return choices;
}

bool StoresSpeed(const StoredSettings& stored, bool reducedMotion) {
  const int32_t speed = StoredSpeedIndex(stored, reducedMotion);
  return speed >= 0 && speed < static_cast<int32_t>(kSpeeds.size());
}

SettingValues ValuesToSave(const Choices& choices, Point position) {
  SettingValues values{};
  values[Index(Setting::OnTop)] = choices.onTop ? 1 : 0;
  values[Index(Setting::TrVal)] = kTransparencyLevels[choices.transparency].index;
  values[Index(Setting::Top)] = position.y;
  values[Index(Setting::Left)] = position.x;
  values[Index(Setting::iCountdown)] = static_cast<int32_t>(choices.countdown);
  values[Index(Setting::iSpeed)] = kSpeeds[choices.speed].index;
  values[Index(Setting::isSnowOn)] = choices.snow ? 1 : 0;
  values[Index(Setting::Scale)] = kSizes[choices.size].percent;
  return values;
}

}  // namespace gd
