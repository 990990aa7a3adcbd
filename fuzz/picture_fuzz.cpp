// libFuzzer entry for the picture decoders. Input starting with "BM" goes to
// the BMP reader, anything else to the PNG codec, whose decoded picture is
// then copied and converted the ways the program uses it. Built only in a
// fuzzing build (GLIMMERDOME_FUZZING, clang), where the CRC and Adler-32
// checks are off so that mutations reach the filters and inflate:
//
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DGLIMMERDOME_FUZZING=ON \
//     -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined"
//   cmake --build build-fuzz --target picture_fuzz
//   build-fuzz/picture_fuzz -max_len=65536 CORPUS_DIR
#include <cstddef>
#include <cstdint>

#include "images/bmp.h"
#include "images/png.h"
#include "images/png_rgba.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gd::ByteReader r(data, size);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
    try {
      gd::TBitmap bitmap;
      bitmap.LoadBmp(r);
      volatile uint32_t sink = bitmap.Pixel(bitmap.Width() - 1, bitmap.Height() - 1);
      (void)sink;
    } catch (const gd::EBmpError&) {
    }
    return 0;
  }
  gd::TPngPicture picture;
  try {
    picture.LoadPng(r);
  } catch (const gd::EPngException&) {
  }
  if (!picture.Empty()) {
    const gd::TPngPicture copy(picture);
    const gd::RgbaImage rgba = gd::ExpandToRgba(copy);
    const gd::FrameBuffer bitmap = copy.ToBitmap();
    volatile uint8_t sink = rgba.pixels.back() ^ bitmap.pixels.back();
    (void)sink;
  }
  return 0;
}
