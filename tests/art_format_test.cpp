// The stored form of the scene pictures: every picture present, 8-bit RGBA,
// not interlaced, at the size its users rely on; the mask a plain BMP.
#include <gtest/gtest.h>

#include <map>

#include "art_files.h"

namespace gd::art_test {
namespace {

struct Size {
  int w, h;
};

std::map<std::string, Size> ExpectedSizes() {
  std::map<std::string, Size> s = {
      {"imgTree", {300, 260}},      {"imgStars", {300, 260}}, {"imgLandscape", {300, 260}},
      {"imgHome", {300, 260}},      {"img3", {300, 260}},     {"imgDay", {201, 1341}},
      {"imgDDay", {41, 20}},        {"imgDays", {53, 20}},    {"Snow1", {1, 1}},
      {"Snow2", {3, 3}},            {"Snow3", {1, 1}},        {"Snow4", {3, 3}},
      {"Snow5", {7, 7}},            {"Snow6", {7, 7}},
  };
  const int digit_widths[10] = {17, 11, 19, 18, 18, 17, 17, 16, 18, 18};
  for (int d = 0; d <= 9; ++d) s[SeriesName("d", d)] = {digit_widths[d], 20};
  for (int f = 1; f <= 5; ++f) {
    s[SeriesName("sun", f)] = {60, 59};
    s[SeriesName("sundown", f)] = {60, 59};
  }
  for (int p = 1; p <= 7; ++p)
    for (int f = 1; f <= 5; ++f) s[SeriesName("moon", p, f)] = {95, 95};
  return s;
}

TEST(ArtFormat, EveryPictureIsEightBitRgbaAtItsSize) {
  const auto sizes = ExpectedSizes();
  const auto names = AllPngNames();
  ASSERT_EQ(names.size(), 69u);  // with the mask: the 61 series names and the 9 fixed ones
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const Picture p = LoadPng(name);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.bit_depth, 8);
    EXPECT_EQ(p.colour_type, 6);
    EXPECT_EQ(p.interlace, 0);
    ASSERT_TRUE(sizes.count(name));
    EXPECT_EQ(p.width, sizes.at(name).w);
    EXPECT_EQ(p.height, sizes.at(name).h);
  }
}

TEST(ArtFormat, MaskIsAnUncompressedBottomUp24BitBmp) {
  const Bitmap m = LoadBmp("imgMask");
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(m.width, 300);
  EXPECT_EQ(m.height, 260);  // positive: bottom row first
  EXPECT_EQ(m.data_offset, 54u);
  EXPECT_EQ(m.header_size, 40u);
  EXPECT_EQ(m.planes, 1);
  EXPECT_EQ(m.bits_per_pixel, 24);
  EXPECT_EQ(m.compression, 0u);
  EXPECT_EQ(m.row_bytes % 4, 0u);
  EXPECT_EQ(m.file_size, 54 + m.row_bytes * 260);
  EXPECT_EQ(m.bytes_in_file, m.file_size);
}

TEST(ArtFormat, MaskRowsAreStoredBottomFirst) {
  // Row 0 of the picture (all white, above the globe) is the last row in
  // the file; the first stored row is the picture's row 259, white too, so
  // look at a row that differs: the file's row for picture row 100 must
  // hold the globe's dark interior in its middle.
  const Bitmap m = LoadBmp("imgMask");
  ASSERT_TRUE(m.ok) << m.error;
  const std::vector<uint8_t> file = ReadFile(ArtPath("imgMask.bmp"));
  const size_t stored_row = 259 - 100;
  const uint8_t* middle = &file[54 + stored_row * m.row_bytes + 147 * 3];
  EXPECT_EQ(middle[0], 0);
  EXPECT_TRUE(m.White(147, 5));
  EXPECT_FALSE(m.White(147, 100));
}

}  // namespace
}  // namespace gd::art_test
