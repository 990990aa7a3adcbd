// What the window was given lately, for the buffers it lends (see
// Platform::LendBuffer): the damage of the last few frames presented, and
// the changes of frames composed since that no buffer took. From them, what
// a buffer of some age lacks of the frame about to be presented, and that
// frame's damage.
#pragma once

#include <array>
#include "base/geometry.h"

namespace gd {

class PresentedFrames {
 public:
  // Buffers older than this are drawn whole (the backends keep three).
  static constexpr int kMostAge = 4;

  // Forgets everything: every buffer lacks the whole frame of `width` x
  // `height` (a new size, a present that failed).
  void Forget(int width, int height);
  // What a buffer of `age` lacks of the next frame's predecessor: the damage
  // of the frames presented since the one it holds, and the changes not yet
  // presented. Null when it lacks everything.
  const RowStretches* Lacks(int age);
  // The next frame's damage, from its changes since the frame composed before it.
  const RowStretches& Damage(const RowStretches& changed);
  // What a buffer of `age` must be written in to hold the next frame:
  // what it lacks and what the frame changed (the whole frame when it lacks
  // everything).
  const RowStretches& ToWrite(int age, const RowStretches& changed);
  // The frame whose damage Damage gave was presented (`shown`), or no
  // buffer took it (its changes wait for the next frame's damage).
  void Presented(bool shown);

 private:
  int width_ = 0, height_ = 0;
  bool known_ = false;  // the damage below is of frames of this size
  // The damage of the last frames presented: presented_ of them, the newest
  // at newest_.
  std::array<RowStretches, kMostAge> damage_;
  int newest_ = 0, presented_ = 0;
  RowStretches unshown_;  // changes since the last frame presented
  RowStretches next_;     // the next frame's damage (see Damage)
  RowStretches lacks_, write_;
};

}  // namespace gd
