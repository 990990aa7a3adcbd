// The pictures at display scales between and at the drawn sets, and the
// arithmetic of logical and device pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/window_shape.h"
#include "base/scale.h"
#include "images/scaled_catalogue.h"

namespace gd {
namespace {

TEST(Scale, DevicePlacesRoundHalvesToEvenAndScalesComeFromTheNextLargerSet) {
  EXPECT_EQ(ToDevice(300, 5), 375);
  EXPECT_EQ(ToDevice(260, 7), 455);
  EXPECT_EQ(ToDevice(45, 6), 68);       // 67.5
  EXPECT_EQ(ToDevice(7, 6), 10);        // 10.5
  EXPECT_EQ(ToDevice(-1201, 6), -1802); // -1801.5
  EXPECT_EQ(ToDevice(-3, 5), -4);       // -3.75
  EXPECT_EQ(DrawnScaleFor(4), 1);
  EXPECT_EQ(DrawnScaleFor(5), 2);
  EXPECT_EQ(DrawnScaleFor(8), 2);
  EXPECT_EQ(DrawnScaleFor(9), 3);
  EXPECT_EQ(ScaleQuartersOfPercent(175), 7);
  EXPECT_EQ(ScaleQuartersOf(1.37), 5);
  EXPECT_EQ(ScaleQuartersOf(8.0), kScaleQuartersMax);
}

TEST(ScaledCatalogue, ReducesTheLargerSetAndCutsTheShapeAtTheSameScale) {
  for (int quarters : {6, 8}) {
    const SceneCatalogue c = CatalogueAtScale(quarters);
    ASSERT_EQ(c.Size(), SceneCatalogue::Embedded().Size());
    const SceneImage& tree = RequireSceneImage(c, "imgTree");
    EXPECT_EQ(tree.width, ToDevice(300, quarters));
    EXPECT_EQ(tree.height, ToDevice(260, quarters));
    EXPECT_TRUE(tree.Drawable());
    EXPECT_EQ(RequireSceneImage(c, "sun1").height, quarters == 6 ? 89 : 118);  // 88.5 rounds up
    const SceneImage& mask = RequireSceneImage(c, "imgMask");
    ASSERT_NE(mask.bitmap, nullptr);
    const Region shape = RegionFromMask(*mask.bitmap);
    Rect inside{mask.width, mask.height, 0, 0};
    for (int y = 0; y < mask.height; ++y)
      for (int x = 0; x < mask.width; ++x)
        if (shape.Contains(x, y))
          inside = {std::min(inside.left, x), std::min(inside.top, y), std::max(inside.right, x + 1),
                    std::max(inside.bottom, y + 1)};
    // The globe's extent at scale 1 (columns 47 to 246, rows 11 to 225),
    // scaled, give or take the pixel the finer outline may gain or lose.
    EXPECT_NEAR(inside.left, 47 * quarters / 4.0, 1) << quarters;
    EXPECT_NEAR(inside.top, 11 * quarters / 4.0, 1) << quarters;
    EXPECT_NEAR(inside.right, 247 * quarters / 4.0, 1) << quarters;
    EXPECT_NEAR(inside.bottom, 226 * quarters / 4.0, 1) << quarters;
  }
}

}  // namespace
}  // namespace gd
