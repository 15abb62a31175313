// Records the GL and GLU calls the core makes (test builds only), then forwards them to the real
// implementation, so a test can check the order of calls and the state one stage leaves.
#pragma once

// The real declarations must come before the macros that shadow them.
#include <GL/gl.h>
#include <GL/glu.h>

#include <string>
#include <type_traits>
#include <vector>

namespace marvolet::testing {

struct GlCall {
  std::string name;
  std::vector<double> args;  // numbers as given; pointers are recorded as 0
};

// Recording is off until a test starts it, so set-up noise stays out of the log.
void startGlRecording();
std::vector<GlCall> stopGlRecording();
bool glRecordingActive();
void appendGlCall(const char* name, std::vector<double> args);

template <typename T>
double glRecordedValue(T value) {
  if constexpr (std::is_arithmetic_v<T>) {
    return static_cast<double>(value);
  } else {
    return 0.0;
  }
}

template <typename R, typename... P, typename... A>
R recordGlCall(const char* name, R (*function)(P...), A... args) {
  if (glRecordingActive()) appendGlCall(name, {glRecordedValue(args)...});
  return function(static_cast<P>(args)...);
}

}  // namespace marvolet::testing

#define MARVOLET_RECORD(fn, ...) ::marvolet::testing::recordGlCall(#fn, &::fn, __VA_ARGS__)
#define MARVOLET_RECORD0(fn) ::marvolet::testing::recordGlCall(#fn, &::fn)

#define glBegin(...) MARVOLET_RECORD(glBegin, __VA_ARGS__)
#define glBindTexture(...) MARVOLET_RECORD(glBindTexture, __VA_ARGS__)
#define glBlendFunc(...) MARVOLET_RECORD(glBlendFunc, __VA_ARGS__)
#define glClear(...) MARVOLET_RECORD(glClear, __VA_ARGS__)
#define glClearColor(...) MARVOLET_RECORD(glClearColor, __VA_ARGS__)
#define glClearDepth(...) MARVOLET_RECORD(glClearDepth, __VA_ARGS__)
#define glColor3f(...) MARVOLET_RECORD(glColor3f, __VA_ARGS__)
#define glColor4f(...) MARVOLET_RECORD(glColor4f, __VA_ARGS__)
#define glColor4fv(...) MARVOLET_RECORD(glColor4fv, __VA_ARGS__)
#define glColorPointer(...) MARVOLET_RECORD(glColorPointer, __VA_ARGS__)
#define glCopyTexImage2D(...) MARVOLET_RECORD(glCopyTexImage2D, __VA_ARGS__)
#define glCopyTexSubImage2D(...) MARVOLET_RECORD(glCopyTexSubImage2D, __VA_ARGS__)
#define glCullFace(...) MARVOLET_RECORD(glCullFace, __VA_ARGS__)
#define glDeleteTextures(...) MARVOLET_RECORD(glDeleteTextures, __VA_ARGS__)
#define glDepthFunc(...) MARVOLET_RECORD(glDepthFunc, __VA_ARGS__)
#define glDisable(...) MARVOLET_RECORD(glDisable, __VA_ARGS__)
#define glDisableClientState(...) MARVOLET_RECORD(glDisableClientState, __VA_ARGS__)
#define glDrawArrays(...) MARVOLET_RECORD(glDrawArrays, __VA_ARGS__)
#define glDrawBuffer(...) MARVOLET_RECORD(glDrawBuffer, __VA_ARGS__)
#define glEnable(...) MARVOLET_RECORD(glEnable, __VA_ARGS__)
#define glEnableClientState(...) MARVOLET_RECORD(glEnableClientState, __VA_ARGS__)
#define glEnd() MARVOLET_RECORD0(glEnd)
#define glFlush() MARVOLET_RECORD0(glFlush)
#define glFogf(...) MARVOLET_RECORD(glFogf, __VA_ARGS__)
#define glFogi(...) MARVOLET_RECORD(glFogi, __VA_ARGS__)
#define glFrontFace(...) MARVOLET_RECORD(glFrontFace, __VA_ARGS__)
#define glGenTextures(...) MARVOLET_RECORD(glGenTextures, __VA_ARGS__)
#define glGetDoublev(...) MARVOLET_RECORD(glGetDoublev, __VA_ARGS__)
#define glGetIntegerv(...) MARVOLET_RECORD(glGetIntegerv, __VA_ARGS__)
#define glGetString(...) MARVOLET_RECORD(glGetString, __VA_ARGS__)
#define glHint(...) MARVOLET_RECORD(glHint, __VA_ARGS__)
#define glInterleavedArrays(...) MARVOLET_RECORD(glInterleavedArrays, __VA_ARGS__)
#define glLoadIdentity() MARVOLET_RECORD0(glLoadIdentity)
#define glMatrixMode(...) MARVOLET_RECORD(glMatrixMode, __VA_ARGS__)
#define glOrtho(...) MARVOLET_RECORD(glOrtho, __VA_ARGS__)
#define glPixelStorei(...) MARVOLET_RECORD(glPixelStorei, __VA_ARGS__)
#define glPointSize(...) MARVOLET_RECORD(glPointSize, __VA_ARGS__)
#define glPopMatrix() MARVOLET_RECORD0(glPopMatrix)
#define glPushMatrix() MARVOLET_RECORD0(glPushMatrix)
#define glScalef(...) MARVOLET_RECORD(glScalef, __VA_ARGS__)
#define glTexCoord2f(...) MARVOLET_RECORD(glTexCoord2f, __VA_ARGS__)
#define glTexCoordPointer(...) MARVOLET_RECORD(glTexCoordPointer, __VA_ARGS__)
#define glTexEnvi(...) MARVOLET_RECORD(glTexEnvi, __VA_ARGS__)
#define glTexEnvf(...) MARVOLET_RECORD(glTexEnvf, __VA_ARGS__)
#define glTexImage2D(...) MARVOLET_RECORD(glTexImage2D, __VA_ARGS__)
#define glTexParameterf(...) MARVOLET_RECORD(glTexParameterf, __VA_ARGS__)
#define glTexParameteri(...) MARVOLET_RECORD(glTexParameteri, __VA_ARGS__)
#define glTranslatef(...) MARVOLET_RECORD(glTranslatef, __VA_ARGS__)
#define glVertex2f(...) MARVOLET_RECORD(glVertex2f, __VA_ARGS__)
#define glVertex2i(...) MARVOLET_RECORD(glVertex2i, __VA_ARGS__)
#define glVertex3f(...) MARVOLET_RECORD(glVertex3f, __VA_ARGS__)
#define glVertexPointer(...) MARVOLET_RECORD(glVertexPointer, __VA_ARGS__)
#define glViewport(...) MARVOLET_RECORD(glViewport, __VA_ARGS__)
#define gluBuild2DMipmaps(...) MARVOLET_RECORD(gluBuild2DMipmaps, __VA_ARGS__)
#define gluLookAt(...) MARVOLET_RECORD(gluLookAt, __VA_ARGS__)
#define gluPerspective(...) MARVOLET_RECORD(gluPerspective, __VA_ARGS__)
#define gluProject(...) MARVOLET_RECORD(gluProject, __VA_ARGS__)
#define gluUnProject(...) MARVOLET_RECORD(gluUnProject, __VA_ARGS__)
