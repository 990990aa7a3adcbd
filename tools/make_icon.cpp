// Draws Glimmerdome's icon from the globe's pictures: the still layers of a
// frame (the globe, the sky at its start position, the stars, the landscape,
// the cabin and the glass front), cut to the window's outline as on the
// desktop and centred on a transparent 256 x 256 square. The globe fits
// without scaling, so every pixel of the icon is a pixel of the globe.
//
// Usage: glimmer_icon OUTPUT.png   the icon of Linux desktops
//        glimmer_icon OUTPUT.ico   the Windows program's icon: the square and
//                                  smaller sizes scaled from it by area
//                                  averaging, each stored as a PNG inside the
//                                  .ico, as Windows Vista and later read them
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/base_layer.h"
#include "app/window_shape.h"
#include "images/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/png_writer.h"
#include "scene/blend.h"

namespace {

constexpr int kIconSize = 256;
// The sizes Windows shows a program's icon at.
constexpr uint32_t kWindowsIconSizes[] = {256, 64, 48, 32, 24, 16};

// Scales a square picture down to `size` by area averaging: each new pixel is
// the average of the old ones it covers, weighted by how much of each it
// covers, with colours premultiplied so that transparent pixels lend none.
gd::RgbaImage Downscale(const gd::RgbaImage& picture, uint32_t size) {
  const uint32_t from = picture.width;
  if (size == from) return picture;
  // For each new column (or row), the old ones it covers and by how much.
  std::vector<std::vector<std::pair<uint32_t, double>>> cover(size);
  const double scale = static_cast<double>(from) / size;
  for (uint32_t i = 0; i < size; ++i) {
    const double begin = i * scale, end = (i + 1) * scale;
    for (auto s = static_cast<uint32_t>(std::floor(begin)); s < end && s < from; ++s) {
      const double part = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
      if (part > 0) cover[i].push_back({s, part / scale});
    }
  }
  gd::RgbaImage out;
  out.width = out.height = size;
  out.pixels.resize(static_cast<size_t>(size) * size * 4);
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) {
      double sum[4] = {0, 0, 0, 0};
      for (auto [sy, wy] : cover[y])
        for (auto [sx, wx] : cover[x]) {
          const uint8_t* p = &picture.pixels[(static_cast<size_t>(sy) * from + sx) * 4];
          const double w = wx * wy, a = p[3] / 255.0;
          for (int c = 0; c < 3; ++c) sum[c] += w * p[c] * a;
          sum[3] += w * p[3];
        }
      uint8_t* o = &out.pixels[(static_cast<size_t>(y) * size + x) * 4];
      const double a = sum[3] / 255.0;
      for (int c = 0; c < 3; ++c) o[c] = a > 0 ? static_cast<uint8_t>(std::lround(std::min(255.0, sum[c] / a))) : 0;
      o[3] = static_cast<uint8_t>(std::lround(std::min(255.0, sum[3])));
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

bool WriteIco(const std::string& path, const gd::RgbaImage& icon, std::string* error) {
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> entries;
  for (uint32_t size : kWindowsIconSizes) entries.push_back({size, gd::EncodePng(Downscale(icon, size))});
  const std::vector<uint8_t> bytes = IcoFile(entries);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gd;
  if (argc != 2) {
    std::fprintf(stderr, "usage: glimmer_icon OUTPUT.png|OUTPUT.ico\n");
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
    if (right < 0 || w > kIconSize || h > kIconSize) {
      std::fprintf(stderr, "glimmer_icon: the globe's outline (%d x %d) does not fit the icon\n", w, h);
      return 1;
    }
    RgbaImage icon;
    icon.width = icon.height = kIconSize;
    icon.pixels.assign(static_cast<size_t>(kIconSize) * kIconSize * 4, 0);
    const int dx = (kIconSize - w) / 2 - left, dy = (kIconSize - h) / 2 - top;
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        if (!region.Contains(x, y)) continue;
        const uint8_t* s = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
        std::copy(s, s + 4, &icon.pixels[(static_cast<size_t>(y + dy) * kIconSize + (x + dx)) * 4]);
      }
    }
    std::string error;
    const std::string path = argv[1];
    const bool ico = path.size() >= 4 && path.compare(path.size() - 4, 4, ".ico") == 0;
    if (!(ico ? WriteIco(path, icon, &error) : WritePng(path, icon, &error))) {
      std::fprintf(stderr, "glimmer_icon: %s\n", error.c_str());
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "glimmer_icon: %s\n", e.what());
    return 1;
  }
}
