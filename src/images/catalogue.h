// The scene image catalogue: every named picture of the globe, decoded once
// when the main window is created and read-only afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "images/bmp.h"
#include "images/png.h"

namespace gd {

// One picture as it is stored in the program: a length-prefixed class name
// followed by the class's own data.
struct EmbeddedPicture {
  const char* name;
  const uint8_t* data;
  size_t size;
};

struct SceneImage {
  std::string name;
  int width = 0;
  int height = 0;
  std::unique_ptr<TPngPicture> png;  // the scene's pictures
  std::unique_ptr<TBitmap> bitmap;   // the mask
  // Blend-ready copy of a PNG picture: blue, green, red, alpha per pixel,
  // rows from the top, colours not premultiplied.
  std::vector<uint8_t> bgra;
};

class SceneCatalogue {
 public:
  SceneCatalogue() = default;
  SceneCatalogue(SceneCatalogue&&) = default;
  SceneCatalogue& operator=(SceneCatalogue&&) = default;

  // Decodes every stored picture; a decoder error passes on to the caller.
  static SceneCatalogue FromStored(const EmbeddedPicture* pictures, size_t count);
  // The catalogue compiled into the program.
  static const SceneCatalogue& Embedded();

  // The entry whose name equals `name` when the letters a to z are compared
  // without case; nullptr for an empty or unknown name.
  const SceneImage* FindSceneImage(std::string_view name) const;

  size_t Size() const { return entries_.size(); }
  const SceneImage& At(size_t i) const { return *entries_[i]; }

  // Adds a decoded entry (for tests that build their own catalogue).
  void Add(std::unique_ptr<SceneImage> image);

 private:
  static std::string Key(std::string_view name);
  std::vector<std::unique_ptr<SceneImage>> entries_;
  std::unordered_map<std::string, size_t> index_;
};

// The stored pictures compiled into the program (generated at build time).
extern const EmbeddedPicture kEmbeddedPictures[];
extern const size_t kEmbeddedPictureCount;

}  // namespace gd
