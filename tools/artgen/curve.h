// A smooth curve through given points that never overshoots between them
// (monotone piecewise cubic, Fritsch and Carlson): used for the sky's colour
// keys and for the glow profiles of the sun and the moon.
#pragma once
#include <vector>

namespace artgen {

class MonotoneCurve {
 public:
  // xs strictly increasing; xs and ys of the same length, at least 2.
  MonotoneCurve(std::vector<double> xs, std::vector<double> ys);
  // Beyond the ends the curve holds the end values.
  double operator()(double x) const;

 private:
  std::vector<double> xs_, ys_, slopes_;
};

}  // namespace artgen
