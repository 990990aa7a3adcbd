#include "platform/window_lifecycle.h"

#include <exception>

namespace gd {

template <typename Handler>
void WindowLifecycle::Guard(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    platform_.ShowMessage(e.what(), MessageKind::Error);
  }
}

void WindowLifecycle::Show() {
  if (shown_ || destroyed_) return;
  shown_ = true;
  Guard([&] { events_.Shown(); });
  if (sight_ != Sight{} && Live()) Guard([&] { events_.SightChanged(sight_); });
  if (powerSaving_ && Live()) Guard([&] { events_.PowerSavingChanged(true); });
}

void WindowLifecycle::Tick(TimerId id) {
  if (Live()) Guard([&] { events_.Tick(id); });
}

void WindowLifecycle::PointerPressed(MouseButton button, Point at, uint32_t time) {
  if (Live()) Guard([&] { events_.PointerPressed(button, at, time); });
}

void WindowLifecycle::PointerMoved(Point at, uint32_t time) {
  if (Live()) Guard([&] { events_.PointerMoved(at, time); });
}

void WindowLifecycle::PointerReleased(MouseButton button, Point at, uint32_t time) {
  if (Live()) Guard([&] { events_.PointerReleased(button, at, time); });
}

void WindowLifecycle::WindowMoved(Point position, uint32_t tick) {
  if (Live()) Guard([&] { events_.WindowMoved(position, tick); });
}

void WindowLifecycle::MoveEnded() {
  if (Live()) Guard([&] { events_.MoveEnded(); });
}

void WindowLifecycle::WindowPlaced(Point position) {
  if (Live()) Guard([&] { events_.WindowPlaced(position); });
}

void WindowLifecycle::MenuItemChosen(std::string_view itemName) {
  if (Live()) Guard([&] { events_.MenuItemChosen(itemName); });
}

void WindowLifecycle::MonitorsChanged() {
  if (Live()) Guard([&] { events_.MonitorsChanged(); });
}

void WindowLifecycle::ScaleChanged(double displayScale) {
  if (Live()) Guard([&] { events_.ScaleChanged(displayScale); });
}

void WindowLifecycle::SightChanged(const Sight& sight) {
  if (sight == sight_) return;
  sight_ = sight;
  if (Live()) Guard([&] { events_.SightChanged(sight); });
}

void WindowLifecycle::PowerSavingChanged(bool on) {
  if (on == powerSaving_) return;
  powerSaving_ = on;
  if (Live()) Guard([&] { events_.PowerSavingChanged(on); });
}

void WindowLifecycle::UrlNotOpened(std::string_view url) {
  if (Live()) Guard([&] { events_.UrlNotOpened(url); });
}

bool WindowLifecycle::QueryClose() {
  if (destroyed_) return true;
  // A window that was never shown has nothing to save.
  if (!shown_) return true;
  bool allowed = true;
  querying_ = true;
  Guard([&] { allowed = events_.CloseRequested(); });
  querying_ = false;
  return allowed;
}

bool WindowLifecycle::RequestClose() {
  if (destroyed_ || querying_) return destroyed_;
  if (!QueryClose()) return false;
  Destroy();
  return true;
}

void WindowLifecycle::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (shown_) Guard([&] { events_.Destroyed(); });
}

}  // namespace gd
