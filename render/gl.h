// The one way portable code reaches OpenGL 1.1 and GLU, without pulling in <windows.h>.
#pragma once

#if defined(_WIN32)
// The Windows GL headers expect these from <windows.h>; the portable code must not include it.
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>

#if defined(MARVOLET_GL_RECORDER)
// Test builds route every GL call through the recorder so stage hand-offs can be checked.
#include "gl_recorder.h"
#endif
