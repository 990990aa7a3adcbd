// The scene's pictures at a display scale: the set drawn at that scale where
// there is one (1, 2, 3), otherwise every picture of the next larger drawn
// set reduced by area averaging, once. The mask comes as a bitmap at the same
// scale, so the window's region is cut from it as at scale 1.
#pragma once

#include "images/catalogue.h"

namespace gd {

// `quarters` as in base/scale.h (4 to 12). Decodes the embedded pictures.
SceneCatalogue CatalogueAtScale(int quarters);

}  // namespace gd
