// Snow flakes: white sprites whose alpha tables are fixed exactly, so that the
// three snow layers keep their weight (fine far flakes, larger near ones).
#include <stdexcept>

#include "art.h"
#include "scaled.h"

namespace artgen {
namespace {

struct FlakeSprite {
  int size;
  const uint8_t* alpha;
};
constexpr uint8_t kSnow1[] = {90};
constexpr uint8_t kSnow2[] = {5, 14, 5, 14, 38, 14, 5, 14, 5};
constexpr uint8_t kSnow3[] = {179};
constexpr uint8_t kSnow4[] = {25, 66, 25, 66, 179, 67, 25, 67, 25};
constexpr uint8_t kSnow5[] = {
    0, 0, 0, 1,  1,  0, 0,   //
    0, 2, 7, 12, 7,  2, 0,   //
    0, 7, 39, 71, 39, 7, 0,  //
    1, 12, 71, 128, 71, 12, 1,
    0, 7, 40, 71, 40, 7, 1,  //
    0, 1, 7, 12, 7,  1, 0,   //
    0, 0, 0, 1,  1,  0, 0,
};
constexpr uint8_t kSnow6[] = {
    0, 0,  0,   1,   1,   0,  0,  //
    0, 2,  15,  27,  15,  2,  0,  //
    0, 15, 82,  120, 82,  15, 0,  //
    1, 27, 120, 128, 120, 27, 1,  //
    0, 15, 82,  120, 83,  14, 1,  //
    0, 2,  14,  27,  15,  2,  0,  //
    0, 0,  0,   1,   1,   0,  0,
};
constexpr FlakeSprite kFlakes[] = {{1, kSnow1}, {3, kSnow2}, {1, kSnow3}, {3, kSnow4}, {7, kSnow5}, {7, kSnow6}};

}  // namespace

Image DrawSnow(int n, int k) {
  if (n < 1 || n > 6) throw std::out_of_range("snow sprites are numbered 1 to 6");
  // The flakes are defined by their tables; larger, they are the same soft
  // blobs, interpolated from the tables (and held to them by the caller).
  if (k > 1) return SmoothEnlarge(DrawSnow(n, 1), k);
  const FlakeSprite& f = kFlakes[n - 1];
  Image img(f.size, f.size);
  for (int y = 0; y < f.size; ++y)
    for (int x = 0; x < f.size; ++x) img.Set(x, y, 255, 255, 255, f.alpha[y * f.size + x]);
  return img;
}

}  // namespace artgen
