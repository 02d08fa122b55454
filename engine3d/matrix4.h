#pragma once
// 4 x 4 matrix and 3-vector helpers of the 3D renderer. Matrices are 16 floats in OpenGL
// column-major order (element 4 * column + row), as GL hands them over with
// glGetFloatv and takes them with glMultMatrixf.

namespace __VELTRIC__ {

// Degrees to radians as the matrix levels use it.
constexpr float kDegToRad = 0.017453292f;

void Mat4Identity(float m[16]);
// out = a x b (b acts first on a vertex); out may be a or b.
void Mat4Multiply(const float a[16], const float b[16], float out[16]);
// out = m x v for a 4-component column vector; out may not be v.
void Mat4Transform(const float m[16], const float v[4], float out[4]);
void Mat4Translation(float x, float y, float z, float out[16]);
void Mat4Scaling(float x, float y, float z, float out[16]);
// The rotation of glRotatef: angle in degrees about the axis, normalised
// here. False (out untouched) when the axis is not longer than 0.0001.
bool Mat4Rotation(float angleDeg, float x, float y, float z, float out[16]);
// The matrices glFrustum and glOrtho multiply onto the current one, in
// single precision and in the GL's own order of operations. The renderer
// loads them itself: the 32-bit GL library evaluates these formulas in the
// x87 unit's wider registers and rounds some entries otherwise than the
// 64-bit one, so the depths and the projections of the two builds differed.
// False (out untouched) where the GL refuses the values: a near or far
// plane not above 0 (frustum only), or two equal planes.
bool Mat4Frustum(float l, float r, float b, float t, float n, float f, float out[16]);
bool Mat4Ortho(float l, float r, float b, float t, float n, float f, float out[16]);
// Inverse by cofactors. False when the determinant is exactly zero (out is
// then untouched); a determinant that is not a number still divides.
bool Mat4Invert(const float m[16], float out[16]);
// The viewing matrix of a camera at eye looking at target with the up
// direction, translation included. Zero-length vectors stay unnormalised.
void Mat4LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                float upX, float upY, float upZ, float out[16]);
// The six clip planes (right, left, bottom, top, far, near) of
// projection x modelview, each scaled so that (a, b, c) is a unit vector:
// a * x + b * y + c * z + d is then the signed distance, positive inside.
void FrustumPlanes(const float projection[16], const float modelview[16], float planes[6][4]);

// Divides v by its length only when the squared length (in double) is above
// 1e-7, so a zero or tiny direction stays as it is instead of turning into
// NaN or blowing up.
void Vec3NormaliseIfLong(float v[3]);

} // namespace __VELTRIC__
