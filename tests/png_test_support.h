// Test-only tools for the PNG codec tests: source images of known samples, two
// encoders that know nothing of the decoder under test (Debian's libpng, and a
// small chunk builder over zlib's deflate for files libpng will not write),
// the expected RGBA worked out from the samples, and libpng as the reference
// decoder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "images/png.h"

namespace gd::test {

using Bytes = std::vector<uint8_t>;

// An image given by its samples: width * height * channels values, each
// below 2^depth. For palette images the samples are indices into plte.
struct SourceImage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t color_type = 6;
  uint8_t bit_depth = 8;
  std::vector<uint16_t> samples;
  Bytes plte;  // PLTE chunk data (3 bytes an entry), palette images only
  Bytes trns;  // tRNS chunk data, if any

  int Channels() const;
  uint16_t Sample(uint32_t x, uint32_t y, int channel) const {
    return samples[(size_t{y} * width + x) * Channels() + channel];
  }
  // One row in PNG's packed form (sub-byte samples packed from the high bits,
  // 16-bit samples big-endian), without a filter byte.
  Bytes PackedRow(uint32_t y) const;
  size_t RowBytes() const;
  size_t FilterDistance() const;
};

// Random samples (and, for palette images, a random palette of
// palette_entries entries, every index below that count).
SourceImage RandomImage(uint32_t width, uint32_t height, uint8_t color_type, uint8_t bit_depth,
                        uint32_t seed, int palette_entries = 0);

// What the image is in 8-bit RGBA (rows from the top): grey scaled to 0..255,
// 16-bit samples by their high byte, palette looked up (an index past the
// palette is black), tRNS compared with the full sample values.
Bytes ExpectedRgba(const SourceImage& image);

// Encodes with libpng. filters: PNG_FILTER_* flags for png_set_filter.
// idat_bytes: libpng's compression buffer size, which is the size of its IDAT
// chunks.
Bytes EncodeWithLibpng(const SourceImage& image, bool interlaced, int filters,
                       size_t idat_bytes = 8192);

// The filtered scanlines of a non-interlaced image (each row: its filter type
// byte, then the filtered bytes), with row y filtered by filter_for_row(y).
Bytes FilterScanlines(const SourceImage& image, const std::function<uint8_t(uint32_t)>& filter_for_row);

Bytes Deflate(const Bytes& data, int level = 6);

// A PNG file built chunk by chunk, with correct CRCs (from zlib's crc32)
// unless asked otherwise.
class PngBuilder {
 public:
  explicit PngBuilder(bool signature = true);
  PngBuilder& Raw(const Bytes& bytes);
  PngBuilder& Chunk(std::string_view name, const Bytes& data, bool good_crc = true);
  PngBuilder& Ihdr(uint32_t width, uint32_t height, uint8_t bit_depth, uint8_t color_type,
                   uint8_t interlace = 0, uint8_t compression = 0, uint8_t filter = 0);
  PngBuilder& IhdrOf(const SourceImage& image);
  // PLTE and tRNS chunks of the image, if it has them.
  PngBuilder& PaletteOf(const SourceImage& image);
  // The zlib stream in IDAT chunks: one chunk for each size in `split`, the
  // rest of the stream in a last chunk.
  PngBuilder& ImageData(const Bytes& zlib_stream, const std::vector<size_t>& split = {});
  PngBuilder& Iend();
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// A complete non-interlaced file of the image with one filter type on every row.
Bytes SimplePng(const SourceImage& image, uint8_t filter_type = 0);

// Decodes with the codec under test.
PngImage Decode(const Bytes& file);

// libpng's view of a file: low-level API with expand, gray-to-RGB, filler,
// strip-16 and interlace handling, no gamma.
struct LibpngImage {
  bool ok = false;
  std::string error;
  uint32_t width = 0;
  uint32_t height = 0;
  Bytes rgba;
};
LibpngImage DecodeWithLibpng(const Bytes& file);

Bytes ReadFileBytes(const std::string& path);

}  // namespace gd::test
