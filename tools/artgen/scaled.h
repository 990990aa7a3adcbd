// The larger pictures (scales 2 and 3) and the scale-1 pictures agree: a
// k x k block of a picture at scale k, reduced by area averaging, gives the
// scale-1 pixel exactly, byte for byte. The program reduces pictures the
// same way for the scales between the drawn sets.
//
// Reduction of a block of n = k x k pixels with straight 8-bit colour c and
// alpha a, averaging premultiplied colour:
//   Sa = sum of a                        A = floor(Sa / n + 1/2)
//   Sc = sum of a * c, per colour        C = floor(Sc / Sa + 1/2)
// and where the whole block is transparent (Sa = 0) C is the plain average
// of the colours, floor(sum of c / n + 1/2): the colour a transparent pixel
// carries (0 almost everywhere, the row's colour in the sky strip) survives.
#pragma once
#include "image.h"

namespace artgen {

// Reduces a picture at scale k to scale 1 by the rule above.
Image ReduceBlocks(const Image& big, int k);

// Adjusts a picture drawn at scale k so that it reduces exactly to
// `target`, the same picture drawn at scale 1. The drawing already comes
// close; each block is corrected on its own: alpha by scaling the block's
// alphas towards the target sum (so a transparent pixel stays transparent
// and an edge stays as steep as drawn), colour by shifting the block's
// colours by the same amount. Throws if the result does not reduce exactly.
Image MatchReduction(const Image& drawn, const Image& target, int k);

// A picture given only as scale-1 pixels (the snowflake tables, the star
// field) at scale k: a smooth (Catmull-Rom) interpolation of its
// premultiplied colour, not repeated pixels. Meant to go through
// MatchReduction afterwards.
Image SmoothEnlarge(const Image& small, int k);

}  // namespace artgen
