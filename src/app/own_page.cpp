#include "app/own_page.h"

#include "app/main_window.h"

namespace gd {

std::string PageFileName(std::string_view language) {
  return language.empty() ? "index.html" : "index." + std::string(language) + ".html";
}

std::string PathInFolder(std::string_view folder, std::string_view file) {
  const bool windows = folder.find('\\') != std::string_view::npos || (folder.size() >= 2 && folder[1] == ':');
  std::string path(folder);
  const char separator = windows ? '\\' : '/';
  if (path.empty() || (path.back() != separator && path.back() != '/')) path += separator;
  return path += file;
}

std::string FileUrlOfPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const bool drive = path.size() >= 2 && path[1] == ':';
  std::string url = drive ? "file:///" : "file://";
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved || c == '/' || (drive && i == 1)) {
      url += static_cast<char>(c);
    } else if (c == '\\') {
      url += '/';
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

// The page in the language of the menu; a page that cannot be opened is
// told where it is instead, so that the user can open it by hand.
void MainWindow::OpenOwnPage() {
  std::string problem;
  const std::string folder = platform_.PageFolder(&problem);
  if (folder.empty()) {
    platform_.ShowMessage(TrFormat(kPageMissingMessage, {problem}), MessageKind::Error);
    return;
  }
  pagePath_ = PathInFolder(folder, PageFileName(CurrentLanguage()));
  pageUrl_ = FileUrlOfPath(pagePath_);
  // The address holds no character that JSON would escape.
  if (TraceSink* trace = platform_.Tracer()) trace->Write("open", "\"url\": \"" + pageUrl_ + "\"");
  if (!platform_.OpenUrl(pageUrl_)) UrlNotOpened(pageUrl_);
}

void MainWindow::UrlNotOpened(std::string_view url) {
  const std::string where = url == pageUrl_ ? pagePath_ : std::string(url);
  platform_.ShowMessage(TrFormat(kPageNotOpenedMessage, {where}), MessageKind::Info);
}

}  // namespace gd
