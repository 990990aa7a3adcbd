// artgen: draws every picture of the globe's scene.
//
//   artgen --art DIR [--docs DIR] [--po DIR]
//                                   write the pictures into DIR (and the
//                                   contact sheet and scene previews into the
//                                   docs folder; and the plaque's word of every
//                                   translation in the po folder into DIR/labels)
//   artgen --compare DIR_A DIR_B    compare the pixels of every .png and .bmp
//                                   file of DIR_A with the file of the same
//                                   name in DIR_B, and of their labels
//                                   folders; exit status 1 on any difference
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "art.h"
#include "sheets.h"

namespace fs = std::filesystem;
using namespace artgen;

namespace {

// A series name: a stem and a number, or a stem, a phase, "_" and a frame.
// Built by appending (GCC 12 warns falsely about "literal" + temporary).
std::string SeriesName(const char* stem, int n, int frame = 0) {
  std::string name = stem;
  name += std::to_string(n);
  if (frame > 0) {
    name += '_';
    name += std::to_string(frame);
  }
  return name;
}

Catalogue DrawAll() {
  Catalogue c;
  auto add = [&](const std::string& name, Image img) { c.pictures.emplace_back(name, std::move(img)); };
  Image tree = DrawTree();
  add("imgTree", tree);
  c.mask = DrawMask();
  add("imgDay", DrawSkyStrip());
  add("imgStars", DrawStars());
  add("imgLandscape", DrawLandscape());
  add("imgHome", DrawHome());
  add("img3", DrawFront(tree));
  add("imgDDay", DrawLabel("day", 41));
  add("imgDays", DrawLabel("days", 53));
  for (int f = 1; f <= 5; ++f) add(SeriesName("sun", f), DrawSun(f, false));
  for (int f = 1; f <= 5; ++f) add(SeriesName("sundown", f), DrawSun(f, true));
  for (int p = 1; p <= 7; ++p)
    for (int f = 1; f <= 5; ++f) add(SeriesName("moon", p, f), DrawMoon(p, f));
  for (int n = 1; n <= 6; ++n) add(SeriesName("Snow", n), DrawSnow(n));
  for (int d = 0; d <= 9; ++d) add(SeriesName("d", d), DrawDigit(d));
  return c;
}

// The plaque's word in every translation, one picture per plural form:
// imgDays_<language>_<form>, the names the countdown builds.
int DrawTranslatedLabels(const fs::path& po_dir, const fs::path& labels_dir) {
  fs::create_directories(labels_dir);
  int count = 0;
  for (const PlaqueWords& words : ReadPlaqueWords(po_dir.string()))
    for (size_t form = 0; form < words.forms.size(); ++form, ++count) {
      const std::string name = "imgDays_" + words.language + "_" + std::to_string(form);
      WritePng(DrawTranslatedLabel(words.forms[form]), (labels_dir / (name + ".png")).string());
    }
  return count;
}

int Generate(const fs::path& art_dir, const fs::path& docs_dir, const fs::path& po_dir) {
  const Catalogue c = DrawAll();
  fs::create_directories(art_dir);
  for (const auto& [name, img] : c.pictures) WritePng(img, (art_dir / (name + ".png")).string());
  WriteBmp24(c.mask, (art_dir / "imgMask.bmp").string());
  std::printf("wrote %zu pictures and the mask to %s\n", c.pictures.size(), art_dir.string().c_str());
  if (!po_dir.empty())
    std::printf("wrote %d translated labels to %s\n", DrawTranslatedLabels(po_dir, art_dir / "labels"),
                (art_dir / "labels").string().c_str());
  if (!docs_dir.empty()) {
    fs::create_directories(docs_dir);
    WritePng(ContactSheet(c), (docs_dir / "contact-sheet.png").string());
    for (const ScenePreview& s : PreviewScenes()) WritePng(ComposeScene(c, s), (docs_dir / (s.file + ".png")).string());
    std::printf("wrote the contact sheet and the scene previews to %s\n", docs_dir.string().c_str());
  }
  return 0;
}

bool Load(const fs::path& path, Image& out, std::string& error) {
  if (path.extension() == ".bmp") return ReadBmp24(path.string(), out, error);
  return ReadPng(path.string(), out, error);
}

int Compare(const fs::path& a, const fs::path& b) {
  int differences = 0, compared = 0;
  std::map<std::string, bool> names;
  for (const fs::path& dir : {a, b})
    for (const fs::path& folder : {dir, dir / "labels"}) {
      if (!fs::is_directory(folder)) continue;
      for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".png" || ext == ".bmp") names[fs::relative(entry.path(), dir).generic_string()] = true;
      }
    }
  for (const auto& [name, unused] : names) {
    Image ia, ib;
    std::string error;
    if (!Load(a / name, ia, error) || !Load(b / name, ib, error)) {
      std::printf("%s: missing or unreadable (%s)\n", name.c_str(), error.c_str());
      ++differences;
      continue;
    }
    ++compared;
    if (ia.width != ib.width || ia.height != ib.height) {
      std::printf("%s: %dx%d against %dx%d\n", name.c_str(), ia.width, ia.height, ib.width, ib.height);
      ++differences;
    } else if (ia.rgba != ib.rgba) {
      size_t first = 0;
      while (ia.rgba[first] == ib.rgba[first]) ++first;
      const size_t px = first / 4;
      std::printf("%s: pixels differ, first at (%zu, %zu)\n", name.c_str(), px % ia.width, px / ia.width);
      ++differences;
    }
  }
  std::printf("%d files compared, %d differ\n", compared, differences);
  return differences == 0 ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr, "usage: artgen --art DIR [--docs DIR] [--po DIR]\n       artgen --compare DIR_A DIR_B\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::string(argv[1]) == "--compare") return Compare(argv[2], argv[3]);
    fs::path art, docs, po;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--art" && i + 1 < argc) art = argv[++i];
      else if (arg == "--docs" && i + 1 < argc) docs = argv[++i];
      else if (arg == "--po" && i + 1 < argc) po = argv[++i];
      else return Usage();
    }
    if (art.empty()) return Usage();
    return Generate(art, docs, po);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "artgen: %s\n", e.what());
    return 1;
  }
}
