// The catalogue compiled into the program: every name the scene can ask for,
// with its size, and the lookup's rules for case and near-miss names.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "images/catalogue.h"

namespace gd {
namespace {

// "sun" and 3 make "sun3".
std::string Numbered(const char* stem, int n) {
  std::string name = stem;
  name += std::to_string(n);
  return name;
}

const SceneCatalogue& Art() { return SceneCatalogue::Embedded(); }

void ExpectSize(const std::string& name, int w, int h) {
  const SceneImage* image = Art().FindSceneImage(name);
  ASSERT_NE(image, nullptr) << name;
  EXPECT_EQ(image->width, w) << name;
  EXPECT_EQ(image->height, h) << name;
}

TEST(Catalogue, HoldsTheFixedPicturesWithTheirSizes) {
  for (const char* name : {"imgTree", "imgStars", "imgLandscape", "imgHome", "img3", "imgMask"})
    ExpectSize(name, 300, 260);
  ExpectSize("imgDay", 201, 1341);
  ExpectSize("imgDDay", 41, 20);
  ExpectSize("imgDays", 53, 20);
  EXPECT_NE(Art().FindSceneImage("imgMask")->bitmap, nullptr);
  EXPECT_NE(Art().FindSceneImage("imgTree")->png, nullptr);
}

TEST(Catalogue, HoldsEveryNameTheScenesBuild) {
  int found = 0;
  for (int f = 1; f <= 5; ++f) {
    ExpectSize(Numbered("sun", f), 60, 59);
    ExpectSize(Numbered("sundown", f), 60, 59);
    found += 2;
    for (int phase = 1; phase <= 7; ++phase, ++found) {
      char name[32];
      std::snprintf(name, sizeof name, "moon%d_%d", phase, f);
      ExpectSize(name, 95, 95);
    }
  }
  const int snow[6] = {1, 3, 1, 3, 7, 7};
  for (int i = 0; i < 6; ++i, ++found) ExpectSize(Numbered("Snow", i + 1), snow[i], snow[i]);
  const int digits[10] = {17, 11, 19, 18, 18, 17, 17, 16, 18, 18};
  for (int d = 0; d < 10; ++d, ++found) ExpectSize(Numbered("d", d), digits[d], 20);
  EXPECT_EQ(found, 61);
}

TEST(Catalogue, IgnoresTheCaseOfLettersOnly) {
  const SceneImage* d7 = Art().FindSceneImage("d7");
  EXPECT_EQ(Art().FindSceneImage("D7"), d7);
  EXPECT_EQ(Art().FindSceneImage("IMGTREE"), Art().FindSceneImage("imgTree"));
  EXPECT_EQ(Art().FindSceneImage("MOON4_1"), Art().FindSceneImage("moon4_1"));
}

TEST(Catalogue, FindsNothingForNearMisses) {
  for (const char* name : {"", "sun0", "sun6", "sun01", "moon8_1", "moon4_6", "moon4_0", "d 7", " d7", "d07",
                           "Snow7", "moon4_1 ", "imgTree\n"})
    EXPECT_EQ(Art().FindSceneImage(name), nullptr) << '"' << name << '"';
}

TEST(Catalogue, BlendCopyMatchesTheDecodedPlanes) {
  // The blend reads a copy of each picture; it must hold the decoder's own
  // colour and alpha, rows from the top.
  const SceneImage& sun = *Art().FindSceneImage("sun3");
  const PngImage& png = *sun.png;
  for (int y = 0; y < sun.height; ++y) {
    const uint8_t* color = png.ColorRow(static_cast<uint32_t>(y));
    const uint8_t* alpha = png.AlphaRow(static_cast<uint32_t>(y));
    for (int x = 0; x < sun.width; ++x) {
      const uint8_t* px = &sun.bgra[(static_cast<size_t>(y) * sun.width + x) * 4];
      ASSERT_EQ(px[0], color[x * 3]);
      ASSERT_EQ(px[1], color[x * 3 + 1]);
      ASSERT_EQ(px[2], color[x * 3 + 2]);
      ASSERT_EQ(px[3], alpha[x]);
    }
  }
}

TEST(Catalogue, ABrokenStoredPicturePassesTheDecodersErrorOn) {
  static const uint8_t bad[] = {11, 'T', 'P', 'n', 'g', 'P', 'i', 'c', 't', 'u', 'r', 'e', 1, 2, 3};
  const EmbeddedPicture pictures[] = {{"imgBroken", bad, sizeof bad}};
  EXPECT_THROW(SceneCatalogue::FromStored(pictures, 1), PngException);
}

TEST(Catalogue, AnUnregisteredClassLeavesTheEntryWithoutAPicture) {
  static const uint8_t other[] = {8, 'T', 'M', 'e', 't', 'a', 'f', 'i', 'l', 1, 2, 3};
  const EmbeddedPicture pictures[] = {{"imgOther", other, sizeof other}};
  SceneCatalogue c = SceneCatalogue::FromStored(pictures, 1);
  const SceneImage* image = c.FindSceneImage("imgother");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->png, nullptr);
  EXPECT_EQ(image->bitmap, nullptr);
  EXPECT_EQ(image->width, 0);
}

}  // namespace
}  // namespace gd
