// Polygons built vertex by vertex (STARTPOLY, POLYVECTOR, ENDPOLY) and drawn
// as one triangle fan from a client vertex array.
#include <SDL_opengl.h>

#include "media/drawing.h"
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {

Queue<PolyVertex> g_PolyPoints{128, 512};

void OpenGLDedudeve::StartPoly(int n)
{
    SetTexture3D(n, -1, 0, nullptr);
    g_PolyPoints.AllocAtLeast(9);
    g_PolyPoints.Clear();
}

void OpenGLDedudeve::PolyPoint(int x, int y, float u, float v, unsigned long c)
{
    PolyVertex p;
    p.x = static_cast<float>(x);
    p.y = static_cast<float>(y);
    p.s = p.t = 0.0f;
    if (g_nTexture >= 0 && IsSpriteNumber(g_nTexture) && m_sprites) {
        // u, v are image pixels from the top left; the image sits in the
        // texture's lower-left corner with its bottom row at t = 0.
        const SpriteRecord& s = m_sprites[g_nTexture];
        p.s = u / s.texWidth;
        p.t = (s.imgHeight - v) / s.texHeight;
    }
    p.r = static_cast<float>(c & 0xFF) / 255.0f;
    p.g = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
    p.b = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
    p.a = static_cast<std::uint32_t>(c) == m_colorKey ? 0.0f : m_alpha;
    g_PolyPoints.Push(p);
}

void OpenGLDedudeve::EndPoly()
{
    const int count = g_PolyPoints.Count();
    const PolyVertex* v = g_PolyPoints.Items();
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    const bool textured = g_nTexture >= 0;
    if (count > 0 && v) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(PolyVertex), &v->x);
        if (textured) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, sizeof(PolyVertex), &v->s);
        }
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, sizeof(PolyVertex), &v->r);
        ApplySmoothShading();
        glDrawArrays(GL_TRIANGLE_FAN, 0, count);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, m_alpha);
    glDisable(GL_DITHER);
    glDisable(GL_COLOR_MATERIAL);
}

} // namespace __VELTRIC__
