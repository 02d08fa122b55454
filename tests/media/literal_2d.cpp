#include "literal_2d.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

#include "media/commands2d.h"
#include "media/gl_extensions.h"
#include "media/sprite_record.h"

namespace literal2d {

using namespace __VELTRIC__;

namespace {

// While a shape is drawn for the outline, the window rectangle its vertices
// span (GL window coordinates, rows from the bottom).
struct Span {
    bool recording = false, any = false;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
} g_span;

// The GL's matrices and viewport, read before glBegin (the GL answers no
// query between glBegin and glEnd).
struct Transform {
    GLfloat m[16], p[16];
    GLint vp[4];
} g_transform;

void Begin(GLenum mode)
{
    if (g_span.recording) {
        glGetFloatv(GL_MODELVIEW_MATRIX, g_transform.m);
        glGetFloatv(GL_PROJECTION_MATRIX, g_transform.p);
        glGetIntegerv(GL_VIEWPORT, g_transform.vp);
    }
    glBegin(mode);
}

void Note(float x, float y, float z)
{
    const GLfloat *m = g_transform.m, *p = g_transform.p;
    const GLint* vp = g_transform.vp;
    float e[4], c[4];
    const float in[4] = {x, y, z, 1.0f};
    for (int i = 0; i < 4; ++i) e[i] = m[i] * in[0] + m[4 + i] * in[1] + m[8 + i] * in[2] + m[12 + i] * in[3];
    for (int i = 0; i < 4; ++i) c[i] = p[i] * e[0] + p[4 + i] * e[1] + p[8 + i] * e[2] + p[12 + i] * e[3];
    if (c[3] == 0.0f) return;
    const float wx = vp[0] + (c[0] / c[3] + 1.0f) * vp[2] * 0.5f;
    const float wy = vp[1] + (c[1] / c[3] + 1.0f) * vp[3] * 0.5f;
    if (!g_span.any) {
        g_span.x0 = g_span.x1 = wx;
        g_span.y0 = g_span.y1 = wy;
        g_span.any = true;
    }
    g_span.x0 = std::min(g_span.x0, wx);
    g_span.x1 = std::max(g_span.x1, wx);
    g_span.y0 = std::min(g_span.y0, wy);
    g_span.y1 = std::max(g_span.y1, wy);
}

void Vertex(float x, float y)
{
    if (g_span.recording) Note(x, y, 0.0f);
    glVertex2f(x, y);
}

void Vertex(float x, float y, float z)
{
    if (g_span.recording) Note(x, y, z);
    glVertex3f(x, y, z);
}

const SpriteRecord* Sprite(OpenGLDedudeve& r, int n)
{
    return IsSpriteNumber(n) && r.m_sprites ? &r.m_sprites[n] : nullptr;
}

// SetTexture3D(n, -1, 0, null), then the filters from the smooth-shading flag.
void SelectSprite(OpenGLDedudeve& r, int n)
{
    SetTexture3D(r, n);
    const GLint f = r.m_smoothShading ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
}

// Tile k of a sprite cut into tiles: its size and texture rectangle.
struct Tile {
    int tw, th;
    float s0, s1, tb, tt;
};

bool TileOf(const SpriteRecord& s, int k, Tile& t)
{
    t.tw = s.tileWidth;
    t.th = s.tileHeight;
    if (t.tw == 0 || t.th == 0 || s.imgWidth < t.tw || s.imgHeight < t.th || k < 0) return false;
    const int cols = s.imgWidth / t.tw;
    if (k >= cols * (s.imgHeight / t.th)) return false;
    const int col = k % cols, row = k / cols;
    t.s0 = static_cast<float>(col * t.tw) / s.texWidth;
    t.s1 = t.s0 + static_cast<float>(t.tw) / s.texWidth;
    t.tb = static_cast<float>(s.imgHeight - (row + 1) * t.th) / s.texHeight;
    t.tt = t.tb + static_cast<float>(t.th) / s.texHeight;
    return true;
}

void PrimitiveColour(OpenGLDedudeve& r, unsigned long c)
{
    const GLubyte a = static_cast<std::uint32_t>(c) == r.m_colorKey
                          ? 0
                          : static_cast<GLubyte>(static_cast<int>(255.0f * r.m_alpha) % 256);
    glColor4ub(static_cast<GLubyte>(c & 0xFF), static_cast<GLubyte>((c >> 8) & 0xFF),
               static_cast<GLubyte>((c >> 16) & 0xFF), a);
}

// Colour, texturing off, the alpha test off and the projection moved to the
// pixel centres; EndPrimitive undoes the last two.
void BeginPrimitive(OpenGLDedudeve& r, unsigned long c, Look look)
{
    if (look == Look::Drawn) {
        PrimitiveColour(r, c);
        SetTexture3D(r, -1);
        glDisable(GL_ALPHA_TEST);
    }
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslatef(0.375f, 0.375f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

void EndPrimitive(Look look)
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (look == Look::Drawn) glEnable(GL_ALPHA_TEST);
}

} // namespace

void SetTexture3D(OpenGLDedudeve& r, int n)
{
    const SpriteRecord* s = n >= 0 ? Sprite(r, n) : nullptr;
    if (!glActiveTextureArb) {
        if (n < 0) {
            glDisable(GL_TEXTURE_2D);
            glEnable(GL_COLOR_MATERIAL);
        } else {
            glBindTexture(GL_TEXTURE_2D, s ? s->texture : 0);
            glEnable(GL_TEXTURE_2D);
        }
        return;
    }
    glActiveTextureArb(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureArb(GL_TEXTURE0_ARB);
    if (n < 0) {
        glDisable(GL_TEXTURE_2D);
    } else {
        glBindTexture(GL_TEXTURE_2D, s ? s->texture : 0);
        glEnable(GL_TEXTURE_2D);
    }
}

void DrawQuad(const float q[16], Look look)
{
    if (look == Look::Drawn) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    Begin(GL_TRIANGLE_FAN);
    for (int k = 0; k < 4; ++k) {
        glTexCoord2f(q[4 * k + 2], q[4 * k + 3]);
        Vertex(q[4 * k], q[4 * k + 1]);
    }
    glEnd();
    if (look == Look::Drawn) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
}

void DrawSprite(OpenGLDedudeve& r, int n, int x, int y, Look look)
{
    const SpriteRecord* s = Sprite(r, n);
    if (!s) return;
    if (look == Look::Drawn) SelectSprite(r, n);
    const int iw = s->imgWidth, ih = s->imgHeight;
    const float smax = static_cast<float>(iw) / s->texWidth, tmax = static_cast<float>(ih) / s->texHeight;
    Begin(GL_QUADS);
    glTexCoord2f(smax, tmax);
    Vertex(static_cast<float>(x + iw), static_cast<float>(y));
    glTexCoord2f(0, tmax);
    Vertex(static_cast<float>(x), static_cast<float>(y));
    glTexCoord2f(0, 0);
    Vertex(static_cast<float>(x), static_cast<float>(y + ih));
    glTexCoord2f(smax, 0);
    Vertex(static_cast<float>(x + iw), static_cast<float>(y + ih));
    glEnd();
}

void StretchSprite(OpenGLDedudeve& r, int n, int x, int y, int w, int h, Look look)
{
    const SpriteRecord* s = Sprite(r, n);
    if (!s) return;
    if (look == Look::Drawn) SelectSprite(r, n);
    const float smax = static_cast<float>(s->imgWidth) / s->texWidth;
    const float tmax = static_cast<float>(s->imgHeight) / s->texHeight;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float q[16] = {fx, fy + fh, 0, 0, fx + fw, fy + fh, smax, 0, fx + fw, fy, smax, tmax, fx, fy, 0, tmax};
    const bool mirrored = (w < 0) != (h < 0);
    if (mirrored) glFrontFace(GL_CW);
    DrawQuad(q, look);
    if (mirrored) glFrontFace(GL_CCW);
}

void ZoomSprite(OpenGLDedudeve& r, int n, int x, int y, double sx, double sy, Look look)
{
    const SpriteRecord* s = Sprite(r, n);
    if (!s) return;
    const double iw = s->imgWidth, ih = s->imgHeight;
    StretchSprite(r, n, static_cast<int>(x + (iw * sx - iw) * -0.5), static_cast<int>(y + (ih * sy - ih) * -0.5),
                  static_cast<int>(iw * sx), static_cast<int>(ih * sy), look);
}

void RotoSprite(OpenGLDedudeve& r, int n, int x, int y, float angle, float scale, Look look)
{
    const SpriteRecord* s = Sprite(r, n);
    if (!s) return;
    if (look == Look::Drawn) SelectSprite(r, n);
    const int iw = s->imgWidth, ih = s->imgHeight;
    const float tw = s->texWidth, th = s->texHeight;
    const float smin = 0.5f / tw, smax = (iw - 0.5f) / tw;
    const float tmin = 0.5f / th, tmax = (ih - 0.5f) / th;
    const float hx = iw * scale * 0.5f, hy = ih * scale * 0.5f;
    glPushMatrix();
    glTranslatef(static_cast<float>(x + (iw >> 1)), static_cast<float>(y + (ih >> 1)), 0.0f);
    glRotatef(angle, 0.0f, 0.0f, -1.0f);
    const float q[16] = {-hx, hy, smin, tmin, hx, hy, smax, tmin, hx, -hy, smax, tmax, -hx, -hy, smin, tmax};
    DrawQuad(q, look);
    glPopMatrix();
}

void DrawTile(OpenGLDedudeve& r, int n, int tile, int x, int y, Look look)
{
    const SpriteRecord* s = Sprite(r, n);
    Tile t;
    if (!s || !TileOf(*s, tile, t)) return;
    if (look == Look::Drawn) SelectSprite(r, n);
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    Begin(GL_QUADS);
    glTexCoord2f(t.s1, t.tt);
    Vertex(fx + t.tw, fy);
    glTexCoord2f(t.s0, t.tt);
    Vertex(fx, fy);
    glTexCoord2f(t.s0, t.tb);
    Vertex(fx, fy + t.th);
    glTexCoord2f(t.s1, t.tb);
    Vertex(fx + t.tw, fy + t.th);
    glEnd();
}

void StretchTile(OpenGLDedudeve& r, int n, int tile, int x, int y, int w, int h, Look look)
{
    const SpriteRecord* s = Sprite(r, n);
    Tile t;
    if (!s || !TileOf(*s, tile, t)) return;
    if (look == Look::Drawn) SelectSprite(r, n);
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    // The far edges 0.1 pixel further out.
    const float q[16] = {fx,        fy,        t.s0, t.tt, fx,        fy + fh + 0.1f, t.s0, t.tb,
                         fx + fw + 0.1f, fy + fh + 0.1f, t.s1, t.tb, fx + fw + 0.1f, fy, t.s1, t.tt};
    DrawQuad(q, look);
}

void RotoZoomTile(OpenGLDedudeve& r, int n, int tile, int x, int y, float angle, float scale, Look look)
{
    const SpriteRecord* s = Sprite(r, n);
    Tile t;
    if (!s || !TileOf(*s, tile, t)) return;
    if (look == Look::Drawn) SelectSprite(r, n);
    const float hx = t.tw * (scale * 0.5f), hy = scale * 0.5f * t.th;
    const float rad = angle * 0.017453292f;
    const float sn = sinf(rad), cs = cosf(rad);
    const float cx = static_cast<float>(x + t.tw / 2), cy = static_cast<float>(y + t.th / 2);
    const float q[16] = {
        ceilf(cx - hx * cs - hy * sn), ceilf(cy - hy * cs + hx * sn), t.s0, t.tt,
        ceilf(cx - hx * cs + hy * sn), ceilf(cy + hy * cs + hx * sn), t.s0, t.tb,
        ceilf(cx + hx * cs + hy * sn), ceilf(cy + hy * cs - hx * sn), t.s1, t.tb,
        ceilf(cx + hx * cs - hy * sn), ceilf(cy - hy * cs - hx * sn), t.s1, t.tt,
    };
    DrawQuad(q, look);
}

void DrawPixel(OpenGLDedudeve& r, int x, int y, unsigned long c, Look look)
{
    BeginPrimitive(r, c, look);
    Begin(GL_POINTS);
    Vertex(static_cast<float>(x), static_cast<float>(y));
    glEnd();
    EndPrimitive(look);
    if (look == Look::Drawn) glColor4f(1.0f, 1.0f, 1.0f, r.m_alpha);
}

void DrawLine(OpenGLDedudeve& r, int x1, int y1, int x2, int y2, unsigned long c, Look look)
{
    BeginPrimitive(r, c, look);
    Begin(GL_LINES);
    Vertex(static_cast<float>(x1), static_cast<float>(y1));
    Vertex(static_cast<float>(x2), static_cast<float>(y2));
    glEnd();
    Begin(GL_POINTS);
    Vertex(static_cast<float>(x2), static_cast<float>(y2));
    glEnd();
    EndPrimitive(look);
    if (look == Look::Drawn)
        glColor4ub(255, 255, 255, static_cast<GLubyte>(static_cast<int>(255.0f * r.m_alpha) % 256));
}

void DrawRect(OpenGLDedudeve& r, int x, int y, int w, int h, unsigned long c, Look look)
{
    if (w < 0) {
        x = x + w + 1;
        w = -w;
    }
    if (h < 0) {
        y = y + h + 1;
        h = -h;
    }
    BeginPrimitive(r, c, look);
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float q[16] = {fx, fy + fh, 0, 0, fx + fw, fy + fh, 0, 0, fx + fw, fy, 0, 0, fx, fy, 0, 0};
    DrawQuad(q, look);
    EndPrimitive(look);
    if (look == Look::Drawn) glColor4f(1.0f, 1.0f, 1.0f, r.m_alpha);
}

void Text2D(OpenGLDedudeve& r, int font, const char* text, float x, float y, float z, Look look)
{
    const SpriteRecord* s = Sprite(r, kFirstFontSprite + font);
    if (!text || !*text || !s) return;
    if (look == Look::Drawn) SetTexture3D(r, kFirstFontSprite + font);
    const bool tall = s->imgWidth < s->imgHeight; // 16 rows of glyphs, else 8
    const float uw = (static_cast<float>(s->imgWidth) / s->texWidth) * 0.0625f;
    const float vh = (static_cast<float>(s->imgHeight) / s->texHeight) * (tall ? 0.0625f : 0.125f);
    const int cw = s->imgWidth >> 4, ch = tall ? s->imgHeight >> 4 : s->imgHeight >> 3;
    const int modulus = tall ? 256 : 128, top = tall ? 15 : 7;
    float x0 = ceilf(x);
    const float y0 = ceilf(y);
    Begin(GL_QUADS);
    for (const char* p = text; *p; ++p) {
        const int k = static_cast<unsigned char>(*p) % modulus;
        const float u = uw * (k & 15), v = (top - (k >> 4)) * vh;
        glTexCoord2f(u, v);
        Vertex(x0, y0 + ch, z);
        glTexCoord2f(u + uw, v);
        Vertex(x0 + cw, y0 + ch, z);
        glTexCoord2f(u + uw, v + vh);
        Vertex(x0 + cw, y0, z);
        glTexCoord2f(u, v + vh);
        Vertex(x0, y0, z);
        x0 += cw;
    }
    glEnd();
}

void AlphaMode(OpenGLDedudeve& r, double a)
{
    const float f = static_cast<float>(a);
    if (f == 0.0f) {
        glDisable(GL_BLEND);
        r.m_alpha = 1.0f;
        glColor4f(1, 1, 1, 1);
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, f > 0 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    r.m_alpha = std::min(std::fabs(f), 1.0f);
    glColor4f(1, 1, 1, r.m_alpha);
}

void Polygon(OpenGLDedudeve& r, int n, const std::vector<PolyCorner>& corners, Look look)
{
    const SpriteRecord* s = n >= 0 ? Sprite(r, n) : nullptr;
    if (look == Look::Drawn) {
        SetTexture3D(r, s ? n : -1);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_DITHER);
        glShadeModel(GL_SMOOTH);
        const GLint f = r.m_smoothShading ? GL_LINEAR : GL_NEAREST;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
    }
    Begin(GL_TRIANGLE_FAN);
    for (const PolyCorner& p : corners) {
        if (look == Look::Drawn) {
            // u, v in image pixels from the top left.
            if (s) glTexCoord2f(p.u / float(s->texWidth), (s->imgHeight - float(p.v)) / s->texHeight);
            glColor4f((p.c & 0xFF) / 255.0f, ((p.c >> 8) & 0xFF) / 255.0f, ((p.c >> 16) & 0xFF) / 255.0f,
                      static_cast<std::uint32_t>(p.c) == r.m_colorKey ? 0.0f : r.m_alpha);
        }
        Vertex(static_cast<float>(p.x), static_cast<float>(p.y));
    }
    glEnd();
    if (look == Look::Drawn) {
        glShadeModel(GL_FLAT);
        glEnable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, r.m_alpha);
        glDisable(GL_DITHER);
        glDisable(GL_COLOR_MATERIAL);
    }
}

namespace cmd {

namespace {
OpenGLDedudeve& R() { return *__g_pRbow; }
} // namespace

// A draw that calls the command, or draws with its literal sequence (the
// picture or the bare shape).
template <class Command, class Literal> Draw Both(Command command, Literal literal)
{
    return [=](Way w) {
        if (w == Way::Commands)
            command();
        else
            literal(w == Way::Shape ? Look::Shape : Look::Drawn);
    };
}

Draw DRAWSPRITE(int n, int x, int y)
{
    // The position passes through a float.
    return Both([=] { __VELTRIC__::DRAWSPRITE(n, x, y); }, [=](Look l) {
        DrawSprite(R(), n, static_cast<int>(static_cast<float>(x)), static_cast<int>(static_cast<float>(y)), l);
    });
}

Draw STRETCHSPRITE(int n, int x, int y, int wd, int ht)
{
    return Both([=] { __VELTRIC__::STRETCHSPRITE(n, x, y, wd, ht); },
                [=](Look l) { StretchSprite(R(), n, x, y, wd, ht, l); });
}

Draw ZOOMSPRITE(int n, int x, int y, double sx, double sy)
{
    return Both([=] { __VELTRIC__::ZOOMSPRITE(n, x, y, sx, sy); },
                [=](Look l) { ZoomSprite(R(), n, x, y, sx, sy, l); });
}

Draw ROTOSPRITE(int n, int x, int y, double angle)
{
    return Both([=] { __VELTRIC__::ROTOSPRITE(n, x, y, angle); },
                [=](Look l) { RotoSprite(R(), n, x, y, static_cast<float>(angle), 1.0f, l); });
}

Draw ROTOZOOMSPRITE(int n, int x, int y, double angle, double scale)
{
    return Both([=] { __VELTRIC__::ROTOZOOMSPRITE(n, x, y, angle, scale); }, [=](Look l) {
        RotoSprite(R(), n, x, y, static_cast<float>(angle), static_cast<float>(scale), l);
    });
}

Draw DRAWANIM(int n, int tile, int x, int y)
{
    return Both([=] { __VELTRIC__::DRAWANIM(n, tile, x, y); }, [=](Look l) { DrawTile(R(), n, tile, x, y, l); });
}

Draw STRETCHANIM(int n, int tile, int x, int y, int wd, int ht)
{
    return Both([=] { __VELTRIC__::STRETCHANIM(n, tile, x, y, wd, ht); },
                [=](Look l) { StretchTile(R(), n, tile, x, y, wd, ht, l); });
}

Draw ROTOZOOMANIM(int n, int tile, int x, int y, double angle, double scale)
{
    return Both([=] { __VELTRIC__::ROTOZOOMANIM(n, tile, x, y, angle, scale); }, [=](Look l) {
        RotoZoomTile(R(), n, tile, x, y, static_cast<float>(angle), static_cast<float>(scale), l);
    });
}

Draw DRAWLINE(int x1, int y1, int x2, int y2, int c)
{
    return Both([=] { __VELTRIC__::DRAWLINE(x1, y1, x2, y2, c); },
                [=](Look l) { DrawLine(R(), x1, y1, x2, y2, static_cast<unsigned int>(c), l); });
}

Draw SETPIXEL(int x, int y, int c)
{
    return Both([=] { __VELTRIC__::SETPIXEL(x, y, c); },
                [=](Look l) { DrawPixel(R(), x, y, static_cast<unsigned int>(c), l); });
}

Draw DRAWRECT(int x, int y, int wd, int ht, int c)
{
    return Both([=] { __VELTRIC__::DRAWRECT(x, y, wd, ht, c); },
                [=](Look l) { DrawRect(R(), x, y, wd, ht, static_cast<unsigned int>(c), l); });
}

Draw PRINT(const std::string& text, double x, double y)
{
    return Both([=] { __VELTRIC__::PRINT(DGStr(text.c_str()), x, y); }, [=](Look l) {
        Text2D(R(), __nCurFont, text.c_str(), static_cast<float>(x), static_cast<float>(y), 0.0f, l);
    });
}

Draw POLYGON(int n, const std::vector<PolyCorner>& corners)
{
    return Both(
        [=] {
            __VELTRIC__::STARTPOLY(n);
            for (const PolyCorner& p : corners) __VELTRIC__::POLYVECTOR(p.x, p.y, p.u, p.v, static_cast<int>(p.c));
            __VELTRIC__::ENDPOLY();
        },
        [=](Look l) { Polygon(R(), n, corners, l); });
}

Draw ALPHAMODE(double a)
{
    return [=](Way w) {
        if (w == Way::Commands)
            __VELTRIC__::ALPHAMODE(a);
        else if (w == Way::Literal)
            AlphaMode(R(), a);
    };
}

Draw SMOOTHSHADING(int on)
{
    return [=](Way w) {
        if (w == Way::Commands)
            __VELTRIC__::SMOOTHSHADING(on);
        else if (w == Way::Literal)
            R().m_smoothShading = on != 0 ? 1 : 0;
    };
}

} // namespace cmd

namespace {

// The per-frame 2D state, as the frame step leaves it.
void Reset(const Stage& stage)
{
    stage.r.Make2DViewport(0, 0, 0, 0);
    glDisable(GL_BLEND);
    stage.r.m_alpha = 1.0f;
    glColor4f(1, 1, 1, 1);
}

void ClearTo(const unsigned char c[3])
{
    glClearColor(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
}

} // namespace

Frame Shoot(const Stage& stage, const Scene& scene, Way way)
{
    Reset(stage);
    ClearTo(stage.background);
    for (const Draw& d : scene) d(way);
    Frame f;
    f.w = stage.w;
    f.h = stage.h;
    f.rgb.resize(static_cast<std::size_t>(f.w) * f.h * 3);
    std::vector<unsigned char> rows(f.rgb.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, f.w, f.h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const std::size_t row = static_cast<std::size_t>(f.w) * 3;
    for (int y = 0; y < f.h; ++y) std::copy_n(&rows[(f.h - 1 - y) * row], row, &f.rgb[y * row]);
    Reset(stage);
    return f;
}

Mask Outline(const Stage& stage, const Scene& scene)
{
    Mask m;
    m.w = stage.w;
    m.h = stage.h;
    m.on.assign(static_cast<std::size_t>(m.w) * m.h, 0);
    Reset(stage);
    const unsigned char black[3] = {0, 0, 0};
    std::vector<unsigned char> px;
    for (const Draw& d : scene) {
        ClearTo(black);
        SetTexture3D(stage.r, -1);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_CULL_FACE);
        glColor4f(1, 1, 1, 1);
        g_span = Span{};
        g_span.recording = true;
        d(Way::Shape);
        g_span.recording = false;
        if (!g_span.any) continue;
        // The rectangle the vertices span with 2 pixels to spare, in GL
        // window coordinates, within the window.
        const int x0 = std::max(0, static_cast<int>(std::floor(g_span.x0)) - 2);
        const int y0 = std::max(0, static_cast<int>(std::floor(g_span.y0)) - 2);
        const int x1 = std::min(m.w - 1, static_cast<int>(std::ceil(g_span.x1)) + 2);
        const int y1 = std::min(m.h - 1, static_cast<int>(std::ceil(g_span.y1)) + 2);
        if (x0 > x1 || y0 > y1) continue;
        const int w = x1 - x0 + 1, h = y1 - y0 + 1;
        px.assign(static_cast<std::size_t>(w) * h, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x0, y0, w, h, GL_RED, GL_UNSIGNED_BYTE, px.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        auto in = [&](int x, int y) { return px[static_cast<std::size_t>(y) * w + x] > 127; };
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                bool edge = false;
                for (int dy = -1; dy <= 1 && !edge; ++dy)
                    for (int dx = -1; dx <= 1 && !edge; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue; // off the window
                        edge = in(nx, ny) != in(x, y);
                    }
                if (edge) m.on[static_cast<std::size_t>(m.h - 1 - (y0 + y)) * m.w + x0 + x] = 1;
            }
    }
    Reset(stage);
    return m;
}

namespace {

bool WritePpm(const std::string& path, int w, int h, const std::function<void(int, int, unsigned char*)>& pixel)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    std::vector<unsigned char> row(static_cast<std::size_t>(w) * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) pixel(x, y, &row[static_cast<std::size_t>(x) * 3]);
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

std::string Colour(const unsigned char* c)
{
    char b[32];
    std::snprintf(b, sizeof b, "(%d, %d, %d)", c[0], c[1], c[2]);
    return b;
}

} // namespace

::testing::AssertionResult MatchAwayFromOutlines(const Frame& ours, const Frame& ref, const Mask& outline,
                                                 const std::string& name)
{
    if (ours.w != ref.w || ours.h != ref.h || outline.w != ref.w || outline.h != ref.h)
        return ::testing::AssertionFailure() << name << ": pictures of different sizes";
    long interior = 0, nearby = 0, neighbour = 0, wrong = 0, onOutline = 0, outlineDiffers = 0;
    std::ostringstream first;
    int listed = 0;
    for (int y = 0; y < ref.h; ++y)
        for (int x = 0; x < ref.w; ++x) {
            if (outline.at(x, y)) {
                const unsigned char *a = ours.at(x, y), *b = ref.at(x, y);
                ++onOutline;
                if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) ++outlineDiffers;
                continue;
            }
            ++interior;
            const unsigned char *a = ours.at(x, y), *b = ref.at(x, y);
            if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
            const char* kind = "differs";
            if (std::abs(a[0] - b[0]) <= 2 && std::abs(a[1] - b[1]) <= 2 && std::abs(a[2] - b[2]) <= 2) {
                ++nearby;
                kind = "within 2 levels";
            } else {
                bool seen = false;
                for (int dy = -1; dy <= 1 && !seen; ++dy)
                    for (int dx = -1; dx <= 1 && !seen; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= ref.w || ny >= ref.h) continue;
                        const unsigned char* c = ref.at(nx, ny);
                        seen = a[0] == c[0] && a[1] == c[1] && a[2] == c[2];
                    }
                if (seen) {
                    ++neighbour;
                    kind = "a neighbour's colour";
                } else {
                    ++wrong;
                }
            }
            if (listed < 12) {
                first << "\n  (" << x << ", " << y << ") from the top left: ours " << Colour(a) << ", reference "
                      << Colour(b) << " (" << kind << ")";
                ++listed;
            }
        }
    const long tolerated = nearby + neighbour;
    if (wrong == 0 && tolerated * 200 <= interior) return ::testing::AssertionSuccess();

    char cwd[4096] = "";
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    std::string base = name;
    for (char& c : base)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    const std::string stem = std::string(cwd) + "/" + base;
    const bool saved =
        WritePpm(stem + ".ours.ppm", ours.w, ours.h,
                 [&](int x, int y, unsigned char* p) { std::copy_n(ours.at(x, y), 3, p); }) &&
        WritePpm(stem + ".ref.ppm", ref.w, ref.h,
                 [&](int x, int y, unsigned char* p) { std::copy_n(ref.at(x, y), 3, p); }) &&
        WritePpm(stem + ".outline.ppm", ref.w, ref.h, [&](int x, int y, unsigned char* p) {
            p[0] = p[1] = p[2] = outline.at(x, y) ? 255 : 0;
        });
    return ::testing::AssertionFailure()
           << name << ": of " << interior << " pixels away from the outlines (" << onOutline << " on them, "
           << outlineDiffers << " of which differ) " << wrong << " differ and " << tolerated << " by a rounding ("
           << nearby << " within 2 levels, " << neighbour << " a neighbour's colour; at most " << interior / 200
           << " may)" << first.str() << (saved ? "\n  pictures: " : "\n  could not save the pictures as ") << stem
           << ".{ours,ref,outline}.ppm";
}

} // namespace literal2d
