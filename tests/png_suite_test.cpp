// The codec against libpng on the PngSuite conformance images: every valid
// file must decode to exactly libpng's RGBA, every corrupt (x*) file must be
// refused with one of the codec's own errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "images/png_rgba.h"
#include "png_test_support.h"

namespace gd::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SuiteFiles() {
  std::vector<fs::path> files;
  const fs::path dir = GLIMMERDOME_PNGSUITE_DIR;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return files;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (entry.path().extension() == ".png") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool IsCorrupt(const fs::path& p) { return p.filename().string()[0] == 'x'; }

TEST(PngSuite, ValidFilesDecodeExactlyAsLibpngDoes) {
  const auto files = SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "PngSuite not found at " << GLIMMERDOME_PNGSUITE_DIR;
  int compared = 0;
  for (const auto& path : files) {
    if (IsCorrupt(path)) continue;
    SCOPED_TRACE(path.filename().string());
    const Bytes file = ReadFileBytes(path.string());
    const LibpngImage reference = DecodeWithLibpng(file);
    ASSERT_TRUE(reference.ok) << reference.error;
    RgbaImage ours;
    ASSERT_NO_THROW(ours = ExpandToRgba(Decode(file)));
    ASSERT_EQ(ours.width, reference.width);
    ASSERT_EQ(ours.height, reference.height);
    const auto mismatch = std::mismatch(ours.pixels.begin(), ours.pixels.end(), reference.rgba.begin());
    if (mismatch.first != ours.pixels.end()) {
      const size_t at = static_cast<size_t>(mismatch.first - ours.pixels.begin());
      ADD_FAILURE() << "first difference at pixel " << at / 4 << " channel " << at % 4 << ": "
                    << int{*mismatch.first} << " instead of " << int{*mismatch.second};
    }
    ++compared;
  }
  EXPECT_GE(compared, 150);
}

TEST(PngSuite, CorruptFilesAreRefusedWithTheCodecsErrors) {
  const auto files = SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "PngSuite not found at " << GLIMMERDOME_PNGSUITE_DIR;
  int refused = 0;
  for (const auto& path : files) {
    if (!IsCorrupt(path)) continue;
    SCOPED_TRACE(path.filename().string());
    const Bytes file = ReadFileBytes(path.string());
    EXPECT_FALSE(DecodeWithLibpng(file).ok);  // the reference agrees that it is corrupt
    EXPECT_THROW(Decode(file), PngException);
    ++refused;
  }
  EXPECT_GE(refused, 14);
}

}  // namespace
}  // namespace gd::test
