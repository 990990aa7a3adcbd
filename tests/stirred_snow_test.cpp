// The stirred snow on the headless backend: a shake lifts flakes that all come
// to rest again, touching nothing but the pixels under them on the way; a slow
// drag stirs far less; and the rules around it (snow off, less motion, the
// display scale).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/main_window.h"
#include "scene_fixture.h"

namespace gd {
namespace {

using scene_test::DrawCall;
using scene_test::ParseDraws;
using scene_test::SceneOptions;
using scene_test::TracingPlatform;

struct Globe {
  explicit Globe(HeadlessOptions o = SceneOptions()) : p(std::move(o)), w(p, SceneCatalogue::Embedded(), {}) {
    p.Show(w);
    p.onFrame = [this] { mostFlying = std::max(mostFlying, w.StirredSnow().flying); };
  }
  // The "stir" lines of the trace, as written.
  std::vector<std::string> StirLines() const {
    std::vector<std::string> lines;
    for (const scene_test::TraceEvent* e : p.Events("stir")) lines.push_back(std::to_string(e->t) + e->fields);
    return lines;
  }
  TracingPlatform p;
  MainWindow w;
  int32_t mostFlying = 0;
};

// The run of the finished-feature check: ten shakes, then twelve seconds.
TEST(StirredSnow, AShakeLiftsFlakesThatSettleAndTouchNothingElse) {
  Globe shaken, still;
  const Point start = shaken.p.WindowPosition();
  uint64_t compared = 0, settledAt = 0;
  shaken.p.onFrame = [&] {
    shaken.mostFlying = std::max(shaken.mostFlying, shaken.w.StirredSnow().flying);
    // The unshaken globe's frame of the same moment.
    const uint64_t frame = shaken.p.FramesRendered();
    while (still.p.FramesRendered() < frame) ASSERT_TRUE(still.p.Step());
    ASSERT_EQ(still.p.Now(), shaken.p.Now());
    // Where the frames differ, a stirred flake of this frame lies.
    std::vector<DrawCall> flakes;
    const auto stir = shaken.p.Events("stir");
    if (!stir.empty() && stir.back()->t == shaken.p.Now()) flakes = ParseDraws(stir.back()->fields);
    const FrameBuffer& a = shaken.p.LastFrame();
    const FrameBuffer& b = still.p.LastFrame();
    ASSERT_EQ(a.pixels.size(), b.pixels.size());
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) {
        if (std::memcmp(a.Pixel(x, y), b.Pixel(x, y), 4) == 0) continue;
        const bool underAFlake = std::any_of(flakes.begin(), flakes.end(), [&](const DrawCall& f) {
          const SceneImage* sprite = SceneCatalogue::Embedded().FindSceneImage(f.name);
          return x >= f.x && x < f.x + sprite->width && y >= f.y && y < f.y + sprite->height;
        });
        ASSERT_TRUE(underAFlake) << "frame " << frame << " differs at (" << x << ", " << y << ")";
      }
    if (shaken.w.StirredSnow().flying == 0 && shaken.mostFlying > 0 && settledAt == 0) settledAt = shaken.p.Now();
    ++compared;
  };
  shaken.p.Shake(10);
  EXPECT_EQ(shaken.p.Now(), 2000u);
  EXPECT_EQ(shaken.p.WindowPosition().x, start.x);
  EXPECT_EQ(shaken.p.WindowPosition().y, start.y);
  shaken.p.RunFor(10000);
  EXPECT_EQ(compared, 600u);
  EXPECT_GT(shaken.mostFlying, kStirredFlakeCount / 2);
  // All at rest within ten seconds of the last shake, the frames the same since.
  EXPECT_GT(settledAt, 2000u);
  EXPECT_LE(settledAt, 12000u);
  EXPECT_EQ(shaken.w.StirredSnow().flying, 0);
  EXPECT_EQ(still.p.Events("stir").size(), 0u);
  EXPECT_TRUE(shaken.p.LastFrame().pixels == still.p.LastFrame().pixels);
  // The three layers, the sky and the plaque drew the same, frame for frame.
  const auto a = shaken.p.Events("frame"), b = still.p.Events("frame");
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i]->fields, b[i]->fields) << i;
  EXPECT_EQ(shaken.p.Events("stir").back()->fields, "\"flying\": 0, \"draws\": []");
}

// The same distance dragged slowly (400 pixels away and back in four seconds)
// and shaken (ten times 40 pixels and back in two).
TEST(StirredSnow, ASlowDragStirsFarLessThanAShake) {
  Globe slow, shaken;
  shaken.p.Shake(10);
  const Point start = slow.p.WindowPosition();
  slow.p.Press(MouseButton::Left);
  for (int step = 1; step <= 400; ++step) {
    slow.p.RunFor(10);
    slow.p.DragTo({start.x - 2 * (step <= 200 ? step : 400 - step), start.y});
  }
  slow.p.Release();
  slow.p.RunFor(2000);
  EXPECT_GT(shaken.mostFlying, 0);
  EXPECT_LT(slow.mostFlying * 5, shaken.mostFlying) << slow.mostFlying << " against " << shaken.mostFlying;
}

// No stirring with the snow off; a short, gentle swirl when the desktop asks
// for less motion; the same swirl in the scene at twice the display scale.
TEST(StirredSnow, FollowsTheSnowSwitchTheDesktopAndTheScale) {
  Globe normal;
  normal.p.Shake(10);
  normal.p.RunFor(10000);
  const std::vector<std::string> lines = normal.StirLines();
  ASSERT_FALSE(lines.empty());

  Globe off;
  off.p.Choose("pmiSnow");
  off.p.Shake(10);
  off.p.Choose("pmiSnow");
  off.p.RunFor(1000);
  EXPECT_EQ(off.mostFlying, 0);

  HeadlessOptions lessMotion = SceneOptions();
  lessMotion.reducedMotion = true;
  Globe gentle(lessMotion);
  gentle.p.Choose("pmiSnow");  // a first run with less motion starts without snow
  uint64_t lastFlying = 0;
  gentle.p.onFrame = [&] {
    gentle.mostFlying = std::max(gentle.mostFlying, gentle.w.StirredSnow().flying);
    if (gentle.w.StirredSnow().flying > 0) lastFlying = gentle.p.Now();
  };
  gentle.p.Shake(10);
  gentle.p.RunFor(10000);
  EXPECT_GT(gentle.mostFlying, 0);
  EXPECT_LT(gentle.mostFlying * 2, normal.mostFlying);
  EXPECT_LT(lastFlying, 2000u + 4000u);

  Globe twice(SceneOptions(8));
  twice.p.Shake(10, 2 * HeadlessPlatform::kShakeReachPx);
  twice.p.RunFor(10000);
  EXPECT_EQ(twice.StirLines(), lines);
}

}  // namespace
}  // namespace gd
