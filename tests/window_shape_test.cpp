#include <gtest/gtest.h>

#include <vector>

#include "app/window_shape.h"

namespace gd {
namespace {

// A mask given as rows of colours.
struct FakeMask {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  int reads = 0;
  int Width() const { return w; }
  int Height() const { return h; }
  uint32_t Pixel(int x, int y) const {
    ++const_cast<FakeMask*>(this)->reads;
    return px[y * w + x];
  }
};

FakeMask Mask(int w, int h, uint32_t fill) { return FakeMask{w, h, std::vector<uint32_t>(w * h, fill)}; }

constexpr uint32_t W = kPureWhite;
constexpr uint32_t K = 0x000000;

int CountInside(const Region& r, int w, int h) {
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) n += r.Contains(x, y);
  return n;
}

TEST(RegionFromMask, NoWhiteGivesTheFullRectangle) {
  Region r = RegionFromMask(Mask(5, 4, K));
  EXPECT_TRUE(r.Cuts().empty());
  EXPECT_EQ(r.Rectangles(), (std::vector<Rect>{{0, 0, 5, 4}}));
}

TEST(RegionFromMask, AllWhiteIsEmpty) {
  Region r = RegionFromMask(Mask(5, 4, W));
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(r.Cuts().size(), 4u);  // one whole-row run per row
}

TEST(RegionFromMask, ZeroSizeReadsNothing) {
  FakeMask m = Mask(0, 3, K);
  EXPECT_TRUE(RegionFromMask(m).IsEmpty());
  FakeMask n = Mask(3, 0, K);
  EXPECT_TRUE(RegionFromMask(n).IsEmpty());
  EXPECT_EQ(m.reads + n.reads, 0);
}

TEST(RegionFromMask, RunsAtRowEndsAndHolesAreCut) {
  FakeMask m{6, 2, {K, W, W, K, K, W,  //
                    W, W, K, K, K, K}};
  Region r = RegionFromMask(m);
  // Row 0: a hole at 1-2 and the trailing white pixel; row 1: the leading run.
  EXPECT_EQ(r.Cuts(), (std::vector<Rect>{{1, 0, 3, 1}, {5, 0, 6, 1}, {0, 1, 2, 2}}));
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 2; ++y) EXPECT_EQ(r.Contains(x, y), m.px[y * 6 + x] != W) << x << "," << y;
}

TEST(RegionFromMask, NearWhiteStaysInside) {
  FakeMask m{4, 1, {0xFEFEFE, 0xFFFFFE, 0xFEFFFF, W}};
  Region r = RegionFromMask(m);
  EXPECT_EQ(CountInside(r, 4, 1), 3);
  EXPECT_FALSE(r.Contains(3, 0));
}

TEST(RegionFromMask, EachColourChangeEndsARun) {
  // Grey shades next to each other are separate runs, none of them cut.
  FakeMask m{5, 1, {0x101010, 0x202020, W, 0x303030, W}};
  Region r = RegionFromMask(m);
  EXPECT_EQ(r.Cuts(), (std::vector<Rect>{{2, 0, 3, 1}, {4, 0, 5, 1}}));
}

TEST(Region, RectanglesCoverExactlyTheRegion) {
  Region r(Rect{0, 0, 8, 6});
  r.Subtract({2, 1, 5, 3});
  r.Subtract({0, 4, 8, 5});
  r.Subtract({6, 0, 9, 2});  // reaches past the bounds
  const std::vector<Rect> rects = r.Rectangles();
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      int hits = 0;
      for (const Rect& rc : rects) hits += rc.Contains(x, y);
      EXPECT_EQ(hits, r.Contains(x, y) ? 1 : 0) << x << "," << y;
    }
}

}  // namespace
}  // namespace gd
