// The scenery inside the glass: the distant landscape (a band of teal firs
// over a streaked snow bank, behind which the sun and the moon rise) and the
// home ground (a snowy mound with a log cabin and two snow-dusted firs).
// Light comes from the upper left, as everywhere in the globe.
#include <cmath>
#include <vector>

#include "art.h"
#include "geometry.h"

namespace artgen {
namespace {

// Everything inside the glass stays clear of the rim.
constexpr double kSceneryR = 98.6;

// ---- Palette ----------------------------------------------------------------

constexpr Colour kFarFirLight = Rgb8(74, 124, 134);
constexpr Colour kFarFirMid = Rgb8(40, 90, 102);
constexpr Colour kFarFirDark = Rgb8(24, 64, 76);
constexpr Colour kBankLight = Rgb8(226, 240, 250);
constexpr Colour kBankMid = Rgb8(196, 220, 238);
constexpr Colour kBankShade = Rgb8(160, 190, 220);

constexpr Colour kSnowLit = Rgb8(244, 249, 255);
constexpr Colour kSnowMid = Rgb8(214, 230, 246);
constexpr Colour kSnowShade = Rgb8(164, 190, 226);
constexpr Colour kSnowDeepShade = Rgb8(128, 156, 204);

constexpr Colour kLogLit = Rgb8(150, 92, 52);
constexpr Colour kLogMid = Rgb8(118, 70, 38);
constexpr Colour kLogShade = Rgb8(78, 44, 24);
constexpr Colour kLogGap = Rgb8(46, 24, 12);
constexpr Colour kLogEnd = Rgb8(196, 146, 94);
constexpr Colour kStone = Rgb8(118, 100, 92);
constexpr Colour kStoneDark = Rgb8(76, 62, 58);
constexpr Colour kWindowWarm = Rgb8(255, 214, 120);
constexpr Colour kWindowHot = Rgb8(255, 244, 190);
constexpr Colour kWindowDeep = Rgb8(236, 150, 52);
constexpr Colour kFrame = Rgb8(58, 34, 18);
constexpr Colour kGlow = Rgb8(255, 190, 90);
constexpr Colour kDoor = Rgb8(70, 40, 22);

constexpr Colour kFirLit = Rgb8(52, 112, 84);
constexpr Colour kFirMid = Rgb8(30, 82, 64);
constexpr Colour kFirDark = Rgb8(16, 52, 44);
constexpr Colour kTrunk = Rgb8(70, 44, 28);

// ---- Layout -------------------------------------------------------------------

// Distant forest: trees across the left half, the snow bank under them.
constexpr double kForestBase = 138.0;
constexpr double kBankTop = 138.0;
constexpr double kBankBottom = 154.0;
constexpr double kBankRight = 168.0;

// The cabin: a gable wall facing the viewer on the left, with the lit
// window, and the long side wall receding to the right.
constexpr double kGround = 150.0;
constexpr double kGableLeft = 147.5, kGableRight = 172.0;
constexpr double kEave = 125.0;          // top of the gable wall's sides
constexpr double kApexX = 159.75, kApexY = 109.0;
constexpr double kSideRight = 200.5;     // far end of the side wall
constexpr double kSideEave = 126.0;
constexpr double kRidgeDx = 29.0, kRidgeDy = -1.5;  // the ridge runs back to the right
constexpr double kWindowX0 = 151.0, kWindowX1 = 162.0, kWindowY0 = 135.0, kWindowY1 = 141.0;
constexpr double kDoorX0 = 182.0, kDoorX1 = 190.0, kDoorY0 = 134.0;
constexpr double kChimneyX0 = 183.0, kChimneyX1 = 190.0, kChimneyTop = 105.0;

// The firs beside the cabin.
struct Fir {
  double cx, top, base, half_width;
  int tiers;
};
constexpr Fir kBigFir = {223.0, 97.8, 151.0, 18.5, 5};
constexpr Fir kSmallFir = {204.5, 116.0, 151.0, 10.5, 4};

// The home mound: its top edge as a sum of gentle bumps.
double MoundTop(double x) {
  return 153.5 - 4.5 * std::exp(-std::pow((x - 178) / 38, 2)) - 2.0 * std::exp(-std::pow((x - 95) / 30, 2)) +
         1.2 * std::sin(x * 0.09);
}
constexpr double kMoundBottom = 179.0;
constexpr double kMoundLeft = 59.0, kMoundRight = 243.0;

Mask GlassInterior(int k) {
  return SampleCoverage(kSceneWidth * k, kSceneHeight * k, [](double x, double y) {
    return std::hypot(x - kGlobeCx, y - kGlobeCy) < kSceneryR;
  }, SamplesAt(8, k), k);
}

void Fill(cairo_t* cr, const Colour& c, double alpha = 1.0) {
  SetSource(cr, c, alpha);
  cairo_fill(cr);
}

cairo_pattern_t* HorizontalRamp(double x0, double x1, const Colour& a, const Colour& b) {
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
  cairo_pattern_add_color_stop_rgb(p, 0, a.r, a.g, a.b);
  cairo_pattern_add_color_stop_rgb(p, 1, b.r, b.g, b.b);
  return p;
}

void FillWith(cairo_t* cr, cairo_pattern_t* p) {
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

// ---- Distant landscape ---------------------------------------------------------

// A distant fir: a slim spire with a few drooping tiers, as a silhouette.
void FarFirPath(cairo_t* cr, double cx, double top, double base, double hw) {
  const int tiers = 4;
  const double h = base - top;
  cairo_move_to(cr, cx, top);
  for (int k = 0; k < tiers; ++k) {  // down the right side, tier by tier
    const double yb = top + h * (k + 1) / tiers, w = hw * std::pow((k + 1.0) / tiers, 0.85);
    cairo_line_to(cr, cx + w, yb);
    if (k + 1 < tiers) cairo_line_to(cr, cx + w * 0.55, yb - h * 0.06);
  }
  for (int k = tiers - 1; k >= 0; --k) {  // and up the left side
    const double yb = top + h * (k + 1) / tiers, w = hw * std::pow((k + 1.0) / tiers, 0.85);
    if (k + 1 < tiers) cairo_line_to(cr, cx - w * 0.55, yb - h * 0.06);
    cairo_line_to(cr, cx - w, yb);
  }
  cairo_close_path(cr);
}

void DrawForest(cairo_t* cr) {
  struct Tree {
    double cx, top, hw;
  };
  // Back row: hazier, lighter; front row: darker and taller.
  const Tree back[] = {{55, 118, 7},   {66, 112, 8},  {79, 116, 7},  {92, 108, 9},  {106, 113, 8},
                       {120, 110, 8},  {133, 115, 7}, {146, 119, 7}, {158, 124, 6}};
  const Tree front[] = {{50, 121, 7},  {60, 111, 8},  {73, 106, 9},  {86, 114, 8},  {99, 105, 10},
                        {113, 112, 8}, {126, 107, 9}, {139, 116, 8}, {151, 122, 7}};
  for (const Tree& t : back) {
    FarFirPath(cr, t.cx, t.top, kForestBase, t.hw);
    FillWith(cr, HorizontalRamp(t.cx - t.hw, t.cx + t.hw, kFarFirLight, kFarFirMid));
  }
  for (const Tree& t : front) {
    FarFirPath(cr, t.cx, t.top + 4, kForestBase + 1, t.hw);
    FillWith(cr, HorizontalRamp(t.cx - t.hw, t.cx + t.hw, kFarFirMid, kFarFirDark));
    // A dusting of snow catching the light on the left of each tier.
    const double h = kForestBase + 1 - (t.top + 4);
    for (int k = 1; k < 4; ++k) {
      const double yb = t.top + 4 + h * (k + 1) / 4, w = t.hw * std::pow((k + 1.0) / 4, 0.85);
      cairo_move_to(cr, t.cx - w * 0.55, yb - h * 0.07);
      cairo_line_to(cr, t.cx - w, yb - 0.3);
      SetSource(cr, kBankLight, 0.35);
      cairo_set_line_width(cr, 0.8);
      cairo_stroke(cr);
    }
  }
  // Small tufts and specks further right, mostly hidden behind the cabin.
  const Tree tufts[] = {{168, 128, 5}, {178, 131, 4}, {236, 133, 5}, {244, 138, 3}};
  for (const Tree& t : tufts) {
    FarFirPath(cr, t.cx, t.top, t.top + 14, t.hw);
    FillWith(cr, HorizontalRamp(t.cx - t.hw, t.cx + t.hw, kFarFirLight, kFarFirDark));
  }
}

void DrawSnowBank(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_move_to(cr, kGlobeCx - 100, kBankBottom);
  for (double x = kGlobeCx - 100; x <= kBankRight; x += 2)
    cairo_line_to(cr, x, kBankTop + 1.5 * std::sin(x * 0.11) + 1.0 * std::sin(x * 0.37) + (x > 140 ? (x - 140) * 0.25 : 0));
  cairo_line_to(cr, kBankRight + 8, kBankBottom);
  cairo_close_path(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, kBankTop, 0, kBankBottom);
  cairo_pattern_add_color_stop_rgb(p, 0, kBankLight.r, kBankLight.g, kBankLight.b);
  cairo_pattern_add_color_stop_rgb(p, 0.5, kBankMid.r, kBankMid.g, kBankMid.b);
  cairo_pattern_add_color_stop_rgb(p, 1, kBankShade.r, kBankShade.g, kBankShade.b);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  FillWith(cr, p);
  // Wind streaks across the bank.
  Dice dice(0xB4A7);
  for (int i = 0; i < 16; ++i) {
    const double y = dice.Range(kBankTop + 2, kBankBottom - 3), x0 = dice.Range(40, 140), len = dice.Range(14, 46);
    cairo_move_to(cr, x0, y);
    cairo_curve_to(cr, x0 + len / 3, y - 0.8, x0 + 2 * len / 3, y + 0.6, x0 + len, y - 0.3);
    const bool light = i % 2 == 0;
    SetSource(cr, light ? kSnowLit : kBankShade, light ? 0.55 : 0.45);
    cairo_set_line_width(cr, light ? 0.9 : 0.7);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

// ---- Home: mound, cabin, firs -------------------------------------------------------

void MoundPath(cairo_t* cr) {
  cairo_new_path(cr);
  const double x0 = kMoundLeft, x1 = kMoundRight;
  cairo_move_to(cr, x0, kMoundBottom);
  for (double x = x0; x <= x1; x += 1) cairo_line_to(cr, x, MoundTop(x));
  cairo_line_to(cr, x1, kMoundBottom);
  cairo_close_path(cr);
}

void DrawMound(cairo_t* cr) {
  MoundPath(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  // Lit from the upper left: bright on the left, bluer to the lower right.
  cairo_pattern_t* p = cairo_pattern_create_linear(60, 148, 240, 178);
  cairo_pattern_add_color_stop_rgb(p, 0.0, kSnowLit.r, kSnowLit.g, kSnowLit.b);
  cairo_pattern_add_color_stop_rgb(p, 0.45, kSnowMid.r, kSnowMid.g, kSnowMid.b);
  cairo_pattern_add_color_stop_rgb(p, 1.0, kSnowShade.r, kSnowShade.g, kSnowShade.b);
  FillWith(cr, p);
  // Shadows cast to the right by the cabin and the firs.
  cairo_new_path(cr);
  cairo_move_to(cr, kGableLeft + 4, kGround);
  cairo_curve_to(cr, 180, kGround + 7, 215, kGround + 8, 246, kGround + 3);
  cairo_line_to(cr, 246, kGround - 4);
  cairo_line_to(cr, kGableLeft + 4, kGround - 4);
  cairo_close_path(cr);
  cairo_pattern_t* shade = cairo_pattern_create_linear(0, kGround - 2, 0, kGround + 8);
  cairo_pattern_add_color_stop_rgba(shade, 0, kSnowDeepShade.r, kSnowDeepShade.g, kSnowDeepShade.b, 0.75);
  cairo_pattern_add_color_stop_rgba(shade, 1, kSnowDeepShade.r, kSnowDeepShade.g, kSnowDeepShade.b, 0.0);
  FillWith(cr, shade);
  // Window light spilling onto the snow below the window.
  cairo_pattern_t* glow = cairo_pattern_create_radial(156.5, kGround + 1, 0, 156.5, kGround + 1, 13);
  cairo_pattern_add_color_stop_rgba(glow, 0, kGlow.r, kGlow.g, kGlow.b, 0.45);
  cairo_pattern_add_color_stop_rgba(glow, 1, kGlow.r, kGlow.g, kGlow.b, 0.0);
  cairo_save(cr);
  cairo_scale(cr, 1, 1);
  cairo_rectangle(cr, 140, kGround - 3, 34, 16);
  FillWith(cr, glow);
  cairo_restore(cr);
  // Soft ripples of drifted snow.
  Dice dice(0x40D);
  for (int i = 0; i < 10; ++i) {
    const double x0 = dice.Range(60, 220), y = dice.Range(156, 174), len = dice.Range(16, 40);
    cairo_move_to(cr, x0, y);
    cairo_curve_to(cr, x0 + len / 3, y - 1.2, x0 + 2 * len / 3, y - 1.2, x0 + len, y + 0.4);
    SetSource(cr, i % 2 ? kSnowLit : kSnowShade, 0.5);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // A bright rim along the mound's top edge.
  cairo_new_path(cr);
  for (double x = kMoundLeft; x <= kMoundRight; x += 1) cairo_line_to(cr, x, MoundTop(x) + 0.6);
  SetSource(cr, kSnowLit, 0.9);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

// Horizontal logs across a wall polygon: alternating tones, dark seams.
void LogCourses(cairo_t* cr, double x0, double x1, double y_top, double y_bottom, const Colour& lit,
                const Colour& shade, double pitch) {
  for (double y = y_bottom; y > y_top - pitch; y -= pitch) {
    cairo_pattern_t* log = cairo_pattern_create_linear(0, y - pitch, 0, y);
    cairo_pattern_add_color_stop_rgb(log, 0.0, shade.r, shade.g, shade.b);
    cairo_pattern_add_color_stop_rgb(log, 0.35, lit.r, lit.g, lit.b);
    cairo_pattern_add_color_stop_rgb(log, 1.0, shade.r * 0.8, shade.g * 0.8, shade.b * 0.8);
    cairo_rectangle(cr, x0, y - pitch, x1 - x0, pitch);
    FillWith(cr, log);
    cairo_move_to(cr, x0, y - 0.3);
    cairo_line_to(cr, x1, y - 0.3);
    SetSource(cr, kLogGap, 0.7);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
  }
}

void GablePath(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_move_to(cr, kGableLeft, kGround);
  cairo_line_to(cr, kGableLeft, kEave);
  cairo_line_to(cr, kApexX, kApexY);
  cairo_line_to(cr, kGableRight, kEave);
  cairo_line_to(cr, kGableRight, kGround);
  cairo_close_path(cr);
}

void SideWallPath(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_move_to(cr, kGableRight, kGround);
  cairo_line_to(cr, kGableRight, kEave);
  cairo_line_to(cr, kSideRight, kSideEave);
  cairo_line_to(cr, kSideRight, kGround - 1);
  cairo_close_path(cr);
}

void DrawWindow(cairo_t* cr) {
  // Warm glow on the logs around the window.
  cairo_pattern_t* halo = cairo_pattern_create_radial(156.5, 138, 2, 156.5, 138, 11);
  cairo_pattern_add_color_stop_rgba(halo, 0, kGlow.r, kGlow.g, kGlow.b, 0.5);
  cairo_pattern_add_color_stop_rgba(halo, 1, kGlow.r, kGlow.g, kGlow.b, 0.0);
  GablePath(cr);
  cairo_save(cr);
  cairo_clip(cr);
  cairo_rectangle(cr, 140, 124, 34, 28);
  FillWith(cr, halo);
  cairo_restore(cr);
  // Frame, panes, bar.
  cairo_rectangle(cr, kWindowX0 - 1, kWindowY0 - 1, kWindowX1 - kWindowX0 + 2, kWindowY1 - kWindowY0 + 2);
  Fill(cr, kFrame);
  cairo_pattern_t* pane = cairo_pattern_create_radial(154, 136.5, 0.5, 156.5, 138, 7);
  cairo_pattern_add_color_stop_rgb(pane, 0, kWindowHot.r, kWindowHot.g, kWindowHot.b);
  cairo_pattern_add_color_stop_rgb(pane, 0.55, kWindowWarm.r, kWindowWarm.g, kWindowWarm.b);
  cairo_pattern_add_color_stop_rgb(pane, 1, kWindowDeep.r, kWindowDeep.g, kWindowDeep.b);
  cairo_rectangle(cr, kWindowX0, kWindowY0, kWindowX1 - kWindowX0, kWindowY1 - kWindowY0);
  FillWith(cr, pane);
  const double mid = (kWindowX0 + kWindowX1) / 2;
  cairo_rectangle(cr, mid - 0.5, kWindowY0, 1.0, kWindowY1 - kWindowY0);
  Fill(cr, kFrame, 0.9);
  // A snowy sill.
  cairo_rectangle(cr, kWindowX0 - 1.5, kWindowY1 + 0.6, kWindowX1 - kWindowX0 + 3, 1.4);
  Fill(cr, kSnowLit);
}

void DrawDoor(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_move_to(cr, kDoorX0, kGround - 0.5);
  cairo_line_to(cr, kDoorX0, kDoorY0 + 1.5);
  cairo_curve_to(cr, kDoorX0, kDoorY0 - 0.5, kDoorX1, kDoorY0 - 0.5, kDoorX1, kDoorY0 + 1.5);
  cairo_line_to(cr, kDoorX1, kGround - 0.8);
  cairo_close_path(cr);
  FillWith(cr, HorizontalRamp(kDoorX0, kDoorX1, kLogMid, kDoor));
  for (double x = kDoorX0 + 2.7; x < kDoorX1; x += 2.7) {
    cairo_move_to(cr, x, kDoorY0 + 1);
    cairo_line_to(cr, x, kGround - 1);
  }
  SetSource(cr, kLogGap, 0.6);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
  cairo_arc(cr, kDoorX1 - 1.8, 143, 0.6, 0, 2 * M_PI);
  Fill(cr, kWindowWarm, 0.8);
}

// The roof over the side wall: a slope from the ridge down to the eave,
// buried under a thick, rounded cushion of snow that overhangs its edges.
void DrawRoof(cairo_t* cr) {
  const double ridge_x = kApexX + kRidgeDx, ridge_y = kApexY + kRidgeDy;
  // The dark underside of the eave, seen below the snow.
  cairo_new_path(cr);
  cairo_move_to(cr, kGableRight - 0.5, kEave + 0.5);
  cairo_line_to(cr, kSideRight + 1.0, kSideEave + 0.5);
  cairo_line_to(cr, kSideRight + 1.0, kSideEave + 2.0);
  cairo_line_to(cr, kGableRight - 0.5, kEave + 2.0);
  cairo_close_path(cr);
  Fill(cr, kLogGap, 0.8);

  // The snow cushion on the roof slope.
  cairo_new_path(cr);
  cairo_move_to(cr, kApexX - 1, kApexY - 1.5);
  cairo_curve_to(cr, kApexX + 10, ridge_y - 3.5, ridge_x - 10, ridge_y - 3.5, ridge_x + 1, ridge_y - 1.5);
  cairo_curve_to(cr, ridge_x + 6, ridge_y + 2, kSideRight + 3.5, kSideEave - 8, kSideRight + 3.5, kSideEave - 2);
  cairo_curve_to(cr, kSideRight + 3.5, kSideEave + 1.5, kSideRight + 1, kSideEave + 2, kSideRight - 1, kSideEave + 1);
  // The overhanging lower edge, in soft scallops.
  const int scallops = 4;
  for (int i = 1; i <= scallops; ++i) {
    const double t0 = static_cast<double>(i - 1) / scallops, t1 = static_cast<double>(i) / scallops;
    const double xa = kSideRight - 1 + (kGableRight - kSideRight) * t0, ya = kSideEave + 1 + (kEave - kSideEave) * t0;
    const double xb = kSideRight - 1 + (kGableRight - kSideRight) * t1, yb = kSideEave + 1 + (kEave - kSideEave) * t1;
    cairo_curve_to(cr, xa - 1.0, ya + 1.3, xb + 1.0, yb + 1.3, xb, yb);
  }
  cairo_line_to(cr, kGableRight - 1, kEave);
  cairo_close_path(cr);
  // Lit along the ridge near the gable, shaded towards the far lower end.
  cairo_pattern_t* snow = cairo_pattern_create_linear(kApexX, ridge_y - 3, kSideRight + 2, kSideEave + 2);
  cairo_pattern_add_color_stop_rgb(snow, 0, kSnowLit.r, kSnowLit.g, kSnowLit.b);
  cairo_pattern_add_color_stop_rgb(snow, 0.45, kSnowMid.r, kSnowMid.g, kSnowMid.b);
  cairo_pattern_add_color_stop_rgb(snow, 1, kSnowShade.r, kSnowShade.g, kSnowShade.b);
  FillWith(cr, snow);
  // The ridge catches the light.
  cairo_move_to(cr, kApexX + 1.5, kApexY - 1.6);
  cairo_curve_to(cr, kApexX + 10, ridge_y - 2.4, ridge_x - 10, ridge_y - 2.4, ridge_x - 0.5, ridge_y - 0.8);
  SetSource(cr, kSnowLit, 0.9);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  // A soft shadow under the overhang on the side wall.
  cairo_move_to(cr, kGableRight + 0.5, kEave + 2.6);
  cairo_line_to(cr, kSideRight, kSideEave + 2.6);
  SetSource(cr, kLogGap, 0.45);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);

  // The chimney stands on the slope, with snow on its cap and at its foot.
  const double foot = kChimneyTop + 11;
  cairo_rectangle(cr, kChimneyX0, kChimneyTop + 1, kChimneyX1 - kChimneyX0, foot - kChimneyTop - 1);
  FillWith(cr, HorizontalRamp(kChimneyX0, kChimneyX1, kStone, kStoneDark));
  for (double y = kChimneyTop + 4; y < foot; y += 2.5) {
    cairo_move_to(cr, kChimneyX0, y);
    cairo_line_to(cr, kChimneyX1, y);
  }
  SetSource(cr, kStoneDark, 0.8);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, kChimneyX0 - 1.2, kChimneyTop + 2.4);
  cairo_curve_to(cr, kChimneyX0 - 1.2, kChimneyTop - 0.8, kChimneyX1 + 1.2, kChimneyTop - 0.8, kChimneyX1 + 1.4, kChimneyTop + 2.4);
  cairo_close_path(cr);
  FillWith(cr, HorizontalRamp(kChimneyX0, kChimneyX1, kSnowLit, kSnowMid));
  cairo_new_path(cr);
  cairo_move_to(cr, kChimneyX0 - 2.5, foot + 1.5);
  cairo_curve_to(cr, kChimneyX0 - 1, foot - 1.5, kChimneyX1 + 1, foot - 1.5, kChimneyX1 + 2.5, foot + 1.5);
  cairo_close_path(cr);
  FillWith(cr, HorizontalRamp(kChimneyX0, kChimneyX1, kSnowLit, kSnowMid));
}

// The gable's own snow: a thick rounded band along both roof edges, with
// drifts hanging over the eaves.
void DrawGableSnow(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_move_to(cr, kGableLeft - 2.5, kEave + 2.5);
  cairo_curve_to(cr, kGableLeft - 4, kEave - 1, kGableLeft - 2, kEave - 2.5, kGableLeft, kEave - 3);
  cairo_line_to(cr, kApexX, kApexY - 4);
  cairo_line_to(cr, kGableRight + 0.5, kEave - 3.5);
  cairo_curve_to(cr, kGableRight + 3, kEave - 2, kGableRight + 3.5, kEave + 1, kGableRight + 1.5, kEave + 2.5);
  cairo_curve_to(cr, kGableRight, kEave + 3.2, kGableRight - 1.5, kEave + 2, kGableRight - 2, kEave + 0.5);
  cairo_line_to(cr, kApexX, kApexY + 2.5);
  cairo_line_to(cr, kGableLeft + 1.5, kEave + 1);
  cairo_curve_to(cr, kGableLeft + 1, kEave + 3.5, kGableLeft - 1.5, kEave + 4, kGableLeft - 2.5, kEave + 2.5);
  cairo_close_path(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(kGableLeft - 4, kApexY, kGableRight + 4, kEave + 3);
  cairo_pattern_add_color_stop_rgb(p, 0, kSnowLit.r, kSnowLit.g, kSnowLit.b);
  cairo_pattern_add_color_stop_rgb(p, 0.6, kSnowLit.r, kSnowLit.g, kSnowLit.b);
  cairo_pattern_add_color_stop_rgb(p, 1, kSnowMid.r, kSnowMid.g, kSnowMid.b);
  FillWith(cr, p);
  // Shade under the band on the wall.
  cairo_move_to(cr, kGableLeft + 1, kEave + 1.6);
  cairo_line_to(cr, kApexX, kApexY + 3.4);
  cairo_line_to(cr, kGableRight - 1, kEave + 1.2);
  SetSource(cr, kLogGap, 0.55);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

void DrawCabin(cairo_t* cr) {
  // Side wall in shade, gable wall in the light.
  SideWallPath(cr);
  cairo_save(cr);
  cairo_clip(cr);
  LogCourses(cr, kGableRight, kSideRight, kEave - 2, kGround, kLogMid, kLogShade, 3.0);
  cairo_restore(cr);
  GablePath(cr);
  cairo_save(cr);
  cairo_clip(cr);
  LogCourses(cr, kGableLeft, kGableRight, kApexY, kGround, kLogLit, kLogMid, 3.0);
  cairo_restore(cr);
  // Log ends at the gable's corners.
  for (double y = kGround - 1.5; y > kEave; y -= 3.0) {
    for (double x : {kGableLeft + 0.2, kGableRight}) {
      cairo_arc(cr, x, y, 1.45, 0, 2 * M_PI);
      Fill(cr, kLogEnd);
      cairo_arc(cr, x, y, 1.45, 0, 2 * M_PI);
      SetSource(cr, kLogGap, 0.6);
      cairo_set_line_width(cr, 0.5);
      cairo_stroke(cr);
    }
  }
  DrawWindow(cr);
  DrawDoor(cr);
  DrawRoof(cr);
  DrawGableSnow(cr);
  // Snow drifted against the walls.
  cairo_new_path(cr);
  cairo_move_to(cr, kGableLeft - 3, kGround + 1.5);
  cairo_curve_to(cr, kGableLeft - 1, kGround - 3, kGableLeft + 4, kGround - 1.5, kWindowX0, kGround - 0.8);
  cairo_curve_to(cr, 165, kGround - 2.2, 175, kGround - 1, kDoorX0 - 1, kGround - 1.2);
  cairo_line_to(cr, kDoorX1 + 1, kGround - 1.0);
  cairo_curve_to(cr, 194, kGround - 2.5, 198, kGround - 2, kSideRight + 3, kGround);
  cairo_line_to(cr, kSideRight + 3, kGround + 3);
  cairo_line_to(cr, kGableLeft - 3, kGround + 3);
  cairo_close_path(cr);
  FillWith(cr, HorizontalRamp(kGableLeft, kSideRight, kSnowLit, kSnowMid));
}

// A fir of drooping tiers, lit on the left, each tier carrying snow on its
// upper side and at its bough tips.
void DrawFir(cairo_t* cr, const Fir& f) {
  const double h = f.base - f.top;
  cairo_rectangle(cr, f.cx - 1.2, f.base - 4, 2.4, 4);
  Fill(cr, kTrunk);
  for (int k = 0; k < f.tiers; ++k) {
    const double y_top = f.top + h * 0.78 * k / f.tiers;
    const double y_bottom = f.top + h * (k + 1.0) / f.tiers - (k + 1 == f.tiers ? 3 : 0);
    const double w = f.half_width * std::pow((k + 1.0) / f.tiers, 0.8);
    const int boughs = 3 + k / 2;
    // The tier: concave flanks and a scalloped lower edge.
    cairo_new_path(cr);
    cairo_move_to(cr, f.cx, y_top);
    cairo_curve_to(cr, f.cx - w * 0.3, y_top + (y_bottom - y_top) * 0.5, f.cx - w * 0.8, y_bottom - 1.5, f.cx - w, y_bottom);
    for (int b = 1; b <= boughs; ++b) {
      const double xa = f.cx - w + 2 * w * (b - 1) / boughs, xb = f.cx - w + 2 * w * b / boughs;
      cairo_curve_to(cr, xa + (xb - xa) * 0.3, y_bottom - 2.2, xa + (xb - xa) * 0.7, y_bottom - 2.2, xb, y_bottom);
    }
    cairo_curve_to(cr, f.cx + w * 0.8, y_bottom - 1.5, f.cx + w * 0.3, y_top + (y_bottom - y_top) * 0.5, f.cx, y_top);
    cairo_close_path(cr);
    cairo_pattern_t* needles = cairo_pattern_create_linear(f.cx - w, 0, f.cx + w, 0);
    cairo_pattern_add_color_stop_rgb(needles, 0, kFirLit.r, kFirLit.g, kFirLit.b);
    cairo_pattern_add_color_stop_rgb(needles, 0.45, kFirMid.r, kFirMid.g, kFirMid.b);
    cairo_pattern_add_color_stop_rgb(needles, 1, kFirDark.r, kFirDark.g, kFirDark.b);
    FillWith(cr, needles);
    // Snow: a thin cap along the lit flank, a thinner one on the shaded
    // flank, clumps on the bough tips and a few flakes caught on the needles.
    cairo_new_path(cr);
    cairo_move_to(cr, f.cx, y_top + 0.3);
    cairo_curve_to(cr, f.cx - w * 0.3, y_top + (y_bottom - y_top) * 0.5, f.cx - w * 0.8, y_bottom - 1.5, f.cx - w, y_bottom - 0.3);
    SetSource(cr, kSnowLit, 0.95);
    cairo_set_line_width(cr, 1.3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    cairo_move_to(cr, f.cx + 0.3, y_top + 0.5);
    cairo_curve_to(cr, f.cx + w * 0.3, y_top + (y_bottom - y_top) * 0.5, f.cx + w * 0.6, y_bottom - 2.0, f.cx + w * 0.75, y_bottom - 1.2);
    SetSource(cr, kSnowShade, 0.8);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    for (int b = 0; b < boughs; ++b) {
      const double x = f.cx - w + 2 * w * (b + 0.5) / boughs;
      cairo_save(cr);
      cairo_translate(cr, x, y_bottom - 1.9);
      cairo_scale(cr, 1.5, 0.75);
      cairo_arc(cr, 0, 0, 1.0, 0, 2 * M_PI);
      cairo_restore(cr);
      Fill(cr, b * 2 + 1 < boughs ? kSnowLit : kSnowMid, 0.9);
    }
    Dice dice(static_cast<uint32_t>(f.cx * 100 + k));
    for (int i = 0; i < 2 + k; ++i) {
      const double t = dice.Unit(), x = f.cx + (dice.Unit() - 0.6) * w * t * 1.4;
      const double y = y_top + (y_bottom - y_top) * (0.35 + 0.5 * t);
      cairo_arc(cr, x, y, 0.55, 0, 2 * M_PI);
      Fill(cr, kSnowLit, 0.75);
    }
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

Image FinishInsideGlass(const CairoLayer& layer, int k) {
  Canvas c = layer.ToCanvas();
  c.MultiplyBy(GlassInterior(k));
  return c.ToImage();
}

}  // namespace

Image DrawLandscape(int k) {
  CairoLayer layer(kSceneWidth, kSceneHeight, k);
  DrawForest(layer.cr());
  DrawSnowBank(layer.cr());
  return FinishInsideGlass(layer, k);
}

Image DrawHome(int k) {
  CairoLayer layer(kSceneWidth, kSceneHeight, k);
  cairo_t* cr = layer.cr();
  DrawFir(cr, kBigFir);
  DrawCabin(cr);
  DrawFir(cr, kSmallFir);
  DrawMound(cr);
  return FinishInsideGlass(layer, k);
}

}  // namespace artgen
