#include "base/random.h"

#include <gtest/gtest.h>

namespace gd {

TEST(Random, KnownSequenceFromSeedZero) {
  Random r;
  EXPECT_EQ(r(196), 0u);
  EXPECT_EQ(r(147), 4u);
}

TEST(Random, StaysBelowBound) {
  Random r;
  r.SetSeed(0xDEADBEEF);
  for (int i = 0; i < 10000; ++i) EXPECT_LT(r(7), 7u);
  EXPECT_EQ(r(0), 0u);
}

}  // namespace gd
