// The Windows backend: Glimmerdome on its first home.
//
// The globe was made for the Windows desktop, and this backend gives the core
// exactly the calls that desktop offers: a layered pop-up window presented
// with UpdateLayeredWindow and cut to shape with SetWindowRgn, moved by the
// system's own move loop, a TrackPopupMenu menu, message boxes, timers, the
// registry of the current user and the user's locale. It uses the
// wide-character API throughout and is cross-built with mingw-w64 into one
// self-contained glimmerdome.exe.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace gd {

// Creates the main window, hidden, the size of nothing yet. Returns nullptr
// and says why in `error` when Windows refuses.
std::unique_ptr<Platform> MakeWin32Platform(std::string* error);

// The program's arguments after its name, in UTF-8. (The narrow argv of a
// Windows program is in the ANSI code page and loses what that cannot hold.)
std::vector<std::string> Win32ProgramArguments();

// The running program's path, and the folder of the copy of its own page it
// writes where none is installed beside it (%LOCALAPPDATA%\Glimmerdome\page;
// empty when the variable is not set), both UTF-8.
std::string Win32ExecutablePath();
std::string Win32PageCacheFolder();

// glimmerdome.exe is a graphical program and starts without standard
// streams; when it was started from a console, this lends it that console's,
// so that --help, --version, headless runs and error reports can be read.
void UseParentConsole();

}  // namespace gd
