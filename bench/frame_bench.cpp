// What one frame costs. Composes frames with the program's own pictures on the
// headless backend (its present replaced by one that keeps nothing, so that
// the figures are the compositor's), and sets them against a plain copy of a
// frame-sized buffer and against the same frame composed the way the old
// design did it: a fresh frame buffer per call, a temporary buffer per draw
// holding the whole rectangle the picture covers, every pixel of that
// rectangle blended (the whole 1341-row sky strip included), and a
// case-insensitive scan of the catalogue for every picture found by name.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_BENCH=ON
//   cmake --build build-bench -j2 --target frame_bench && build-bench/frame_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/headless/headless_platform.h"
#include "scene/blend.h"

namespace gd {
namespace {

struct Draw {
  std::string name;
  int x;
  int y;
};

// The headless backend, lending one buffer that it shows by doing nothing
// (as a window whose one buffer always holds the last frame), and keeping
// the draws of the last traced frame.
class BenchPlatform : public HeadlessPlatform {
 public:
  explicit BenchPlatform(HeadlessOptions o) : HeadlessPlatform(std::move(o)) {}
  LentBuffer LendBuffer(int width, int height, uint8_t constantAlpha) override {
    if (shown.width != width || shown.height != height) {
      shown = FrameBuffer(width, height);
      age = 0;
    }
    LentBuffer b;
    b.pixels = shown.Data();
    b.width = width;
    b.height = height;
    b.stride = width * 4;
    b.age = age;
    b.constantAlpha = constantAlpha;
    return b;
  }
  bool PresentFrame(const LentBuffer&, const RowStretches&, const RowStretches&) override {
    age = 1;
    last = &shown;
    return true;
  }
  // The tick count moves only when a benchmark moves it (and with the
  // virtual clock, which the calls below leave alone).
  uint32_t TickCount() override { return HeadlessPlatform::TickCount() + extraTicks; }
  TraceSink* Tracer() override { return tracing ? this : nullptr; }
  void Write(std::string_view event, std::string_view fields) override {
    if (event != "frame") return;
    draws.clear();
    const std::string f(fields);
    for (size_t at = f.find("[\"", f.find("\"draws\"")); at != std::string::npos; at = f.find("[\"", at + 1)) {
      const size_t end = f.find('"', at + 2);
      Draw d{f.substr(at + 2, end - at - 2), 0, 0};
      std::sscanf(f.c_str() + end + 1, ", %d, %d]", &d.x, &d.y);
      draws.push_back(d);
    }
  }

  bool tracing = false;
  uint32_t extraTicks = 0;
  std::vector<Draw> draws;
  FrameBuffer shown;
  int age = 0;
  const FrameBuffer* last = nullptr;
};

HeadlessOptions BenchOptions(int scaleQuarters = 4) {
  HeadlessOptions o;
  o.scaleQuarters = scaleQuarters;
  o.frames = 0;
  o.at = LocalDateTime{2026, 12, 20, 10, 0, 0, 0};
  return o;
}

// A globe 20 calls into its run: the sun up, the sky strip, every fixed
// layer, the countdown, and the snow at full density (one drift tick: 499,
// 249 and 31 flakes), then set to `speed`. Calls made directly leave virtual
// time where it is, so no further drift tick thins the snow, and the sky
// takes a step only when a benchmark moves the tick count.
struct Globe {
  explicit Globe(const char* speed = "pmiQuickly", int scaleQuarters = 4)
      : platform(BenchOptions(scaleQuarters)), window(platform, SceneCatalogue::Embedded(), {}) {
    platform.Show(window);
    platform.Choose("pmiQuickly");
    platform.RunFor(190);
    window.Tick(TimerId::CountSnow);
    platform.Choose(speed);
  }
  BenchPlatform platform;
  MainWindow window;
};

Globe& SharedGlobe() {
  static Globe globe;
  return globe;
}

// --- The old arrangement, kept as a reference --------------------------------

const SceneImage* ScanByName(const SceneCatalogue& catalogue, const std::string& name) {
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (size_t i = 0; i < catalogue.Size(); ++i) {
    const std::string& n = catalogue.At(i).name;
    if (n.size() != name.size()) continue;
    size_t k = 0;
    while (k < n.size() && upper(n[k]) == upper(name[k])) ++k;
    if (k == n.size()) return &catalogue.At(i);
  }
  return nullptr;
}

void OldBlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y) {
  // The rectangle the picture covers, copied into a buffer of its own size.
  std::vector<uint8_t> temp(static_cast<size_t>(image.width) * image.height * 4);
  auto inside = [&](int fx, int fy) { return fx >= 0 && fy >= 0 && fx < frame.width && fy < frame.height; };
  for (int j = 0; j < image.height; ++j)
    for (int i = 0; i < image.width; ++i)
      if (inside(x + i, y + j)) std::memcpy(&temp[(static_cast<size_t>(j) * image.width + i) * 4], frame.Pixel(x + i, y + j), 4);
  // Every pixel blended, row by row.
  for (int j = 0; j < image.height; ++j) {
    const uint8_t* s = &image.bgra[static_cast<size_t>(j) * image.width * 4];
    uint8_t* d = &temp[static_cast<size_t>(j) * image.width * 4];
    for (int i = 0; i < image.width; ++i, s += 4, d += 4) {
      const unsigned a = s[3];
      for (int c = 0; c < 3; ++c) d[c] = BlendByte(s[c], d[c], a);
    }
  }
  // Copied back, cut to the frame.
  for (int j = 0; j < image.height; ++j)
    for (int i = 0; i < image.width; ++i)
      if (inside(x + i, y + j)) std::memcpy(frame.Pixel(x + i, y + j), &temp[(static_cast<size_t>(j) * image.width + i) * 4], 4);
}

FrameBuffer OldCompose(const FrameBuffer& base, const SceneCatalogue& catalogue, const std::vector<Draw>& draws,
                       const std::map<std::string, const SceneImage*>& fixed) {
  FrameBuffer frame(base.width, base.height);  // a new frame buffer per call
  frame.pixels = base.pixels;
  for (const Draw& d : draws) {
    // The fixed layers are held by reference; series members are found by name.
    auto it = fixed.find(d.name);
    const SceneImage* image = it != fixed.end() ? it->second : ScanByName(catalogue, d.name);
    OldBlendImage(frame, *image, d.x, d.y);
  }
  return frame;
}

// The draws of one frame at full snow, and the frame the compositor made.
struct CapturedFrame {
  std::vector<Draw> draws;
  FrameBuffer frame;
  std::map<std::string, const SceneImage*> fixed;
};

const CapturedFrame& Captured() {
  static const CapturedFrame captured = [] {
    Globe& g = SharedGlobe();
    g.platform.tracing = true;
    g.window.RenderFrame();
    g.platform.tracing = false;
    CapturedFrame c{g.platform.draws, *g.platform.last, {}};
    const SceneCatalogue& cat = SceneCatalogue::Embedded();
    for (const char* name : {"imgDay", "imgStars", "imgLandscape", "imgHome", "img3", "imgDDay", "imgDays"})
      c.fixed[name] = cat.FindSceneImage(name);
    const FrameBuffer old = OldCompose(*g.window.BaseBitmap(), cat, c.draws, c.fixed);
    if (old.pixels != c.frame.pixels) {
      std::fprintf(stderr, "frame_bench: the old arrangement gives a different frame\n");
      std::abort();
    }
    return c;
  }();
  return captured;
}

// --- Benchmarks -----------------------------------------------------------------

// Frames of `g`, the tick count moving `ticksPerCall` milliseconds before each.
void ComposeFrames(benchmark::State& state, Globe& g, uint32_t ticksPerCall) {
  for (auto _ : state) {
    g.platform.extraTicks += ticksPerCall;
    g.window.RenderFrame();
    benchmark::DoNotOptimize(g.platform.last);
  }
}

// The sky stands: every call draws the same sky, sun and moon.
void BM_ComposeFrame(benchmark::State& state) {
  ComposeFrames(state, SharedGlobe(), 0);
  state.counters["draws"] = static_cast<double>(Captured().draws.size());
}
BENCHMARK(BM_ComposeFrame);

// Every call a step of the sky, as at "Quickly": the sky, sun and moon are
// drawn afresh each time, through a whole day and night.
void BM_ComposeStepFrame(benchmark::State& state) {
  static Globe g;
  ComposeFrames(state, g, 1000);
}
BENCHMARK(BM_ComposeStepFrame);

// The default speed ("Fast"): a call every 20 ms and a step of the sky every
// 100 ms or more, so every sixth call.
void BM_ComposeFrameAtDefaultSpeed(benchmark::State& state) {
  static Globe g("pmiFast");
  ComposeFrames(state, g, 20);
}
BENCHMARK(BM_ComposeFrameAtDefaultSpeed);

// The default speed with the stirred snow at its fullest: the globe shaken
// all the while (40 pixels to and fro five times a second, a place every
// 10 ms), so that the stirred flakes are in flight and swirling, all but the
// few settling between two reversals.
struct ShakenGlobe {
  ShakenGlobe() : g("pmiFast") {
    for (int call = 0; call < 150; ++call) Call();
    // A flake that settles is lifted again at the next reversal.
    if (g.window.StirredSnow().flying < kStirredFlakeCount * 95 / 100) {
      std::fprintf(stderr, "frame_bench: the shake left %d of %d stirred flakes in flight\n",
                   g.window.StirredSnow().flying, kStirredFlakeCount);
      std::abort();
    }
  }
  void Call() {
    for (int place = 0; place < 2; ++place) {
      g.platform.extraTicks += 10;
      const uint32_t tick = g.platform.TickCount();
      const int out = static_cast<int>(tick % 200 < 100 ? tick % 200 : 200 - tick % 200);
      // The window goes there, as the system's move takes it, and says so.
      const Point at = g.platform.MoveWindow(1000 - 40 * out / 100, 500);
      g.window.WindowMoved(at, tick);
    }
    g.window.RenderFrame();
  }
  Globe g;
};

void BM_ComposeFrameWithFullSwirl(benchmark::State& state) {
  static ShakenGlobe shaken;
  for (auto _ : state) {
    shaken.Call();
    benchmark::DoNotOptimize(shaken.g.platform.last);
  }
  state.counters["stirred"] = static_cast<double>(shaken.g.window.StirredSnow().flying);
}
BENCHMARK(BM_ComposeFrameWithFullSwirl);

// The same two at display scale 2: a frame of 600 x 520 from the pictures
// drawn at twice the size.
void BM_ComposeStepFrameAtScale2(benchmark::State& state) {
  static Globe g("pmiQuickly", 8);
  ComposeFrames(state, g, 1000);
}
BENCHMARK(BM_ComposeStepFrameAtScale2);

void BM_ComposeFrameAtDefaultSpeedAtScale2(benchmark::State& state) {
  static Globe g("pmiFast", 8);
  ComposeFrames(state, g, 20);
}
BENCHMARK(BM_ComposeFrameAtDefaultSpeedAtScale2);

void BM_ReplayDraws(benchmark::State& state) {
  const CapturedFrame& c = Captured();
  const FrameBuffer& base = *SharedGlobe().window.BaseBitmap();
  const SceneCatalogue& cat = SceneCatalogue::Embedded();
  std::vector<const SceneImage*> images;
  for (const Draw& d : c.draws) images.push_back(cat.FindSceneImage(d.name));
  FrameBuffer frame;
  for (auto _ : state) {
    frame = base;
    for (size_t i = 0; i < images.size(); ++i) BlendImage(frame, *images[i], c.draws[i].x, c.draws[i].y);
    benchmark::DoNotOptimize(frame.pixels.data());
  }
}
BENCHMARK(BM_ReplayDraws);

void CopyFrameBuffer(benchmark::State& state, size_t bytes) {
  std::vector<uint8_t> from(bytes, 7), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
void BM_CopyFrameBuffer(benchmark::State& state) { CopyFrameBuffer(state, 300 * 260 * 4); }
BENCHMARK(BM_CopyFrameBuffer);
void BM_CopyFrameBufferAtScale2(benchmark::State& state) { CopyFrameBuffer(state, 600 * 520 * 4); }
BENCHMARK(BM_CopyFrameBufferAtScale2);

void BM_OldArrangement(benchmark::State& state) {
  const CapturedFrame& c = Captured();
  const FrameBuffer& base = *SharedGlobe().window.BaseBitmap();
  const SceneCatalogue& cat = SceneCatalogue::Embedded();
  for (auto _ : state) {
    FrameBuffer frame = OldCompose(base, cat, c.draws, c.fixed);
    benchmark::DoNotOptimize(frame.pixels.data());
  }
}
BENCHMARK(BM_OldArrangement);

// Start-up to the first presented frame: every picture decoded from its stored
// form, the window created (base layer) and shown (shape, settings, first frame).
void BM_StartUpToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    const SceneCatalogue catalogue = SceneCatalogue::FromStored(kEmbeddedPictures, kEmbeddedPictureCount);
    BenchPlatform platform(BenchOptions());
    MainWindow window(platform, catalogue, {});
    platform.Show(window);
    benchmark::DoNotOptimize(platform.last);
  }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond);

// Keeps every run's time so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) ns[r.benchmark_name()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> ns;
};

}  // namespace
}  // namespace gd

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  gd::Captured();  // checks the reference against the compositor first
  gd::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  auto& t = reporter.ns;
  const auto has = [&](const char* n) { return t.count(n) && t[n] > 0; };
  if (has("BM_ComposeFrame") && has("BM_CopyFrameBuffer") && has("BM_OldArrangement") && has("BM_ReplayDraws")) {
    const double copy = t["BM_CopyFrameBuffer"];
    std::printf("\nOne frame composed (RenderFrame, present excluded), in CPU time and in plain copies\n"
                "of a 300x260x4 buffer (%.1f us):\n", copy / 1000);
    const auto line = [&](const char* what, const char* name) {
      if (has(name)) std::printf("  %-44s %6.1f us = %4.1f copies\n", what, t[name] / 1000, t[name] / copy);
    };
    line("between two steps of the sky", "BM_ComposeFrame");
    line("a step of the sky (every call at Quickly)", "BM_ComposeStepFrame");
    line("on average at the default speed (Fast)", "BM_ComposeFrameAtDefaultSpeed");
    if (has("BM_ComposeFrameWithFullSwirl") && has("BM_ComposeFrameAtDefaultSpeed"))
      std::printf("  %-44s %6.1f us = %4.1f copies, %.2f times without it\n", "the same with the stirred snow at its fullest",
                  t["BM_ComposeFrameWithFullSwirl"] / 1000, t["BM_ComposeFrameWithFullSwirl"] / copy,
                  t["BM_ComposeFrameWithFullSwirl"] / t["BM_ComposeFrameAtDefaultSpeed"]);
    // Set against a step, which draws every layer as the old way does.
    const char* full = has("BM_ComposeStepFrame") ? "BM_ComposeStepFrame" : "BM_ComposeFrame";
    std::printf("The same draws composed the old way: %.1f us, %.1f times a step of RenderFrame\n",
                t["BM_OldArrangement"] / 1000, t["BM_OldArrangement"] / t[full]);
    std::printf("  and %.1f times the same draws replayed with BlendImage (%.1f us)\n",
                t["BM_OldArrangement"] / t["BM_ReplayDraws"], t["BM_ReplayDraws"] / 1000);
  }
  if (has("BM_CopyFrameBufferAtScale2") && has("BM_ComposeFrameAtDefaultSpeedAtScale2")) {
    const double copy = t["BM_CopyFrameBufferAtScale2"];
    std::printf("At display scale 2 (600x520), in plain copies of a 600x520x4 buffer (%.1f us), and against\n"
                "the same frame at scale 1:\n", copy / 1000);
    const auto line = [&](const char* what, const char* name, const char* one) {
      if (has(name) && has(one))
        std::printf("  %-44s %6.1f us = %4.1f copies, %.2f times scale 1\n", what, t[name] / 1000, t[name] / copy,
                    t[name] / t[one]);
    };
    line("a step of the sky (every call at Quickly)", "BM_ComposeStepFrameAtScale2", "BM_ComposeStepFrame");
    line("on average at the default speed (Fast)", "BM_ComposeFrameAtDefaultSpeedAtScale2",
         "BM_ComposeFrameAtDefaultSpeed");
  }
  if (has("BM_StartUpToFirstFrame"))
    std::printf("Start-up to the first presented frame (headless): %.1f ms of CPU time\n",
                t["BM_StartUpToFirstFrame"]);  // reported in milliseconds
  return 0;
}
