// Pictures as the generator hands them out: 8-bit red, green, blue and alpha
// with straight (not premultiplied) alpha, rows from the top. Writing keeps the
// files minimal (IHDR, IDAT, IEND; colour type 6, not interlaced) so that any
// PNG reader takes them; the mask goes out as a plain 24-bit bottom-up BMP.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}

  uint8_t* At(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  uint8_t Alpha(int x, int y) const { return At(x, y)[3]; }
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    uint8_t* p = At(x, y);
    p[0] = r; p[1] = g; p[2] = b; p[3] = a;
  }
};

// Both writers throw std::runtime_error when the file cannot be written.
void WritePng(const Image& image, const std::string& path);
// Writes red, green and blue; alpha is ignored.
void WriteBmp24(const Image& image, const std::string& path);

// Readers for the reproducibility check. They return false and fill `error`
// on failure. A BMP comes back opaque.
bool ReadPng(const std::string& path, Image& out, std::string& error);
bool ReadBmp24(const std::string& path, Image& out, std::string& error);

}  // namespace artgen
