#include "media/gl_matrix.h"

#include <SDL_opengl.h>

#include <cmath>

#include "engine3d/matrix4.h"
#include "runtime/portable_math.h"

namespace __VELTRIC__ {

void GlMultMatrix(const float m[16])
{
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    const GLenum which = mode == GL_PROJECTION ? GL_PROJECTION_MATRIX
                         : mode == GL_TEXTURE  ? GL_TEXTURE_MATRIX
                                               : GL_MODELVIEW_MATRIX;
    float current[16];
    glGetFloatv(which, current);
    Mat4Multiply(current, m, current);
    glLoadMatrixf(current);
}

void GlTranslate(float x, float y, float z)
{
    float t[16];
    Mat4Translation(x, y, z, t);
    GlMultMatrix(t);
}

void GlScale(float x, float y, float z)
{
    float s[16];
    Mat4Scaling(x, y, z, s);
    GlMultMatrix(s);
}

void GlRotateClockwise(float angleDeg)
{
    float r[16];
    RotationClockwise(angleDeg, r);
    GlMultMatrix(r);
}

void RotationClockwise(float angleDeg, float r[16])
{
    // The GL's rotation about (0, 0, -1): the angle turned into radians in
    // double, its sine and cosine rounded to single precision (the portable
    // functions, so that both builds turn by the same matrix).
    const float a = static_cast<float>(static_cast<double>(angleDeg) * M_PI / 180.0);
    const float s = static_cast<float>(PortableSin(a)), c = static_cast<float>(PortableCos(a));
    Mat4Identity(r);
    r[0] = c;
    r[1] = -s;
    r[4] = s;
    r[5] = c;
}

} // namespace __VELTRIC__
