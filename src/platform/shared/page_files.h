// The globe's own page as files: the copy the program carries (made from the
// project's own files when it is built), where an installed page is, and
// writing the program's copy where none is installed (a portable .exe alone,
// a build tree). Used by the desktop backends' PageFolder and the command
// line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace gd {

struct PageFile {
  const char* name;  // a plain file name: the page has no subfolders
  const uint8_t* data;
  size_t size;
};

// The page the program carries. Defined in the program's own generated source
// (cmake/embed_page.cmake), so only the program and the tests that show the
// page link it.
std::span<const PageFile> EmbeddedPage();

// The installed page's folder for the program at `executablePath`, whether
// or not it is there: on Windows the folder `page` beside the .exe, elsewhere
// share/glimmerdome/page beside the program's bin folder
// (/usr/bin/glimmerdome: /usr/share/glimmerdome/page).
std::string InstalledPageFolder(const std::string& executablePath);

// Whether `folder` holds a page (its index.html).
bool HoldsPage(const std::string& folder);

// Writes `files` into `folder`, made with its parents where missing; a file
// already there with the same bytes is left as it is. False, with `problem`
// naming the file and the system's reason, when one cannot be written.
bool WritePageCopy(const std::string& folder, std::span<const PageFile> files, std::string* problem);

// The page's folder for a desktop backend: the installed one where it holds
// the page, else `cacheFolder` once the program's copy is written there;
// empty, with `problem` set, when neither works.
std::string FindOrWritePage(const std::string& executablePath, const std::string& cacheFolder,
                            std::span<const PageFile> files, std::string* problem);

}  // namespace gd
