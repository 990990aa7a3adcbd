// The window's lifecycle, written once for every backend. A backend reports
// what happened here and this passes it on to the core in the one order the
// core may rely on:
//   - nothing before Shown and nothing after Destroyed;
//   - a close request runs the close query, then Destroyed exactly once when
//     the query lets it go ahead; a request made while the query is still
//     open (its message box runs a loop) is the same close;
//   - an exception that leaves the core is caught here and shown as a
//     message, and the program carries on: none may unwind through a
//     backend's C callbacks (GTK's signal handlers, a Win32 window procedure).
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace gd {

class WindowLifecycle {
 public:
  // `platform` shows the messages of caught exceptions.
  WindowLifecycle(Platform& platform, WindowEvents& events) : platform_(platform), events_(events) {}

  // Runs Shown; only the first call does anything.
  void Show();
  void Tick(TimerId id);
  void PointerPressed(MouseButton button, Point at, uint32_t time);
  void PointerMoved(Point at, uint32_t time);
  void PointerReleased(MouseButton button, Point at, uint32_t time);
  void WindowMoved(Point position, uint32_t tick);
  void MoveEnded();
  void WindowPlaced(Point position);
  void MenuItemChosen(std::string_view itemName);
  void MonitorsChanged();
  void ScaleChanged(double displayScale);
  // Backends report these whenever they learn them, before the show as well;
  // the core hears of a change only, and of what differs from nothing known
  // right after its show.
  void SightChanged(const Sight& sight);
  void PowerSavingChanged(bool on);
  void UrlNotOpened(std::string_view url);
  const Sight& LastSight() const { return sight_; }

  // The close query alone, for a system that asks before it closes the
  // window itself (the end of a Windows session). True lets it go ahead.
  bool QueryClose();
  // A close request: the close query, then Destroy when it lets the close go
  // ahead. True once the window is destroyed.
  bool RequestClose();
  // The window is gone (closed, or destroyed from outside): Destroyed, once.
  void Destroy();

  bool IsShown() const { return shown_; }
  bool IsDestroyed() const { return destroyed_; }
  bool Live() const { return shown_ && !destroyed_; }

 private:
  // Runs a handler of the core; an error that leaves it is shown.
  template <typename Handler>
  void Guard(Handler&& handler);

  Platform& platform_;
  WindowEvents& events_;
  bool shown_ = false;
  bool querying_ = false;
  bool destroyed_ = false;
  Sight sight_;
  bool powerSaving_ = false;
};

}  // namespace gd
