// What the Windows desktop tells about itself: its monitors with their work
// areas, whether the user turned animations off, and which window is the
// desktop itself (the one "show desktop" brings to the front).
#pragma once

#include <windows.h>

#include <vector>

#include "platform/platform.h"

namespace gd::win32 {

std::vector<Monitor> DesktopMonitors();

// "Show animations in Windows" is off.
bool DesktopPrefersReducedMotion();

// Whether `window` is the shell's desktop (Progman, or the WorkerW that holds
// the desktop's icons).
bool IsShellDesktop(HWND window);

}  // namespace gd::win32
