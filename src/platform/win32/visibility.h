// What tells whether anyone can see a window: what Windows tells about the window itself
// (cloaked on another virtual desktop), about the windows above it (do they
// cover it, does a fullscreen program own its monitor) and about the session
// (locked, disconnected) and the display (off). Functions that older systems
// or Wine may lack are looked up by name; where an answer cannot be had,
// nothing is taken to hide the window.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "base/geometry.h"

namespace gd::win32 {

// Whether `pieces` together hold every pixel of `target`.
bool RectanglesCover(const std::vector<Rect>& pieces, const Rect& target);

// DWM hides the window: it is on another virtual desktop, or suspended.
bool IsCloaked(HWND window);

// Whether the windows above `window` in z-order together hide all of
// `target` (screen coordinates). Only windows that surely hide what lies
// below count: visible, not minimised, not cloaked, not see-through (layered
// with per-pixel alpha, a colour key or an opacity under 255; click-through;
// cut by a region).
bool IsWhollyCovered(HWND window, const Rect& target);

// Whether a fullscreen program is in front on the monitor that shows
// `window`: the foreground window fills that monitor, is not cloaked, and
// the shell says a fullscreen program runs; `exclusive` when it runs in
// exclusive mode, where nothing else shows on that monitor.
struct Fullscreen {
  bool over = false;
  bool exclusive = false;
};
Fullscreen FullscreenOverMonitorOf(HWND window);

// Whether this process's session is disconnected from its screen (another
// user's session is on the console, or a remote session was left); nullopt
// when the system cannot tell.
std::optional<bool> SessionDisconnected();
// Asks for WM_WTSSESSION_CHANGE messages; false where there are none.
bool WatchSession(HWND window);
void UnwatchSession(HWND window);

// The power settings the window hears of through WM_POWERBROADCAST.
extern const GUID kConsoleDisplayState;  // 0 off, 1 on, 2 dimmed
extern const GUID kPowerSavingStatus;    // battery saver: 0 off, 1 on
extern const GUID kEnergySaverStatus;    // energy saver: 0 off, 1 standard, 2 high savings

}  // namespace gd::win32
