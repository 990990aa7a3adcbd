// The GTK backend: the pieces that need no window, then the window itself on a
// real X display (tests that need one are skipped where none can be opened;
// scripts/stages/40-gtk.sh runs them under Xvfb).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/gtk/gtk_backend.h"
#include "platform/gtk/gtk_x11.h"
#include "platform/shared/window_content.h"
#include "settings/choices.h"
#include "settings/menu.h"

// Xlib last: its macros (None, Bool, Status) would break the headers above.
#include <gdk/gdkx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace gd {
namespace {

// --- Region and frame conversion ------------------------------------------------

// Checks every pixel of a cairo region against a picture drawn with '#' for
// "in" and '.' for "out", and that nothing outside the picture is in.
void ExpectRegion(cairo_region_t* region, const std::vector<std::string>& rows) {
  int expectedPixels = 0;
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
      const bool in = rows[y][x] == '#';
      expectedPixels += in;
      EXPECT_EQ(static_cast<bool>(cairo_region_contains_point(region, x, y)), in) << "pixel " << x << ", " << y;
    }
  int pixels = 0;
  for (int i = 0; i < cairo_region_num_rectangles(region); ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region, i, &r);
    pixels += r.width * r.height;
  }
  EXPECT_EQ(pixels, expectedPixels);
}

TEST(GtkRegion, BoundsMinusCutsGivesRunsAndHoles) {
  Region region(Rect{0, 0, 6, 3});
  region.Subtract(Rect{0, 0, 2, 1});  // white run at the start of row 0
  region.Subtract(Rect{4, 0, 6, 1});  // white run at the end of row 0
  region.Subtract(Rect{2, 1, 3, 2});  // a hole in row 1
  cairo_region_t* r = gtkui::CairoRegionFromRegion(region);
  ExpectRegion(r, {"..##..", "##.###", "######"});
  cairo_region_destroy(r);
}

TEST(GtkRegion, OverlappingCutsAndEmptyShapes) {
  Region region(Rect{0, 0, 4, 2});
  region.Subtract(Rect{0, 0, 3, 1});
  region.Subtract(Rect{1, 0, 4, 1});  // overlaps the first cut: row 0 gone
  region.Subtract(Rect{3, 1, 9, 5});  // reaches outside the bounds
  cairo_region_t* r = gtkui::CairoRegionFromRegion(region);
  ExpectRegion(r, {"....", "###."});
  cairo_region_destroy(r);

  // Width or height 0, and a region cut away completely, are empty.
  for (Region empty : {Region(Rect{0, 0, 0, 5}), Region(Rect{0, 0, 5, 0}), Region(Rect{0, 0, 2, 1})}) {
    empty.Subtract(Rect{0, 0, 2, 1});
    cairo_region_t* e = gtkui::CairoRegionFromRegion(empty);
    EXPECT_TRUE(cairo_region_is_empty(e));
    cairo_region_destroy(e);
  }
}

// At GTK's scale factor 2 a unit of the shape is two by two device pixels; it
// is cut away only where all four are outside, so the outline loses nothing.
// The same at a fractional scale. The scale itself: the scale factor, or
// Xft.dpi / 96 where that is more.
TEST(GtkScale, ShapeInGtkUnitsKeepsEveryInsidePixelAndTheScaleFollowsTheDesktop) {
  Region device(Rect{0, 0, 6, 4});
  device.Subtract(Rect{0, 0, 4, 1});
  device.Subtract(Rect{0, 1, 2, 2});
  device.Subtract(Rect{5, 3, 6, 4});
  cairo_region_t* r = gtkui::CairoRegionFromRegion(ScaledDownRegion(device, 2));
  ExpectRegion(r, {".##", "###"});
  cairo_region_destroy(r);
  // A Wayland compositor's fractional scale: units of 1.5 device pixels,
  // each kept where any pixel it covers in part is inside.
  r = gtkui::CairoRegionFromRegion(RegionInUnits(device, 2));
  ExpectRegion(r, {".##", "###"});
  cairo_region_destroy(r);
  Region half(Rect{0, 0, 6, 3});
  half.Subtract(Rect{0, 0, 3, 2});
  r = gtkui::CairoRegionFromRegion(RegionInUnits(half, 1.5));
  ExpectRegion(r, {"..##", "####"});
  cairo_region_destroy(r);

  EXPECT_EQ(gtkui::ScaleQuartersFromDesktop(1, 0), 4);
  EXPECT_EQ(gtkui::ScaleQuartersFromDesktop(2, 0), 8);
  EXPECT_EQ(gtkui::ScaleQuartersFromDesktop(1, 144), 6);
  EXPECT_EQ(gtkui::ScaleQuartersFromDesktop(2, 192), 8);  // a desktop at 2 says 192 as well
  EXPECT_EQ(gtkui::ScaleQuartersFromDesktop(2, 240), 10);
  EXPECT_EQ(gtkui::ScaleQuartersFromDesktop(4, 0), 12);
}

// The display, from the table of backends: Wayland only where its
// compositor offers layer-shell (asked only when there is a Wayland
// display), X11 otherwise; GLIMMERDOME_BACKEND forces one, and a forced
// Wayland that cannot be had, or a value that means nothing, is an error
// rather than a quiet X11.
TEST(GtkBackend, ChoosesWaylandOnlyWhereItOffersLayerShellAndTellsWhatCannotBe) {
#ifndef GLIMMERDOME_HAVE_LAYER_SHELL
  GTEST_SKIP() << "built without gtk-layer-shell: no Wayland backend to choose";
#endif
  struct Case {
    const char* backend;
    const char* wayland;
    bool layerShell;
    bool ok;
    const char* chosen;
    const char* errorHas;
  };
  const Case cases[] = {
      {nullptr, "wayland-0", true, true, "wayland", ""},
      {nullptr, "wayland-0", false, true, "x11", ""},  // GNOME: XWayland
      {nullptr, nullptr, true, true, "x11", ""},       // an X11 session
      {"", "", true, true, "x11", ""},
      {"x11", "wayland-0", true, true, "x11", ""},
      {"wayland", "wayland-0", true, true, "wayland", ""},
      {"wayland", "wayland-0", false, false, "", "offers no layer-shell"},
      {"wayland", nullptr, true, false, "", "WAYLAND_DISPLAY is not set"},
      {"Wayland", "wayland-0", true, false, "", "GLIMMERDOME_BACKEND is \"Wayland\""},
  };
  for (const Case& c : cases) {
    int asked = 0;
    std::string error;
    const gtkui::GtkBackend* chosen =
        gtkui::ChooseBackend(gtkui::Backends(), c.backend, c.wayland, [&] { return ++asked, c.layerShell; }, &error);
    const std::string what = std::string(c.backend ? c.backend : "(unset)") + " on " + (c.wayland ? c.wayland : "X11");
    EXPECT_EQ(chosen != nullptr, c.ok) << what;
    if (chosen) {
      EXPECT_EQ(std::string(chosen->name), c.chosen) << what;
    }
    EXPECT_NE(error.find(c.errorHas), std::string::npos) << what << ": " << error;
    if (!c.wayland || (c.backend && std::string(c.backend) == "x11")) {
      EXPECT_EQ(asked, 0) << what;
    }
  }
}

// --- Clocks and the locale -------------------------------------------------------

TEST(GtkClock, TickCountWrapsAtTwoToThe32Milliseconds) {
  EXPECT_EQ(gtkui::TickCountFromMicroseconds(0), 0u);
  EXPECT_EQ(gtkui::TickCountFromMicroseconds(1999), 1u);
  EXPECT_EQ(gtkui::TickCountFromMicroseconds(4294967295999LL), 4294967295u);
  EXPECT_EQ(gtkui::TickCountFromMicroseconds(4294967296000LL), 0u);
  EXPECT_EQ(gtkui::TickCountFromMicroseconds(4294967296000LL + 50000), 50u);
  // Differences stay right across the wrap, as the step clock needs.
  const uint32_t before = gtkui::TickCountFromMicroseconds(4294967200000LL);
  const uint32_t after = gtkui::TickCountFromMicroseconds(4294967296000LL + 50000);
  EXPECT_EQ(static_cast<uint32_t>(after - before), 146u);
}

TEST(GtkClock, LocalDateTimeFields) {
  GTimeZone* utc = g_time_zone_new_utc();
  GDateTime* t = g_date_time_new(utc, 2024, 2, 29, 23, 59, 58.123456);
  EXPECT_EQ(gtkui::LocalDateTimeFrom(t), (LocalDateTime{2024, 2, 29, 23, 59, 58, 123}));
  g_date_time_unref(t);
  g_time_zone_unref(utc);
}

TEST(GtkLocale, NamesInCLocaleAreEnglishSundayFirst) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  const LongDateFormat f = gtkui::LocaleLongDateFormat();
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(f.pattern, "mmmm d, yyyy");
  const LocaleNames english;
  EXPECT_EQ(f.names.long_month_names, english.long_month_names);
  EXPECT_EQ(f.names.short_month_names, english.short_month_names);
  EXPECT_EQ(f.names.long_day_names, english.long_day_names);
  EXPECT_EQ(f.names.short_day_names, english.short_day_names);
}

TEST(GtkLocale, NamesOfAnotherLocaleAreUtf8) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  const LongDateFormat f = gtkui::LocaleLongDateFormat();
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(f.names.long_month_names[2], "M\xc3\xa4rz");
  EXPECT_EQ(f.names.long_day_names[0], "Sonntag");
  for (const auto& n : f.names.long_month_names) EXPECT_TRUE(g_utf8_validate(n.c_str(), -1, nullptr)) << n;
}

// --- With a display ----------------------------------------------------------------

bool HaveDisplay() {
  static const bool ok = [] {
    gdk_set_allowed_backends("x11");
    return static_cast<bool>(gtk_init_check(nullptr, nullptr));
  }();
  // A display left alone for long has its screen saver on, and nobody would
  // see the windows these tests show.
  if (ok) XForceScreenSaver(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()), ScreenSaverReset);
  return ok;
}

#define REQUIRE_DISPLAY() \
  if (!HaveDisplay()) GTEST_SKIP() << "no X display"

// Runs the main loop until `done` holds or `timeoutMs` has passed.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  const gint64 end = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
  while (!done()) {
    if (g_get_monotonic_time() > end) return false;
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    if (!done()) g_usleep(1000);
  }
  return true;
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

std::vector<GtkWidget*> Children(GtkWidget* menu) {
  std::vector<GtkWidget*> out;
  GList* list = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* l = list; l; l = l->next) out.push_back(GTK_WIDGET(l->data));
  g_list_free(list);
  return out;
}

GtkWidget* FindItem(GtkWidget* menu, const std::string& name) {
  for (GtkWidget* item : Children(menu)) {
    if (name == gtk_widget_get_name(item)) return item;
    if (GTK_IS_MENU_ITEM(item))
      if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)))
        if (GtkWidget* found = FindItem(sub, name)) return found;
  }
  return nullptr;
}

std::string LabelOf(GtkWidget* item) {
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
  return GTK_IS_LABEL(label) ? gtk_label_get_label(GTK_LABEL(label)) : "";
}

bool Active(GtkWidget* item) {
  return GTK_IS_CHECK_MENU_ITEM(item) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item));
}

TEST(GtkMenu, ShowsTheModelsTreeMarksAndDefaultItem) {
  REQUIRE_DISPLAY();
  MenuModel model;
  model.SetCaption("pmiNewYear", "New Year - January 1, 2027");
  std::vector<std::string> chosen;
  GtkWidget* menu = gtkui::BuildPopupMenu(ToPopupMenu(model, Choices{}), [&](const std::string& n) { chosen.push_back(n); });

  // Top level, in display order.
  std::vector<std::string> top;
  for (GtkWidget* w : Children(menu)) top.push_back(gtk_widget_get_name(w));
  EXPECT_EQ(top, (std::vector<std::string>{"pmiAbout", "N1", "Speedofanimation1", "Size1", "Countdown1", "Options1",
                                           "N2", "pmiExit"}));
  EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(FindItem(menu, "N1")));
  EXPECT_EQ(LabelOf(FindItem(menu, "pmiAbout")), "<b>More Christmas stuff...</b>");
  EXPECT_EQ(LabelOf(FindItem(menu, "pmiExit")), "Exit");
  EXPECT_EQ(LabelOf(FindItem(menu, "pmiNewYear")), "New Year - January 1, 2027");

  // Submenus hold their items; the transparency submenu sits inside Options.
  GtkWidget* options = gtk_menu_item_get_submenu(GTK_MENU_ITEM(FindItem(menu, "Options1")));
  std::vector<std::string> optionNames;
  for (GtkWidget* w : Children(options)) optionNames.push_back(gtk_widget_get_name(w));
  EXPECT_EQ(optionNames, (std::vector<std::string>{"pmiSnow", "ransparent1", "pmiOnTop", "pmiStartUp"}));
  GtkWidget* transparent = gtk_menu_item_get_submenu(GTK_MENU_ITEM(FindItem(menu, "ransparent1")));
  EXPECT_EQ(Children(transparent).size(), 10u);

  // Marks as the model has them; radio items look like radio buttons.
  for (const char* on : {"pmiFast", "pmiChristmas", "pmiSnow", "pmi0", "pmiOnTop", "pmiStartUp"})
    EXPECT_TRUE(Active(FindItem(menu, on))) << on;
  for (const char* off : {"pmiSlow", "pmiNormal", "pmiQuickly", "pmiNewYear", "pmiJulian", "pmi10", "pmi90"})
    EXPECT_FALSE(Active(FindItem(menu, off))) << off;
  EXPECT_TRUE(gtk_check_menu_item_get_draw_as_radio(GTK_CHECK_MENU_ITEM(FindItem(menu, "pmi50"))));
  EXPECT_FALSE(gtk_check_menu_item_get_draw_as_radio(GTK_CHECK_MENU_ITEM(FindItem(menu, "pmiSnow"))));

  // Setting up the marks reported nothing.
  EXPECT_TRUE(chosen.empty());
  gtk_widget_destroy(menu);
}

TEST(GtkMenu, ReportsChosenLeafItemsAndFollowsTheModelOnRebuild) {
  REQUIRE_DISPLAY();
  MenuModel model;
  Choices choices;
  std::vector<std::string> chosen;
  GtkWidget* menu = gtkui::BuildPopupMenu(ToPopupMenu(model, choices), [&](const std::string& n) { chosen.push_back(n); });
  gtk_menu_item_activate(GTK_MENU_ITEM(FindItem(menu, "pmiNewYear")));
  gtk_menu_item_activate(GTK_MENU_ITEM(FindItem(menu, "pmiSnow")));
  gtk_menu_item_activate(GTK_MENU_ITEM(FindItem(menu, "pmiExit")));
  EXPECT_EQ(chosen, (std::vector<std::string>{"pmiNewYear", "pmiSnow", "pmiExit"}));
  gtk_widget_destroy(menu);

  // GTK toggled its own item above; the next menu shows the model again.
  ChooseItem(choices, "pmi50");
  ChooseItem(choices, "pmiQuickly");
  chosen.clear();
  menu = gtkui::BuildPopupMenu(ToPopupMenu(model, choices), [&](const std::string& n) { chosen.push_back(n); });
  EXPECT_TRUE(Active(FindItem(menu, "pmi50")));
  EXPECT_FALSE(Active(FindItem(menu, "pmi0")));
  EXPECT_TRUE(Active(FindItem(menu, "pmiQuickly")));
  EXPECT_FALSE(Active(FindItem(menu, "pmiFast")));
  EXPECT_TRUE(Active(FindItem(menu, "pmiSnow")));
  EXPECT_TRUE(chosen.empty());
  gtk_widget_destroy(menu);
}

// Records what the backend reports, as the main window would receive it.
class RecordingEvents : public WindowEvents {
 public:
  explicit RecordingEvents(GtkPlatform& p) : platform(p) {}
  void Shown() override {
    log.push_back("Shown");
    mappedDuringShow = gtk_widget_get_mapped(platform.Widget());
    if (onShow) onShow();
  }
  void Tick(TimerId id) override { log.push_back(id == TimerId::Garland ? "Garland" : "CountSnow"); }
  void PointerPressed(MouseButton, Point, uint32_t) override { log.push_back("MouseDown"); }
  // As the core does: the right button's release opens the menu.
  void PointerReleased(MouseButton button, Point, uint32_t) override {
    if (button == MouseButton::Right) platform.ShowPopupMenu(ToPopupMenu(menu, choices));
  }
  void MenuItemChosen(std::string_view name) override { log.push_back("Chosen " + std::string(name)); }
  bool CloseRequested() override {
    log.push_back("CloseQuery");
    return allowClose;
  }
  void Destroyed() override { log.push_back("Destroyed"); }
  // Seen while nothing known hides the window (the core's rule, not kept on top).
  void SightChanged(const Sight& sight) override {
    if ((sight == Sight{}) != seen) log.push_back(seen ? "Unseen" : "Seen");
    seen = (sight == Sight{});
  }

  int Count(const std::string& what) const { return static_cast<int>(std::count(log.begin(), log.end(), what)); }

  GtkPlatform& platform;
  std::vector<std::string> log;
  std::function<void()> onShow;
  bool allowClose = true;
  bool mappedDuringShow = true;
  bool seen = true;
  MenuModel menu;
  Choices choices;
};

FrameBuffer OpaqueFrame(int w, int h) {
  FrameBuffer f(w, h);
  for (size_t i = 0; i < f.pixels.size(); i += 4) f.pixels[i + 1] = f.pixels[i + 3] = 255;
  return f;
}

std::vector<std::string> NetWmState(GtkWidget* window) {
  GdkWindow* gw = gtk_widget_get_window(window);
  Display* d = GDK_WINDOW_XDISPLAY(gw);
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<std::string> out;
  if (XGetWindowProperty(d, GDK_WINDOW_XID(gw), XInternAtom(d, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    auto* atoms = reinterpret_cast<Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      char* name = XGetAtomName(d, atoms[i]);
      out.push_back(name);
      XFree(name);
    }
    XFree(data);
  }
  return out;
}

bool Has(const std::vector<std::string>& v, const char* s) { return std::find(v.begin(), v.end(), s) != v.end(); }

// Presents `frame` whole, as the core does: into a buffer the window lends.
bool PresentWhole(GtkPlatform& platform, const FrameBuffer& frame) {
  const Platform::LentBuffer b = platform.LendBuffer(frame.width, frame.height, 255);
  if (!b.pixels) return platform.PresentFrame(b, WholeRows(frame.width, frame.height), WholeRows(frame.width, frame.height));
  for (int y = 0; y < frame.height; ++y) std::memcpy(b.pixels + y * b.stride, frame.Row(y), frame.width * 4);
  return platform.PresentFrame(b, WholeRows(frame.width, frame.height), WholeRows(frame.width, frame.height));
}

TEST(GtkWindow, ShowsAsAShapedOrnamentAtItsPlace) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  Region region(Rect{0, 0, 100, 80});
  region.Subtract(Rect{0, 0, 20, 80});  // the left strip is not part of the window
  events.onShow = [&] {
    platform.SetWindowRegion(region);
    platform.MoveWindow(200, 150);
    platform.SetTopmost(true);
  };
  std::string error;
  ASSERT_TRUE(platform.MakeDesktopOrnament(&error));
  platform.SetWindowSize(100, 80);
  ASSERT_TRUE(PresentWhole(platform, OpaqueFrame(100, 80)));
  platform.Show(events);
  EXPECT_EQ(events.log, (std::vector<std::string>{"Shown"}));
  EXPECT_FALSE(events.mappedDuringShow) << "the show handler runs before the window appears";
  GtkWidget* w = platform.Widget();
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(w); }));
  gdk_display_sync(gdk_display_get_default());
  PumpFor(50);

  GtkWindow* win = GTK_WINDOW(w);
  EXPECT_FALSE(gtk_window_get_decorated(win));
  EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(win));
  EXPECT_TRUE(gtk_window_get_skip_pager_hint(win));
  // A dock on every workspace: still shown when the user shows the desktop.
  EXPECT_EQ(gtk_window_get_type_hint(win), GDK_WINDOW_TYPE_HINT_DOCK);
  const auto state = NetWmState(w);
  EXPECT_TRUE(Has(state, "_NET_WM_STATE_STICKY"));
  EXPECT_TRUE(Has(state, "_NET_WM_STATE_ABOVE"));
  EXPECT_TRUE(Has(state, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_TRUE(Has(state, "_NET_WM_STATE_SKIP_PAGER"));
  EXPECT_EQ(platform.WindowPosition().x, 200);
  EXPECT_EQ(platform.WindowPosition().y, 150);
  int width = 0, height = 0;
  gtk_window_get_size(win, &width, &height);
  EXPECT_EQ(width, 100);
  EXPECT_EQ(height, 80);

  // The X server itself sees the shape: inside it the pointer finds this
  // window, in the cut strip it finds what lies below.
  GdkWindow* gw = gtk_widget_get_window(w);
  Display* d = GDK_WINDOW_XDISPLAY(gw);
  auto windowAt = [&](int x, int y) {
    Window child = None;
    int cx, cy;
    XTranslateCoordinates(d, DefaultRootWindow(d), DefaultRootWindow(d), x, y, &cx, &cy, &child);
    return child;
  };
  EXPECT_EQ(windowAt(250, 190), GDK_WINDOW_XID(gw));
  EXPECT_NE(windowAt(205, 190), GDK_WINDOW_XID(gw));

  // The visibility probe: inside the shape, outside it, outside the window.
  EXPECT_TRUE(platform.IsWindowVisibleAt(250, 190));
  EXPECT_TRUE(platform.IsWindowVisibleAt(220, 150));
  EXPECT_FALSE(platform.IsWindowVisibleAt(205, 190));
  EXPECT_FALSE(platform.IsWindowVisibleAt(199, 190));
  EXPECT_FALSE(platform.IsWindowVisibleAt(300, 190));

  // Another window over part of the globe hides it there, and only there.
  GtkWidget* cover = gtk_window_new(GTK_WINDOW_POPUP);
  gtk_window_move(GTK_WINDOW(cover), 240, 180);
  gtk_window_resize(GTK_WINDOW(cover), 30, 30);
  gtk_widget_show(cover);
  gdk_display_sync(gdk_display_get_default());
  PumpFor(50);
  EXPECT_FALSE(platform.IsWindowVisibleAt(250, 190));
  EXPECT_TRUE(platform.IsWindowVisibleAt(290, 220));
  // The probe learns of other windows from the events the loop dispatches.
  gtk_widget_hide(cover);
  gdk_display_sync(gdk_display_get_default());
  PumpFor(50);
  EXPECT_TRUE(platform.IsWindowVisibleAt(250, 190));
  // A window that appears and goes away again above the globe is seen both
  // times, though the probe keeps its answers between frames.
  gtk_widget_show(cover);
  gdk_display_sync(gdk_display_get_default());
  PumpFor(50);
  EXPECT_FALSE(platform.IsWindowVisibleAt(250, 190));
  gtk_window_move(GTK_WINDOW(cover), 400, 300);
  gdk_display_sync(gdk_display_get_default());
  PumpFor(50);
  EXPECT_TRUE(platform.IsWindowVisibleAt(250, 190));
  gtk_widget_destroy(cover);

  // Moved by someone else (the window manager, or GDK's own move): the next
  // frame reads the new place.
  XMoveWindow(d, GDK_WINDOW_XID(gw), 500, 400);
  ASSERT_TRUE(PumpUntil([&] { return platform.WindowPosition().x == 500; }));
  EXPECT_EQ(platform.WindowPosition().y, 400);
  EXPECT_TRUE(platform.IsWindowVisibleAt(550, 440));
  EXPECT_FALSE(platform.IsWindowVisibleAt(250, 190));

  platform.RequestClose();
  EXPECT_TRUE(platform.Closed());
  EXPECT_FALSE(platform.IsWindowVisibleAt(250, 190));
}

// Nobody sees the globe under a window that covers all of its outline (a
// window over part of it is not enough), or while the screen saver runs.
TEST(GtkWindow, TheCoreHearsWhenNobodyCanSeeTheWindow) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  Region region(Rect{0, 0, 100, 80});
  region.Subtract(Rect{0, 0, 20, 80});
  events.onShow = [&] {
    platform.SetWindowRegion(region);
    platform.MoveWindow(200, 150);
  };
  platform.SetWindowSize(100, 80);
  platform.Show(events);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(platform.Widget()); }));
  PumpFor(300);
  EXPECT_EQ(events.Count("Unseen"), 0);

  auto coverAt = [](int x, int y, int w, int h) {
    GtkWidget* cover = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_window_move(GTK_WINDOW(cover), x, y);
    gtk_window_resize(GTK_WINDOW(cover), w, h);
    gtk_widget_show(cover);
    return cover;
  };
  // All but the cut strip on the left: the outline is covered.
  GtkWidget* cover = coverAt(220, 150, 80, 80);
  ASSERT_TRUE(PumpUntil([&] { return events.Count("Unseen") == 1; }));
  gtk_window_move(GTK_WINDOW(cover), 221, 150);  // one column of the globe shows again
  ASSERT_TRUE(PumpUntil([&] { return events.Count("Seen") == 1; }));
  gtk_widget_destroy(cover);
  PumpFor(300);
  EXPECT_EQ(events.Count("Unseen"), 1);

  Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  int base = 0, error = 0;
  if (XScreenSaverQueryExtension(d, &base, &error)) {
    XForceScreenSaver(d, ScreenSaverActive);
    EXPECT_TRUE(PumpUntil([&] { return events.Count("Unseen") == 2; }));
    XForceScreenSaver(d, ScreenSaverReset);  // whatever happened, for the tests after this one
    EXPECT_TRUE(PumpUntil([&] { return events.Count("Seen") == 2; }));
  }
  platform.RequestClose();
}

TEST(GtkWindow, TimersTickOnlyAfterTheShowAndRestartWithANewInterval) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  platform.SetWindowSize(10, 10);
  platform.SetTimer(TimerId::Garland, 5);
  platform.SetTimer(TimerId::CountSnow, 5);
  PumpFor(60);
  EXPECT_EQ(events.Count("Garland"), 0) << "no tick reaches the window before its show handler";

  platform.Show(events);
  ASSERT_TRUE(PumpUntil([&] { return events.Count("Garland") >= 3 && events.Count("CountSnow") >= 3; }));
  // When both are due together, the timer started first fires first.
  const auto first = std::find_if(events.log.begin(), events.log.end(),
                                  [](const std::string& s) { return s == "Garland" || s == "CountSnow"; });
  EXPECT_EQ(*first, "Garland");

  // A restart with a long interval: no tick in the next tenth of a second.
  platform.SetTimer(TimerId::Garland, 60000);
  const int before = events.Count("Garland");
  PumpFor(100);
  EXPECT_EQ(events.Count("Garland"), before);
  EXPECT_GT(events.Count("CountSnow"), 3);
  // And back to a short one.
  platform.SetTimer(TimerId::Garland, 5);
  EXPECT_TRUE(PumpUntil([&] { return events.Count("Garland") > before; }));

  platform.RequestClose();
  const int after = events.Count("Garland") + events.Count("CountSnow");
  PumpFor(50);
  EXPECT_EQ(events.Count("Garland") + events.Count("CountSnow"), after) << "no tick after the close";
}

TEST(GtkWindow, CloseAsksTheCoreAndDestroysOnce) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  platform.SetWindowSize(10, 10);
  platform.Show(events);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(platform.Widget()); }));

  // The core may refuse: the window stays.
  events.allowClose = false;
  platform.RequestClose();
  EXPECT_FALSE(platform.Closed());
  ASSERT_NE(platform.Widget(), nullptr);
  EXPECT_EQ(events.Count("Destroyed"), 0);

  // The window manager's close button arrives as a delete event.
  events.allowClose = true;
  GdkEvent* del = gdk_event_new(GDK_DELETE);
  del->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(platform.Widget())));
  gtk_main_do_event(del);
  gdk_event_free(del);
  EXPECT_TRUE(platform.Closed());
  EXPECT_EQ(platform.Widget(), nullptr);
  EXPECT_FALSE(PresentWhole(platform, OpaqueFrame(10, 10)));

  // Later requests change nothing.
  platform.RequestClose();
  platform.CloseWindow();
  PumpFor(20);
  EXPECT_EQ(events.log, (std::vector<std::string>{"Shown", "CloseQuery", "CloseQuery", "Destroyed"}));
}

TEST(GtkWindow, CloseWindowRunsAfterTheCallingHandlerReturns) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  platform.SetWindowSize(10, 10);
  platform.Show(events);
  platform.CloseWindow();
  platform.CloseWindow();
  EXPECT_FALSE(platform.Closed());
  ASSERT_TRUE(PumpUntil([&] { return platform.Closed(); }));
  EXPECT_EQ(events.Count("CloseQuery"), 1);
  EXPECT_EQ(events.Count("Destroyed"), 1);
}

TEST(GtkWindow, WindowDestroyedFromOutsideStillEndsTheFormOnce) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  platform.SetWindowSize(10, 10);
  platform.Show(events);
  gtk_widget_destroy(platform.Widget());
  EXPECT_TRUE(platform.Closed());
  EXPECT_EQ(events.Count("Destroyed"), 1);
  platform.RequestClose();
  EXPECT_EQ(events.Count("Destroyed"), 1);
}

// Sends a synthesized button event to the window, as GTK would deliver it.
void SendButton(GtkWidget* window, GdkEventType type, guint button) {
  GdkEvent* e = gdk_event_new(type);
  e->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
  e->button.button = button;
  e->button.x = e->button.y = 5;
  e->button.x_root = e->button.y_root = 5;
  e->button.time = GDK_CURRENT_TIME;
  gdk_event_set_device(e, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
  gtk_main_do_event(e);
  gdk_event_free(e);
}

TEST(GtkWindow, PressesReachTheCoreAndARightClickOpensTheMenu) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  platform.SetWindowSize(40, 40);
  platform.Show(events);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(platform.Widget()); }));

  SendButton(platform.Widget(), GDK_BUTTON_PRESS, 1);
  SendButton(platform.Widget(), GDK_2BUTTON_PRESS, 1);  // the double click's extra event
  SendButton(platform.Widget(), GDK_BUTTON_RELEASE, 1);
  EXPECT_EQ(events.Count("MouseDown"), 1);
  EXPECT_EQ(platform.LastMenu(), nullptr) << "the left button opens no menu";

  SendButton(platform.Widget(), GDK_BUTTON_PRESS, 3);
  EXPECT_EQ(events.Count("MouseDown"), 2);
  EXPECT_EQ(platform.LastMenu(), nullptr) << "the menu opens when the button comes up";
  SendButton(platform.Widget(), GDK_BUTTON_RELEASE, 3);
  GtkWidget* menu = platform.LastMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(FindItem(menu, "pmiExit") != nullptr);

  // A choice reaches the core once GTK is done with the menu.
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));
  gtk_menu_item_activate(GTK_MENU_ITEM(FindItem(menu, "pmi30")));
  EXPECT_EQ(events.Count("Chosen pmi30"), 0);
  ASSERT_TRUE(PumpUntil([&] { return events.Count("Chosen pmi30") == 1; }));

  // The next right click builds a fresh menu from the model.
  ChooseItem(events.choices, "pmi30");
  SendButton(platform.Widget(), GDK_BUTTON_PRESS, 3);
  SendButton(platform.Widget(), GDK_BUTTON_RELEASE, 3);
  ASSERT_NE(platform.LastMenu(), nullptr);
  EXPECT_TRUE(Active(FindItem(platform.LastMenu(), "pmi30")));
  EXPECT_FALSE(Active(FindItem(platform.LastMenu(), "pmi0")));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(platform.LastMenu()));
  platform.RequestClose();
  EXPECT_EQ(platform.LastMenu(), nullptr);
}

TEST(GtkWindow, MessagesAreModalTitledDialogsWhileTimersGoOn) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  RecordingEvents events(platform);
  platform.SetWindowSize(10, 10);
  platform.Show(events);
  platform.SetTimer(TimerId::Garland, 5);
  struct Seen {
    RecordingEvents* events = nullptr;
    int ticksWhileOpen = 0;
    std::string title, text;
    GtkMessageType type = GTK_MESSAGE_OTHER;
    bool modal = false;
    int tries = 0;
  } seen;
  seen.events = &events;
  // Looks for the dialog while it runs its own loop, then answers it.
  g_timeout_add(20, [](gpointer data) -> gboolean {
    auto* s = static_cast<Seen*>(data);
    GList* toplevels = gtk_window_list_toplevels();
    GtkWidget* dialog = nullptr;
    for (GList* l = toplevels; l; l = l->next)
      if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data))) dialog = GTK_WIDGET(l->data);
    g_list_free(toplevels);
    if (!dialog) return ++s->tries < 200;
    if (s->events->Count("Garland") < 3) return G_SOURCE_CONTINUE;  // let the timer tick meanwhile
    s->ticksWhileOpen = s->events->Count("Garland");
    s->title = gtk_window_get_title(GTK_WINDOW(dialog));
    s->modal = gtk_window_get_modal(GTK_WINDOW(dialog));
    g_object_get(dialog, "message-type", &s->type, nullptr);
    gchar* text = nullptr;
    g_object_get(dialog, "text", &text, nullptr);
    s->text = text ? text : "";
    g_free(text);
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    return G_SOURCE_REMOVE;
  }, &seen);
  platform.ShowMessage("UpdateLayeredWindow error", MessageKind::Error);
  EXPECT_EQ(seen.title, "Glimmerdome");
  EXPECT_EQ(seen.text, "UpdateLayeredWindow error");
  EXPECT_EQ(seen.type, GTK_MESSAGE_ERROR);
  EXPECT_TRUE(seen.modal);
  EXPECT_GE(seen.ticksWhileOpen, 3) << "the timer kept firing while the message was open";
  platform.RequestClose();
}

TEST(GtkScreen, TheMonitorsComeFromGdkWithOnePrimary) {
  REQUIRE_DISPLAY();
  X11Platform platform(nullptr);
  const std::vector<Monitor> monitors = platform.Monitors();
  ASSERT_FALSE(monitors.empty());
  EXPECT_EQ(std::count_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; }), 1);
  Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  // Xvfb and single-monitor desktops: the monitor is the whole screen.
  if (monitors.size() == 1) {
    EXPECT_EQ(monitors[0].bounds, (Rect{0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))}));
  }
  for (const Monitor& m : monitors) {
    EXPECT_FALSE(m.workArea.Empty());
    EXPECT_EQ(m.bounds.United(m.workArea), m.bounds) << "the work area lies within the monitor";
  }
  EXPECT_NE(platform.ExecutablePath().find("glimmer_gtk_tests"), std::string::npos);
}

}  // namespace
}  // namespace gd
