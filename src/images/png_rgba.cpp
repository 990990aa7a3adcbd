#include "images/png_rgba.h"

namespace gd {

RgbaImage ExpandToRgba(const PngImage& picture) {
  const PngChunkIHDR& h = picture.Header();
  RgbaImage out;
  out.width = h.Width();
  out.height = h.Height();
  out.pixels.resize(size_t{out.width} * out.height * 4);
  const int bits = h.ColorBitsPerPixel();
  uint8_t* dst = out.pixels.data();
  for (uint32_t y = 0; y < out.height; ++y) {
    const uint8_t* color = h.ColorRow(y);
    const uint8_t* alpha = h.AlphaRow(y);  // colour types 4 and 6
    const uint8_t* key = h.KeyRow(y);      // colour types 0 and 2 with a transparent colour
    for (uint32_t x = 0; x < out.width; ++x, dst += 4) {
      if (bits == 24) {
        dst[0] = color[3 * x + 2];
        dst[1] = color[3 * x + 1];
        dst[2] = color[3 * x];
        dst[3] = 255;
      } else {
        const uint8_t index = PaletteIndexAt(color, bits, x);
        const PaletteEntry& e = h.Palette()[index];
        dst[0] = e.red;
        dst[1] = e.green;
        dst[2] = e.blue;
        dst[3] = h.PaletteAlpha()[index];  // 255 unless a palette tRNS says otherwise
      }
      if (alpha) dst[3] = alpha[x];
      if (key) dst[3] = key[x];
    }
  }
  return out;
}

}  // namespace gd
