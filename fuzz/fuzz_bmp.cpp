// libFuzzer target: the BMP reader behind the window's mask.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "app/window_shape.h"
#include "images/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    gd::ByteReader reader(data, size);
    gd::BmpImage bitmap;
    bitmap.LoadBmp(reader);
    // The program's only use of the mask: the window's shape.
    gd::Region region = gd::RegionFromMask(bitmap);
    (void)region.Cuts().size();
  } catch (const std::exception&) {
  }
  return 0;
}
