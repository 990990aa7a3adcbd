// The globe picture, its mask and the front layer fit together: the window's
// shape is cut from the mask, its per-pixel alpha comes from the globe, and
// the front covers the globe's edges.
#include <gtest/gtest.h>

#include <cmath>

#include "art_files.h"

namespace gd::art_test {
namespace {

class GlobeArt : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new Picture(LoadPng("imgTree"));
    front_ = new Picture(LoadPng("img3"));
    mask_ = new Bitmap(LoadBmp("imgMask"));
  }
  static void TearDownTestSuite() {
    delete tree_;
    delete front_;
    delete mask_;
  }
  void SetUp() override {
    ASSERT_TRUE(tree_->ok) << tree_->error;
    ASSERT_TRUE(front_->ok) << front_->error;
    ASSERT_TRUE(mask_->ok) << mask_->error;
    ASSERT_EQ(mask_->width, tree_->width);
    ASSERT_EQ(mask_->height, tree_->height);
  }
  static Picture* tree_;
  static Picture* front_;
  static Bitmap* mask_;
};
Picture* GlobeArt::tree_ = nullptr;
Picture* GlobeArt::front_ = nullptr;
Bitmap* GlobeArt::mask_ = nullptr;

TEST_F(GlobeArt, MaskAndGlobeAlphaAgree) {
  int opaque = 0, rim = 0;
  for (int y = 0; y < 260; ++y) {
    for (int x = 0; x < 300; ++x) {
      const int a = tree_->A(x, y);
      if (a == 255) {
        EXPECT_FALSE(mask_->White(x, y)) << "opaque globe pixel outside the shape at " << x << "," << y;
        ++opaque;
      }
      if (!mask_->White(x, y)) {
        EXPECT_GE(a, 128) << "inside the shape but mostly transparent at " << x << "," << y;
        if (a < 255) ++rim;
      }
    }
  }
  EXPECT_GT(opaque, 30000);
  EXPECT_GT(rim, 100);  // an anti-aliased fringe along the outline
}

TEST_F(GlobeArt, MaskIsWhiteOutsideAndGreyInside) {
  bool seen_black = false, seen_grey = false;
  for (int y = 0; y < 260; ++y)
    for (int x = 0; x < 300; ++x) {
      const uint8_t* p = &mask_->rgb[(static_cast<size_t>(y) * 300 + x) * 3];
      EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << "not grey at " << x << "," << y;
      seen_black |= p[0] == 0;
      seen_grey |= p[0] > 0 && p[0] < 255;
    }
  EXPECT_TRUE(seen_black);
  EXPECT_TRUE(seen_grey);
}

TEST_F(GlobeArt, MaskHoldsOneStretchPerRowWithinTheGlobe) {
  int left = 300, right = -1, top = 260, bottom = -1;
  for (int y = 0; y < 260; ++y) {
    int stretches = 0;
    bool inside = false;
    for (int x = 0; x < 300; ++x) {
      const bool now = !mask_->White(x, y);
      if (now && !inside) ++stretches;
      inside = now;
      if (now) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    EXPECT_LE(stretches, 1) << "row " << y;
    if (y <= 10 || y >= 226) {
      EXPECT_EQ(stretches, 0) << "row " << y << " must be all white";
    }
  }
  EXPECT_EQ(left, 47);
  EXPECT_EQ(right, 246);
  EXPECT_EQ(top, 11);
  EXPECT_EQ(bottom, 225);
}

TEST_F(GlobeArt, VisibilityProbePointsLieOnTheWindow) {
  // The compositor asks whether the window shows at (75, 40), on the glass
  // edge, and at (220, 220), on the stand.
  for (auto [x, y] : {std::pair{75, 40}, std::pair{220, 220}}) {
    EXPECT_FALSE(mask_->White(x, y)) << x << "," << y;
    EXPECT_GT(tree_->A(x, y), 0) << x << "," << y;
  }
  EXPECT_LT(tree_->A(75, 40), 255);  // on the anti-aliased edge
  EXPECT_EQ(tree_->A(220, 220), 255);
}

TEST_F(GlobeArt, GlobeIsTransparentAroundItExceptTheShadow) {
  int shadow_pixels = 0, shadow_left = 300, shadow_right = -1, shadow_bottom = -1;
  for (int y = 0; y < 260; ++y)
    for (int x = 0; x < 300; ++x) {
      if (!mask_->White(x, y)) continue;
      const int a = tree_->A(x, y);
      EXPECT_LT(a, 255);
      if (y < 10) {
        EXPECT_EQ(a, 0) << x << "," << y;
      }
      if (y >= 226 && a > 0) {
        ++shadow_pixels;
        shadow_left = std::min(shadow_left, x);
        shadow_right = std::max(shadow_right, x);
        shadow_bottom = std::max(shadow_bottom, y);
        EXPECT_LT(tree_->R(x, y), 80) << "the shadow is a dark grey";
      }
    }
  EXPECT_GT(shadow_pixels, 2000);
  EXPECT_NEAR(shadow_bottom, 252, 4);
  EXPECT_NEAR(shadow_left, 14, 6);
  EXPECT_NEAR(shadow_right, 282, 6);
  EXPECT_EQ(tree_->A(0, 0), 0);
  EXPECT_EQ(tree_->A(299, 0), 0);
  EXPECT_EQ(tree_->A(5, 130), 0);
}

TEST_F(GlobeArt, GlassIsLightBlueAtTheLightAndDeeperAtTheRim) {
  const int light[3] = {139, 215, 250}, rim[3] = {70, 112, 181};
  EXPECT_NEAR(tree_->R(135, 82), light[0], 12);
  EXPECT_NEAR(tree_->G(135, 82), light[1], 12);
  EXPECT_NEAR(tree_->B(135, 82), light[2], 12);
  // Just inside the edge, on the side away from the light.
  EXPECT_NEAR(tree_->R(244, 120), rim[0], 20);
  EXPECT_NEAR(tree_->G(244, 120), rim[1], 20);
  EXPECT_NEAR(tree_->B(244, 120), rim[2], 20);
}

TEST_F(GlobeArt, StandWidensDownwardAndIsDarkWood) {
  auto opaque_span = [&](int y) {
    int l = -1, r = -1;
    for (int x = 0; x < 300; ++x)
      if (tree_->A(x, y) == 255) {
        if (l < 0) l = x;
        r = x;
      }
    return std::pair{l, r};
  };
  const auto top = opaque_span(178), foot = opaque_span(222);
  EXPECT_NEAR(top.first, 65, 2);
  EXPECT_NEAR(top.second, 229, 2);
  EXPECT_NEAR(foot.first, 51, 2);
  EXPECT_NEAR(foot.second, 243, 2);
  // Wood around the plaque: dark and warm (red above green above blue).
  for (auto [x, y] : {std::pair{75, 200}, std::pair{215, 200}, std::pair{147, 214}, std::pair{147, 179}}) {
    EXPECT_LT(tree_->R(x, y), 200) << x << "," << y;
    EXPECT_GT(tree_->R(x, y), tree_->G(x, y)) << x << "," << y;
    EXPECT_GT(tree_->G(x, y), tree_->B(x, y)) << x << "," << y;
  }
}

TEST_F(GlobeArt, PlaqueShadesFromYellowThroughWhiteToRedBrown) {
  const int y = 196;
  // Yellow at the left end: strong red and green, little blue.
  EXPECT_GT(tree_->R(89, y), 200);
  EXPECT_GT(tree_->G(89, y), 150);
  EXPECT_LT(tree_->B(89, y), 120);
  // Almost white near x 118.
  EXPECT_GT(tree_->R(118, y), 230);
  EXPECT_GT(tree_->G(118, y), 210);
  EXPECT_GT(tree_->B(118, y), 150);
  // Red-brown at the right end.
  EXPECT_LT(tree_->R(206, y), 170);
  EXPECT_GT(tree_->R(206, y), tree_->G(206, y) + 40);
  // Getting steadily darker from the highlight to the right end.
  int previous = 1000;
  for (int x = 120; x <= 205; x += 17) {
    const int sum = tree_->R(x, y) + tree_->G(x, y) + tree_->B(x, y);
    EXPECT_LT(sum, previous) << x;
    previous = sum;
  }
}

TEST_F(GlobeArt, FrontIsRimGlossAndStandOnly) {
  for (int y = 0; y < 260; ++y)
    for (int x = 0; x < 300; ++x) {
      const int a = front_->A(x, y);
      if (a == 0) continue;
      EXPECT_GT(tree_->A(x, y), 0) << "front outside the globe at " << x << "," << y;
      EXPECT_TRUE(x >= 46 && x <= 247 && y >= 10 && y <= 225) << x << "," << y;
      const double r = std::hypot(x + 0.5 - 147, y + 0.5 - 111);
      if (y < 176 && r < 94) {
        EXPECT_TRUE(x >= 69 && x <= 149 && y >= 17 && y <= 75) << "inside the glass at " << x << "," << y;
        EXPECT_LT(a, 128) << "the gloss is faint, at " << x << "," << y;
      }
    }
}

TEST_F(GlobeArt, FrontRimIsAnOpaqueDarkBlueRing) {
  int ring = 0;
  for (int deg = 200; deg <= 340; deg += 5) {  // the upper half, where nothing covers the rim
    const double t = deg * M_PI / 180;
    const int x = static_cast<int>(std::floor(147 + 98.5 * std::cos(t)));
    const int y = static_cast<int>(std::floor(111 + 98.5 * std::sin(t)));
    EXPECT_EQ(front_->A(x, y), 255) << deg;
    if (deg >= 280) {  // away from the glint at the upper left
      EXPECT_GT(front_->B(x, y), front_->R(x, y) + 30) << deg;
      EXPECT_LT(front_->R(x, y), 110) << deg;
    }
    ++ring;
  }
  EXPECT_GT(ring, 20);
}

TEST_F(GlobeArt, FrontStandMatchesTheGlobesStand) {
  int compared = 0;
  for (int y = 186; y <= 224; ++y)
    for (int x = 0; x < 300; ++x) {
      if (tree_->A(x, y) != 255) continue;
      ASSERT_EQ(front_->A(x, y), 255) << x << "," << y;
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(front_->At(x, y)[k], tree_->At(x, y)[k], 2) << x << "," << y;
      ++compared;
    }
  EXPECT_GT(compared, 6000);
}

TEST_F(GlobeArt, FrontCoversTheWindowEdgeCompletely) {
  // Where the window's alpha is partial (the outline's fringe), the front
  // must replace whatever the sky strip left there, or its colour would
  // bleed into the edge.
  for (int y = 10; y <= 225; ++y)
    for (int x = 0; x < 300; ++x) {
      const int ta = tree_->A(x, y);
      if (ta == 0 || ta == 255 || mask_->White(x, y)) continue;
      EXPECT_EQ(front_->A(x, y), 255) << x << "," << y;
      for (int k = 0; k < 3; ++k) EXPECT_LE(front_->At(x, y)[k], ta) << x << "," << y;
    }
}

}  // namespace
}  // namespace gd::art_test
