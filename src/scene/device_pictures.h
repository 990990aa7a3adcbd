// The scene's pictures in device pixels. The scene (sky steps, flakes,
// countdown, every traced place) lives in the globe's 300 by 260 logical
// space and names its pictures from the logical catalogue; the frame is
// drawn at the display scale, each picture from the set at that scale
// (drawn, or reduced from a larger drawn set) at its logical place times the
// scale. At scale 1 every picture is its own device picture.
#pragma once

#include <memory>
#include <unordered_map>

#include "base/scale.h"
#include "images/catalogue.h"

namespace gd {

class DevicePictures {
 public:
  // Makes the pictures for `quarters` (base/scale.h) that stand for those of
  // `logical`; a picture the set lacks is an error that names it.
  void SetScale(const SceneCatalogue& logical, int quarters);
  int Quarters() const { return quarters_; }
  bool Scaled() const { return quarters_ != kScaleQuartersMin; }

  // The picture that stands for `image` (of the logical catalogue).
  const SceneImage& Of(const SceneImage& image) const {
    if (!Scaled()) return image;
    const auto it = of_.find(&image);
    return it == of_.end() ? image : *it->second;
  }
  // A logical coordinate or length in device pixels.
  int Place(int logical) const { return ToDevice(logical, quarters_); }

 private:
  int quarters_ = kScaleQuartersMin;
  std::unique_ptr<SceneCatalogue> set_;  // none at scale 1
  std::unordered_map<const SceneImage*, const SceneImage*> of_;
};

}  // namespace gd
