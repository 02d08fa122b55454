// Fonts and text: the built-in font picture, font loading, glyph sizes and
// the text routines, which put one quad per character into the renderer's
// text vertex queue and draw it with one call. Characters are single bytes,
// taken unsigned.
#include <SDL_opengl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "media/drawing.h"
#include "media/fonts.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {

void OPENGL_IMAGE::MakeDefFont()
{
    if (!SetSize(128, 64)) return;
    std::memset(pixels, 0, static_cast<std::size_t>(128) * 64 * 4);
    auto px = [this](int x, int y) { return pixels + (static_cast<std::size_t>(y) * 128 + x) * 4; };
    for (int code = 32; code < 128; ++code) {
        const std::uint32_t bits = kDefaultGlyphs[code - 32];
        const int cx = 8 * (code & 15), cy = 8 * (code >> 4);
        auto dot = [bits](int dx, int dy) {
            return dx >= 0 && dx < 5 && dy >= 0 && dy < 6 && ((bits >> (dy * 5 + dx)) & 1);
        };
        // Cell pixel (x, y) shows dot (x - 1, y - 1); pixels beside a dot
        // form a dark outline that keeps text readable on light ground.
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 7; ++x) {
                std::uint8_t* p = px(cx + x, cy + y);
                const int dx = x - 1, dy = y - 1;
                if (dot(dx, dy)) {
                    p[0] = p[1] = p[2] = p[3] = 255;
                } else if (dot(dx - 1, dy) || dot(dx + 1, dy) || dot(dx, dy - 1) || dot(dx, dy + 1)) {
                    p[0] = p[1] = p[2] = 8;
                    p[3] = 255;
                }
            }
        }
    }
}

std::uint8_t OpenGLDedudeve::LoadFont(int n, const char* file)
{
    if (!IsFontNumber(n)) return 0;
    return LoadSprite(FontSprite(n), file, m_fontColorKey, false);
}

void OpenGLDedudeve::DefaultFont(int n)
{
    if (!IsFontNumber(n) || !m_sprites) return;
    const int sprite = FontSprite(n);
    OPENGL_IMAGE img;
    img.MakeDefFont();
    if (!img.pixels) return;
    SpriteRecord& s = m_sprites[sprite];
    // The old font's alpha cache describes another picture.
    if (m_alphaCache) {
        std::free(m_alphaCache[sprite]);
        m_alphaCache[sprite] = nullptr;
    }
    if (!MakeTexture(img, 0, 0, 0, 0, &s.texture, nullptr, false, true)) return;
    s.texWidth = 128;
    s.texHeight = 64;
    s.imgWidth = 128;
    s.imgHeight = 64;
}

void OpenGLDedudeve::GetFontSize(int n, int& w, int& h) const
{
    w = h = 0;
    if (!IsFontNumber(n) || !m_sprites) return;
    const SpriteRecord& s = m_sprites[FontSprite(n)];
    w = s.imgWidth / 16;
    h = s.imgHeight / 8;
    if (s.imgHeight > s.imgWidth) h /= 2;
}

namespace {

// Texture-space size of one glyph cell and how codes fold onto the grid.
struct GlyphSteps {
    float uw, vh;
    int cellW, cellH;
    int modulus, topRow;
};

GlyphSteps StepsOf(const SpriteRecord& s)
{
    const FontGrid g = FontGridOf(s.imgWidth, s.imgHeight);
    GlyphSteps st;
    st.uw = (static_cast<float>(s.imgWidth) / s.texWidth) * 0.0625f;
    st.vh = (static_cast<float>(s.imgHeight) / s.texHeight) * (g.rows == 16 ? 0.0625f : 0.125f);
    st.cellW = g.cellW;
    st.cellH = g.cellH;
    st.modulus = g.glyphs;
    st.topRow = g.rows - 1;
    return st;
}

} // namespace

void OpenGLDedudeve::Text2D(int font, const char* text, float x, float y, float z)
{
    if (!text || !*text || !IsFontNumber(font) || !m_sprites) return;
    const std::size_t len = std::strlen(text);
    if (len > static_cast<std::size_t>(1 << 28)) return;
    SetTexture3D(FontSprite(font), -1, 0, nullptr);
    const GlyphSteps st = StepsOf(m_sprites[FontSprite(font)]);
    float x0 = std::ceil(x);
    const float y0 = std::ceil(y);
    m_textVertices.Clear();
    if (!m_textVertices.AllocAtLeast(static_cast<int>(4 * len))) return;
    for (std::size_t i = 0; i < len; ++i) {
        const int k = static_cast<unsigned char>(text[i]) % st.modulus;
        const float u = st.uw * (k & 15);
        const float v = (st.topRow - (k >> 4)) * st.vh;
        m_textVertices.Push(TextVertex{x0, y0 + st.cellH, z, u, v});
        m_textVertices.Push(TextVertex{x0 + st.cellW, y0 + st.cellH, z, u + st.uw, v});
        m_textVertices.Push(TextVertex{x0 + st.cellW, y0, z, u + st.uw, v + st.vh});
        m_textVertices.Push(TextVertex{x0, y0, z, u, v + st.vh});
        x0 += st.cellW;
    }
    // The queue's quads as one immediate-mode primitive: the same quads as
    // drawing the queue as an array, but a run of text and sprites stays
    // one batch of the GL, where an array draw would end it.
    const TextVertex* v = m_textVertices.Items();
    glBegin(GL_QUADS);
    for (int i = 0, n = m_textVertices.Count(); i < n; ++i) {
        glTexCoord2f(v[i].u, v[i].v);
        if (z == 0.0f)
            glVertex2f(v[i].x, v[i].y);
        else
            glVertex3f(v[i].x, v[i].y, v[i].z);
    }
    glEnd();
}

void OpenGLDedudeve::Text3D(int font, const char* text, float x, float y, float z, float size)
{
    if (!text || !IsFontNumber(font) || !m_sprites) return;
    const GLboolean cull = glIsEnabled(GL_CULL_FACE);
    const GLboolean lighting = glIsEnabled(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    GLfloat M[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, M);
    const SpriteRecord& s = m_sprites[FontSprite(font)];
    const std::size_t len = std::strlen(text);
    const int cellW = s.imgWidth >> 4;

    if (size == 0.0f) {
        // Text facing the screen, centred on the projected point with its
        // bottom edge on the point's row.
        GLfloat P[16];
        GLint vp[4];
        glGetFloatv(GL_PROJECTION_MATRIX, P);
        glGetIntegerv(GL_VIEWPORT, vp);
        float e[4], c[4];
        const float in[4] = {x, y, z, 1.0f};
        for (int r = 0; r < 4; ++r)
            e[r] = M[r] * in[0] + M[4 + r] * in[1] + M[8 + r] * in[2] + M[12 + r] * in[3];
        for (int r = 0; r < 4; ++r)
            c[r] = P[r] * e[0] + P[4 + r] * e[1] + P[8 + r] * e[2] + P[12 + r] * e[3];
        if (c[3] != 0.0f) {
            const float nx = c[0] / c[3], ny = c[1] / c[3], nz = c[2] / c[3];
            const float wx = vp[0] + (nx + 1.0f) * vp[2] * 0.5f;
            const float wy = vp[3] - (vp[1] + (ny + 1.0f) * vp[3] * 0.5f);
            const float wz = -nz;
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glLoadIdentity();
            glOrtho(0, m_viewW, m_viewH, 0, -1, 1);
            glMatrixMode(GL_MODELVIEW);
            glPushMatrix();
            glLoadIdentity();
            Text2D(font, text, wx - len * cellW * 0.5f - vp[0], wy - (s.imgHeight >> 3) + vp[1], wz);
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();
        }
    } else if (len > 0 && len <= static_cast<std::size_t>(1 << 28)) {
        // Square glyph quads in the scene, turned towards the camera, the
        // baseline centred on the point.
        SetTexture3D(FontSprite(font), -1, 0, nullptr);
        const GlyphSteps st = StepsOf(s);
        const float side = cellW * size;
        const float S[3] = {M[0] * side, M[4] * side, M[8] * side};
        const float T[3] = {M[1] * side, M[5] * side, M[9] * side};
        float p[3] = {x - S[0] * (len / 2.0f), y - S[1] * (len / 2.0f), z - S[2] * (len / 2.0f)};
        m_textVertices.Clear();
        if (m_textVertices.AllocAtLeast(static_cast<int>(4 * len))) {
            for (std::size_t i = 0; i < len; ++i) {
                const int k = static_cast<unsigned char>(text[i]) % st.modulus;
                const float u = st.uw * (k & 15);
                const float v = (st.topRow - (k >> 4)) * st.vh;
                m_textVertices.Push(TextVertex{p[0], p[1], p[2], u, v});
                m_textVertices.Push(TextVertex{p[0] + S[0], p[1] + S[1], p[2] + S[2], u + st.uw, v});
                m_textVertices.Push(TextVertex{p[0] + S[0] + T[0], p[1] + S[1] + T[1],
                                               p[2] + S[2] + T[2], u + st.uw, v + st.vh});
                m_textVertices.Push(TextVertex{p[0] + T[0], p[1] + T[1], p[2] + T[2], u, v + st.vh});
                for (int a = 0; a < 3; ++a) p[a] += S[a];
            }
            DrawVertexArray(GL_QUADS);
        }
    }
    if (cull) glEnable(GL_CULL_FACE);
    if (lighting) glEnable(GL_LIGHTING);
}

} // namespace __VELTRIC__
