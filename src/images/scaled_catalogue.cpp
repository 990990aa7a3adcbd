#include "images/scaled_catalogue.h"

#include <stdexcept>
#include <utility>

#include "base/scale.h"
#include "images/area_reduce.h"

namespace gd {
namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

SceneCatalogue DrawnSet(int scale) {
  switch (scale) {
    case 1: return SceneCatalogue::FromStored(kEmbeddedPictures, kEmbeddedPictureCount);
    case 2: return SceneCatalogue::FromStored(kEmbeddedPictures2x, kEmbeddedPictureCount2x);
    case 3: return SceneCatalogue::FromStored(kEmbeddedPictures3x, kEmbeddedPictureCount3x);
    default: throw std::invalid_argument("no pictures are drawn at that scale");
  }
}

// The larger sets store the mask as a picture with the mask's colours; the
// window's shape reads a bitmap.
void MaskToBitmap(SceneImage& mask) {
  if (mask.bitmap || mask.bgra.empty()) return;
  auto bitmap = std::make_unique<BmpImage>(mask.width, mask.height);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      const uint8_t* p = &mask.bgra[(static_cast<size_t>(y) * mask.width + x) * 4];  // blue, green, red
      bitmap->SetPixel(x, y, static_cast<uint32_t>(p[2]) | p[1] << 8 | p[0] << 16);
    }
  mask.bitmap = std::move(bitmap);
  mask.png.reset();
  mask.bgra.clear();
}

// A smaller mask: a pixel is inside when at least half its area is inside
// (not pure white) in the larger one.
std::unique_ptr<BmpImage> ReduceMask(const BmpImage& big, int p, int q) {
  Pixels4 inside;
  inside.bytes.resize(static_cast<size_t>(big.Width()) * big.Height() * 4, 0);
  for (int y = 0; y < big.Height(); ++y)
    for (int x = 0; x < big.Width(); ++x)
      if (big.Pixel(x, y) != kWhite) inside.bytes[(static_cast<size_t>(y) * big.Width() + x) * 4 + 3] = 255;
  const Pixels4 small = ReduceByArea(inside.bytes.data(), big.Width(), big.Height(), p, q);
  auto mask = std::make_unique<BmpImage>(small.width, small.height);
  for (int y = 0; y < small.height; ++y)
    for (int x = 0; x < small.width; ++x)
      mask->SetPixel(x, y, small.bytes[(static_cast<size_t>(y) * small.width + x) * 4 + 3] >= 128 ? kBlack : kWhite);
  return mask;
}

}  // namespace

SceneCatalogue CatalogueAtScale(int quarters) {
  quarters = ClampScaleQuarters(quarters);
  const int drawn = DrawnScaleFor(quarters);
  SceneCatalogue set = DrawnSet(drawn);
  if (drawn * 4 == quarters) {
    if (drawn > 1) {
      SceneCatalogue out;
      for (size_t i = 0; i < set.Size(); ++i) {
        auto image = set.Take(i);
        if (image->name == "imgMask") MaskToBitmap(*image);
        out.Add(std::move(image));
      }
      return out;
    }
    return set;
  }
  // Reduced by drawn / scale = (4 drawn) / quarters.
  const int p = drawn * 4, q = quarters;
  SceneCatalogue out;
  for (size_t i = 0; i < set.Size(); ++i) {
    auto big = set.Take(i);
    auto image = std::make_unique<SceneImage>();
    image->name = big->name;
    if (big->name == "imgMask") {
      MaskToBitmap(*big);
      image->bitmap = ReduceMask(*big->bitmap, p, q);
      image->width = image->bitmap->Width();
      image->height = image->bitmap->Height();
    } else {
      Pixels4 small = ReduceByArea(big->bgra.data(), big->width, big->height, p, q);
      image->width = small.width;
      image->height = small.height;
      image->bgra = std::move(small.bytes);
    }
    out.Add(std::move(image));
  }
  return out;
}

}  // namespace gd
