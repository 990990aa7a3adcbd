// The headless backend: Glimmerdome without a display.
//
// It stands in for the desktop with virtual monitors (by default one of 1920
// by 1080 with a 40-pixel taskbar at the bottom), a virtual clock and tick count that advance only from timer to
// timer, and a window whose frames stay in memory. Messages are recorded
// instead of shown. Its window lends three buffers in turn and checks each
// frame it is given against the one it showed before: a pixel that changed
// outside the frame's damage is an error. Tests drive the real core through it, and the command line
// uses it to render snapshots, raw dumps, traces and animated recordings.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/png_writer.h"
#include "platform/platform.h"
#include "platform/shared/memory_settings_store.h"
#include "platform/window_lifecycle.h"

namespace gd {

struct HeadlessOptions {
  // Stop after this many composed frames (the show handler's frame is the first).
  uint64_t frames = 1;
  // Virtual local time at start; nullopt means the real local time.
  std::optional<LocalDateTime> at;
  // Tick count (milliseconds since system start) when the program starts.
  uint32_t tickStart = 3600000;
  std::string snapshotPath;  // last frame as RGBA PNG, as a person sees it
  std::string dumpPath;      // last frame buffer, raw bytes
  std::string tracePath;     // JSON Lines, one event per line
  std::string recordPath;    // every presented frame as an animated PNG
  // Key file of the settings, with the autostart entry beside it as
  // FILE.autostart.desktop; empty keeps the settings in memory.
  std::string settingsPath;
  std::vector<std::string> choose;  // menu items chosen after the show
  // Times the window is shaken after the show and the chosen items (see Shake).
  uint32_t shakes = 0;
  // The display scale in quarters (base/scale.h): the system's, for the window.
  int scaleQuarters = 4;
  // The desktop's monitors, the primary one marked.
  std::vector<Monitor> monitors{Monitor{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}};
  // The desktop asks for less motion.
  bool reducedMotion = false;
  // Screen points at which another window covers this one (for the probe).
  std::vector<Point> coveredPoints;
  std::string executablePath = "/usr/bin/glimmerdome";  // what the autostart entry names
  // The user's languages, most wanted first ("de_DE", "de"); none: English.
  std::vector<std::string> languages;
  // The locale whose long dates the countdown captions use ("de_DE.UTF-8");
  // empty, "C" or "POSIX": the English default pattern.
  std::string timeLocale;
  // The folder of the globe's own page; empty: there is none. A headless run
  // writes no copy of it: the command line names where the page is or would
  // be, and the trace tells the address opened.
  std::string pageFolder;
  // Whether asking to open an address fails, as where no program opens it.
  bool openFails = false;
};

class HeadlessPlatform : public Platform, public TraceSink {
 public:
  explicit HeadlessPlatform(HeadlessOptions options);
  ~HeadlessPlatform() override;

  // The display scale given on the command line.
  WindowCapabilities Capabilities() const override {
    WindowCapabilities can;
    can.displayScale = options_.scaleQuarters / 4.0;
    return can;
  }
  bool MakeDesktopOrnament(std::string* errorText) override;
  void SetWindowSize(int width, int height) override;
  Point MoveWindow(int left, int top) override {
    position_ = {left, top};
    return position_;
  }
  LentBuffer LendBuffer(int width, int height, uint8_t constantAlpha) override;
  bool PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) override;
  void SetWindowRegion(const Region& region) override;
  void SetTopmost(bool topmost) override { topmost_ = topmost; }
  // A move starts only while a button is down.
  void BeginMoveDrag() override {
    if (!held_) return;
    ++moveDrags_;
    moving_ = true;
  }
  // The menu stays open until Choose picks from it.
  void ShowPopupMenu(const PopupMenu& menu) override {
    ++menusShown_;
    shownMenu_ = menu;
  }
  bool IsWindowVisibleAt(int screenX, int screenY) override;
  void CloseWindow() override { closeRequested_ = true; }

  std::vector<Monitor> Monitors() override { return options_.monitors; }
  bool PrefersReducedMotion() override { return options_.reducedMotion; }


  // Fires on time: the slack is not needed where time is virtual.
  void SetTimer(TimerId id, uint32_t intervalMs, uint32_t slackMs = 0) override;
  void StopTimer(TimerId id) override;
  uint32_t TickCount() override;
  LocalDateTime LocalTime() override;
  std::optional<uint64_t> PerformanceCounter() override;
  LongDateFormat UserDateFormat() override;
  std::vector<std::string> UserLanguages() override { return options_.languages; }

  void ShowMessage(const std::string& text, MessageKind kind) override;
  bool OpenUrl(const std::string& url) override {
    openedUrls_.push_back(url);
    return !options_.openFails;
  }
  std::string PageFolder(std::string* problem) override;

  SettingsStore& Settings() override { return *settings_; }
  std::string ExecutablePath() override { return options_.executablePath; }

  int RunMessageLoop(WindowEvents& events) override;

  TraceSink* Tracer() override { return trace_ ? this : nullptr; }
  void Write(std::string_view event, std::string_view fieldsJson) override;
  void FrameRendered() override;

  // --- For tests and the command line ---------------------------------------
  // Advances virtual time by `ms`, firing every timer that falls due; returns
  // early when the window closes or the frame limit is reached.
  void RunFor(uint64_t ms);
  // Fires the next due timer; false when the loop should stop.
  bool Step();
  // Shows the window and runs its show handler, without running the loop.
  void Show(WindowEvents& events);
  // Chooses a menu item as a right click and a choice would: the item is
  // chosen once the click has opened the menu.
  void Choose(std::string_view itemName);
  // Presses a mouse button on the window, with the pointer at its middle.
  void Press(MouseButton button);
  // While a button is down: the pointer moves with the window's top-left
  // corner to `position`, and the window follows as the system's move
  // takes it there once it is under way (BeginMoveDrag). False when no move
  // is under way.
  bool DragTo(Point position);
  // The button is up: the move, if any, is over.
  void Release();
  // Shakes the window `times` times with the left button, as a hand would:
  // `reachPx` (device pixels) towards the screen's middle and back, five times a second,
  // through Press, DragTo every kShakeStepMs of virtual time (the timers
  // falling due in between) and Release; it ends where it started.
  void Shake(uint32_t times, int reachPx = kShakeReachPx);
  static constexpr int kShakeReachPx = 40;
  static constexpr uint32_t kShakeStepMs = 10;
  static constexpr uint32_t kShakeLegMs = 100;
  // Moves the window as the window manager would, and tells the window.
  void PlaceWindow(Point position);
  // Changes the monitors while the window runs, and tells the window.
  void SetMonitors(std::vector<Monitor> monitors);
  // What is known of who can see the window: tells the window, as a desktop
  // backend would. SetSeen(false) is a window wholly covered.
  void SetSight(const Sight& sight);
  void SetSeen(bool seen) { SetSight(Sight{.covered = !seen}); }
  // The system's power-saving mode, switched on or off.
  void SetPowerSaving(bool on);
  // Asks the window to close, as the window manager would; runs the close query.
  bool RequestClose();
  // Writes the files asked for in the options (snapshot, dump, recording).
  bool WriteOutputs(std::string* error);

  uint64_t Now() const { return now_; }
  // Where the window's top-left corner is.
  Point WindowPosition() const { return position_; }
  // The first frame presented that broke the presenting contract (a pixel
  // changed outside its damage, a buffer not lent), in words; empty while
  // none has. The run then fails with it.
  const std::string& ContractError() const { return contractError_; }
  uint64_t FramesRendered() const { return framesRendered_; }
  const FrameBuffer& LastFrame() const { return lastFrame_; }
  uint8_t LastConstantAlpha() const { return lastAlpha_; }
  uint64_t Presents() const { return presents_; }
  bool Closed() const { return closed_; }
  const std::vector<std::pair<MessageKind, std::string>>& Messages() const { return messages_; }
  const std::vector<std::string>& OpenedUrls() const { return openedUrls_; }
  const Region& WindowRegion() const { return region_; }
  bool HasRegion() const { return hasRegion_; }
  bool Topmost() const { return topmost_; }
  bool IsDesktopOrnament() const { return ornament_; }
  int MoveDrags() const { return moveDrags_; }
  int MenusShown() const { return menusShown_; }
  Size WindowSize() const { return size_; }
  std::optional<uint32_t> TimerInterval(TimerId id) const;
  void SetPresentFails(bool fails) { presentFails_ = fails; }
  void SetDesktopOrnamentFails(bool fails) { ornamentFails_ = fails; }
  std::vector<Point>& CoveredPoints() { return options_.coveredPoints; }
  void SetStore(std::unique_ptr<SettingsStore> store) { settings_ = std::move(store); }

 private:
  static constexpr uint64_t kStopped = UINT64_MAX;  // a stopped timer's due time
  struct Timer {
    uint32_t interval = 0;
    uint64_t due = 0;
    int order = 0;  // start order: the first started fires first on a tie
  };

  void RecordFrame(const FrameBuffer& frame, uint8_t alpha);
  // Whether `buffer`, about to be shown, is the last frame shown but within
  // `changed`; otherwise notes the contract error.
  bool KeepsToDamage(const LentBuffer& buffer, const RowStretches& changed);
  RgbaImage AsSeen(const FrameBuffer& frame, uint8_t alpha) const;

  HeadlessOptions options_;
  std::optional<WindowLifecycle> lifecycle_;
  std::unique_ptr<SettingsStore> settings_;
  uint64_t now_ = 0;  // virtual milliseconds since the program started
  uint64_t shownAt_ = 0;
  std::map<TimerId, Timer> timers_;
  int nextTimerOrder_ = 0;
  Point position_{0, 0};
  Size size_{0, 0};
  Region region_;
  bool hasRegion_ = false;
  std::vector<uint8_t> insideRegion_;  // the shape as one byte a pixel, for pictures
  bool topmost_ = false;
  bool ornament_ = false;  // per-pixel alpha, owned by the desktop, no taskbar button
  bool ornamentFails_ = false;
  bool presentFails_ = false;
  bool closeRequested_ = false;
  bool closed_ = false;
  int moveDrags_ = 0;
  bool moving_ = false;  // a move drag is under way
  std::optional<MouseButton> held_;  // the button down, if any
  Point pointer_{0, 0};              // where the pointer is, on the screen
  Point grab_{0, 0};                 // where on the window the button went down
  int menusShown_ = 0;
  std::optional<PopupMenu> shownMenu_;  // the menu open, if any
  uint64_t presents_ = 0;
  uint64_t framesRendered_ = 0;
  // The buffers the window lends in turn, each with the number of the
  // present that showed it (0: what it holds is not known).
  struct Buffer {
    std::vector<uint8_t> pixels;
    uint64_t shownAt = 0;
  };
  static constexpr int kBuffers = 3;
  Buffer buffers_[kBuffers];
  Size buffersSize_{0, 0};
  int nextBuffer_ = 0;
  std::string contractError_;
  FrameBuffer lastFrame_;  // the last frame shown
  uint8_t lastAlpha_ = 0;
  std::vector<std::pair<MessageKind, std::string>> messages_;
  std::vector<std::string> openedUrls_;
  std::FILE* trace_ = nullptr;
  ApngWriter record_;
  RgbaImage pendingRecordFrame_;
  struct {
    uint32_t width = 0, height = 0;
  } recordSize_;  // the first frame's
  uint64_t pendingRecordAt_ = 0;
  bool hasPendingRecordFrame_ = false;
  std::string outputError_;
};

// Converts a premultiplied frame to plain RGBA as a person would see it: with
// the window's constant alpha applied and, when `inside` is given (one byte a
// pixel, rows from the top), nothing shown where the window's shape cuts it away.
RgbaImage FrameToRgba(const FrameBuffer& frame, uint8_t constantAlpha, const std::vector<uint8_t>* inside = nullptr);

}  // namespace gd
