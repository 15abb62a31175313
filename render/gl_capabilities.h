// What the current GL context offers beyond OpenGL 1.1, judged from its own reports.
#pragma once

#include <cstdint>

namespace marvolet {

// Whether a GL_VERSION string names desktop OpenGL major.minor or later. The string must begin
// with "<major>.<minor>" in digits, as desktop GL's does ("1.4 Mesa 22.3.6", "4.6.0 NVIDIA");
// null, empty, "OpenGL ES 3.2 ..." or anything else names no version and is not.
bool versionAtLeast(const char* version, int32_t major, int32_t minor);

// Whether the current context runs GLSL 1.10 through the GL 2.0 entry points: its GL_VERSION
// reports 2.0 or later. An entry point found by name is no proof: a 1.x context (indirect GLX,
// for one) hands out pointers it cannot run.
bool offersGlsl20();

// Bits of alpha the current context's frame keeps (GL_ALPHA_BITS), 0 when it has none.
int32_t frameAlphaBits();
// Bits the current context's frame keeps in its narrowest colour channel (red, green or blue):
// 5 in a 16-bit frame, 8 in the usual one.
int32_t frameColourBits();

}  // namespace marvolet
