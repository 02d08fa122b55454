#pragma once
// Changes of the GL's current matrix (of the current matrix mode), worked
// out here in single precision and loaded whole, instead of by the GL's
// glMultMatrixf, glTranslatef, glScalef and glRotatef. The 32-bit GL
// library evaluates those in the x87 unit's wider registers and rounds
// otherwise than the 64-bit one, so the two builds drew a few pixels of
// turned objects and sprites differently. The order of operations is the
// GL's, so the results are those of the 64-bit GL library.
namespace __VELTRIC__ {

// current = current x m (m acts first on a vertex).
void GlMultMatrix(const float m[16]);
void GlTranslate(float x, float y, float z);
void GlScale(float x, float y, float z);
// As glRotatef(angle, 0, 0, -1): clockwise on the screen of the 2D renderer.
void GlRotateClockwise(float angleDeg);
// The matrix GlRotateClockwise multiplies by.
void RotationClockwise(float angleDeg, float r[16]);

} // namespace __VELTRIC__
