// The scenery layers: where their pixels lie (the sun and moon pass behind
// the landscape, snow layer 1 behind the house) and what they show.
#include <gtest/gtest.h>

#include "art_files.h"

namespace gd::art_test {
namespace {

struct Box {
  int left = 1000, top = 1000, right = -1, bottom = -1;
};

Box NonTransparent(const Picture& p) {
  Box b;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.A(x, y) > 0) {
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

TEST(Landscape, FirBandOverASnowBankBelowTheSky) {
  const Picture p = LoadPng("imgLandscape");
  ASSERT_TRUE(p.ok) << p.error;
  const Box b = NonTransparent(p);
  EXPECT_GE(b.left, 47);
  EXPECT_LE(b.right, 247);
  EXPECT_GE(b.top, 101);
  EXPECT_LE(b.bottom, 155);
  // Dark teal firs across the left half.
  double r = 0, g = 0, bl = 0;
  int n = 0;
  for (int y = 115; y <= 135; ++y)
    for (int x = 55; x <= 145; ++x)
      if (p.A(x, y) == 255) {
        r += p.R(x, y);
        g += p.G(x, y);
        bl += p.B(x, y);
        ++n;
      }
  ASSERT_GT(n, 1000);
  EXPECT_GT(g / n, r / n + 25);
  EXPECT_GT(bl / n, r / n + 25);
  EXPECT_LT((r + g + bl) / n / 3, 120);
  // A pale blue snow bank under them.
  for (auto [x, y] : {std::pair{70, 146}, std::pair{110, 145}, std::pair{140, 147}}) {
    EXPECT_EQ(p.A(x, y), 255) << x << "," << y;
    EXPECT_GT(p.R(x, y), 150) << x << "," << y;
    EXPECT_GE(p.B(x, y), p.G(x, y)) << x << "," << y;
    EXPECT_GE(p.G(x, y), p.R(x, y)) << x << "," << y;
  }
  // The sky above the trees stays clear.
  for (int x = 47; x <= 247; ++x) EXPECT_EQ(p.A(x, 100), 0);
}

TEST(Home, MoundCabinAndFirsWithinTheirPlaces) {
  const Picture p = LoadPng("imgHome");
  ASSERT_TRUE(p.ok) << p.error;
  const Box b = NonTransparent(p);
  EXPECT_GE(b.left, 58);
  EXPECT_LE(b.right, 243);
  EXPECT_GE(b.top, 97);
  EXPECT_LE(b.bottom, 178);
  // The snowy mound fills the lower glass: opaque and pale blue.
  for (auto [x, y] : {std::pair{90, 165}, std::pair{147, 172}, std::pair{215, 163}}) {
    EXPECT_EQ(p.A(x, y), 255) << x << "," << y;
    EXPECT_GT(p.B(x, y), 190) << x << "," << y;
    EXPECT_GE(p.B(x, y), p.R(x, y)) << x << "," << y;
  }
  // The cabin's window glows amber.
  for (int y = 136; y <= 139; ++y)
    for (int x = 152; x <= 160; ++x) {
      if (x == 156) continue;  // the bar between the panes
      EXPECT_EQ(p.A(x, y), 255) << x << "," << y;
      EXPECT_GT(p.R(x, y), 225) << x << "," << y;
      EXPECT_GT(p.G(x, y), 140) << x << "," << y;
      EXPECT_LT(p.B(x, y), p.G(x, y) - 30) << x << "," << y;
    }
  // Brown log walls beside it.
  for (auto [x, y] : {std::pair{166, 144}, std::pair{178, 138}, std::pair{196, 142}}) {
    EXPECT_EQ(p.A(x, y), 255) << x << "," << y;
    EXPECT_GT(p.R(x, y), p.G(x, y) + 15) << x << "," << y;
    EXPECT_GT(p.G(x, y), p.B(x, y)) << x << "," << y;
  }
  // Green firs to the right of the cabin, and none of the cabin's pixels
  // leave its place.
  int green = 0;
  for (int y = 97; y <= 150; ++y)
    for (int x = 195; x <= 241; ++x)
      if (p.A(x, y) == 255 && p.G(x, y) > p.R(x, y) + 25 && p.G(x, y) > p.B(x, y)) ++green;
  EXPECT_GT(green, 250);
  for (int y = 97; y < 104; ++y)
    for (int x = 143; x <= 190; ++x) EXPECT_EQ(p.A(x, y), 0) << "above the cabin at " << x << "," << y;
}

}  // namespace
}  // namespace gd::art_test
