// Scaled copies of the primary's picture onto the other monitors.
#include "render/monitor_copies.h"

#include "render/gl.h"

namespace marvolet {

bool operator==(const PixelRect& a, const PixelRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool operator!=(const PixelRect& a, const PixelRect& b) {
  return !(a == b);
}

PixelRect bottomUp(const PixelRect& rect, int32_t windowHeight) {
  return {rect.x, windowHeight - rect.y - rect.height, rect.width, rect.height};
}

void copyToOtherMonitors(int32_t windowWidth, int32_t windowHeight, const PixelRect& primary,
                         const std::vector<MonitorCopy>& copies) {
  if (copies.empty()) return;
  glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT |
               GL_SCISSOR_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, windowWidth, 0.0, windowHeight, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(0, 0, windowWidth, windowHeight);

  // Copied fragments pass through texturing, blending and the depth test like any other.
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_FOG);
  glDisable(GL_LIGHTING);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_COLOR_LOGIC_OP);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glReadBuffer(GL_BACK);
  glDrawBuffer(GL_BACK);
  // Trails leave the back buffer uncleared, and the bars must be black all the same; the
  // scissor also keeps a zoom's rounding from reaching a neighbouring monitor.
  glEnable(GL_SCISSOR_TEST);

  const PixelRect source = bottomUp(primary, windowHeight);
  for (const MonitorCopy& copy : copies) {
    const PixelRect monitor = bottomUp(copy.monitor, windowHeight);
    const PixelRect picture = bottomUp(copy.picture, windowHeight);
    glScissor(monitor.x, monitor.y, monitor.width, monitor.height);
    glClear(GL_COLOR_BUFFER_BIT);
    glPixelZoom(static_cast<float>(picture.width) / static_cast<float>(source.width),
                static_cast<float>(picture.height) / static_cast<float>(source.height));
    glRasterPos2i(picture.x, picture.y);
    glCopyPixels(source.x, source.y, source.width, source.height, GL_COLOR);
  }

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

void blackenOtherMonitors(int32_t windowHeight, const std::vector<MonitorCopy>& copies) {
  if (copies.empty()) return;
  glPushAttrib(GL_ENABLE_BIT | GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glDrawBuffer(GL_BACK);
  for (const MonitorCopy& copy : copies) {
    const PixelRect monitor = bottomUp(copy.monitor, windowHeight);
    glScissor(monitor.x, monitor.y, monitor.width, monitor.height);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glPopAttrib();
}

}  // namespace marvolet
