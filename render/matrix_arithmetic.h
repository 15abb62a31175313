// The fixed-function pipeline's matrix arithmetic done on the CPU, term by term in the order a
// GL implementation's own matrix code evaluates it, so that a position computed here is the
// very float value the GL would have computed from the same calls.
#pragma once

namespace marvolet {

// Column-major, as glGetFloatv and glLoadMatrixf take it.
struct Matrix4 {
  float m[16];
};

// What glScalef, glTranslatef and a multiplication of two stacks do to a matrix.
Matrix4 scaled(const Matrix4& a, float x, float y, float z);
Matrix4 translated(const Matrix4& a, float x, float y, float z);
Matrix4 product(const Matrix4& a, const Matrix4& b);  // a * b

// Clip coordinates of the point (x, y, 0, 1) under `mvp`, as a vertex program evaluates it: a
// multiplication by the first column, then the others added in turn.
void clipPosition(const Matrix4& mvp, float x, float y, float clip[4]);

// The current projection and model-view matrices (reads GL state).
Matrix4 currentProjection();
Matrix4 currentModelview();

}  // namespace marvolet
