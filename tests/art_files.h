// Reads the committed scene pictures for the art tests: PNG through libpng,
// the mask BMP with a few lines of its own. Both keep the raw header facts
// (bit depth, colour type, interlace; BMP header fields) so that the tests
// can check the stored form as well as the pixels.
#pragma once
#include <png.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace gd::art_test {

inline std::string ArtPath(const std::string& file) {
  return std::string(GLIMMERDOME_SOURCE_DIR) + "/src/images/art/" + file;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Picture {
  bool ok = false;
  std::string error;
  int width = 0, height = 0;
  int bit_depth = 0, colour_type = -1, interlace = -1;  // from the PNG's IHDR chunk
  std::vector<uint8_t> rgba;                            // straight alpha, rows from the top

  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  int R(int x, int y) const { return At(x, y)[0]; }
  int G(int x, int y) const { return At(x, y)[1]; }
  int B(int x, int y) const { return At(x, y)[2]; }
  int A(int x, int y) const { return At(x, y)[3]; }
};

inline uint32_t BigEndian32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Loads <name>.png from the art folder.
inline Picture LoadPng(const std::string& name) {
  Picture pic;
  const std::string path = ArtPath(name + ".png");
  const std::vector<uint8_t> file = ReadFile(path);
  static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (file.size() < 33 || !std::equal(kSignature, kSignature + 8, file.begin()) ||
      std::string(file.begin() + 12, file.begin() + 16) != "IHDR") {
    pic.error = path + ": not a PNG file starting with IHDR";
    return pic;
  }
  pic.bit_depth = file[24];
  pic.colour_type = file[25];
  pic.interlace = file[28];

  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, file.data(), file.size())) {
    pic.error = path + ": " + img.message;
    return pic;
  }
  img.format = PNG_FORMAT_RGBA;
  pic.width = static_cast<int>(img.width);
  pic.height = static_cast<int>(img.height);
  pic.rgba.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, pic.rgba.data(), 0, nullptr)) {
    pic.error = path + ": " + img.message;
    png_image_free(&img);
    return pic;
  }
  pic.ok = true;
  return pic;
}

struct Bitmap {
  bool ok = false;
  std::string error;
  int width = 0, height = 0;
  uint32_t file_size = 0, data_offset = 0, header_size = 0, compression = ~0u;
  int planes = 0, bits_per_pixel = 0;
  size_t bytes_in_file = 0, row_bytes = 0;
  std::vector<uint8_t> rgb;  // rows from the top

  bool White(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  }
  int Grey(int x, int y) const { return rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

inline uint32_t Little32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

inline Bitmap LoadBmp(const std::string& name) {
  Bitmap bmp;
  const std::vector<uint8_t> file = ReadFile(ArtPath(name + ".bmp"));
  bmp.bytes_in_file = file.size();
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') {
    bmp.error = "not a BMP file";
    return bmp;
  }
  bmp.file_size = Little32(file, 2);
  bmp.data_offset = Little32(file, 10);
  bmp.header_size = Little32(file, 14);
  bmp.width = static_cast<int32_t>(Little32(file, 18));
  bmp.height = static_cast<int32_t>(Little32(file, 22));
  bmp.planes = file[26] | (file[27] << 8);
  bmp.bits_per_pixel = file[28] | (file[29] << 8);
  bmp.compression = Little32(file, 30);
  if (bmp.width <= 0 || bmp.height <= 0 || bmp.bits_per_pixel != 24) {
    bmp.error = "not a bottom-up 24-bit BMP";
    return bmp;
  }
  bmp.row_bytes = (static_cast<size_t>(bmp.width) * 3 + 3) / 4 * 4;
  if (bmp.data_offset + bmp.row_bytes * bmp.height > file.size()) {
    bmp.error = "pixel data cut short";
    return bmp;
  }
  bmp.rgb.resize(static_cast<size_t>(bmp.width) * bmp.height * 3);
  for (int y = 0; y < bmp.height; ++y) {
    const uint8_t* row = &file[bmp.data_offset + (bmp.height - 1 - y) * bmp.row_bytes];  // bottom row first
    for (int x = 0; x < bmp.width; ++x) {
      uint8_t* p = &bmp.rgb[(static_cast<size_t>(y) * bmp.width + x) * 3];
      p[0] = row[x * 3 + 2];
      p[1] = row[x * 3 + 1];
      p[2] = row[x * 3];
    }
  }
  bmp.ok = true;
  return bmp;
}

// Alpha-weighted centre of a picture, in pixel-index coordinates.
struct Centre {
  double x = 0, y = 0, weight = 0;
};
inline Centre CentreOfAlpha(const Picture& p) {
  Centre c;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const double a = p.A(x, y);
      c.x += a * x;
      c.y += a * y;
      c.weight += a;
    }
  if (c.weight > 0) {
    c.x /= c.weight;
    c.y /= c.weight;
  }
  return c;
}

// A series name: stem and number, and "_" and a frame number for the moon.
// Appends instead of chaining operator+ (GCC 12 warns falsely about that).
inline std::string SeriesName(const char* stem, int n, int frame = 0) {
  std::string name = stem;
  name += std::to_string(n);
  if (frame > 0) {
    name += '_';
    name += std::to_string(frame);
  }
  return name;
}

// The names of every picture that is reached by name at run time or held as
// a fixed reference (the mask is a BMP and is listed apart).
inline std::vector<std::string> AllPngNames() {
  std::vector<std::string> names = {"imgTree", "imgDay", "imgStars", "imgLandscape", "imgHome",
                                    "img3",    "imgDDay", "imgDays"};
  for (int f = 1; f <= 5; ++f) names.push_back(SeriesName("sun", f));
  for (int f = 1; f <= 5; ++f) names.push_back(SeriesName("sundown", f));
  for (int p = 1; p <= 7; ++p)
    for (int f = 1; f <= 5; ++f) names.push_back(SeriesName("moon", p, f));
  for (int n = 1; n <= 6; ++n) names.push_back(SeriesName("Snow", n));
  for (int d = 0; d <= 9; ++d) names.push_back(SeriesName("d", d));
  return names;
}

}  // namespace gd::art_test
