#pragma once
#include <cstdint>

namespace __VELTRIC__ {

// Sprite numbers 0..65,503 are pictures; 65,504..65,535 the 32 fonts.
constexpr int kSpriteCount = 65536;
constexpr int kFirstFontSprite = 65504;
constexpr int kScratchSprite = 65503; // render-to-texture fall-back
inline bool IsSpriteNumber(long long n) { return n >= 0 && n < kSpriteCount; }

// One entry of the sprite table. A free sprite has texture sides 65,535 and
// image size 0 x 0.
struct SpriteRecord {
    std::uint32_t texture;
    std::uint32_t texture2;
    std::uint16_t texWidth;
    std::uint16_t texHeight;
    std::uint16_t imgWidth;
    std::uint16_t imgHeight;
    std::uint16_t tileWidth;
    std::uint16_t tileHeight;
};

} // namespace __VELTRIC__
