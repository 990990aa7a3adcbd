// The pictures the globe always draws at the frame's top-left corner (stars,
// landscape, house, glass rim and stand) never move, so what they hide never
// changes: where one of them is opaque, everything drawn before it at that
// pixel is overwritten. This works that out once per base layer:
//   - the frame to start from: the base layer with, wherever a fixed picture
//     is opaque, the colour of the last such picture already in place (the
//     alpha bytes stay the base layer's);
//   - for every fixed picture, only its partly covering pixels that no later
//     fixed picture hides, which is all that is left to blend of it;
//   - for each gap between two fixed pictures, the pixels where something
//     drawn in that gap can still show (no later fixed picture is opaque).
// Composing from these gives byte for byte the frame that blending every
// picture in full gives, since an opaque pixel's colour does not depend on
// what lay beneath it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/frame_buffer.h"
#include "base/geometry.h"
#include "images/catalogue.h"
#include "scene/blend.h"

namespace gd {

class FixedLayers {
 public:
  // `layers` back to front, each drawn at (0, 0) on a frame of `base`'s size;
  // pictures that cannot be drawn simply hide nothing and add nothing.
  void Build(const FrameBuffer& base, std::vector<const SceneImage*> layers);

  // The frame to compose on.
  const FrameBuffer& Start() const { return start_; }
  // Blends what is left of fixed picture `layer` (its index in Build's list)
  // within each row's stretch of `rows` (one entry per frame row).
  void Draw(FrameBuffer& frame, size_t layer, const RowStretches& rows) const;
  // Where a picture drawn before fixed picture `layer` (and after the one
  // before it) can change the frame; `layer` may be the count of fixed
  // pictures, for what is drawn after all of them.
  const VisibleSpans& Visible(size_t layer) const { return visible_[layer]; }
  // The smallest rectangle that holds every pixel Visible(layer) leaves open.
  const Rect& VisibleBounds(size_t layer) const { return visibleBounds_[layer]; }

 private:
  FrameBuffer start_;
  // What is left of one fixed picture: its pixels packed together, in
  // stretches of consecutive frame pixels.
  struct Leftover {
    struct Stretch {
      uint32_t at;     // first frame pixel, counted row by row
      int32_t length;  // pixels
      uint32_t from;   // its first pixel in bgra
    };
    std::vector<Stretch> stretches;
    std::vector<uint8_t> bgra;  // the stretches' pixels, one after the other
  };
  // Blends the leftover of `layer` in rows [top, bottom), each within the
  // stretch of columns columns(y) gives.
  template <class Columns>
  void DrawWithin(FrameBuffer& frame, size_t layer, int top, int bottom, Columns columns) const;

  std::vector<Leftover> left_;         // per fixed picture
  std::vector<VisibleSpans> visible_;  // per gap: one more than the fixed pictures
  std::vector<Rect> visibleBounds_;    // the same
};

}  // namespace gd
