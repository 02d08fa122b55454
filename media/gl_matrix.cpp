#include "media/gl_matrix.h"

#include <SDL_opengl.h>

#include "engine3d/matrix4.h"

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

} // namespace __VELTRIC__
