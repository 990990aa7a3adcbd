// Reducing pictures by area: the rule itself on a small case, and the drawn
// sets of the program, which must reduce exactly to the scale-1 pictures.
#include <gtest/gtest.h>

#include "images/area_reduce.h"
#include "images/catalogue.h"

namespace gd {
namespace {

TEST(AreaReduce, AveragesPremultipliedColourOverEachNewPixel) {
  // 4 x 4 to 3 x 3: two opaque red columns, two transparent black ones. The
  // middle column of the result covers a third of each: half covered, and
  // still pure red (a straight average would darken it towards black).
  std::vector<uint8_t> src;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool red = x < 2;
      src.insert(src.end(), {static_cast<uint8_t>(red ? 255 : 0), 0, 0, static_cast<uint8_t>(red ? 255 : 0)});
    }
  const Pixels4 out = ReduceByArea(src.data(), 4, 4, 4, 3);
  ASSERT_EQ(out.width, 3);
  ASSERT_EQ(out.height, 3);
  for (int y = 0; y < 3; ++y) {
    const uint8_t* row = &out.bytes[static_cast<size_t>(y) * 12];
    EXPECT_EQ(std::vector<uint8_t>(row, row + 12),
              (std::vector<uint8_t>{255, 0, 0, 255, 255, 0, 0, 128, 0, 0, 0, 0}));
  }
  // A picture whose size is not a multiple: the last row and column cover
  // area beyond it, which counts as transparent.
  const Pixels4 odd = ReduceByArea(src.data(), 3, 1, 2, 1);  // the top row's first three pixels
  ASSERT_EQ(odd.width, 2);
  EXPECT_EQ(odd.bytes, (std::vector<uint8_t>{255, 0, 0, 128, 0, 0, 0, 0}));
}

TEST(AreaReduce, DrawnSetsReduceToTheScaleOnePictures) {
  const SceneCatalogue& one = SceneCatalogue::Embedded();
  struct Set {
    int scale;
    SceneCatalogue pictures;
  };
  const Set sets[] = {{2, SceneCatalogue::FromStored(kEmbeddedPictures2x, kEmbeddedPictureCount2x)},
                      {3, SceneCatalogue::FromStored(kEmbeddedPictures3x, kEmbeddedPictureCount3x)}};
  for (const Set& set : sets) {
    EXPECT_EQ(set.pictures.Size(), one.Size());
    for (size_t i = 0; i < set.pictures.Size(); ++i) {
      const SceneImage& big = set.pictures.At(i);
      if (big.name == "imgMask") continue;  // a region, not a picture to average
      const SceneImage* small = one.FindSceneImage(big.name);
      ASSERT_NE(small, nullptr) << big.name;
      const Pixels4 reduced = ReduceByArea(big.bgra.data(), big.width, big.height, set.scale, 1);
      EXPECT_EQ(reduced.width, small->width) << big.name;
      EXPECT_EQ(reduced.height, small->height) << big.name;
      EXPECT_TRUE(reduced.bytes == small->bgra) << big.name << " at scale " << set.scale;
    }
  }
}

}  // namespace
}  // namespace gd
