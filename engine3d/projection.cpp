#include "engine3d/projection.h"

#include <SDL_opengl.h>

#include "engine3d/matrix4.h"
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {

int ProjectPoint(const float modelview[16], const float projection[16], const int viewport[4],
                 int windowHeight, float x, float y, float z, float* winX, float* winY,
                 float* winZ)
{
    const float in[4] = {x, y, z, 1.0f};
    float eye[4], clip[4];
    Mat4Transform(modelview, in, eye);
    Mat4Transform(projection, eye, clip);
    if (clip[3] == 0.0f) return 0;
    const float nx = clip[0] / clip[3], ny = clip[1] / clip[3], nz = clip[2] / clip[3];
    *winX = viewport[0] + (nx + 1.0f) * viewport[2] * 0.5f;
    // GL counts window rows from the bottom; the program counts from the top.
    *winY = windowHeight - (viewport[1] + (ny + 1.0f) * viewport[3] * 0.5f);
    *winZ = (1.0f + nz) * 0.5f;
    return 1;
}

int UnProjectPoint(const float modelview[16], const float projection[16], const int viewport[4],
                   float winX, float winY, float winZ, float* x, float* y, float* z)
{
    float f[16], inv[16];
    Mat4Multiply(projection, modelview, f);
    if (!Mat4Invert(f, inv)) Mat4Identity(inv);
    const float in[4] = {(winX - viewport[0]) / viewport[2] * 2.0f - 1.0f,
                         (winY - viewport[1]) / viewport[3] * 2.0f - 1.0f, 2.0f * winZ - 1.0f,
                         1.0f};
    float out[4];
    Mat4Transform(inv, in, out);
    if (out[3] == 0.0f) return 0;
    *x = out[0] / out[3];
    *y = out[1] / out[3];
    *z = out[2] / out[3];
    return 1;
}

namespace {
struct GlView {
    GLint viewport[4];
    GLfloat projection[16];
    GLfloat modelview[16];
    GlView()
    {
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    }
};
} // namespace

int RTglu_Project(float x, float y, float z, float* winX, float* winY, float* winZ)
{
    const GlView v;
    // The window the 2D renderer opened; without one the top of the
    // viewport is the best guess of the window's top.
    const int height = __g_pRbow ? __g_pRbow->m_height : v.viewport[1] + v.viewport[3];
    return ProjectPoint(v.modelview, v.projection, v.viewport, height, x, y, z, winX, winY, winZ);
}

int RTglu_UnProject(float winX, float winY, float winZ, float* x, float* y, float* z)
{
    const GlView v;
    return UnProjectPoint(v.modelview, v.projection, v.viewport, winX, winY, winZ, x, y, z);
}

} // namespace __VELTRIC__
