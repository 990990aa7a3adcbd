// The compositor: frames compared with the blend formula applied naively,
// called directly; and through the main window on the headless backend, the
// step clock, the layer order and the trace, the probe and the snow switch,
// the speed commands, present failures and recordings.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
#include "scene/compositor.h"
#include "scene/step_clock.h"
#include "settings/settings.h"
#include "scene_fixture.h"

namespace gd {
namespace {

using scene_test::DrawCall;
using scene_test::NaiveBlend;
using scene_test::ParseDraws;
using scene_test::SceneOptions;
using scene_test::SharedSceneCatalogue;
using scene_test::TracingPlatform;

TEST(StepClock, StrictlyMoreThanTheDelay) {
  EXPECT_FALSE(IsStepDue(1100, 1000, 100));
  EXPECT_TRUE(IsStepDue(1101, 1000, 100));
  // The tick count wrapped: 4,294,967,200 to 50 is 146 ms.
  EXPECT_TRUE(IsStepDue(50, 4294967200u, 100));
  EXPECT_FALSE(IsStepDue(50, 4294967200u, 250));
  // Before any speed command the delay is 0: one millisecond is enough.
  EXPECT_FALSE(IsStepDue(7, 7, 0));
  EXPECT_TRUE(IsStepDue(8, 7, 0));
  EXPECT_TRUE(IsStepDue(0xFFFFFFFFu, 0, 1));
}

int Flakes(const std::vector<DrawCall>& draws) {
  int n = 0;
  for (const DrawCall& d : draws) n += d.name.rfind("Snow", 0) == 0;
  return n;
}

class Window : public ::testing::Test {
 protected:
  explicit Window(const SceneCatalogue& catalogue = SharedSceneCatalogue())
      : catalogue(catalogue), p(SceneOptions()), w(p, catalogue, {}) {}
  void Show() { p.Show(w); }
  std::vector<DrawCall> LastDraws() const { return ParseDraws(p.Events("frame").back()->fields); }

  const SceneCatalogue& catalogue;
  TracingPlatform p;
  MainWindow w;
};

TEST_F(Window, FirstFrameOfARun) {
  Show();
  const auto frames = p.Events("frame");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->t, 0u);
  EXPECT_EQ(frames[0]->fields.rfind("\"step\": true, \"opacity\": 255, \"draws\": [", 0), 0u) << frames[0]->fields;
  const std::vector<DrawCall> d = LastDraws();
  ASSERT_GE(d.size(), 8u);
  // Strip at -340, stars, no sun or moon, landscape, then the first flakes of
  // layer 1 from seed 0 (the first record lies outside the glass).
  EXPECT_EQ(d[0], (DrawCall{"imgDay", 45, -340}));
  EXPECT_EQ(d[1], (DrawCall{"imgStars", 0, 0}));
  EXPECT_EQ(d[2], (DrawCall{"imgLandscape", 0, 0}));
  EXPECT_EQ(d[3], (DrawCall{"Snow1", 178, 59}));
  EXPECT_EQ(d[4], (DrawCall{"Snow1", 63, 82}));
  EXPECT_EQ(w.Sky().SkyOffset, -341);
  // The layer order: layer 1 before the house, layers 2 and 3 after it, then
  // the foreground and only the countdown after that.
  size_t home = 0, front = 0;
  for (size_t i = 0; i < d.size(); ++i) {
    if (d[i].name == "imgHome") home = i;
    if (d[i].name == "img3") front = i;
  }
  ASSERT_GT(home, 3u);
  ASSERT_GT(front, home);
  for (size_t i = front + 1; i < d.size(); ++i) EXPECT_TRUE(d[i].name[0] == 'd' || d[i].name.starts_with("imgDay")) << i;
  for (size_t i = 3; i < home; ++i) EXPECT_TRUE(d[i].name == "Snow1" || d[i].name == "Snow2") << i;
  bool inLayer3 = false;
  for (size_t i = home + 1; i < front; ++i) {
    const bool large = d[i].name == "Snow5" || d[i].name == "Snow6";
    EXPECT_TRUE(large || (!inLayer3 && (d[i].name == "Snow3" || d[i].name == "Snow4"))) << i;
    inLayer3 = inLayer3 || large;
  }
  // All 500 records of layer 1, 200 of layer 2 and 30 of layer 3 were spawned.
  EXPECT_NE(w.Snow().SnowParticles1[499].kind, 0);
  EXPECT_NE(w.Snow().SnowParticles2[199].kind, 0);
  EXPECT_EQ(w.Snow().SnowParticles2[200].kind, 0);
  EXPECT_NE(w.Snow().SnowParticles3[29].kind, 0);
  EXPECT_EQ(w.Snow().SnowParticles3[30].kind, 0);
}

TEST_F(Window, StepClockReadsTheTickCountOfTheStep) {
  Show();  // tick count 3,600,000: a step; first-run speed Fast (100 ms)
  EXPECT_EQ(w.LastStepTick(), 3600000u);
  EXPECT_EQ(w.StepDelayMs(), 100);
  p.RunFor(100);  // ticks at +20 .. +100: none more than 100 ms after the step
  p.RunFor(20);   // +120
  const auto frames = p.Events("frame");
  for (size_t i = 1; i + 1 < frames.size(); ++i)
    EXPECT_NE(frames[i]->fields.find("\"step\": false"), std::string::npos) << i;
  EXPECT_NE(frames.back()->fields.find("\"step\": true"), std::string::npos);
  EXPECT_EQ(w.LastStepTick(), 3600120u);
}

TEST_F(Window, DriftTicksAreTracedAfterTheFrameOfTheSameMoment) {
  Show();
  p.RunFor(400);
  const auto drift = p.Events("drift");
  ASSERT_EQ(drift.size(), 2u);
  EXPECT_EQ(drift[0]->t, 200u);
  EXPECT_EQ(drift[0]->fields, "\"counts\": [499, 249, 31]");
  EXPECT_EQ(drift[1]->fields, "\"counts\": [498, 249, 31]");
  // Time order, and the garland timer fires first on a tie.
  for (size_t i = 1; i < p.events.size(); ++i) EXPECT_LE(p.events[i - 1].t, p.events[i].t);
  for (size_t i = 0; i < p.events.size(); ++i) {
    if (p.events[i].ev == "drift") {
      EXPECT_EQ(p.events[i - 1].ev, "frame");
    }
  }
  // The next frame has layer 2's 249 records: records 200 to 248 are spawned.
  p.RunFor(20);
  EXPECT_NE(w.Snow().SnowParticles2[248].kind, 0);
  EXPECT_EQ(w.Snow().SnowParticles2[249].kind, 0);
  EXPECT_NE(w.Snow().SnowParticles3[30].kind, 0);
}

// Flakes stand still and vanish while `hide` holds, and reappear where they stood.
void ExpectSnowFreezes(TracingPlatform& p, const MainWindow& w, const std::function<void(bool)>& hide) {
  p.RunFor(60);
  const SnowState before = w.Snow();
  const int32_t skyBefore = w.Sky().SkyOffset;
  hide(true);
  p.RunFor(400);
  EXPECT_EQ(Flakes(ParseDraws(p.Events("frame").back()->fields)), 0);
  EXPECT_NE(w.Sky().SkyOffset, skyBefore);  // the sky goes on
  for (int layer = 1; layer <= 3; ++layer)
    for (size_t i = 0; i < before.Particles(layer).size(); ++i) {
      ASSERT_EQ(w.Snow().Particles(layer)[i].x, before.Particles(layer)[i].x);
      ASSERT_EQ(w.Snow().Particles(layer)[i].y, before.Particles(layer)[i].y);
    }
  hide(false);
  p.RunFor(20);
  EXPECT_GT(Flakes(ParseDraws(p.Events("frame").back()->fields)), 0);
  // Counts have drifted meanwhile (500 to 498): layer 1's first 498 records
  // moved exactly one tick on from where they stood.
  for (size_t i = 0; i < 498; ++i) {
    const SnowParticle& was = before.SnowParticles1[i];
    if (was.y >= 160.0) continue;  // respawned on this tick
    ASSERT_EQ(w.Snow().SnowParticles1[i].y, was.y + was.dy) << i;
    ASSERT_EQ(w.Snow().SnowParticles1[i].x, was.x + was.dx) << i;
  }
}

TEST_F(Window, SnowSwitchFreezesAndHidesTheFlakes) {
  Show();
  EXPECT_TRUE(w.CurrentChoices().snow);
  ExpectSnowFreezes(p, w, [&](bool hide) {
    p.Choose("pmiSnow");
    EXPECT_EQ(w.SnowEnabled(), !hide);
    EXPECT_EQ(ItemChecked(w.CurrentChoices(), "pmiSnow"), !hide);
  });
}

TEST_F(Window, CoveredAtBothProbePointsFreezesTheFlakes) {
  Show();
  const Point pos = p.WindowPosition();
  const Point a{pos.x + 75, pos.y + 40}, b{pos.x + 220, pos.y + 220};
  // Covered at one point only: the snow goes on.
  p.CoveredPoints() = {a};
  p.RunFor(20);
  EXPECT_GT(Flakes(LastDraws()), 0);
  p.CoveredPoints() = {b};
  p.RunFor(20);
  EXPECT_GT(Flakes(LastDraws()), 0);
  p.CoveredPoints().clear();
  ExpectSnowFreezes(p, w, [&](bool hide) {
    if (hide)
      p.CoveredPoints() = {a, b};
    else
      p.CoveredPoints().clear();
  });
}

TEST_F(Window, SlowStepsTheSkyOnOneTickInTwentySix) {
  Show();
  p.Choose("pmiSlow");
  // Slow: a step on one tick in 26 (the first multiple of 20 ms above 500 ms).
  p.RunFor(20 * 26 * 4 + 20);
  std::vector<size_t> steps;
  const auto frames = p.Events("frame");
  for (size_t i = 0; i < frames.size(); ++i)
    if (frames[i]->fields.find("\"step\": true") != std::string::npos) steps.push_back(i);
  ASSERT_GE(steps.size(), 3u);
  for (size_t i = 2; i < steps.size(); ++i) EXPECT_EQ(steps[i] - steps[i - 1], 26u);
}

TEST_F(Window, QuicklyMovesTheSkyOnEveryCall) {
  Show();
  p.Choose("pmiQuickly");
  const int32_t offset = w.Sky().SkyOffset;
  p.RunFor(1000);
  EXPECT_EQ(w.Sky().SkyOffset, offset - 100);
}

TEST_F(Window, FailedPresentsOpenOneMessageAtATime) {
  Show();
  p.SetPresentFails(true);
  int nested = 0;
  // The message box's own loop keeps dispatching ticks: two whole frames run
  // inside it and fail again.
  p.whileMessageOpen = [&] {
    if (nested > 0) return;
    ++nested;
    w.Tick(TimerId::Garland);
    w.Tick(TimerId::Garland);
    --nested;
  };
  const uint64_t framesBefore = p.FramesRendered();
  const int32_t offset = w.Sky().SkyOffset;
  p.RunFor(20);
  ASSERT_EQ(p.Messages().size(), 1u);
  EXPECT_EQ(p.Messages()[0].second, "UpdateLayeredWindow error");
  EXPECT_EQ(p.FramesRendered(), framesBefore + 3);
  EXPECT_EQ(w.Sky().SkyOffset, offset);  // Fast: none of these calls is a step yet
  // Once the box is closed, the next failing tick shows the message again.
  p.RunFor(20);
  EXPECT_EQ(p.Messages().size(), 2u);
  // And when the platform takes frames again, they are presented.
  p.whileMessageOpen = nullptr;
  p.SetPresentFails(false);
  const uint64_t presents = p.Presents();
  p.RunFor(20);
  EXPECT_EQ(p.Presents(), presents + 1);
  EXPECT_EQ(p.Messages().size(), 2u);
}

// The local time is asked about once a second, yet the plaque's number
// changes on the first frame after midnight, as if asked on every frame.
TEST(WindowCountdown, TurnsAtMidnightWithoutAskingTheTimeEveryFrame) {
  struct CountingPlatform : TracingPlatform {
    using TracingPlatform::TracingPlatform;
    LocalDateTime LocalTime() override {
      ++asked;
      return TracingPlatform::LocalTime();
    }
    int asked = 0;
  };
  HeadlessOptions o = SceneOptions();
  o.at = LocalDateTime{2026, 12, 20, 23, 59, 50, 505};  // frames at 50.505 s and every 20 ms after
  CountingPlatform p(o);
  MainWindow w(p, SharedSceneCatalogue(), {});
  p.Show(w);
  p.asked = 0;
  p.RunFor(20000);
  std::string shown;
  for (const auto* f : p.Events("frame")) {
    std::string digits;
    for (const DrawCall& d : ParseDraws(f->fields))
      if (d.name.size() == 2 && d.name[0] == 'd') digits += d.name[1];
    if (digits != shown) {
      shown = digits;
      EXPECT_EQ(f->t, shown == "4" ? 0u : 9500u) << shown;  // 23:59:50.505 + 9,495 ms is midnight
    }
  }
  EXPECT_EQ(shown, "3");
  EXPECT_LT(p.asked, 250);  // 1,000 frames: each within two seconds of midnight, once a second elsewhere
}

TEST(WindowCreation, MissingSeriesPictureIsAClearError) {
  // A catalogue without moon7_5 cannot build the window.
  SceneCatalogue partial;
  const SceneCatalogue& full = SharedSceneCatalogue();
  for (size_t i = 0; i < full.Size(); ++i) {
    if (full.At(i).name == "moon7_5") continue;
    auto copy = std::make_unique<SceneImage>();
    copy->name = full.At(i).name;
    partial.Add(std::move(copy));
  }
  HeadlessPlatform p(SceneOptions());
  try {
    MainWindow w(p, partial, {});
    FAIL() << "window built without moon7_5";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("moon7_5"), std::string::npos) << e.what();
  }
}

// The compositor on its own, with a recording observer: every frame equals the
// base layer with the reported draws blended by the formula, pixel by pixel,
// whether it started afresh or from the kept sky.
// A base with every alpha, its colours premultiplied.
FrameBuffer RandomBase(int width, int height) {
  FrameBuffer base(width, height);
  Random bytes;
  for (size_t i = 0; i < base.pixels.size(); i += 4) {
    const uint8_t a = static_cast<uint8_t>(bytes(256));
    for (int c = 0; c < 3; ++c) base.pixels[i + c] = static_cast<uint8_t>(bytes(256) * a / 255);
    base.pixels[i + 3] = a;
  }
  return base;
}

class CompositorFrames : public ::testing::TestWithParam<bool> {
 protected:
  const SceneCatalogue& Catalogue() const { return GetParam() ? SceneCatalogue::Embedded() : SharedSceneCatalogue(); }

  struct Recorder : DrawObserver {
    void OnDraw(const SceneImage& image, int x, int y) override { draws.push_back({&image, x, y}); }
    std::vector<PlacedImage> draws;
  };

  // `calls` calls of the frame timer every `intervalMs` with the given step
  // delay, the snow's density drifting every 200 ms as on the window; every
  // frame up to the hundredth is compared, then every `every`-th.
  // With `lend`, frames are composed in memory lent to the compositor, as a
  // window lends its buffers: three blocks taken in turn or out of turn
  // (the rows padded), each brought up to date from what the frames
  // composed elsewhere changed since it was last composed in; now and then
  // its own memory, and now and then a block scribbled over and said to
  // hold nothing.
  void ExpectFramesEqualTheFormula(uint32_t intervalMs, int32_t stepDelayMs, int calls, int every, bool lend = false) {
    constexpr int kStride = 308 * 4;
    std::vector<uint8_t> blocks[3];
    RowStretches lacks[3];
    bool holdsNothing[3] = {true, true, true};
    for (auto& b : blocks) b.assign(kStride * 260, 0);
    int block = 0;
    Compositor compositor(Catalogue());
    const FrameBuffer base = RandomBase(300, 260);
    compositor.SetBase(base);
    SceneState scene;
    CreateSnowParticles(scene.snow);
    PlaceSunAndMoon(scene.sky);
    Random random;
    FrameBuffer previous;
    uint32_t tick = 1000, lastStep = 0;
    for (int call = 0; call < calls; ++call, tick += intervalMs) {
      if (call > 0 && tick % 200 < intervalMs) DriftSnowCounts(scene.drift, random);
      FrameRequest request;
      request.step = IsStepDue(tick, lastStep, stepDelayMs);
      if (request.step) lastStep = tick;
      request.snowFalls = call % 500 < 450;  // the snow switched off now and then
      // Now and then the globe is shaken, and the stirred snow swirls.
      request.tick = tick;
      if (call % 600 < 50) scene.stirred.WindowMoved(10.0 * std::abs(call % 10 - 5), 0.0, tick);
      if (call % 300 < 250) request.countdownDays = call % 400;
      ComposeTarget into;
      const bool own = lend && call % 97 == 50;
      if (lend && !own) {
        block = call % 7 == 3 ? (block + 2) % 3 : (block + 1) % 3;
        if (call % 89 == 30) {
          std::fill(blocks[block].begin(), blocks[block].end(), uint8_t{0x5A});
          holdsNothing[block] = true;
        }
        into.memory = FrameBuffer::InLentMemory(blocks[block].data(), 300, 260, kStride);
        into.lacks = holdsNothing[block] ? nullptr : &lacks[block];
      }
      Recorder recorder;
      const FrameBuffer& frame = compositor.Compose(scene, random, request, &recorder, into);
      ASSERT_EQ(frame.lent != nullptr, lend && !own);
      if (lend) {
        // The others now lack what this frame changed; this one, nothing.
        for (int b = 0; b < 3; ++b) {
          if (own || b != block) {
            if (lacks[b].size() != 260) lacks[b].assign(260, {0, 0});
            AddStretches(lacks[b], compositor.Changed());
          } else {
            lacks[b].assign(260, {0, 0});
            holdsNothing[b] = false;
          }
        }
      }
      // Outside what the call says it changed, the frame is the previous one.
      const RowStretches& changed = compositor.Changed();
      ASSERT_EQ(changed.size(), static_cast<size_t>(frame.height));
      if (call > 0 && changed != WholeRows(frame.width, frame.height)) {
        ++partial;
        for (int y = 0; y < frame.height; ++y)
          for (int x = 0; x < frame.width; ++x)
            if ((x < changed[y].first || x >= changed[y].second) &&
                std::memcmp(frame.Pixel(x, y), previous.Pixel(x, y), 4) != 0)
              FAIL() << "call " << call << " changed (" << x << ", " << y << ") outside what it says";
      }
      previous = FrameBuffer(frame.width, frame.height);  // a copy of the pixels, not of a view
      for (int y = 0; y < frame.height; ++y) std::memcpy(previous.Row(y), frame.Row(y), static_cast<size_t>(frame.width) * 4);
      if (call >= 100 && call % every != 0) continue;
      FrameBuffer naive = base;
      for (const PlacedImage& d : recorder.draws) {
        NaiveBlend(naive, *d.image, d.x, d.y);
        sawSun = sawSun || d.image->name.starts_with("sun");
        sawSundown = sawSundown || d.image->name.starts_with("sundown");
        sawMoon = sawMoon || d.image->name.starts_with("moon");
        sawFlake = sawFlake || d.image->name.starts_with("Snow");
        sawStirred = sawStirred || scene.stirred.flying > 0;
        sawDigit = sawDigit || (d.image->name.size() == 2 && d.image->name[0] == 'd');
      }
      for (int y = 0; y < frame.height; ++y)
        ASSERT_EQ(std::memcmp(frame.Row(y), naive.Row(y), static_cast<size_t>(frame.width) * 4), 0)
            << "call " << call << ", row " << y;
    }
  }

  bool sawSun = false, sawSundown = false, sawMoon = false, sawFlake = false, sawDigit = false, sawStirred = false;
  int partial = 0;  // calls that changed less than the whole frame
};

// A whole sky cycle at "Quickly" (day, the hold, night, sunrise, sunset,
// moonrise and the moon going down: 2500 calls), where the sky moves on every call.
TEST_P(CompositorFrames, EqualTheFormulaAcrossAWholeCycle) {
  ExpectFramesEqualTheFormula(10, 1, 2500, 8);
  EXPECT_TRUE(sawSun && sawSundown && sawMoon && sawFlake && sawDigit && sawStirred);
}

// At every speed: between two steps every call draws the same sky, sun and
// moon and starts from the frame they made on an earlier call.
TEST_P(CompositorFrames, EqualTheFormulaAtEverySpeed) {
  for (const Speed& speed : kSpeeds) {
    SCOPED_TRACE(std::string(speed.item));
    ExpectFramesEqualTheFormula(speed.intervalMs, speed.stepDelayMs, 1000, 3);
  }
  EXPECT_TRUE(sawFlake && sawDigit);
  EXPECT_GT(partial, 2000);
}

// Composed straight into buffers a window lends, brought up to date from
// what they lack, frames are the same, however the buffers change hands.
TEST_P(CompositorFrames, EqualTheFormulaInLentMemory) {
  ExpectFramesEqualTheFormula(20, 100, 700, 3, true);
  EXPECT_GT(partial, 500);
}

INSTANTIATE_TEST_SUITE_P(StandInAndProgramsArt, CompositorFrames, ::testing::Bool());

// At display scale 2 the reported draws stay in the logical 300 x 260 space,
// and the frame is the formula over the pictures drawn at twice the size, at
// twice the reported places.
TEST(CompositorAtScaleTwo, FramesEqualTheFormulaOverThePicturesDrawnTwiceTheSize) {
  static const SceneCatalogue twice = SceneCatalogue::FromStored(kEmbeddedPictures2x, kEmbeddedPictureCount2x);
  struct Recorder : DrawObserver {
    void OnDraw(const SceneImage& image, int x, int y) override { draws.push_back({&image, x, y}); }
    std::vector<PlacedImage> draws;
  };
  Compositor compositor(SceneCatalogue::Embedded());
  compositor.SetScale(8);
  const FrameBuffer base = RandomBase(600, 520);
  compositor.SetBase(base);
  SceneState scene;
  CreateSnowParticles(scene.snow);
  PlaceSunAndMoon(scene.sky);
  Random random;
  DriftSnowCounts(scene.drift, random);
  bool sawFlake = false;
  for (int call = 0; call < 200; ++call) {
    FrameRequest request;
    request.step = call % 3 == 0;  // every third call a step: the others start from the kept sky
    request.snowFalls = true;
    request.countdownDays = 24;
    Recorder recorder;
    const FrameBuffer& frame = compositor.Compose(scene, random, request, &recorder);
    ASSERT_EQ(frame.width, 600);
    ASSERT_EQ(frame.height, 520);
    FrameBuffer naive = base;
    for (const PlacedImage& d : recorder.draws) {
      ASSERT_EQ(d.image, SceneCatalogue::Embedded().FindSceneImage(d.image->name)) << "a logical picture";
      NaiveBlend(naive, *twice.FindSceneImage(d.image->name), d.x * 2, d.y * 2);
      sawFlake = sawFlake || d.image->name.starts_with("Snow");
    }
    ASSERT_EQ(frame.pixels, naive.pixels) << "call " << call;
  }
  EXPECT_TRUE(sawFlake);
}

TEST(Outputs, TraceFileAndRecording) {
  const std::string dir = ::testing::TempDir();
  HeadlessOptions o = SceneOptions();
  o.tracePath = dir + "/glimmer_trace.jsonl";
  o.recordPath = dir + "/glimmer_record.png";
  {
    HeadlessPlatform p(o);
    MainWindow w(p, SharedSceneCatalogue(), {});
    p.Show(w);
    p.RunFor(200);
    std::string error;
    ASSERT_TRUE(p.WriteOutputs(&error)) << error;
  }
  std::ifstream trace(o.tracePath);
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(trace, line))
    if (line.find("\"ev\": \"frame\"") != std::string::npos || line.find("\"ev\": \"drift\"") != std::string::npos)
      lines.push_back(line);
  ASSERT_EQ(lines.size(), 12u);  // frames at 0, 20, ..., 200 and a drift tick
  EXPECT_EQ(lines[0].rfind("{\"t\": 0, \"ev\": \"frame\", \"step\": true, \"opacity\": 255, \"draws\": "
                           "[[\"imgDay\", 45, -340], [\"imgStars\", 0, 0], [\"imgLandscape\", 0, 0], "
                           "[\"Snow1\", 178, 59], [\"Snow1\", 63, 82], ",
                           0),
            0u)
      << lines[0];
  EXPECT_NE(lines[0].find(", [\"img3\", 0, 0]"), std::string::npos) << lines[0];
  EXPECT_TRUE(lines[0].ends_with("]]}")) << lines[0];
  EXPECT_EQ(lines[11], "{\"t\": 200, \"ev\": \"drift\", \"counts\": [499, 249, 31]}");

  // The recording: 11 frames (acTL's frame count), 20 ms each.
  std::ifstream rec(o.recordPath, std::ios::binary);
  std::stringstream ss;
  ss << rec.rdbuf();
  const std::string bytes = ss.str();
  const size_t actl = bytes.find("acTL");
  ASSERT_NE(actl, std::string::npos);
  auto be32 = [&](size_t at) {
    return (uint32_t{static_cast<uint8_t>(bytes[at])} << 24) | (uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 16) |
           (uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 8) | uint32_t{static_cast<uint8_t>(bytes[at + 3])};
  };
  EXPECT_EQ(be32(actl + 4), 11u);
  const size_t fctl = bytes.find("fcTL");
  ASSERT_NE(fctl, std::string::npos);
  EXPECT_EQ((static_cast<uint8_t>(bytes[fctl + 24]) << 8) | static_cast<uint8_t>(bytes[fctl + 25]), 20);
  std::remove(o.tracePath.c_str());
  std::remove(o.recordPath.c_str());
}

}  // namespace
}  // namespace gd
