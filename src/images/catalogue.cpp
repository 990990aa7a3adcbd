#include "images/catalogue.h"

#include <stdexcept>

#include "images/byte_reader.h"
#include "images/stored_picture.h"

namespace gd {

std::string SceneCatalogue::Key(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

void SceneCatalogue::Add(std::unique_ptr<SceneImage> image) {
  // Names are unique regardless of case; the first entry of a name wins.
  image->IndexAlpha();
  index_.emplace(Key(image->name), entries_.size());
  entries_.push_back(std::move(image));
}

const SceneImage* SceneCatalogue::FindSceneImage(std::string_view name) const {
  if (name.empty()) return nullptr;
  // Every name the scene builds is short: upper-case it on the stack, so that
  // the lookups of every frame allocate nothing.
  char buffer[32];
  std::string longKey;
  std::string_view key;
  if (name.size() <= sizeof buffer) {
    for (size_t i = 0; i < name.size(); ++i)
      buffer[i] = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
    key = std::string_view(buffer, name.size());
  } else {
    longKey = Key(name);
    key = longKey;
  }
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : entries_[it->second].get();
}

SceneCatalogue SceneCatalogue::FromStored(const EmbeddedPicture* pictures, size_t count) {
  SceneCatalogue catalogue;
  for (size_t i = 0; i < count; ++i) {
    auto image = std::make_unique<SceneImage>();
    image->name = pictures[i].name;
    ByteReader reader(pictures[i].data, pictures[i].size);
    StoredPicture stored = ReadStoredPicture(reader);
    if (stored.png) {
      PngImage& png = *stored.png;
      image->width = static_cast<int>(png.Width());
      image->height = static_cast<int>(png.Height());
      // The blend reads colour and alpha side by side, rows from the top.
      FrameBuffer bgr = png.ToBitmap();
      image->bgra = std::move(bgr.pixels);
      for (int y = 0; y < image->height; ++y) {
        const uint8_t* alpha = png.AlphaRow(static_cast<uint32_t>(y));
        uint8_t* row = image->bgra.data() + static_cast<size_t>(y) * image->width * 4;
        for (int x = 0; x < image->width; ++x) row[x * 4 + 3] = alpha ? alpha[x] : 255;
      }
      image->png = std::move(stored.png);
    } else if (stored.bitmap) {
      image->width = stored.bitmap->Width();
      image->height = stored.bitmap->Height();
      image->bitmap = std::move(stored.bitmap);
    }
    catalogue.Add(std::move(image));
  }
  return catalogue;
}

const SceneCatalogue& SceneCatalogue::Embedded() {
  static const SceneCatalogue catalogue = FromStored(kEmbeddedPictures, kEmbeddedPictureCount);
  return catalogue;
}

const SceneImage& RequireSceneImage(const SceneCatalogue& catalogue, std::string_view name) {
  const SceneImage* image = catalogue.FindSceneImage(name);
  if (!image) throw std::runtime_error("The picture \"" + std::string(name) + "\" is missing from the program.");
  return *image;
}

}  // namespace gd
