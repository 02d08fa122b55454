#include "engine3d/matrix4.h"

#include <cmath>
#include <cstring>

#include "runtime/portable_math.h"

namespace __VELTRIC__ {

void Mat4Identity(float m[16])
{
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Mat4Multiply(const float a[16], const float b[16], float out[16])
{
    float r[16];
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a[4 * k + row] * b[4 * c + k];
            r[4 * c + row] = s;
        }
    std::memcpy(out, r, sizeof r);
}

void Mat4Transform(const float m[16], const float v[4], float out[4])
{
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

void Mat4Translation(float x, float y, float z, float out[16])
{
    Mat4Identity(out);
    out[12] = x;
    out[13] = y;
    out[14] = z;
}

void Mat4Scaling(float x, float y, float z, float out[16])
{
    Mat4Identity(out);
    out[0] = x;
    out[5] = y;
    out[10] = z;
}

bool Mat4Rotation(float angleDeg, float x, float y, float z, float out[16])
{
    const float len = std::sqrt(x * x + y * y + z * z);
    if (!(len > 0.0001f)) return false;
    x /= len;
    y /= len;
    z /= len;
    const float a = angleDeg * kDegToRad;
    const float c = static_cast<float>(PortableCos(a)), s = static_cast<float>(PortableSin(a)), t = 1.0f - c;
    Mat4Identity(out);
    out[0] = x * x * t + c;
    out[1] = y * x * t + z * s;
    out[2] = x * z * t - y * s;
    out[4] = x * y * t - z * s;
    out[5] = y * y * t + c;
    out[6] = y * z * t + x * s;
    out[8] = x * z * t + y * s;
    out[9] = y * z * t - x * s;
    out[10] = z * z * t + c;
    return true;
}

bool Mat4Frustum(float l, float r, float b, float t, float n, float f, float out[16])
{
    if (!(n > 0.0f) || !(f > 0.0f) || n == f || l == r || b == t) return false;
    // Each entry is rounded to single precision on its own, as in the GL.
    const float x = (2.0f * n) / (r - l);
    const float y = (2.0f * n) / (t - b);
    const float a = (r + l) / (r - l);
    const float c = (t + b) / (t - b);
    const float z = -(f + n) / (f - n);
    const float w = -(2.0f * f * n) / (f - n);
    const float m[16] = {x, 0, 0, 0, 0, y, 0, 0, a, c, z, -1, 0, 0, w, 0};
    std::memcpy(out, m, sizeof m);
    return true;
}

bool Mat4Ortho(float l, float r, float b, float t, float n, float f, float out[16])
{
    if (l == r || b == t || n == f) return false;
    Mat4Identity(out);
    out[0] = 2.0f / (r - l);
    out[5] = 2.0f / (t - b);
    out[10] = -2.0f / (f - n);
    out[12] = -(r + l) / (r - l);
    out[13] = -(t + b) / (t - b);
    out[14] = -(f + n) / (f - n);
    return true;
}

bool Mat4Invert(const float m[16], float out[16])
{
    float inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] +
             m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] +
             m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] -
              m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] +
              m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0f) return false; // also true for -0
    const float f = 1.0f / det;
    for (int i = 0; i < 16; ++i) out[i] = inv[i] * f;
    return true;
}

namespace {
void Normalise(float v[3])
{
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len != 0.0f) {
        v[0] /= len;
        v[1] /= len;
        v[2] /= len;
    }
}
void Cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
} // namespace

void Mat4LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                float upX, float upY, float upZ, float out[16])
{
    float f[3] = {eyeX - targetX, eyeY - targetY, eyeZ - targetZ};
    Normalise(f);
    const float up[3] = {upX, upY, upZ};
    float s[3], u[3];
    Cross(up, f, s);
    Cross(f, s, u); // from s before its normalisation; u is normalised itself
    Normalise(s);
    Normalise(u);
    const float rot[16] = {s[0], u[0], f[0], 0, s[1], u[1], f[1], 0,
                           s[2], u[2], f[2], 0, 0,    0,    0,    1};
    float move[16];
    Mat4Translation(-eyeX, -eyeY, -eyeZ, move);
    Mat4Multiply(rot, move, out);
}

void FrustumPlanes(const float projection[16], const float modelview[16], float planes[6][4])
{
    float k[16];
    Mat4Multiply(projection, modelview, k);
    float r[4][4];
    for (int row = 0; row < 4; ++row)
        for (int c = 0; c < 4; ++c) r[row][c] = k[4 * c + row];
    // right, left, bottom, top, far, near
    const int rowOf[6] = {0, 0, 1, 1, 2, 2};
    const float sign[6] = {-1, 1, 1, -1, -1, 1};
    for (int p = 0; p < 6; ++p) {
        for (int c = 0; c < 4; ++c) planes[p][c] = r[3][c] + sign[p] * r[rowOf[p]][c];
        const float len = std::sqrt(planes[p][0] * planes[p][0] + planes[p][1] * planes[p][1] +
                                    planes[p][2] * planes[p][2]);
        for (int c = 0; c < 4; ++c) planes[p][c] /= len;
    }
}

void Vec3NormaliseIfLong(float v[3])
{
    const double sq = static_cast<double>(v[0]) * v[0] + static_cast<double>(v[1]) * v[1] +
                      static_cast<double>(v[2]) * v[2];
    if (!(sq > 1e-7)) return;
    const float len = static_cast<float>(std::sqrt(sq));
    if (len == 0.0f) return;
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
}

} // namespace __VELTRIC__
