// The globe on X11 (on a Wayland session, through XWayland): a window with
// the screen's RGBA visual, cut to the outline by the X shape extension,
// placed and kept above or below others by the window manager. Frames go up
// from a shared-memory image (MIT-SHM), else through cairo-xlib
// (gtk_x11_present.cpp); the X server tells what covers the window, where a
// point of it is on top (gtk_x11_stacking.cpp), and whether the screen saver
// or DPMS has blanked the screen (gtk_x11_visibility.cpp). The window, its
// place and its scale: gtk_x11_window.cpp.
#pragma once

#include <memory>

#include "platform/gtk/gtk_backend.h"

union _XEvent;

namespace gd {

class X11Platform final : public GtkPlatform {
 public:
  // `store` keeps the settings; nullptr keeps them in memory. GDK must have
  // opened an X11 display.
  explicit X11Platform(std::unique_ptr<SettingsStore> store);
  ~X11Platform() override;

  Point WindowPosition() override;
  LentBuffer LendBuffer(int width, int height, uint8_t constantAlpha) override;
  bool PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) override;
  void SetTopmost(bool topmost) override;
  WindowCapabilities Capabilities() const override;

 private:
  void WatchScreen() override;
  void StopPending() override;
  void StopWatching() override;
  void WindowMapped() override;
  void WindowConfigured() override;
  void ReleaseWindowSurface() override;
  void DragReleased(const GdkEventButton& event) override;
  Point PlaceWindow(int left, int top) override;
  bool OnTopAt(int screenX, int screenY) override;
  void ScheduleVisibilityCheck() override;
  void AddDisplaySight(Sight& sight) const override;
  int DisplaySocket() override;
  void UnwatchDisplaySocket() override;
  void DrawWindow(cairo_t* cr) override;
  void DrawIntoWindow(const Rect& area) override;

  double xftDpi_ = 0;  // the desktop's Xft.dpi at the start; 0: none

  // Tells the core where the window manager put the window once a burst of
  // configures is over.
  void TellPlaceSoon();
  guint placeSettle_ = 0;

  // Frames are drawn straight into the window through `windowSurface_`,
  // bypassing GTK's paint cycle; with MIT-SHM the content image lies over
  // the shared image (gtk_x11_present.cpp).
  cairo_surface_t* windowSurface_ = nullptr;
  struct SharedContent;
  struct SharedContentDeleter {
    void operator()(SharedContent* shared) const;
  };
  std::unique_ptr<SharedContent, SharedContentDeleter> shared_;
  bool sharedTried_ = false;
  void OpenSharedContent(int width, int height);
  void CloseSharedContent();

  // The top-level windows' changes, from the root window (gtk_x11_stacking.cpp).
  GdkWindow* watchedRoot_ = nullptr;
  bool ownRootEvents_ = false;  // the root's structure events were asked for here, not by GDK
  void WatchTopLevelWindows();
  static GdkFilterReturn OnRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

  // What the X server tells of who can see the window (gtk_x11_visibility.cpp).
  struct ScreenWatch;
  struct ScreenWatchDeleter {
    void operator()(ScreenWatch* watch) const;
  };
  std::unique_ptr<ScreenWatch, ScreenWatchDeleter> screen_;
  void StartWatchingScreen();
  void NoteRootEvent(const union _XEvent& event);
  // Asked of the X server: whether the windows above this one cover all of
  // its outline, and whether the active window is a fullscreen one over its
  // monitor.
  void LookAtStacking(bool* covered, bool* fullscreenOver);
  static gboolean OnStackingCheck(gpointer self);
  static gboolean OnDisplayPoll(gpointer self);
  static GdkFilterReturn OnScreenSaverEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);
};

}  // namespace gd
