// The window's content from the core's frames, as the desktop backends share
// it: the frame's bytes at the constant alpha, over grey without a
// compositor, and what changed as rectangles worth uploading.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "platform/shared/window_content.h"

namespace gd {
namespace {

// The window's content for frames of one size, in memory of its own: a new
// size starts it afresh (all of it changed).
struct Content {
  int width = 0, height = 0;
  std::vector<unsigned char> bytes;

  Rect Update(const FrameBuffer& frame, uint8_t constantAlpha = 255, bool composited = true) {
    const bool fresh = frame.width != width || frame.height != height;
    if (fresh) {
      width = frame.width;
      height = frame.height;
      bytes.assign(static_cast<size_t>(width) * height * 4, 0);
    }
    return UpdateWindowContent(frame, constantAlpha, composited, bytes.data(), width * 4, fresh);
  }
  uint32_t Word(int x, int y) const {
    uint32_t w;
    std::memcpy(&w, bytes.data() + (static_cast<size_t>(y) * width + x) * 4, 4);
    return w;
  }
};

TEST(WindowContent, BytesBecomeCairoPremultipliedWords) {
  FrameBuffer frame(3, 2);
  const uint8_t px[6][4] = {{10, 20, 30, 40}, {0, 0, 0, 0},     {255, 255, 255, 255},
                            {78, 0, 128, 128}, {1, 2, 3, 255}, {0, 0, 0, 1}};
  for (int i = 0; i < 6; ++i) std::memcpy(frame.pixels.data() + i * 4, px[i], 4);
  Content s;
  EXPECT_EQ(s.Update(frame), (Rect{0, 0, 3, 2}));
  // Alpha in the top byte, then red, green, blue.
  EXPECT_EQ(s.Word(0, 0), 0x281E140Au);
  EXPECT_EQ(s.Word(1, 0), 0x00000000u);
  EXPECT_EQ(s.Word(2, 0), 0xFFFFFFFFu);
  EXPECT_EQ(s.Word(0, 1), 0x8080004Eu);
  EXPECT_EQ(s.Word(1, 1), 0xFF030201u);
  EXPECT_EQ(s.Word(2, 1), 0x01000000u);
  frame.pixels[0] = 11;
  EXPECT_EQ(s.Update(frame), (Rect{0, 0, 1, 1}));
  EXPECT_EQ(s.Word(0, 0), 0x281E140Bu);
}

TEST(WindowContent, OnlyTheChangedRectangleIsReported) {
  FrameBuffer frame(5, 4);
  Content s;
  EXPECT_EQ(s.Update(frame), (Rect{0, 0, 5, 4}));  // a new content: all of it
  EXPECT_TRUE(s.Update(frame).Empty()) << "the same picture changes nothing";
  // Two pixels: the rectangle that holds both.
  frame.pixels[(1 * 5 + 1) * 4 + 2] = 7;
  frame.pixels[(2 * 5 + 3) * 4 + 3] = 9;
  EXPECT_EQ(s.Update(frame), (Rect{1, 1, 4, 3}));
  EXPECT_EQ(s.Word(1, 1), 0x00070000u);
  EXPECT_EQ(s.Word(3, 2), 0x09000000u);
  // Another constant alpha or background changes every pixel that it touches:
  // here the grey lies under the whole window.
  EXPECT_EQ(s.Update(frame, 255, false), (Rect{0, 0, 5, 4}));
  EXPECT_EQ(s.Word(0, 0), 0xFF808080u);
  // A colour above its alpha stays in its own byte over the grey.
  frame.pixels[0] = 250;
  s.Update(frame, 255, false);
  EXPECT_EQ(s.Word(0, 0), 0xFF8080FFu);
}

// The rectangle reported is the smallest that holds every changed pixel (or
// all that the caller says changed), in frames of odd and even sizes, and the
// content then holds the new frame; with the outline's stretches, nothing
// outside them is looked at or written.
TEST(WindowContent, TheChangedRectangleHoldsEveryChangedPixel) {
  std::mt19937 gen(9);
  for (int width : {1, 7, 16, 17, 300}) {
    const int height = 37;
    FrameBuffer frame(width, height);
    for (auto& b : frame.pixels) b = static_cast<uint8_t>(gen());
    const int stride = width * 4;
    std::vector<unsigned char> content(static_cast<size_t>(stride) * height, 0);
    UpdateWindowContent(frame, 255, true, content.data(), stride, true);
    for (int round = 0; round < 100; ++round) {
      Rect around;
      RowStretches rows(height, {0, 0});
      for (int k = 1 + static_cast<int>(gen() % 5); k > 0; --k) {
        const int x = static_cast<int>(gen() % width), y = static_cast<int>(gen() % height);
        frame.Pixel(x, y)[gen() % 4] ^= static_cast<uint8_t>(1 + gen() % 255);
        around = around.United(Rect{x, y, x + 1, y + 1});
        AddStretch(rows, y, x, x + 1 + static_cast<int>(gen() % 3));
      }
      const Rect rect =
          UpdateWindowContent(frame, 255, true, content.data(), stride, false, nullptr, round % 2 ? &rows : nullptr);
      // Told where the frame changed, all of that is taken as changed.
      Rect told;
      for (int y = 0; y < height; ++y) told = told.United(Rect{rows[y].first, y, std::min(rows[y].second, width), y + 1});
      ASSERT_FALSE(rect.Empty());
      EXPECT_EQ(rect, round % 2 ? told : around) << "width " << width;
      ASSERT_EQ(0, std::memcmp(content.data(), frame.pixels.data(), content.size())) << "width " << width;
    }
    EXPECT_TRUE(UpdateWindowContent(frame, 255, true, content.data(), stride, false).Empty())
        << "the same frame again";
  }
  // Inside a one-stretch outline only: a disc-like shape cut from a square.
  FrameBuffer frame(40, 20);
  for (auto& b : frame.pixels) b = static_cast<uint8_t>(gen() | 1);
  Region outline(Rect{0, 0, 40, 20});
  for (int y = 0; y < 20; ++y) {
    outline.Subtract(Rect{0, y, y, y + 1});
    outline.Subtract(Rect{40 - y / 2, y, 40, y + 1});
  }
  std::vector<std::pair<int, int>> spans;
  ASSERT_TRUE(InsideSpans(outline, 20, &spans));
  std::vector<unsigned char> content(40 * 4 * 20, 0);
  UpdateWindowContent(frame, 255, true, content.data(), 40 * 4, true, &spans);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool in = outline.Contains(x, y);
      EXPECT_EQ(std::memcmp(&content[(y * 40 + x) * 4], frame.Pixel(x, y), 4) == 0, in) << x << ", " << y;
    }
  // A frame composed in the content itself ends up as the copy would have
  // left it: within what changed first, then everywhere.
  std::vector<unsigned char> composed(frame.pixels.begin(), frame.pixels.end());
  RowStretches rows(20, {0, 0});
  for (int y = 3; y < 9; ++y) rows[y] = {1, 35};
  EXPECT_EQ(SettleComposedContent(composed.data(), 40 * 4, 40, 20, &spans, &rows), (Rect{1, 3, 35, 9}));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool cleared = y >= 3 && y < 9 && x >= 1 && x < 35 && !outline.Contains(x, y);
      EXPECT_EQ(std::memcmp(&composed[(y * 40 + x) * 4], cleared ? &content[(y * 40 + x) * 4] : frame.Pixel(x, y), 4), 0)
          << x << ", " << y;
    }
  EXPECT_EQ(SettleComposedContent(composed.data(), 40 * 4, 40, 20, &spans, nullptr), (Rect{0, 0, 40, 20}));
  EXPECT_EQ(composed, content);
  // A row of two stretches has no single stretch.
  outline.Subtract(Rect{20, 5, 22, 6});
  EXPECT_FALSE(InsideSpans(outline, 20, &spans));
}

// The changed rows go up as a few bands that hold every changed pixel inside
// the outline: a narrow top over a wide bottom as two, not as their box.
TEST(WindowContent, UploadsFollowTheChangedRows) {
  RowStretches rows(100, {0, 0});
  for (int y = 10; y < 40; ++y) rows[y] = {140, 160};
  for (int y = 40; y < 90; ++y) rows[y] = {20 + y % 3, 280 - y % 2};
  rows[60] = {-5, 400};  // clipped to the picture and the outline
  const std::vector<std::pair<int, int>> inside(100, {10, 290});
  std::vector<Rect> bands;
  UploadRectangles(rows, 300, &inside, &bands);
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0], (Rect{140, 10, 160, 40}));
  EXPECT_EQ(bands[1], (Rect{10, 40, 290, 90}));
  // Rows that keep changing width go as one rectangle: more uploads would
  // cost more than the pixels they leave out.
  for (int y = 0; y < 100; ++y) rows[y] = y % 2 ? std::pair<int, int>{0, 300} : std::pair<int, int>{149, 151};
  UploadRectangles(rows, 300, nullptr, &bands);
  EXPECT_EQ(bands, (std::vector<Rect>{Rect{0, 0, 300, 100}}));
}

// The window's content for a 2 x 1 frame (red 200 at alpha 200, then a
// transparent pixel), as {alpha, red, green, blue} for each pixel.
std::vector<std::array<int, 4>> Paint(uint8_t constantAlpha, bool composited) {
  FrameBuffer frame(2, 1);
  const uint8_t first[4] = {0, 0, 200, 200};
  std::memcpy(frame.pixels.data(), first, 4);
  Content target;
  target.Update(frame, constantAlpha, composited);
  std::vector<std::array<int, 4>> out;
  for (int x = 0; x < 2; ++x) {
    const uint32_t w = target.Word(x, 0);
    out.push_back({static_cast<int>(w >> 24), static_cast<int>((w >> 16) & 255), static_cast<int>((w >> 8) & 255),
                   static_cast<int>(w & 255)});
  }
  return out;
}

TEST(WindowContent, CompositedWindowHoldsTheFrameAtTheConstantAlpha) {
  auto p = Paint(255, true);
  EXPECT_EQ(p[0], (std::array<int, 4>{200, 200, 0, 0}));
  EXPECT_EQ(p[1], (std::array<int, 4>{0, 0, 0, 0}));
  // 90 %: alpha 57. 200 x 57 / 255 = 44.7, within cairo's rounding.
  p = Paint(57, true);
  EXPECT_NEAR(p[0][0], 44.7, 1.0);
  EXPECT_EQ(p[0][1], p[0][0]);
  EXPECT_EQ(p[0][2], 0);
  EXPECT_EQ(p[1], (std::array<int, 4>{0, 0, 0, 0}));
  // Opacity 0, as before the settings apply a level: nothing shows.
  p = Paint(0, true);
  EXPECT_EQ(p[0], (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(WindowContent, WithoutACompositorTheFrameLiesOnOpaqueGreyNotBlack) {
  // Red 200 at alpha 200 over grey 128: 200 + 128 x 55 / 255 = 227.6;
  // green and blue 128 x 55 / 255 = 27.6.
  auto p = Paint(255, false);
  EXPECT_EQ(p[0][0], 255);
  EXPECT_NEAR(p[0][1], 227.6, 1.0);
  EXPECT_NEAR(p[0][2], 27.6, 1.0);
  EXPECT_NEAR(p[0][3], 27.6, 1.0);
  EXPECT_EQ(p[1][0], 255);
  EXPECT_NEAR(p[1][1], 127.5, 1.0);
  // At 90 %: 44.7 + 128 x (1 - 44.7 / 255) = 150.3.
  p = Paint(57, false);
  EXPECT_EQ(p[0][0], 255);
  EXPECT_NEAR(p[0][1], 150.3, 1.5);
}

}  // namespace
}  // namespace gd
