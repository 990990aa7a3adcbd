// The globe's own page, opened by the first menu item: an HTML page for each
// language, installed with the program or copied out of it by the backend
// (Platform::PageFolder). What to open is decided here; where the folder is,
// the backend knows.
#pragma once

#include <string>
#include <string_view>

#include "i18n/translation.h"

namespace gd {

// The messages of an own page that cannot be shown.
inline constexpr std::string_view kPageNotOpenedMessage =
    N_("Nothing could open the globe's page. Open it in a web browser: %s");
inline constexpr std::string_view kPageMissingMessage = N_("The globe's page could not be written: %s");

// The page of a language ("" for English): index.html, index.de.html, ...
std::string PageFileName(std::string_view language);

// `file` in `folder`, joined with the folder's own separator (a backslash
// for a Windows folder, a slash otherwise).
std::string PathInFolder(std::string_view folder, std::string_view file);

// The file: address of an absolute path ("/usr/share/x" or "C:\Users\x"),
// every byte but the unreserved ones, '/' and a drive's ':' percent-encoded.
std::string FileUrlOfPath(std::string_view path);

}  // namespace gd
