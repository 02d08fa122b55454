// Surfaces: screen-sized pictures held as grids of square texture tiles
// (at most 8 x 8), grabbed from the window or loaded from a picture file, and
// the commands that fill the background surface 0.
#include <algorithm>
#include <cstdio>
#include <string>

#include "media/commands2d.h"
#include "media/data_path.h"
#include "media/drawing.h"
#include "media/gl_extensions.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"
#include "media/surfaces.h"
#include "platform/platform.h"
#include "runtime/frame.h"

namespace __VELTRIC__ {

namespace {

constexpr int kGrid = 8;

int MaxTextureSize()
{
    GLint m = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m);
    return m > 0 ? m : 64;
}

bool ValidSurface(int n)
{
    return n >= 0 && n < kSurfaceCount;
}

void ClearColour()
{
    glClear(GL_COLOR_BUFFER_BIT);
}

} // namespace

int OpenGLDedudeve::FreeSurface(int n)
{
    if (!ValidSurface(n)) return 0;
    SurfaceRecord& s = m_surfaces[n];
    if (m_glReady) {
        for (int c = 0; c < s.columns && c < kGrid; ++c) {
            for (int r = 0; r < s.rows && r < kGrid; ++r) DeleteTexture(s.texture[c * kGrid + r]);
        }
    }
    s = SurfaceRecord{};
    return 1;
}

int OpenGLDedudeve::GrabSurface(int n)
{
    if (!ValidSurface(n)) return 0;
    SurfaceRecord& s = m_surfaces[n];
    const int W = m_width, H = m_height, M = MaxTextureSize();
    int T = 128;
    while (T < std::max(W, H) && T < M) T <<= 1;
    int rows = 0, columns = 0;
    // A window wider or taller than 8 tiles keeps only what fits the grid.
    for (int r = 0; r < kGrid && r * T < H; ++r) {
        int c = 0;
        for (; c < kGrid && c * T < W; ++c) {
            const int e = c * kGrid + r;
            if (s.texWidth[e] == T && s.texHeight[e] == T && s.texture[e]) {
                glBindTexture(GL_TEXTURE_2D, s.texture[e]);
            } else {
                DeleteTexture(s.texture[e]);
                glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
                glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
                glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
                glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
                glGenTextures(1, &s.texture[e]);
                glBindTexture(GL_TEXTURE_2D, s.texture[e]);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
                glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, T, T, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
            }
            const int x0 = c * T;
            const int w = std::min(T, W - x0);
            const int top = r * T;
            const int h = top + T <= H ? T : H - top;
            const int glRow = top + T <= H ? H - top - T : 0;
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x0, glRow, w, h);
            s.texWidth[e] = T;
            s.texHeight[e] = T;
            s.usedWidth[e] = w;
            s.usedHeight[e] = h;
        }
        columns = c;
        rows = r + 1;
    }
    // Tiles of an earlier, larger grid would be lost to FreeSurface.
    for (int e = 0; e < kGrid * kGrid; ++e) {
        if (e / kGrid < columns && e % kGrid < rows) continue;
        if (m_glReady) DeleteTexture(s.texture[e]);
        s.texture[e] = 0;
        s.texWidth[e] = s.texHeight[e] = s.usedWidth[e] = s.usedHeight[e] = 0;
    }
    s.columns = columns;
    s.rows = rows;
    return 1;
}

int OpenGLDedudeve::PasteSurface(int n)
{
    if (!ValidSurface(n)) return 0;
    const SurfaceRecord& s = m_surfaces[n];
    if (s.columns == 0) return 0;
    glDisable(GL_ALPHA_TEST);
    if (glActiveTextureArb) {
        glActiveTextureArb(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        glActiveTextureArb(GL_TEXTURE0_ARB);
    }
    glEnable(GL_TEXTURE_2D);
    g_nTexture = 0;
    float x = 0.0f;
    for (int c = 0; c < s.columns && c < kGrid; ++c) {
        float y = 0.0f;
        int lastWidth = 0;
        for (int r = 0; r < s.rows && r < kGrid; ++r) {
            const int e = c * kGrid + r;
            const float uw = static_cast<float>(s.usedWidth[e]);
            const float uh = static_cast<float>(s.usedHeight[e]);
            const float su = s.texWidth[e] ? uw / s.texWidth[e] : 0.0f;
            const float tv = s.texHeight[e] ? uh / s.texHeight[e] : 0.0f;
            glBindTexture(GL_TEXTURE_2D, s.texture[e]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            const float quad[16] = {x,      y + uh, 0.0f, 0.0f, x + uw, y + uh, su,   0.0f,
                                    x + uw, y,      su,   tv,   x,      y,      0.0f, tv};
            DrawQuad(quad);
            y += uh;
            lastWidth = s.usedWidth[e];
        }
        x += static_cast<float>(lastWidth);
    }
    glEnable(GL_ALPHA_TEST);
    SetTexture3D(-1, -1, 0, nullptr);
    const GLint filter = m_smoothShading ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    return 1;
}

int OpenGLDedudeve::LoadSurface(int n, const char* file, bool)
{
    if (!ValidSurface(n)) return 0;
    OPENGL_IMAGE img;
    if (!img.LoadImageBMP(file, kNoColorKey) && !img.LoadImagePNG(file, kNoColorKey)) return 0;
    if (img.width <= 0 || img.height <= 0) return 0;
    const int T = std::min(MaxTextureSize(), 512);
    FreeSurface(n);
    SurfaceRecord& s = m_surfaces[n];
    int rows = 0, columns = 0;
    // Pictures beyond 8 tiles across or down are cut at the grid's edge: the
    // record has room for 8 x 8 tiles and no more.
    for (int r = 0; r < kGrid && r * T < img.height; ++r) {
        int c = 0;
        for (; c < kGrid && c * T < img.width; ++c) {
            const int e = c * kGrid + r;
            if (!MakeTexture(img, c * T, r * T, T, T, &s.texture[e], nullptr, false, false)) {
                s.columns = std::max(columns, c);
                s.rows = r + 1;
                return 0;
            }
            s.texWidth[e] = s.texHeight[e] = s.usedWidth[e] = s.usedHeight[e] = T;
        }
        columns = std::max(columns, c);
        rows = r + 1;
    }
    s.columns = columns;
    s.rows = rows;
    return 1;
}

double USEASBMP()
{
    if (!__g_pRbow) return 0.0;
    return __g_pRbow->GrabSurface(0);
}

double LOADBMP(const DGStr& file)
{
    std::puts("Loadbmp");
    std::puts("Shoeboxing");
    std::string path;
    if (!ResolveDataPath(file, path)) {
        std::puts("failed");
        if (__g_pRbow) __g_pRbow->FreeSurface(0);
        ClearColour();
        return 0.0;
    }
    std::puts("OK?");
    if (!__g_pRbow) return 0.0;
    if (__g_pRbow->LoadSurface(0, path.c_str(), false)) {
        __g_pRbow->PasteSurface(0);
        return 1.0;
    }
    __g_pRbow->FreeSurface(0);
    ClearColour();
    return 0.0;
}

double BLENDSCREEN(const DGStr& file)
{
    std::string path;
    if (!__g_pRbow || !ResolveDataPath(file, path)) return 0.0;
    OpenGLDedudeve* r = __g_pRbow;
    constexpr double kFadeMs = 1500.0;
    r->GrabSurface(2);
    r->LoadSurface(1, path.c_str(), false);
    r->FreeSurface(0);
    ClearColour();
    const double end = PlatformClockMs() + kFadeMs;
    double f = 0.9;
    do {
        ALPHAMODE(f);
        r->PasteSurface(2);
        ALPHAMODE(1.0 - f);
        r->PasteSurface(1);
        SHOWSCREEN();
        f = (end - PlatformClockMs()) / kFadeMs;
    } while (f > 0.0 && f < 1.0);
    r->FreeSurface(1);
    r->FreeSurface(2);
    r->LoadSurface(0, path.c_str(), false);
    ALPHAMODE(0);
    r->PasteSurface(0);
    SHOWSCREEN();
    return 1.0;
}

} // namespace __VELTRIC__
