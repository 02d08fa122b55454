#include "media/gl_clip.h"

#include <SDL_opengl.h>

#include <cmath>

#include "media/gl_extensions.h"

namespace __VELTRIC__ {

namespace {

bool IsIdentity(const float m[16])
{
    for (int i = 0; i < 16; ++i)
        if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
    return true;
}

// Nothing that reads the vertex before or besides the transform.
bool PlainPipeline()
{
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    if (mode != GL_MODELVIEW) return false;
    if (glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T))
        return false;
    if (glUseProgramObjectArb) {
        GLint program = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        if (program != 0) return false;
    }
    return true;
}

} // namespace

bool Plain2DState(float P[16])
{
    float M[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, M);
    if (!IsIdentity(M)) return false;
    glGetFloatv(GL_PROJECTION_MATRIX, P);
    // x and y on their own, z and w untouched by them, w = 1.
    if (P[1] != 0 || P[2] != 0 || P[3] != 0 || P[4] != 0 || P[6] != 0 || P[7] != 0 ||
        P[11] != 0 || P[15] != 1)
        return false;
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite(P[i])) return false;
    return PlainPipeline();
}

bool IdentityMatrices()
{
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    if (!IsIdentity(m)) return false;
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return IsIdentity(m);
}

void GLMatrixProduct(const float a[16], const float b[16], float out[16])
{
    float r[16];
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
#if defined(__i386__)
            long double s = static_cast<long double>(a[row]) * b[4 * c];
            for (int k = 1; k < 4; ++k) s += static_cast<long double>(a[4 * k + row]) * b[4 * c + k];
            r[4 * c + row] = static_cast<float>(s);
#else
            float s = a[row] * b[4 * c];
            for (int k = 1; k < 4; ++k) s += a[4 * k + row] * b[4 * c + k];
            r[4 * c + row] = s;
#endif
        }
    for (int i = 0; i < 16; ++i) out[i] = r[i];
}

void ClipOf(const float m[16], float x, float y, float out[3])
{
    for (int r = 0; r < 3; ++r) {
        const float px = x * m[r];
        const float py = y * m[4 + r];
        const float sum = px + py;
        out[r] = sum + m[12 + r];
    }
}

} // namespace __VELTRIC__
