#include "curve.h"

#include <algorithm>
#include <stdexcept>

namespace artgen {

MonotoneCurve::MonotoneCurve(std::vector<double> xs, std::vector<double> ys)
    : xs_(std::move(xs)), ys_(std::move(ys)), slopes_(xs_.size(), 0.0) {
  const size_t n = xs_.size();
  if (n < 2 || ys_.size() != n) throw std::invalid_argument("a curve needs at least two points");
  std::vector<double> h(n - 1), d(n - 1);
  for (size_t k = 0; k + 1 < n; ++k) {
    h[k] = xs_[k + 1] - xs_[k];
    if (h[k] <= 0) throw std::invalid_argument("curve points must increase in x");
    d[k] = (ys_[k + 1] - ys_[k]) / h[k];
  }
  slopes_[0] = d[0];
  slopes_[n - 1] = d[n - 2];
  for (size_t k = 1; k + 1 < n; ++k) {
    if (d[k - 1] * d[k] <= 0) {
      slopes_[k] = 0;  // a turning point stays flat, so nothing overshoots
    } else {
      // Weighted harmonic mean of the neighbouring secants.
      const double w1 = 2 * h[k] + h[k - 1], w2 = h[k] + 2 * h[k - 1];
      slopes_[k] = (w1 + w2) / (w1 / d[k - 1] + w2 / d[k]);
    }
  }
}

double MonotoneCurve::operator()(double x) const {
  if (x <= xs_.front()) return ys_.front();
  if (x >= xs_.back()) return ys_.back();
  const size_t k = static_cast<size_t>(std::upper_bound(xs_.begin(), xs_.end(), x) - xs_.begin()) - 1;
  const double h = xs_[k + 1] - xs_[k];
  const double t = (x - xs_[k]) / h;
  const double t2 = t * t, t3 = t2 * t;
  return (2 * t3 - 3 * t2 + 1) * ys_[k] + (t3 - 2 * t2 + t) * h * slopes_[k] + (-2 * t3 + 3 * t2) * ys_[k + 1] +
         (t3 - t2) * h * slopes_[k + 1];
}

}  // namespace artgen
