#include <gtest/gtest.h>

#include "cli/options.h"

namespace gd {
namespace {

bool Parse(std::vector<std::string> argv, CommandLine* cl, std::string* error) {
  return ParseCommandLine(argv, cl, error);
}

TEST(CommandLine, HeadlessOptions) {
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(Parse({"--headless", "--frames", "25", "--at", "2026-12-20T10:00", "--snapshot", "s.png", "--dump",
                     "d.raw", "--choose", "pmiQuickly", "--choose", "pmiExit", "--shake", "10", "add"},
                    &cl, &error))
      << error;
  EXPECT_TRUE(cl.headless);
  EXPECT_EQ(cl.headlessOptions.frames, 25u);
  ASSERT_TRUE(cl.headlessOptions.at.has_value());
  EXPECT_EQ(*cl.headlessOptions.at, (LocalDateTime{2026, 12, 20, 10, 0, 0, 0}));
  EXPECT_EQ(cl.headlessOptions.snapshotPath, "s.png");
  EXPECT_EQ(cl.headlessOptions.choose, (std::vector<std::string>{"pmiQuickly", "pmiExit"}));
  EXPECT_EQ(cl.headlessOptions.shakes, 10u);
  EXPECT_EQ(cl.args, (std::vector<std::string>{"add"}));
}

TEST(CommandLine, RejectsBadValuesWithAClearMessage) {
  CommandLine cl;
  std::string error;
  EXPECT_FALSE(Parse({"--headless", "--frames", "0"}, &cl, &error));
  EXPECT_NE(error.find("--frames"), std::string::npos);
  EXPECT_FALSE(Parse({"--headless", "--frames", "-3"}, &cl, &error));
  EXPECT_FALSE(Parse({"--headless", "--frames", "12x"}, &cl, &error));
  EXPECT_FALSE(Parse({"--headless", "--frames"}, &cl, &error));
  EXPECT_NE(error.find("needs a value"), std::string::npos);
  EXPECT_FALSE(Parse({"--headless", "--shake", "many"}, &cl, &error));
  EXPECT_NE(error.find("--shake"), std::string::npos);
  EXPECT_FALSE(Parse({"--bogus"}, &cl, &error));
  EXPECT_NE(error.find("--bogus"), std::string::npos);
  EXPECT_FALSE(Parse({"--headless", "--choose", "pmiNonsense"}, &cl, &error));
  EXPECT_NE(error.find("pmiNonsense"), std::string::npos);
  EXPECT_FALSE(Parse({"--headless", "--choose", "Options1"}, &cl, &error));  // a submenu
  EXPECT_TRUE(Parse({"--headless", "--choose", "pmiStartUp"}, &cl, &error));
  // Headless options without --headless are a mistake, not silently ignored.
  EXPECT_FALSE(Parse({"--frames", "3"}, &cl, &error));
}

TEST(CommandLine, MonitorsTakeSignedOffsetsAndTheFirstIsPrimary) {
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(Parse({"--headless", "--monitors", "1920x1080+0+0,1280x1024-1280+-200"}, &cl, &error)) << error;
  const std::vector<Monitor>& m = cl.headlessOptions.monitors;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_TRUE(m[0].primary);
  EXPECT_FALSE(m[1].primary);
  EXPECT_EQ(m[1].bounds, (Rect{-1280, -200, 0, 824}));
  EXPECT_EQ(m[1].workArea, m[1].bounds);
  for (const char* bad : {"", "1920x1080", "1920x1080+0+0,", "0x1080+0+0", "1920x1080+0+0+0", "axb+0+0"}) {
    EXPECT_FALSE(Parse({"--headless", "--monitors", bad}, &cl, &error)) << bad;
    EXPECT_NE(error.find("--monitors"), std::string::npos) << bad;
  }
}

TEST(CommandLine, LocalTimes) {
  LocalDateTime t;
  EXPECT_TRUE(ParseLocalDateTime("2028-02-29T23:59:59", &t));
  EXPECT_EQ(t, (LocalDateTime{2028, 2, 29, 23, 59, 59, 0}));
  EXPECT_FALSE(ParseLocalDateTime("2027-02-29T10:00", &t));  // not a leap year
  EXPECT_FALSE(ParseLocalDateTime("2026-13-01T10:00", &t));
  EXPECT_FALSE(ParseLocalDateTime("2026-12-20T24:00", &t));
  EXPECT_FALSE(ParseLocalDateTime("2026-12-20T10:00junk", &t));
  EXPECT_FALSE(ParseLocalDateTime("2026-12-20", &t));
  EXPECT_FALSE(ParseLocalDateTime("", &t));
  EXPECT_TRUE(ParseLocalDateTime("9999-12-31T23:59", &t));
}

}  // namespace
}  // namespace gd
