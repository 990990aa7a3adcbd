#include "platform/win32/desktop.h"

#include <algorithm>

namespace gd::win32 {
namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& b = info.rcMonitor;
  const RECT& w = info.rcWork;
  reinterpret_cast<std::vector<Monitor>*>(data)->push_back(
      Monitor{{b.left, b.top, b.right, b.bottom}, {w.left, w.top, w.right, w.bottom},
              (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

std::vector<Monitor> DesktopMonitors() {
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    // No answer: the primary screen and its work area, as the system metrics give them.
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    monitors.push_back(Monitor{{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                               {work.left, work.top, work.right, work.bottom}, true});
  }
  return monitors;
}

bool DesktopPrefersReducedMotion() {
  BOOL animations = TRUE;
  if (!SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animations, 0)) return false;
  return !animations;
}

bool IsShellDesktop(HWND window) {
  if (!window) return false;
  wchar_t name[32] = {};
  if (!GetClassNameW(window, name, static_cast<int>(std::size(name)))) return false;
  const std::wstring_view cls(name);
  if (cls == L"Progman") return true;
  return cls == L"WorkerW" && FindWindowExW(window, nullptr, L"SHELLDLL_DefView", nullptr) != nullptr;
}

}  // namespace gd::win32
