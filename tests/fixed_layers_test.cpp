// Starting from FixedLayers' frame and blending only what it leaves open must
// give the frame that blending every picture in full gives.
#include "scene/fixed_layers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "scene_fixture.h"

namespace gd {
namespace {

using scene_test::NaiveBlend;
using scene_test::RandomPicture;

SceneImage FromRgba(const RgbaImage& rgba) {
  SceneImage img;
  img.name = "test";
  img.width = static_cast<int>(rgba.width);
  img.height = static_cast<int>(rgba.height);
  img.bgra.resize(rgba.pixels.size());
  for (size_t i = 0; i < rgba.pixels.size(); i += 4) {
    img.bgra[i] = rgba.pixels[i + 2];
    img.bgra[i + 1] = rgba.pixels[i + 1];
    img.bgra[i + 2] = rgba.pixels[i];
    img.bgra[i + 3] = rgba.pixels[i + 3];
  }
  img.IndexAlpha();
  return img;
}

FrameBuffer RandomFrame(int w, int h, std::mt19937& gen) {
  FrameBuffer f(w, h);
  for (auto& b : f.pixels) b = static_cast<uint8_t>(gen());
  return f;
}

// Only the pixels `visible` leaves open change, each by the formula. The
// frame is wide enough that pictures also straddle columns 64 and 128, where
// small pictures read their open pixels from two words.
TEST(BlendImageWhereVisible, EqualsTheFormulaOnOpenPixelsOnly) {
  std::mt19937 gen(11);
  const int sizes[][2] = {{1, 1}, {3, 3}, {7, 7}, {64, 1}, {60, 59}, {201, 1341}};
  const int W = 140, H = 30;
  for (int round = 0; round < 120; ++round) {
    const auto& s = sizes[round % std::size(sizes)];
    const SceneImage pic = FromRgba(RandomPicture(s[0], s[1], static_cast<uint32_t>(round)));
    // Open where a random mask's alpha is not 0 (runs of every kind).
    const SceneImage mask = FromRgba(RandomPicture(W, H, static_cast<uint32_t>(round + 500)));
    VisibleSpans open;
    std::vector<uint8_t> bits(mask.bgra.size(), 0);
    for (size_t p = 3; p < bits.size(); p += 4) bits[p] = mask.bgra[p] ? 255 : 0;
    open.Build(bits.data(), W, H);
    FrameBuffer fast = RandomFrame(W, H, gen);
    const FrameBuffer before = fast;
    const int x = round % 2 ? 64 * static_cast<int>(1 + gen() % 2) - static_cast<int>(gen() % (s[0] + 1))
                            : static_cast<int>(gen() % (W + s[0] + 10)) - s[0] - 5;
    const int y = static_cast<int>(gen() % (H + s[1] + 10)) - s[1] - 5;
    FrameBuffer all = fast;
    NaiveBlend(all, pic, x, y);
    BlendImage(fast, pic, x, y, open);
    for (int py = 0; py < H; ++py)
      for (int px = 0; px < W; ++px) {
        const bool isOpen = bits[(static_cast<size_t>(py) * W + px) * 4 + 3] != 0;
        const uint8_t* want = isOpen ? all.Pixel(px, py) : before.Pixel(px, py);
        ASSERT_EQ(0, std::memcmp(fast.Pixel(px, py), want, 4)) << px << "," << py << " at " << x << "," << y;
      }
  }
}

// Many pictures drawn together (the flakes of a frame) give what drawing them
// one after the other gives, overlaps included: small ones wholly inside the
// frame, at its edges (where four pixels at a time would reach past it) and
// across columns 64 and 128, and larger ones among them.
TEST(BlendImages, EqualOneBlendImageAfterAnother) {
  std::mt19937 gen(5);
  const int W = 140, H = 30;
  const int sizes[][2] = {{1, 1}, {3, 3}, {7, 7}, {8, 2}, {5, 5}, {2, 8}, {60, 20}};
  std::vector<SceneImage> pics;
  for (const auto& s : sizes) pics.push_back(FromRgba(RandomPicture(s[0], s[1], static_cast<uint32_t>(gen()))));
  for (int round = 0; round < 20; ++round) {
    const SceneImage mask = FromRgba(RandomPicture(W, H, static_cast<uint32_t>(gen())));
    std::vector<uint8_t> bits(mask.bgra.size(), 0);
    for (size_t p = 3; p < bits.size(); p += 4) bits[p] = mask.bgra[p] ? 255 : 0;
    VisibleSpans open;
    open.Build(bits.data(), W, H);
    std::vector<PlacedImage> placed;
    for (int k = 0; k < 300; ++k) {
      const SceneImage& pic = pics[gen() % pics.size()];
      int x = static_cast<int>(gen() % (W + 2 * pic.width)) - pic.width;
      int y = static_cast<int>(gen() % (H + 2 * pic.height)) - pic.height;
      if (k % 3 == 0) x = W - pic.width + static_cast<int>(gen() % 3) - 1;  // at the right edge
      if (k % 7 == 0) y = H - pic.height;                                  // in the last rows
      if (k % 5 == 0) x = 64 * static_cast<int>(1 + gen() % 2) - static_cast<int>(gen() % 8);
      placed.push_back({&pic, x, y});
    }
    const FrameBuffer start = RandomFrame(W, H, gen);
    FrameBuffer together = start, oneByOne = start;
    BlendImages(together, placed.data(), placed.size(), open);
    for (const PlacedImage& p : placed) BlendImage(oneByOne, *p.image, p.x, p.y, open);
    ASSERT_EQ(together.pixels, oneByOne.pixels) << "round " << round;
  }
}

// A stack like the globe's: fixed pictures at (0, 0) (one larger and one
// smaller than the frame) with moving pictures between them, drawn at
// positions inside, across and outside the frame.
TEST(FixedLayers, ComposeLikeBlendingEverything) {
  std::mt19937 gen(3);
  for (int round = 0; round < 30; ++round) {
    const int w = 50, h = 40;
    const FrameBuffer base = RandomFrame(w, h, gen);
    std::vector<SceneImage> fixed;
    const int fixedSizes[][2] = {{50, 40}, {60, 45}, {50, 40}, {30, 20}};
    for (const auto& s : fixedSizes) fixed.push_back(FromRgba(RandomPicture(s[0], s[1], static_cast<uint32_t>(gen()))));
    FixedLayers layers;
    layers.Build(base, {&fixed[0], &fixed[1], &fixed[2], &fixed[3]});
    FrameBuffer fast = layers.Start();
    FrameBuffer naive = base;
    const int movingSizes[][2] = {{1, 1}, {3, 3}, {7, 7}, {20, 70}};
    for (size_t gap = 0; gap <= fixed.size(); ++gap) {
      for (int k = 0; k < 3; ++k) {
        const auto& s = movingSizes[gen() % std::size(movingSizes)];
        const SceneImage pic = FromRgba(RandomPicture(s[0], s[1], static_cast<uint32_t>(gen())));
        const int x = static_cast<int>(gen() % (w + s[0] + 10)) - s[0] - 5;
        const int y = static_cast<int>(gen() % (h + s[1] + 10)) - s[1] - 5;
        BlendImage(fast, pic, x, y, layers.Visible(gap));
        NaiveBlend(naive, pic, x, y);
      }
      if (gap < fixed.size()) {
        layers.Draw(fast, gap, WholeRows(w, h));
        NaiveBlend(naive, fixed[gap], 0, 0);
      }
    }
    ASSERT_EQ(fast.pixels, naive.pixels) << "round " << round;
  }
}

}  // namespace
}  // namespace gd
