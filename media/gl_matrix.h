#pragma once
// Changes of the GL's current matrix (of the current matrix mode), worked
// out here in single precision and loaded whole, instead of by the GL's
// glMultMatrixf, glTranslatef, glScalef and glRotatef. The 32-bit GL
// library evaluates those in the x87 unit's wider registers and rounds
// otherwise than the 64-bit one, so the two builds drew a few pixels of
// turned objects differently. The order of operations is the
// GL's, so the results are those of the 64-bit GL library.
namespace __VELTRIC__ {

// current = current x m (m acts first on a vertex).
void GlMultMatrix(const float m[16]);
void GlTranslate(float x, float y, float z);
void GlScale(float x, float y, float z);

} // namespace __VELTRIC__
