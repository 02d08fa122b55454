// Debug markers drawn into the 3D scene: coordinate axes, dots, lines,
// oriented boxes and wire spheres. Each draws untextured and unlit and puts
// back the state it changed.
#include "engine3d/debug_draw.h"

#include <SDL_opengl.h>

#include "engine3d/colour_rgb.h"
#include "engine3d/dedudeve3d.h"
#include "media/gl_matrix.h"
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {

namespace {

// Lighting is off while a marker is drawn and back on afterwards when any
// light is enabled.
class LightingOff {
public:
    explicit LightingOff(const Dedudeve3D& r) : m_on(r.lightMask != 0)
    {
        if (m_on) glDisable(GL_LIGHTING);
    }
    void Restore()
    {
        if (m_on) glEnable(GL_LIGHTING);
    }

private:
    bool m_on;
};

void SetColour(unsigned long colour)
{
    const ColourRgb c = SplitColour(colour);
    glColor3f(c.r, c.g, c.b);
}

void WhiteAgain(const Dedudeve3D& r)
{
    glColor4f(1, 1, 1, r.renderer2D ? r.renderer2D->m_alpha : 1.0f);
}

void NoTextures(const Dedudeve3D& r)
{
    if (r.renderer2D) r.renderer2D->SetTexture3D(-1, -1, 0, nullptr);
}

struct LineLoopEmitter {
    void operator()(const float* a, const float* b, const float* c) const
    {
        glBegin(GL_LINE_LOOP);
        glVertex3fv(a);
        glVertex3fv(b);
        glVertex3fv(c);
        glEnd();
    }
};

} // namespace

void SubdivideSphereGrid(float* centre, float radius, float* e1, float* e2, float* e3, int depth)
{
    LineLoopEmitter emit;
    SubdivideSphereFace(centre, radius, e1, e2, e3, depth, emit);
}

void Dedudeve3D::DrawCoordAxis(float x, float y, float z)
{
    // World coordinates whatever the model-matrix level holds.
    glPushMatrix();
    glLoadMatrixf(viewMatrix);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LINE_SMOOTH);
    const bool textured = renderer2D && renderer2D->m_texFirst >= 0;
    if (textured) glDisable(GL_TEXTURE_2D);
    LightingOff lighting(*this);
    GlTranslate(x, y, z);
    GlScale(20, 20, 20);

    static const float kArrows[3][8][3] = {
        {{0, 0, 0}, {1, 0, 0}, {0.75f, 0.25f, 0}, {0.75f, -0.25f, 0}, {1, 0, 0},
         {0.75f, 0, 0.25f}, {0.75f, 0, -0.25f}, {1, 0, 0}},
        {{0, 0, 0}, {0, 1, 0}, {0, 0.75f, 0.25f}, {0, 0.75f, -0.25f}, {0, 1, 0},
         {0.25f, 0.75f, 0}, {-0.25f, 0.75f, 0}, {0, 1, 0}},
        {{0, 0, 0}, {0, 0, 1}, {0.25f, 0, 0.75f}, {-0.25f, 0, 0.75f}, {0, 0, 1},
         {0, 0.25f, 0.75f}, {0, -0.25f, 0.75f}, {0, 0, 1}}};
    static const unsigned long kColours[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    for (int a = 0; a < 3; ++a) {
        SetColour(kColours[a]);
        glBegin(GL_LINE_STRIP);
        for (const float* v : kArrows[a]) glVertex3fv(v);
        glEnd();
    }

    lighting.Restore();
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_COLOR_MATERIAL);
    if (textured) glEnable(GL_TEXTURE_2D);
    WhiteAgain(*this);
    glPopMatrix();
}

void Dedudeve3D::DrawDot(const float* p, unsigned long colour, float size)
{
    glPushMatrix();
    glEnable(GL_COLOR_MATERIAL);
    SetColour(colour);
    glEnable(GL_POINT_SMOOTH);
    LightingOff lighting(*this);
    NoTextures(*this);
    glPointSize(size);
    glBegin(GL_POINTS);
    glVertex3fv(p);
    glEnd();
    glPointSize(1);
    glDisable(GL_POINT_SMOOTH);
    WhiteAgain(*this);
    glDisable(GL_COLOR_MATERIAL);
    lighting.Restore();
    glPopMatrix();
}

void Dedudeve3D::DrawLine(const float* p, const float* q, unsigned long colour, float width)
{
    glPushMatrix();
    glEnable(GL_COLOR_MATERIAL);
    SetColour(colour);
    glEnable(GL_LINE_SMOOTH);
    LightingOff lighting(*this);
    NoTextures(*this);
    glLineWidth(width);
    glBegin(GL_LINES);
    glVertex3fv(p);
    glVertex3fv(q);
    glEnd();
    glLineWidth(1);
    glDisable(GL_LINE_SMOOTH);
    WhiteAgain(*this);
    glDisable(GL_COLOR_MATERIAL);
    lighting.Restore();
    glPopMatrix();
}

void Dedudeve3D::DrawAABB(const float* centre, const float* a, const float* b, const float* c,
                          unsigned long colour, short width)
{
    NoTextures(*this);
    glDisable(GL_BLEND);
    glEnable(GL_COLOR_MATERIAL);
    glLineWidth(width);
    glPushMatrix();
    SetColour(colour);
    LightingOff lighting(*this);
    // Corner (i, j, k) is centre + (2i-1) a + (2j-1) b + (2k-1) c; each edge
    // joins two corners that differ in one index. The first three edges run
    // from centre - a - b - c.
    auto corner = [&](int i, int j, int k, float out[3]) {
        for (int n = 0; n < 3; ++n)
            out[n] = centre[n] + (2 * i - 1) * a[n] + (2 * j - 1) * b[n] + (2 * k - 1) * c[n];
    };
    glBegin(GL_LINES);
    for (int u = 0; u < 2; ++u)
        for (int v = 0; v < 2; ++v)
            for (int axis = 0; axis < 3; ++axis) {
                int from[3], to[3];
                from[axis] = 0;
                to[axis] = 1;
                from[(axis + 1) % 3] = to[(axis + 1) % 3] = u;
                from[(axis + 2) % 3] = to[(axis + 2) % 3] = v;
                float p[3], q[3];
                corner(from[0], from[1], from[2], p);
                corner(to[0], to[1], to[2], q);
                glVertex3fv(p);
                glVertex3fv(q);
            }
    glEnd();
    glLineWidth(1);
    glDisable(GL_COLOR_MATERIAL);
    glPopMatrix();
    lighting.Restore();
    WhiteAgain(*this);
}

void Dedudeve3D::DrawSphereGrid(float* centre, float radius, unsigned long colour, short width)
{
    LightingOff lighting(*this);
    NoTextures(*this);
    glDisable(GL_BLEND);
    glEnable(GL_COLOR_MATERIAL);
    glLineWidth(width);
    glPushMatrix();
    SetColour(colour);
    LineLoopEmitter emit;
    SphereGridTriangles(centre, radius, emit);
    glLineWidth(1);
    glDisable(GL_COLOR_MATERIAL);
    glPopMatrix();
    lighting.Restore();
    WhiteAgain(*this);
}

} // namespace __VELTRIC__
