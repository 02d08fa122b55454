#pragma once
#include <cstdint>

namespace __VELTRIC__ {

// A surface: a grid of at most 8 x 8 texture tiles holding a screen-sized
// picture; tile index = column * 8 + row.
struct SurfaceRecord {
    std::uint32_t texture[64];
    std::int32_t texWidth[64];
    std::int32_t texHeight[64];
    std::int32_t usedWidth[64];
    std::int32_t usedHeight[64];
    std::int32_t columns;
    std::int32_t rows;
};

// A render-to-texture screen: frame buffer object, depth render buffer,
// size (non-zero only while the object exists) and the sprite it renders into.
struct FBUFFER {
    std::uint32_t fbo;
    std::uint32_t depth;
    std::int32_t width;
    std::int32_t height;

    static int InitFrameBufferObject();
    // Makes the object with `texture` as its colour attachment; 1 only when
    // that combination is complete (nothing is kept otherwise).
    int Create(int w, int h, unsigned int texture = 0);
    void Clear();
    int StartRendering(unsigned int texture);
    int StopRendering();
};

struct ScreenRecord {
    FBUFFER fb;
    std::int32_t sprite;
};

} // namespace __VELTRIC__
