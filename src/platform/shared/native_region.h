// A window region rebuilt with a system's own region calls, the way the core
// keeps it: the bounding rectangle, then every cut subtracted in order.
#pragma once

#include "base/region.h"

namespace gd {

// `makeRect(rect)` returns a new native region of one rectangle;
// `subtract(native, rect)` cuts a rectangle out of it.
template <typename Native, typename MakeRect, typename Subtract>
Native NativeRegionFrom(const Region& region, MakeRect makeRect, Subtract subtract) {
  Native shape = makeRect(region.Bounds());
  for (const Rect& cut : region.Cuts()) subtract(shape, cut);
  return shape;
}

}  // namespace gd
