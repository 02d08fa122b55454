// The 3D renderer object: camera, projection, frustum and the model-matrix
// levels.
#include "engine3d/dedudeve3d.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine3d/matrix4.h"
#include "media/command_args.h"
#include "media/gl_matrix.h"
#include "media/opengl_dedudeve.h"
#include "runtime/portable_math.h"

namespace __VELTRIC__ {

Dedudeve3D* __g_pRbow3D = nullptr;

void MatrixLevel::Reset()
{
    matrixCount = 0;
    rotationCount = 0;
    scaling[0] = scaling[1] = scaling[2] = 1.0f;
    movement[0] = movement[1] = movement[2] = 0.0f;
    Mat4Identity(composed);
    built = 1;
}

Dedudeve3D::Dedudeve3D(OpenGLDedudeve* renderer2d) : renderer2D(renderer2d)
{
    std::memset(frustum, 0, sizeof frustum);
    std::memset(shaders, 0, sizeof shaders);
    std::memset(levels, 0, sizeof levels);
    for (MatrixLevel& l : levels) l.Reset();
    Mat4Identity(viewMatrix);
    for (int i = 0; i < 3; ++i) {
        effectLight[i] = effectColour[i] = cameraEye[i] = cameraTarget[i] = 0.0f;
        cameraUp[i] = i == 1 ? 1.0f : 0.0f;
    }
    cameraTarget[2] = -1.0f;
    // Every slot is constructed empty by the queue's array.
    if (slots.AllocAtLeast(kSlotCount)) slots.SetCount(kSlotCount);
}

Dedudeve3D::~Dedudeve3D()
{
    // Shader programs first, then every slot's objects and textures.
    for (int i = 0; i < kShaderCount; ++i) FreeShader(i);
    for (int i = 0; i < slots.Count(); ++i) {
        X_WORLD& w = slots[i];
        for (int k = 0; k < w.objects.Count(); ++k) w.objects[k].object.Clear(true);
        w.objects.Free();
        if (w.textures.Count() > 0)
            glDeleteTextures(w.textures.Count(), reinterpret_cast<GLuint*>(w.textures.Items()));
        w.textures.Free();
    }
    slots.Free();
}

void Dedudeve3D::ResetToLevel0()
{
    if (level > 0) level = 0;
    levels[0].Reset();
}

void Dedudeve3D::Make3DViewport(float nearZ, float farZ, float fov)
{
    DoShadows(false); // a shadow pass still running ends first

    const double deg = fov + 5.0f <= 89.0f ? fov + 5.0 : 89.0;
    fovTan = static_cast<float>(PortableTan(deg * M_PI / 180.0));
    zNear = nearZ;
    zFar = farZ;
    cameraUp[0] = 0.0f;
    cameraUp[1] = 1.0f;
    cameraUp[2] = 0.0f;

    // The 2D renderer's viewport has its origin at the top left of the window.
    double aspect = 1.0;
    float alpha = 1.0f;
    if (renderer2D) {
        const OpenGLDedudeve& r = *renderer2D;
        // GL counts rows from the bottom; worked out in double and held to
        // the int range, as the 2D viewport does, so a viewport placed at the
        // ends of the range cannot wrap.
        glViewport(r.m_viewX, TruncToInt(double(r.m_height) - r.m_viewH - r.m_viewY), r.m_viewW,
                   r.m_viewH);
        aspect = static_cast<double>(r.m_viewW) / r.m_viewH;
        alpha = r.m_alpha;
    }

    // The projection of glFrustum or glOrtho, worked out here rather than
    // by the GL (see Mat4Frustum); values the GL would refuse leave it the
    // identity, as the GL leaves it.
    glMatrixMode(GL_PROJECTION);
    const double t = PortableTan(std::fabs(static_cast<double>(fov)) * M_PI / 360.0);
    float projection[16];
    Mat4Identity(projection);
    auto F = [](double v) { return static_cast<float>(v); };
    if (fov > 0.0f) {
        const double top = t * nearZ;
        Mat4Frustum(F(-top * aspect), F(top * aspect), F(-top), F(top), nearZ, farZ, projection);
    } else {
        const double top = t * nearZ * 100.0;
        Mat4Ortho(F(-top * aspect), F(top * aspect), F(-top), F(top), nearZ, farZ, projection);
        fovTan = static_cast<float>(PortableTan(89.0 * M_PI / 180.0));
    }
    glLoadMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.05f);
    glColor4f(1, 1, 1, alpha);
    glClearColor(0, 0, 0, 1);
    glDisable(GL_FOG);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_POLYGON_OFFSET_POINT);
    glDisable(GL_AUTO_NORMAL);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);

    glGetFloatv(GL_MODELVIEW_MATRIX, viewMatrix);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 0);

    sphereMapping = 0;
    effectOn = 0;
    ResetToLevel0();
    // Culling starts off; the program turns it on with CullMode.
    cullMode = 0;
    glDisable(GL_CULL_FACE);
    textureOffsetU = textureOffsetV = 0.0f;
    if (renderer2D) renderer2D->SetTexture3D(-1, -1, 0, nullptr);
    SetCamera(0, 0, 0, 0, 0, -1);
}

void LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
            float upX, float upY, float upZ)
{
    float m[16];
    Mat4LookAt(eyeX, eyeY, eyeZ, targetX, targetY, targetZ, upX, upY, upZ, m);
    glLoadMatrixf(m);
}

void Dedudeve3D::SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                           float targetZ)
{
    cameraEye[0] = eyeX;
    cameraEye[1] = eyeY;
    cameraEye[2] = eyeZ;
    cameraTarget[0] = targetX;
    cameraTarget[1] = targetY;
    cameraTarget[2] = targetZ;
    LookAt(eyeX, eyeY, eyeZ, targetX, targetY, targetZ, cameraUp[0], cameraUp[1], cameraUp[2]);
    glGetFloatv(GL_MODELVIEW_MATRIX, viewMatrix);
    ResetToLevel0();
    ExtractFrustum();
}

void Dedudeve3D::SetCameraUp(float x, float y, float z)
{
    cameraUp[0] = x;
    cameraUp[1] = y;
    cameraUp[2] = z;
}

void Dedudeve3D::ExtractFrustum()
{
    float p[16], m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    FrustumPlanes(p, m, frustum);
}

bool Dedudeve3D::SphereInFrustum(float x, float y, float z, float radius) const
{
    for (const float* pl : frustum)
        if (pl[0] * x + pl[1] * y + pl[2] * z + pl[3] <= -radius) return false;
    return true;
}

void Dedudeve3D::BuildMatrix()
{
    if (level < 0 || level >= kLevelCount) return;
    MatrixLevel& L = levels[level];
    if (L.built == 1) return;
    // The counts come from the matrix commands; the arrays hold 16 each.
    const int matrices = std::clamp<int>(L.matrixCount, 0, MatrixLevel::kMaxItems);
    const int rotations = std::clamp<int>(L.rotationCount, 0, MatrixLevel::kMaxItems);
    for (int k = 0; k < matrices; ++k) Mat4Multiply(L.composed, L.matrices[k], L.composed);
    if (L.movement[0] != 0.0f || L.movement[1] != 0.0f || L.movement[2] != 0.0f) {
        float t[16];
        Mat4Translation(L.movement[0], L.movement[1], L.movement[2], t);
        Mat4Multiply(L.composed, t, L.composed);
    }
    // Multiplied last to first, so the first rotation given acts first.
    for (int k = rotations - 1; k >= 0; --k) {
        const MatrixLevel::Rotation& r = L.rotations[k];
        float rot[16];
        if (Mat4Rotation(r.angle, r.x, r.y, r.z, rot)) Mat4Multiply(L.composed, rot, L.composed);
    }
    if (L.scaling[0] != 1.0f || L.scaling[1] != 1.0f || L.scaling[2] != 1.0f) {
        float s[16];
        Mat4Scaling(L.scaling[0], L.scaling[1], L.scaling[2], s);
        Mat4Multiply(L.composed, s, L.composed);
    }
    L.built = 1;
}

void Dedudeve3D::TransformMatrix()
{
    BuildMatrix();
    if (level < 0 || level >= kLevelCount) return;
    GlMultMatrix(levels[level].composed);
}

void Dedudeve3D::ClearZBuffer() { glClear(GL_DEPTH_BUFFER_BIT); }

void Dedudeve3D::CullMode(int mode)
{
    cullMode = static_cast<std::int8_t>(mode);
    switch (mode) {
    case 0:
        glDisable(GL_CULL_FACE);
        break;
    case 1:
        glFrontFace(GL_CW);
        glEnable(GL_CULL_FACE);
        break;
    case -1:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        break;
    default:
        break; // stored, no GL state changes
    }
}

void Dedudeve3D::SetTextureOffset(float u, float v)
{
    textureOffsetU = u;
    textureOffsetV = v;
}

} // namespace __VELTRIC__
