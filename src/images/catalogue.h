// The scene image catalogue: every named picture of the globe, decoded once
// when the main window is created and read-only afterwards.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "images/alpha_runs.h"
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
  std::unique_ptr<PngImage> png;  // the scene's pictures
  std::unique_ptr<BmpImage> bitmap;   // the mask
  // Blend-ready copy of a PNG picture: blue, green, red, alpha per pixel,
  // rows from the top, colours not premultiplied.
  std::vector<uint8_t> bgra;
  // Where the picture is transparent, opaque or partly covering; built from
  // `bgra` when the picture joins a catalogue (or by IndexAlpha).
  AlphaRuns runs;
  // Pictures of at most kPaddedSide by kPaddedSide pixels (the snowflakes)
  // also as rows of paddedWidth pixels, a multiple of four, the pixels added
  // on the right transparent: a row can then be blended four pixels at a
  // time without reading past the picture. Empty for larger pictures.
  static constexpr int kPaddedSide = 8;
  std::vector<uint8_t> padded;
  int paddedWidth = 0;

  void IndexAlpha() {
    const bool whole = width > 0 && height > 0 && bgra.size() == static_cast<size_t>(width) * height * 4;
    runs.Build(bgra.data(), whole ? width : 0, whole ? height : 0);
    padded.clear();
    paddedWidth = 0;
    if (whole && width <= kPaddedSide && height <= kPaddedSide) {
      paddedWidth = (width + 3) / 4 * 4;
      padded.assign(static_cast<size_t>(paddedWidth) * height * 4, 0);
      for (int y = 0; y < height; ++y)
        std::copy_n(bgra.begin() + static_cast<ptrdiff_t>(y) * width * 4, width * 4,
                    padded.begin() + static_cast<ptrdiff_t>(y) * paddedWidth * 4);
    }
  }
  // True when `bgra` and `runs` describe a picture with pixels.
  bool Drawable() const {
    return width > 0 && height > 0 && bgra.size() == static_cast<size_t>(width) * height * 4 &&
           runs.BuiltFor(height);
  }
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

  // Adds a decoded entry (for tests that build their own catalogue) and
  // indexes its alpha for drawing.
  void Add(std::unique_ptr<SceneImage> image);
  // Hands entry i over to the caller, to build another catalogue from this
  // one; what is left of this catalogue is only fit to be destroyed.
  std::unique_ptr<SceneImage> Take(size_t i) { return std::move(entries_[i]); }

 private:
  static std::string Key(std::string_view name);
  // Lets the index be searched with a string_view, so that a lookup of a
  // short name needs no allocation.
  struct KeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  std::vector<std::unique_ptr<SceneImage>> entries_;
  std::unordered_map<std::string, size_t, KeyHash, std::equal_to<>> index_;
};

// The entry for `name`; throws std::runtime_error naming the picture when the
// catalogue lacks it, so that nothing is drawn from a missing picture.
const SceneImage& RequireSceneImage(const SceneCatalogue& catalogue, std::string_view name);

// The stored pictures compiled into the program (generated at build time),
// and the same pictures drawn at twice and three times the size, for screens
// with more pixels (their mask is a PNG picture with the mask's colours).
extern const EmbeddedPicture kEmbeddedPictures[];
extern const size_t kEmbeddedPictureCount;
extern const EmbeddedPicture kEmbeddedPictures2x[];
extern const size_t kEmbeddedPictureCount2x;
extern const EmbeddedPicture kEmbeddedPictures3x[];
extern const size_t kEmbeddedPictureCount3x;

}  // namespace gd
