// The window's content from the core's frames, and the shapes and bands that
// go with it: plain pixel work that the desktop backends share.
#include "platform/shared/window_content.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <tuple>

namespace gd {

namespace {

// x * y / 255, rounded to the nearest, as cairo and pixman round.
uint32_t MulDiv255(uint32_t x, uint32_t y) {
  const uint32_t t = x * y + 128;
  return (t + (t >> 8)) >> 8;
}

// One pixel of the window: a frame pixel (blue, green, red, premultiplied alpha
// bytes) at the constant alpha, over the background, as a cairo ARGB32 word.
uint32_t WindowWord(const uint8_t* p, uint32_t constantAlpha, bool composited) {
  uint32_t b = MulDiv255(p[0], constantAlpha), g = MulDiv255(p[1], constantAlpha);
  uint32_t r = MulDiv255(p[2], constantAlpha), a = MulDiv255(p[3], constantAlpha);
  if (!composited) {
    // A colour above its alpha (not premultiplied) saturates, as in cairo.
    const uint32_t grey = MulDiv255(kFallbackGrey, 255 - a);
    b = std::min(b + grey, 255u);
    g = std::min(g + grey, 255u);
    r = std::min(r + grey, 255u);
    a = 255;
  }
  return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

std::pair<int, int> DifferingStretch(const unsigned char* a, const unsigned char* b, int from, int to) {
  constexpr int kBlock = 16;  // pixels, one cache line
  const auto same = [&](int x, int n) { return std::memcmp(a + x * 4, b + x * 4, static_cast<size_t>(n) * 4) == 0; };
  int first = from;
  while (first < to) {
    const int n = std::min(kBlock, to - first);
    if (!same(first, n)) break;
    first += n;
  }
  if (first >= to) return {to, to};
  while (same(first, 1)) ++first;
  int last = to;  // one past
  while (last > first) {
    const int n = std::min(kBlock, last - first);
    if (!same(last - n, n)) break;
    last -= n;
  }
  while (same(last - 1, 1)) --last;
  return {first, last};
}

bool InsideSpans(const Region& region, int height, std::vector<std::pair<int, int>>* spans) {
  spans->assign(std::max(height, 0), {0, 0});
  // The region's rectangles hold one unbroken run of each row they cross.
  for (const Rect& r : region.Rectangles()) {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y) {
      auto& [from, to] = (*spans)[y];
      if (from == to) {
        from = std::max(r.left, 0);
        to = r.right;
      } else if (r.left == to) {
        to = r.right;
      } else if (r.right == from) {
        from = std::max(r.left, 0);
      } else {
        return false;
      }
    }
  }
  return true;
}

Rect UpdateWindowContent(const FrameBuffer& frame, uint8_t constantAlpha, bool composited, unsigned char* data,
                         int stride, bool fresh, const std::vector<std::pair<int, int>>* inside,
                         const RowStretches* within) {
  const int width = frame.width, height = frame.height;
  if (fresh || (within && within->size() != static_cast<size_t>(height))) within = nullptr;
  // Composited at full opacity on a little-endian machine, the frame's bytes
  // are the window's bytes; otherwise each row is worked out word by word.
  const bool asIs = composited && constantAlpha == 255 && std::endian::native == std::endian::little;
  std::vector<uint32_t> words(asIs ? 0 : static_cast<size_t>(width));
  Rect box;
  for (int y = 0; y < height; ++y) {
    // The part of the row that is looked at: its stretch inside the outline,
    // or all of it, within its stretch of `within`.
    int from = within ? std::max((*within)[y].first, 0) : 0, to = within ? std::min((*within)[y].second, width) : width;
    if (inside) {
      if (y >= static_cast<int>(inside->size())) continue;
      from = std::max(from, (*inside)[y].first);
      to = std::min(to, (*inside)[y].second);
    }
    if (from >= to) continue;
    const uint8_t* src = frame.Row(y);
    if (!asIs) {
      for (int x = from; x < to; ++x) words[x] = WindowWord(src + x * 4, constantAlpha, composited);
      src = reinterpret_cast<const uint8_t*>(words.data());
    }
    unsigned char* dst = data + static_cast<size_t>(y) * stride;
    // Told where the frame changed, the pixels there are taken as they are:
    // looking for the few that stayed would cost more than copying them.
    if (!fresh && !within) std::tie(from, to) = DifferingStretch(dst, src, from, to);
    if (from >= to) continue;
    // (In place, the frame's bytes are the window's already.)
    if (dst != src) std::memcpy(dst + from * 4, src + from * 4, static_cast<size_t>(to - from) * 4);
    box = box.United(Rect{from, y, to, y + 1});
  }
  return fresh ? Rect{0, 0, width, height} : box;
}

Rect SettleComposedContent(unsigned char* data, int stride, int width, int height,
                           const std::vector<std::pair<int, int>>* inside, const RowStretches* within) {
  if (within && within->size() != static_cast<size_t>(height)) within = nullptr;
  Rect box;
  for (int y = 0; y < height; ++y) {
    const int from = within ? std::max((*within)[y].first, 0) : 0, to = within ? std::min((*within)[y].second, width) : width;
    if (from >= to) continue;
    box = box.United(Rect{from, y, to, y + 1});
    if (!inside) continue;
    // Outside the outline the content stays transparent, as when copied.
    unsigned char* row = data + static_cast<size_t>(y) * stride;
    const auto [in, out] = y < static_cast<int>(inside->size()) ? (*inside)[y] : std::pair<int, int>{0, 0};
    const auto clear = [&](int b, int e) {
      if (b < e) std::memset(row + b * 4, 0, static_cast<size_t>(e - b) * 4);
    };
    if (in >= out) {
      clear(from, to);
    } else {
      clear(from, std::min(to, in));
      clear(std::max(from, out), to);
    }
  }
  return box;
}

void UploadRectangles(const RowStretches& rows, int width, const std::vector<std::pair<int, int>>* inside,
                      std::vector<Rect>* bands) {
  // One more upload costs the server and a compositor about as much as this
  // many pixels more in one (measured under Xvfb and picom).
  constexpr long kUploadCostPixels = 400;
  constexpr size_t kMostRectangles = 32;
  std::vector<Rect>& out = *bands;
  out.clear();
  Rect band;
  for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
    int from = std::max(rows[y].first, 0), to = std::min(rows[y].second, width);
    if (inside) {
      const auto [in, end] = y < static_cast<int>(inside->size()) ? (*inside)[y] : std::pair<int, int>{0, 0};
      from = std::max(from, in);
      to = std::min(to, end);
    }
    if (from >= to) {
      if (!band.Empty()) out.push_back(band);
      band = Rect{};
      continue;
    }
    const Rect row{from, y, to, y + 1};
    if (band.Empty()) {
      band = row;
      continue;
    }
    const Rect merged = band.United(row);
    const auto area = [](const Rect& r) { return static_cast<long>(r.right - r.left) * (r.bottom - r.top); };
    if (area(merged) <= area(band) + (to - from) + kUploadCostPixels) {
      band = merged;
    } else {
      out.push_back(band);
      band = row;
    }
  }
  if (!band.Empty()) out.push_back(band);
  if (out.size() > kMostRectangles) {
    Rect all;
    for (const Rect& r : out) all = all.United(r);
    out.assign(1, all);
  }
}

Region ScaledDownRegion(const Region& region, int scale) {
  return scale <= 1 ? region : RegionInUnits(region, scale);
}

Region RegionInUnits(const Region& region, double unit) {
  const Rect& b = region.Bounds();
  if (b.Empty() || unit <= 0) return region;
  const int w = b.right - b.left, h = b.bottom - b.top;
  std::vector<uint8_t> inside(static_cast<size_t>(w) * h, 1);
  for (const Rect& cut : region.Cuts())
    for (int y = std::max(cut.top, b.top); y < std::min(cut.bottom, b.bottom); ++y)
      for (int x = std::max(cut.left, b.left); x < std::min(cut.right, b.right); ++x)
        inside[static_cast<size_t>(y - b.top) * w + (x - b.left)] = 0;
  // The device pixels a unit covers, wholly or in part.
  const auto first = [unit](int u) { return static_cast<int>(std::floor(u * unit + 1e-9)); };
  const auto end = [unit](int u) { return static_cast<int>(std::ceil((u + 1) * unit - 1e-9)); };
  const auto unitOf = [unit](int v) { return static_cast<int>(std::floor(v / unit + 1e-9)); };
  const Rect units{unitOf(b.left), unitOf(b.top), unitOf(b.right - 1) + 1, unitOf(b.bottom - 1) + 1};
  const auto any = [&](int ux, int uy) {
    for (int y = std::max(first(uy), b.top); y < std::min(end(uy), b.bottom); ++y)
      for (int x = std::max(first(ux), b.left); x < std::min(end(ux), b.right); ++x)
        if (inside[static_cast<size_t>(y - b.top) * w + (x - b.left)]) return true;
    return false;
  };
  Region out(units);
  for (int uy = units.top; uy < units.bottom; ++uy) {
    int runStart = -1;
    for (int ux = units.left; ux <= units.right; ++ux) {
      const bool outside = ux < units.right && !any(ux, uy);
      if (outside && runStart < 0) runStart = ux;
      if (!outside && runStart >= 0) {
        out.Subtract(Rect{runStart, uy, ux, uy + 1});
        runStart = -1;
      }
    }
  }
  return out;
}

}  // namespace gd
