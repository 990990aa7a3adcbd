// The GTK window the displays share: a borderless, undecorated window with
// the screen's RGBA visual wherever it has one, kept off the taskbar and the
// pager, whose whole content is the latest frame at the window's constant
// alpha (the frame's bytes are cairo's ARGB32 on little-endian machines), cut
// to the globe's outline for drawing and input. Here too: the mouse to the
// core, closing, the loop, messages and opening addresses. Where the window
// goes and how its frames reach the screen is each display's own
// (X11Platform, LayerShellPlatform).
#include <glib-unix.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/wait.h>
#include <utility>

#include "base/scale.h"
#include "platform/gtk/gtk_backend.h"
#include "platform/shared/memory_settings_store.h"
#include "platform/shared/native_region.h"
#include "platform/shared/page_files.h"
#include "platform/shared/window_content.h"
#include "i18n/translation.h"

namespace gd {

// --- Pieces that need no window ------------------------------------------------

namespace gtkui {

cairo_region_t* CairoRegionFromRegion(const Region& region) {
  return NativeRegionFrom<cairo_region_t*>(
      region,
      [](const Rect& b) {
        const cairo_rectangle_int_t r{b.left, b.top, b.Empty() ? 0 : b.right - b.left, b.Empty() ? 0 : b.bottom - b.top};
        return cairo_region_create_rectangle(&r);
      },
      [](cairo_region_t* shape, const Rect& cut) {
        const cairo_rectangle_int_t r{cut.left, cut.top, cut.right - cut.left, cut.bottom - cut.top};
        cairo_region_subtract_rectangle(shape, &r);
      });
}

int ScaleQuartersFromDesktop(int windowScale, double xftDpi) {
  return ScaleQuartersOf(std::max(static_cast<double>(std::max(1, windowScale)), xftDpi / 96));
}

}  // namespace gtkui

// --- The window --------------------------------------------------------------------

GtkPlatform::GtkPlatform(std::unique_ptr<SettingsStore> store) : settings_(std::move(store)) {
  if (!settings_) settings_ = std::make_unique<MemorySettingsStore>();
}

void GtkPlatform::MakeWindow() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  PrepareWindow();
  GtkWindow* w = GTK_WINDOW(window_);
  gtk_window_set_title(w, "frmMain");
  gtk_window_set_decorated(w, FALSE);
  gtk_window_set_resizable(w, FALSE);
  // A dock on every workspace, off the taskbar and the pager, still shown
  // when the user shows the desktop (see gtk_desktop.cpp). It does not take
  // the focus when it appears.
  gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DOCK);
  gtk_window_stick(w);
  gtk_window_set_skip_taskbar_hint(w, TRUE);
  gtk_window_set_skip_pager_hint(w, TRUE);
  gtk_window_set_focus_on_map(w, FALSE);
  gtk_widget_set_app_paintable(window_, TRUE);

  // The RGBA visual whenever the screen has one, even if no compositor runs
  // yet: a compositor that starts later (as at login) then finds a window it
  // can blend. Without one the frame is painted opaque (see PaintWindow).
  GdkScreen* screen = gtk_widget_get_screen(window_);
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) {
    gtk_widget_set_visual(window_, rgba);
    rgbaVisual_ = true;
  }
  composited_ = rgbaVisual_ && gdk_screen_is_composited(screen);
  compositedHandler_ = g_signal_connect(screen, "composited-changed", G_CALLBACK(OnCompositedChanged), this);
  monitorsHandler_ = g_signal_connect(screen, "monitors-changed", G_CALLBACK(OnMonitorsChanged), this);
  WatchScreen();
  StartWatchingVisibility();

  gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON_MOTION_MASK |
                                     GDK_STRUCTURE_MASK);
  g_signal_connect(window_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(window_, "button-press-event", G_CALLBACK(OnButtonPress), this);
  g_signal_connect(window_, "button-release-event", G_CALLBACK(OnButtonRelease), this);
  g_signal_connect(window_, "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(OnDestroy), this);
  g_signal_connect(window_, "window-state-event", G_CALLBACK(OnWindowState), this);
  g_signal_connect(window_, "configure-event", G_CALLBACK(OnConfigure), this);
  // A new scale factor changes GTK's units: the same device size and shape
  // take other values there, and the core hears of a new system scale.
  g_signal_connect(window_, "notify::scale-factor", G_CALLBACK(+[](GObject*, GParamSpec*, gpointer data) {
                     auto* self = static_cast<GtkPlatform*>(data);
                     self->knownPosition_.reset();
                     self->probeAnswers_.clear();
                     self->ReleaseWindowSurface();
                     if (self->size_.width > 0) self->ApplyWindowSize();
                     self->ApplyShape();
                     // The same place in other units, then the new scale.
                     self->TellPlace();
                     if (self->lifecycle_ && !self->closed_) self->lifecycle_->ScaleChanged(self->Capabilities().displayScale);
                   }),
                   this);
  g_signal_connect(window_, "unrealize", G_CALLBACK(+[](GtkWidget*, gpointer data) {
                     static_cast<GtkPlatform*>(data)->ReleaseWindowSurface();
                   }),
                   this);
  // Every frame asks whether the window is mapped; GTK's answer costs type
  // checks on memory the frame has not touched yet, so it is mirrored here
  // (the widget's own handlers have run when these are called).
  const auto mirrorMapped = +[](GtkWidget* widget, gpointer data) {
    static_cast<GtkPlatform*>(data)->mapped_ = gtk_widget_get_mapped(widget);
  };
  g_signal_connect(window_, "map", G_CALLBACK(mirrorMapped), this);
  g_signal_connect(window_, "unmap", G_CALLBACK(mirrorMapped), this);
  g_signal_connect(window_, "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer data) -> gboolean {
                     auto* self = static_cast<GtkPlatform*>(data);
                     self->knownPosition_.reset();
                     self->probeAnswers_.clear();
                     self->WindowMapped();
                     self->UpdateSeen();
                     self->ScheduleVisibilityCheck();
                     return FALSE;
                   }),
                   this);
  // Unmapped (another workspace, or hidden), nobody sees it.
  g_signal_connect(window_, "unmap-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer data) -> gboolean {
                     static_cast<GtkPlatform*>(data)->UpdateSeen();
                     return FALSE;
                   }),
                   this);

  // The end of the desktop session reaches a plain X client as a signal; it
  // closes the window the same way the Exit command does.
  for (int sig : {SIGTERM, SIGHUP, SIGINT}) signalSources_.push_back(g_unix_signal_add(sig, OnTerminateSignal, this));
  // The end of the display itself reaches it as a broken connection.
  WatchDisplayEnd();

  OpenTrace();
  WindowMade();
}

void GtkPlatform::UnmakeWindow() {
  if (unmade_) return;
  unmade_ = true;
  lifecycle_.reset();
  StopTimers();
  StopWatching();
  visibility_.reset();
  for (guint id : signalSources_) g_source_remove(id);
  UnwatchDisplayEnd();
  for (guint id : openWatches_) g_source_remove(id);
  if (compositedHandler_ && window_)
    g_signal_handler_disconnect(gtk_widget_get_screen(window_), compositedHandler_);
  if (monitorsHandler_ && window_) g_signal_handler_disconnect(gtk_widget_get_screen(window_), monitorsHandler_);
  if (monitorsSettle_) g_source_remove(monitorsSettle_);
  StopPending();
  if (menu_) gtk_widget_destroy(menu_);
  ReleaseWindowSurface();
  if (window_) gtk_widget_destroy(window_);  // OnDestroy clears window_
  if (surface_) cairo_surface_destroy(surface_);
  if (shape_) cairo_region_destroy(shape_);
  if (localZone_) g_time_zone_unref(localZone_);
}

// Each display's destructor has undone the window already, with its own hooks.
GtkPlatform::~GtkPlatform() { UnmakeWindow(); }

bool GtkPlatform::Composited() const { return window_ && composited_; }

bool GtkPlatform::MakeDesktopOrnament(std::string* errorText) {
  // The window is per-pixel transparent from its creation. X11 has no owner
  // window; what owning by the desktop achieves (no taskbar button) is what
  // the skip hints do.
  if (!window_) {
    if (errorText) *errorText = Tr("The window no longer exists");
    return false;
  }
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), TRUE);
  gtk_window_set_skip_pager_hint(GTK_WINDOW(window_), TRUE);
  return true;
}

// GTK counts the window's size and place in its own units, each the
// window's scale factor (GDK_SCALE, or the desktop's) in device pixels; the
// core counts device pixels, as the X server does.
int GtkPlatform::WindowScale() const { return window_ ? std::max(1, gtk_widget_get_scale_factor(window_)) : 1; }

void GtkPlatform::SetWindowSize(int width, int height) {
  if (!window_ || (width == size_.width && height == size_.height)) return;
  size_ = {width, height};
  ReleaseWindowSurface();
  probeAnswers_.clear();
  ApplyWindowSize();
}

void GtkPlatform::ApplyWindowSize() {
  // A size that the scale factor does not divide takes one more unit; the
  // frame fills it from the top left, and the shape cuts the rest away.
  // (On a layer surface at a fractional scale, its units of that scale.)
  const double g = PixelsPerUnit();
  const int w = static_cast<int>(std::ceil(size_.width / g - 1e-9)), h = static_cast<int>(std::ceil(size_.height / g - 1e-9));
  gtk_widget_set_size_request(window_, w, h);
  gtk_window_resize(GTK_WINDOW(window_), w, h);
}

Point GtkPlatform::MoveWindow(int left, int top) {
  if (displayGone_) return lastPosition_;
  requestedPosition_ = lastPosition_ = {left, top};
  knownPosition_.reset();
  probeAnswers_.clear();
  const Point at = PlaceWindow(left, top);
  toldPosition_ = at;
  return at;
}

void GtkPlatform::TellPlace() {
  if (!lifecycle_ || !lifecycle_->Live() || closed_ || displayGone_ || drag_) return;
  const Point at = WindowPosition();
  if (at.x == toldPosition_.x && at.y == toldPosition_.y) return;
  toldPosition_ = at;
  lifecycle_->WindowPlaced(at);
}

gboolean GtkPlatform::OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->knownPosition_.reset();
  self->probeAnswers_.clear();
  self->ScheduleVisibilityCheck();
  self->WindowConfigured();
  return FALSE;
}

gboolean GtkPlatform::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->iconified_ = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
  self->probeAnswers_.clear();
  self->UpdateSeen();
  return FALSE;
}

gboolean GtkPlatform::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  self->DrawWindow(cr);
  return TRUE;  // the window's own background is never drawn
}

void GtkPlatform::OnCompositedChanged(GdkScreen*, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->composited_ = self->rgbaVisual_ && self->window_ && gdk_screen_is_composited(gtk_widget_get_screen(self->window_));
  self->ApplyShape();
  if (self->window_) gtk_widget_queue_draw(self->window_);
}

void GtkPlatform::SetWindowRegion(const Region& region) {
  if (!window_) return;
  if (shape_) cairo_region_destroy(shape_);
  shape_ = gtkui::CairoRegionFromRegion(region);
  region_ = region;
  std::vector<std::pair<int, int>> spans;
  const bool haveSpans = InsideSpans(region, region.Bounds().bottom, &spans);
  if (haveSpans != haveInsideSpans_ || spans != insideSpans_) contentReset_ = true;
  haveInsideSpans_ = haveSpans;
  insideSpans_ = std::move(spans);
  probeAnswers_.clear();
  ApplyShape();
  ScheduleVisibilityCheck();
}

void GtkPlatform::ApplyShape() {
  if (!window_ || !shape_) return;
  // GTK takes the shape in its own units.
  const double unit = PixelsPerUnit();
  cairo_region_t* shape = unit == 1                 ? cairo_region_copy(shape_)
                          : unit != WindowScale() ? gtkui::CairoRegionFromRegion(RegionInUnits(region_, unit))
                                                  : gtkui::CairoRegionFromRegion(ScaledDownRegion(region_, WindowScale()));
  // Where a compositor blends the window, the frame is transparent outside
  // the outline already, and a drawing shape of a few hundred rectangles
  // would only make the compositor clip to it on every frame: the shape
  // then cuts the input alone. Without one it cuts the drawing too.
  gtk_widget_shape_combine_region(window_, Composited() && haveInsideSpans_ ? nullptr : shape);
  gtk_widget_input_shape_combine_region(window_, shape);
  cairo_region_destroy(shape);
}

// --- The mouse ---------------------------------------------------------------------

namespace {

MouseButton ButtonOf(guint button) {
  switch (button) {
    case GDK_BUTTON_PRIMARY: return MouseButton::Left;
    case GDK_BUTTON_MIDDLE: return MouseButton::Middle;
    case GDK_BUTTON_SECONDARY: return MouseButton::Right;
    default: return MouseButton::Other;
  }
}

}  // namespace

gboolean GtkPlatform::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  // The second and third press of a double or triple click have already
  // arrived as plain presses.
  if (event->type != GDK_BUTTON_PRESS || !self->lifecycle_ || !self->lifecycle_->Live() || self->closed_) return TRUE;
  const Point at = self->PointerOnScreen(event->x, event->y, event->x_root, event->y_root);
  self->press_ = Press{static_cast<int>(event->button), at.x, at.y, event->time};
  self->Pressed();
  self->inPointerEvent_ = true;
  self->lifecycle_->PointerPressed(ButtonOf(event->button), at, event->time);
  self->inPointerEvent_ = false;
  return TRUE;
}

void GtkPlatform::BeginMoveDrag() {
  if (!window_ || !inPointerEvent_ || !press_ || drag_) return;
  StartMoveDrag(press_->button, press_->rootX, press_->rootY, press_->time);
}

gboolean GtkPlatform::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  const Point at = self->PointerOnScreen(event->x, event->y, event->x_root, event->y_root);
  if (self->FollowDrag(at.x, at.y)) return TRUE;
  if (!self->press_ || !self->lifecycle_ || self->closed_) return FALSE;
  self->inPointerEvent_ = true;
  self->lifecycle_->PointerMoved(at, event->time);
  self->inPointerEvent_ = false;
  return TRUE;
}

gboolean GtkPlatform::OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  if (self->drag_ && self->drag_->button == static_cast<int>(event->button)) {
    self->DragReleased(*event);
    self->EndDrag(static_cast<int>(event->button));
  }
  if (!self->press_ || self->press_->button != static_cast<int>(event->button)) return TRUE;
  self->press_.reset();
  if (!self->lifecycle_ || self->closed_) return TRUE;
  const Point at = self->PointerOnScreen(event->x, event->y, event->x_root, event->y_root);
  self->inPointerEvent_ = true;
  self->lifecycle_->PointerReleased(ButtonOf(event->button), at, event->time);
  self->inPointerEvent_ = false;
  return TRUE;
}

// --- Closing -----------------------------------------------------------------------

void GtkPlatform::CloseWindow() {
  // Runs from the loop, after the handler that asked for it has returned.
  if (closed_ || closeQueued_) return;
  closeQueued_ = true;
  g_idle_add_full(G_PRIORITY_DEFAULT, OnDeferredClose, this, nullptr);
}

gboolean GtkPlatform::OnDeferredClose(gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->closeQueued_ = false;
  self->RequestClose();
  return G_SOURCE_REMOVE;
}

gboolean GtkPlatform::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->CloseAsked();
  return TRUE;  // the window is destroyed by RequestClose, if at all
}

gboolean GtkPlatform::OnTerminateSignal(gpointer data) {
  static_cast<GtkPlatform*>(data)->RequestClose();
  return G_SOURCE_CONTINUE;
}

void GtkPlatform::RequestClose() {
  if (closed_) return;
  // Before the show there is no one to ask.
  if (lifecycle_ && !lifecycle_->RequestClose()) return;
  FinishClose();
}

void GtkPlatform::FinishClose() {
  if (closed_) return;
  closed_ = true;
  StopTimers();
  StopPending();
  if (lifecycle_) lifecycle_->Destroy();
  if (menu_) gtk_widget_destroy(menu_);
  ReleaseWindowSurface();
  if (window_) gtk_widget_destroy(window_);
  if (loopRunning_) gtk_main_quit();
}

void GtkPlatform::OnDestroy(GtkWidget*, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->ReleaseWindowSurface();
  self->window_ = nullptr;
  self->mapped_ = false;
  // Destroyed from outside the close path: the window is gone all the same.
  if (!self->closed_) self->FinishClose();
}

// --- The loop ----------------------------------------------------------------------

void GtkPlatform::Show(WindowEvents& events) {
  lifecycle_.emplace(*this, events);
  if (closed_) return;  // closed before it was ever shown (a signal during start-up)
  // As on Windows, the show handler runs just before the window appears, so it
  // appears already shaped, placed and painted.
  lifecycle_->PowerSavingChanged(PowerSaverEnabled());
  lifecycle_->Show();
  if (window_ && !closed_) {
    gtk_widget_show(window_);
    UpdateSeen();
  }
}

int GtkPlatform::RunMessageLoop(WindowEvents& events) {
  Show(events);
  if (!closed_) {
    loopRunning_ = true;
    gtk_main();
    loopRunning_ = false;
  }
  lifecycle_.reset();  // nothing reaches the window once the loop is over
  return 0;
}

// --- The user and the system -------------------------------------------------------

// What a dialog belongs to: the shown window.
GtkWindow* GtkPlatform::ParentWindow() const {
  return window_ && gtk_widget_get_mapped(window_) ? GTK_WINDOW(window_) : nullptr;
}

void GtkPlatform::ShowMessage(const std::string& text, MessageKind kind) {
  if (displayGone_) {
    std::fprintf(stderr, "glimmerdome: %s: %s\n", kind == MessageKind::Error ? "error" : "message", text.c_str());
    return;
  }
  gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
  GtkWindow* parent = ParentWindow();
  GtkWidget* dialog =
      gtk_message_dialog_new(parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                             kind == MessageKind::Error ? GTK_MESSAGE_ERROR : GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s", valid);
  g_free(valid);
  gtk_window_set_title(GTK_WINDOW(dialog), "Glimmerdome");
  if (!parent) gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  // The globe may be kept above everything; its message must not hide under it.
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

// An xdg-open that was started: how it ends says whether the address opened.
struct GtkPlatform::PendingOpen {
  GtkPlatform* platform;
  std::string url;
  guint source = 0;
};

// xdg-open opens it as the desktop says (the user's browser, a portal in a
// sandbox); it may go on running as long as the browser it started, so its
// end is watched. Without it GIO opens it with the default program for it.
bool GtkPlatform::OpenUrl(const std::string& url) {
  if (gchar* xdgOpen = g_find_program_in_path("xdg-open")) {
    gchar* argv[] = {xdgOpen, const_cast<gchar*>(url.c_str()), nullptr};
    GPid pid = 0;
    const gboolean started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                                           &pid, nullptr);
    g_free(xdgOpen);
    if (started) {
      auto* pending = new PendingOpen{this, url};
      pending->source = g_child_watch_add_full(G_PRIORITY_DEFAULT, pid, &GtkPlatform::OnOpenEnded, pending,
                                               [](gpointer p) { delete static_cast<PendingOpen*>(p); });
      openWatches_.push_back(pending->source);
      return true;
    }
  }
  GError* error = nullptr;
  if (gtk_show_uri_on_window(ParentWindow(), url.c_str(), gtk_get_current_event_time(), &error)) return true;
  g_clear_error(&error);
  return false;
}

void GtkPlatform::OnOpenEnded(GPid child, gint status, gpointer data) {
  const auto* pending = static_cast<const PendingOpen*>(data);
  GtkPlatform& self = *pending->platform;
  g_spawn_close_pid(child);
  std::erase(self.openWatches_, pending->source);
  if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0) && self.lifecycle_) self.lifecycle_->UrlNotOpened(pending->url);
}

// Installed with the program, or its own copy in $XDG_CACHE_HOME/glimmerdome/page.
std::string GtkPlatform::PageFolder(std::string* problem) {
  const std::string cache = std::string(g_get_user_cache_dir()) + "/glimmerdome/page";
  return FindOrWritePage(ExecutablePath(), cache, EmbeddedPage(), problem);
}

std::string GtkPlatform::ExecutablePath() {
  gchar* path = g_file_read_link("/proc/self/exe", nullptr);
  std::string out = path ? path : "";
  g_free(path);
  return out;
}

// GTK's drag threshold is in its units.
int GtkPlatform::DragThreshold() const {
  gint threshold = 8;
  if (GtkSettings* settings = gtk_settings_get_default())
    g_object_get(settings, "gtk-dnd-drag-threshold", &threshold, nullptr);
  return threshold * WindowScale();
}

}  // namespace gd
