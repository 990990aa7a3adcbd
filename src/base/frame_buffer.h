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
  std::vector<uint8_t> pixels;  // width * height * 4 bytes; empty in lent memory
  // Memory lent by its owner (a buffer the window shows), used instead of
  // `pixels`: a copy of the picture is another view of the same memory.
  uint8_t* lent = nullptr;
  int lentStride = 0;  // bytes from one row of it to the next

  FrameBuffer() = default;
  FrameBuffer(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}
  // A picture in `memory`, rows `stride` bytes apart (at least w * 4; 0:
  // w * 4), which holds stride * h bytes.
  static FrameBuffer InLentMemory(uint8_t* memory, int w, int h, int stride = 0) {
    FrameBuffer f;
    f.width = w;
    f.height = h;
    f.lent = memory;
    f.lentStride = stride > 0 ? stride : w * 4;
    return f;
  }

  int Stride() const { return lent ? lentStride : width * 4; }
  uint8_t* Data() { return lent ? lent : pixels.data(); }
  const uint8_t* Data() const { return lent ? lent : pixels.data(); }
  // The bytes the picture spans: width * height * 4 unless it is malformed
  // or its rows lie further apart in lent memory.
  size_t Bytes() const { return lent ? static_cast<size_t>(lentStride) * height : pixels.size(); }
  uint8_t* Row(int y) { return Data() + static_cast<size_t>(y) * Stride(); }
  const uint8_t* Row(int y) const { return Data() + static_cast<size_t>(y) * Stride(); }
  uint8_t* Pixel(int x, int y) { return Row(y) + x * 4; }
  const uint8_t* Pixel(int x, int y) const { return Row(y) + x * 4; }
  bool Empty() const { return width <= 0 || height <= 0; }
};

}  // namespace gd
