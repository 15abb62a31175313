// The two logo pictures and the icon's emblem, drawn from geometry as soft coverage masks.
#pragma once

#include <cstdint>
#include <vector>

#include "gray_image.h"

namespace assetgen {

// Signed distance helpers, in pixels; negative inside. Exposed for the icon and for tests.
double ringDistance(double x, double y, double radius, double halfWidth);
double discDistance(double x, double y, double radius);
double segmentDistance(double x, double y, double ax, double ay, double bx, double by,
                       double halfWidth);
// A regular star of `points` tips on `outer` radius with notches on `inner`, the first tip
// pointing up (negative y) after turning by `turn` radians.
double starDistance(double x, double y, int points, double outer, double inner, double turn);

// Coverage of a shape whose edge is `distance` away, blurred over about `soft` pixels.
double coverage(double distance, double soft);

// The radiant star: an eight-pointed star outline round a small solid star, a ring and a crown of
// fine rays. size x size, white = covered.
GrayImage drawFirstLogo(int size);

// A six-petalled rosette of circles inside concentric rings with a crown of beads.
GrayImage drawSecondLogo(int size);

}  // namespace assetgen
