// The countdown's lettering: digits and the words "day" and "days" in DejaVu
// Sans Bold Oblique, near-white with a soft black drop shadow, and the same
// word in the languages the program is translated to. Every glyph is fitted
// into the fixed box of its picture: the countdown spaces its digits by the
// pictures' widths, so the widths are part of the layout.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <cairo-ft.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "art.h"

namespace artgen {
namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf";
constexpr const char* kCaptionFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr double kOutlineEm = 100.0;  // glyph outlines are taken at this size, then fitted

constexpr int kLetterHeight = 20;
constexpr double kBodyTop = 2.0;      // the glyph body fills rows 2 to 16
constexpr double kBodyBottom = 17.0;
constexpr double kLabelBottom = 17.4; // the descender of "y" may dip a little lower
constexpr double kLeftMargin = 0.4;
constexpr double kRoundness = 0.35;   // half-width of the round-joined stroke that softens corners
// The translated words soften less: their dotted letters (i, і) would lose
// the gap under the dot, and an "i" would read as an "l".
constexpr double kTranslatedRoundness = 0.1;
constexpr double kShadowDx = 1.4, kShadowDy = 1.5, kShadowBlur = 0.75;
constexpr double kShadowAlpha = 138.0 / 255.0;
constexpr double kRightMargin = 2.9;  // room for the shadow on the right
constexpr double kLabelStretch = 1.08;
constexpr double kMaxStretch = 1.15;      // widest a digit is drawn, relative to its natural shape
constexpr double kMinSqueeze = 0.8;       // a digit squeezed more than this may use ...
constexpr double kNarrowBoxAllowance = 1.0;  // ... this much of the shadow's room
constexpr Colour kLetterTop = Rgb8(255, 255, 255);
constexpr Colour kLetterBottom = Rgb8(242, 242, 240);

constexpr int kDigitWidths[] = {17, 11, 19, 18, 18, 17, 17, 16, 18, 18};

// The English labels' boxes. A translated word is set with the letter
// spacing "days" has in its box, in a box of its own width, but never wider
// than "days": after the widest count (222) that box ends at the plaque's edge.
constexpr const char* kPluralWord = "days";
constexpr int kPluralWidth = 53;

// The Unicode code points of a UTF-8 text (a byte that does not decode
// stands for itself).
std::vector<char32_t> CodePoints(const std::string& text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool ok = i + extra < text.size() + (extra == 0 ? 1 : 0);
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!ok) {
      out.push_back(b);
      ++i;
      continue;
    }
    out.push_back(c);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

struct Polyline {
  std::vector<Point> points;
};
// One glyph outline (flattened), placed at its pen position.
struct Glyph {
  std::vector<Polyline> contours;
  double pen = 0;  // x of the glyph's origin
};
struct Bounds {
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  void Add(const Point& p) {
    x0 = std::min(x0, p.x); y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x); y1 = std::max(y1, p.y);
  }
};

class Font {
 public:
  explicit Font(const std::string& file) {
    if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType did not start");
    if (FT_New_Face(library_, file.c_str(), 0, &face_) != 0)
      throw std::runtime_error("cannot load the font " + file);
    cairo_face_ = cairo_ft_font_face_create_for_ft_face(face_, FT_LOAD_NO_HINTING);
  }
  ~Font() {
    cairo_font_face_destroy(cairo_face_);
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  cairo_font_face_t* CairoFace() const { return cairo_face_; }

  // The outlines of a text set with the font's own advances, at kOutlineEm,
  // baseline at y = 0 and y growing downward.
  std::vector<Glyph> Shape(const std::string& text) const {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    cairo_set_font_face(cr, cairo_face_);
    cairo_set_font_size(cr, kOutlineEm);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_tolerance(cr, 0.01);

    std::vector<Glyph> glyphs;
    double pen = 0;
    for (char32_t ch : CodePoints(text)) {
      cairo_glyph_t g{FT_Get_Char_Index(face_, static_cast<FT_ULong>(ch)), 0, 0};
      cairo_text_extents_t ext;
      cairo_glyph_extents(cr, &g, 1, &ext);
      cairo_new_path(cr);
      cairo_glyph_path(cr, &g, 1);
      cairo_path_t* path = cairo_copy_path_flat(cr);
      Glyph glyph;
      glyph.pen = pen;
      for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t& d = path->data[i];
        if (d.header.type == CAIRO_PATH_MOVE_TO) glyph.contours.emplace_back();
        if (d.header.type == CAIRO_PATH_MOVE_TO || d.header.type == CAIRO_PATH_LINE_TO)
          glyph.contours.back().points.push_back({path->data[i + 1].point.x, path->data[i + 1].point.y});
      }
      cairo_path_destroy(path);
      glyphs.push_back(std::move(glyph));
      pen += ext.x_advance;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return glyphs;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  cairo_font_face_t* cairo_face_ = nullptr;
};

const Font& TheFont() {
  static const Font font(kFontFile);
  return font;
}

Bounds InkBounds(const std::vector<Glyph>& glyphs, double tracking = 0) {
  Bounds b;
  for (size_t i = 0; i < glyphs.size(); ++i)
    for (const Polyline& c : glyphs[i].contours)
      for (const Point& p : c.points) b.Add({p.x + glyphs[i].pen + tracking * static_cast<double>(i), p.y});
  return b;
}

// Maps outline coordinates to picture coordinates.
struct Placement {
  double sx, sy;      // scale
  double ox, oy;      // picture position of outline point (0, 0)
  double tracking;    // extra space after each glyph, in outline units
  double roundness = kRoundness;
};

Image RenderLettering(const std::vector<Glyph>& glyphs, const Placement& at, int width, int k) {
  auto trace = [&](cairo_t* cr) {
    cairo_new_path(cr);
    for (size_t i = 0; i < glyphs.size(); ++i) {
      const double shift = glyphs[i].pen + at.tracking * static_cast<double>(i);
      for (const Polyline& c : glyphs[i].contours) {
        for (size_t k = 0; k < c.points.size(); ++k) {
          const double x = at.ox + (c.points[k].x + shift) * at.sx, y = at.oy + c.points[k].y * at.sy;
          if (k == 0) cairo_move_to(cr, x, y);
          else cairo_line_to(cr, x, y);
        }
        cairo_close_path(cr);
      }
    }
  };
  auto draw = [&](cairo_t* cr, cairo_pattern_t* source, double dx, double dy) {
    cairo_save(cr);
    cairo_translate(cr, dx, dy);
    trace(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_set_source(cr, source);
    cairo_fill_preserve(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 2 * at.roundness);
    cairo_stroke(cr);
    cairo_restore(cr);
  };

  // The letters: near-white, a touch greyer towards the bottom.
  CairoLayer letters(width, kLetterHeight, k);
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, kBodyTop, 0, kBodyBottom);
  cairo_pattern_add_color_stop_rgb(fill, 0, kLetterTop.r, kLetterTop.g, kLetterTop.b);
  cairo_pattern_add_color_stop_rgb(fill, 1, kLetterBottom.r, kLetterBottom.g, kLetterBottom.b);
  draw(letters.cr(), fill, 0, 0);
  cairo_pattern_destroy(fill);

  // The shadow: the same shapes moved down and right, then blurred.
  CairoLayer shadow_shape(width, kLetterHeight, k);
  cairo_pattern_t* black = cairo_pattern_create_rgb(0, 0, 0);
  draw(shadow_shape.cr(), black, kShadowDx, kShadowDy);
  cairo_pattern_destroy(black);
  const Mask hard = shadow_shape.ToCanvas().AlphaMask();
  // The blur is measured in scene pixels: at scale k it reaches k times as
  // many device pixels.
  const int radius = 3 * k, w = width * k, h = kLetterHeight * k;
  const double sigma = kShadowBlur * k;
  std::vector<double> weights(2 * radius + 1);
  double total = 0;
  for (int t = -radius; t <= radius; ++t) total += weights[t + radius] = std::exp(-0.5 * t * t / (sigma * sigma));
  for (double& wt : weights) wt /= total;
  Mask across(w, h), soft(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int t = -radius; t <= radius; ++t)
        if (x + t >= 0 && x + t < w) across.At(x, y) += weights[t + radius] * hard.At(x + t, y);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int t = -radius; t <= radius; ++t)
        if (y + t >= 0 && y + t < h) soft.At(x, y) += weights[t + radius] * across.At(x, y + t);

  Canvas picture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture.At(x, y) = Pixel::Of({0, 0, 0}, Clamp01(soft.At(x, y)) * kShadowAlpha);
  picture.Over(letters.ToCanvas());
  return picture.ToImage();
}

// The vertical scale of a label: the word's ink from the body's top to just
// below its bottom, where the descender of "y" reaches. Every label takes
// the scale of the English "day", so that all words are set at one size
// (English itself keeps the scale of its own word).
double LabelScale(const Bounds& ink) { return (kLabelBottom - kBodyTop - 2 * kRoundness) / (ink.y1 - ink.y0); }

struct LabelSetting {
  double sy, y0;  // scale, and the ink top it maps to the body's top
};

LabelSetting SettingOf(const std::string& word) {
  const Bounds ink = InkBounds(TheFont().Shape(word));
  return {LabelScale(ink), ink.y0};
}

Image SetLabel(const std::vector<Glyph>& glyphs, const LabelSetting& setting, int width, int k,
               double roundness = kRoundness) {
  const Bounds natural = InkBounds(glyphs);
  Placement at{};
  at.roundness = roundness;
  at.sy = setting.sy;
  at.oy = kBodyTop + kRoundness - setting.y0 * at.sy;
  at.sx = at.sy * kLabelStretch;
  // Whatever width is left over after the slight stretch goes between the
  // letters, so that the word fills its box like the digits fill theirs. A
  // word too long for its box keeps its own spacing and is narrowed instead.
  const double left = kLeftMargin + kRoundness, right = width - kRightMargin - kRoundness;
  const double gaps = static_cast<double>(glyphs.size() - 1);
  at.tracking = gaps > 0 ? ((right - left) / at.sx - (natural.x1 - natural.x0)) / gaps : 0;
  if (at.tracking < 0) {
    at.tracking = 0;
    at.sx = (right - left) / (natural.x1 - natural.x0);
  }
  const Bounds spaced = InkBounds(glyphs, at.tracking);
  at.ox = left - spaced.x0 * at.sx;
  return RenderLettering(glyphs, at, width, k);
}

}  // namespace

cairo_font_face_t* CaptionFace() {
  static const Font font(kCaptionFontFile);
  return font.CairoFace();
}

Image DrawDigit(int digit, int k) {
  if (digit < 0 || digit > 9) throw std::out_of_range("digits are 0 to 9");
  // All digits share one height and baseline, taken from the tallest ink
  // (the round digits overshoot the flat ones slightly, as they should).
  static const Bounds all = [] {
    Bounds b;
    for (char c = '0'; c <= '9'; ++c) {
      const Bounds g = InkBounds(TheFont().Shape(std::string(1, c)));
      b.Add({g.x0, g.y0});
      b.Add({g.x1, g.y1});
    }
    return b;
  }();
  const int width = kDigitWidths[digit];
  const std::vector<Glyph> glyph = TheFont().Shape(std::string(1, static_cast<char>('0' + digit)));
  const Bounds ink = InkBounds(glyph);
  Placement at{};
  at.sy = (kBodyBottom - kBodyTop - 2 * kRoundness) / (all.y1 - all.y0);
  at.oy = kBodyTop + kRoundness - all.y0 * at.sy;
  // Horizontally each digit fills its own box, within limits: a digit that
  // would have to stretch further keeps its shape and sits centred, and the
  // narrow box of the footed "1" lends it a pixel of the shadow's room.
  const double natural = (ink.x1 - ink.x0) * at.sy;
  double left = kLeftMargin + kRoundness, right = width - kRightMargin - kRoundness;
  if ((right - left) / natural < kMinSqueeze) right += kNarrowBoxAllowance;
  const double ratio = std::min((right - left) / natural, kMaxStretch);
  at.sx = at.sy * ratio;
  const double spare = (right - left) - natural * ratio;
  at.ox = left + spare / 2 - ink.x0 * at.sx;
  return RenderLettering(glyph, at, width, k);
}

Image DrawLabel(const std::string& word, int width, int k) {
  const std::vector<Glyph> glyphs = TheFont().Shape(word);
  const Bounds natural = InkBounds(glyphs);
  return SetLabel(glyphs, {LabelScale(natural), natural.y0}, width, k);
}

int TranslatedLabelWidth(const std::string& word) {
  // The spacing of "days" in its box, in outline units.
  const std::vector<Glyph> days = TheFont().Shape(kPluralWord);
  const Bounds days_ink = InkBounds(days);
  const double sx = LabelScale(days_ink) * kLabelStretch;
  const double left = kLeftMargin + kRoundness, margins = left + kRightMargin + kRoundness;
  const double tracking =
      ((kPluralWidth - margins) / sx - (days_ink.x1 - days_ink.x0)) / static_cast<double>(days.size() - 1);
  // This word with that spacing, at the English size.
  const std::vector<Glyph> glyphs = TheFont().Shape(word);
  const Bounds ink = InkBounds(glyphs, tracking);
  const double word_sx = SettingOf("day").sy * kLabelStretch;
  const int width = static_cast<int>(std::ceil((ink.x1 - ink.x0) * word_sx + margins));
  return std::min(width, kPluralWidth);
}

Image DrawTranslatedLabel(const std::string& word, int k) {
  // Set at the size of the English "day", whatever the word's own letters
  // reach up or down to (a Cyrillic "д" has a descender, "Tag" has none).
  return SetLabel(TheFont().Shape(word), SettingOf("day"), TranslatedLabelWidth(word), k, kTranslatedRoundness);
}

}  // namespace artgen
