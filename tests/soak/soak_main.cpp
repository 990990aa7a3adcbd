// Soak run: the whole program on the headless backend for a great many frames
// at the fastest speed, with snow on and the drift running. After every timer
// event it checks that the scene's counters stay in their ranges, and at the
// end that memory has not grown. Exits 1 on the first fault, naming it.
//
//   glimmer_soak [FRAMES]     (default 1000000)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "platform/headless/headless_platform.h"

using namespace gd;

namespace {

// Under AddressSanitizer freed memory waits in a quarantine, so resident memory
// grows without a leak; there LeakSanitizer checks for leaks instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryMeansLeaks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentMemoryMeansLeaks = false;
#else
constexpr bool kResidentMemoryMeansLeaks = true;
#endif
#else
constexpr bool kResidentMemoryMeansLeaks = true;
#endif

// Resident memory in KiB, or 0 where it cannot be read.
long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * 4;
}

std::string Fault(const MainWindow& form) {
  const SkyState& sky = form.Sky();
  const SnowDriftState& drift = form.Drift();
  auto out = [](const char* what, long v, long lo, long hi) -> std::string {
    if (v >= lo && v <= hi) return {};
    return std::string(what) + " is " + std::to_string(v) + ", outside " + std::to_string(lo) + " to " +
           std::to_string(hi);
  };
  for (const std::string& f : {out("SnowCount1", drift.SnowCount1, 0, 500), out("SnowCount2", drift.SnowCount2, 0, 250),
                               out("SnowCount3", drift.SnowCount3, 0, 31), out("SnowTarget", drift.SnowTarget, 0, 499),
                               out("SnowPause", drift.SnowPause, 0, 549), out("SkyOffset", sky.SkyOffset, -1201, 0),
                               out("SunFrame", sky.SunFrame, 1, 5), out("MoonFrame", sky.MoonFrame, 1, 5),
                               out("MoonPhase", sky.MoonPhase, 1, 7)})
    if (!f.empty()) return f;
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned long long frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000ULL;
  if (frames < 1000) {
    std::fprintf(stderr, "usage: glimmer_soak [FRAMES], at least 1000\n");
    return 2;
  }
  HeadlessOptions options;
  options.frames = 0;  // the loop below decides when to stop
  options.at = LocalDateTime{2026, 12, 20, 10, 0, 0, 0};
  HeadlessPlatform platform(options);
  MainWindow form(platform, SceneCatalogue::Embedded(), {});
  platform.Show(form);
  platform.Choose("pmiQuickly");
  if (!form.SnowEnabled() || form.StepDelayMs() != 1) {
    std::fprintf(stderr, "soak: the run did not start at \"Quickly\" with snow on\n");
    return 1;
  }

  long rssAfterWarmUp = 0;
  int phasesSeen = 0, lastPhase = form.Sky().MoonPhase;
  while (platform.FramesRendered() < frames) {
    if (!platform.Step()) {
      std::fprintf(stderr, "soak: the window stopped after %llu frames\n",
                   static_cast<unsigned long long>(platform.FramesRendered()));
      return 1;
    }
    const std::string fault = Fault(form);
    if (!fault.empty()) {
      std::fprintf(stderr, "soak: after %llu frames %s\n", static_cast<unsigned long long>(platform.FramesRendered()),
                   fault.c_str());
      return 1;
    }
    if (form.Sky().MoonPhase != lastPhase) ++phasesSeen, lastPhase = form.Sky().MoonPhase;
    if (rssAfterWarmUp == 0 && platform.FramesRendered() == frames / 10) rssAfterWarmUp = ResidentKiB();
  }
  const long rssAtEnd = ResidentKiB();
  if (!platform.Messages().empty()) {
    std::fprintf(stderr, "soak: a message was shown: %s\n", platform.Messages().front().second.c_str());
    return 1;
  }
  std::printf("soak: %llu frames, %.1f hours of virtual time, %d moon phase changes, resident memory %ld KiB "
              "after warm-up and %ld KiB at the end\n",
              frames, platform.Now() / 3.6e6, phasesSeen, rssAfterWarmUp, rssAtEnd);
  // A leak of even a few bytes a frame would show as megabytes here.
  if (kResidentMemoryMeansLeaks && rssAfterWarmUp > 0 && rssAtEnd > rssAfterWarmUp + 1024) {
    std::fprintf(stderr, "soak: resident memory grew by %ld KiB\n", rssAtEnd - rssAfterWarmUp);
    return 1;
  }
  return 0;
}
