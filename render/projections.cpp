// Perspective, overlay and clip-space projections.
#include "render/projections.h"

#include "render/gl.h"

namespace marvolet {

void setPerspective(int32_t x, int32_t y, int32_t width, int32_t height) {
  glViewport(x, y, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // A zero height would divide by zero; such a window shows nothing anyway.
  const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
  gluPerspective(30.0, aspect, 0.1, 1000.0);
  glMatrixMode(GL_MODELVIEW);
}

void beginOverlayProjection() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void endOverlayProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void beginClipSpaceProjection() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void endClipSpaceProjection() {
  endOverlayProjection();
}

}  // namespace marvolet
