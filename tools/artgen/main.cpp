// artgen: draws every picture of the globe's scene, at scale 1 and again
// at scales 2 and 3 for screens with more pixels.
//
//   artgen --art DIR [--docs DIR] [--po DIR]
//                                   write the pictures into DIR, DIR/2x and
//                                   DIR/3x (and the contact sheet and scene
//                                   previews into the docs folder; and the
//                                   plaque's word of every translation in the
//                                   po folder into the labels folder of each)
//   artgen --compare DIR_A DIR_B    compare the pixels of every .png and .bmp
//                                   file under DIR_A with the file of the
//                                   same path under DIR_B; exit status 1 on
//                                   any difference
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "art.h"
#include "scaled.h"
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

constexpr int kLargerScales[] = {2, 3};

// Every picture at scale k. Above scale 1 each picture is held to `base`,
// the scale-1 set, so that it reduces to it exactly (scaled.h).
Catalogue DrawAll(int k, const Catalogue* base) {
  Catalogue c;
  auto held = [&](const std::string& name, Image img) {
    try {
      return base ? MatchReduction(img, base->Find(name), k) : img;
    } catch (const std::exception& e) {
      throw std::runtime_error(name + " at scale " + std::to_string(k) + ": " + e.what());
    }
  };
  auto add = [&](const std::string& name, Image img) { c.pictures.emplace_back(name, held(name, std::move(img))); };
  Image tree = held("imgTree", DrawTree(k));
  c.pictures.emplace_back("imgTree", tree);
  c.mask = MaskFromCoverage(k == 1 ? OutlineCoverage(1) : MatchReduction(OutlineCoverage(k), OutlineCoverage(1), k));
  add("imgDay", DrawSkyStrip(k));
  add("imgStars", DrawStars(k));
  add("imgLandscape", DrawLandscape(k));
  add("imgHome", DrawHome(k));
  add("img3", DrawFront(tree, k));
  add("imgDDay", DrawLabel("day", 41, k));
  add("imgDays", DrawLabel("days", 53, k));
  for (int f = 1; f <= 5; ++f) add(SeriesName("sun", f), DrawSun(f, false, k));
  for (int f = 1; f <= 5; ++f) add(SeriesName("sundown", f), DrawSun(f, true, k));
  for (int p = 1; p <= 7; ++p)
    for (int f = 1; f <= 5; ++f) add(SeriesName("moon", p, f), DrawMoon(p, f, k));
  for (int n = 1; n <= 6; ++n) add(SeriesName("Snow", n), DrawSnow(n, k));
  for (int d = 0; d <= 9; ++d) add(SeriesName("d", d), DrawDigit(d, k));
  return c;
}

// The plaque's word in every translation, one picture per plural form:
// imgDays_<language>_<form>, the names the countdown builds. At the larger
// scales each word is drawn afresh and held to its scale-1 picture.
int DrawTranslatedLabels(const fs::path& po_dir, const fs::path& art_dir) {
  int count = 0;
  for (const PlaqueWords& words : ReadPlaqueWords(po_dir.string()))
    for (size_t form = 0; form < words.forms.size(); ++form, ++count) {
      const std::string file = "imgDays_" + words.language + "_" + std::to_string(form) + ".png";
      const Image small = DrawTranslatedLabel(words.forms[form], 1);
      fs::create_directories(art_dir / "labels");
      WritePng(small, (art_dir / "labels" / file).string());
      for (int k : kLargerScales) {
        const fs::path dir = art_dir / (std::to_string(k) + "x") / "labels";
        fs::create_directories(dir);
        WritePng(MatchReduction(DrawTranslatedLabel(words.forms[form], k), small, k), (dir / file).string());
      }
    }
  return count;
}

// The larger masks go out as PNG files with the same colours: as BMP files
// they would be most of the program's size.
void WriteSet(const Catalogue& c, const fs::path& dir, bool mask_as_png) {
  fs::create_directories(dir);
  for (const auto& [name, img] : c.pictures) WritePng(img, (dir / (name + ".png")).string());
  if (mask_as_png) WritePng(c.mask, (dir / "imgMask.png").string());
  else WriteBmp24(c.mask, (dir / "imgMask.bmp").string());
  std::printf("wrote %zu pictures and the mask to %s\n", c.pictures.size(), dir.string().c_str());
}

int Generate(const fs::path& art_dir, const fs::path& docs_dir, const fs::path& po_dir) {
  const Catalogue c = DrawAll(1, nullptr);
  WriteSet(c, art_dir, false);
  if (!po_dir.empty())
    std::printf("wrote %d translated labels at every scale under %s\n", DrawTranslatedLabels(po_dir, art_dir),
                art_dir.string().c_str());
  if (!docs_dir.empty()) {
    fs::create_directories(docs_dir);
    WritePng(ContactSheet(c), (docs_dir / "contact-sheet.png").string());
    for (const ScenePreview& s : PreviewScenes()) WritePng(ComposeScene(c, s, 1), (docs_dir / (s.file + ".png")).string());
    std::printf("wrote the contact sheet and the scene previews to %s\n", docs_dir.string().c_str());
  }
  for (int k : kLargerScales) {
    const Catalogue larger = DrawAll(k, &c);
    WriteSet(larger, art_dir / (std::to_string(k) + "x"), true);
    // One scene at the larger scale, to look at beside the scale-1 one.
    if (!docs_dir.empty() && k == 2)
      WritePng(ComposeScene(larger, PreviewScenes().front(), k), (docs_dir / (PreviewScenes().front().file + "-2x.png")).string());
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
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const std::string ext = entry.path().extension().string();
      if (ext == ".png" || ext == ".bmp") names[fs::relative(entry.path(), dir).generic_string()] = true;
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
