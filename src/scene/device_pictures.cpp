#include "scene/device_pictures.h"

#include "images/scaled_catalogue.h"

namespace gd {

void DevicePictures::SetScale(const SceneCatalogue& logical, int quarters) {
  quarters = ClampScaleQuarters(quarters);
  if (quarters == quarters_ && (set_ || !Scaled())) return;
  of_.clear();
  set_.reset();
  quarters_ = quarters;
  if (!Scaled()) return;
  set_ = std::make_unique<SceneCatalogue>(CatalogueAtScale(quarters));
  for (size_t i = 0; i < logical.Size(); ++i) {
    const SceneImage& image = logical.At(i);
    of_[&image] = &RequireSceneImage(*set_, image.name);
  }
}

}  // namespace gd
