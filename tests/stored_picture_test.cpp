// The BMP reader and the stored-picture reader, on good and broken input.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "images/png_rgba.h"
#include "images/stored_picture.h"
#include "png_test_support.h"

namespace gd::test {
namespace {

void PutLE(Bytes& b, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP file as the platform writes it: 14-byte file header, 40-byte info
// header, rows bottom first (top first when height is negative), each padded
// to 4 bytes. colour(x, y) gives red, green, blue with y counted from the top.
Bytes MakeBmp(int width, int height, const std::function<uint32_t(int, int)>& colour, int bits = 24,
              uint32_t compression = 0) {
  const int rows = height < 0 ? -height : height;
  const size_t stride = (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
  Bytes b(54 + stride * rows, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLE(b, 2, static_cast<uint32_t>(b.size()), 4);
  PutLE(b, 10, 54, 4);
  PutLE(b, 14, 40, 4);
  PutLE(b, 18, static_cast<uint32_t>(width), 4);
  PutLE(b, 22, static_cast<uint32_t>(height), 4);
  PutLE(b, 26, 1, 2);
  PutLE(b, 28, static_cast<uint32_t>(bits), 2);
  PutLE(b, 30, compression, 4);
  for (int y = 0; y < rows; ++y) {
    const int file_row = height < 0 ? y : rows - 1 - y;
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);  // 0xRRGGBB
      uint8_t* p = b.data() + 54 + file_row * stride + 3 * x;
      p[0] = static_cast<uint8_t>(c);        // blue
      p[1] = static_cast<uint8_t>(c >> 8);   // green
      p[2] = static_cast<uint8_t>(c >> 16);  // red
    }
  }
  return b;
}

uint32_t Pattern(int x, int y) { return static_cast<uint32_t>((x * 37 + y * 101) * 0x010203) & 0xFFFFFF; }

// The platform colour value (red low) of a 0xRRGGBB pattern value.
uint32_t AsColor(uint32_t rrggbb) {
  return MakeColor(static_cast<uint8_t>(rrggbb >> 16), static_cast<uint8_t>(rrggbb >> 8),
                   static_cast<uint8_t>(rrggbb));
}

BmpImage LoadBmp(const Bytes& file) {
  ByteReader r(file.data(), file.size());
  BmpImage bitmap;
  bitmap.LoadBmp(r);
  return bitmap;
}

TEST(Bmp, Reads24BitFilesBottomUpAndTopDown) {
  for (int height : {5, -5}) {
    SCOPED_TRACE("height " + std::to_string(height));
    const BmpImage bitmap = LoadBmp(MakeBmp(7, height, Pattern));  // 21-byte rows padded to 24
    ASSERT_EQ(bitmap.Width(), 7);
    ASSERT_EQ(bitmap.Height(), 5);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) EXPECT_EQ(bitmap.Pixel(x, y), AsColor(Pattern(x, y)));
    }
    EXPECT_EQ(bitmap.Pixel(7, 0), BmpImage::kInvalidColor);
    EXPECT_EQ(bitmap.Pixel(0, -1), BmpImage::kInvalidColor);
  }
  // Red sits in the low byte: pure red is 0x0000FF, white 0xFFFFFF.
  const BmpImage rgb = LoadBmp(MakeBmp(2, 1, [](int x, int) { return x == 0 ? 0xFF0000u : 0xFFFFFFu; }));
  EXPECT_EQ(rgb.Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(rgb.Pixel(1, 0), 0xFFFFFFu);
  // A last row without its padding is accepted; an empty bitmap has no pixels.
  Bytes unpadded = MakeBmp(1, 2, Pattern);
  unpadded.pop_back();
  EXPECT_EQ(LoadBmp(unpadded).Pixel(0, 1), AsColor(Pattern(0, 1)));
  EXPECT_TRUE(LoadBmp(MakeBmp(0, 0, Pattern)).Empty());
}

TEST(Bmp, RefusesOtherFormatsAndBrokenFiles) {
  const Bytes good = MakeBmp(4, 3, Pattern);
  auto expect_error = [](const Bytes& file, const std::string& fragment) {
    try {
      LoadBmp(file);
      ADD_FAILURE() << "no error for a file that should give: " << fragment;
    } catch (const BmpError& e) {
      EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
  };
  expect_error(MakeBmp(4, 3, Pattern, 32), "Only 24-bit");
  expect_error(MakeBmp(4, 3, Pattern, 8), "Only 24-bit");
  expect_error(MakeBmp(4, 3, Pattern, 24, 1), "uncompressed");
  Bytes not_bmp = good;
  not_bmp[0] = 'P';
  expect_error(not_bmp, "not a BMP");
  for (size_t size : {size_t{0}, size_t{10}, size_t{30}}) {
    expect_error(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)), "truncated");
  }
  expect_error(Bytes(good.begin(), good.end() - 5), "truncated");
  Bytes huge = MakeBmp(1, 1, Pattern);
  PutLE(huge, 18, 60000, 4);
  PutLE(huge, 22, 60000, 4);
  expect_error(huge, "too large");
  Bytes negative = good;
  PutLE(negative, 18, static_cast<uint32_t>(-4), 4);
  expect_error(negative, "invalid size");
  Bytes bad_offset = good;
  PutLE(bad_offset, 10, 0x7FFFFFFF, 4);
  expect_error(bad_offset, "offset");
  Bytes odd_header = good;
  PutLE(odd_header, 14, 20, 4);
  expect_error(odd_header, "unknown header");
}

Bytes Stored(const std::string& class_name, const Bytes& data) {
  Bytes b;
  b.reserve(1 + class_name.size() + data.size());
  b.push_back(static_cast<uint8_t>(class_name.size()));
  for (char c : class_name) b.push_back(static_cast<uint8_t>(c));
  for (uint8_t c : data) b.push_back(c);
  return b;
}

Bytes WithCount(const Bytes& bmp) {
  Bytes b;
  b.reserve(4 + bmp.size());
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(bmp.size() >> (8 * i)));
  for (uint8_t c : bmp) b.push_back(c);
  return b;
}

TEST(StoredPicture, ReadsAPngAndStopsAfterIend) {
  const SourceImage image = RandomImage(4, 3, 6, 8, 61);
  const Bytes png = SimplePng(image, 1);
  Bytes stored = Stored("TPngPicture", png);
  stored.insert(stored.end(), {0xAA, 0xBB});  // what follows in the form data
  ByteReader r(stored.data(), stored.size());
  const StoredPicture picture = ReadStoredPicture(r);
  ASSERT_NE(picture.png, nullptr);
  EXPECT_EQ(picture.bitmap, nullptr);
  EXPECT_EQ(picture.class_name, "TPngPicture");
  EXPECT_EQ(ExpandToRgba(*picture.png).pixels, ExpectedRgba(image));
  EXPECT_EQ(r.Position(), stored.size() - 2);
}

TEST(StoredPicture, ReadsABitmapOfTheStatedByteCount) {
  Bytes stored = Stored("TBitmap", WithCount(MakeBmp(3, 2, Pattern)));
  stored.push_back(0xCC);
  ByteReader r(stored.data(), stored.size());
  const StoredPicture picture = ReadStoredPicture(r);
  ASSERT_NE(picture.bitmap, nullptr);
  EXPECT_EQ(picture.png, nullptr);
  EXPECT_EQ(picture.bitmap->Pixel(2, 1), AsColor(Pattern(2, 1)));
  EXPECT_EQ(r.Position(), stored.size() - 1);
}

TEST(StoredPicture, UnregisteredClassGivesNoPictureAndNoError) {
  for (const std::string& name : std::vector<std::string>{"TJPEGImage", "TMetafile", "", "tpngpicture", std::string(63, 'T')}) {
    const Bytes stored = Stored(name, SimplePng(RandomImage(1, 1, 6, 8, 1)));
    StoredPicture picture;
    ASSERT_NO_THROW(picture = ReadStoredPicture(stored.data(), stored.size()));
    EXPECT_FALSE(picture.HasPicture()) << name;
  }
  EXPECT_FALSE(ReadStoredPicture(nullptr, 0).HasPicture());
}

TEST(StoredPicture, BrokenDataRaisesAndLeavesNoPicture) {
  const Bytes png = SimplePng(RandomImage(4, 3, 6, 8, 62));
  Bytes bad_png = png;
  bad_png[40] ^= 0xFF;
  const Bytes stored_png = Stored("TPngPicture", bad_png);
  EXPECT_THROW(ReadStoredPicture(stored_png.data(), stored_png.size()), PngException);
  const Bytes cut_png = Stored("TPngPicture", Bytes(png.begin(), png.end() - 3));
  EXPECT_THROW(ReadStoredPicture(cut_png.data(), cut_png.size()), PngUnexpectedEnd);

  const Bytes bmp = MakeBmp(3, 2, Pattern);
  Bytes short_count = Stored("TBitmap", WithCount(bmp));
  short_count.resize(short_count.size() - 1);  // the count says one byte more than there is
  EXPECT_THROW(ReadStoredPicture(short_count.data(), short_count.size()), BmpError);
  const Bytes cut_count = Stored("TBitmap", Bytes{1, 0});
  EXPECT_THROW(ReadStoredPicture(cut_count.data(), cut_count.size()), BmpError);
  // A count smaller than the file leaves the BMP reader a truncated file.
  Bytes small_count = Stored("TBitmap", WithCount(bmp));
  PutLE(small_count, 8, static_cast<uint32_t>(bmp.size() - 4), 4);
  EXPECT_THROW(ReadStoredPicture(small_count.data(), small_count.size()), BmpError);

  const Bytes cut_name = {11, 'T', 'P', 'n', 'g'};
  EXPECT_THROW(ReadStoredPicture(cut_name.data(), cut_name.size()), EStoredPictureError);
}

}  // namespace
}  // namespace gd::test
