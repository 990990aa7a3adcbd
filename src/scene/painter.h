// What the scene's layers draw through: one picture at an integer position of
// the frame being composed. The main window draws into its frame and notes
// every draw in the trace; tests record the draws instead.
#pragma once

#include "images/catalogue.h"

namespace gd {

class ScenePainter {
 public:
  virtual void Draw(const SceneImage& image, int x, int y) = 0;

 protected:
  ~ScenePainter() = default;
};

}  // namespace gd
