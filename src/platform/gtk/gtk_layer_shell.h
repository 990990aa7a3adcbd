// The globe on a Wayland desktop that offers layer-shell: the window as a
// layer surface, placed by its margins on its output, on the bottom layer or
// on the top one while kept on top, following its output when that goes
// (gtk_layer.cpp). Frames go to a subsurface of the globe's own buffers,
// else through GTK's paint cycle; a paint asked for and not done says the
// compositor asks for no frames (gtk_subsurface.cpp, gtk_layer.cpp).
#pragma once

#include <memory>

#include "platform/gtk/gtk_backend.h"

struct wl_display;

namespace gd {

class LayerShellPlatform final : public GtkPlatform {
 public:
  // `store` keeps the settings; nullptr keeps them in memory. GDK must have
  // opened a Wayland display that offers layer-shell.
  explicit LayerShellPlatform(std::unique_ptr<SettingsStore> store);
  ~LayerShellPlatform() override;

  Point WindowPosition() override;
  LentBuffer LendBuffer(int width, int height, uint8_t constantAlpha) override;
  bool PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) override;
  void SetTopmost(bool topmost) override;
  std::vector<Monitor> Monitors() override;
  WindowCapabilities Capabilities() const override;
  bool SendPending() override;

 private:
  void PrepareWindow() override;
  void WindowMade() override;
  void StopPending() override;
  void CloseAsked() override;
  void MonitorsChanging() override;
  void Pressed() override;
  Point PointerOnScreen(double x, double y, double xRoot, double yRoot) const override;
  Point PlaceWindow(int left, int top) override;
  GtkWindow* ParentWindow() const override { return nullptr; }  // a layer surface is no toplevel a dialog could stand over
  double PixelsPerUnit() const override;
  bool FramesAsked() const override { return layerPainted_; }
  int DisplaySocket() override;
  wl_display* watchedDisplay_ = nullptr;  // the connection DisplaySocket gave
  void DrawWindow(cairo_t* cr) override;
  void DrawIntoWindow(const Rect& area) override;

  // --- The layer surface (gtk_layer.cpp) ---
  // Its place is its margins from the output's top-left corner, in GTK's
  // units; it is on the bottom layer, or on the top layer when kept on top.
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
};

}  // namespace gd
