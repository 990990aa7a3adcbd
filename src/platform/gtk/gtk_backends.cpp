// The start of the GTK backend: the table of the displays it can put the
// globe on, the choice among them, and opening the one chosen.
//
// A layer surface where the Wayland compositor offers layer-shell, X11
// everywhere else (on a Wayland session, XWayland); GLIMMERDOME_BACKEND may
// choose. A GDK_BACKEND asking for anything else would only make the start
// fail, so GDK is allowed the chosen backend alone.
#include <clocale>
#include <csignal>
#include <string>

#include "platform/gtk/gtk_backend.h"
#include "platform/gtk/gtk_layer_shell.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/gtk_x11.h"
#ifdef GLIMMERDOME_HAVE_KEYFILE_STORE
#include "platform/linux/keyfile_store.h"
#endif

namespace gd {

namespace gtkui {

namespace {

bool LayerShellAvailable(const char* waylandDisplay, const std::function<bool()>& offersLayerShell, std::string* why) {
#ifndef GLIMMERDOME_HAVE_LAYER_SHELL
  (void)waylandDisplay, (void)offersLayerShell;
  *why = "GLIMMERDOME_BACKEND=wayland, but this build has no Wayland backend (built without gtk-layer-shell)";
  return false;
#else
  if (!waylandDisplay || !*waylandDisplay) {
    *why = "GLIMMERDOME_BACKEND=wayland, but there is no Wayland display (WAYLAND_DISPLAY is not set)";
    return false;
  }
  if (!offersLayerShell()) {
    *why = std::string("GLIMMERDOME_BACKEND=wayland, but the Wayland compositor on \"") + waylandDisplay +
           "\" offers no layer-shell (zwlr_layer_shell_v1); GLIMMERDOME_BACKEND=x11 runs it through XWayland";
    return false;
  }
  return true;
#endif
}

std::string CannotOpenWayland() {
  return std::string("cannot open the Wayland display \"") + g_getenv("WAYLAND_DISPLAY") + "\"";
}

std::string CannotOpenX11() {
  const char* display = g_getenv("DISPLAY");
  if (!display || !*display) return "no X display to open (DISPLAY is not set)";
  return std::string("cannot open the X display \"") + display + "\"";
}

}  // namespace

const std::vector<GtkBackend>& Backends() {
  static const std::vector<GtkBackend> backends{
      {"wayland", "wayland", LayerShellAvailable, CannotOpenWayland,
       [](std::unique_ptr<SettingsStore> store) -> std::unique_ptr<Platform> {
         return std::make_unique<LayerShellPlatform>(std::move(store));
       }},
      {"x11", "x11", [](const char*, const std::function<bool()>&, std::string*) { return true; }, CannotOpenX11,
       [](std::unique_ptr<SettingsStore> store) -> std::unique_ptr<Platform> {
         return std::make_unique<X11Platform>(std::move(store));
       }},
  };
  return backends;
}

const GtkBackend* ChooseBackend(const std::vector<GtkBackend>& backends, const char* asked,
                                const char* waylandDisplay, const std::function<bool()>& offersLayerShell,
                                std::string* error) {
  const std::string name = asked ? asked : "";
  std::string why;
  for (const GtkBackend& backend : backends) {
    if (!name.empty() && name != backend.name) continue;
    if (backend.available(waylandDisplay, offersLayerShell, &why)) return &backend;
    if (!name.empty()) {
      *error = why;
      return nullptr;
    }
  }
  *error = "GLIMMERDOME_BACKEND is \"" + name + "\"; it may be \"x11\" or \"wayland\", or unset to choose by the desktop";
  return nullptr;
}

}  // namespace gtkui

std::unique_ptr<Platform> MakeGtkPlatform(int* argc, char*** argv, std::string* error,
                                          std::unique_ptr<SettingsStore> store) {
  std::string why;
  const gtkui::GtkBackend* backend = gtkui::ChooseBackend(gtkui::Backends(), g_getenv("GLIMMERDOME_BACKEND"),
                                                          g_getenv("WAYLAND_DISPLAY"), gtkui::WaylandOffersLayerShell, &why);
  if (!backend) {
    if (error) *error = why;
    return nullptr;
  }
  // A write to a display that has gone fails instead of ending the program
  // unseen (see gtk_display_end.cpp).
  std::signal(SIGPIPE, SIG_IGN);
  g_unsetenv("GDK_BACKEND");
  gdk_set_allowed_backends(backend->gdkBackend);
  g_set_prgname("glimmerdome");
  g_set_application_name("Glimmerdome");
  const bool opened = gtk_init_check(argc, argv);
  // GTK takes the whole locale from the environment; the month and day names
  // come from it, but numbers keep the C form in every locale.
  std::setlocale(LC_NUMERIC, "C");
  if (!opened) {
    if (error) *error = backend->cannotOpen();
    return nullptr;
  }
  gtk_window_set_default_icon_name("glimmerdome");
#ifdef GLIMMERDOME_HAVE_KEYFILE_STORE
  // The user's own settings file and autostart entry.
  if (!store) store = std::make_unique<KeyFileSettingsStore>(DefaultSettingsPath(), DefaultAutostartPath());
#endif
  return backend->make(std::move(store));
}

}  // namespace gd
