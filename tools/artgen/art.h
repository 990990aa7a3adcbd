// One function per picture of the scene. Each returns the finished 8-bit
// picture; sizes are fixed by the pictures' users (the compositor, the sky
// cycle, the snowfall, the countdown) and must not change. Each draws at a
// scale k of 1, 2 or 3: k x k pixels for every scene pixel, from the same
// geometry. The caller holds the larger pictures to the scale-1 ones
// (scaled.h).
#pragma once
#include <string>
#include <vector>

#include "canvas.h"
#include "image.h"

namespace artgen {

// The globe's outline, shared by the base picture, the mask and the front:
// coverage of the sphere, of the stand, and of both together.
struct GlobeShape {
  Mask sphere;
  Mask base;
  Mask outline;  // base over sphere
};
const GlobeShape& Globe(int k);

// Globe, mask and front (globe.cpp).
Image DrawTree(int k);                         // imgTree, 300 x 260
// The outline's coverage as alpha (colour 0), and the mask made from it:
// imgMask, 300 x 260, colour only.
Image OutlineCoverage(int k);
Image MaskFromCoverage(const Image& cover);
Image DrawFront(const Image& tree, int k);     // img3, 300 x 260, over the tree of the same scale

// Sky (sky.cpp).
Image DrawSkyStrip(int k);                     // imgDay, 201 x 1341
Image DrawStars(int k);                        // imgStars, 300 x 260
Image DrawSun(int frame, bool setting, int k); // sun1..5 / sundown1..5, 60 x 59
Image DrawMoon(int phase, int frame, int k);   // moon1_1..moon7_5, 95 x 95

// Small sprites and lettering (sprites.cpp, lettering.cpp).
Image DrawSnow(int n, int k);                  // Snow1..Snow6
Image DrawDigit(int digit, int k);             // d0..d9, 20 high
Image DrawLabel(const std::string& word, int width, int k);  // imgDDay, imgDays
// The word after the count in another language, in the lettering of "day",
// in a box as wide as the word needs but no wider than "days" (53) at scale 1.
Image DrawTranslatedLabel(const std::string& word, int k);  // imgDays_<language>_<form>
int TranslatedLabelWidth(const std::string& word);

// The plaque's word in each language the program is translated to: the
// plural forms of "day" in po/LANGUAGE.po (translations.cpp).
struct PlaqueWords {
  std::string language;            // the catalogue's code: "ru"
  std::vector<std::string> forms;  // msgstr[0], msgstr[1], ...
};
std::vector<PlaqueWords> ReadPlaqueWords(const std::string& po_dir);
// DejaVu Sans, loaded from its file, for captions on the review sheets.
cairo_font_face_t* CaptionFace();

// Scenery inside the glass (scenery.cpp).
Image DrawLandscape(int k);                    // imgLandscape, 300 x 260
Image DrawHome(int k);                         // imgHome, 300 x 260

// The sub-pixel position of a body's centre in a frame of its series, in
// pixel-index coordinates (the centre of pixel (i, j) is (i, j)).
struct Point {
  double x, y;
};
Point SunCentre(int frame, bool setting);
Point MoonCentre(int frame);

}  // namespace artgen
