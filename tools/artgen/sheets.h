// Review pictures that are not part of the program: the contact sheet of
// every picture, and whole scenes stacked the way the window stacks them.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "image.h"

namespace artgen {

struct Catalogue {
  std::vector<std::pair<std::string, Image>> pictures;
  Image mask;
  const Image& Find(const std::string& name) const;
};

// One moment of the sky cycle, with the positions the cycle gives its
// bodies at that moment.
struct ScenePreview {
  std::string file;
  int sky_offset;
  bool sun_visible, sun_setting;
  int sun_frame, sun_x, sun_y;
  bool moon_visible;
  int moon_phase, moon_frame, moon_x, moon_y;
  int day_count;
  int flakes[3];  // flakes shown in snow layers 1, 2, 3
};

std::vector<ScenePreview> PreviewScenes();
// The scene at scale k from the pictures drawn at that scale: every place
// multiplied by k.
Image ComposeScene(const Catalogue& c, const ScenePreview& s, int k);
Image ContactSheet(const Catalogue& c);

}  // namespace artgen
