// Where things are in the globe. Every 300 x 260 picture is laid over the
// same frame, so the glass, the stand and the scenery share these numbers.
// Coordinates are continuous: pixel (i, j) covers [i, i+1) x [j, j+1), so the
// centre of pixel (i, j) is (i + 0.5, j + 0.5).
#pragma once

namespace artgen {

constexpr int kSceneWidth = 300;
constexpr int kSceneHeight = 260;

// The glass sphere. Its opaque pixels run from column 47 to 246 and from row
// 11 down. Its outline is a circle swelled by a fifth of a pixel on the
// diagonals (a superellipse of exponent kGlobeRoundness), so that the glass
// edge at the upper left, where the window probes its visibility at
// (75, 40), is clearly more than half covered while the edges at the top
// and the sides stay put.
constexpr double kGlobeCx = 147.0;
constexpr double kGlobeCy = 111.0;
constexpr double kGlobeR = 100.45;
constexpr double kGlobeRoundness = 2.01;
// The dark glass rim is the outer ring from this radius to the edge.
constexpr double kRimInnerR = 96.9;
// The light falls from the upper left; the glass's brightest spot.
constexpr double kLightX = 135.0;
constexpr double kLightY = 82.0;

// The wooden stand, symmetric about the globe's centre line. A collar holds
// the glass, a short groove under it, then the body flares down to a foot.
constexpr double kBaseTop = 176.0;
constexpr double kCollarBottom = 182.0;
constexpr double kGrooveBottom = 184.0;
constexpr double kFootTop = 218.0;
constexpr double kBaseBottom = 226.0;
constexpr double kCollarHalfWidth = 82.0;  // columns 65 to 228
constexpr double kGrooveHalfWidth = 80.6;
constexpr double kBodyTopHalfWidth = 81.0;
constexpr double kBodyFootHalfWidth = 92.4;
constexpr double kFootHalfWidth = 96.0;    // columns 51 to 242
constexpr double kCollarCornerR = 2.5;
constexpr double kFootTopCornerR = 1.6;
constexpr double kFootBottomCornerR = 3.0;

// The golden plaque on the front of the stand (pixels 86..208, 185..207).
constexpr double kPlaqueX0 = 86.0;
constexpr double kPlaqueX1 = 209.0;
constexpr double kPlaqueY0 = 185.0;
constexpr double kPlaqueY1 = 208.0;
constexpr double kPlaqueCornerR = 3.0;

// The soft shadow on the desk under the stand.
constexpr double kShadowCx = 148.0;
constexpr double kShadowCy = 229.0;
constexpr double kShadowRx = 139.0;
constexpr double kShadowRy = 23.5;
constexpr double kShadowMaxAlpha = 0.42;

// Half the width of the stand at height y (0 outside the stand's rows).
double BaseHalfWidth(double y);
bool InsideSphere(double x, double y);
bool InsideBase(double x, double y);

}  // namespace artgen
