#include "platform/shared/page_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace gd {
namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 in the seam; on Windows the file system's are wide.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool SameBytes(const fs::path& path, const PageFile& file) {
  std::error_code error;
  if (fs::file_size(path, error) != file.size || error) return false;
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return bytes.size() == file.size && std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const char*>(file.data));
}

}  // namespace

std::string InstalledPageFolder(const std::string& executablePath) {
  const fs::path bin = PathOf(executablePath).parent_path();
#ifdef _WIN32
  return Utf8Of(bin / "page");
#else
  return Utf8Of(bin.parent_path() / "share" / "glimmerdome" / "page");
#endif
}

bool HoldsPage(const std::string& folder) {
  std::error_code error;
  return !folder.empty() && fs::is_regular_file(PathOf(folder) / "index.html", error);
}

bool WritePageCopy(const std::string& folder, std::span<const PageFile> files, std::string* problem) {
  const fs::path dir = PathOf(folder);
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) {
    *problem = folder + ": " + error.message();
    return false;
  }
  for (const PageFile& file : files) {
    const fs::path path = dir / file.name;
    if (SameBytes(path, file)) continue;
    // Written beside and then put in place, so that a page is never half there.
    const fs::path part = dir / (std::string(file.name) + ".part");
    {
      std::ofstream out(part, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(file.data), static_cast<std::streamsize>(file.size));
      out.close();
      if (!out) {
        fs::remove(part, error);
        *problem = Utf8Of(path) + ": the file could not be written";
        return false;
      }
    }
    fs::rename(part, path, error);
    if (error) {
      *problem = Utf8Of(path) + ": " + error.message();
      fs::remove(part, error);
      return false;
    }
  }
  return true;
}

std::string FindOrWritePage(const std::string& executablePath, const std::string& cacheFolder,
                            std::span<const PageFile> files, std::string* problem) {
  if (const std::string installed = InstalledPageFolder(executablePath); HoldsPage(installed)) return installed;
  if (cacheFolder.empty()) {
    *problem = "no folder for the page was found";
    return {};
  }
  return WritePageCopy(cacheFolder, files, problem) ? cacheFolder : std::string();
}

}  // namespace gd
