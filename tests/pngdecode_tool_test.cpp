// The pngdecode tool, run as an art author runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "png_test_support.h"

namespace gd::test {
namespace {

namespace fs = std::filesystem;

class PngDecodeTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pngdecode_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::string ReadText(const std::string& name) const {
    const Bytes b = ReadFileBytes(Path(name));
    return std::string(b.begin(), b.end());
  }

  // Runs the tool with the given arguments (each quoted for the shell),
  // standard error into "stderr.txt"; returns its exit status.
  int Run(std::initializer_list<std::string> args) const {
    std::string command = Quote(GLIMMERDOME_PNGDECODE);
    for (const std::string& a : args) command.append(" ").append(Quote(a));
    command.append(" >/dev/null 2>").append(Quote(Path("stderr.txt")));
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static std::string Quote(const std::string& s) {
    std::string q = "'";
    q.append(s).append("'");
    return q;
  }

  fs::path dir_;
};

TEST_F(PngDecodeTool, WritesRgbaPamIdenticalToLibpng) {
  SourceImage image = RandomImage(11, 7, 0, 16, 71);
  image.trns = {static_cast<uint8_t>(image.samples[0] >> 8), static_cast<uint8_t>(image.samples[0])};
  const Bytes png = EncodeWithLibpng(image, true, 0xF8);
  Write("in.png", png);
  ASSERT_EQ(Run({Path("in.png"), Path("out.pam")}), 0) << ReadText("stderr.txt");
  const std::string header = "P7\nWIDTH 11\nHEIGHT 7\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  const Bytes pam = ReadFileBytes(Path("out.pam"));
  ASSERT_EQ(pam.size(), header.size() + 11 * 7 * 4);
  EXPECT_EQ(std::string(pam.begin(), pam.begin() + static_cast<std::ptrdiff_t>(header.size())), header);
  const LibpngImage reference = DecodeWithLibpng(png);
  ASSERT_TRUE(reference.ok);
  EXPECT_EQ(Bytes(pam.begin() + static_cast<std::ptrdiff_t>(header.size()), pam.end()), reference.rgba);
  EXPECT_EQ(pam[header.size() + 3], 0);  // the first pixel has the transparent grey
}

TEST_F(PngDecodeTool, CorruptFileExitsTwoWithTheCodecsMessage) {
  Bytes png = SimplePng(RandomImage(2, 2, 6, 8, 72));
  png[20] ^= 0x01;  // inside the header chunk: its CRC no longer matches
  Write("bad.png", png);
  EXPECT_EQ(Run({Path("bad.png"), Path("out.pam")}), 2);
  EXPECT_EQ(ReadText("stderr.txt"),
            "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces "
            "of data (crc error)\n");
  EXPECT_FALSE(fs::exists(Path("out.pam")));
}

TEST_F(PngDecodeTool, UsageErrorsExitOne) {
  EXPECT_EQ(Run({}), 1);
  EXPECT_NE(ReadText("stderr.txt").find("usage: pngdecode IN.png OUT.pam"), std::string::npos);
  EXPECT_EQ(Run({"only-one-argument.png"}), 1);
  EXPECT_EQ(Run({Path("missing.png"), Path("out.pam")}), 1);
  EXPECT_NE(ReadText("stderr.txt").find("cannot read"), std::string::npos);
  Write("in.png", SimplePng(RandomImage(2, 2, 6, 8, 73)));
  EXPECT_EQ(Run({Path("in.png"), Path("no/such/dir/out.pam")}), 1);
}

}  // namespace
}  // namespace gd::test
