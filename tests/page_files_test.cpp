// The program's copy of its own page: written where no page is installed,
// brought up to date file by file, and never written over an installed one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/shared/page_files.h"

namespace gd {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(PageFiles, TheCopyIsWrittenWhereNoPageIsInstalledAndKeptUpToDate) {
  const int seed = ::testing::UnitTest::GetInstance()->random_seed();
  const fs::path root = fs::temp_directory_path() / ("glimmer-page-test-" + std::to_string(seed));
  fs::remove_all(root);
  const uint8_t html[] = {'<', 'p', '>'}, css[] = {'p', '{', '}'};
  const PageFile files[] = {{"index.html", html, sizeof html}, {"page.css", css, sizeof css}};
  const std::string program = (root / "bin" / "glimmerdome").string();
  const std::string cache = (root / "cache" / "glimmerdome" / "page").string();
  std::string problem;

  // None installed: the copy, with the folders it needs.
  EXPECT_EQ(FindOrWritePage(program, cache, files, &problem), cache) << problem;
  EXPECT_EQ(Read(fs::path(cache) / "index.html"), "<p>");
  EXPECT_EQ(Read(fs::path(cache) / "page.css"), "p{}");
  // A file changed since (an older program's copy) is written again.
  std::ofstream(fs::path(cache) / "page.css") << "old";
  EXPECT_EQ(FindOrWritePage(program, cache, files, &problem), cache);
  EXPECT_EQ(Read(fs::path(cache) / "page.css"), "p{}");
  EXPECT_FALSE(fs::exists(fs::path(cache) / "page.css.part"));

  // An installed page is opened as it is.
  const std::string installed = InstalledPageFolder(program);
  fs::create_directories(installed);
  std::ofstream(fs::path(installed) / "index.html") << "installed";
  EXPECT_EQ(FindOrWritePage(program, (root / "other").string(), files, &problem), installed);
  EXPECT_FALSE(fs::exists(root / "other"));
  EXPECT_EQ(Read(fs::path(installed) / "index.html"), "installed");

  // A cache that cannot be made says why.
  fs::remove_all(installed);
  std::ofstream(root / "file") << "x";
  EXPECT_EQ(FindOrWritePage(program, (root / "file" / "page").string(), files, &problem), "");
  EXPECT_NE(problem.find("file"), std::string::npos) << problem;
  fs::remove_all(root);
}

}  // namespace
}  // namespace gd
