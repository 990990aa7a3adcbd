// Inside the GTK backend: the part of it that X11 and a Wayland layer surface
// share, and the pieces it is made of that can be checked on their own
// (region conversion, clocks, the locale's date names, the popup menu). Only
// the backend and its tests include this; the program reaches the backend
// through gtk_platform.h.
//
// GtkPlatform is the shared part: the GTK window and its mouse events to the
// core, closing and the loop (gtk_window.cpp), the monitors and the globe's
// own drag (gtk_desktop.cpp), timers, clocks, local time and the locale's
// dates (gtk_clock.cpp), the menu (gtk_menu.cpp), the frames as an image the
// draw handler paints (gtk_content.cpp), the session's and the power saver's
// word on who can see the window (gtk_visibility.cpp), the end of the display
// (gtk_display_end.cpp) and the trace (gtk_trace.cpp). Each display is a
// platform over it, choosing where the shared part asks (its protected
// hooks): X11Platform (gtk_x11.h) and LayerShellPlatform (gtk_layer_shell.h).
// gtk_backends.cpp holds the table of them that the start chooses from.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/window_lifecycle.h"

namespace gd {

namespace gtkui {

// The window's shape as cairo knows it: the bounding rectangle, then every cut
// subtracted in order. The caller owns the result.
cairo_region_t* CairoRegionFromRegion(const Region& region);

// The display scale in quarters from the window's scale factor and the
// desktop's Xft.dpi (0 when it sets none).
int ScaleQuartersFromDesktop(int windowScale, double xftDpi);

// Milliseconds of a monotonic clock given in microseconds, wrapping as an
// unsigned 32-bit count does.
uint32_t TickCountFromMicroseconds(int64_t microseconds);

// The calendar fields of a GLib date-time.
LocalDateTime LocalDateTimeFrom(GDateTime* time);

// The long date of the current LC_TIME locale (ICU's CLDR data), with the
// month and day names that go with it, in UTF-8.
LongDateFormat LocaleLongDateFormat();
// The user's languages for the menu and messages: LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG, as for the gettext tools.
std::vector<std::string> LocaleLanguages();

// Builds a GtkMenu showing `items`: submenus, separators, check and radio
// marks (drawn by GTK, decided by the core), the default item in bold.
// Choosing an item calls `onChosen` with its name; setting up the marks calls
// nothing. The caller destroys the menu.
GtkWidget* BuildPopupMenu(const PopupMenu& items, std::function<void(const std::string&)> onChosen);

// One way of putting the globe on a Linux desktop: a display GDK opens and
// the platform over it.
struct GtkBackend {
  const char* name;        // what GLIMMERDOME_BACKEND calls it
  const char* gdkBackend;  // the one GDK backend allowed for it
  // Whether it can be had where WAYLAND_DISPLAY is `waylandDisplay`;
  // `offersLayerShell` is asked only when that matters. Where not, `why`
  // tells (for a GLIMMERDOME_BACKEND that asked for it).
  bool (*available)(const char* waylandDisplay, const std::function<bool()>& offersLayerShell, std::string* why);
  // What is said when GDK cannot open its display.
  std::string (*cannotOpen)();
  // The platform, once GDK has opened the display.
  std::unique_ptr<Platform> (*make)(std::unique_ptr<SettingsStore> store);
};

// The backends, in the order they are tried where GLIMMERDOME_BACKEND is
// unset: the Wayland layer surface where its compositor offers layer-shell,
// then X11 (on a Wayland session, XWayland), which can always be tried.
const std::vector<GtkBackend>& Backends();

// The backend GLIMMERDOME_BACKEND (`asked`) names, or where it is unset or
// empty, the first of `backends` that can be had. Null, with `error` filled,
// for a name that no backend has, or a backend asked for that cannot be had.
const GtkBackend* ChooseBackend(const std::vector<GtkBackend>& backends, const char* asked,
                                const char* waylandDisplay, const std::function<bool()>& offersLayerShell,
                                std::string* error);
// The display's connection has ended: the platform watching it hears of it
// (GtkPlatform::DisplayEnded), which ends the program.
void DisplayConnectionEnded();

// Whether the Wayland display of WAYLAND_DISPLAY offers layer-shell (false
// where it cannot be opened, or in a build without gtk-layer-shell).
bool WaylandOffersLayerShell();

}  // namespace gtkui

// The GTK window that X11 and a Wayland layer surface share. A platform over
// it (X11Platform, LayerShellPlatform) makes the window in its constructor
// with MakeWindow and undoes it in its destructor with UnmakeWindow, so that
// the hooks below are its own all the while.
class GtkPlatform : public Platform {
 public:
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  bool MakeDesktopOrnament(std::string* errorText) override;
  void SetWindowSize(int width, int height) override;
  // Where the window's top-left corner is, in device pixels.
  virtual Point WindowPosition() = 0;
  Point MoveWindow(int left, int top) override;
  void SetWindowRegion(const Region& region) override;
  void BeginMoveDrag() override;
  void ShowPopupMenu(const PopupMenu& menu) override;
  bool IsWindowVisibleAt(int screenX, int screenY) override;
  void CloseWindow() override;

  std::vector<Monitor> Monitors() override;
  bool PrefersReducedMotion() override;

  void SetTimer(TimerId id, uint32_t intervalMs, uint32_t slackMs = 0) override;
  void StopTimer(TimerId id) override;
  uint32_t TickCount() override;
  LocalDateTime LocalTime() override;
  std::optional<uint64_t> PerformanceCounter() override;
  LongDateFormat UserDateFormat() override;
  std::vector<std::string> UserLanguages() override;

  void ShowMessage(const std::string& text, MessageKind kind) override;
  bool OpenUrl(const std::string& url) override;
  std::string PageFolder(std::string* problem) override;

  SettingsStore& Settings() override { return *settings_; }
  std::string ExecutablePath() override;

  int RunMessageLoop(WindowEvents& events) override;
  TraceSink* Tracer() override;

  // --- For tests: the loop's steps one at a time -----------------------------
  // Runs the show handler and maps the window, without running the loop.
  void Show(WindowEvents& events);
  // The close path that the window manager's close and CloseWindow take.
  void RequestClose();
  bool Closed() const { return closed_; }
  // The display's connection has ended (gtk_display_end.cpp): the close
  // query saves, a line on stderr says why, and the program ends at once.
  void DisplayEnded();
  // Sends what was asked of the display and not sent yet; false where the
  // connection cannot take it any more (it has ended).
  virtual bool SendPending() { return true; }
  GtkWidget* Widget() const { return window_; }
  // The menu shown by the last right click, while it exists.
  GtkWidget* LastMenu() const { return menu_; }

 protected:
  // `store` keeps the settings; nullptr keeps them in memory.
  explicit GtkPlatform(std::unique_ptr<SettingsStore> store);
  // The window, its signals and watches, with the hooks below on the way.
  void MakeWindow();
  // Everything MakeWindow set up, undone (once).
  void UnmakeWindow();

  // --- What each display does its own way ----------------------------------
  // Right after the window is made, before GTK knows anything of it.
  virtual void PrepareWindow() {}
  // Once the window's visual is chosen: what the display tells of its
  // screen and of the windows on it.
  virtual void WatchScreen() {}
  // Once the window is set up and the trace is open.
  virtual void WindowMade() {}
  // The sources and watches of the display's own, stopped when the window
  // closes or goes.
  virtual void StopPending() {}
  virtual void StopWatching() {}
  // The window has been mapped; configured (moved, restacked).
  virtual void WindowMapped() {}
  virtual void WindowConfigured() {}
  // The window's memory on the display is let go of (a new size or scale,
  // the window unrealized or closing).
  virtual void ReleaseWindowSurface() {}
  // Someone asked the window to close.
  virtual void CloseAsked() { RequestClose(); }
  // The monitors have changed, before the core hears of it.
  virtual void MonitorsChanging() {}
  // A press the core may turn into a move.
  virtual void Pressed() {}
  // The release of the button that started the globe's own drag, before
  // the drag ends.
  virtual void DragReleased(const GdkEventButton&) {}
  // The pointer of a mouse event in the screen's device pixels.
  virtual Point PointerOnScreen(double x, double y, double xRoot, double yRoot) const;
  // Where the window goes for MoveWindow, with the place it got.
  virtual Point PlaceWindow(int left, int top) = 0;
  // What a dialog belongs to (nullptr: none, centred on the screen).
  virtual GtkWindow* ParentWindow() const;
  // Device pixels per GTK unit: the window's scale factor unless the
  // display has units of its own.
  virtual double PixelsPerUnit() const { return WindowScale(); }
  // Whether the display is what the user sees at a point of the window's
  // outline (not asked where that cannot be told: true).
  virtual bool OnTopAt(int, int) { return true; }
  // Looks at the stacking again soon (once for a burst of changes).
  virtual void ScheduleVisibilityCheck() {}
  // What the display knows of who can see the window, added to `sight`.
  virtual void AddDisplaySight(Sight&) const {}
  // Whether the compositor still asks for frames.
  virtual bool FramesAsked() const { return true; }
  // The display's connection (-1: none to watch), for its end.
  virtual int DisplaySocket() { return -1; }
  virtual void UnwatchDisplaySocket() {}
  // Paints the window when it is exposed (the operator is SOURCE).
  virtual void DrawWindow(cairo_t* cr) { PaintContent(cr); }
  // Brings `area` of the content image to the mapped window.
  virtual void DrawIntoWindow(const Rect& area) = 0;

  // --- For the displays -------------------------------------------------------
  // The latest frame's image (surface_) painted over the window.
  void PaintContent(cairo_t* cr);
  // The content image as the buffer lent: kept while it has the size.
  LentBuffer LendContentImage(int width, int height, uint8_t constantAlpha);
  // The buffer lent for frames at `constantAlpha` at `pixels`.
  LentBuffer Lent(unsigned char* pixels, int width, int height, int stride, uint8_t constantAlpha);
  // Takes in what the core wrote into the buffer lent (false for one that
  // cannot be taken); the rectangle that holds it inside the outline.
  bool TakeFrame(const LentBuffer& buffer, const RowStretches& written, Rect* settled);
  // A frame taken into the content image goes to the window.
  bool ShowContentImage(const LentBuffer& buffer, const Rect& settled);
  // Makes what the core wrote into a buffer (`written`) what the window
  // shows, in place; the rectangle that holds it inside the outline.
  Rect SettleWritten(const LentBuffer& buffer, const RowStretches& written);
  bool Composited() const;
  int WindowScale() const;  // GTK's unit, in device pixels
  void ApplyWindowSize();
  void ApplyShape();
  // Tells the core where the window is when that is not where it knows it
  // to be (WindowPlaced).
  void TellPlace();
  void UpdateSeen();
  // GTK's drag threshold, in device pixels.
  int DragThreshold() const;
  void FinishClose();
  // The globe's own drag (see gtk_desktop.cpp): moves the window with the
  // mouse, and ends at the release of the button that started it.
  bool FollowDrag(int rootX, int rootY);

  std::unique_ptr<SettingsStore> settings_;
  std::optional<WindowLifecycle> lifecycle_;
  GtkWidget* window_ = nullptr;
  GtkWidget* menu_ = nullptr;
  bool rgbaVisual_ = false;
  bool composited_ = false;  // the screen's compositor blends rgbaVisual_ (kept up by composited-changed)
  bool mapped_ = false;      // gtk_widget_get_mapped(window_), mirrored by the map and unmap signals
  bool displayGone_ = false;  // nothing may touch the display any more

  // What the window shows: the latest frame at its constant alpha, over its
  // background. The draw handler paints `surface_` when the window is exposed.
  cairo_surface_t* surface_ = nullptr;
  bool lentWhole_ = false;  // the buffer last lent held nothing known
  Size size_{0, 0};  // device pixels, as are the place and the shape below
  Region region_;
  // Each row's stretch inside the outline, when every row has one; then the
  // window's content is transparent outside the outline and a compositor
  // needs no drawing shape.
  std::vector<std::pair<int, int>> insideSpans_;
  bool haveInsideSpans_ = false;
  bool contentReset_ = false;  // the outline changed: the content starts again
  // Whether the window's content holds the last frame presented, converted
  // with this alpha and compositing.
  bool contentHoldsLast_ = false;
  uint8_t contentAlpha_ = 0;
  bool contentComposited_ = false;
  // The window's place, as asked for and as learnt.
  Point requestedPosition_{0, 0};
  std::optional<Point> knownPosition_;  // the mapped window's place, until it is configured
  Point lastPosition_{0, 0};            // the last place asked for or learnt
  Point toldPosition_{0, 0};            // the place the core knows of
  cairo_region_t* shape_ = nullptr;
  bool iconified_ = false;

  // The globe's own drag.
  struct Drag {
    int button = 0;
    int rootX = 0, rootY = 0;  // the mouse at the press
    Point windowAt;            // the window then
  };
  std::optional<Drag> drag_;

  // Where trace events go: the file GLIMMERDOME_TRACE names (gtk_trace.cpp).
  struct TraceFile;
  struct TraceFileDeleter {
    void operator()(TraceFile* trace) const;
  };
  std::unique_ptr<TraceFile, TraceFileDeleter> trace_;

  // The visibility probe's recent answers (see IsWindowVisibleAt).
  struct ProbeAnswer {
    int x = 0, y = 0;
    bool visible = false;
  };
  std::vector<ProbeAnswer> probeAnswers_;

  bool closed_ = false;

 private:
  struct TimerSource;
  static gboolean DispatchTimer(GSource* source, GSourceFunc, gpointer);
  // The source's ready time: when the first timer falls due.
  void UpdateTimerSource();

  void FireTimer(TimerId id);
  void StartMoveDrag(int button, int rootX, int rootY, guint32 time);
  bool EndDrag(int button);
  static void OnMonitorsChanged(GdkScreen*, gpointer self);
  static gboolean OnMonitorsSettled(gpointer self);
  gulong monitorsHandler_ = 0;
  guint monitorsSettle_ = 0;
  void StopTimers();
  // The xdg-open runs started by OpenUrl, watched until they end.
  struct PendingOpen;
  static void OnOpenEnded(GPid child, gint status, gpointer pending);
  std::vector<guint> openWatches_;

  static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);
  static gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self);
  static gboolean OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer self);
  static gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer self);
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static void OnDestroy(GtkWidget*, gpointer self);
  static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
  static void OnCompositedChanged(GdkScreen*, gpointer self);
  static gboolean OnTerminateSignal(gpointer self);
  static gboolean OnDeferredClose(gpointer self);
  static gboolean OnDeferredChoice(gpointer self);

  gulong compositedHandler_ = 0;
  std::vector<guint> signalSources_;
  bool unmade_ = false;  // UnmakeWindow has run
  // The end of the display's connection (gtk_display_end.cpp).
  void WatchDisplayEnd();
  void UnwatchDisplayEnd();
  guint displayEndWatch_ = 0;
  std::string displayName_;

  // The local time zone; GLib reads /etc/localtime on every request for it.
  GTimeZone* localZone_ = nullptr;
  gint64 localZoneSince_ = 0;

  void OpenTrace();

  gint64 probeAnswersSince_ = 0;
  bool AskWhetherVisibleAt(int screenX, int screenY);  // IsWindowVisibleAt without the kept answers

  // What the session tells of who can see the window, and the power-saver
  // profile (gtk_visibility.cpp).
  struct VisibilityWatch;
  struct VisibilityWatchDeleter {
    void operator()(VisibilityWatch* watch) const;
  };
  std::unique_ptr<VisibilityWatch, VisibilityWatchDeleter> visibility_;
  void StartWatchingVisibility();
  bool PowerSaverEnabled() const;

  // The press that the core may turn into a move, while its button is down.
  struct Press {
    int button = 0;
    int rootX = 0, rootY = 0;
    guint32 time = 0;
  };
  std::optional<Press> press_;
  bool inPointerEvent_ = false;  // the core hears of one now

  TimerSource* timerSource_ = nullptr;

  std::vector<std::string> pendingChoices_;
  bool choiceQueued_ = false;
  bool closeQueued_ = false;
  bool loopRunning_ = false;
};

// The trace's file (gtk_trace.cpp): one JSON line an event.
struct GtkPlatform::TraceFile final : TraceSink {
  std::FILE* file = nullptr;
  gint64 since = 0;  // the monotonic clock when it was opened
  void Write(std::string_view event, std::string_view fieldsJson) override;
};

}  // namespace gd
