// make_icon: the program's Windows icon, drawn from the globe picture.
//
//   make_icon imgTree.png glimmerdome.ico
//
// Takes a 256-pixel square centred on the globe (its fully opaque pixels),
// scales it down by area averaging to the sizes Windows shows, and stores
// every size as a PNG inside one .ico file, as Windows Vista and later read
// icons. Runs on the build machine while the Windows program is built.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "images/catalogue.h"
#include "platform/headless/png_writer.h"

using namespace gd;

namespace {

constexpr int kSquare = 256;
constexpr int kIconSizes[] = {256, 64, 48, 32, 24, 16};

// Premultiplied red, green, blue and alpha, 0 to 1, rows from the top.
struct Picture {
  int size = 0;
  std::vector<float> rgba;
  float* At(int x, int y) { return &rgba[(static_cast<size_t>(y) * size + x) * 4]; }
};

// The square of `kSquare` pixels around the globe, premultiplied. Parts of the
// square beyond the picture are transparent.
bool CropAroundGlobe(const SceneImage& image, Picture* out, std::string* error) {
  int left = image.width, top = image.height, right = -1, bottom = -1;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (image.bgra[(static_cast<size_t>(y) * image.width + x) * 4 + 3] == 255) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (right < 0) {
    *error = "the picture has no opaque pixel to centre the icon on";
    return false;
  }
  const int x0 = (left + right + 1) / 2 - kSquare / 2;
  const int y0 = (top + bottom + 1) / 2 - kSquare / 2;
  out->size = kSquare;
  out->rgba.assign(static_cast<size_t>(kSquare) * kSquare * 4, 0.0f);
  for (int y = 0; y < kSquare; ++y)
    for (int x = 0; x < kSquare; ++x) {
      const int sx = x0 + x, sy = y0 + y;
      if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height) continue;
      const uint8_t* p = &image.bgra[(static_cast<size_t>(sy) * image.width + sx) * 4];
      const float a = p[3] / 255.0f;
      float* o = out->At(x, y);
      o[0] = p[2] / 255.0f * a;
      o[1] = p[1] / 255.0f * a;
      o[2] = p[0] / 255.0f * a;
      o[3] = a;
    }
  return true;
}

// For each target pixel of a row, the source pixels it covers and how much of
// each: the target pixel is the average over its footprint.
std::vector<std::vector<std::pair<int, float>>> Footprints(int from, int to) {
  std::vector<std::vector<std::pair<int, float>>> out(static_cast<size_t>(to));
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double begin = i * scale, end = (i + 1) * scale;
    for (int s = static_cast<int>(std::floor(begin)); s < end && s < from; ++s) {
      const double overlap = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
      if (overlap > 0) out[static_cast<size_t>(i)].push_back({s, static_cast<float>(overlap / scale)});
    }
  }
  return out;
}

Picture Downscale(Picture& source, int size) {
  if (size == source.size) return source;
  const auto weights = Footprints(source.size, size);
  Picture across;  // scaled across, full height
  across.size = source.size;
  across.rgba.assign(static_cast<size_t>(size) * source.size * 4, 0.0f);
  for (int y = 0; y < source.size; ++y)
    for (int x = 0; x < size; ++x)
      for (auto [sx, w] : weights[static_cast<size_t>(x)])
        for (int c = 0; c < 4; ++c) across.rgba[(static_cast<size_t>(y) * size + x) * 4 + c] += w * source.At(sx, y)[c];
  Picture out;
  out.size = size;
  out.rgba.assign(static_cast<size_t>(size) * size * 4, 0.0f);
  for (int y = 0; y < size; ++y)
    for (auto [sy, w] : weights[static_cast<size_t>(y)])
      for (int x = 0; x < size; ++x)
        for (int c = 0; c < 4; ++c)
          out.At(x, y)[c] += w * across.rgba[(static_cast<size_t>(sy) * size + x) * 4 + c];
  return out;
}

RgbaImage ToRgba(Picture& picture) {
  RgbaImage image;
  image.width = image.height = picture.size;
  image.rgba.resize(static_cast<size_t>(picture.size) * picture.size * 4);
  auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  for (int y = 0; y < picture.size; ++y)
    for (int x = 0; x < picture.size; ++x) {
      const float* p = picture.At(x, y);
      uint8_t* o = &image.rgba[(static_cast<size_t>(y) * picture.size + x) * 4];
      const float a = p[3];
      for (int c = 0; c < 3; ++c) o[c] = a > 0 ? byte(p[c] / a) : 0;
      o[3] = byte(a);
    }
  return image;
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// An .ico file: a directory of the entries, then each entry's PNG.
std::vector<uint8_t> IcoFile(const std::vector<std::pair<int, std::vector<uint8_t>>>& entries) {
  std::vector<uint8_t> out;
  PutLE(out, 0, 2);  // reserved
  PutLE(out, 1, 2);  // an icon, not a cursor
  PutLE(out, static_cast<uint32_t>(entries.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_icon PICTURE.png ICON.ico\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) {
    std::fprintf(stderr, "make_icon: cannot read %s\n", argv[1]);
    return 1;
  }
  // The picture in the stored form the catalogue reads: a class name, then the file.
  static const char kClassName[] = "TPngPicture";
  std::vector<uint8_t> stored{static_cast<uint8_t>(sizeof kClassName - 1)};
  stored.insert(stored.end(), kClassName, kClassName + sizeof kClassName - 1);
  stored.insert(stored.end(), file.begin(), file.end());

  std::string error;
  try {
    const EmbeddedPicture picture{"icon", stored.data(), stored.size()};
    const SceneCatalogue catalogue = SceneCatalogue::FromStored(&picture, 1);
    const SceneImage& image = catalogue.At(0);
    if (!image.png) throw std::runtime_error("not a PNG picture");
    Picture square;
    if (!CropAroundGlobe(image, &square, &error)) throw std::runtime_error(error);
    std::vector<std::pair<int, std::vector<uint8_t>>> entries;
    for (int size : kIconSizes) {
      Picture scaled = Downscale(square, size);
      entries.push_back({size, EncodePng(ToRgba(scaled))});
    }
    const std::vector<uint8_t> ico = IcoFile(entries);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
    if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_icon: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
