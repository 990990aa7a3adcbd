// How fast Glimmerdome's PNG codec decodes, next to libpng (and libspng where
// it is installed), on the PngSuite images and on a few generated pictures of
// the kinds the program decodes at every start, plus larger ones.
//
//   decode_bench [--benchmark_filter=...]
//
// After the usual table it prints, for each set, how many times libpng's CPU
// time the codec takes (below 1: the codec is faster), from the medians when
// run with --benchmark_repetitions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <png.h>

#include "images/catalogue.h"
#include "images/png.h"
#include "images/png_rgba.h"
#include "png_test_support.h"

#ifdef GLIMMERDOME_HAVE_SPNG
#include <spng.h>
#endif

namespace {

using gd::test::Bytes;
using gd::test::SourceImage;

struct PictureSet {
  std::string name;
  std::vector<Bytes> files;
  size_t pixels = 0;
};

// Smooth shading with a little noise and a soft-edged alpha disc: roughly the
// statistics of painted scene art.
SourceImage ArtLike(uint32_t width, uint32_t height, uint8_t color_type, uint32_t seed) {
  SourceImage image;
  image.width = width;
  image.height = height;
  image.color_type = color_type;
  image.bit_depth = 8;
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-3, 3);
  const double cx = width / 2.0, cy = height / 2.0, radius = std::min(width, height) * 0.45;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      auto clamp = [](double v) { return static_cast<uint16_t>(std::clamp(v, 0.0, 255.0)); };
      image.samples.push_back(clamp(120 + 80 * std::sin(x * 0.02) + noise(rng)));
      image.samples.push_back(clamp(90 + 0.3 * y + 40 * std::cos(d * 0.05) + noise(rng)));
      image.samples.push_back(clamp(200 - 0.2 * x + noise(rng)));
      if (color_type == 6) image.samples.push_back(clamp((radius - d) * 8));
    }
  }
  return image;
}

std::vector<PictureSet> MakeSets() {
  std::vector<PictureSet> sets;
  // The pictures the program decodes at every start, as they are embedded.
  PictureSet art{"embedded catalogue", {}, 0};
  for (size_t i = 0; i < gd::kEmbeddedPictureCount; ++i) {
    const gd::EmbeddedPicture& p = gd::kEmbeddedPictures[i];
    if (p.size < 12 || p.data[0] != 11) continue;  // "TPngPicture" entries only
    Bytes file(p.data + 12, p.data + p.size);
    const gd::test::LibpngImage image = gd::test::DecodeWithLibpng(file);
    if (!image.ok) continue;
    art.pixels += size_t{image.width} * image.height;
    art.files.push_back(std::move(file));
  }
  if (!art.files.empty()) sets.push_back(std::move(art));
  PictureSet suite{"pngsuite", {}, 0};
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(GLIMMERDOME_PNGSUITE_DIR, ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".png" || name[0] == 'x') continue;
    Bytes file = gd::test::ReadFileBytes(entry.path().string());
    const gd::test::LibpngImage image = gd::test::DecodeWithLibpng(file);
    if (!image.ok) continue;
    suite.pixels += size_t{image.width} * image.height;
    suite.files.push_back(std::move(file));
  }
  if (!suite.files.empty()) sets.push_back(std::move(suite));

  auto add = [&](const std::string& name, const SourceImage& image, bool interlaced, int filters) {
    sets.push_back({name, {gd::test::EncodeWithLibpng(image, interlaced, filters, 65536)},
                    size_t{image.width} * image.height});
  };
  add("scene 300x260 RGBA, Sub", ArtLike(300, 260, 6, 1), false, PNG_FILTER_SUB);
  add("sky 201x1341 RGBA, Sub", ArtLike(201, 1341, 6, 2), false, PNG_FILTER_SUB);
  add("2048x2048 RGBA, all filters", ArtLike(2048, 2048, 6, 3), false, PNG_ALL_FILTERS);
  add("2048x2048 RGB, all filters", ArtLike(2048, 2048, 2, 4), false, PNG_ALL_FILTERS);
  add("2048x2048 RGBA, Paeth", ArtLike(2048, 2048, 6, 5), false, PNG_FILTER_PAETH);
  add("1024x1024 RGBA, interlaced", ArtLike(1024, 1024, 6, 6), true, PNG_ALL_FILTERS);
  return sets;
}

void DecodeCodec(benchmark::State& state, const PictureSet* set, bool to_rgba) {
  for (auto _ : state) {
    for (const Bytes& file : set->files) {
      gd::ByteReader r(file.data(), file.size());
      gd::PngImage picture;
      picture.LoadPng(r);
      if (to_rgba) {
        gd::RgbaImage rgba = gd::ExpandToRgba(picture);
        benchmark::DoNotOptimize(rgba.pixels.data());
      }
      benchmark::DoNotOptimize(picture.ColorRow(0));
    }
  }
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(set->pixels) * 1e-6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void DecodeLibpng(benchmark::State& state, const PictureSet* set) {
  for (auto _ : state) {
    for (const Bytes& file : set->files) {
      gd::test::LibpngImage image = gd::test::DecodeWithLibpng(file);
      if (!image.ok) state.SkipWithError(image.error.c_str());
      benchmark::DoNotOptimize(image.rgba.data());
    }
  }
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(set->pixels) * 1e-6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

#ifdef GLIMMERDOME_HAVE_SPNG
void DecodeSpng(benchmark::State& state, const PictureSet* set) {
  for (auto _ : state) {
    for (const Bytes& file : set->files) {
      spng_ctx* ctx = spng_ctx_new(0);
      spng_set_png_buffer(ctx, file.data(), file.size());
      size_t size = 0;
      std::vector<uint8_t> out;
      if (spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size) == 0) {
        out.resize(size);
        if (spng_decode_image(ctx, out.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0) {
          state.SkipWithError("spng could not decode");
        }
      }
      spng_ctx_free(ctx);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(set->pixels) * 1e-6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
#endif

// Keeps each benchmark's CPU time per iteration (the median when repeated)
// so that the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_[name] = run.GetAdjustedCPUTime();
      } else if (run.run_type == Run::RT_Iteration) {
        last_[name] = run.GetAdjustedCPUTime();
      }
    }
  }
  double Time(const std::string& name) const {
    if (auto it = medians_.find(name); it != medians_.end()) return it->second;
    if (auto it = last_.find(name); it != last_.end()) return it->second;
    return 0;
  }

 private:
  std::map<std::string, double> medians_;
  std::map<std::string, double> last_;
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<PictureSet> sets = MakeSets();
  for (const PictureSet& set : sets) {
    benchmark::RegisterBenchmark(("codec/" + set.name).c_str(), DecodeCodec, &set, false)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("codec+rgba/" + set.name).c_str(), DecodeCodec, &set, true)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("libpng/" + set.name).c_str(), DecodeLibpng, &set)
        ->Unit(benchmark::kMicrosecond);
#ifdef GLIMMERDOME_HAVE_SPNG
    benchmark::RegisterBenchmark(("spng/" + set.name).c_str(), DecodeSpng, &set)
        ->Unit(benchmark::kMicrosecond);
#endif
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nTime relative to libpng (below 1.00: faster than libpng)\n");
  std::printf("%-32s %12s %12s %12s\n", "set", "codec", "codec+rgba", "spng");
  for (const PictureSet& set : sets) {
    const double libpng = reporter.Time("libpng/" + set.name);
    if (libpng <= 0) continue;
    auto ratio = [&](const std::string& who) {
      const double t = reporter.Time(who + "/" + set.name);
      return t > 0 ? t / libpng : 0.0;
    };
    std::printf("%-32s %12.2f %12.2f %12.2f\n", set.name.c_str(), ratio("codec"), ratio("codec+rgba"),
                ratio("spng"));
  }
  benchmark::Shutdown();
  return 0;
}
