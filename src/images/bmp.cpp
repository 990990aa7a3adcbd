#include "images/bmp.h"

#include <cstdlib>
#include <string>

namespace gd {

BmpImage::BmpImage(int width, int height)
    : width_(width > 0 && height > 0 ? width : 0),
      height_(width > 0 && height > 0 ? height : 0),
      pixels_(static_cast<size_t>(width_) * height_, 0) {}

void BmpImage::LoadBmp(ByteReader& r) {
  const uint8_t* file = r.Current();
  const size_t size = r.Remaining();
  r.Seek(r.Size());

  constexpr size_t kFileHeaderBytes = 14;
  if (size < kFileHeaderBytes + 4) throw BmpError("The BMP file is truncated: its header is incomplete.");
  if (file[0] != 'B' || file[1] != 'M') throw BmpError("This is not a BMP file (it does not start with \"BM\").");
  const uint32_t pixel_offset = LoadLE32(file + 10);
  const uint32_t info_size = LoadLE32(file + 14);
  if (info_size != 12 && info_size < 40) {
    throw BmpError("This BMP file has an unknown header (" + std::to_string(info_size) + " bytes).");
  }
  if (size < kFileHeaderBytes + info_size) throw BmpError("The BMP file is truncated: its header is incomplete.");
  const uint8_t* info = file + kFileHeaderBytes;

  int64_t width, height;
  unsigned planes, bit_count;
  uint32_t compression = 0;
  if (info_size == 12) {  // the old core header: 16-bit sizes, no compression field
    width = LoadLE16(info + 4);
    height = LoadLE16(info + 6);
    planes = LoadLE16(info + 8);
    bit_count = LoadLE16(info + 10);
  } else {
    width = static_cast<int32_t>(LoadLE32(info + 4));
    height = static_cast<int32_t>(LoadLE32(info + 8));
    planes = LoadLE16(info + 12);
    bit_count = LoadLE16(info + 14);
    compression = LoadLE32(info + 16);
  }
  if (bit_count != 24) {
    throw BmpError("Only 24-bit BMP files are supported; this one has " + std::to_string(bit_count) +
                    " bits a pixel.");
  }
  if (compression != 0) throw BmpError("Only uncompressed BMP files are supported.");
  if (planes != 1) throw BmpError("This BMP file is invalid: it has " + std::to_string(planes) + " planes.");
  const bool top_down = height < 0;
  const int64_t rows = top_down ? -height : height;
  if (width < 0 || width > 65535 || rows > 65535) {
    throw BmpError("This BMP file has an invalid size (" + std::to_string(width) + " by " +
                    std::to_string(height) + ").");
  }
  if (static_cast<size_t>(width) * static_cast<size_t>(rows) > kMaxPixels) {
    throw BmpError("This BMP file is too large: it has more than 8192 by 8192 pixels.");
  }
  if (pixel_offset < kFileHeaderBytes + info_size || pixel_offset > size) {
    throw BmpError("This BMP file is invalid: its pixel data offset is out of range.");
  }
  const size_t stride = (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
  // The last row's padding may be left out.
  const size_t needed = rows == 0 || width == 0 ? 0 : stride * static_cast<size_t>(rows - 1) + 3 * static_cast<size_t>(width);
  if (size - pixel_offset < needed) throw BmpError("The BMP file is truncated: its pixels end early.");

  BmpImage result(static_cast<int>(width), static_cast<int>(rows));
  for (int y = 0; y < result.height_; ++y) {
    const size_t file_row = top_down ? static_cast<size_t>(y) : static_cast<size_t>(result.height_ - 1 - y);
    const uint8_t* src = file + pixel_offset + file_row * stride;
    uint32_t* dst = result.pixels_.data() + static_cast<size_t>(y) * result.width_;
    for (int x = 0; x < result.width_; ++x, src += 3) dst[x] = MakeColor(src[2], src[1], src[0]);
  }
  *this = std::move(result);
}

}  // namespace gd
