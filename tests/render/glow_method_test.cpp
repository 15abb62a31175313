// The glow's method for each drawing path, what the GL offers and the drawing area's size.
#include <gtest/gtest.h>

#include "render/glow_method.h"

namespace marvolet {
namespace {

struct Case {
  DrawPath path;
  GlowCapabilities gl;
  int32_t width;
  int32_t height;
  GlowMethod method;
};

constexpr GlowCapabilities All{true, true, true};
constexpr GlowCapabilities NoProgram{true, false, true};    // GL 1.x, or no frame alpha
constexpr GlowCapabilities SixteenBit{true, false, false};  // 16-bit frame: no alpha either
constexpr GlowCapabilities ProgramOnly{true, true, false};  // alpha but 5-bit colour
constexpr GlowCapabilities NoCapture{false, true, true};    // the extensions are missing

TEST(GlowMethodTest, EachInputDecidesWhereItShould) {
  const Case cases[] = {
      // The literal path always lays the layers, whatever the GL and the size.
      {DrawPath::Literal, All, 1920, 1080, GlowMethod::Layered},
      {DrawPath::Literal, All, 640, 480, GlowMethod::Layered},
      // Magnified from 5 capture squares each way (640 x 640), both edges inclusive.
      {DrawPath::Fast, All, 1920, 1080, GlowMethod::Magnified},
      {DrawPath::Fast, All, 640, 640, GlowMethod::Magnified},
      {DrawPath::Fast, All, 639, 640, GlowMethod::OnePass},
      {DrawPath::Fast, All, 640, 639, GlowMethod::OnePass},
      {DrawPath::Fast, All, 1280, 360, GlowMethod::OnePass},
      // The program from a whole capture square (128) each way, inclusive.
      {DrawPath::Fast, All, 128, 128, GlowMethod::OnePass},
      {DrawPath::Fast, All, 127, 720, GlowMethod::Layered},
      {DrawPath::Fast, All, 1280, 127, GlowMethod::Layered},
      {DrawPath::Fast, All, 0, 0, GlowMethod::Layered},
      {DrawPath::Fast, All, -5, 900, GlowMethod::Layered},
      // Without the program: magnified where it fits, else the layers.
      {DrawPath::Fast, NoProgram, 1920, 1080, GlowMethod::Magnified},
      {DrawPath::Fast, NoProgram, 1280, 360, GlowMethod::Layered},
      // A 16-bit frame's rounding would show as bands when magnified.
      {DrawPath::Fast, SixteenBit, 1920, 1080, GlowMethod::Layered},
      {DrawPath::Fast, ProgramOnly, 1920, 1080, GlowMethod::OnePass},
      // No glow can run at all: never anything but the layers (the pass itself is off).
      {DrawPath::Fast, NoCapture, 1920, 1080, GlowMethod::Layered},
      {DrawPath::Fast, GlowCapabilities{}, 1920, 1080, GlowMethod::Layered},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(chooseGlowMethod(c.path, c.gl, c.width, c.height), c.method)
        << (c.path == DrawPath::Fast ? "fast " : "literal ") << c.gl.capture << c.gl.program
        << c.gl.colourBits8 << " " << c.width << " x " << c.height;
  }
}

}  // namespace
}  // namespace marvolet
