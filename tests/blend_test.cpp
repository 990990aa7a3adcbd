#include "scene/blend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "scene_fixture.h"

namespace gd {
namespace {

using scene_test::NaiveBlend;
using scene_test::RandomPicture;

SceneImage Picture(int width, int height, std::vector<uint8_t> bgra) {
  SceneImage img;
  img.name = "test";
  img.width = width;
  img.height = height;
  img.bgra = std::move(bgra);
  img.IndexAlpha();
  return img;
}

SceneImage FromRgba(const RgbaImage& rgba) {
  std::vector<uint8_t> bgra(rgba.pixels.size());
  for (size_t i = 0; i < rgba.pixels.size(); i += 4) {
    bgra[i] = rgba.pixels[i + 2];
    bgra[i + 1] = rgba.pixels[i + 1];
    bgra[i + 2] = rgba.pixels[i];
    bgra[i + 3] = rgba.pixels[i + 3];
  }
  return Picture(static_cast<int>(rgba.width), static_cast<int>(rgba.height), std::move(bgra));
}

FrameBuffer Filled(int w, int h, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
  FrameBuffer f(w, h);
  for (size_t i = 0; i < f.pixels.size(); i += 4) {
    f.pixels[i] = b;
    f.pixels[i + 1] = g;
    f.pixels[i + 2] = r;
    f.pixels[i + 3] = a;
  }
  return f;
}

TEST(BlendImage, HandWorkedValues) {
  FrameBuffer f = Filled(3, 1, 5, 5, 5, 77);
  // Alpha 27 over a byte 5: black stays 5 (not the rounded 4.47); white gives
  // (255 * 27 + 5 * 228 + 255) >> 8 = (6885 + 1140 + 255) >> 8 = 32.
  // Alpha 0 keeps the frame; alpha 255 gives the sample.
  BlendImage(f, Picture(3, 1, {0, 255, 0, 27, 200, 100, 50, 0, 9, 250, 1, 255}), 0, 0);
  EXPECT_EQ(f.pixels[0], 5);
  EXPECT_EQ(f.pixels[1], 32);
  EXPECT_EQ(f.pixels[2], 5);
  EXPECT_EQ(f.pixels[4], 5);
  EXPECT_EQ(f.pixels[5], 5);
  EXPECT_EQ(f.pixels[6], 5);
  EXPECT_EQ(f.pixels[8], 9);
  EXPECT_EQ(f.pixels[9], 250);
  EXPECT_EQ(f.pixels[10], 1);
  // The frame's alpha is never written.
  EXPECT_EQ(f.pixels[3], 77);
  EXPECT_EQ(f.pixels[7], 77);
  EXPECT_EQ(f.pixels[11], 77);
}

// A tall opaque strip whose every pixel names its own column and row.
SceneImage SelfNamingStrip(int w, int h) {
  std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &bgra[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = static_cast<uint8_t>(y & 255);
      p[1] = static_cast<uint8_t>(y >> 8);
      p[2] = static_cast<uint8_t>(x);
      p[3] = 255;
    }
  return Picture(w, h, std::move(bgra));
}

// Every sample, every frame byte and every alpha: the in-place blend gives
// the formula's value, computed here directly.
TEST(BlendImage, EveryByteEveryAlpha) {
  // Column s, row a: blue s, green 255 - s, red s ^ 0x5A.
  std::vector<uint8_t> bgra(256 * 256 * 4);
  for (int a = 0; a < 256; ++a)
    for (int v = 0; v < 256; ++v) {
      uint8_t* p = &bgra[(a * 256 + v) * 4];
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(255 - v);
      p[2] = static_cast<uint8_t>(v ^ 0x5A);
      p[3] = static_cast<uint8_t>(a);
    }
  const SceneImage pic = Picture(256, 256, std::move(bgra));
  for (unsigned d = 0; d < 256; ++d) {
    FrameBuffer f = Filled(256, 256, static_cast<uint8_t>(d), static_cast<uint8_t>(d), static_cast<uint8_t>(d), 9);
    BlendImage(f, pic, 0, 0);
    for (unsigned a = 0; a < 256; ++a)
      for (unsigned v = 0; v < 256; ++v) {
        const uint8_t* p = f.Pixel(static_cast<int>(v), static_cast<int>(a));
        const unsigned sv[3] = {v, 255 - v, v ^ 0x5A};
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(p[c], (sv[c] * a + d * (255 - a) + 255) >> 8) << "s " << sv[c] << " d " << d << " a " << a;
        ASSERT_EQ(p[3], 9);
      }
  }
}

TEST(BlendImage, ClipsTheSkyStripToTheFrame) {
  const SceneImage strip = SelfNamingStrip(201, 1341);
  FrameBuffer f = Filled(300, 260, 1, 2, 3, 200);
  BlendImage(f, strip, 45, -340);
  for (int y = 0; y < 260; ++y) {
    for (int x = 0; x < 300; ++x) {
      const uint8_t* p = f.Pixel(x, y);
      if (x >= 45 && x <= 245) {
        const int row = y + 340;  // image rows 340 to 599
        ASSERT_EQ(p[0], row & 255) << x << "," << y;
        ASSERT_EQ(p[1], row >> 8);
        ASSERT_EQ(p[2], x - 45);
      } else {
        ASSERT_EQ(p[0], 1) << x << "," << y;
        ASSERT_EQ(p[2], 3);
      }
      ASSERT_EQ(p[3], 200);
    }
  }
  // Wholly below the frame: nothing changes.
  FrameBuffer g = Filled(300, 260, 1, 2, 3, 200);
  BlendImage(g, strip, 0, 300);
  EXPECT_EQ(g.pixels, Filled(300, 260, 1, 2, 3, 200).pixels);
}

TEST(BlendImage, ClipsOnTheLeft) {
  const SceneImage pic = SelfNamingStrip(60, 59);
  FrameBuffer f = Filled(300, 260, 7, 7, 7, 255);
  BlendImage(f, pic, -20, 10);
  EXPECT_EQ(f.Pixel(0, 10)[2], 20);   // image column 20 lands on frame column 0
  EXPECT_EQ(f.Pixel(39, 68)[2], 59);  // the last column, the last row (58)
  EXPECT_EQ(f.Pixel(39, 68)[0], 58);
  EXPECT_EQ(f.Pixel(40, 10)[2], 7);   // right of the picture
  EXPECT_EQ(f.Pixel(0, 9)[2], 7);     // above it
  EXPECT_EQ(f.Pixel(0, 69)[2], 7);    // below it
}

TEST(BlendImage, PicturesWithoutPixelsDrawNothing) {
  FrameBuffer f = Filled(4, 4, 9, 9, 9, 9);
  SceneImage empty;
  BlendImage(f, empty, 0, 0);
  // Colour bytes without their index are not drawn blindly.
  SceneImage unindexed;
  unindexed.width = unindexed.height = 1;
  unindexed.bgra = {1, 2, 3, 255};
  BlendImage(f, unindexed, 0, 0);
  EXPECT_EQ(f.pixels, Filled(4, 4, 9, 9, 9, 9).pixels);
}

// The run index may skip pixels but must never change a result: random
// pictures at positions inside, across every edge of, and outside the frame.
TEST(BlendImage, EqualsTheFormulaAppliedToEveryPixel) {
  std::mt19937 gen(7);
  const int sizes[][2] = {{1, 1}, {3, 3}, {7, 7}, {60, 59}, {95, 95}, {300, 260}, {201, 1341}, {17, 20}};
  for (int round = 0; round < 120; ++round) {
    const auto& s = sizes[round % std::size(sizes)];
    const SceneImage pic = FromRgba(RandomPicture(s[0], s[1], static_cast<uint32_t>(round)));
    FrameBuffer fast(300, 260);
    for (auto& b : fast.pixels) b = static_cast<uint8_t>(gen());
    FrameBuffer naive = fast;
    const int x = static_cast<int>(gen() % (300 + s[0] + 40)) - s[0] - 20;
    const int y = static_cast<int>(gen() % (260 + s[1] + 40)) - s[1] - 20;
    BlendImage(fast, pic, x, y);
    NaiveBlend(naive, pic, x, y);
    ASSERT_EQ(fast.pixels, naive.pixels) << "size " << s[0] << "x" << s[1] << " at " << x << "," << y;
  }
}

// Where the frame is open and within each row's stretch the formula, and
// nowhere else: flakes (tested bit by bit) and larger pictures alike.
TEST(BlendImage, OnlyWhereOpenAndWithinEachRowsStretch) {
  std::mt19937 gen(11);
  const int sizes[][2] = {{3, 3}, {7, 7}, {8, 8}, {60, 59}, {95, 95}, {17, 20}};
  for (int round = 0; round < 60; ++round) {
    const auto& s = sizes[round % std::size(sizes)];
    const SceneImage pic = FromRgba(RandomPicture(s[0], s[1], static_cast<uint32_t>(round)));
    constexpr int kW = 130, kH = 90;
    std::vector<uint8_t> open(kW * kH * 4, 0);
    for (size_t i = 3; i < open.size(); i += 4) open[i] = gen() % 5 ? 255 : 0;
    VisibleSpans visible;
    visible.Build(open.data(), kW, kH);
    RowStretches within(kH, {0, 0});
    for (int y = 0; y < kH; ++y)
      if (gen() % 4) {
        const int a = static_cast<int>(gen() % kW), b = static_cast<int>(gen() % (kW + 1));
        within[y] = {std::min(a, b), std::max(a, b)};
      }
    FrameBuffer frame(kW, kH);
    for (auto& b : frame.pixels) b = static_cast<uint8_t>(gen());
    FrameBuffer naive = frame;
    const FrameBuffer before = frame;
    const int x = static_cast<int>(gen() % (kW + s[0])) - s[0], y = static_cast<int>(gen() % (kH + s[1])) - s[1];
    BlendImage(frame, pic, x, y, visible, &within);
    NaiveBlend(naive, pic, x, y);
    for (int py = 0; py < kH; ++py)
      for (int px = 0; px < kW; ++px) {
        const bool drawn = open[(py * kW + px) * 4 + 3] && px >= within[py].first && px < within[py].second;
        ASSERT_EQ(0, std::memcmp(frame.Pixel(px, py), (drawn ? naive : before).Pixel(px, py), 4))
            << "size " << s[0] << "x" << s[1] << " at " << px << "," << py;
      }
  }
}

}  // namespace
}  // namespace gd
