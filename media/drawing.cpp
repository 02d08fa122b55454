// 2D drawing: texture selection (shared with the 3D renderer), sprites,
// tiles, untextured primitives, the vertex-array routine of the text queue
// and billboards. Coordinates are pixels of the current target, origin at
// the top left, y down (the projection of Make2DViewport). Sprite numbers
// outside the table draw nothing.
#include <SDL_opengl.h>

#include <cmath>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine3d/matrix4.h"
#include "media/command_args.h"
#include "media/drawing.h"
#include "media/gl_clip.h"
#include "media/gl_extensions.h"
#include "media/gl_matrix.h"
#include "media/opengl_dedudeve.h"
#include "media/tile_area.h"
#include "runtime/portable_math.h"

namespace __VELTRIC__ {

int g_nTexture = -1;

unsigned int BoundTexture()
{
    GLint t = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &t);
    return static_cast<unsigned int>(t);
}

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

// Points and lines are drawn at pixel centres: under the projection moved by
// 3/8 pixel. `m` becomes that projection; in a run it is worked out here as
// GlTranslate would move the GL's.
void PixelCentres(const float P[16], float m[16])
{
    float t[16];
    Mat4Translation(0.375f, 0.375f, 0.0f, t);
    Mat4Multiply(P, t, m);
}

void BeginPrimitive()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    GlTranslate(0.375f, 0.375f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

void EndPrimitive()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// A vertex of a 2D draw. With z = 0 (the 2D projection's, and a run's under
// it) as two coordinates, so that the GL's vertex format stays that of the
// other 2D draws and their batch is not cut by a change of format.
inline void Vertex(float x, float y, float z)
{
    if (z == 0.0f)
        glVertex2f(x, y);
    else
        glVertex3f(x, y, z);
}

// The n vertices (x, y pairs, `stride` floats apart) turned into clip
// coordinates under m; z goes to *z.
void ToClip(const float m[16], float* v, int n, int stride, float* z)
{
    for (int i = 0; i < n; ++i, v += stride) {
        float c[3];
        ClipOf(m, v[0], v[1], c);
        v[0] = c[0];
        v[1] = c[1];
        *z = c[2];
    }
}

// The quad q (four corners of x, y, s, t) as two triangles in the order of
// the fan (0, 1, 2), (0, 2, 3): the same pixels as the fan, but a run of
// them joins one batch of the GL.
void EmitQuad(const float* q, float z)
{
    glBegin(GL_TRIANGLES);
    for (int k : {0, 1, 2, 0, 2, 3}) {
        glTexCoord2f(q[4 * k + 2], q[4 * k + 3]);
        Vertex(q[4 * k], q[4 * k + 1], z);
    }
    glEnd();
}

// The quad drawn as the 2D projection puts it: during a run as clip
// coordinates.
void Emit2DQuad(OpenGLDedudeve& gl, const float* q)
{
    float P[16];
    if (!gl.InDrawingRun(P)) {
        EmitQuad(q, 0.0f);
        return;
    }
    float c[16], z = 0.0f;
    for (int i = 0; i < 16; ++i) c[i] = q[i];
    ToClip(P, c, 4, 4, &z);
    EmitQuad(c, z);
}

// Finds tile `tile` of sprite n and binds the sprite's texture for drawing
// it; false (nothing bound) when the sprite or the tile does not exist.
bool BindTile(OpenGLDedudeve& gl, int n, int tile, TileArea& t, bool clamp)
{
    if (!IsSpriteNumber(n) || !gl.m_sprites) return false;
    if (!GetTile(gl.m_sprites[n], tile, t)) return false;
    gl.SelectTexture(n, -1, 0, nullptr, false);
    gl.UseWrap(gl.m_sprites[n].texture, clamp);
    gl.ApplySmoothShading();
    return true;
}

// A run lets the GL gather thousands of primitives into one draw, for
// which the software driver allocates vertex buffers of some megabytes and
// frees them again. Under the allocator's default thresholds each such
// buffer is mapped afresh (or the heap's top given back and grown again)
// for every draw, and the page faults of touching it anew cost more than
// the batching saves (measured: lines of a run ran at half the rate of
// lines drawn one by one). Buffers up to 8 MiB are kept on the heap and
// that much free top is not given back. Done once, when the first run
// begins.
bool KeepHeapForBatches()
{
#if defined(__GLIBC__)
    constexpr int kKeep = 8 << 20;
    mallopt(M_MMAP_THRESHOLD, kKeep);
    mallopt(M_TRIM_THRESHOLD, kKeep);
#endif
    return true;
}

} // namespace

void OpenGLDedudeve::SetTexture3D(int a, int b, int second, unsigned int* ids)
{
    // Whoever selects textures this way (polygons, text, the 3D renderer)
    // draws with the GL's matrices, and may sample beyond the picture
    // relying on the textures repeating.
    EndDrawingRun();
    SelectTexture(a, b, second, ids, true);
}

void OpenGLDedudeve::SelectTexture(int a, int b, int second, unsigned int* ids, bool repeat)
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
    auto bind = [&](GLuint t) {
        glBindTexture(GL_TEXTURE_2D, t);
        if (repeat) UseWrap(t, false);
    };
    if (!glActiveTextureArb) {
        if (a < 0) {
            glDisable(GL_TEXTURE_2D);
            glEnable(GL_COLOR_MATERIAL);
        } else {
            bind(name(a));
            glEnable(GL_TEXTURE_2D);
        }
        return;
    }
    // With two numbers the first texture lies on unit 1, the second on unit 0.
    if (a >= 0 && b >= 0) {
        glActiveTextureArb(GL_TEXTURE1_ARB);
        bind(name(a));
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
        bind(name(b >= 0 ? b : a));
        glEnable(GL_TEXTURE_2D);
    }
}

namespace {
constexpr unsigned int kWrapNames = 1u << 20; // names beyond are set every time
constexpr std::uint8_t kRepeat = 1, kClamp = 2;
} // namespace

// Takes a texture off the list of those left clamped.
void OpenGLDedudeve::DropClamped(unsigned int texture)
{
    for (std::size_t i = 0; i < m_clamped.size(); ++i)
        if (m_clamped[i] == texture) {
            m_clamped[i] = m_clamped.back();
            m_clamped.pop_back();
            return;
        }
}

void OpenGLDedudeve::UseWrap(unsigned int texture, bool clamp)
{
    const std::uint8_t want = clamp ? kClamp : kRepeat;
    if (texture < kWrapNames) {
        if (texture >= m_wrap.size()) m_wrap.resize(texture + 1u, 0);
        if (m_wrap[texture] == want) return;
        if (m_wrap[texture] == kClamp) DropClamped(texture);
        m_wrap[texture] = want;
        if (clamp) m_clamped.push_back(texture);
    }
    const GLint mode = clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, mode);
}

void OpenGLDedudeve::MarkRepeat(unsigned int texture)
{
    ForgetTexture(texture);
    if (texture < m_wrap.size()) m_wrap[texture] = kRepeat;
}

void OpenGLDedudeve::ForgetTexture(unsigned int texture)
{
    if (texture >= m_wrap.size()) return;
    if (m_wrap[texture] == kClamp) DropClamped(texture);
    m_wrap[texture] = 0;
}

void OpenGLDedudeve::DeleteTexture(unsigned int& name)
{
    ForgetTexture(name);
    if (name) glDeleteTextures(1, &name);
    name = 0;
}

void OpenGLDedudeve::ForgetAllTextures()
{
    m_wrap.clear();
    m_clamped.clear();
    m_unit1Off = false;
}

void OpenGLDedudeve::RepeatAllTextures()
{
    if (m_clamped.empty()) return;
    const GLuint bound = BoundTexture();
    for (GLuint t : m_clamped) {
        m_wrap[t] = 0;
        // A name deleted behind the table's back is not brought back to life.
        if (!glIsTexture(t)) continue;
        glBindTexture(GL_TEXTURE_2D, t);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        m_wrap[t] = kRepeat;
    }
    m_clamped.clear();
    glBindTexture(GL_TEXTURE_2D, bound);
}

void OpenGLDedudeve::ApplySmoothShading()
{
    const GLint f = m_smoothShading ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
}

bool OpenGLDedudeve::DrawingRun(float P[16])
{
    if (m_run) {
        if (IdentityMatrices()) {
            for (int i = 0; i < 16; ++i) P[i] = m_runProjection[i];
            return true;
        }
        // The model-view matrix moved (a 3D matrix command): this draw goes
        // the GL's way, under the 2D projection.
        EndDrawingRun();
    }
    if (!Plain2DState(P)) return false;
    static const bool heapKept = KeepHeapForBatches();
    (void)heapKept;
    for (int i = 0; i < 16; ++i) m_runProjection[i] = P[i];
    // One unit of x and of y is one pixel of the viewport (to a rounding):
    // a one-pixel segment then lights exactly the pixel a point would.
    GLint view[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, view);
    const float sx = std::fabs(P[0] * 0.5f * static_cast<float>(view[2]));
    const float sy = std::fabs(P[5] * 0.5f * static_cast<float>(view[3]));
    m_runInPixels = std::fabs(sx - 1.0f) < 1e-4f && std::fabs(sy - 1.0f) < 1e-4f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    m_run = true;
    return true;
}

void OpenGLDedudeve::EndDrawingRun()
{
    if (!m_run) return;
    m_run = false;
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    // Only the identity of the run is replaced: a projection set since
    // (which no path of the system does without ending the run) stays.
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    bool identity = true;
    for (int i = 0; i < 16; ++i) identity = identity && m[i] == (i % 5 == 0 ? 1.0f : 0.0f);
    if (identity) glLoadMatrixf(m_runProjection);
    glMatrixMode(static_cast<GLenum>(mode));
}

void OpenGLDedudeve::DrawQuad(const float* q)
{
    UseWrap(BoundTexture(), true);
    Emit2DQuad(*this, q);
}

void OpenGLDedudeve::DrawSprite(int n, int x, int y)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    SelectTexture(n, -1, 0, nullptr, true);
    ApplySmoothShading();
    const SpriteRecord& s = m_sprites[n];
    const int iw = s.imgWidth, ih = s.imgHeight;
    const float smax = static_cast<float>(iw) / s.texWidth;
    const float tmax = static_cast<float>(ih) / s.texHeight;
    // The corners are summed in double: a position at the end of the int
    // range must not wrap round to the other side of the screen.
    const double X = x, Y = y;
    // The corners rounded to single precision, as the GL takes them; in a
    // run then clipped.
    float v[8] = {static_cast<float>(X + iw), static_cast<float>(Y), static_cast<float>(X),
                  static_cast<float>(Y),      static_cast<float>(X), static_cast<float>(Y + ih),
                  static_cast<float>(X + iw), static_cast<float>(Y + ih)};
    float z = 0.0f, P[16];
    if (InDrawingRun(P)) ToClip(P, v, 4, 2, &z);
    glBegin(GL_QUADS);
    glTexCoord2f(smax, tmax);
    Vertex(v[0], v[1], z);
    glTexCoord2f(0, tmax);
    Vertex(v[2], v[3], z);
    glTexCoord2f(0, 0);
    Vertex(v[4], v[5], z);
    glTexCoord2f(smax, 0);
    Vertex(v[6], v[7], z);
    glEnd();
}

void OpenGLDedudeve::StretchSprite(int n, int x, int y, int w, int h)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    SelectTexture(n, -1, 0, nullptr, false);
    UseWrap(m_sprites[n].texture, true);
    ApplySmoothShading();
    const SpriteRecord& s = m_sprites[n];
    const float smax = static_cast<float>(s.imgWidth) / s.texWidth;
    const float tmax = static_cast<float>(s.imgHeight) / s.texHeight;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float q[16] = {fx, fy + fh, 0, 0,    fx + fw, fy + fh, smax, 0,
                         fx + fw, fy, smax, tmax, fx, fy, 0, tmax};
    // One negative side turns the quad's winding; the culled 2D state would
    // hide the mirrored picture without the front face following it.
    const bool mirrored = (w < 0) != (h < 0);
    if (mirrored) glFrontFace(GL_CW);
    Emit2DQuad(*this, q);
    if (mirrored) glFrontFace(GL_CCW);
}

void OpenGLDedudeve::RotoSprite(int n, int x, int y, float angle, float scale)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    SelectTexture(n, -1, 0, nullptr, false);
    UseWrap(m_sprites[n].texture, true);
    ApplySmoothShading();
    const SpriteRecord& s = m_sprites[n];
    const int iw = s.imgWidth, ih = s.imgHeight;
    const float tw = s.texWidth, th = s.texHeight;
    // Half a texel inside the picture, so bilinear filtering never samples
    // the padding of the texture.
    const float smin = 0.5f / tw, smax = (iw - 0.5f) / tw;
    const float tmin = 0.5f / th, tmax = (ih - 0.5f) / th;
    const float hx = iw * scale * 0.5f, hy = ih * scale * 0.5f;
    const float q[16] = {-hx, hy, smin, tmin, hx, hy, smax, tmin,
                         hx, -hy, smax, tmax, -hx, -hy, smin, tmax};
    const float cx = static_cast<float>(double(x) + (iw >> 1)), cy = static_cast<float>(double(y) + (ih >> 1));
    float P[16];
    if (DrawingRun(P)) {
        // The sprite's matrix as GlTranslate and GlRotateClockwise build it
        // on the identity, and the product the GL would form with the
        // projection.
        float move[16], turn[16], m[16], pm[16];
        Mat4Translation(cx, cy, 0.0f, move);
        RotationClockwise(angle, turn);
        Mat4Multiply(move, turn, m);
        GLMatrixProduct(P, m, pm);
        float c[16], z = 0.0f;
        for (int i = 0; i < 16; ++i) c[i] = q[i];
        ToClip(pm, c, 4, 4, &z);
        EmitQuad(c, z);
        return;
    }
    glPushMatrix();
    GlTranslate(cx, cy, 0.0f);
    GlRotateClockwise(angle);
    EmitQuad(q, 0.0f);
    glPopMatrix();
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
    if (!BindTile(*this, n, tile, t, false)) return;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    float v[8] = {fx + t.tw, fy, fx, fy, fx, fy + t.th, fx + t.tw, fy + t.th};
    float z = 0.0f, P[16];
    if (InDrawingRun(P)) ToClip(P, v, 4, 2, &z);
    glBegin(GL_QUADS);
    glTexCoord2f(t.s1, t.tt);
    Vertex(v[0], v[1], z);
    glTexCoord2f(t.s0, t.tt);
    Vertex(v[2], v[3], z);
    glTexCoord2f(t.s0, t.tb);
    Vertex(v[4], v[5], z);
    glTexCoord2f(t.s1, t.tb);
    Vertex(v[6], v[7], z);
    glEnd();
}

void OpenGLDedudeve::StretchTile(int n, int tile, int x, int y, int w, int h)
{
    TileArea t;
    if (!BindTile(*this, n, tile, t, true)) return;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w) + 0.1f, fh = static_cast<float>(h) + 0.1f;
    const float q[16] = {fx, fy, t.s0, t.tt,           fx, fy + fh, t.s0, t.tb,
                         fx + fw, fy + fh, t.s1, t.tb, fx + fw, fy, t.s1, t.tt};
    Emit2DQuad(*this, q);
}

void OpenGLDedudeve::RotoZoomTile(int n, int tile, int x, int y, float angle, float scale)
{
    TileArea t;
    if (!BindTile(*this, n, tile, t, true)) return;
    const float hx = t.tw * (scale * 0.5f), hy = scale * 0.5f * t.th;
    const float rad = angle * 0.017453292f;
    const float sn = static_cast<float>(PortableSin(rad)), cs = static_cast<float>(PortableCos(rad));
    const float cx = static_cast<float>(double(x) + t.tw / 2), cy = static_cast<float>(double(y) + t.th / 2);
    const float q[16] = {
        std::ceil(cx - hx * cs - hy * sn), std::ceil(cy - hy * cs + hx * sn), t.s0, t.tt,
        std::ceil(cx - hx * cs + hy * sn), std::ceil(cy + hy * cs + hx * sn), t.s0, t.tb,
        std::ceil(cx + hx * cs + hy * sn), std::ceil(cy + hy * cs - hx * sn), t.s1, t.tb,
        std::ceil(cx + hx * cs - hy * sn), std::ceil(cy - hy * cs - hx * sn), t.s1, t.tt,
    };
    Emit2DQuad(*this, q);
}

namespace {

// draw(v, z, run) with the n vertices xy at pixel centres: in a run (which
// a primitive begins or joins) as clip coordinates, else under the moved
// projection. The alpha test is off while the colour's alpha would fail
// it, and on afterwards.
template <class Draw>
void DrawPrimitive(OpenGLDedudeve& gl, GLubyte alpha, float* xy, int n, Draw draw)
{
    const bool alphaOff = AlphaTestHides(alpha);
    if (alphaOff) glDisable(GL_ALPHA_TEST);
    float P[16];
    if (gl.DrawingRun(P)) {
        float m[16], z = 0.0f;
        PixelCentres(P, m);
        ToClip(m, xy, n, 2, &z);
        draw(xy, z, true);
    } else {
        BeginPrimitive();
        draw(xy, 0.0f, false);
        EndPrimitive();
    }
    glEnable(GL_ALPHA_TEST);
}

} // namespace

void OpenGLDedudeve::DrawPixel(int x, int y, unsigned long c)
{
    PrimitiveColour(c, m_colorKey, m_alpha);
    SelectTexture(-1, -1, 0, nullptr, false);
    float xy[2] = {static_cast<float>(x), static_cast<float>(y)};
    DrawPrimitive(*this, PrimitiveAlpha(c, m_colorKey, m_alpha), xy, 1, [](const float* v, float z, bool) {
        glBegin(GL_POINTS);
        Vertex(v[0], v[1], z);
        glEnd();
    });
    glColor4f(1.0f, 1.0f, 1.0f, m_alpha);
}

void OpenGLDedudeve::DrawLine(int x1, int y1, int x2, int y2, unsigned long c)
{
    PrimitiveColour(c, m_colorKey, m_alpha);
    SelectTexture(-1, -1, 0, nullptr, false);
    // Lines leave their last pixel out; it is lit so that both ends show.
    // In a run where a unit is a pixel, by a second segment one pixel to
    // the right from the end (a segment lights the pixels whose centre
    // diamond it leaves, and the end lies 3/8 pixel into its own): the run
    // then stays one primitive of the GL, which batches consecutive
    // GL_LINES but not lines and points in turn. Elsewhere by a point.
    float xy[8] = {static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                   static_cast<float>(y2), static_cast<float>(x2), static_cast<float>(y2),
                   static_cast<float>(x2) + 1.0f, static_cast<float>(y2)};
    const bool* pixels = &m_runInPixels;
    DrawPrimitive(*this, PrimitiveAlpha(c, m_colorKey, m_alpha), xy, 4,
                  [pixels](const float* v, float z, bool run) {
                      const bool segment = run && *pixels;
                      glBegin(GL_LINES);
                      for (int i = 0; i < (segment ? 4 : 2); ++i) Vertex(v[2 * i], v[2 * i + 1], z);
                      glEnd();
                      if (!segment) {
                          glBegin(GL_POINTS);
                          Vertex(v[2], v[3], z);
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
    SelectTexture(-1, -1, 0, nullptr, false);
    const float fx = static_cast<float>(X), fy = static_cast<float>(Y);
    const float fw = static_cast<float>(W), fh = static_cast<float>(H);
    float xy[8] = {fx, fy + fh, fx + fw, fy + fh, fx + fw, fy, fx, fy};
    DrawPrimitive(*this, PrimitiveAlpha(c, m_colorKey, m_alpha), xy, 4, [](const float* v, float z, bool) {
        const float q[16] = {v[0], v[1], 0, 0, v[2], v[3], 0, 0, v[4], v[5], 0, 0, v[6], v[7], 0, 0};
        EmitQuad(q, z);
    });
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
    EndDrawingRun();
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
    EndDrawingRun(); // the model-view matrix is read below
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float R[3] = {m[0], m[4], m[8]};
    const float U[3] = {m[1], m[5], m[9]};
    const SpriteRecord& s = m_sprites[n];
    const float a = static_cast<float>(s.imgWidth >> 2) * scale;
    const float b = static_cast<float>(s.imgHeight >> 1) * scale;
    const float smax = (s.imgWidth - 0.5f) * (1.0f / s.texWidth);
    const float tmax = (s.imgHeight - 0.5f) * (1.0f / s.texHeight);
    SelectTexture(n, -1, 0, nullptr, false);
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
    UseWrap(s.texture, true);
    DrawVertexArray(GL_TRIANGLE_FAN);
}

} // namespace __VELTRIC__
