// Procedural logo designs. Only the middle shows on screen (the logo quad overhangs the view and is
// stretched to 4:3), so the strong shapes sit within a third of the size from the centre and the
// outside fades to black; most of the picture stays black so text remains readable beneath it.
#include "emblems.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace assetgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Draws a design given in a 256-pixel frame centred on the origin at any size, averaging 4x4
// samples per pixel so thin rays do not shimmer.
GrayImage drawDesign(int size, const std::function<double(double, double)>& design) {
  GrayImage image(size, size);
  const double frame = 256.0 / size;
  constexpr int kSamples = 4;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double sum = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) * frame - 128.0;
          const double y = (py + (sy + 0.5) / kSamples) * frame - 128.0;
          sum += std::clamp(design(x, y), 0.0, 1.0);
        }
      }
      image.at(px, py) = static_cast<uint8_t>(std::lround(255.0 * sum / (kSamples * kSamples)));
    }
  }
  return image;
}

// 1 inside `inner`, 0 beyond `outer`, smooth between: keeps the texture's border black.
double radialFade(double r, double inner, double outer) {
  const double t = std::clamp((outer - r) / (outer - inner), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

}  // namespace

double ringDistance(double x, double y, double radius, double halfWidth) {
  return std::fabs(std::hypot(x, y) - radius) - halfWidth;
}

double discDistance(double x, double y, double radius) {
  return std::hypot(x, y) - radius;
}

double segmentDistance(double x, double y, double ax, double ay, double bx, double by,
                       double halfWidth) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(x - ax - t * dx, y - ay - t * dy) - halfWidth;
}

double starDistance(double x, double y, int points, double outer, double inner, double turn) {
  // Fold the plane into one wedge between a tip and the next notch: the star is symmetric there.
  const double wedge = kPi / points;
  double angle = std::atan2(x, -y) - turn;
  angle = std::fmod(angle, 2.0 * wedge);
  if (angle < 0) angle += 2.0 * wedge;
  if (angle > wedge) angle = 2.0 * wedge - angle;
  const double r = std::hypot(x, y);
  const double px = r * std::sin(angle);
  const double py = r * std::cos(angle);
  // Edge from the tip (0, outer) to the notch (inner sin w, inner cos w).
  const double ax = 0;
  const double ay = outer;
  const double bx = inner * std::sin(wedge);
  const double by = inner * std::cos(wedge);
  const double ex = bx - ax;
  const double ey = by - ay;
  const double t = std::clamp(((px - ax) * ex + (py - ay) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
  const double distance = std::hypot(px - ax - t * ex, py - ay - t * ey);
  // Inside when on the centre's side of the edge line.
  const double side = ex * (py - ay) - ey * (px - ax);
  return side < 0 ? -distance : distance;
}

double coverage(double distance, double soft) {
  return std::clamp(0.5 - distance / soft, 0.0, 1.0);
}

GrayImage drawFirstLogo(int size) {
  return drawDesign(size, [](double x, double y) {
    constexpr double kSoft = 1.6;
    const double r = std::hypot(x, y);
    double value = 0;
    value = std::max(value, coverage(std::fabs(starDistance(x, y, 8, 78, 31, 0)) - 2.6, kSoft));
    value = std::max(value, coverage(starDistance(x, y, 8, 26, 11, kPi / 8), kSoft));
    value = std::max(value, coverage(ringDistance(x, y, 40, 1.6), kSoft));
    value = std::max(value, 0.8 * coverage(ringDistance(x, y, 92, 2.0), kSoft));
    // Crown of rays: long ones on the star's tips, short ones between.
    for (int i = 0; i < 32; ++i) {
      const double a = i * kPi / 16;
      const double length = i % 4 == 0 ? 124 : (i % 2 == 0 ? 114 : 106);
      const double s = std::sin(a);
      const double c = -std::cos(a);
      value = std::max(
          value, 0.7 * coverage(segmentDistance(x, y, 98 * s, 98 * c, length * s, length * c, 1.3),
                                kSoft));
    }
    return value * radialFade(r, 104, 126);
  });
}

GrayImage drawSecondLogo(int size) {
  return drawDesign(size, [](double x, double y) {
    constexpr double kSoft = 1.6;
    constexpr double kPetal = 36;  // radius of each circle of the rosette, and of its centres
    const double r = std::hypot(x, y);
    double value = coverage(discDistance(x, y, 6), kSoft);
    value = std::max(value, coverage(ringDistance(x, y, kPetal, 1.6), kSoft));
    // Six circles through the centre: the six-petalled rosette.
    for (int i = 0; i < 6; ++i) {
      const double a = i * kPi / 3;
      value = std::max(value, coverage(ringDistance(x - kPetal * std::sin(a),
                                                    y + kPetal * std::cos(a), kPetal, 1.6),
                                       kSoft));
    }
    value = std::max(value, coverage(ringDistance(x, y, 2 * kPetal + 8, 2.4), kSoft));
    // Beads outside the petal tips, and between them.
    for (int i = 0; i < 12; ++i) {
      const double a = i * kPi / 6;
      const double radius = i % 2 == 0 ? 5.0 : 3.0;
      value = std::max(
          value,
          0.9 * coverage(discDistance(x - 94 * std::sin(a), y + 94 * std::cos(a), radius), kSoft));
    }
    value = std::max(value, 0.7 * coverage(ringDistance(x, y, 108, 1.4), kSoft));
    return value * radialFade(r, 110, 127);
  });
}

}  // namespace assetgen
