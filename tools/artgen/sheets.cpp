#include "sheets.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "art.h"
#include "canvas.h"

namespace artgen {
namespace {

// ---- Scene composition, as the window composes a frame ---------------------

constexpr int kStripX = 45;
constexpr int kCountdownPen = 105, kCountdownRow = 187, kDigitOverlap = 2, kLabelGap = 8;

// A frame under construction: premultiplied red, green, blue and alpha bytes.
struct Frame {
  int width, height;
  std::vector<uint8_t> px;
  uint8_t* At(int x, int y) { return &px[(static_cast<size_t>(y) * width + x) * 4]; }
};

Frame BaseFrame(const Image& tree) {
  Frame f{tree.width, tree.height, std::vector<uint8_t>(tree.rgba.size())};
  for (size_t i = 0; i < tree.rgba.size(); i += 4) {
    const unsigned a = tree.rgba[i + 3];
    for (int k = 0; k < 3; ++k) f.px[i + k] = static_cast<uint8_t>(tree.rgba[i + k] * a / 255);
    f.px[i + 3] = static_cast<uint8_t>(a);
  }
  return f;
}

// The window's blend: colour only, alpha byte untouched.
void Blend(Frame& f, const Image& img, int x, int y) {
  for (int j = 0; j < img.height; ++j) {
    if (y + j < 0 || y + j >= f.height) continue;
    for (int i = 0; i < img.width; ++i) {
      if (x + i < 0 || x + i >= f.width) continue;
      const uint8_t* s = img.At(i, j);
      uint8_t* d = f.At(x + i, y + j);
      const unsigned a = s[3];
      for (int k = 0; k < 3; ++k) d[k] = static_cast<uint8_t>((s[k] * a + d[k] * (255 - a) + 255) >> 8);
    }
  }
}

void DrawCountdown(Frame& f, const Catalogue& c, int count, int k) {
  if (count < 0 || count >= 368) return;
  const std::string text = std::to_string(count);
  int shift = text.size() == 2 ? -4 : text.size() == 3 ? -9 : 0;
  if (text == "1") shift = 10;
  int pen = kCountdownPen;
  for (char ch : text) {
    const Image& digit = c.Find(std::string("d") + ch);
    Blend(f, digit, (shift + pen) * k, kCountdownRow * k);
    pen += digit.width / k - kDigitOverlap;
  }
  pen += kLabelGap;
  Blend(f, c.Find(text == "1" ? "imgDDay" : "imgDays"), (shift + pen) * k, kCountdownRow * k);
}

// A few flakes per layer, inside the glass as the snowfall's hexagon allows.
void DrawFlakes(Frame& f, const Catalogue& c, int layer, int count, uint32_t seed, int k) {
  struct Layer {
    int x_span, y_span, bottom;
    double a, b, far;
    const char *small, *large;
  };
  static const Layer kLayers[] = {{196, 147, 160, 90, 73, 305, "Snow1", "Snow2"},
                                  {192, 137, 150, 91, 74, 303, "Snow3", "Snow4"},
                                  {192, 167, 180, 91, 74, 303, "Snow5", "Snow6"}};
  const Layer& L = kLayers[layer - 1];
  Dice dice(seed);
  int drawn = 0;
  while (drawn < count) {
    const double x = 47 + std::floor(dice.Unit() * L.x_span), y = 13 + dice.Unit() * L.y_span;
    const bool large = dice.Unit() < 0.5;
    const bool inside = x + y / 2 > L.a && y + x / 2 > L.b && x / 2 - y < 70 && x - y / 2 < 195 &&
                        x - y / 2 > -18 && x + y / 2 < L.far;
    if (!inside || y >= L.bottom) continue;
    Blend(f, c.Find(large ? L.large : L.small), static_cast<int>(std::nearbyint(x)) * k, static_cast<int>(std::nearbyint(y)) * k);
    ++drawn;
  }
}

// Shows the frame as the desktop would: only inside the window's shape, over
// a plain desktop colour, with the frame's premultiplied alpha.
Image Present(Frame& f, const Image& mask) {
  Image out(f.width, f.height);
  for (int y = 0; y < f.height; ++y) {
    const double t = static_cast<double>(y) / f.height;
    const int bg[3] = {static_cast<int>(86 - 30 * t), static_cast<int>(98 - 32 * t), static_cast<int>(118 - 36 * t)};
    for (int x = 0; x < f.width; ++x) {
      const uint8_t* m = mask.At(x, y);
      const bool inside = !(m[0] == 255 && m[1] == 255 && m[2] == 255);
      const uint8_t* p = f.At(x, y);
      uint8_t rgb[3];
      for (int k = 0; k < 3; ++k)
        rgb[k] = inside ? static_cast<uint8_t>(std::min(255, p[k] + bg[k] * (255 - p[3]) / 255)) : static_cast<uint8_t>(bg[k]);
      out.Set(x, y, rgb[0], rgb[1], rgb[2], 255);
    }
  }
  return out;
}

// ---- Contact sheet ---------------------------------------------------------

constexpr int kSheetWidth = 1290;
constexpr int kMargin = 12;
constexpr int kCaptionHeight = 16;
constexpr int kChecker = 8;
constexpr int kMinTileWidth = 64;  // room for the caption

struct Tile {
  std::string caption;
  const Image* image;
  int scale;
};

void Caption(cairo_t* cr, double x, double y, const std::string& text) {
  cairo_set_font_face(cr, CaptionFace());
  cairo_set_font_size(cr, 11);
  cairo_set_source_rgb(cr, 0.9, 0.92, 0.95);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

// Puts a picture onto the sheet at (x, y), scaled up by whole pixels, over
// a dark checkerboard so that white and transparent parts both show.
void Place(Image& sheet, const Image& img, int x0, int y0, int scale) {
  for (int y = 0; y < img.height * scale; ++y) {
    for (int x = 0; x < img.width * scale; ++x) {
      const int sx = x0 + x, sy = y0 + y;
      if (sx >= sheet.width || sy >= sheet.height) continue;
      const bool light = ((x / kChecker) + (y / kChecker)) % 2 == 0;
      const int bg = light ? 74 : 52;
      const uint8_t* p = img.At(x / scale, y / scale);
      const int a = p[3];
      uint8_t rgb[3];
      for (int k = 0; k < 3; ++k) rgb[k] = static_cast<uint8_t>((p[k] * a + bg * (255 - a) + 127) / 255);
      sheet.Set(sx, sy, rgb[0], rgb[1], rgb[2], 255);
    }
  }
}

}  // namespace

const Image& Catalogue::Find(const std::string& name) const {
  for (const auto& [n, img] : pictures)
    if (n == name) return img;
  if (name == "imgMask") return mask;
  throw std::runtime_error("no picture named " + name);
}

std::vector<ScenePreview> PreviewScenes() {
  // Positions follow the sky cycle: the moon rises at offset -449 of the
  // night half from (30, 100) and moves one pixel up and right every five
  // steps; the setting sun starts at -1000 from (95, -20) moving down and
  // right; the rising sun starts at -350 of the day half from (20, 100).
  return {
      {"scene-night", -60, true, true, 1, 283, 168, true, 4, 5, 107, 23, 24, {60, 40, 8}},
      {"scene-dawn", -470, true, false, 1, 44, 76, false, 0, 0, 0, 0, 1, {60, 40, 8}},
      {"scene-day", -900, true, false, 1, 130, -10, false, 0, 0, 0, 0, 365, {60, 40, 8}},
      {"scene-dusk", -520, true, true, 1, 191, 76, false, 0, 0, 0, 0, 7, {60, 40, 8}},
  };
}

Image ComposeScene(const Catalogue& c, const ScenePreview& s, int k) {
  Frame f = BaseFrame(c.Find("imgTree"));
  Blend(f, c.Find("imgDay"), kStripX * k, s.sky_offset * k);
  Blend(f, c.Find("imgStars"), 0, 0);
  if (s.sun_visible)
    Blend(f, c.Find((s.sun_setting ? "sundown" : "sun") + std::to_string(s.sun_frame)), s.sun_x * k, s.sun_y * k);
  if (s.moon_visible)
    Blend(f, c.Find("moon" + std::to_string(s.moon_phase) + "_" + std::to_string(s.moon_frame)), s.moon_x * k,
          s.moon_y * k);
  Blend(f, c.Find("imgLandscape"), 0, 0);
  DrawFlakes(f, c, 1, s.flakes[0], 11, k);
  Blend(f, c.Find("imgHome"), 0, 0);
  DrawFlakes(f, c, 2, s.flakes[1], 22, k);
  DrawFlakes(f, c, 3, s.flakes[2], 33, k);
  Blend(f, c.Find("img3"), 0, 0);
  DrawCountdown(f, c, s.day_count, k);
  return Present(f, c.mask);
}

Image ContactSheet(const Catalogue& c) {
  std::vector<Tile> tiles;
  for (const auto& [name, img] : c.pictures) {
    if (name == "imgDay") continue;  // placed on its own, down the left side
    int scale = 1;
    if (img.width <= 7) scale = 8;
    else if (img.height == 20) scale = 3;
    tiles.push_back({scale > 1 ? name + " x" + std::to_string(scale) : name, &img, scale});
    if (name == "imgTree") tiles.push_back({"imgMask", &c.mask, 1});
  }
  // Flow the tiles in rows to the right of the sky strip.
  const Image& strip = c.Find("imgDay");
  const int x_start = kMargin * 2 + strip.width;
  struct Spot {
    int x, y;
  };
  std::vector<Spot> spots;
  int x = x_start, y = kMargin, row_height = 0;
  // Pictures of one kind share a row: same scale, and at scale 1 the same height.
  auto group = [](const Tile& t) { return t.scale * 10000 + (t.scale == 1 ? t.image->height : 0); };
  for (size_t i = 0; i < tiles.size(); ++i) {
    const Tile& t = tiles[i];
    const int w = std::max(t.image->width * t.scale, kMinTileWidth), h = t.image->height * t.scale + kCaptionHeight;
    const bool new_group = i > 0 && group(t) != group(tiles[i - 1]);
    if (x + w > kSheetWidth - kMargin || (new_group && x > x_start)) {
      x = x_start;
      y += row_height + kMargin;
      row_height = 0;
    }
    spots.push_back({x, y});
    x += w + kMargin;
    row_height = std::max(row_height, h);
  }
  const int height = std::max(y + row_height + kMargin, strip.height + kCaptionHeight + 2 * kMargin);

  Image sheet(kSheetWidth, height);
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < kSheetWidth; ++i) sheet.Set(i, j, 30, 33, 40, 255);
  Place(sheet, strip, kMargin, kMargin + kCaptionHeight, 1);
  for (size_t i = 0; i < tiles.size(); ++i)
    Place(sheet, *tiles[i].image, spots[i].x, spots[i].y + kCaptionHeight, tiles[i].scale);

  // Captions, drawn with cairo onto the finished sheet.
  CairoLayer text(kSheetWidth, height);
  Caption(text.cr(), kMargin, kMargin + 11, "imgDay");
  for (size_t i = 0; i < tiles.size(); ++i) Caption(text.cr(), spots[i].x, spots[i].y + 11, tiles[i].caption);
  const Canvas captions = text.ToCanvas();
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < kSheetWidth; ++i) {
      const Pixel& p = captions.At(i, j);
      if (p.a <= 0) continue;
      uint8_t* d = sheet.At(i, j);
      d[0] = static_cast<uint8_t>(std::lround(p.r * 255 + d[0] * (1 - p.a)));
      d[1] = static_cast<uint8_t>(std::lround(p.g * 255 + d[1] * (1 - p.a)));
      d[2] = static_cast<uint8_t>(std::lround(p.b * 255 + d[2] * (1 - p.a)));
    }
  }
  return sheet;
}

}  // namespace artgen
