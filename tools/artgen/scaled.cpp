#include "scaled.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace artgen {
namespace {

// The rule of scaled.h on gathered sums.
int ReducedAlpha(long sum_a, int n) { return static_cast<int>((2 * sum_a + n) / (2 * n)); }
int ReducedColour(long sum_ac, long sum_a) { return static_cast<int>((2 * sum_ac + sum_a) / (2 * sum_a)); }

// Alphas for one block that add up to `total`: the drawn alphas scaled by
// one factor, those that would pass 255 held at 255 and the rest scaled
// again; a block drawn fully transparent gets the same alpha everywhere.
// Whole numbers by the largest remainders.
std::vector<int> BlockAlphas(const std::vector<double>& drawn, int total) {
  const size_t n = drawn.size();
  std::vector<double> v(n);
  std::vector<bool> full(n, false);
  for (;;) {
    double held = 0, free_sum = 0;
    int free_count = 0;
    for (size_t i = 0; i < n; ++i) {
      if (full[i]) held += 255;
      else { free_sum += drawn[i]; ++free_count; }
    }
    const double rest = total - held;
    bool changed = false;
    for (size_t i = 0; i < n; ++i) {
      if (full[i]) { v[i] = 255; continue; }
      v[i] = free_sum > 0 ? drawn[i] * rest / free_sum : rest / free_count;
      if (v[i] > 255) { full[i] = true; changed = true; }
    }
    if (!changed) break;
  }
  std::vector<int> a(n);
  int sum = 0;
  for (size_t i = 0; i < n; ++i) sum += a[i] = std::clamp(static_cast<int>(std::floor(v[i] + 1e-9)), 0, 255);
  while (sum != total) {
    const int step = sum < total ? 1 : -1;
    size_t best = n;
    double best_key = 0;
    for (size_t i = 0; i < n; ++i) {
      if (step > 0 ? a[i] == 255 : a[i] == 0) continue;
      const double key = step * (v[i] - a[i]);  // what is owed to this pixel
      if (best == n || key > best_key) { best = i; best_key = key; }
    }
    a[best] += step;
    sum += step;
  }
  return a;
}

}  // namespace

Image ReduceBlocks(const Image& big, int k) {
  if (big.width % k != 0 || big.height % k != 0) throw std::runtime_error("picture not a whole number of blocks");
  Image out(big.width / k, big.height / k);
  const int n = k * k;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      long sa = 0, sc[3] = {0, 0, 0}, plain[3] = {0, 0, 0};
      for (int j = 0; j < k; ++j)
        for (int i = 0; i < k; ++i) {
          const uint8_t* p = big.At(x * k + i, y * k + j);
          sa += p[3];
          for (int c = 0; c < 3; ++c) {
            sc[c] += static_cast<long>(p[3]) * p[c];
            plain[c] += p[c];
          }
        }
      uint8_t* o = out.At(x, y);
      for (int c = 0; c < 3; ++c)
        o[c] = static_cast<uint8_t>(sa > 0 ? ReducedColour(sc[c], sa) : ReducedColour(plain[c], n));
      o[3] = static_cast<uint8_t>(ReducedAlpha(sa, n));
    }
  }
  return out;
}

Image MatchReduction(const Image& drawn, const Image& target, int k) {
  if (drawn.width != target.width * k || drawn.height != target.height * k)
    throw std::runtime_error("drawn picture is not k times its scale-1 picture");
  const int n = k * k;
  Image out(drawn.width, drawn.height);
  std::vector<double> d(n);
  for (int y = 0; y < target.height; ++y) {
    for (int x = 0; x < target.width; ++x) {
      const uint8_t* t = target.At(x, y);
      if (t[3] == 0) {  // transparent throughout, keeping the target's colour
        for (int i = 0; i < n; ++i) std::copy(t, t + 4, out.At(x * k + i % k, y * k + i / k));
        continue;
      }
      auto at = [&](int i) { return drawn.At(x * k + i % k, y * k + i / k); };
      for (int i = 0; i < n; ++i) d[i] = at(i)[3];
      const std::vector<int> a = BlockAlphas(d, n * t[3]);
      const long sa = static_cast<long>(n) * t[3];
      for (int c = 0; c < 3; ++c) {
        // Start from the drawn colours (the target's where nothing was
        // drawn), shifted together so that the block averages to the target.
        std::vector<double> e(n);
        double sum = 0;
        for (int i = 0; i < n; ++i) {
          e[i] = at(i)[3] > 0 ? at(i)[c] : t[c];
          sum += a[i] * e[i];
        }
        const double shift = (static_cast<double>(sa) * t[c] - sum) / static_cast<double>(sa);
        std::vector<int> v(n);
        long sc = 0;
        for (int i = 0; i < n; ++i) {
          v[i] = a[i] > 0 ? std::clamp(static_cast<int>(std::lround(e[i] + shift)), 0, 255) : 0;
          sc += static_cast<long>(a[i]) * v[i];
        }
        // Rounding and clamping leave a small rest: step the most opaque
        // pixel that can still move until the block reduces to the target.
        for (int got = ReducedColour(sc, sa); got != t[c]; got = ReducedColour(sc, sa)) {
          const int step = got < t[c] ? 1 : -1;
          int best = -1;
          for (int i = 0; i < n; ++i) {
            if (a[i] == 0 || (step > 0 ? v[i] == 255 : v[i] == 0)) continue;
            if (best < 0 || a[i] > a[best]) best = i;
          }
          v[best] += step;
          sc += step * a[best];
        }
        for (int i = 0; i < n; ++i) out.At(x * k + i % k, y * k + i / k)[c] = static_cast<uint8_t>(v[i]);
      }
      for (int i = 0; i < n; ++i) out.At(x * k + i % k, y * k + i / k)[3] = static_cast<uint8_t>(a[i]);
    }
  }
  const Image check = ReduceBlocks(out, k);
  if (check.rgba != target.rgba) {
    size_t i = 0;
    while (check.rgba[i] == target.rgba[i]) ++i;
    throw std::runtime_error("does not reduce to its scale-1 picture at (" + std::to_string(i / 4 % target.width) +
                             ", " + std::to_string(i / 4 / target.width) + ")");
  }
  return out;
}

Image SmoothEnlarge(const Image& small, int k) {
  auto weight = [](double t) {  // Catmull-Rom
    t = std::fabs(t);
    if (t < 1) return 1.5 * t * t * t - 2.5 * t * t + 1;
    if (t < 2) return -0.5 * t * t * t + 2.5 * t * t - 4 * t + 2;
    return 0.0;
  };
  auto premultiplied = [&](int x, int y, int c) -> double {
    if (x < 0 || y < 0 || x >= small.width || y >= small.height) return 0;
    const uint8_t* p = small.At(x, y);
    return c == 3 ? p[3] / 255.0 : p[c] / 255.0 * (p[3] / 255.0);
  };
  Image out(small.width * k, small.height * k);
  for (int y = 0; y < out.height; ++y) {
    const double v = (y + 0.5) / k - 0.5;
    const int y0 = static_cast<int>(std::floor(v));
    for (int x = 0; x < out.width; ++x) {
      const double u = (x + 0.5) / k - 0.5;
      const int x0 = static_cast<int>(std::floor(u));
      double px[4] = {0, 0, 0, 0};
      for (int j = y0 - 1; j <= y0 + 2; ++j)
        for (int i = x0 - 1; i <= x0 + 2; ++i) {
          const double w = weight(u - i) * weight(v - j);
          if (w == 0) continue;
          for (int c = 0; c < 4; ++c) px[c] += w * premultiplied(i, j, c);
        }
      const double a = std::clamp(px[3], 0.0, 1.0);
      const long a8 = std::lround(a * 255);
      if (a8 == 0) continue;
      uint8_t rgb[3];
      for (int c = 0; c < 3; ++c) rgb[c] = static_cast<uint8_t>(std::lround(std::clamp(px[c] / a, 0.0, 1.0) * 255));
      out.Set(x, y, rgb[0], rgb[1], rgb[2], static_cast<uint8_t>(a8));
    }
  }
  return out;
}

}  // namespace artgen
