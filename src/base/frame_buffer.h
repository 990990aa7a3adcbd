// A 32-bit picture in memory: rows from the top, each pixel the bytes blue,
// green, red, alpha. The base layer and every composed frame use it; on
// little-endian machines it is also cairo's ARGB32 layout.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gd {

struct FrameBuffer {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 4 bytes

  FrameBuffer() = default;
  FrameBuffer(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}

  int Stride() const { return width * 4; }
  uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * Stride(); }
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * Stride(); }
  uint8_t* Pixel(int x, int y) { return Row(y) + x * 4; }
  const uint8_t* Pixel(int x, int y) const { return Row(y) + x * 4; }
  bool Empty() const { return width <= 0 || height <= 0; }
};

}  // namespace gd
