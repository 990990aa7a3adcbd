// The settings' values: reading them from a store as the table says, the
// messages about them, and the choice of the start place.
#include "settings/settings.h"

#include <algorithm>

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

}  // namespace gd
