// The sprite table: turning pictures into textures, loading, grabbing and
// freeing sprites, the colour keys and the per-sprite alpha caches. Every
// entry point ignores sprite numbers outside the table.
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "media/command_args.h"
#include "media/gl_extensions.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"
#include "media/texture_build.h"

namespace __VELTRIC__ {

namespace {

void DefaultUnpackState()
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

// For the texture just made and bound.
void SetRepeatAndFilter(GLint mag, GLint min)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
}

// Size of level 0 of the bound texture as the GL holds it.
void BoundTextureSize(int& w, int& h)
{
    GLint tw = 0, th = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tw);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &th);
    w = tw > 0 ? tw : 0;
    h = th > 0 ? th : 0;
}

} // namespace

int OpenGLDedudeve::MaxTextureSide()
{
    GLint m = 0;
    if (m_glReady) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m);
    if (m <= 0 || m > kMaxPictureSide) m = kMaxPictureSide;
    return m;
}

void OpenGLDedudeve::FreeSprite(int n)
{
    if (!IsSpriteNumber(n) || !m_sprites) return;
    SpriteRecord& s = m_sprites[n];
    if (m_glReady) {
        DeleteTexture(s.texture);
        DeleteTexture(s.texture2);
    }
    s.texWidth = 65535;
    s.texHeight = 65535;
    s.imgWidth = 0;
    s.imgHeight = 0;
    if (m_alphaCache) {
        std::free(m_alphaCache[n]);
        m_alphaCache[n] = nullptr;
    }
}

int OpenGLDedudeve::MakeTexture(OPENGL_IMAGE& img, int x, int y, int w, int h, unsigned int* tex,
                                unsigned int* tex2, bool normalmap, bool nearest)
{
    if (!tex) return 0;
    const int M = MaxTextureSide();
    if (w == 0) w = img.width - x;
    if (h == 0) h = img.height - y;
    if (w < 1 || h < 1) return 0;
    const int cw = std::min(w, M), ch = std::min(h, M);
    const int tw = TextureSide(cw), th = TextureSide(ch);

    OPENGL_IMAGE buf;
    if (!buf.SetSize(tw, th)) return 0;
    std::memset(buf.pixels, 0, static_cast<std::size_t>(tw) * th * 4);
    CopyAreaToTexture(img, x, y, cw, ch, buf.pixels, tw, th);
    if (!nearest) EdgeColourPass(buf.pixels, tw, th);

    DefaultUnpackState();
    DeleteTexture(*tex);
    glGenTextures(1, tex);
    glBindTexture(GL_TEXTURE_2D, *tex);
    const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    SetRepeatAndFilter(filter, filter);
    if (normalmap) build_detail_normalmap(buf);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, buf.pixels);

    if (tex2) {
        DefaultUnpackState();
        DeleteTexture(*tex2);
        glGenTextures(1, tex2);
        glBindTexture(GL_TEXTURE_2D, *tex2);
        SetRepeatAndFilter(GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
        int side = MakeSquareInPlace(buf.pixels, tw, th);
        for (int level = 0; side > 0; ++level) {
            glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         buf.pixels);
            side = NextMipLevelInPlace(buf.pixels, side);
        }
    }
    return 1;
}

std::uint8_t OpenGLDedudeve::LoadSprite(int n, const char* file, unsigned long colorkey,
                                        bool normalmap)
{
    if (!IsSpriteNumber(n) || !m_sprites) return 0;
    FreeSprite(n);
    OPENGL_IMAGE img;
    if (!img.LoadImageBMP(file, colorkey) && !img.LoadImagePNG(file, colorkey)) return 0;
    if (img.width < 1 || img.height < 1) return 0;
    // A side the GL cannot hold in one texture would be cut; refuse it so the
    // record always describes the whole picture.
    const int M = MaxTextureSide();
    if (img.width > M || img.height > M) return 0;
    SpriteRecord& s = m_sprites[n];
    const bool font = n >= kFirstFontSprite;
    const int made = font ? MakeTexture(img, 0, 0, 0, 0, &s.texture, nullptr, false, true)
                          : MakeTexture(img, 0, 0, 0, 0, &s.texture, &s.texture2, normalmap, false);
    if (!made) {
        FreeSprite(n);
        return 0;
    }
    s.texWidth = static_cast<std::uint16_t>(TextureSide(img.width));
    s.texHeight = static_cast<std::uint16_t>(TextureSide(img.height));
    s.imgWidth = static_cast<std::uint16_t>(img.width);
    s.imgHeight = static_cast<std::uint16_t>(img.height);
    return 1;
}

int OpenGLDedudeve::GrabSprite(int n, int x, int y, int w, int h)
{
    if (!IsSpriteNumber(n) || !m_sprites) return 0;
    // The area is at most the window and what one texture holds; an empty
    // area is not a sprite.
    const int M = MaxTextureSide();
    w = std::min({w, m_width, M});
    h = std::min({h, m_height, M});
    if (w < 1 || h < 1) return 0;
    if (m_alphaCache) {
        std::free(m_alphaCache[n]);
        m_alphaCache[n] = nullptr;
    }
    int tw = 32, th = 32;
    while (w > tw) tw <<= 1;
    while (h > th) th <<= 1;

    // Asked per grab: the render target (window or screen) may differ.
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    const std::uint32_t key = alphaBits > 0 ? 0 : GetTrueCookieColor();

    SpriteRecord& s = m_sprites[n];
    if (s.texWidth != tw || s.texHeight != th || !s.texture) {
        if (m_glReady) {
            DeleteTexture(s.texture);
            DeleteTexture(s.texture2);
        }
        s.texture = 0;
        s.texture2 = 0;
        DefaultUnpackState();
        glGenTextures(1, &s.texture);
        glBindTexture(GL_TEXTURE_2D, s.texture);
        SetRepeatAndFilter(GL_LINEAR, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    } else {
        glBindTexture(GL_TEXTURE_2D, s.texture);
    }

    // The GL driver adds the size to the corner in int: a corner far off the
    // window is moved to just off it, where the read finds the same nothing.
    const int glX = std::clamp(x, -tw, m_width);
    const int glY = std::clamp(TruncToInt(double(m_height) - y - h), -th, m_height);
    if (alphaBits > 0) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, glX, glY, w, h);
    } else {
        const std::size_t bytes = static_cast<std::size_t>(tw) * th * 4;
        if (m_grabBuffer.size() < bytes) m_grabBuffer.resize(bytes);
        std::memset(m_grabBuffer.data(), 0, bytes);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(glX, glY, tw, th, GL_BGRA, GL_UNSIGNED_BYTE, m_grabBuffer.data());
        // Pixels of the key colour become transparent; the comparison is
        // with the key as the frame buffer stores it.
        const std::uint32_t k = key >> 8;
        std::uint8_t* p = m_grabBuffer.data();
        for (std::size_t i = 0; i < bytes; i += 4) {
            const std::uint32_t rgb = p[i] | (p[i + 1] << 8) | (static_cast<std::uint32_t>(p[i + 2]) << 16);
            if (rgb == k) p[i + 3] = 0;
        }
        DefaultUnpackState();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     m_grabBuffer.data());
    }
    s.texWidth = static_cast<std::uint16_t>(tw);
    s.texHeight = static_cast<std::uint16_t>(th);
    s.imgWidth = static_cast<std::uint16_t>(w);
    s.imgHeight = static_cast<std::uint16_t>(h);
    return 1;
}

void OpenGLDedudeve::GetSpritePixels(int n)
{
    if (!IsSpriteNumber(n) || !m_sprites || !m_alphaCache || m_alphaCache[n]) return;
    const SpriteRecord& s = m_sprites[n];
    if (!s.texture || s.imgWidth == 0 || s.imgHeight == 0) return;
    glBindTexture(GL_TEXTURE_2D, s.texture);
    int tw, th;
    BoundTextureSize(tw, th);
    // Sized from the texture the GL really holds, and at least as large as
    // the record says, so readers indexing by the record stay inside.
    const std::size_t rows = static_cast<std::size_t>(std::max<int>(th, s.texHeight));
    const std::size_t cols = static_cast<std::size_t>(std::max<int>(tw, s.texWidth));
    auto* cache = static_cast<std::uint8_t*>(std::calloc(rows * cols, 1));
    if (!cache) return;
    if (tw > 0 && th > 0) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (static_cast<std::size_t>(tw) == cols) {
            glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, cache);
        } else {
            // The record claims a wider texture than the GL holds: read
            // tightly, then spread the rows to the record's row length.
            std::vector<std::uint8_t> tight(static_cast<std::size_t>(tw) * th);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, tight.data());
            for (int r = 0; r < th; ++r)
                std::memcpy(cache + r * cols, tight.data() + static_cast<std::size_t>(r) * tw, tw);
        }
    }
    m_alphaCache[n] = cache;
}

void OpenGLDedudeve::GetSpriteSize(int n, int& w, int& h) const
{
    w = h = 0;
    if (!IsSpriteNumber(n) || !m_sprites) return;
    w = m_sprites[n].imgWidth;
    h = m_sprites[n].imgHeight;
}

void OpenGLDedudeve::SetColorKey(unsigned long colour)
{
    m_colorKey = static_cast<std::uint32_t>(colour);
    m_fontColorKey = static_cast<std::uint32_t>(colour);
}

std::uint32_t OpenGLDedudeve::GetTrueCookieColor()
{
    if (m_colorKey == 0) return 0;
    // The probe pixel is the one DrawPixel(4, 4) lights: column 4 and row 4
    // from the top of the current 2D viewport, on the target being drawn.
    const int targetH = SelectReadTarget();
    const int px = TruncToInt(double(m_viewX) + 4);
    const int row = TruncToInt(double(targetH) - m_viewY - 5);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    unsigned char saved[4] = {0, 0, 0, 0}, probe[4] = {0, 0, 0, 0};
    glReadPixels(px, row, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, saved);
    ProbePixel(px, row, m_colorKey);
    glReadPixels(px, row, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, probe);
    ProbePixel(px, row, saved[0] | (saved[1] << 8) | (static_cast<std::uint32_t>(saved[2]) << 16));
    return (static_cast<std::uint32_t>(probe[0]) << 24) | (static_cast<std::uint32_t>(probe[1]) << 16) |
           (static_cast<std::uint32_t>(probe[2]) << 8);
}

void OpenGLDedudeve::ProbePixel(int x, int row, std::uint32_t colour)
{
    // The probe may run in the middle of a 3D frame (a saved screen, a grabbed
    // sprite): a perspective projection, lighting, depth and stencil tests,
    // fog, textures on two units, a colour mask from the shadow pass or a
    // shader would move or tint the point. Every piece of that state is saved,
    // the point is written as a plain pixel at its window position, and the
    // state comes back exactly, so the renderers' own caches stay true.
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    if (program != 0 && glUseProgramObjectArb) glUseProgramObjectArb(0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(x, row, 1, 1);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DITHER);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_COLOR_LOGIC_OP);
    if (glActiveTextureArb) {
        glActiveTextureArb(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        glActiveTextureArb(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPointSize(1.0f);
    glColor4ub(static_cast<GLubyte>(colour & 0xFF), static_cast<GLubyte>((colour >> 8) & 0xFF),
               static_cast<GLubyte>((colour >> 16) & 0xFF), 255);
    glBegin(GL_POINTS);
    glVertex2f(0.0f, 0.0f);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    if (program != 0 && glUseProgramObjectArb)
        glUseProgramObjectArb(static_cast<GLhandleARB>(program));
}

bool OpenGLDedudeve::SaveMemoryToBMP(const char* file, unsigned char* pixels, int w, int h,
                                     int stride, int rows, bool topdown)
{
    const std::uint32_t key = GetTrueCookieColor();
    return WritePictureFile(file, pixels, w, h, stride, rows, topdown, key >> 8);
}

std::uint8_t OpenGLDedudeve::SaveBMPFile(const char* file)
{
    if (m_width < 1 || m_height < 1) return 0;
    std::vector<unsigned char> buf(static_cast<std::size_t>(m_width) * m_height * 3);
    glReadBuffer(GL_BACK);
    // Rows of 3-byte pixels are tight in the buffer, whatever the width.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_width, m_height, GL_BGR, GL_UNSIGNED_BYTE, buf.data());
    return SaveMemoryToBMP(file, buf.data(), m_width, m_height, m_width, m_height, false) ? 1 : 0;
}

std::uint8_t OpenGLDedudeve::SaveBMPSprite(int n, const char* file)
{
    if (!IsSpriteNumber(n) || !m_sprites) return 0;
    const SpriteRecord& s = m_sprites[n];
    if (!s.texture || s.imgWidth == 0 || s.imgHeight == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, s.texture);
    int tw, th;
    BoundTextureSize(tw, th);
    if (tw < s.imgWidth || th < s.imgHeight) return 0;
    std::vector<unsigned char> buf(static_cast<std::size_t>(tw) * th * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR, GL_UNSIGNED_BYTE, buf.data());
    return SaveMemoryToBMP(file, buf.data(), s.imgWidth, s.imgHeight, tw, th, false) ? 1 : 0;
}

} // namespace __VELTRIC__
