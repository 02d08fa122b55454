// Collision tests: boxes, and pixel-exact tests between sprites or tiles on
// the alpha channel of their textures. A test returns 0 before reading any
// texture when the boxes do not overlap or a sprite holds no picture.
#include <algorithm>

#include "media/drawing.h"
#include "media/opengl_dedudeve.h"
#include "media/tile_area.h"

namespace __VELTRIC__ {

namespace {

// The span a box covers on one axis, both ends included.
void Span(long long p, long long size, long long& lo, long long& hi)
{
    if (size >= 1) {
        lo = p;
        hi = p + size - 1;
    } else if (size < 0) {
        lo = p + size + 1;
        hi = p;
    } else {
        lo = hi = p;
    }
}

bool HoldsPicture(const SpriteRecord& s)
{
    return s.texture != 0 && s.imgWidth > 0 && s.imgHeight > 0;
}

// A box on the screen: [x, x + w) by [y, y + h), plus the offset of its
// texels inside the sprite's picture.
struct Box {
    long long x, y, w, h;
    long long ox, oy;
};

int Overlap(OpenGLDedudeve& r, int n, const Box& a, int m, const Box& b)
{
    const long long left = std::max(a.x, b.x), right = std::min(a.x + a.w, b.x + b.w);
    const long long top = std::max(a.y, b.y), bottom = std::min(a.y + a.h, b.y + b.h);
    // Touching edges share no pixel.
    if (left >= right || top >= bottom) return 0;
    return r._PixelCollision(n, static_cast<int>(a.x - a.ox), static_cast<int>(a.y - a.oy), m,
                             static_cast<int>(b.x - b.ox), static_cast<int>(b.y - b.oy),
                             static_cast<int>(left), static_cast<int>(top),
                             static_cast<int>(right), static_cast<int>(bottom));
}

} // namespace

int BoxOverlap(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2)
{
    long long ax0, ax1, ay0, ay1, bx0, bx1, by0, by1;
    Span(x1, w1, ax0, ax1);
    Span(y1, h1, ay0, ay1);
    Span(x2, w2, bx0, bx1);
    Span(y2, h2, by0, by1);
    return ax0 <= bx1 && bx0 <= ax1 && ay0 <= by1 && by0 <= ay1 ? 1 : 0;
}

int OpenGLDedudeve::SpriteCollision(int n, int m, int x1, int y1, int x2, int y2)
{
    if (!IsSpriteNumber(n) || !IsSpriteNumber(m) || !m_sprites) return 0;
    const SpriteRecord &a = m_sprites[n], &b = m_sprites[m];
    if (!HoldsPicture(a) || !HoldsPicture(b)) return 0;
    const Box ba{x1, y1, a.imgWidth, a.imgHeight, 0, 0};
    const Box bb{x2, y2, b.imgWidth, b.imgHeight, 0, 0};
    return Overlap(*this, n, ba, m, bb);
}

int OpenGLDedudeve::TileCollision(int n, int k, int x1, int y1, int m, int j, int x2, int y2)
{
    if (!IsSpriteNumber(n) || !IsSpriteNumber(m) || !m_sprites) return 0;
    const SpriteRecord &a = m_sprites[n], &b = m_sprites[m];
    if (!HoldsPicture(a) || !HoldsPicture(b)) return 0;
    // A sprite never cut into tiles takes part as its whole picture; one cut
    // into tiles takes part only with one of its tiles.
    auto box = [](const SpriteRecord& s, int tile, int x, int y, Box& out) {
        if (s.tileWidth == 0) {
            out = Box{x, y, s.imgWidth, s.imgHeight, 0, 0};
            return true;
        }
        TileArea t;
        if (!GetTile(s, tile, t)) return false;
        out = Box{x, y, t.tw, t.th, static_cast<long long>(t.col) * t.tw,
                  static_cast<long long>(t.row) * t.th};
        return true;
    };
    Box ba, bb;
    if (!box(a, k, x1, y1, ba) || !box(b, j, x2, y2, bb)) return 0;
    return Overlap(*this, n, ba, m, bb);
}

int OpenGLDedudeve::_PixelCollision(int n, int x1, int y1, int m, int x2, int y2, int left,
                                    int top, int right, int bottom)
{
    if (!IsSpriteNumber(n) || !IsSpriteNumber(m) || !m_sprites || !m_alphaCache) return 0;
    const SpriteRecord &a = m_sprites[n], &b = m_sprites[m];
    if (!HoldsPicture(a) || !HoldsPicture(b)) return 0;
    // Only points on both pictures can be tested: clamp the rectangle to
    // each picture (which lies inside its texture).
    long long L = std::max<long long>({left, x1, x2});
    long long T = std::max<long long>({top, y1, y2});
    long long R = std::min<long long>({static_cast<long long>(right),
                                       static_cast<long long>(x1) + std::min<int>(a.imgWidth, a.texWidth),
                                       static_cast<long long>(x2) + std::min<int>(b.imgWidth, b.texWidth)});
    long long B = std::min<long long>({static_cast<long long>(bottom),
                                       static_cast<long long>(y1) + std::min<int>(a.imgHeight, a.texHeight),
                                       static_cast<long long>(y2) + std::min<int>(b.imgHeight, b.texHeight)});
    if (L >= R || T >= B) return 0;
    GetSpritePixels(n);
    GetSpritePixels(m);
    const std::uint8_t* ca = m_alphaCache[n];
    const std::uint8_t* cb = m_alphaCache[m];
    if (!ca || !cb) return 0;
    const long long tw1 = a.texWidth, tw2 = b.texWidth;
    const long long ih1 = a.imgHeight, ih2 = b.imgHeight;
    // Four interleaved passes: solid areas that overlap are found after a
    // few coarse tests instead of a full scan.
    static const int kPass[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (const auto& p : kPass) {
        for (long long Y = T + p[1]; Y < B; Y += 2) {
            const std::uint8_t* ra = ca + (ih1 - 1 - (Y - y1)) * tw1;
            const std::uint8_t* rb = cb + (ih2 - 1 - (Y - y2)) * tw2;
            for (long long X = L + p[0]; X < R; X += 2)
                if (ra[X - x1] && rb[X - x2]) return 1;
        }
    }
    return 0;
}

} // namespace __VELTRIC__
