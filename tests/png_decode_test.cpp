// Pixels: every colour type, bit depth, filter type and interlace, from files
// written by libpng or by the test's own chunk builder, checked against the
// samples they were made from (and against libpng reading the same file).
#include <gtest/gtest.h>
#include <png.h>

#include <random>
#include <string>
#include <tuple>

#include "images/png_filters.h"
#include "images/png_rgba.h"
#include "png_test_support.h"

namespace gd::test {
namespace {

struct Format {
  uint8_t color_type;
  uint8_t bit_depth;
};

constexpr Format kAllFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                  {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

SourceImage ImageOf(Format f, uint32_t width, uint32_t height, uint32_t seed) {
  const int entries = f.color_type == 3 ? (1 << f.bit_depth) - (f.bit_depth > 1 ? 1 : 0) : 0;
  return RandomImage(width, height, f.color_type, f.bit_depth, seed, entries);
}

void ExpectRgba(const Bytes& file, const SourceImage& source) {
  const RgbaImage ours = ExpandToRgba(Decode(file));
  ASSERT_EQ(ours.width, source.width);
  ASSERT_EQ(ours.height, source.height);
  EXPECT_EQ(ours.pixels, ExpectedRgba(source));
}

std::string FormatName(Format f) {
  return "colour type " + std::to_string(f.color_type) + ", depth " + std::to_string(f.bit_depth);
}

TEST(PngDecode, EveryFormatFilterAndInterlaceWrittenByLibpng) {
  constexpr int kFilters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP,
                              PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
  // Odd sizes leave Adam7 passes partly or wholly empty and rows with padding bits.
  constexpr std::pair<uint32_t, uint32_t> kSizes[] = {{1, 1}, {3, 2}, {13, 11}, {37, 9}};
  uint32_t seed = 1;
  for (Format f : kAllFormats) {
    for (auto [w, h] : kSizes) {
      for (bool interlaced : {false, true}) {
        for (int filters : kFilters) {
          SCOPED_TRACE(FormatName(f) + ", " + std::to_string(w) + "x" + std::to_string(h) +
                       (interlaced ? ", interlaced" : "") + ", filters " + std::to_string(filters));
          const SourceImage source = ImageOf(f, w, h, seed++);
          const Bytes file = EncodeWithLibpng(source, interlaced, filters);
          ExpectRgba(file, source);
          const LibpngImage reference = DecodeWithLibpng(file);
          ASSERT_TRUE(reference.ok) << reference.error;
          EXPECT_EQ(reference.rgba, ExpectedRgba(source));
        }
      }
    }
  }
}

TEST(PngDecode, EachFilterTypeOnEveryRowAndMixedRows) {
  uint32_t seed = 100;
  for (Format f : kAllFormats) {
    const SourceImage source = ImageOf(f, 29, 7, seed++);
    for (uint8_t filter = 0; filter <= 4; ++filter) {
      SCOPED_TRACE(FormatName(f) + ", filter " + std::to_string(filter));
      ExpectRgba(SimplePng(source, filter), source);
    }
    SCOPED_TRACE(FormatName(f) + ", a different filter on each row");
    const Bytes scanlines = FilterScanlines(source, [](uint32_t y) { return static_cast<uint8_t>((y * 3 + 1) % 5); });
    ExpectRgba(PngBuilder().IhdrOf(source).PaletteOf(source).ImageData(Deflate(scanlines)).Iend().bytes(),
               source);
  }
}

TEST(PngDecode, PaethTiesResolvedInTheStandardOrder) {
  // Two grey rows, Paeth on both. In the second row (a left, b above, c upper left):
  //   x=1: a=20, b=50, c=40: p=30, pa=10, pb=20, pc=10: a tie of left and upper
  //        left, which left wins (20; upper left would give 40).
  //   x=3: a=50, b=20, c=40: p=30, pa=20, pb=10, pc=10: a tie of above and upper
  //        left, which above wins (20; upper left would give 40).
  // (A tie of left and above only matters when they are equal.)
  SourceImage source;
  source.width = 4;
  source.height = 2;
  source.color_type = 0;
  source.bit_depth = 8;
  source.samples = {40, 50, 40, 20, 20, 77, 50, 99};
  ExpectRgba(SimplePng(source, 4), source);
  EXPECT_EQ(PaethPredictor(20, 50, 40), 20);
  EXPECT_EQ(PaethPredictor(50, 20, 40), 20);
  EXPECT_EQ(PaethPredictor(0, 9, 0), 9);  // first pixel of a row: above
}

TEST(PngDecode, PaethOnFourBytePixelsMatchesThePredictorByteForByte) {
  // Four-byte pixels take a path of their own; few distinct values make ties
  // (left against upper left, above against upper left) common.
  std::mt19937 random(11);
  const uint8_t values[] = {0, 1, 2, 20, 40, 50, 128, 200, 254, 255};
  for (int round = 0; round < 200; ++round) {
    const size_t size = 4 * (1 + random() % 40);
    std::vector<uint8_t> filtered(size), previous(size), out(size), expected(size);
    for (size_t i = 0; i < size; ++i) {
      filtered[i] = round % 2 ? values[random() % 10] : static_cast<uint8_t>(random());
      previous[i] = values[random() % 10];
    }
    for (size_t i = 0; i < size; ++i) {
      const uint8_t a = i >= 4 ? expected[i - 4] : 0, c = i >= 4 ? previous[i - 4] : 0;
      expected[i] = static_cast<uint8_t>(filtered[i] + PaethPredictor(a, previous[i], c));
    }
    UnfilterRow(kFilterPaeth, filtered.data(), previous.data(), out.data(), size, 4);
    ASSERT_EQ(out, expected) << "round " << round;
  }
}

TEST(PngDecode, UnknownFilterTypeTakesTheRowUnfiltered) {
  const SourceImage source = RandomImage(6, 3, 2, 8, 7);
  Bytes scanlines;
  for (uint32_t y = 0; y < source.height; ++y) {
    scanlines.push_back(static_cast<uint8_t>(5 + y));  // 5, 6, 7: not filter types
    const Bytes row = source.PackedRow(y);
    scanlines.insert(scanlines.end(), row.begin(), row.end());
  }
  ExpectRgba(PngBuilder().IhdrOf(source).ImageData(Deflate(scanlines)).Iend().bytes(), source);
}

TEST(PngDecode, ImageDataSplitOverManyIdatChunksAtAwkwardPlaces) {
  const SourceImage source = RandomImage(40, 30, 6, 8, 11);
  const Bytes stream = Deflate(FilterScanlines(source, [](uint32_t y) { return static_cast<uint8_t>(y % 5); }));
  const size_t n = stream.size();
  const std::vector<std::vector<size_t>> splits = {
      {1},                           // inside the two-byte zlib header
      {2},                           // right after the zlib header
      {n - 4},                       // the Adler-32 alone in the last chunk
      {n - 2},                       // the Adler-32 split over two chunks
      {n},                           // an empty last chunk
      {0, 0, 5, 0, 7},               // empty chunks among the data
      std::vector<size_t>(n, 1),     // one byte a chunk
      {n / 3, n / 3},                // three even parts
  };
  for (const auto& split : splits) {
    SCOPED_TRACE("split into " + std::to_string(split.size() + 1) + " chunks, first " + std::to_string(split[0]));
    ExpectRgba(PngBuilder().IhdrOf(source).ImageData(stream, split).Iend().bytes(), source);
  }
  // libpng splits its own way (100-byte chunks here), interlaced too.
  ExpectRgba(EncodeWithLibpng(source, true, PNG_ALL_FILTERS, 100), source);
}

TEST(PngDecode, ColourAndAlphaPlanesHaveTheirDocumentedLayout) {
  // 5 x 3 colour with alpha: rows of 15 bytes padded to 16, bottom row first.
  const SourceImage rgba = RandomImage(5, 3, 6, 8, 21);
  const PngImage picture = Decode(SimplePng(rgba, 1));
  const PngChunkIHDR& h = picture.Header();
  ASSERT_EQ(h.ColorRowBytes(), 16u);
  ASSERT_EQ(h.ColorRows().size(), 48u);
  for (uint32_t y = 0; y < 3; ++y) {
    const uint8_t* stored = h.ColorRows().data() + (2 - y) * 16;  // bottom row first
    EXPECT_EQ(picture.ColorRow(static_cast<int>(y)), stored);
    for (uint32_t x = 0; x < 5; ++x) {
      EXPECT_EQ(stored[3 * x], rgba.Sample(x, y, 2));      // blue
      EXPECT_EQ(stored[3 * x + 1], rgba.Sample(x, y, 1));  // green
      EXPECT_EQ(stored[3 * x + 2], rgba.Sample(x, y, 0));  // red
      EXPECT_EQ(picture.AlphaRow(static_cast<int>(y))[x], rgba.Sample(x, y, 3));
    }
    EXPECT_EQ(stored[15], 0);  // padding
  }
  EXPECT_EQ(picture.AlphaRow(1), picture.AlphaRow(0) + 5);  // alpha rows top first, no padding

  // 16-bit colour keeps the high byte of each sample.
  const SourceImage rgb16 = RandomImage(3, 2, 2, 16, 22);
  const PngImage wide = Decode(SimplePng(rgb16, 0));
  for (uint32_t x = 0; x < 3; ++x) {
    EXPECT_EQ(wide.ColorRow(1)[3 * x], rgb16.Sample(x, 1, 2) >> 8);
    EXPECT_EQ(wide.ColorRow(1)[3 * x + 2], rgb16.Sample(x, 1, 0) >> 8);
  }

  // 2-bit grey is stored as 4-bit indices into the grey ramp 0, 85, 170, 255.
  SourceImage grey2;
  grey2.width = 3;
  grey2.height = 1;
  grey2.color_type = 0;
  grey2.bit_depth = 2;
  grey2.samples = {3, 1, 2};
  const PngImage g2 = Decode(SimplePng(grey2, 0));
  EXPECT_EQ(g2.Header().ColorBitsPerPixel(), 4);
  EXPECT_EQ(g2.ColorRow(0)[0], 0x31);
  EXPECT_EQ(g2.ColorRow(0)[1], 0x20);
  EXPECT_EQ(g2.Header().Palette()[2], (PaletteEntry{170, 170, 170}));
  EXPECT_EQ(g2.AlphaRow(0), nullptr);

  // 1-bit palette: one bit a pixel, high bit first.
  SourceImage bits;
  bits.width = 10;
  bits.height = 1;
  bits.color_type = 3;
  bits.bit_depth = 1;
  bits.samples = {1, 0, 1, 1, 0, 0, 0, 1, 1, 0};
  bits.plte = {1, 2, 3, 4, 5, 6};
  const PngImage b = Decode(SimplePng(bits, 0));
  EXPECT_EQ(b.ColorRow(0)[0], 0xB1);
  EXPECT_EQ(b.ColorRow(0)[1], 0x80);

  // Grey with alpha: grey indices in the colour plane, alpha in its own plane.
  SourceImage ga;
  ga.width = 2;
  ga.height = 1;
  ga.color_type = 4;
  ga.bit_depth = 16;
  ga.samples = {0x1234, 0xABCD, 0xFF00, 0x0001};
  const PngImage g = Decode(SimplePng(ga, 0));
  EXPECT_EQ(g.ColorRow(0)[0], 0x12);
  EXPECT_EQ(g.ColorRow(0)[1], 0xFF);
  EXPECT_EQ(g.AlphaRow(0)[0], 0xAB);
  EXPECT_EQ(g.AlphaRow(0)[1], 0x00);
}

TEST(PngDecode, TransparentColourIsDecidedOnTheFullSampleValues) {
  // 16-bit grey, key 0x1234: 0x1235 has the same high byte but is opaque.
  SourceImage grey;
  grey.width = 4;
  grey.height = 1;
  grey.color_type = 0;
  grey.bit_depth = 16;
  grey.samples = {0x1234, 0x1235, 0x0034, 0x1234};
  grey.trns = {0x12, 0x34};
  ExpectRgba(SimplePng(grey, 0), grey);
  const RgbaImage g = ExpandToRgba(Decode(SimplePng(grey, 0)));
  EXPECT_EQ(g.pixels[3], 0);
  EXPECT_EQ(g.pixels[7], 255);

  SourceImage rgb = RandomImage(9, 4, 2, 16, 31);
  rgb.trns = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
  rgb.samples[0] = 0x0102, rgb.samples[1] = 0x0304, rgb.samples[2] = 0x0506;  // transparent
  rgb.samples[3] = 0x0102, rgb.samples[4] = 0x0304, rgb.samples[5] = 0x0507;  // not
  for (bool interlaced : {false, true}) {
    const Bytes file = EncodeWithLibpng(rgb, interlaced, PNG_ALL_FILTERS);
    ExpectRgba(file, rgb);
    EXPECT_EQ(DecodeWithLibpng(file).rgba, ExpandToRgba(Decode(file)).pixels);
  }

  SourceImage grey4 = RandomImage(17, 5, 0, 4, 32);
  grey4.trns = {0x00, 0x09};
  ExpectRgba(EncodeWithLibpng(grey4, true, PNG_ALL_FILTERS), grey4);

  SourceImage rgb8 = RandomImage(8, 8, 2, 8, 33);
  rgb8.samples[3 * 9] = 7, rgb8.samples[3 * 9 + 1] = 8, rgb8.samples[3 * 9 + 2] = 9;
  rgb8.trns = {0, 7, 0, 8, 0, 9};
  ExpectRgba(SimplePng(rgb8, 3), rgb8);

  // Palette alpha covers the first entries only; the rest are opaque.
  SourceImage pal = RandomImage(16, 4, 3, 4, 34, 16);
  pal.trns = {0, 128, 255, 7};
  ExpectRgba(SimplePng(pal, 0), pal);
}

TEST(PngDecode, RowsTheDataNeverReachesStayZero) {
  const SourceImage source = RandomImage(8, 6, 6, 8, 41);
  Bytes scanlines = FilterScanlines(source, [](uint32_t) { return uint8_t{1}; });
  scanlines.resize(scanlines.size() / 2);  // a complete zlib stream of the first 3 rows
  const PngImage picture = Decode(PngBuilder().IhdrOf(source).ImageData(Deflate(scanlines)).Iend().bytes());
  const RgbaImage rgba = ExpandToRgba(picture);
  const Bytes expected = ExpectedRgba(source);
  EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 8 * 3 * 4, rgba.pixels.begin()));
  for (int y = 3; y < 6; ++y) {
    for (int x = 0; x < 8 * 3; ++x) EXPECT_EQ(picture.ColorRow(y)[x], 0);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(picture.AlphaRow(y)[x], 0);
  }
}

TEST(PngDecode, ToBitmapExpandsTheColourPlaneAndLeavesAlphaOut) {
  const SourceImage rgba = RandomImage(7, 5, 6, 8, 51);
  const FrameBuffer bitmap = Decode(SimplePng(rgba, 2)).ToBitmap();
  ASSERT_EQ(bitmap.width, 7);
  ASSERT_EQ(bitmap.height, 5);
  for (uint32_t y = 0; y < 5; ++y) {
    for (uint32_t x = 0; x < 7; ++x) {
      const uint8_t* p = bitmap.Pixel(static_cast<int>(x), static_cast<int>(y));
      EXPECT_EQ(p[0], rgba.Sample(x, y, 2));
      EXPECT_EQ(p[1], rgba.Sample(x, y, 1));
      EXPECT_EQ(p[2], rgba.Sample(x, y, 0));
      EXPECT_EQ(p[3], 0);
    }
  }
  for (Format f : {Format{3, 2}, Format{0, 1}, Format{4, 8}}) {
    SCOPED_TRACE(FormatName(f));
    const SourceImage source = ImageOf(f, 9, 3, 52);
    const FrameBuffer b = Decode(SimplePng(source, 0)).ToBitmap();
    const Bytes expected = ExpectedRgba(source);
    for (size_t i = 0; i < 9 * 3; ++i) {
      EXPECT_EQ(b.pixels[4 * i], expected[4 * i + 2]);
      EXPECT_EQ(b.pixels[4 * i + 1], expected[4 * i + 1]);
      EXPECT_EQ(b.pixels[4 * i + 2], expected[4 * i]);
      EXPECT_EQ(b.pixels[4 * i + 3], 0);
    }
  }
}

TEST(PngDecode, AlphaKindFollowsColourTypeAndTransparency) {
  EXPECT_EQ(PngImage().GetAlphaKind(), AlphaKind::None);
  EXPECT_EQ(Decode(SimplePng(RandomImage(2, 2, 6, 8, 1))).GetAlphaKind(), AlphaKind::Partial);
  EXPECT_EQ(Decode(SimplePng(RandomImage(2, 2, 4, 8, 1))).GetAlphaKind(), AlphaKind::Partial);
  EXPECT_EQ(Decode(SimplePng(RandomImage(2, 2, 2, 8, 1))).GetAlphaKind(), AlphaKind::None);
  SourceImage keyed = RandomImage(2, 2, 0, 8, 1);
  keyed.trns = {0, 5};
  EXPECT_EQ(Decode(SimplePng(keyed)).GetAlphaKind(), AlphaKind::SingleColor);
  SourceImage pal = RandomImage(2, 2, 3, 8, 1, 4);
  EXPECT_EQ(Decode(SimplePng(pal)).GetAlphaKind(), AlphaKind::None);
  pal.trns = {255, 0};
  EXPECT_EQ(Decode(SimplePng(pal)).GetAlphaKind(), AlphaKind::SingleColor);
  pal.trns = {255, 0, 40};
  EXPECT_EQ(Decode(SimplePng(pal)).GetAlphaKind(), AlphaKind::Partial);
}

}  // namespace
}  // namespace gd::test
