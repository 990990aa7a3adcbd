#include "platform/win32/visibility.h"

#include <shellapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <utility>

#include "platform/win32/desktop.h"

namespace gd::win32 {
namespace {

// A function of a system DLL that may be missing, looked up once by name.
template <typename Fn>
Fn Lookup(const wchar_t* dll, const char* name) {
  HMODULE module = GetModuleHandleW(dll);
  if (!module) module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) module = LoadLibraryW(dll);  // systems without the search flags
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
DwmGetWindowAttributeFn DwmAttribute() {
  static const auto fn = Lookup<DwmGetWindowAttributeFn>(L"dwmapi.dll", "DwmGetWindowAttribute");
  return fn;
}

// DWM's window attributes (Windows 8 on for the cloak).
constexpr DWORD kDwmExtendedFrameBounds = 9;
constexpr DWORD kDwmCloaked = 14;

// The part of the screen a window paints: DWM's frame without the invisible
// resize borders where DWM says, else the window rectangle.
bool VisibleBounds(HWND window, RECT* bounds) {
  if (const auto dwm = DwmAttribute())
    if (dwm(window, kDwmExtendedFrameBounds, bounds, sizeof *bounds) == S_OK) return true;
  return GetWindowRect(window, bounds) != FALSE;
}

Rect Intersection(const RECT& r, const Rect& target) {
  return {std::max<int>(r.left, target.left), std::max<int>(r.top, target.top), std::min<int>(r.right, target.right),
          std::min<int>(r.bottom, target.bottom)};
}

// Whether nothing below `window` shows through it.
bool SurelyHidesBelow(HWND window) {
  const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (ex & WS_EX_TRANSPARENT) return false;
  if (ex & WS_EX_LAYERED) {
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    // No attributes: the window brings its own picture with per-pixel alpha.
    if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags)) return false;
    if ((flags & LWA_COLORKEY) || ((flags & LWA_ALPHA) && alpha < 255)) return false;
  }
  RECT box;
  if (GetWindowRgnBox(window, &box) != ERROR) return false;  // cut to a shape
  return !IsCloaked(window);
}

}  // namespace

bool RectanglesCover(const std::vector<Rect>& pieces, const Rect& target) {
  if (target.Empty()) return true;
  // Bands between the pieces' top and bottom edges; each band must be
  // covered from left to right by the pieces that span it.
  std::vector<int> edges{target.top, target.bottom};
  for (const Rect& p : pieces) {
    if (p.Empty()) continue;
    if (p.top > target.top && p.top < target.bottom) edges.push_back(p.top);
    if (p.bottom > target.top && p.bottom < target.bottom) edges.push_back(p.bottom);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<std::pair<int, int>> spans;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    spans.clear();
    for (const Rect& p : pieces)
      if (!p.Empty() && p.top <= edges[i] && p.bottom >= edges[i + 1] && p.left < target.right &&
          p.right > target.left)
        spans.push_back({p.left, p.right});
    std::sort(spans.begin(), spans.end());
    int reach = target.left;
    for (const auto& [l, r] : spans) {
      if (l > reach) break;
      reach = std::max(reach, r);
    }
    if (reach < target.right) return false;
  }
  return true;
}

bool IsCloaked(HWND window) {
  DWORD cloaked = 0;
  const auto dwm = DwmAttribute();
  return dwm && dwm(window, kDwmCloaked, &cloaked, sizeof cloaked) == S_OK && cloaked != 0;
}

bool IsWhollyCovered(HWND window, const Rect& target) {
  if (target.Empty()) return false;
  // A desktop holds a few hundred top-level windows at most; past that the
  // walk gives up and the window counts as seen.
  constexpr int kMostWindows = 1000;
  std::vector<Rect> pieces;
  int walked = 0;
  for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (++walked > kMostWindows) return false;
    if (!IsWindowVisible(above) || IsIconic(above)) continue;
    RECT r;
    if (!GetWindowRect(above, &r) || Intersection(r, target).Empty()) continue;
    if (!SurelyHidesBelow(above) || !VisibleBounds(above, &r)) continue;
    const Rect piece = Intersection(r, target);
    if (!piece.Empty()) pieces.push_back(piece);
  }
  return !pieces.empty() && RectanglesCover(pieces, target);
}

Fullscreen FullscreenOverMonitorOf(HWND window) {
  HWND front = GetForegroundWindow();
  if (!front || front == window || IsShellDesktop(front) || !IsWindowVisible(front) || IsIconic(front)) return {};
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
  if (!monitor || MonitorFromWindow(front, MONITOR_DEFAULTTONULL) != monitor) return {};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT r;
  if (!GetMonitorInfoW(monitor, &info) || !VisibleBounds(front, &r)) return {};
  if (r.left > info.rcMonitor.left || r.top > info.rcMonitor.top || r.right < info.rcMonitor.right ||
      r.bottom < info.rcMonitor.bottom)
    return {};
  using QueryFn = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
  static const auto query = Lookup<QueryFn>(L"shell32.dll", "SHQueryUserNotificationState");
  QUERY_USER_NOTIFICATION_STATE state{};
  if (!query || query(&state) != S_OK) return {};
  if (state == QUNS_RUNNING_D3D_FULL_SCREEN) return {true, true};
  if (state != QUNS_BUSY && state != QUNS_PRESENTATION_MODE) return {};
  return {!IsCloaked(front), false};
}

std::optional<bool> SessionDisconnected() {
  using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
  using FreeFn = void(WINAPI*)(PVOID);
  static const auto query = Lookup<QueryFn>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
  static const auto release = Lookup<FreeFn>(L"wtsapi32.dll", "WTSFreeMemory");
  if (!query || !release) return std::nullopt;
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  if (!query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState, &buffer, &bytes) || !buffer)
    return std::nullopt;
  std::optional<bool> disconnected;
  if (bytes >= sizeof(WTS_CONNECTSTATE_CLASS))
    disconnected = *reinterpret_cast<const WTS_CONNECTSTATE_CLASS*>(buffer) == WTSDisconnected;
  release(buffer);
  return disconnected;
}

bool WatchSession(HWND window) {
  using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
  static const auto watch = Lookup<RegisterFn>(L"wtsapi32.dll", "WTSRegisterSessionNotification");
  return watch && watch(window, NOTIFY_FOR_THIS_SESSION);
}

void UnwatchSession(HWND window) {
  using UnregisterFn = BOOL(WINAPI*)(HWND);
  static const auto unwatch = Lookup<UnregisterFn>(L"wtsapi32.dll", "WTSUnRegisterSessionNotification");
  if (unwatch) unwatch(window);
}

const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kPowerSavingStatus = {0xe00958c0, 0xc213, 0x4ace, {0xac, 0x77, 0xfe, 0xcc, 0xed, 0x2e, 0xee, 0xa5}};
const GUID kEnergySaverStatus = {0x550e8400, 0xe29b, 0x41d4, {0xa7, 0x16, 0x44, 0x66, 0x55, 0x44, 0x00, 0x00}};

}  // namespace gd::win32
