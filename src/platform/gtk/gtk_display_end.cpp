// The end of the desktop under a running globe: the X server or the Wayland
// compositor exits (at logout, or killed), XWayland goes with its compositor.
//
// GDK ends the program itself when its connection breaks, with _exit from
// Xlib's IO error handler or from its Wayland event source, so nothing of
// the program would run after it. The settings are written when they change
// (the core), so what could be lost is a change not yet written; this catches
// the end first: a watch on the connection's socket, at a higher priority
// than GDK's event source, that sees the hang-up before GDK reads from it
// (each display gives its socket: DisplaySocket) and sends what is waiting
// to be sent before GDK does (SendPending: GDK ends the program where its
// Wayland flush fails), and on X11 an IO error handler in place of GDK's for
// an end found inside any Xlib call, its flushes among them
// (gtk_x11_window.cpp). Either asks the core's close query (which
// saves what the store does not hold yet), says so on stderr and ends the
// program at once. From then on nothing touches the display: the place is
// the last one known and messages go to stderr (see DisplayEnded).
#include <unistd.h>

#include <cstdio>

#include "i18n/translation.h"
#include "platform/gtk/gtk_backend.h"


namespace gd {

namespace {

// The platform whose display the watch and the IO error handler serve: there
// is one per program.
GtkPlatform* gWatched = nullptr;

// A source that is ready once the peer has closed the socket.
struct HangUpSource {
  GSource source;
  gpointer tag;
};

// Asked before GDK's own source on every turn of the loop, so it asks
// nothing of the system where nothing waits to be sent: an end while the
// loop sleeps wakes it with a hang-up, which this source's check sees before
// GDK's source is asked.
gboolean HangUpPrepare(GSource*, gint* timeout) {
  *timeout = -1;
  return gWatched && !gWatched->SendPending();
}

gboolean HangUpCheck(GSource* source) {
  auto* s = reinterpret_cast<HangUpSource*>(source);
  return (g_source_query_unix_fd(source, s->tag) & (G_IO_HUP | G_IO_ERR | G_IO_NVAL)) != 0;
}

gboolean HangUpDispatch(GSource*, GSourceFunc, gpointer) {
  if (gWatched) gWatched->DisplayEnded();
  return G_SOURCE_REMOVE;
}

GSourceFuncs kHangUpFuncs = {HangUpPrepare, HangUpCheck, HangUpDispatch, nullptr, nullptr, nullptr};

}  // namespace

void gtkui::DisplayConnectionEnded() {
  if (gWatched) gWatched->DisplayEnded();
}

void GtkPlatform::WatchDisplayEnd() {
  GdkDisplay* display = window_ ? gtk_widget_get_display(window_) : gdk_display_get_default();
  if (!display) return;
  gWatched = this;
  displayName_ = gdk_display_get_name(display);
  const int fd = DisplaySocket();
  if (fd < 0) return;
  GSource* source = g_source_new(&kHangUpFuncs, sizeof(HangUpSource));
  auto* s = reinterpret_cast<HangUpSource*>(source);
  s->tag = g_source_add_unix_fd(source, fd, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR));
  g_source_set_priority(source, G_PRIORITY_HIGH);
  g_source_set_name(source, "glimmerdome display end");
  displayEndWatch_ = g_source_attach(source, nullptr);
  g_source_unref(source);
}

void GtkPlatform::UnwatchDisplayEnd() {
  if (displayEndWatch_) g_source_remove(displayEndWatch_);
  displayEndWatch_ = 0;
  if (gWatched != this) return;
  gWatched = nullptr;
  UnwatchDisplaySocket();
}

void GtkPlatform::DisplayEnded() {
  if (displayGone_) return;
  displayGone_ = true;
  // The close query saves; the window needs no destroying, the display has
  // taken it along.
  if (lifecycle_ && lifecycle_->Live()) lifecycle_->QueryClose();
  const std::string line = TrFormat("The connection to the display %s has ended; Glimmerdome closes.",
                                    {"\"" + displayName_ + "\""});
  std::fprintf(stderr, "glimmerdome: %s\n", line.c_str());
  std::fflush(nullptr);
  _exit(0);
}

}  // namespace gd
