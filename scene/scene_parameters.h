// The thirteen animated parameters of the scene: their indices and the ranges they are drawn from.
#pragma once

#include <cstdint>

namespace marvolet {

// Index of each animated parameter; a colour names the first of its three channels.
enum SceneParameter : int32_t {
  textdistance = 0,
  textspeed = 1,
  imagecolor = 2,
  logocolor = 5,
  textcolor = 8,
  imagezoom = 11,
  imagefade = 12,
  SceneParameterCount = 13,
};

struct ParameterRange {
  float min;
  float max;
  float exponent;  // draws are min + (max - min) * r^exponent
};

extern const ParameterRange SceneParameterRanges[SceneParameterCount];

// min + (max - min) * r^exponent: the value a random r in [0, 1] draws from a range.
float parameterValue(const ParameterRange& range, float r);

}  // namespace marvolet
