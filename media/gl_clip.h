#pragma once
// Clip coordinates of 2D vertices worked out on the CPU exactly as the GL's
// vertex stage works them out, so that a run of 2D draws can be sent with
// both GL matrices at the identity (the GL then passes the coordinates
// through unchanged) instead of changing a matrix around every sprite or
// line: each matrix change ends the GL's batch of immediate-mode primitives,
// while the rasterizer still meets the very same numbers.
namespace __VELTRIC__ {

// True when the GL is in a state whose vertex transform ClipOf repeats:
// model-view matrix the identity and current, a projection that keeps x and
// y apart with w = 1, no shader program, no lighting and no generated
// texture coordinates (both read the untransformed vertex). The projection
// goes to `projection`.
bool Plain2DState(float projection[16]);

// True when both matrices are the identity (a run goes on: whatever turns
// on lighting or a shader, or moves to another projection, ends the run
// first).
bool IdentityMatrices();

// out = a x b as the GL library forms the product of its projection and
// model-view matrices. The 64-bit library rounds every product and sum to
// single precision; the 32-bit one sums each element in the x87 unit's
// wider registers and rounds it once, when it is stored.
void GLMatrixProduct(const float a[16], const float b[16], float out[16]);

// The clip coordinates x, y, z of the vertex (x, y, 0, 1) under the matrix
// m (projection times model-view), rounded as the GL rounds them: per row
// the x product, plus the y product, plus the w column.
void ClipOf(const float m[16], float x, float y, float out[3]);

} // namespace __VELTRIC__
