// Glimmerdome's PNG picture: decodes a PNG byte stream into a header and two
// pixel planes (see PngChunkIHDR for their layout), checks every chunk's CRC and
// reports every malformed input with an exception of its own class
// (png_errors.h). zlib's inflate is its one dependency.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/frame_buffer.h"
#include "images/byte_reader.h"
#include "images/png_chunks.h"
#include "images/png_errors.h"

namespace gd {

// The 8 bytes every PNG file starts with.
inline constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// How a picture is transparent: not at all; by one colour (grey and colour
// pictures with tRNS, palette pictures whose tRNS holds only 0 and 255); or
// pixel by pixel (colour types 4 and 6, palette pictures with partial alpha).
enum class AlphaKind { None, SingleColor, Partial };

// The chunks of a picture in file order.
class PngChunkList {
 public:
  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  PngChunk& Item(size_t i) { return *items_[i]; }
  const PngChunk& Item(size_t i) const { return *items_[i]; }
  PngChunk& Add(std::unique_ptr<PngChunk> chunk);
  void RemoveLast() { items_.pop_back(); }
  void Clear() { items_.clear(); }
  // The first chunk with this name, or nullptr.
  const PngChunk* Find(std::string_view name) const;

 private:
  std::vector<std::unique_ptr<PngChunk>> items_;
};

class PngImage {
 public:
  PngImage() = default;
  // Copying makes a deep copy (CopyPng): the copy shares no memory with the
  // source and outlives it.
  PngImage(const PngImage& source) { CopyPng(source); }
  PngImage& operator=(const PngImage& source);
  PngImage(PngImage&&) noexcept = default;
  PngImage& operator=(PngImage&&) noexcept = default;

  // Replaces the content by the PNG read from r's current position and leaves
  // r just behind the IEND chunk. On failure raises an PngException; the
  // picture then keeps the chunks read before the failing one.
  void LoadPng(ByteReader& r);

  // Replaces the content by a deep copy of source.
  void CopyPng(const PngImage& source);

  // The picture has no header (nothing loaded, or the load failed at once).
  bool Empty() const { return !HasHeader(); }
  // The header's size, or 0 without a header.
  int Width() const;
  int Height() const;
  // Pictures are replaced whole, never resized: both raise PngError.
  [[noreturn]] void SetWidth(int width);
  [[noreturn]] void SetHeight(int height);

  // The header chunk; raises PngHeaderNotPresent without one.
  PngChunkIHDR& Header();
  const PngChunkIHDR& Header() const;

  // Colour row y counted from the top (layout in PngChunkIHDR), or nullptr when
  // y is outside the picture.
  uint8_t* ColorRow(int y);
  const uint8_t* ColorRow(int y) const;
  // Alpha row y counted from the top, Width() bytes; nullptr unless the
  // colour type is 4 or 6 (and for y outside the picture).
  uint8_t* AlphaRow(int y);
  const uint8_t* AlphaRow(int y) const;

  AlphaKind GetAlphaKind() const;

  // The colour plane as a 32-bit bitmap (rows from the top, bytes blue, green,
  // red, 0): palette and grey expanded to colour. The alpha plane is not
  // carried over. Raises ConvertError ("Cannot assign a PngImage to a
  // BmpImage") when the picture has no header.
  FrameBuffer ToBitmap() const;

  const PngChunkList& Chunks() const { return chunks_; }

 private:
  bool HasHeader() const;

  PngChunkList chunks_;
};

// The palette index of pixel x in a colour row of 1, 4 or 8 bits a pixel.
inline uint8_t PaletteIndexAt(const uint8_t* row, int bits_per_pixel, uint32_t x) {
  switch (bits_per_pixel) {
    case 1: return static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return static_cast<uint8_t>((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    default: return row[x];
  }
}

}  // namespace gd
