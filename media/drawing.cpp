// 2D drawing: texture selection (shared with the 3D renderer), sprites,
// tiles, untextured primitives, the vertex-array routine of the text queue
// and billboards. Coordinates are pixels of the current target, origin at
// the top left, y down (the projection of Make2DViewport). Sprite numbers
// outside the table draw nothing.
//
// Every command leaves the GL as its drawing rules describe it, so that a
// program's own GL calls between two commands meet that state: the
// matrices it found, textures that repeat, counter-clockwise front faces,
// the alpha test on. Within that, the draws change as little GL state as
// they can: the GL batches consecutive immediate-mode primitives until some
// state changes, and every change costs a draw of its own. So turned
// sprites are turned here and sent under the unchanged matrices, a sprite
// texture is never switched to GL_CLAMP_TO_EDGE and back (texture_clamp.h
// gives the same samples by geometry), and points and lines are moved to the
// pixel centres by their coordinates rather than by the projection.
#include <SDL_opengl.h>

#include <cmath>

#include "media/command_args.h"
#include "media/drawing.h"
#include "media/gl_extensions.h"
#include "media/opengl_dedudeve.h"
#include "media/texture_clamp.h"
#include "media/tile_area.h"
#include "media/turn.h"

namespace __VELTRIC__ {

int g_nTexture = -1;

bool GetTile(const SpriteRecord& s, int k, TileArea& t)
{
    t.tw = s.tileWidth;
    t.th = s.tileHeight;
    if (t.tw < 1 || t.th < 1 || s.imgWidth == 0 || s.imgHeight == 0) return false;
    const int cols = s.imgWidth / t.tw, rows = s.imgHeight / t.th;
    if (cols < 1 || rows < 1 || k < 0 || k >= cols * rows) return false;
    t.col = k % cols;
    t.row = k / cols;
    const float texW = s.texWidth, texH = s.texHeight;
    t.s0 = static_cast<float>(t.col * t.tw) / texW;
    t.s1 = t.s0 + static_cast<float>(t.tw) / texW;
    t.tb = static_cast<float>(s.imgHeight - (t.row + 1) * t.th) / texH;
    t.tt = t.tb + static_cast<float>(t.th) / texH;
    return true;
}

namespace {

// Alpha byte of an untextured primitive: the colour key draws transparent.
GLubyte PrimitiveAlpha(unsigned long c, std::uint32_t key, float alpha)
{
    if (static_cast<std::uint32_t>(c) == key) return 0;
    return static_cast<GLubyte>(static_cast<int>(255.0f * alpha) % 256);
}

void PrimitiveColour(unsigned long c, std::uint32_t key, float alpha)
{
    glColor4ub(static_cast<GLubyte>(c & 0xFF), static_cast<GLubyte>((c >> 8) & 0xFF),
               static_cast<GLubyte>((c >> 16) & 0xFF), PrimitiveAlpha(c, key, alpha));
}

// Alpha bytes this small fail the alpha test (alpha > 0.05); larger ones
// pass it anyway, so primitives switch the test off only for these.
bool AlphaTestHides(GLubyte alpha) { return alpha < 26; }

// The texture drawn with repeats again, as the sprite quads leave it. The
// GL takes a wrap mode it already has as no change at all.
void RepeatWrap()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

// The convex polygon of n corners as one GL_TRIANGLE_FAN, as the drawing
// rules send a quad. Fans of consecutive draws share the GL's batch.
void EmitFan(const Corner* c, int n, bool textured)
{
    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < n; ++i) {
        if (textured) glTexCoord2f(c[i].s, c[i].t);
        glVertex2f(c[i].x, c[i].y);
    }
    glEnd();
}

// The quad q (four corners in fan order) as a sprite quad draws it, with
// the texture coordinates of GL_CLAMP_TO_EDGE when it is filtered
// bilinearly: cut into pieces where it samples beyond the edge texels.
// `mirrored`: q runs clockwise (one negative side), so the front face
// follows it for the draw, or the culled 2D state would hide it. (Sending
// its corners the other way round instead would keep the batch, but moves
// the texel a pixel centre lying exactly on a texel edge takes under
// nearest filtering.)
void EmitSpriteQuad(const Corner q[4], const SpriteRecord& s, bool bilinear, bool mirrored)
{
    ClampPiece pieces[kMaxClampPieces];
    const int n = bilinear ? ClampedPieces(q, s.texWidth, s.texHeight, pieces) : 0;
    if (mirrored) glFrontFace(GL_CW);
    if (n == 0) {
        EmitFan(q, 4, true);
    } else {
        // The pieces as the triangles of their fans in one primitive: many
        // small fans in a row cost the GL more than their triangles.
        Corner t[3 * kMaxClampTriangles];
        const int k = PieceTriangles(pieces, n, t);
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < 3 * k; ++i) {
            glTexCoord2f(t[i].s, t[i].t);
            glVertex2f(t[i].x, t[i].y);
        }
        glEnd();
        // The current texture coordinates the quad's own fan leaves.
        glTexCoord2f(q[3].s, q[3].t);
    }
    if (mirrored) glFrontFace(GL_CCW);
    RepeatWrap();
}

// Finds tile `tile` of sprite n and binds the sprite's texture for drawing
// it; false (nothing bound) when the sprite or the tile does not exist.
bool BindTile(OpenGLDedudeve& gl, int n, int tile, TileArea& t)
{
    if (!IsSpriteNumber(n) || !gl.m_sprites) return false;
    if (!GetTile(gl.m_sprites[n], tile, t)) return false;
    gl.SetTexture3D(n, -1, 0, nullptr);
    gl.ApplySmoothShading();
    return true;
}

// How points and lines reach the pixel centres: the projection moved by
// 3/8 pixel. Where the model-view matrix moves vertices without turning or
// scaling them (the 2D state: the identity), moving the vertices by 3/8
// instead lands them on the same pixels and changes no matrix.
struct PixelCentres {
    bool byVertex;  // add kOffset to the coordinates
    bool unitPixel; // one unit of x is one pixel of the viewport (when asked)
};
constexpr float kOffset = 0.375f;

PixelCentres HowToReachCentres(bool askUnit)
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    PixelCentres c{false, false};
    c.byVertex = m[0] == 1 && m[1] == 0 && m[2] == 0 && m[3] == 0 && m[4] == 0 && m[5] == 1 && m[6] == 0 &&
                 m[7] == 0 && m[11] == 0 && m[15] == 1;
    if (!c.byVertex || !askUnit) return c;
    float p[16];
    GLint view[4] = {0, 0, 0, 0};
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetIntegerv(GL_VIEWPORT, view);
    const float kx = p[0] * 0.5f * static_cast<float>(view[2]);
    c.unitPixel = p[1] == 0 && p[3] == 0 && p[7] == 0 && p[15] == 1 && std::fabs(std::fabs(kx) - 1.0f) < 1e-3f;
    return c;
}

void BeginProjectionOffset()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslatef(kOffset, kOffset, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

void EndProjectionOffset()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// draw(xy, centres) with the n vertices xy moved to pixel centres, by
// their coordinates or by the projection (`askUnit`: whether a unit is a
// pixel matters to the draw). The alpha test is off while the colour's
// alpha would fail it, and on afterwards.
template <class Draw>
void DrawPrimitive(GLubyte alpha, float* xy, int n, bool askUnit, Draw draw)
{
    const bool alphaOff = AlphaTestHides(alpha);
    if (alphaOff) glDisable(GL_ALPHA_TEST);
    const PixelCentres c = HowToReachCentres(askUnit);
    if (c.byVertex) {
        for (int i = 0; i < 2 * n; ++i) xy[i] += kOffset;
        draw(xy, c);
        // The projection's way ends in the model-view mode; the GL takes the
        // mode it already has as no change.
        glMatrixMode(GL_MODELVIEW);
    } else {
        BeginProjectionOffset();
        draw(xy, c);
        EndProjectionOffset();
    }
    glEnable(GL_ALPHA_TEST);
}

} // namespace

void OpenGLDedudeve::SetTexture3D(int a, int b, int second, unsigned int* ids)
{
    g_nTexture = a;
    m_texFirst = a;
    m_texSecond = b;
    m_texUseSecond = second != 0;
    auto name = [&](int k) -> GLuint {
        if (ids) return ids[k];
        if (!IsSpriteNumber(k) || !m_sprites) return 0;
        return second ? m_sprites[k].texture2 : m_sprites[k].texture;
    };
    if (!glActiveTextureArb) {
        if (a < 0) {
            glDisable(GL_TEXTURE_2D);
            glEnable(GL_COLOR_MATERIAL);
        } else {
            glBindTexture(GL_TEXTURE_2D, name(a));
            glEnable(GL_TEXTURE_2D);
        }
        return;
    }
    // With two numbers the first texture lies on unit 1, the second on unit 0.
    if (a >= 0 && b >= 0) {
        glActiveTextureArb(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, name(a));
        glEnable(GL_TEXTURE_2D);
        m_unit1Off = false;
        glActiveTextureArb(GL_TEXTURE0_ARB);
    } else {
        // Switching units ends the GL's batch of immediate-mode primitives,
        // so the switch is skipped while unit 1 is known to be off and unit
        // 0 is active. Whatever turns unit 1 on elsewhere clears m_unit1Off.
        GLint active = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
        if (!m_unit1Off || active != GL_TEXTURE0_ARB) {
            glActiveTextureArb(GL_TEXTURE1_ARB);
            glDisable(GL_TEXTURE_2D);
            m_unit1Off = true;
            glActiveTextureArb(GL_TEXTURE0_ARB);
        }
    }
    if (a < 0) {
        glDisable(GL_TEXTURE_2D);
    } else {
        glBindTexture(GL_TEXTURE_2D, name(b >= 0 ? b : a));
        glEnable(GL_TEXTURE_2D);
    }
}

void OpenGLDedudeve::DeleteTexture(unsigned int& name)
{
    if (name) glDeleteTextures(1, &name);
    name = 0;
}

void OpenGLDedudeve::ApplySmoothShading()
{
    const GLint f = m_smoothShading ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
}

void OpenGLDedudeve::DrawQuad(const float* q)
{
    // The quads of pasted surfaces: few a frame, so the wrap mode is
    // switched for the draw as it stands.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(q[4 * i + 2], q[4 * i + 3]);
        glVertex2f(q[4 * i], q[4 * i + 1]);
    }
    glEnd();
    RepeatWrap();
}

void OpenGLDedudeve::DrawSprite(int n, int x, int y)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    SetTexture3D(n, -1, 0, nullptr);
    ApplySmoothShading();
    const SpriteRecord& s = m_sprites[n];
    const int iw = s.imgWidth, ih = s.imgHeight;
    const float smax = static_cast<float>(iw) / s.texWidth;
    const float tmax = static_cast<float>(ih) / s.texHeight;
    // The corners are summed in double: a position at the end of the int
    // range must not wrap round to the other side of the screen.
    const double X = x, Y = y;
    const float x0 = static_cast<float>(X), x1 = static_cast<float>(X + iw);
    const float y0 = static_cast<float>(Y), y1 = static_cast<float>(Y + ih);
    glBegin(GL_QUADS);
    glTexCoord2f(smax, tmax);
    glVertex2f(x1, y0);
    glTexCoord2f(0, tmax);
    glVertex2f(x0, y0);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y1);
    glTexCoord2f(smax, 0);
    glVertex2f(x1, y1);
    glEnd();
}

void OpenGLDedudeve::StretchSprite(int n, int x, int y, int w, int h)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    SetTexture3D(n, -1, 0, nullptr);
    ApplySmoothShading();
    const SpriteRecord& s = m_sprites[n];
    const float smax = static_cast<float>(s.imgWidth) / s.texWidth;
    const float tmax = static_cast<float>(s.imgHeight) / s.texHeight;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const Corner q[4] = {{fx, fy + fh, 0, 0}, {fx + fw, fy + fh, smax, 0}, {fx + fw, fy, smax, tmax}, {fx, fy, 0, tmax}};
    EmitSpriteQuad(q, s, m_smoothShading != 0, (w < 0) != (h < 0));
}

void OpenGLDedudeve::RotoSprite(int n, int x, int y, float angle, float scale)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    SetTexture3D(n, -1, 0, nullptr);
    ApplySmoothShading();
    const SpriteRecord& s = m_sprites[n];
    const int iw = s.imgWidth, ih = s.imgHeight;
    const float tw = s.texWidth, th = s.texHeight;
    // Half a texel inside the picture: filtering never samples beyond its
    // outer texels, so the quad needs no clamping to them.
    const float smin = 0.5f / tw, smax = (iw - 0.5f) / tw;
    const float tmin = 0.5f / th, tmax = (ih - 0.5f) / th;
    const float hx = iw * scale * 0.5f, hy = ih * scale * 0.5f;
    // Turned about the centre clockwise in GL terms (about (0, 0, -1)):
    // counter-clockwise on the screen, whose y runs down.
    const float cx = static_cast<float>(double(x) + (iw >> 1)), cy = static_cast<float>(double(y) + (ih >> 1));
    const SinCos r = TurnDegrees(angle);
    auto at = [&](float vx, float vy, float u, float v) {
        return Corner{cx + (r.cos * vx + r.sin * vy), cy + (r.cos * vy - r.sin * vx), u, v};
    };
    const Corner q[4] = {at(-hx, hy, smin, tmin), at(hx, hy, smax, tmin), at(hx, -hy, smax, tmax),
                         at(-hx, -hy, smin, tmax)};
    EmitFan(q, 4, true);
    RepeatWrap();
}

void OpenGLDedudeve::TileSprite(int n, int tw, int th)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    // Sides outside the record's range mean "not cut into tiles".
    m_sprites[n].tileWidth = static_cast<std::uint16_t>(tw >= 0 && tw <= 65535 ? tw : 0);
    m_sprites[n].tileHeight = static_cast<std::uint16_t>(th >= 0 && th <= 65535 ? th : 0);
}

void OpenGLDedudeve::DrawTile(int n, int tile, int x, int y)
{
    TileArea t;
    if (!BindTile(*this, n, tile, t)) return;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    glBegin(GL_QUADS);
    glTexCoord2f(t.s1, t.tt);
    glVertex2f(fx + t.tw, fy);
    glTexCoord2f(t.s0, t.tt);
    glVertex2f(fx, fy);
    glTexCoord2f(t.s0, t.tb);
    glVertex2f(fx, fy + t.th);
    glTexCoord2f(t.s1, t.tb);
    glVertex2f(fx + t.tw, fy + t.th);
    glEnd();
}

void OpenGLDedudeve::StretchTile(int n, int tile, int x, int y, int w, int h)
{
    TileArea t;
    if (!BindTile(*this, n, tile, t)) return;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w) + 0.1f, fh = static_cast<float>(h) + 0.1f;
    const Corner q[4] = {{fx, fy, t.s0, t.tt}, {fx, fy + fh, t.s0, t.tb}, {fx + fw, fy + fh, t.s1, t.tb},
                         {fx + fw, fy, t.s1, t.tt}};
    // One negative side turns the quad clockwise, which the culled 2D state
    // hides: unlike STRETCHSPRITE, a stretched tile keeps the front face.
    EmitSpriteQuad(q, m_sprites[n], m_smoothShading != 0, false);
}

void OpenGLDedudeve::RotoZoomTile(int n, int tile, int x, int y, float angle, float scale)
{
    TileArea t;
    if (!BindTile(*this, n, tile, t)) return;
    const float hx = t.tw * (scale * 0.5f), hy = scale * 0.5f * t.th;
    const SinCos r = TurnRadians(angle * 0.017453292f);
    const float sn = r.sin, cs = r.cos;
    const float cx = static_cast<float>(double(x) + t.tw / 2), cy = static_cast<float>(double(y) + t.th / 2);
    const Corner q[4] = {
        {std::ceil(cx - hx * cs - hy * sn), std::ceil(cy - hy * cs + hx * sn), t.s0, t.tt},
        {std::ceil(cx - hx * cs + hy * sn), std::ceil(cy + hy * cs + hx * sn), t.s0, t.tb},
        {std::ceil(cx + hx * cs + hy * sn), std::ceil(cy + hy * cs - hx * sn), t.s1, t.tb},
        {std::ceil(cx + hx * cs - hy * sn), std::ceil(cy - hy * cs - hx * sn), t.s1, t.tt},
    };
    // A negative scale turns the quad by half a turn, which keeps its winding.
    EmitSpriteQuad(q, m_sprites[n], m_smoothShading != 0, false);
}

void OpenGLDedudeve::DrawPixel(int x, int y, unsigned long c)
{
    PrimitiveColour(c, m_colorKey, m_alpha);
    SetTexture3D(-1, -1, 0, nullptr);
    float xy[2] = {static_cast<float>(x), static_cast<float>(y)};
    DrawPrimitive(PrimitiveAlpha(c, m_colorKey, m_alpha), xy, 1, false, [](const float* v, PixelCentres) {
        glBegin(GL_POINTS);
        glVertex2f(v[0], v[1]);
        glEnd();
    });
    glColor4f(1.0f, 1.0f, 1.0f, m_alpha);
}

void OpenGLDedudeve::DrawLine(int x1, int y1, int x2, int y2, unsigned long c)
{
    PrimitiveColour(c, m_colorKey, m_alpha);
    SetTexture3D(-1, -1, 0, nullptr);
    // Lines leave their last pixel out; it is lit so that both ends show.
    // Where a unit is a pixel, by a second segment one pixel to the right
    // from the end (a segment lights the pixels whose centre diamond it
    // leaves, and the end lies 3/8 pixel into its own): lines then stay one
    // primitive of the GL, which batches consecutive GL_LINES but draws
    // lines and points in turn as a primitive each. Elsewhere by a point.
    float xy[8] = {static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                   static_cast<float>(y2), static_cast<float>(x2), static_cast<float>(y2),
                   static_cast<float>(x2) + 1.0f, static_cast<float>(y2)};
    DrawPrimitive(PrimitiveAlpha(c, m_colorKey, m_alpha), xy, 4, true, [](const float* v, PixelCentres how) {
        const bool segment = how.byVertex && how.unitPixel;
        glBegin(GL_LINES);
        for (int i = 0; i < (segment ? 4 : 2); ++i) glVertex2f(v[2 * i], v[2 * i + 1]);
        glEnd();
        if (!segment) {
            glBegin(GL_POINTS);
            glVertex2f(v[2], v[3]);
            glEnd();
        }
    });
    glColor4ub(255, 255, 255, static_cast<GLubyte>(static_cast<int>(255.0f * m_alpha) % 256));
}

void OpenGLDedudeve::DrawRect(int x, int y, int w, int h, unsigned long c)
{
    // A negative size draws to the other side of the corner. Worked out in
    // 64 bits: the sizes and corners at the ends of the int range do not wrap.
    long long X = x, Y = y, W = w, H = h;
    if (W < 0) {
        X = X + W + 1;
        W = -W;
    }
    if (H < 0) {
        Y = Y + H + 1;
        H = -H;
    }
    PrimitiveColour(c, m_colorKey, m_alpha);
    SetTexture3D(-1, -1, 0, nullptr);
    const float fx = static_cast<float>(X), fy = static_cast<float>(Y);
    const float fw = static_cast<float>(W), fh = static_cast<float>(H);
    float xy[8] = {fx, fy + fh, fx + fw, fy + fh, fx + fw, fy, fx, fy};
    DrawPrimitive(PrimitiveAlpha(c, m_colorKey, m_alpha), xy, 4, false, [](const float* v, PixelCentres) {
        const Corner q[4] = {{v[0], v[1], 0, 0}, {v[2], v[3], 0, 0}, {v[4], v[5], 0, 0}, {v[6], v[7], 0, 0}};
        glTexCoord2f(0, 0); // the quad's texture coordinates, with texturing off
        EmitFan(q, 4, false);
    });
    // The rectangle is a quad of the bound (if disabled) texture, which the
    // quads leave repeating.
    RepeatWrap();
    glColor4f(1.0f, 1.0f, 1.0f, m_alpha);
}

int OpenGLDedudeve::SelectReadTarget()
{
    // The screen's picture while a frame buffer object is current, else
    // the window.
    int targetH = m_height;
    const bool fbo = m_currentScreen >= 0 && m_currentScreen < 32 &&
                     m_screens[m_currentScreen].fb.width != 0;
    if (fbo) {
        const int sprite = m_screens[m_currentScreen].sprite;
        targetH = IsSpriteNumber(sprite) && m_sprites ? m_sprites[sprite].imgHeight : 0;
        glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    } else {
        glReadBuffer(GL_BACK);
    }
    return targetH;
}

std::uint32_t OpenGLDedudeve::GetPixel(int x, int y)
{
    // Rows count from the top of what is being drawn on.
    const int targetH = SelectReadTarget();
    unsigned char px[4] = {0, 0, 0, 0};
    const int row = TruncToInt(double(targetH) - 1 - y);
    // A pixel this far off lies on no target (none is wider than the largest
    // texture); the driver's clipping adds the size to the corner, which
    // overflows near the ends of the int range and reads outside its buffer.
    constexpr int kFar = 1 << 24;
    if (x < -kFar || x > kFar || row < -kFar || row > kFar) return 0;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, row, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
    return px[0] | (px[1] << 8) | (static_cast<std::uint32_t>(px[2]) << 16);
}

void OpenGLDedudeve::DrawVertexArray(unsigned int mode)
{
    const int count = m_textVertices.Count();
    if (count == 0 || !m_textVertices.Items()) return;
    const TextVertex* v = m_textVertices.Items();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(TextVertex), &v->x);
    const bool textured = g_nTexture >= 0;
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(TextVertex), &v->u);
    }
    glDrawArrays(mode, 0, count);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (textured) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void OpenGLDedudeve::DrawBillboard(int n, float x, float y, float z, float scale)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float R[3] = {m[0], m[4], m[8]};
    const float U[3] = {m[1], m[5], m[9]};
    const SpriteRecord& s = m_sprites[n];
    const float a = static_cast<float>(s.imgWidth >> 2) * scale;
    const float b = static_cast<float>(s.imgHeight >> 1) * scale;
    const float smax = (s.imgWidth - 0.5f) * (1.0f / s.texWidth);
    const float tmax = (s.imgHeight - 0.5f) * (1.0f / s.texHeight);
    SetTexture3D(n, -1, 0, nullptr);
    const float P[3] = {x, y, z};
    auto corner = [&](float ka, float kb, float u, float v) {
        TextVertex t;
        t.x = P[0] + ka * a * R[0] + kb * b * U[0];
        t.y = P[1] + ka * a * R[1] + kb * b * U[1];
        t.z = P[2] + ka * a * R[2] + kb * b * U[2];
        t.u = u;
        t.v = v;
        m_textVertices.Push(t);
    };
    m_textVertices.Clear();
    if (!m_textVertices.AllocAtLeast(4)) return;
    corner(-1, 0, 0, 0);
    corner(1, 0, smax, 0);
    corner(1, 1, smax, tmax);
    corner(-1, 1, 0, tmax);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    DrawVertexArray(GL_TRIANGLE_FAN);
    RepeatWrap();
}

} // namespace __VELTRIC__
