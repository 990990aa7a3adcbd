#include "images/area_reduce.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace gd {
namespace {

// The source pixels under each new pixel along one axis, with the length
// of their overlap in units of 1/q source pixel; indices past the source's
// end are left out (transparent).
struct Tap {
  int source;
  int64_t weight;
};
std::vector<std::vector<Tap>> AxisTaps(int size, int newSize, int p, int q) {
  std::vector<std::vector<Tap>> taps(newSize);
  for (int o = 0; o < newSize; ++o) {
    const int64_t from = int64_t{o} * p, to = from + p;
    for (int64_t s = from / q; s * q < to && s < size; ++s) {
      const int64_t w = std::min(to, (s + 1) * q) - std::max(from, s * q);
      if (w > 0) taps[o].push_back({static_cast<int>(s), w});
    }
  }
  return taps;
}

uint8_t Rounded(int64_t sum, int64_t total) { return static_cast<uint8_t>((2 * sum + total) / (2 * total)); }

}  // namespace

Pixels4 ReduceByArea(const uint8_t* source, int width, int height, int p, int q) {
  if (p < q || q < 1 || width < 0 || height < 0) throw std::invalid_argument("ReduceByArea only makes pictures smaller");
  const int g = std::gcd(p, q);
  p /= g;
  q /= g;
  Pixels4 out;
  out.width = static_cast<int>((int64_t{width} * q + p - 1) / p);
  out.height = static_cast<int>((int64_t{height} * q + p - 1) / p);
  out.bytes.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
  const auto across = AxisTaps(width, out.width, p, q);
  const auto down = AxisTaps(height, out.height, p, q);
  const int64_t area = int64_t{p} * p;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      int64_t sa = 0, sc[3] = {0, 0, 0}, plain[3] = {0, 0, 0};
      for (const Tap& ty : down[y]) {
        const uint8_t* row = source + static_cast<size_t>(ty.source) * width * 4;
        for (const Tap& tx : across[x]) {
          const uint8_t* s = row + static_cast<size_t>(tx.source) * 4;
          const int64_t w = ty.weight * tx.weight, wa = w * s[3];
          sa += wa;
          for (int c = 0; c < 3; ++c) {
            sc[c] += wa * s[c];
            plain[c] += w * s[c];
          }
        }
      }
      uint8_t* o = out.bytes.data() + (static_cast<size_t>(y) * out.width + x) * 4;
      for (int c = 0; c < 3; ++c) o[c] = sa > 0 ? Rounded(sc[c], sa) : Rounded(plain[c], area);
      o[3] = Rounded(sa, area);
    }
  }
  return out;
}

}  // namespace gd
