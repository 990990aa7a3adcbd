// The plaque's word in the translations: read from the message catalogues
// the program itself is built with (po/LANGUAGE.po), so that the pictures
// always say what the translators wrote. Only the entry for "day" / "days"
// is read; the gettext tools check the files as a whole.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "art.h"

namespace artgen {
namespace {

// The text of one quoted .po string ("..." with backslash escapes).
std::string Unquote(const std::string& line) {
  const size_t open = line.find('"'), close = line.rfind('"');
  if (open == std::string::npos || close <= open) throw std::runtime_error("not a quoted string: " + line);
  std::string out;
  for (size_t i = open + 1; i < close; ++i) {
    if (line[i] == '\\' && i + 1 < close) {
      const char c = line[++i];
      out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      out += line[i];
    }
  }
  return out;
}

}  // namespace

std::vector<PlaqueWords> ReadPlaqueWords(const std::string& po_dir) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(po_dir))
    if (entry.path().extension() == ".po") files.push_back(entry.path());
  std::sort(files.begin(), files.end());

  std::vector<PlaqueWords> all;
  for (const auto& path : files) {
    std::ifstream in(path);
    PlaqueWords words{path.stem().string(), {}};
    std::string line, msgid;
    bool in_entry = false;
    while (std::getline(in, line)) {
      if (line.rfind("msgid ", 0) == 0) {
        msgid = Unquote(line);
        in_entry = false;
      } else if (line.rfind("msgid_plural ", 0) == 0) {
        in_entry = msgid == "day" && Unquote(line) == "days";
      } else if (in_entry && line.rfind("msgstr[", 0) == 0) {
        words.forms.push_back(Unquote(line));
      }
    }
    if (words.forms.empty() || std::any_of(words.forms.begin(), words.forms.end(), [](auto& w) { return w.empty(); }))
      throw std::runtime_error(path.string() + ": no translation of \"day\" in every plural form");
    all.push_back(std::move(words));
  }
  return all;
}

}  // namespace artgen
