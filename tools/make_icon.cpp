// Draws Glimmerdome's icon from the globe's pictures: the still layers of a
// frame (the globe, the sky at its start position, the stars, the landscape,
// the cabin and the glass front), cut to the window's outline as on the
// desktop and centred on a transparent 256 x 256 square. The globe fits
// without scaling, so every pixel of the icon is a pixel of the globe.
//
// Usage: glimmer_icon OUTPUT.png
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "app/base_layer.h"
#include "app/window_shape.h"
#include "images/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/png_writer.h"
#include "scene/blend.h"

namespace {

constexpr int kIconSize = 256;

}  // namespace

int main(int argc, char** argv) {
  using namespace gd;
  if (argc != 2) {
    std::fprintf(stderr, "usage: glimmer_icon OUTPUT.png\n");
    return 2;
  }
  try {
    const SceneCatalogue& catalogue = SceneCatalogue::Embedded();
    const SceneImage* tree = catalogue.FindSceneImage("imgTree");
    const SceneImage* mask = catalogue.FindSceneImage("imgMask");
    if (!tree || !tree->png || !mask || !mask->bitmap) {
      std::fprintf(stderr, "glimmer_icon: the globe pictures are missing\n");
      return 1;
    }
    // The base layer, then the layers that do not move, in the frame's order.
    FrameBuffer frame = tree->png->ToBitmap();
    CopyPngAlpha(frame, *tree->png);
    Premultiply(frame);
    struct Layer {
      const char* name;
      int x, y;
    };
    for (const Layer& layer : {Layer{"imgDay", 45, -340}, Layer{"imgStars", 0, 0}, Layer{"imgLandscape", 0, 0},
                               Layer{"imgHome", 0, 0}, Layer{"img3", 0, 0}})
      if (const SceneImage* image = catalogue.FindSceneImage(layer.name)) BlendImage(frame, *image, layer.x, layer.y);
    const RgbaImage picture = FrameToRgba(frame, 255);
    const Region region = RegionFromMask(*mask->bitmap);
    // The outline's bounding box.
    int left = picture.width, top = picture.height, right = -1, bottom = -1;
    for (const Rect& r : region.Rectangles()) {
      left = std::min(left, r.left);
      top = std::min(top, r.top);
      right = std::max(right, r.right - 1);
      bottom = std::max(bottom, r.bottom - 1);
    }
    const int w = right - left + 1, h = bottom - top + 1;
    if (right < 0 || w > kIconSize || h > kIconSize) {
      std::fprintf(stderr, "glimmer_icon: the globe's outline (%d x %d) does not fit the icon\n", w, h);
      return 1;
    }
    RgbaImage icon;
    icon.width = icon.height = kIconSize;
    icon.pixels.assign(static_cast<size_t>(kIconSize) * kIconSize * 4, 0);
    const int dx = (kIconSize - w) / 2 - left, dy = (kIconSize - h) / 2 - top;
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        if (!region.Contains(x, y)) continue;
        const uint8_t* s = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
        std::copy(s, s + 4, &icon.pixels[(static_cast<size_t>(y + dy) * kIconSize + (x + dx)) * 4]);
      }
    }
    std::string error;
    if (!WritePng(argv[1], icon, &error)) {
      std::fprintf(stderr, "glimmer_icon: %s\n", error.c_str());
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "glimmer_icon: %s\n", e.what());
    return 1;
  }
}
