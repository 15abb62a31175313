// CPU matrix arithmetic in the GL's own evaluation order.
#include "render/matrix_arithmetic.h"

#include "render/gl.h"

namespace marvolet {

Matrix4 scaled(const Matrix4& a, float x, float y, float z) {
  Matrix4 r = a;
  for (int i = 0; i < 4; ++i) {
    r.m[i] *= x;
    r.m[4 + i] *= y;
    r.m[8 + i] *= z;
  }
  return r;
}

Matrix4 translated(const Matrix4& a, float x, float y, float z) {
  Matrix4 r = a;
  for (int i = 0; i < 4; ++i) {
    r.m[12 + i] = a.m[i] * x + a.m[4 + i] * y + a.m[8 + i] * z + a.m[12 + i];
  }
  return r;
}

Matrix4 product(const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[4 * j + i] = a.m[i] * b.m[4 * j] + a.m[4 + i] * b.m[4 * j + 1] +
                       a.m[8 + i] * b.m[4 * j + 2] + a.m[12 + i] * b.m[4 * j + 3];
    }
  }
  return r;
}

void clipPosition(const Matrix4& mvp, float x, float y, float clip[4]) {
  for (int i = 0; i < 4; ++i) {
    float sum = mvp.m[i] * x;
    sum = mvp.m[4 + i] * y + sum;
    sum = mvp.m[8 + i] * 0.0f + sum;
    clip[i] = mvp.m[12 + i] * 1.0f + sum;
  }
}

Matrix4 currentProjection() {
  Matrix4 r;
  glGetFloatv(GL_PROJECTION_MATRIX, r.m);
  return r;
}

Matrix4 currentModelview() {
  Matrix4 r;
  glGetFloatv(GL_MODELVIEW_MATRIX, r.m);
  return r;
}

}  // namespace marvolet
