// The plain GTK way of animating a small transparent window, as a yardstick
// for what Glimmerdome's presenting costs: a 300 x 260 RGBA window, a 20 ms
// timer that queues a redraw, and a draw handler that paints a prepared image
// and 780 small squares with cairo.
//
// With --cover it is instead an opaque window that fills the screen and
// never redraws: something for the benchmark to hide the globe behind. With
// --idle the timer runs but draws nothing: what waking 50 times a second
// costs a GTK program by itself.
#include <gtk/gtk.h>

#include <cmath>
#include <cstring>

namespace {

constexpr int kWidth = 300, kHeight = 260, kSquares = 780;

cairo_surface_t* g_picture = nullptr;
unsigned g_frame = 0;

cairo_surface_t* PreparedPicture() {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  cairo_t* cr = cairo_create(s);
  cairo_arc(cr, kWidth / 2.0, kHeight / 2.0 - 10, 120, 0, 2 * M_PI);
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, kHeight);
  cairo_pattern_add_color_stop_rgba(sky, 0, 0.05, 0.1, 0.3, 1);
  cairo_pattern_add_color_stop_rgba(sky, 1, 0.6, 0.7, 0.9, 1);
  cairo_set_source(cr, sky);
  cairo_fill(cr);
  cairo_pattern_destroy(sky);
  cairo_rectangle(cr, 60, 220, 180, 40);
  cairo_set_source_rgb(cr, 0.4, 0.25, 0.1);
  cairo_fill(cr);
  cairo_destroy(cr);
  return s;
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer) {
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, g_picture, 0, 0);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
  for (int i = 0; i < kSquares; ++i) {
    // A flake's place moves a little every frame, as falling snow does.
    const unsigned seed = static_cast<unsigned>(i) * 2654435761u;
    const int x = static_cast<int>((seed >> 8) % (kWidth - 4));
    const int y = static_cast<int>(((seed >> 4) % kHeight + g_frame * (1 + i % 3)) % (kHeight - 4));
    cairo_rectangle(cr, x, y, 1 + i % 3, 1 + i % 3);
  }
  cairo_fill(cr);
  return TRUE;
}

gboolean OnIdleTimer(gpointer) { return G_SOURCE_CONTINUE; }

gboolean OnTimer(gpointer window) {
  ++g_frame;
  gtk_widget_queue_draw(GTK_WIDGET(window));
  return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
  const bool cover = argc > 1 && std::strcmp(argv[1], "--cover") == 0;
  const bool idle = argc > 1 && std::strcmp(argv[1], "--idle") == 0;
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  if (cover) {
    GdkRectangle r;
    gdk_monitor_get_geometry(gdk_display_get_monitor(gdk_display_get_default(), 0), &r);
    gtk_window_set_default_size(GTK_WINDOW(window), r.width, r.height);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    gtk_window_set_keep_above(GTK_WINDOW(window), TRUE);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
  }
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(window))) gtk_widget_set_visual(window, rgba);
  gtk_widget_set_app_paintable(window, TRUE);
  gtk_window_set_default_size(GTK_WINDOW(window), kWidth, kHeight);
  // Clear of each other and of where the globe first appears.
  gtk_window_move(GTK_WINDOW(window), idle ? 700 : 200, 200);
  g_picture = PreparedPicture();
  g_signal_connect(window, "draw", G_CALLBACK(OnDraw), nullptr);
  g_timeout_add(20, idle ? OnIdleTimer : OnTimer, window);
  gtk_widget_show_all(window);
  gtk_main();
  cairo_surface_destroy(g_picture);
  return 0;
}
