// The one seam between Glimmerdome's core and the system it runs on.
//
// The core (app, scene, calendar, settings, images) calls down through
// `Platform` for everything that touches the outside world: the window and its
// presentation, the screen, timers and clocks, messages, the web browser, the
// settings store, the executable's path and the globe's own page. A backend reports what happened
// (shown, tick, a button pressed, the pointer moved, what sight it has, menu
// item chosen, close requested, destroyed)
// through a `WindowLifecycle` (window_lifecycle.h), which passes it on to the
// core's `WindowEvents`. What a backend cannot do, its capabilities say.
// Backends decide nothing the core could decide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/frame_buffer.h"
#include "base/geometry.h"
#include "base/region.h"
#include "calendar/date_format.h"
#include "calendar/date_time.h"

namespace gd {

// One monitor of the desktop, in screen coordinates: its whole rectangle and
// its work area (the rectangle less panels and taskbars).
struct Monitor {
  Rect bounds;
  Rect workArea;
  bool primary = false;
};

// The main window's two timers.
enum class TimerId { Garland = 0, CountSnow = 1 };

enum class MouseButton { Left, Middle, Right, Other };

// What a backend knows of who can see the window, each a fact of its own;
// the core works out from them whether anyone can (SeenFrom, app/sight.h).
struct Sight {
  bool unmapped = false;         // hidden, on another workspace, cloaked
  bool minimised = false;
  bool covered = false;          // other windows cover all of its outline
  bool fullscreenOver = false;   // the active window is fullscreen over its monitor
  bool fullscreenExclusive = false;  // and has that monitor to itself: nothing else shows there
  bool screenSaver = false;      // a screen saver or lock screen is up, or the screen is blanked
  bool locked = false;           // the session is locked
  bool sessionInactive = false;  // another session has the display, or none does
  bool displayAsleep = false;    // the display is off
  bool noFrames = false;         // the compositor asks for no frames
  bool operator==(const Sight&) const = default;
};

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

// One item of the popup menu as a backend shows it, in display order; an
// item's parent comes before it.
struct PopupMenuItem {
  enum class Kind { Command, Separator, Submenu, Radio, Check };
  std::string name;     // what a choice reports
  std::string caption;
  Kind kind = Kind::Command;
  std::string parent;   // the submenu's name; empty: top level
  bool checked = false;
  bool isDefault = false;  // shown bold
};
using PopupMenu = std::vector<PopupMenuItem>;

// What happened to the window, as the core hears it. Backends do not call it
// directly but through their WindowLifecycle, which keeps the order below.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // The window is about to appear: the first event, once.
  virtual void Shown() = 0;
  virtual void Tick(TimerId id) = 0;
  // The mouse on the window: a button went down or up, or the pointer moved
  // (while a button is down), at a point of the screen in device pixels and
  // at the system's time of the event in milliseconds. What they mean (a
  // move of the window, the menu) the core decides.
  virtual void PointerPressed(MouseButton /*button*/, Point /*at*/, uint32_t /*time*/) {}
  virtual void PointerMoved(Point /*at*/, uint32_t /*time*/) {}
  virtual void PointerReleased(MouseButton /*button*/, Point /*at*/, uint32_t /*time*/) {}
  // While the user moves the window (the drag that BeginMoveDrag started):
  // where its top-left corner is now, in screen (device) pixels, and the tick
  // count (TickCount) when it got there; once for each step of the move.
  virtual void WindowMoved(Point /*position*/, uint32_t /*tick*/) {}
  // The user's move of the window is over: the button is up.
  virtual void MoveEnded() {}
  // The window's top-left corner is now at `position` (device pixels), moved
  // neither by MoveWindow nor by the user's move: by the window manager, a
  // new display scale or monitor, or a place the system rounded. The core
  // knows where the window is from MoveWindow, the move's steps and this.
  virtual void WindowPlaced(Point /*position*/) {}
  virtual void MenuItemChosen(std::string_view itemName) = 0;
  // Asked before the window closes, for every close (the Exit command, the
  // window manager, the end of the desktop session). True lets it go ahead.
  virtual bool CloseRequested() = 0;
  // The window is gone: the last event, once.
  virtual void Destroyed() = 0;
  // Monitors were added, removed or resized, or their work areas changed.
  virtual void MonitorsChanged() {}
  // The system's display scale where the window is has changed (it moved to
  // another monitor, or the user changed the setting): `displayScale` as in
  // WindowCapabilities. A move that came with it is told first (WindowPlaced).
  virtual void ScaleChanged(double /*displayScale*/) {}
  // What the backend knows of who can see the window changed (see Sight).
  // While nobody can, nothing is composed or presented; the scene's clocks
  // go on.
  virtual void SightChanged(const Sight& /*sight*/) {}
  // The system's power-saving mode (battery saver, the power-saver profile)
  // was switched on or off.
  virtual void PowerSavingChanged(bool /*on*/) {}
  // An address given to OpenUrl, which was asked to open, turned out not to
  // open after all (the program asked to open it gave up).
  virtual void UrlNotOpened(std::string_view /*url*/) {}
};

// What a backend's window can do. The core asks once, when the window is
// shown, before relying on a thing, rather than a backend pretending; the
// scale it learns again from ScaleChanged.
struct WindowCapabilities {
  bool canPlaceItself = true;         // MoveWindow puts it where asked
  bool canTellWhetherCovered = true;  // IsWindowVisibleAt answers truly
  bool canStayOnTop = true;           // SetTopmost keeps it above others
  // The system's display scale where the window is: device pixels per pixel
  // of the globe's 300 by 260 (2.0 at 200 %). Sizes, places and frames in
  // the seam are device pixels.
  double displayScale = 1.0;
  // How far, in device pixels along either axis, the pointer moves with a
  // button down before the system takes it for a drag rather than a click.
  int dragThreshold = 8;
};

// Where trace events go (the headless backend's --trace file).
class TraceSink {
 public:
  // One event: `fieldsJson` is the rest of a JSON object after "ev".
  virtual void Write(std::string_view event, std::string_view fieldsJson) = 0;

 protected:
  ~TraceSink() = default;
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual WindowCapabilities Capabilities() const { return {}; }

  // --- The window ---------------------------------------------------------
  // Makes the window a desktop ornament: per-pixel alpha, owned by the
  // desktop, no taskbar button. On failure fills `errorText` with the
  // system's text for the error and returns false.
  virtual bool MakeDesktopOrnament(std::string* errorText) = 0;
  virtual void SetWindowSize(int width, int height) = 0;
  // Moves the window's top-left corner to (left, top) and returns where it
  // stands then: there, or the nearest place the window can take (a backend
  // that places it in coarser units rounds).
  virtual Point MoveWindow(int left, int top) = 0;

  // Presenting. The window owns the buffers it can show; each frame the core
  // borrows one, brings it up to date and hands it back:
  //   LendBuffer -> write what the buffer lacks and what the frame changed
  //   -> PresentFrame.
  // A buffer is `width` x `height` pixels of 4 bytes, rows `stride` bytes
  // apart. The core writes the frame's bytes (blue, green, red and alpha,
  // premultiplied); the window makes them what it shows (the constant
  // alpha, the outline, a background) in place, where the core wrote, and
  // the core never reads back what it wrote there. Its age says what it
  // holds: 0 nothing known; 1 the last frame presented; n the frame
  // presented n - 1 frames before the last. A buffer of age n lacks what the
  // frames since changed (the core keeps their damage).
  struct LentBuffer {
    uint8_t* pixels = nullptr;  // none: the window takes no frame now
    int width = 0, height = 0, stride = 0;
    int age = 0;
    uint8_t constantAlpha = 255;  // the extra alpha the frame is shown at
  };
  // A buffer for the next frame, of that size and shown at `constantAlpha`,
  // lent until the next PresentFrame.
  virtual LentBuffer LendBuffer(int width, int height, uint8_t constantAlpha) = 0;
  // Shows the buffer last lent as the window's whole content at its current
  // position, and takes it back. The core wrote `written` (a stretch of each
  // row: what the buffer lacked and what the frame changed) and left the
  // rest as it was; outside `changed` the frame is the one presented before
  // it (the damage). A buffer without pixels shows nothing: true when the
  // window merely could not take this frame (the next one's damage holds
  // this one's). False when the system refuses.
  virtual bool PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) = 0;
  // Cuts the window to `region`; the window keeps it.
  virtual void SetWindowRegion(const Region& region) = 0;
  virtual void SetTopmost(bool topmost) = 0;
  // Lets the system move the window with the mouse until the button is up,
  // from where the button held went down; asked while the core hears of that
  // button's press or of the pointer's motion. The window reports each step
  // as WindowMoved and the end as MoveEnded.
  virtual void BeginMoveDrag() = 0;
  // Shows `menu` as a popup menu at the pointer; a choice from it comes back
  // as MenuItemChosen. Asked while the core hears of a pointer event.
  virtual void ShowPopupMenu(const PopupMenu& menu) = 0;
  // Whether this window is what the user sees at a screen point.
  virtual bool IsWindowVisibleAt(int screenX, int screenY) = 0;
  // Asks for the window to close; the close runs `CloseRequested`.
  virtual void CloseWindow() = 0;

  // --- The screen ---------------------------------------------------------
  // Sizes, places and the frame are in device pixels: at a display scale
  // above 1 the frame holds more pixels than the globe's 300 by 260.
  // Every monitor with its work area, the primary one marked: all the core
  // knows of the screen. Backends that know of only one screen give it at
  // the origin.
  virtual std::vector<Monitor> Monitors() = 0;
  // Whether the user asked the desktop for less motion (animations off).
  virtual bool PrefersReducedMotion() { return false; }

  // --- Time ---------------------------------------------------------------
  // Starts a timer, or restarts it with a new interval. A timer with
  // `slackMs` may fire up to that much late, so that the system wakes once
  // for it and another; it keeps its pace on average. Backends may honour
  // the slack or fire on time.
  virtual void SetTimer(TimerId id, uint32_t intervalMs, uint32_t slackMs = 0) = 0;
  // Stops a timer until it is set again; it keeps its place in the start
  // order (the first started fires first on a tie).
  virtual void StopTimer(TimerId id) = 0;
  // Milliseconds since the system started, wrapping after 2^32 - 1.
  virtual uint32_t TickCount() = 0;
  virtual LocalDateTime LocalTime() = 0;
  // The high-resolution performance counter, where there is one.
  virtual std::optional<uint64_t> PerformanceCounter() = 0;
  // The user's long date pattern (the core's pattern letters) and the
  // month and day names of the user's locale; empty fields mean English.
  virtual LongDateFormat UserDateFormat() = 0;
  // The languages the user reads, most wanted first, as locale names ("de_DE",
  // "de"); none means English.
  virtual std::vector<std::string> UserLanguages() { return {}; }

  // --- The user -----------------------------------------------------------
  // A modal message box. Timers keep firing while it is open.
  virtual void ShowMessage(const std::string& text, MessageKind kind) = 0;
  // Asks the system to open `url` with the user's program for it (a page in
  // the web browser). False when nothing could be asked to; a backend that
  // learns only later that it did not open reports UrlNotOpened.
  virtual bool OpenUrl(const std::string& url) = 0;
  // The folder of the globe's own page (index.html, a page for each
  // language beside it, and the files they show): the one installed with
  // the program or, where there is none, a copy of the program's own that
  // the backend writes into the user's cache. Empty, with `problem` saying
  // why in words for the user, when there is neither.
  virtual std::string PageFolder(std::string* problem) = 0;

  // --- Storage ------------------------------------------------------------
  virtual SettingsStore& Settings() = 0;
  virtual std::string ExecutablePath() = 0;

  // --- The loop -----------------------------------------------------------
  // Shows the window (which runs `Shown`), dispatches events until the
  // window has closed, then returns the process exit code.
  virtual int RunMessageLoop(WindowEvents& events) = 0;

  // --- Observation (headless traces; other backends have none) ------------
  // Where trace events go; null while nothing is traced.
  virtual TraceSink* Tracer() { return nullptr; }
  // Called once at the end of every composed frame that reached the present.
  virtual void FrameRendered() {}
};

}  // namespace gd
