// The rings' latitudes, longitudes, sphere points and depth fade.
#include "render/ring_geometry.h"

#include <cmath>

namespace marvolet {

namespace {
constexpr float SphereRadius = 3999.9998f;  // sphere units before the textdistance scale
constexpr float TwoPi = 6.28318f;
}  // namespace

float ringLatitude(int32_t ring) {
  return ((static_cast<float>(ring) * 153.33333f - 4800.0f) * 0.25f + 4800.0f) * 0.000108695654f *
         TwoPi;
}

float ringLongitude(float x) {
  return (x * 0.32f + RingEnd) * 0.00008333334f * TwoPi;
}

RingPoint ringPoint(float latitude, float longitude) {
  const float cosLat = std::cos(latitude);
  return RingPoint{(cosLat * std::sin(longitude) + 0.1f) * SphereRadius,
                   std::sin(latitude) * SphereRadius, cosLat * std::cos(longitude) * SphereRadius};
}

float ringBrightness(float z, bool lightEffects) {
  if (!lightEffects) return 1.0f;
  float e = (z - 1300.0f) * 0.0005f;
  if (e >= 1.0f) e = 1.0f;
  return e * e;
}

}  // namespace marvolet
