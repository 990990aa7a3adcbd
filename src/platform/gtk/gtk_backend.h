// Inside the GTK backend: the platform class and the pieces it is made of that
// can be checked on their own (region and frame conversion, clocks, the locale's
// date names, the popup menu). Only the backend and its tests include this;
// the program reaches the backend through gtk_platform.h. The class is defined
// by concern: gtk_window.cpp (the window, the mouse, closing and the loop),
// gtk_present.cpp (presenting frames), gtk_stacking.cpp (the X11 stacking
// probe), gtk_clock.cpp (timers, clocks, local time and the locale's dates),
// gtk_menu.cpp (the menu), gtk_visibility.cpp (whether anyone can see the
// window), gtk_layer.cpp (the window as a Wayland layer surface),
// gtk_backends.cpp (the table of displays to choose from), gtk_subsurface.cpp (the frames on Wayland, on a
// surface of the globe's own, and the trace).
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/window_lifecycle.h"

union _XEvent;

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
// Whether the Wayland display of WAYLAND_DISPLAY offers layer-shell (false
// where it cannot be opened, or in a build without gtk-layer-shell).
bool WaylandOffersLayerShell();

}  // namespace gtkui

class GtkPlatform : public Platform {
 public:
  // `store` keeps the settings; nullptr keeps them in memory. `layerSurface`
  // makes the window a layer surface of a Wayland compositor (GDK must have
  // opened a Wayland display that offers layer-shell).
  explicit GtkPlatform(std::unique_ptr<SettingsStore> store, bool layerSurface = false);
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  bool MakeDesktopOrnament(std::string* errorText) override;
  void SetWindowSize(int width, int height) override;
  // Where the window's top-left corner is, in device pixels.
  Point WindowPosition();
  Point MoveWindow(int left, int top) override;
  LentBuffer LendBuffer(int width, int height, uint8_t constantAlpha) override;
  bool PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) override;
  void SetWindowRegion(const Region& region) override;
  void SetTopmost(bool topmost) override;
  void BeginMoveDrag() override;
  void ShowPopupMenu(const PopupMenu& menu) override;
  bool IsWindowVisibleAt(int screenX, int screenY) override;
  void CloseWindow() override;

  std::vector<Monitor> Monitors() override;
  bool PrefersReducedMotion() override;
  WindowCapabilities Capabilities() const override;

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
  GtkWidget* Widget() const { return window_; }
  // The menu shown by the last right click, while it exists.
  GtkWidget* LastMenu() const { return menu_; }

 private:
  struct TimerSource;
  static gboolean DispatchTimer(GSource* source, GSourceFunc, gpointer);
  // The source's ready time: when the first timer falls due.
  void UpdateTimerSource();

  void FireTimer(TimerId id);
  void StartMoveDrag(int button, int rootX, int rootY, guint32 time);
  // The globe's own drag (see gtk_desktop.cpp): moves the window with the
  // mouse, and ends at the release of the button that started it.
  bool FollowDrag(int rootX, int rootY);
  bool EndDrag(int button);
  struct Drag {
    int button = 0;
    int rootX = 0, rootY = 0;  // the mouse at the press
    Point windowAt;            // the window then
  };
  std::optional<Drag> drag_;
  static void OnMonitorsChanged(GdkScreen*, gpointer self);
  static gboolean OnMonitorsSettled(gpointer self);
  // The pointer of a mouse event in the screen's device pixels (on a layer
  // surface, the output's).
  Point PointerOnScreen(double x, double y, double xRoot, double yRoot) const;
  gulong monitorsHandler_ = 0;
  guint monitorsSettle_ = 0;
  void FinishClose();
  void StopTimers();
  // The xdg-open runs started by OpenUrl, watched until they end.
  struct PendingOpen;
  static void OnOpenEnded(GPid child, gint status, gpointer pending);
  std::vector<guint> openWatches_;
  GtkWindow* ParentWindow() const;
  bool Composited() const;

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

  std::unique_ptr<SettingsStore> settings_;
  std::optional<WindowLifecycle> lifecycle_;
  GtkWidget* window_ = nullptr;
  GtkWidget* menu_ = nullptr;
  bool rgbaVisual_ = false;
  bool composited_ = false;  // the screen's compositor blends rgbaVisual_ (kept up by composited-changed)
  bool mapped_ = false;      // gtk_widget_get_mapped(window_), mirrored by the map and unmap signals
  gulong compositedHandler_ = 0;
  std::vector<guint> signalSources_;
  // The end of the display's connection (gtk_display_end.cpp).
  void WatchDisplayEnd();
  void UnwatchDisplayEnd();
  guint displayEndWatch_ = 0;
  bool displayGone_ = false;  // nothing may touch the display any more
  std::string displayName_;

  // What the window shows: the latest frame at its constant alpha, over its
  // background. Frames are drawn straight into the window through
  // `windowSurface_`, bypassing GTK's paint cycle; the draw handler paints
  // `surface_` only when the window is exposed.
  // With MIT-SHM `surface_` lies over the shared image (gtk_present.cpp).
  cairo_surface_t* surface_ = nullptr;
  cairo_surface_t* windowSurface_ = nullptr;
  struct SharedContent;
  struct SharedContentDeleter {
    void operator()(SharedContent* shared) const;
  };
  std::unique_ptr<SharedContent, SharedContentDeleter> shared_;
  bool sharedTried_ = false;
  void DrawIntoWindow(const Rect& area);
  void OpenSharedContent(int width, int height);
  // Makes what the core wrote into a buffer (`written`) what the window
  // shows, in place; the rectangle that holds it inside the outline.
  Rect SettleWritten(const LentBuffer& buffer, const RowStretches& written);
  bool lentWhole_ = false;  // the buffer last lent held nothing known
  void CloseSharedContent();
  void ReleaseWindowSurface();

  // The local time zone; GLib reads /etc/localtime on every request for it.
  GTimeZone* localZone_ = nullptr;
  gint64 localZoneSince_ = 0;

  double xftDpi_ = 0;  // the desktop's Xft.dpi at the start; 0: none
  Size size_{0, 0};  // device pixels, as are the place and the shape below
  int WindowScale() const;  // GTK's unit, in device pixels
  void ApplyWindowSize();
  void ApplyShape();
  Region region_;
  // Each row's stretch inside the outline, when every row has one; then the
  // window's content is transparent outside the outline and a compositor
  // needs no drawing shape.
  std::vector<std::pair<int, int>> insideSpans_;
  bool haveInsideSpans_ = false;
  bool contentReset_ = false;  // the outline changed: the content starts again
  // Whether the window's content (surface_ or the shared image) holds the
  // last frame presented, converted with this alpha and compositing.
  bool contentHoldsLast_ = false;
  uint8_t contentAlpha_ = 0;
  bool contentComposited_ = false;
  Point requestedPosition_{0, 0};
  std::optional<Point> knownPosition_;  // the mapped window's place, until it is configured
  Point lastPosition_{0, 0};            // the last place asked for or learnt
  Point toldPosition_{0, 0};            // the place the core knows of
  // Tells the core where the window is when that is not where it knows it
  // to be (WindowPlaced): at once, or once a burst of configures is over.
  void TellPlace();
  void TellPlaceSoon();
  guint placeSettle_ = 0;
  cairo_region_t* shape_ = nullptr;
  bool iconified_ = false;

  // --- The layer surface (gtk_layer.cpp) ---
  // Its place is its margins from the output's top-left corner, in GTK's
  // units; it is on the bottom layer, or on the top layer when kept on top.
  bool layer_ = false;
  Point margins_{0, 0};
  Point pressMargins_{0, 0};  // at the last press
  // Whether the compositor gives a held pointer from where the surface was
  // at the press rather than from where it is now (sway does).
  bool pointerFromPress_ = false;
  void MakeLayerSurface();
  void SetMargins(Point margins);
  void SetLayerOnTop(bool onTop);
  // The output the layer surface is on (GDK's first one until it is shown).
  GdkMonitor* LayerMonitor() const;
  // Puts the surface back on an output when its own has gone: at once where
  // GDK has taken the output away, or a moment after the compositor closed
  // the surface, when GDK knows which outputs are left.
  void FollowLayerMonitor();
  void LayerSurfaceClosed();
  bool layerClosed_ = false;
  guint layerReopen_ = 0;
  // Whether the compositor still asks for frames: a paint asked for and not
  // done within a second means it asks for none (a hidden surface gets no
  // frame callbacks, and GTK paints only on one); the next paint means it
  // asks again. The core takes no frames for nobody looking.
  bool layerPainted_ = true;
  bool paintAwaited_ = false;
  gint64 paintAskedAt_ = 0;
  guint paintOverdue_ = 0;
  void AwaitPaint();
  void PaintDone();
  static gboolean OnPaintOverdue(gpointer self);
  void NoteFramesAsked(bool asked);

  // --- The globe's own surface on Wayland (gtk_subsurface.cpp) ---
  // A subsurface of the layer surface with buffers of the program's own,
  // chosen once at the start where the compositor offers what it needs;
  // without it (null) frames go through GTK's paint cycle.
  struct WaylandContent;
  struct WaylandContentDeleter {
    void operator()(WaylandContent* content) const;
  };
  std::unique_ptr<WaylandContent, WaylandContentDeleter> wayland_;
  void OpenWaylandContent();
  // Made when the window maps, undone when it unmaps (GTK drops the
  // window's surface then).
  void MakeSubsurface();
  void UndoSubsurface();
  LentBuffer LendSubsurfaceBuffer(int width, int height, uint8_t constantAlpha);
  bool PresentOnSubsurface(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed);
  // Shows the last frame presented, with the damage gathered since the last
  // commit, and asks for the next frame callback.
  void CommitSubsurface();
  // The scale the compositor prefers for the globe (wp_fractional_scale_v1),
  // in quarters; 0 where it tells none.
  int PreferredScaleQuarters() const;
  // Device pixels per GTK unit: the window's scale factor, or on a layer
  // surface the scale the compositor prefers, where it tells one.
  double LayerUnit() const;

  // Where trace events go: the file GLIMMERDOME_TRACE names (gtk_subsurface.cpp).
  struct TraceFile;
  struct TraceFileDeleter {
    void operator()(TraceFile* trace) const;
  };
  std::unique_ptr<TraceFile, TraceFileDeleter> trace_;
  void OpenTrace();

  // The visibility probe's recent answers (see IsWindowVisibleAt).
  struct ProbeAnswer {
    int x = 0, y = 0;
    bool visible = false;
  };
  std::vector<ProbeAnswer> probeAnswers_;
  gint64 probeAnswersSince_ = 0;
  GdkWindow* watchedRoot_ = nullptr;
  bool ownRootEvents_ = false;  // the root's structure events were asked for here, not by GDK
  bool AskWhetherVisibleAt(int screenX, int screenY);  // IsWindowVisibleAt without the kept answers
  void WatchTopLevelWindows();
  static GdkFilterReturn OnRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

  // Whether anyone can see the window, and the power-saver profile
  // (gtk_visibility.cpp).
  struct VisibilityWatch;
  struct VisibilityWatchDeleter {
    void operator()(VisibilityWatch* watch) const;
  };
  std::unique_ptr<VisibilityWatch, VisibilityWatchDeleter> visibility_;
  void StartWatchingVisibility();
  bool PowerSaverEnabled() const;
  // Looks at the stacking again soon (once for a burst of changes).
  void ScheduleVisibilityCheck();
  void NoteRootEvent(const union _XEvent& event);
  // Tells the core what is known of who can see the window.
  void UpdateSeen();
  // Asked of the X server: whether the windows above this one cover all of
  // its outline, and whether the active window is a fullscreen one over its
  // monitor.
  void LookAtStacking(bool* covered, bool* fullscreenOver);
  static gboolean OnStackingCheck(gpointer self);
  static gboolean OnDisplayPoll(gpointer self);
  static GdkFilterReturn OnScreenSaverEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

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
  bool closed_ = false;
  bool loopRunning_ = false;
};

}  // namespace gd
