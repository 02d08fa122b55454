// The pixel work of MakeTexture (see texture_build.h).
#include "media/texture_build.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace __VELTRIC__ {

int TextureSide(int n)
{
    int s = 2;
    while (s < n && s < (1 << 30)) s <<= 1;
    return s;
}

void CopyAreaToTexture(const OPENGL_IMAGE& img, int x, int y, int cw, int ch, std::uint8_t* buf,
                       int tw, int th)
{
    if (!img.pixels) return;
    // 64-bit bounds: x + cw must not wrap for areas given by the program.
    const long long x0 = x > 0 ? x : 0, y0 = y > 0 ? y : 0;
    const long long x1 = std::min<long long>(img.width, static_cast<long long>(x) + cw);
    const long long y1 = std::min<long long>(img.height, static_cast<long long>(y) + ch);
    for (long long sy = y0; sy < y1; ++sy) {
        const long long row = ch - 1 - (sy - y);
        if (row < 0 || row >= th) continue;
        const std::uint8_t* src = img.pixels + (sy * img.width + x0) * 4;
        std::uint8_t* dst = buf + (row * tw + (x0 - x)) * 4;
        const long long n = x1 - x0;
        if (n > 0) std::memcpy(dst, src, static_cast<std::size_t>(n) * 4);
    }
}

void EdgeColourPass(std::uint8_t* buf, int tw, int th)
{
    static const int kDx[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
    static const int kDy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
    for (int r = 0; r < th; ++r) {
        for (int c = 0; c < tw; ++c) {
            std::uint8_t* p = buf + (static_cast<std::size_t>(r) * tw + c) * 4;
            if (p[3] != 0) continue;
            unsigned sum[3] = {0, 0, 0};
            unsigned k = 0;
            for (int i = 0; i < 8; ++i) {
                const int nc = c + kDx[i], nr = r + kDy[i];
                // Neighbours on the outermost row or column never count.
                if (nc < 1 || nc > tw - 2 || nr < 1 || nr > th - 2) continue;
                const std::uint8_t* q = buf + (static_cast<std::size_t>(nr) * tw + nc) * 4;
                if (q[3] == 0) continue;
                sum[0] += q[0];
                sum[1] += q[1];
                sum[2] += q[2];
                ++k;
            }
            // Sources are opaque pixels, which this pass never changes, so
            // the result does not depend on the order of the pass.
            for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<std::uint8_t>(k ? sum[ch] / k : 0);
        }
    }
}

void build_detail_normalmap(OPENGL_IMAGE& img)
{
    const int w = img.width, h = img.height;
    if (!img.pixels || w < 1 || h < 1) return;
    const std::size_t bytes = static_cast<std::size_t>(w) * h * 4;
    std::vector<std::uint8_t> out(bytes);
    auto H = [&](int c, int r) {
        c = ((c % w) + w) % w;
        r = ((r % h) + h) % h;
        return img.pixels[(static_cast<std::size_t>(r) * w + c) * 4 + 2] / 255.0;
    };
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            const double dx = -((H(c + 1, r - 1) + 2 * H(c + 1, r) + H(c + 1, r + 1)) -
                                (H(c - 1, r - 1) + 2 * H(c - 1, r) + H(c - 1, r + 1)));
            const double dy = -((H(c - 1, r - 1) + 2 * H(c, r - 1) + H(c + 1, r - 1)) -
                                (H(c - 1, r + 1) + 2 * H(c, r + 1) + H(c + 1, r + 1)));
            const double s = 1.0 / std::sqrt(dx * dx + dy * dy + 1.0);
            const std::size_t i = (static_cast<std::size_t>(r) * w + c) * 4;
            out[i + 0] = static_cast<std::uint8_t>((dx * s + 1) * 0.5 * 255);
            out[i + 1] = static_cast<std::uint8_t>((dy * s + 1) * 0.5 * 255);
            out[i + 2] = static_cast<std::uint8_t>((s + 1) * 0.5 * 255);
            out[i + 3] = img.pixels[i + 3];
        }
    }
    std::memcpy(img.pixels, out.data(), bytes);
}

int MakeSquareInPlace(std::uint8_t* buf, int tw, int th)
{
    int w = tw, h = th;
    while (w > h) {
        const int nw = w / 2;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < nw; ++c)
                for (int k = 0; k < 4; ++k) {
                    const std::uint8_t* src = buf + (static_cast<std::size_t>(r) * w + 2 * c) * 4;
                    buf[(static_cast<std::size_t>(r) * nw + c) * 4 + k] =
                        static_cast<std::uint8_t>((src[k] + src[4 + k]) >> 1);
                }
        w = nw;
    }
    while (h > w) {
        const int nh = h / 2;
        for (int r = 0; r < nh; ++r)
            for (int c = 0; c < w; ++c)
                for (int k = 0; k < 4; ++k) {
                    const std::size_t lo = (static_cast<std::size_t>(2 * r) * w + c) * 4 + k;
                    const std::size_t hi = lo + static_cast<std::size_t>(w) * 4;
                    buf[(static_cast<std::size_t>(r) * w + c) * 4 + k] =
                        static_cast<std::uint8_t>((buf[lo] + buf[hi]) >> 1);
                }
        h = nh;
    }
    return w;
}

int NextMipLevelInPlace(std::uint8_t* buf, int side)
{
    const int prev = side;
    const int s = side / 2;
    if (s == 0) return 0;
    auto P = [&](int c, int r, int k) -> unsigned {
        return buf[(static_cast<std::size_t>(r) * prev + c) * 4 + k];
    };
    // Every pixel is written at or before the lowest index still to be read,
    // so the level can be built over the previous one.
    for (int r = 0; r < s; ++r) {
        for (int c = 0; c < s; ++c) {
            const bool right = c < s - 1, below = r < s - 1;
            for (int k = 0; k < 4; ++k) {
                unsigned v;
                if (right && below)
                    v = (4 * P(2 * c, 2 * r, k) + 2 * P(2 * c + 1, 2 * r, k) +
                         2 * P(2 * c + 1, 2 * r + 2, k) + P(2 * c, 2 * r + 2, k)) / 9;
                else if (right)
                    v = (2 * P(2 * c, 2 * r, k) + P(2 * c + 1, 2 * r, k)) / 3;
                else if (below)
                    v = (2 * P(2 * c, 2 * r, k) + P(2 * c, 2 * r + 2, k)) / 3;
                else
                    v = P(2 * c, 2 * r, k);
                buf[(static_cast<std::size_t>(r) * s + c) * 4 + k] = static_cast<std::uint8_t>(v);
            }
        }
    }
    return s;
}

} // namespace __VELTRIC__
