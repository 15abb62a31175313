// The choice of drawing path, and the logo quad both paths share.
#include "render/drawing_path.h"

#include "render/fast_path.h"
#include "render/gl.h"
#include "render/literal_path.h"

namespace marvolet {

std::unique_ptr<DrawingPath> makeDrawingPath(DrawPath path) {
  if (path == DrawPath::Literal) return std::make_unique<LiteralPath>();
  return std::make_unique<FastPath>();
}

void drawLogoQuad(float w, float h) {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-w, -h, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(w, -h, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(w, h, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-w, h, 0.0f);
  glEnd();
}

}  // namespace marvolet
