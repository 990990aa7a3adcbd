// libFuzzer target: a stored picture (class name, then a PNG or BMP file)
// through the reader and the PNG decoder, then every operation the program
// performs on a decoded picture.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "images/png_rgba.h"
#include "images/stored_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    gd::StoredPicture stored = gd::ReadStoredPicture(data, size);
    if (stored.png) {
      gd::PngImage copy(*stored.png);  // deep copy
      stored.png.reset();
      const uint32_t h = copy.Height();
      volatile uint32_t sum = 0;
      for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* alpha = copy.AlphaRow(y);
        if (alpha && copy.Width()) sum = sum + alpha[copy.Width() - 1];
        const uint8_t* color = copy.ColorRow(y);
        if (color) sum = sum + color[0];
      }
      gd::FrameBuffer bitmap = copy.ToBitmap();
      gd::RgbaImage rgba = gd::ExpandToRgba(copy);
      (void)bitmap;
      (void)rgba;
    }
  } catch (const std::exception&) {
    // Malformed input is reported by an exception; that is the expected path.
  }
  return 0;
}
