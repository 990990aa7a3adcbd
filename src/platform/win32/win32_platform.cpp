#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/desktop.h"
#include "base/scale.h"
#include "platform/win32/layered_surface.h"
#include "platform/win32/locale_date.h"
#include "platform/win32/popup_menu.h"
#include "platform/win32/registry_store.h"
#include "i18n/translation.h"
#include "platform/win32/text.h"
#include "platform/win32/visibility.h"
#include "platform/shared/native_region.h"
#include "platform/shared/page_files.h"
#include "platform/window_lifecycle.h"

namespace gd {
namespace {

using win32::Narrow;
using win32::Widen;

constexpr const wchar_t* kWindowClass = L"TfrmMain";
constexpr const wchar_t* kWindowCaption = L"frmMain";
// The title of message boxes.
constexpr const wchar_t* kApplicationTitle = L"Glimmerdome";
// The resource id of the program's icon (glimmerdome.rc).
constexpr int kIconResource = 1;

// Move the window as if by its caption: SC_MOVE with the caption's hit-test code.
constexpr WPARAM kScDragMove = 0xF012;
// Opens the popup menu at the cursor, once the message loop is back at the top.
constexpr UINT kOpenMenuMessage = WM_APP + 1;

UINT_PTR TimerEventId(TimerId id) { return static_cast<UINT_PTR>(id) + 1; }

// The backend's own timers, apart from the core's: a look at whether anyone
// can see the window twice a second (for what Windows tells of no event,
// such as another window moved over the globe), and one look a moment after
// a burst of events that may have changed it.
constexpr UINT_PTR kSightPollTimer = 100;
constexpr UINT kSightPollMs = 500;
constexpr UINT_PTR kSightCheckTimer = 101;
constexpr UINT kSightCheckDelayMs = 100;

// Sent to a window whose display scale changes (Windows 8.1 on); the headers
// of older systems lack it.
constexpr UINT kWmDpiChanged = 0x02E0;
// DWM hid or showed a window (Windows 8 on): another virtual desktop.
constexpr DWORD kEventObjectCloaked = 0x8017;
constexpr DWORD kEventObjectUncloaked = 0x8018;

// The window's dots per inch: its monitor's where the system knows that
// (GetDpiForWindow, Windows 10 1607 on, asked for by name so that the program
// still starts on older systems), else the screen's.
UINT WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && hwnd)
    if (const UINT dpi = getDpiForWindow(hwnd)) return dpi;
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// Presents the changed rectangle alone (Windows Vista on), asked for by name
// so that the program still starts where it is missing.
using UpdateLayeredWindowIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
UpdateLayeredWindowIndirectFn UpdateIndirect() {
  static const auto fn = reinterpret_cast<UpdateLayeredWindowIndirectFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindowIndirect")));
  return fn;
}

class Win32Platform : public Platform {
 public:
  Win32Platform() = default;
  ~Win32Platform() override;

  bool Create(std::string* error);

  bool MakeDesktopOrnament(std::string* errorText) override;
  void SetWindowSize(int width, int height) override;
  Point MoveWindow(int left, int top) override;
  LentBuffer LendBuffer(int width, int height, uint8_t constantAlpha) override;
  bool PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) override;
  void SetWindowRegion(const Region& region) override;
  void SetTopmost(bool topmost) override;
  void BeginMoveDrag() override;
  void ShowPopupMenu(const PopupMenu& menu) override;
  bool IsWindowVisibleAt(int screenX, int screenY) override;
  void CloseWindow() override;

  std::vector<Monitor> Monitors() override { return win32::DesktopMonitors(); }
  bool PrefersReducedMotion() override { return win32::DesktopPrefersReducedMotion(); }
  // 96 dots per inch is scale 1.
  WindowCapabilities Capabilities() const override {
    WindowCapabilities can;
    can.displayScale = WindowDpi(hwnd_) / 96.0;
    // How far the mouse may go either side of the press before a drag begins.
    can.dragThreshold = std::max(GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG));
    return can;
  }

  // The slack is not used: WM_TIMER fires on time.
  void SetTimer(TimerId id, uint32_t intervalMs, uint32_t slackMs = 0) override;
  void StopTimer(TimerId id) override;
  uint32_t TickCount() override { return GetTickCount(); }
  LocalDateTime LocalTime() override;
  std::optional<uint64_t> PerformanceCounter() override;
  LongDateFormat UserDateFormat() override { return win32::LongDateFormatOf(nullptr); }
  std::vector<std::string> UserLanguages() override;

  void ShowMessage(const std::string& text, MessageKind kind) override;
  bool OpenUrl(const std::string& url) override;
  std::string PageFolder(std::string* problem) override;

  SettingsStore& Settings() override { return settings_; }
  std::string ExecutablePath() override;

  int RunMessageLoop(WindowEvents& events) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // A button went down or up, or the mouse moved, at a point of the
  // window's client area: the core hears of it at that point of the screen.
  void ReportPress(MouseButton button, LPARAM lParam);
  void ReportMotion(LPARAM lParam);
  void ReportRelease(MouseButton button, LPARAM lParam);
  Point OnScreen(LPARAM lParam) const;
  // A button other than the left one went up while the system's move loop
  // runs. That loop ends only at the left button's release, so it is ended
  // here, as the move's own button's release would end it.
  bool EndMoveLoopOnRelease(MouseButton button, LPARAM lParam);
  // Shows the menu ShowPopupMenu was given, at `at`.
  void OpenPopupMenu(POINT at);

  bool EnsureSurface(int width, int height);

  // --- Who can see the window ---------------------------------------------
  // Starts listening to what tells (the session, the display, the power
  // settings, other windows) once the window shows.
  void WatchSight();
  void UnwatchSight();
  // Looks at what tells whether anyone can see the window and tells the lifecycle.
  void CheckSight();
  Sight LookAtSight();
  // One check a moment from now, for a burst of events.
  void ScheduleSightCheck();
  // The globe's outline's bounding box on the screen.
  Rect OutlineOnScreen();
  void OnSessionChange(WPARAM code);
  void OnPowerSetting(const POWERBROADCAST_SETTING& setting);
  // Other windows were minimised, restored, moved or cloaked.
  static void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD);
  static Win32Platform* sightWatcher_;
  std::vector<HWINEVENTHOOK> sightHooks_;
  std::vector<HPOWERNOTIFY> powerNotifications_;
  bool sessionWatched_ = false;
  bool sessionLocked_ = false;
  bool sessionDisconnected_ = false;
  bool displayOff_ = false;
  bool batterySaver_ = false;
  bool energySaver_ = false;
  bool sightCheckPending_ = false;

  // "Show desktop" brings the shell's desktop to the front over every window
  // that is not topmost. While the desktop is in front the globe is lifted
  // into the topmost band, as desktop ornaments are, and put back after.
  static void CALLBACK OnForeground(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD);
  static Win32Platform* foregroundWatcher_;
  HWINEVENTHOOK foregroundHook_ = nullptr;
  bool topmost_ = false;
  bool liftedOverDesktop_ = false;

  HINSTANCE instance_ = nullptr;
  ATOM windowClass_ = 0;
  HWND hwnd_ = nullptr;
  std::optional<WindowLifecycle> lifecycle_;
  win32::RegistrySettingsStore settings_;

  // The window's region, once set.
  std::optional<Region> region_;
  Point toldPosition_{0, 0};  // where the core knows the window to be
  // The DIB section UpdateLayeredWindow shows, lent to the core to compose
  // each frame in: the system takes its copy during the call, so the section
  // holds the last frame presented and lacks nothing of it.
  HBITMAP surface_ = nullptr;
  void* surfaceBits_ = nullptr;
  // A memory DC that keeps the section selected from one frame to the next.
  HDC surfaceDc_ = nullptr;
  HGDIOBJ surfaceDcDefault_ = nullptr;  // what the DC held before
  Size surfaceSize_;
  bool surfaceFilled_ = false;  // it holds the last frame
  bool surfaceShown_ = false;   // and the window shows it, at this opacity
  uint8_t shownAlpha_ = 0;
  // The pixels the region keeps, row by row, for the frame size they were made for.
  win32::RowRuns keptRuns_;
  std::optional<Size> keptRunsSize_;

  std::optional<MouseButton> pressedButton_;  // the button down, if any
  bool inMoveLoop_ = false;
  MouseButton moveButton_ = MouseButton::Left;  // the button that started the move
  bool menuOpen_ = false;
  PopupMenu menu_;  // the menu to open (kOpenMenuMessage)
  POINT menuAt_{};
};

Win32Platform* Win32Platform::foregroundWatcher_ = nullptr;
Win32Platform* Win32Platform::sightWatcher_ = nullptr;

Win32Platform::~Win32Platform() {
  if (foregroundHook_) UnhookWinEvent(foregroundHook_);
  UnwatchSight();
  if (foregroundWatcher_ == this) foregroundWatcher_ = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
  if (surfaceDc_) {
    SelectObject(surfaceDc_, surfaceDcDefault_);
    DeleteDC(surfaceDc_);
  }
  if (surface_) DeleteObject(surface_);
  if (windowClass_) UnregisterClassW(kWindowClass, instance_);
}

bool Win32Platform::Create(std::string* error) {
  instance_ = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_SHARED));
  wc.lpszClassName = kWindowClass;
  windowClass_ = RegisterClassExW(&wc);
  if (!windowClass_) {
    if (error) *error = "cannot register the window class: " + win32::SystemErrorText(GetLastError());
    return false;
  }
  // A borderless pop-up. As a tool window it gets no taskbar button.
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, kWindowCaption, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          instance_, this);
  if (!hwnd_) {
    if (error) *error = "cannot create the window: " + win32::SystemErrorText(GetLastError());
    return false;
  }
  return true;
}

// --- The window -------------------------------------------------------------

// Per-pixel alpha (the layered style) and the desktop as owner. No taskbar
// button needs hiding: the window was created as a tool window, which never
// gets one, and there is no other top-level window.
bool Win32Platform::MakeDesktopOrnament(std::string* errorText) {
  const LONG style = GetWindowLongW(hwnd_, GWL_EXSTYLE);
  // SetWindowLong returns the previous style, which may be 0 on success; only
  // a set last error tells a failure.
  SetLastError(0);
  if (SetWindowLongW(hwnd_, GWL_EXSTYLE, style | WS_EX_LAYERED) == 0) {
    const DWORD code = GetLastError();
    if (code != 0) {
      if (errorText) *errorText = win32::SystemErrorText(code);
      return false;
    }
  }
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetDesktopWindow()));
  return true;
}

void Win32Platform::SetWindowSize(int width, int height) {
  SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Point Win32Platform::MoveWindow(int left, int top) {
  toldPosition_ = {left, top};
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  if (GetWindowRect(hwnd_, &r)) toldPosition_ = {r.left, r.top};
  return toldPosition_;
}

Platform::LentBuffer Win32Platform::LendBuffer(int width, int height, uint8_t constantAlpha) {
  if (width <= 0 || height <= 0 || !EnsureSurface(width, height)) return {};
  GdiFlush();  // GDI is done with the section before it is written
  LentBuffer lent;
  lent.pixels = static_cast<uint8_t*>(surfaceBits_);
  lent.width = width;
  lent.height = height;
  lent.stride = width * 4;
  lent.age = surfaceFilled_ ? 1 : 0;
  lent.constantAlpha = constantAlpha;
  return lent;
}

bool Win32Platform::EnsureSurface(int width, int height) {
  if (surface_ && surfaceSize_.width == width && surfaceSize_.height == height) return true;
  if (!surfaceDc_) {
    surfaceDc_ = CreateCompatibleDC(nullptr);
    if (!surfaceDc_) return false;
  }
  if (surface_) {
    SelectObject(surfaceDc_, surfaceDcDefault_);
    DeleteObject(surface_);
  }
  surface_ = nullptr;
  // 32 bits a pixel, rows from the top (a negative height): the frame
  // buffer's own layout, so a frame is one copy.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  surface_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &surfaceBits_, nullptr, 0);
  surfaceFilled_ = surfaceShown_ = false;
  if (!surface_) return false;
  surfaceDcDefault_ = SelectObject(surfaceDc_, surface_);
  surfaceSize_ = {width, height};
  return true;
}

// Only the rectangle that holds what changed since the last frame goes to the
// window, and nothing at all when nothing did.
bool Win32Platform::PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) {
  const int width = surfaceSize_.width, height = surfaceSize_.height;
  // Written in: the section holds this frame once it is settled below.
  surfaceFilled_ = false;
  if (!buffer.pixels || buffer.pixels != surfaceBits_ || buffer.width != width ||
      buffer.height != height || written.size() != static_cast<size_t>(height) ||
      changed.size() != static_cast<size_t>(height))
    return false;
  const uint8_t constantAlpha = buffer.constantAlpha;
  // Windows shows a layered window only inside its region. Wine shapes it by
  // the picture's alpha instead and ignores the region; clearing what lies
  // outside the region gives the same outline on both.
  if (region_ && (!keptRunsSize_ || keptRunsSize_->width != width || keptRunsSize_->height != height)) {
    keptRuns_ = win32::KeptRuns(*region_, width, height);
    keptRunsSize_ = Size{width, height};
  }
  if (region_) win32::ClearOutsideKept(static_cast<uint8_t*>(surfaceBits_), width, keptRuns_, written);
  surfaceFilled_ = true;
  Rect changedBox = win32::StretchBounds(changed, width);
  if (region_) changedBox = changedBox.Intersected(region_->Bounds());
  RECT window{};
  GetWindowRect(hwnd_, &window);  // where the window is now, dragged or not
  // The changed pixels alone do when the window already shows the rest at
  // this size and opacity.
  const bool partial = surfaceShown_ && shownAlpha_ == constantAlpha && window.right - window.left == width &&
                       window.bottom - window.top == height;
  if (partial && changedBox.Empty()) return true;  // the same picture again

  SIZE size{width, height};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
  BOOL ok = FALSE;
  if (partial) {
    if (const auto updateIndirect = UpdateIndirect()) {
      RECT dirty{changedBox.left, changedBox.top, changedBox.right, changedBox.bottom};
      UPDATELAYEREDWINDOWINFO info{};
      info.cbSize = sizeof info;
      info.psize = &size;
      info.hdcSrc = surfaceDc_;
      info.pptSrc = &source;
      info.pblend = &blend;
      info.dwFlags = ULW_ALPHA;
      info.prcDirty = &dirty;
      ok = updateIndirect(hwnd_, &info);
    }
  }
  if (!ok) {
    POINT destination{window.left, window.top};
    ok = UpdateLayeredWindow(hwnd_, nullptr, &destination, &size, surfaceDc_, &source, 0, &blend, ULW_ALPHA);
  }
  // After a failure the window shows an older picture: the next present is whole.
  surfaceShown_ = ok != FALSE;
  shownAlpha_ = constantAlpha;
  return ok != FALSE;
}

void Win32Platform::SetWindowRegion(const Region& region) {
  HRGN shape = NativeRegionFrom<HRGN>(
      region, [](const Rect& b) { return CreateRectRgn(b.left, b.top, b.right, b.bottom); },
      [](HRGN shape, const Rect& cut) {
        HRGN piece = CreateRectRgn(cut.left, cut.top, cut.right, cut.bottom);
        CombineRgn(shape, shape, piece, RGN_DIFF);
        DeleteObject(piece);
      });
  // From here on the window owns the region.
  if (!SetWindowRgn(hwnd_, shape, TRUE)) DeleteObject(shape);
  region_ = region;
  keptRunsSize_.reset();
  // The section is settled afresh in the new outline, and shown whole.
  surfaceFilled_ = surfaceShown_ = false;
}

void Win32Platform::SetTopmost(bool topmost) {
  topmost_ = topmost;
  if (liftedOverDesktop_) return;  // put back to this when the desktop leaves the front
  SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CALLBACK Win32Platform::OnForeground(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
  Win32Platform* self = foregroundWatcher_;
  if (!self || !self->hwnd_) return;
  self->ScheduleSightCheck();  // a fullscreen program may have come to the front, or left it
  const bool desktop = win32::IsShellDesktop(window);
  if (desktop == self->liftedOverDesktop_) return;
  self->liftedOverDesktop_ = desktop;
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  if (desktop) {
    SetWindowPos(self->hwnd_, HWND_TOPMOST, 0, 0, 0, 0, flags | SWP_SHOWWINDOW);
  } else {
    SetWindowPos(self->hwnd_, self->topmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  }
}

void Win32Platform::BeginMoveDrag() {
  if (inMoveLoop_ || !pressedButton_) return;
  inMoveLoop_ = true;
  moveButton_ = *pressedButton_;
  ReleaseCapture();
  // The system moves the window with the mouse and returns when the move ends.
  SendMessageW(hwnd_, WM_SYSCOMMAND, kScDragMove, 0);
  inMoveLoop_ = false;
  // The loop took the button's release.
  pressedButton_.reset();
  if (lifecycle_) lifecycle_->MoveEnded();
}

void Win32Platform::ShowPopupMenu(const PopupMenu& menu) {
  if (menuOpen_ || menu.empty()) return;
  // Where the pointer was at the message being handled (the release).
  const DWORD at = GetMessagePos();
  menuAt_ = POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  menu_ = menu;
  PostMessageW(hwnd_, kOpenMenuMessage, 0, 0);
}

bool Win32Platform::EndMoveLoopOnRelease(MouseButton button, LPARAM lParam) {
  if (!inMoveLoop_ || moveButton_ != button) return false;
  PostMessageW(hwnd_, WM_LBUTTONUP, 0, lParam);
  return true;
}

bool Win32Platform::IsWindowVisibleAt(int screenX, int screenY) {
  return WindowFromPoint(POINT{screenX, screenY}) == hwnd_;
}

void Win32Platform::CloseWindow() {
  // Closing goes through the message loop, after the current handler.
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// --- Who can see the window -----------------------------------------------------

void Win32Platform::WatchSight() {
  if (!sessionWatched_) sessionWatched_ = win32::WatchSession(hwnd_);
  if (const auto disconnected = win32::SessionDisconnected()) sessionDisconnected_ = *disconnected;
  // Each registration brings the setting's present value at once.
  if (powerNotifications_.empty())
    for (const GUID* setting : {&win32::kConsoleDisplayState, &win32::kPowerSavingStatus, &win32::kEnergySaverStatus})
      if (HPOWERNOTIFY n = RegisterPowerSettingNotification(hwnd_, setting, DEVICE_NOTIFY_WINDOW_HANDLE))
        powerNotifications_.push_back(n);
  if (!sightWatcher_) {
    sightWatcher_ = this;
    // Events that may bring another window over the globe or take it away.
    // Frequent ones (every move of every window) are left to the poll.
    const std::pair<DWORD, DWORD> events[] = {{EVENT_SYSTEM_MOVESIZEEND, EVENT_SYSTEM_MOVESIZEEND},
                                              {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
                                              {kEventObjectCloaked, kEventObjectUncloaked}};
    for (const auto& [first, last] : events)
      if (HWINEVENTHOOK hook = SetWinEventHook(first, last, nullptr, OnWindowEvent, 0, 0, WINEVENT_OUTOFCONTEXT))
        sightHooks_.push_back(hook);
  }
  ::SetTimer(hwnd_, kSightPollTimer, kSightPollMs, nullptr);
  CheckSight();
}

void Win32Platform::UnwatchSight() {
  for (HWINEVENTHOOK hook : sightHooks_) UnhookWinEvent(hook);
  sightHooks_.clear();
  if (sightWatcher_ == this) sightWatcher_ = nullptr;
  for (HPOWERNOTIFY n : powerNotifications_) UnregisterPowerSettingNotification(n);
  powerNotifications_.clear();
  if (sessionWatched_ && hwnd_) win32::UnwatchSession(hwnd_);
  sessionWatched_ = false;
}

void CALLBACK Win32Platform::OnWindowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
  if (object != OBJID_WINDOW || !window) return;
  if (Win32Platform* self = sightWatcher_) self->ScheduleSightCheck();
}

void Win32Platform::ScheduleSightCheck() {
  if (sightCheckPending_ || !hwnd_ || !lifecycle_) return;
  sightCheckPending_ = ::SetTimer(hwnd_, kSightCheckTimer, kSightCheckDelayMs, nullptr) != 0;
}

void Win32Platform::CheckSight() {
  if (lifecycle_ && hwnd_) lifecycle_->SightChanged(LookAtSight());
}

Sight Win32Platform::LookAtSight() {
  Sight sight;
  sight.locked = sessionLocked_;
  sight.sessionInactive = sessionDisconnected_;
  sight.displayAsleep = displayOff_;
  sight.unmapped = !IsWindowVisible(hwnd_) || win32::IsCloaked(hwnd_);
  sight.minimised = IsIconic(hwnd_) != FALSE;
  const win32::Fullscreen fullscreen = win32::FullscreenOverMonitorOf(hwnd_);
  sight.fullscreenOver = fullscreen.over;
  sight.fullscreenExclusive = fullscreen.exclusive;
  sight.covered = win32::IsWhollyCovered(hwnd_, OutlineOnScreen());
  return sight;
}

Rect Win32Platform::OutlineOnScreen() {
  RECT w{};
  if (!GetWindowRect(hwnd_, &w)) return {};
  if (!region_) return {w.left, w.top, w.right, w.bottom};
  const Rect& b = region_->Bounds();
  return {std::max<int>(w.left, w.left + b.left), std::max<int>(w.top, w.top + b.top),
          std::min<int>(w.right, w.left + b.right), std::min<int>(w.bottom, w.top + b.bottom)};
}

void Win32Platform::OnSessionChange(WPARAM code) {
  switch (code) {
    case WTS_SESSION_LOCK:
      sessionLocked_ = true;
      break;
    case WTS_SESSION_UNLOCK:
      sessionLocked_ = false;
      break;
    case WTS_CONSOLE_CONNECT:
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_CONNECT:
    case WTS_REMOTE_DISCONNECT:
      // Asked rather than taken from the message: a remote session that
      // connects may be the one the console left.
      sessionDisconnected_ = win32::SessionDisconnected().value_or(code == WTS_CONSOLE_DISCONNECT ||
                                                                   code == WTS_REMOTE_DISCONNECT);
      break;
    default:
      return;
  }
  CheckSight();
}

void Win32Platform::OnPowerSetting(const POWERBROADCAST_SETTING& setting) {
  if (setting.DataLength < sizeof(DWORD)) return;
  DWORD value = 0;
  std::memcpy(&value, setting.Data, sizeof value);
  if (IsEqualGUID(setting.PowerSetting, win32::kConsoleDisplayState)) {
    displayOff_ = value == 0;  // 2 is dimmed, and still seen
    CheckSight();
    return;
  }
  if (IsEqualGUID(setting.PowerSetting, win32::kPowerSavingStatus))
    batterySaver_ = value != 0;
  else if (IsEqualGUID(setting.PowerSetting, win32::kEnergySaverStatus))
    energySaver_ = value != 0;
  else
    return;
  if (lifecycle_) lifecycle_->PowerSavingChanged(batterySaver_ || energySaver_);
}

// --- Time -------------------------------------------------------------------------

void Win32Platform::StopTimer(TimerId id) { ::KillTimer(hwnd_, TimerEventId(id)); }

void Win32Platform::SetTimer(TimerId id, uint32_t intervalMs, uint32_t /*slackMs*/) {
  ::SetTimer(hwnd_, TimerEventId(id), intervalMs, nullptr);
}

// The language of the user's Windows interface ("de-DE"), as a preference.
std::vector<std::string> Win32Platform::UserLanguages() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH];
  const LCID lcid = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (LCIDToLocaleName(lcid, name, LOCALE_NAME_MAX_LENGTH, 0) <= 0) return {};
  return LanguagesOfLocale(Narrow(name));
}

LocalDateTime Win32Platform::LocalTime() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::optional<uint64_t> Win32Platform::PerformanceCounter() {
  LARGE_INTEGER counter{};
  if (!QueryPerformanceCounter(&counter)) return std::nullopt;
  return static_cast<uint64_t>(counter.QuadPart);
}

// --- The user ---------------------------------------------------------------------

void Win32Platform::ShowMessage(const std::string& text, MessageKind kind) {
  const UINT icon = kind == MessageKind::Error ? MB_ICONERROR : 0;
  MessageBoxW(hwnd_, Widen(text).c_str(), kApplicationTitle, MB_OK | icon);
}

// ShellExecute tells by a value above 32 that it started a program for it.
bool Win32Platform::OpenUrl(const std::string& url) {
  const HINSTANCE result = ShellExecuteW(nullptr, L"open", Widen(url).c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

// Installed beside the program, or its own copy in %LOCALAPPDATA%\Glimmerdome\page.
std::string Win32Platform::PageFolder(std::string* problem) {
  return FindOrWritePage(ExecutablePath(), Win32PageCacheFolder(), EmbeddedPage(), problem);
}

void Win32Platform::OpenPopupMenu(POINT at) {
  if (!lifecycle_ || menuOpen_ || menu_.empty()) return;
  const PopupMenu items = std::move(menu_);
  menu_.clear();
  HMENU menu = win32::BuildPopupMenu(items);
  // The menu closes on a click elsewhere only when its owner is in front.
  SetForegroundWindow(hwnd_);
  menuOpen_ = true;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hwnd_,
      nullptr));
  menuOpen_ = false;
  DestroyMenu(menu);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  const std::string name(win32::MenuItemName(items, chosen));
  if (!name.empty() && lifecycle_) lifecycle_->MenuItemChosen(name);
}

// --- Storage ----------------------------------------------------------------------

std::string Win32Platform::ExecutablePath() { return Win32ExecutablePath(); }


// --- The loop ---------------------------------------------------------------------

int Win32Platform::RunMessageLoop(WindowEvents& events) {
  lifecycle_.emplace(*this, events);
  // The window is still fully transparent; the show handler places it and
  // gives it its opacity.
  ShowWindow(hwnd_, SW_SHOW);
  lifecycle_->Show();
  WatchSight();
  if (!foregroundWatcher_) {
    foregroundWatcher_ = this;
    foregroundHook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnForeground, 0, 0,
                                      WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
  }
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  lifecycle_.reset();  // nothing reaches the window once the loop is over
  return static_cast<int>(msg.wParam);
}

Point Win32Platform::OnScreen(LPARAM lParam) const {
  POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(hwnd_, &p);
  return {p.x, p.y};
}

void Win32Platform::ReportPress(MouseButton button, LPARAM lParam) {
  pressedButton_ = button;  // a second button down takes over
  // Until the release, the mouse's messages come here wherever it is.
  SetCapture(hwnd_);
  if (lifecycle_) lifecycle_->PointerPressed(button, OnScreen(lParam), static_cast<uint32_t>(GetMessageTime()));
}

void Win32Platform::ReportMotion(LPARAM lParam) {
  if (!pressedButton_ || inMoveLoop_ || !lifecycle_) return;
  lifecycle_->PointerMoved(OnScreen(lParam), static_cast<uint32_t>(GetMessageTime()));
}

void Win32Platform::ReportRelease(MouseButton button, LPARAM lParam) {
  if (pressedButton_ != button) return;
  pressedButton_.reset();
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (lifecycle_) lifecycle_->PointerReleased(button, OnScreen(lParam), static_cast<uint32_t>(GetMessageTime()));
}

LRESULT CALLBACK Win32Platform::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<Win32Platform*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT Win32Platform::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kSightCheckTimer) {
        ::KillTimer(hwnd_, kSightCheckTimer);
        sightCheckPending_ = false;
        CheckSight();
        return 0;
      }
      if (wParam == kSightPollTimer) {
        CheckSight();
        return 0;
      }
      if (lifecycle_ && (wParam == TimerEventId(TimerId::Garland) || wParam == TimerEventId(TimerId::CountSnow)))
        lifecycle_->Tick(wParam == TimerEventId(TimerId::Garland) ? TimerId::Garland : TimerId::CountSnow);
      return 0;

    case WM_LBUTTONDOWN:
      ReportPress(MouseButton::Left, lParam);
      return 0;
    case WM_MBUTTONDOWN:
      ReportPress(MouseButton::Middle, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      ReportPress(MouseButton::Right, lParam);
      return 0;
    case WM_MOUSEMOVE:
      ReportMotion(lParam);
      return 0;
    case WM_LBUTTONUP:
      ReportRelease(MouseButton::Left, lParam);
      return 0;
    case WM_MBUTTONUP:
      if (!EndMoveLoopOnRelease(MouseButton::Middle, lParam)) ReportRelease(MouseButton::Middle, lParam);
      return 0;
    case WM_RBUTTONUP:
      // Not passed on: the core opens the menu, not WM_CONTEXTMENU.
      if (!EndMoveLoopOnRelease(MouseButton::Right, lParam)) ReportRelease(MouseButton::Right, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the button's release will not come here.
      if (!inMoveLoop_ && reinterpret_cast<HWND>(lParam) != hwnd_) pressedButton_.reset();
      break;
    case WM_CONTEXTMENU: {
      // The menu key: a right click where the cursor is.
      if (pressedButton_) return 0;
      POINT at{};
      GetCursorPos(&at);
      ScreenToClient(hwnd_, &at);
      const LPARAM where = MAKELPARAM(static_cast<short>(at.x), static_cast<short>(at.y));
      ReportPress(MouseButton::Right, where);
      ReportRelease(MouseButton::Right, where);
      return 0;
    }
    case kOpenMenuMessage:
      OpenPopupMenu(menuAt_);
      return 0;

    case WM_CLOSE:
      if (!lifecycle_ || lifecycle_->RequestClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      // The user logs off or the system shuts down: the close query saves.
      return !lifecycle_ || lifecycle_->QueryClose() ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wParam) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      UnwatchSight();
      // Only a running loop ends: a window destroyed without one (the
      // platform dropped before its loop ran) leaves no quit message behind
      // for the thread's next loop.
      if (lifecycle_) {
        lifecycle_->Destroy();
        PostQuitMessage(0);
      }
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
      hwnd_ = nullptr;  // the window is gone
      return result;
    }

    case WM_ERASEBKGND:
      return 1;  // the layered surface is the whole picture

    case WM_DISPLAYCHANGE:
      if (lifecycle_) lifecycle_->MonitorsChanged();
      break;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA && lifecycle_) lifecycle_->MonitorsChanged();
      break;
    case WM_SIZE:
      // Nothing minimizes an ornament, not even "minimize all".
      if (wParam == SIZE_MINIMIZED) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
      ScheduleSightCheck();
      break;
    case WM_SHOWWINDOW:
      ScheduleSightCheck();
      break;
    case WM_WINDOWPOSCHANGED: {
      // The system's move loop moves the window while it runs.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!pos || (pos->flags & SWP_NOMOVE)) break;
      if (inMoveLoop_) {
        toldPosition_ = {pos->x, pos->y};
        if (lifecycle_) lifecycle_->WindowMoved({pos->x, pos->y}, GetTickCount());
      } else if (pos->x != toldPosition_.x || pos->y != toldPosition_.y) {
        // Moved otherwise: a new scale, the monitors, the system.
        toldPosition_ = {pos->x, pos->y};
        if (lifecycle_) lifecycle_->WindowPlaced({pos->x, pos->y});
      }
      break;
    }
    case WM_WTSSESSION_CHANGE:
      OnSessionChange(wParam);
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_POWERSETTINGCHANGE && lParam) {
        OnPowerSetting(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
        return TRUE;
      }
      break;
    case kWmDpiChanged: {
      // Moved to a monitor of another scale, or the scale was changed: take
      // the place the system suggests, then the core draws at the new scale.
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      if (lifecycle_) lifecycle_->ScaleChanged(WindowDpi(hwnd_) / 96.0);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace

std::string Win32ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return Narrow(path);
    }
    path.resize(path.size() * 2);  // cut short: try a larger buffer
  }
}

std::string Win32PageCacheFolder() {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return {};
  return Narrow(std::wstring(buffer, length)) + "\\Glimmerdome\\page";
}

std::unique_ptr<Platform> MakeWin32Platform(std::string* error) {
  auto platform = std::make_unique<Win32Platform>();
  if (!platform->Create(error)) return nullptr;
  return platform;
}

std::vector<std::string> Win32ProgramArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return arguments;
}

void UseParentConsole() {
  auto missing = [](DWORD which) {
    const HANDLE h = GetStdHandle(which);
    return h == nullptr || h == INVALID_HANDLE_VALUE;
  };
  const bool noOut = missing(STD_OUTPUT_HANDLE);
  const bool noErr = missing(STD_ERROR_HANDLE);
  // Streams redirected to a file or a pipe are already in place.
  if (!noOut && !noErr) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (noOut) std::freopen("CONOUT$", "w", stdout);
  if (noErr) std::freopen("CONOUT$", "w", stderr);
}

}  // namespace gd
