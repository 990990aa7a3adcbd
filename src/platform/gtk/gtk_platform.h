// The GTK 3 backend: Glimmerdome on a Linux desktop.
//
// On Windows the globe is a layered window that the system composites over the
// desktop from a premultiplied bitmap. This backend stands in for that service
// on X11: a borderless GTK window with an RGBA visual whose whole content is the
// latest frame, painted with cairo at the window's constant alpha, cut to the
// globe's outline with the X shape extension, kept off the taskbar and pager,
// and moved by the window manager (or by GDK when there is none). On a
// Wayland desktop that offers layer-shell the same window is a layer surface,
// which places itself and chooses its layer; other Wayland desktops run it
// through XWayland, because there Wayland lets no program place itself or
// stay on top.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace gd {

// Opens the display (Wayland or X11, chosen from gtkui::Backends) and creates
// the (still hidden) window. Returns nullptr and fills `error` when no display
// can be opened, or GLIMMERDOME_BACKEND asks for what cannot be had. GTK takes its own options out
// of argc/argv. `store` keeps the settings; nullptr means the user's key file
// and autostart entry under $XDG_CONFIG_HOME (in memory for the run where the
// key file store is not built).
std::unique_ptr<Platform> MakeGtkPlatform(int* argc, char*** argv, std::string* error,
                                          std::unique_ptr<SettingsStore> store = nullptr);

}  // namespace gd
