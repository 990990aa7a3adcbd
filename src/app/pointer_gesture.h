// What the mouse's buttons on the globe mean: a press of the left or middle
// button moves the window at once; the right button opens the popup menu
// when it comes up, unless the pointer went further than the system's drag
// threshold while it was down, which moves the window instead.
#pragma once

#include <optional>

#include "platform/platform.h"

namespace gd {

class PointerGesture {
 public:
  enum class Act { None, MoveWindow, OpenMenu };

  Act Pressed(MouseButton button, Point at) {
    if (button != MouseButton::Right) return Act::MoveWindow;
    rightDownAt_ = at;
    return Act::None;
  }
  // `threshold`: the system's drag threshold in device pixels.
  Act Moved(Point at, int threshold) {
    if (!rightDownAt_) return Act::None;
    const int dx = at.x - rightDownAt_->x, dy = at.y - rightDownAt_->y;
    if (dx <= threshold && -dx <= threshold && dy <= threshold && -dy <= threshold) return Act::None;
    rightDownAt_.reset();  // a drag, not a click: no menu
    return Act::MoveWindow;
  }
  Act Released(MouseButton button) {
    if (button != MouseButton::Right || !rightDownAt_) return Act::None;
    rightDownAt_.reset();
    return Act::OpenMenu;
  }

 private:
  // Where the right button went down, while it may still be a click.
  std::optional<Point> rightDownAt_;
};

}  // namespace gd
