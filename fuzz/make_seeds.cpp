// Writes the fuzzers' seed corpus: the program's own pictures in their stored
// form, and small PNGs of every colour type, bit depth and interlace made by
// the tests' writer, each wrapped as a stored picture; BMPs for the mask reader.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "images/catalogue.h"
#include "png_test_support.h"

namespace fs = std::filesystem;
using gd::test::Bytes;

namespace {

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Stored(const char* cls, const Bytes& file) {
  Bytes out;
  out.push_back(static_cast<uint8_t>(std::char_traits<char>::length(cls)));
  out.insert(out.end(), cls, cls + out[0]);
  out.insert(out.end(), file.begin(), file.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds PNG_CORPUS_DIR BMP_CORPUS_DIR\n");
    return 2;
  }
  const fs::path png(argv[1]), bmp(argv[2]);
  fs::create_directories(png);
  fs::create_directories(bmp);
  int n = 0;
  for (size_t i = 0; i < gd::kEmbeddedPictureCount; ++i) {
    const gd::EmbeddedPicture& p = gd::kEmbeddedPictures[i];
    const Bytes bytes(p.data, p.data + p.size);
    // Large pictures slow every fuzzing run; the small ones carry the same shapes.
    if (bytes.size() > 20000) continue;
    Write(png / ("art-" + std::string(p.name)), bytes);
    ++n;
    if (std::string(p.name) == "imgMask") Write(bmp / "imgMask.bmp", Bytes(bytes.begin() + 12, bytes.end()));
  }
  struct Kind {
    uint8_t type, depth;
  };
  const Kind kinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1}, {3, 2},
                        {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  for (const Kind& k : kinds)
    for (int interlaced = 0; interlaced < 2; ++interlaced) {
      const int entries = k.type == 3 ? (1 << (k.depth < 8 ? k.depth : 4)) : 0;
      const gd::test::SourceImage image = gd::test::RandomImage(7, 5, k.type, k.depth, 17u + n, entries);
      const Bytes file = gd::test::EncodeWithLibpng(image, interlaced != 0, /*filters=*/0xF8, 64);
      char name[64];
      std::snprintf(name, sizeof name, "ct%d-bd%d-%s", k.type, k.depth, interlaced ? "adam7" : "plain");
      Write(png / name, Stored("TPngPicture", file));
      ++n;
    }
  // A tiny BMP: 3 by 2, 24 bits, bottom row first, rows padded to 4 bytes.
  Bytes tiny = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  tiny.resize(54, 0);
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < 9; ++i) tiny.push_back(static_cast<uint8_t>(row ? 255 : i * 20));
    tiny.insert(tiny.end(), 3, 0);
  }
  Write(bmp / "tiny.bmp", tiny);
  std::printf("wrote %d PNG seeds and 2 BMP seeds\n", n);
  return 0;
}
