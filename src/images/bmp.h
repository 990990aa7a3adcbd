// A 24-bit bitmap read from a BMP file: what the window's shape mask is
// stored as. Only uncompressed 24-bit files are read; anything else, and any
// file that ends before its pixels do, raises BmpError.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "images/byte_reader.h"

namespace gd {

class BmpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The platform's colour value: red in the low byte, then green, then blue.
inline constexpr uint32_t MakeColor(uint8_t red, uint8_t green, uint8_t blue) {
  return uint32_t{red} | uint32_t{green} << 8 | uint32_t{blue} << 16;
}

class BmpImage {
 public:
  // The colour Pixel() gives for a point outside the bitmap.
  static constexpr uint32_t kInvalidColor = 0xFFFFFFFF;
  // The most pixels a bitmap may have (8192 by 8192), checked before the
  // pixels are allocated.
  static constexpr size_t kMaxPixels = size_t{8192} * 8192;

  BmpImage() = default;
  // A bitmap of the given size, all black.
  BmpImage(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // The colour of pixel (x, y), y counted from the top; kInvalidColor outside.
  uint32_t Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColor;
    return pixels_[static_cast<size_t>(y) * width_ + x];
  }
  void SetPixel(int x, int y, uint32_t color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = color & 0xFFFFFF;
  }

  // Replaces the content by the BMP file that fills r from its current
  // position to its end, and leaves r at the end.
  void LoadBmp(ByteReader& r);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;  // rows from the top
};

}  // namespace gd
