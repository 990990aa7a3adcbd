// Draws Glimmerdome's icon from the globe's pictures: the still layers of a
// frame (the globe, the sky at its start position, the stars, the landscape,
// the cabin and the glass front), cut to the window's outline as on the
// desktop. At 256 x 256 the globe sits in the middle without scaling, so every
// pixel of the icon is a pixel of the globe; smaller icons scale it by area
// averaging, fill more of their square the smaller they are, and are
// sharpened below 64 pixels so that the cabin and the plaque stay readable.
//
// Usage: glimmer_icon OUTPUT.png     the 256 x 256 icon of Linux desktops
//        glimmer_icon OUTPUT.ico     the Windows program's icon: 256, 64, 48,
//                                    32, 24 and 16 pixels, each stored as a
//                                    PNG inside the .ico, as Windows Vista
//                                    and later read them
//        glimmer_icon --theme DIR    the icon theme's sizes below 256 as
//                                    DIR/NxN/apps/glimmerdome.png, and twice
//                                    as many pixels for HiDPI screens as
//                                    DIR/NxN@2/apps/glimmerdome.png
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/base_layer.h"
#include "app/window_shape.h"
#include "images/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/png_writer.h"
#include "scene/blend.h"

namespace {

constexpr uint32_t kIconSize = 256;
// The sizes Windows shows a program's icon at.
constexpr uint32_t kWindowsIconSizes[] = {256, 64, 48, 32, 24, 16};
// The icon theme's sizes below 256 (the 256 x 256 icon is written on its own).
constexpr uint32_t kThemeIconSizes[] = {16, 24, 32, 48, 64, 128};

// The globe at `size` x `size`. From 64 pixels up it keeps the proportions of
// the 256 x 256 icon; below that it fills the square but for a thin margin,
// as small icons should. Each new pixel is the average of the old ones it
// covers, weighted by how much of each it covers, with colours premultiplied
// so that transparent pixels lend none.
gd::RgbaImage IconAt(const gd::RgbaImage& globe, uint32_t size) {
  const double h = size >= 64 ? std::round(static_cast<double>(size) * globe.height / kIconSize)
                              : static_cast<double>(size - 2 * (size / 24));
  const double scale = h / globe.height;  // new pixels for one old pixel
  const double ox = std::floor((size - globe.width * scale) / 2), oy = std::floor((size - h) / 2);
  // For each new column (or row), the old ones it covers and by how much.
  auto covers = [scale](double offset, uint32_t from, uint32_t count) {
    std::vector<std::vector<std::pair<uint32_t, double>>> cover(count);
    for (uint32_t i = 0; i < count; ++i) {
      const double begin = (i - offset) / scale, end = (i + 1 - offset) / scale;
      for (auto s = static_cast<int64_t>(std::floor(begin)); s < end; ++s) {
        if (s < 0 || s >= static_cast<int64_t>(from)) continue;
        const double part = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
        if (part > 0) cover[i].push_back({static_cast<uint32_t>(s), part * scale});
      }
    }
    return cover;
  };
  const auto columns = covers(ox, globe.width, size), rows = covers(oy, globe.height, size);
  // Premultiplied, 0..1.
  std::vector<double> pre(static_cast<size_t>(size) * size * 4, 0.0);
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) {
      double* o = &pre[(static_cast<size_t>(y) * size + x) * 4];
      for (auto [sy, wy] : rows[y])
        for (auto [sx, wx] : columns[x]) {
          const uint8_t* p = &globe.pixels[(static_cast<size_t>(sy) * globe.width + sx) * 4];
          const double w = wx * wy, a = p[3] / 255.0;
          for (int c = 0; c < 3; ++c) o[c] += w * a * p[c] / 255.0;
          o[3] += w * a;
        }
    }
  // Small icons lose their edges to the averaging: an unsharp mask on the
  // colours gives them back, while the outline keeps its smooth alpha.
  if (size < 64) {
    const double amount = size <= 32 ? 0.8 : 0.5;
    std::vector<double> sharp = pre;
    for (uint32_t y = 0; y < size; ++y)
      for (uint32_t x = 0; x < size; ++x) {
        double* o = &sharp[(static_cast<size_t>(y) * size + x) * 4];
        if (o[3] <= 0) continue;
        for (int c = 0; c < 3; ++c) {
          double sum = 0;
          int n = 0;
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
              const int nx = static_cast<int>(x) + dx, ny = static_cast<int>(y) + dy;
              if (nx < 0 || ny < 0 || nx >= static_cast<int>(size) || ny >= static_cast<int>(size)) continue;
              const double* q = &pre[(static_cast<size_t>(ny) * size + nx) * 4];
              if (q[3] <= 0) continue;  // the outside lends no colour
              sum += q[c] / q[3];
              ++n;
            }
          const double straight = o[c] / o[3];
          o[c] = std::clamp(straight + amount * (straight - sum / n), 0.0, 1.0) * o[3];
        }
      }
    pre = std::move(sharp);
  }
  gd::RgbaImage out;
  out.width = out.height = size;
  out.pixels.resize(static_cast<size_t>(size) * size * 4);
  for (size_t i = 0; i < pre.size(); i += 4) {
    const double a = std::min(1.0, pre[i + 3]);
    for (int c = 0; c < 3; ++c)
      out.pixels[i + c] = a > 0 ? static_cast<uint8_t>(std::lround(std::min(1.0, pre[i + c] / a) * 255)) : 0;
    out.pixels[i + 3] = static_cast<uint8_t>(std::lround(a * 255));
  }
  return out;
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// An .ico file: a directory of the entries, then each entry's PNG.
std::vector<uint8_t> IcoFile(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& entries) {
  std::vector<uint8_t> out;
  PutLE(out, 0, 2);  // reserved
  PutLE(out, 1, 2);  // an icon, not a cursor
  PutLE(out, static_cast<uint32_t>(entries.size()), 2);
  auto offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const auto& [size, png] : entries) {
    out.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size));  // 0 stands for 256
    out.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size));
    out.push_back(0);   // no palette
    out.push_back(0);   // reserved
    PutLE(out, 1, 2);   // colour planes
    PutLE(out, 32, 2);  // bits a pixel
    PutLE(out, static_cast<uint32_t>(png.size()), 4);
    PutLE(out, offset, 4);
    offset += static_cast<uint32_t>(png.size());
  }
  for (const auto& entry : entries) out.insert(out.end(), entry.second.begin(), entry.second.end());
  return out;
}

bool WriteIco(const std::string& path, const gd::RgbaImage& globe, std::string* error) {
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> entries;
  for (uint32_t size : kWindowsIconSizes) entries.push_back({size, gd::EncodePng(IconAt(globe, size))});
  const std::vector<uint8_t> bytes = IcoFile(entries);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

bool WriteTheme(const std::string& dir, const gd::RgbaImage& globe, std::string* error) {
  for (uint32_t size : kThemeIconSizes)
    for (uint32_t factor : {1u, 2u}) {
      const std::string n = std::to_string(size), sub = dir + "/" + n + "x" + n + (factor == 2 ? "@2" : "") + "/apps";
      std::error_code ec;
      std::filesystem::create_directories(sub, ec);
      if (ec) {
        *error = "cannot make " + sub + ": " + ec.message();
        return false;
      }
      if (!gd::WritePng(sub + "/glimmerdome.png", IconAt(globe, size * factor), error)) return false;
    }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gd;
  const bool theme = argc == 3 && std::string_view(argv[1]) == "--theme";
  if (argc != 2 && !theme) {
    std::fprintf(stderr, "usage: glimmer_icon OUTPUT.png|OUTPUT.ico|--theme DIR\n");
    return 2;
  }
  try {
    const SceneCatalogue& catalogue = SceneCatalogue::Embedded();
    const SceneImage* tree = catalogue.FindSceneImage("imgTree");
    const SceneImage* mask = catalogue.FindSceneImage("imgMask");
    if (!tree || !tree->png || !mask || !mask->bitmap) {
      std::fprintf(stderr, "glimmer_icon: the globe pictures are missing\n");
      return 1;
    }
    // The base layer, then the layers that do not move, in the frame's order.
    FrameBuffer frame = tree->png->ToBitmap();
    CopyPngAlpha(frame, *tree->png);
    Premultiply(frame);
    struct Layer {
      const char* name;
      int x, y;
    };
    for (const Layer& layer : {Layer{"imgDay", 45, -340}, Layer{"imgStars", 0, 0}, Layer{"imgLandscape", 0, 0},
                               Layer{"imgHome", 0, 0}, Layer{"img3", 0, 0}})
      if (const SceneImage* image = catalogue.FindSceneImage(layer.name)) BlendImage(frame, *image, layer.x, layer.y);
    const RgbaImage picture = FrameToRgba(frame, 255);
    const Region region = RegionFromMask(*mask->bitmap);
    // The outline's bounding box.
    int left = picture.width, top = picture.height, right = -1, bottom = -1;
    for (const Rect& r : region.Rectangles()) {
      left = std::min(left, r.left);
      top = std::min(top, r.top);
      right = std::max(right, r.right - 1);
      bottom = std::max(bottom, r.bottom - 1);
    }
    const int w = right - left + 1, h = bottom - top + 1;
    if (right < 0 || w > static_cast<int>(kIconSize) || h > static_cast<int>(kIconSize)) {
      std::fprintf(stderr, "glimmer_icon: the globe's outline (%d x %d) does not fit the icon\n", w, h);
      return 1;
    }
    // The globe inside its outline, on a transparent box just large enough.
    RgbaImage globe;
    globe.width = static_cast<uint32_t>(w);
    globe.height = static_cast<uint32_t>(h);
    globe.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        if (!region.Contains(x, y)) continue;
        const uint8_t* s = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
        std::copy(s, s + 4, &globe.pixels[(static_cast<size_t>(y - top) * w + (x - left)) * 4]);
      }
    }
    std::string error;
    const std::string path = argv[argc - 1];
    const bool ico = path.size() >= 4 && path.compare(path.size() - 4, 4, ".ico") == 0;
    const bool ok = theme ? WriteTheme(path, globe, &error)
                    : ico ? WriteIco(path, globe, &error)
                          : WritePng(path, IconAt(globe, kIconSize), &error);
    if (!ok) {
      std::fprintf(stderr, "glimmer_icon: %s\n", error.c_str());
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "glimmer_icon: %s\n", e.what());
    return 1;
  }
}
