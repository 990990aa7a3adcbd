// The sky strip and the stars.
#include <gtest/gtest.h>

#include <algorithm>

#include "art_files.h"

namespace gd::art_test {
namespace {

struct Key {
  int row, r, g, b;
};
constexpr Key kKeys[] = {
    {0, 2, 6, 16},         {100, 1, 23, 45},      {200, 1, 48, 82},      {300, 0, 69, 121},
    {400, 0, 94, 155},     {450, 36, 105, 164},   {500, 147, 137, 152},  {525, 205, 154, 135},
    {550, 251, 171, 124},  {600, 255, 217, 144},  {625, 255, 239, 173},  {650, 255, 243, 183},
    {700, 253, 243, 190},  {800, 245, 243, 205},  {900, 237, 243, 220},  {1000, 231, 243, 229},
    {1100, 226, 242, 237}, {1200, 222, 240, 245}, {1340, 217, 239, 252},
};

class SkyStrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { strip_ = new Picture(LoadPng("imgDay")); }
  static void TearDownTestSuite() { delete strip_; }
  void SetUp() override { ASSERT_TRUE(strip_->ok) << strip_->error; }
  static Picture* strip_;
};
Picture* SkyStrip::strip_ = nullptr;

TEST_F(SkyStrip, EveryRowIsOneColour) {
  for (int y = 0; y < strip_->height; ++y)
    for (int x = 1; x < strip_->width; ++x)
      for (int k = 0; k < 3; ++k) ASSERT_EQ(strip_->At(x, y)[k], strip_->At(0, y)[k]) << x << "," << y;
}

TEST_F(SkyStrip, PassesThroughTheKeyColours) {
  for (const Key& k : kKeys) {
    SCOPED_TRACE(k.row);
    EXPECT_NEAR(strip_->R(100, k.row), k.r, 2);
    EXPECT_NEAR(strip_->G(100, k.row), k.g, 2);
    EXPECT_NEAR(strip_->B(100, k.row), k.b, 2);
  }
}

TEST_F(SkyStrip, RunsSmoothlyBetweenKeysWithoutOvershoot) {
  for (size_t i = 0; i + 1 < std::size(kKeys); ++i) {
    const Key& a = kKeys[i];
    const Key& b = kKeys[i + 1];
    const int lo[3] = {std::min(a.r, b.r), std::min(a.g, b.g), std::min(a.b, b.b)};
    const int hi[3] = {std::max(a.r, b.r), std::max(a.g, b.g), std::max(a.b, b.b)};
    for (int y = a.row; y <= b.row; ++y)
      for (int k = 0; k < 3; ++k) {
        const int v = strip_->At(100, y)[k];
        EXPECT_GE(v, lo[k] - 2) << "row " << y;
        EXPECT_LE(v, hi[k] + 2) << "row " << y;
        if (y > 0) {
          EXPECT_LE(std::abs(v - strip_->At(100, y - 1)[k]), 4) << "jump at row " << y;
        }
      }
  }
}

TEST_F(SkyStrip, EdgeColumnsAndLastRowHaveTheirAlpha) {
  for (int y = 0; y < strip_->height - 1; ++y) {
    ASSERT_EQ(strip_->A(0, y), 165) << y;
    for (int x = 1; x <= 198; ++x) ASSERT_EQ(strip_->A(x, y), 255) << x << "," << y;
    ASSERT_EQ(strip_->A(199, y), 0) << y;
    ASSERT_EQ(strip_->A(200, y), 0) << y;
  }
  const int last = strip_->height - 1;
  EXPECT_EQ(strip_->A(0, last), 132);
  for (int x = 1; x <= 198; ++x) EXPECT_EQ(strip_->A(x, last), 204) << x;
  EXPECT_EQ(strip_->A(199, last), 0);
  EXPECT_EQ(strip_->A(200, last), 0);
}

TEST(Stars, FaintPointsInTheUpperGlassInOneColour) {
  const Picture s = LoadPng("imgStars");
  ASSERT_TRUE(s.ok) << s.error;
  int visible = 0, faint = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const int a = s.A(x, y);
      if (a == 0) continue;
      ++visible;
      if (a < 32) ++faint;
      EXPECT_LT(a, 255);
      EXPECT_EQ(s.R(x, y), 254);
      EXPECT_EQ(s.G(x, y), 255);
      EXPECT_EQ(s.B(x, y), 247);
      EXPECT_TRUE(x >= 61 && x <= 235 && y >= 36 && y <= 105) << x << "," << y;
    }
  EXPECT_GE(visible, 90);
  EXPECT_LE(visible, 130);
  EXPECT_GT(faint, visible / 2);
}

TEST(Stars, ThreeBrightCrossesAreTheBrightestPoints) {
  const Picture s = LoadPng("imgStars");
  ASSERT_TRUE(s.ok) << s.error;
  struct Cross {
    int x, y, alpha;
  };
  const Cross crosses[] = {{109, 40, 153}, {140, 69, 127}, {208, 76, 127}};
  for (const Cross& c : crosses) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(s.A(c.x, c.y), c.alpha);
    for (auto [dx, dy] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
      EXPECT_GT(s.A(c.x + dx, c.y + dy), 0);
      EXPECT_LT(s.A(c.x + dx, c.y + dy), c.alpha);
    }
    for (auto [dx, dy] : {std::pair{-1, -1}, std::pair{1, 1}, std::pair{1, -1}, std::pair{-1, 1}})
      EXPECT_EQ(s.A(c.x + dx, c.y + dy), 0) << "a cross, not a square";
  }
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      bool centre = false;
      for (const Cross& c : crosses) centre |= c.x == x && c.y == y;
      if (!centre) {
        EXPECT_LT(s.A(x, y), 127) << x << "," << y;
      }
    }
}

}  // namespace
}  // namespace gd::art_test
