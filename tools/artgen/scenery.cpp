// The scenery inside the glass: the distant landscape and the cabin on its
// snowy mound.
#include "art.h"
#include "geometry.h"

namespace artgen {

Image DrawLandscape() { return Image(kSceneWidth, kSceneHeight); }
Image DrawHome() { return Image(kSceneWidth, kSceneHeight); }

}  // namespace artgen
