#include "app/presented_frames.h"

namespace gd {

void PresentedFrames::Forget(int width, int height) {
  width_ = width;
  height_ = height;
  known_ = false;
  presented_ = 0;
  unshown_.assign(static_cast<size_t>(height > 0 ? height : 0), {0, 0});
}

const RowStretches* PresentedFrames::Lacks(int age) {
  if (!known_ || age < 1 || age - 1 > presented_) return nullptr;
  lacks_ = unshown_;
  for (int i = 0; i < age - 1; ++i) AddStretches(lacks_, damage_[(newest_ - i + kMostAge) % kMostAge]);
  return &lacks_;
}

const RowStretches& PresentedFrames::Damage(const RowStretches& changed) {
  if (!known_ || changed.size() != unshown_.size()) {
    next_ = WholeRows(width_, height_);
  } else {
    next_ = unshown_;
    AddStretches(next_, changed);
  }
  return next_;
}

const RowStretches& PresentedFrames::ToWrite(int age, const RowStretches& changed) {
  const RowStretches* lacks = Lacks(age);
  if (!lacks || changed.size() != lacks->size()) {
    write_ = WholeRows(width_, height_);
  } else {
    write_ = *lacks;
    AddStretches(write_, changed);
  }
  return write_;
}

void PresentedFrames::Presented(bool shown) {
  if (!shown) {
    if (known_) unshown_ = next_;
    return;
  }
  newest_ = (newest_ + 1) % kMostAge;
  damage_[newest_] = next_;
  if (presented_ < kMostAge) ++presented_;
  known_ = true;
  unshown_.assign(unshown_.size(), {0, 0});
}

}  // namespace gd
