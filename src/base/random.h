// The program-wide pseudo-random generator. One state, RandSeed, advanced by a
// linear congruential step; the same seed always gives the same sequence, so a
// run that is not started with "add" places its first snow flakes identically.
#pragma once
#include <cstdint>

namespace gd {

class Random {
 public:
  static constexpr uint32_t kMultiplier = 134775813;  // 0x08088405

  // An integer from 0 to n - 1 (0 when n is 0).
  uint32_t Next(uint32_t n) {
    seed_ = seed_ * kMultiplier + 1;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed_) * n) >> 32);
  }
  uint32_t operator()(uint32_t n) { return Next(n); }

  uint32_t Seed() const { return seed_; }
  void SetSeed(uint32_t seed) { seed_ = seed; }

 private:
  uint32_t seed_ = 0;  // RandSeed
};

}  // namespace gd
