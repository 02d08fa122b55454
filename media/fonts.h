#pragma once
// Bitmap fonts: 32 slots held in the sprites 65,504..65,535, each a picture
// of glyph cells 16 columns wide. The font members of OpenGLDedudeve are
// declared in media/opengl_dedudeve.h.
#include <cstdint>

#include "media/sprite_record.h"

namespace __VELTRIC__ {

constexpr int kFontCount = 32;
inline bool IsFontNumber(int n) { return n >= 0 && n < kFontCount; }
inline int FontSprite(int n) { return kFirstFontSprite + n; }

// The built-in 5 x 6 dot font, codes 32..127: bit (dy * 5 + dx) is the dot
// in column dx and row dy.
extern const std::uint32_t kDefaultGlyphs[96];

// How a font picture of w x h pixels is cut: taller than wide gives 16 rows
// of 256 glyphs, otherwise 8 rows of 128 (codes fold modulo the count).
struct FontGrid {
    int rows;      // 16 or 8
    int glyphs;    // 256 or 128
    int cellW;
    int cellH;
};
inline FontGrid FontGridOf(int w, int h)
{
    if (w < h) return FontGrid{16, 256, w >> 4, h >> 4};
    return FontGrid{8, 128, w >> 4, h >> 3};
}

} // namespace __VELTRIC__
