// The one seam between Glimmerdome's core and the system it runs on.
//
// The core (app, scene, calendar, settings, images) calls down through
// `Platform` for everything that touches the outside world: the window and its
// presentation, the screen, timers and clocks, messages, the web browser, the
// settings store and the executable's path. A backend calls up through
// `WindowEvents` only, to report what happened: the window was shown, a timer
// fired, a mouse button went down, a menu item was chosen, a close was asked for.
// Backends decide nothing the core could decide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/frame_buffer.h"
#include "app/region.h"
#include "calendar/date_format.h"
#include "calendar/date_time.h"

namespace gd {

class MenuModel;

struct Size {
  int width = 0;
  int height = 0;
};

struct Point {
  int x = 0;
  int y = 0;
};

// The main window's two timers. `TimerGarland` is always started first.
enum class TimerId { Garland = 0, CountSnow = 1 };

enum class MouseButton { Left, Middle, Right, Other };

enum class MessageKind { Info, Error };

// The per-user store behind the settings: on Windows the registry key
// HKEY_CURRENT_USER\Software\Glimmerdome and the current user's Run key,
// elsewhere a key file and an autostart entry.
class SettingsStore {
 public:
  enum class ValueKind { Missing, Int32, WrongType };
  struct Value {
    ValueKind kind = ValueKind::Missing;
    int32_t value = 0;
  };

  virtual ~SettingsStore() = default;

  // Reads one value of the settings key.
  virtual Value Read(std::string_view name) = 0;
  // Writes the given values together. Stores that can do so replace them all
  // at once, so that an interrupted save never leaves a half-written store.
  // On failure returns false and names the value that could not be written.
  struct Entry {
    std::string_view name;
    int32_t value;
  };
  virtual bool WriteAll(const Entry* entries, size_t count, std::string* failedName) = 0;

  // The start-at-login entry: nullopt when the place it lives cannot be read.
  virtual std::optional<bool> StartupEntryExists() = 0;
  // Writes the entry for the given executable path, or removes it (a missing
  // entry is not an error).
  virtual bool SetStartupEntry(const std::string& executablePath) = 0;
  virtual bool RemoveStartupEntry() = 0;

  // What went wrong with the store itself, in words for the user: a settings
  // file that could not be read as a whole (its values then read as missing),
  // or why the last write failed. Empty when there is nothing to tell; taking
  // it clears it, so each problem is told once.
  virtual std::string TakeProblem() { return {}; }
  // Whether the start-at-login entry starts the program with Windows (the Run
  // key) rather than when the user logs in to a desktop session.
  virtual bool StartsWithWindows() const { return false; }
};

// What the backend reports to the core.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void FormShow() = 0;
  virtual void OnTimer(TimerId id) = 0;
  virtual void FormMouseDown(MouseButton button) = 0;
  virtual void OnMenuItemChosen(std::string_view itemName) = 0;
  // Asked before the window closes, for every close (the Exit command, the
  // window manager, the end of the desktop session). True lets it go ahead.
  virtual bool FormCloseQuery() = 0;
  virtual void FormDestroy() = 0;
  // The popup menu to show on a right click, with its live check marks.
  virtual const MenuModel* PopupMenu() const = 0;
  // The system's display scale where the window is has changed (it moved to
  // another monitor, or the user changed the setting).
  virtual void OnSystemScaleChanged() {}
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- The window ---------------------------------------------------------
  // Makes the window a per-pixel-alpha window. On failure fills `errorText`
  // with the system's text for the error and returns false.
  virtual bool SetLayeredStyle(std::string* errorText) = 0;
  virtual void SetWindowSize(int width, int height) = 0;
  // The window's left and top in screen coordinates, read now.
  virtual Point WindowPosition() = 0;
  virtual void MoveWindow(int left, int top) = 0;
  // Shows `frame` (premultiplied B, G, R, A) as the window's whole content at
  // its current position, composited with one extra constant alpha. False
  // when the system refuses.
  virtual bool PresentFrame(const FrameBuffer& frame, uint8_t constantAlpha) = 0;
  // Cuts the window to `region`; the window keeps it.
  virtual void SetWindowRegion(const Region& region) = 0;
  // Desktop-ornament behaviour: owned by the desktop, no taskbar button.
  virtual void SetOwnerToDesktop() = 0;
  virtual void HideTaskbarButton() = 0;
  virtual void SetTopmost(bool topmost) = 0;
  // Lets the system move the window with the mouse until the button is up.
  virtual void BeginMoveDrag() = 0;
  // Whether this window is what the user sees at a screen point.
  virtual bool IsWindowVisibleAt(int screenX, int screenY) = 0;
  // Asks for the window to close; the close runs `FormCloseQuery`.
  virtual void CloseWindow() = 0;

  // --- The screen ---------------------------------------------------------
  // Sizes, places and the frame are in device pixels: at a display scale
  // above 1 the frame holds more pixels than the globe's 300 by 260.
  virtual Size ScreenSize() = 0;
  virtual Size WorkAreaSize() = 0;
  // The system's display scale where the window is, in quarters (4 is
  // 100 %, 8 is 200 %; see base/scale.h).
  virtual int SystemScaleQuarters() { return 4; }

  // --- Time ---------------------------------------------------------------
  // Starts a timer, or restarts it with a new interval.
  virtual void SetTimer(TimerId id, uint32_t intervalMs) = 0;
  // Milliseconds since the system started, wrapping after 2^32 - 1.
  virtual uint32_t TickCount() = 0;
  virtual LocalDateTime LocalTime() = 0;
  // The high-resolution performance counter, where there is one.
  virtual std::optional<uint64_t> PerformanceCounter() = 0;
  // The user's long date pattern (the core's pattern letters) and the
  // month and day names of the user's locale; empty fields mean English.
  virtual LongDateFormat UserDateFormat() = 0;

  // --- The user -----------------------------------------------------------
  // A modal message box. Timers keep firing while it is open.
  virtual void ShowMessage(const std::string& text, MessageKind kind) = 0;
  virtual void OpenUrl(const std::string& url) = 0;

  // --- Storage ------------------------------------------------------------
  virtual SettingsStore& Settings() = 0;
  virtual std::string ExecutablePath() = 0;

  // --- The loop -----------------------------------------------------------
  // Shows the window (which runs `FormShow`), dispatches events until the
  // window has closed, then returns the process exit code.
  virtual int RunMessageLoop(WindowEvents& events) = 0;

  // --- Observation (headless traces; other backends ignore it) ------------
  virtual bool Tracing() const { return false; }
  // One trace event: `fieldsJson` is the rest of a JSON object after "ev".
  virtual void Trace(std::string_view /*event*/, std::string_view /*fieldsJson*/) {}
  // Called once at the end of every composed frame that reached the present.
  virtual void FrameRendered() {}
};

}  // namespace gd
