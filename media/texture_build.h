#pragma once
// The pixel work of MakeTexture, apart from the GL calls: the texture
// buffer with the picture in its lower-left corner, the edge colour of
// transparent pixels, the normal map and the mipmap chain of the second
// texture. Buffers are RGBA, row 0 at the bottom.
#include <cstdint>

#include "media/image.h"

namespace __VELTRIC__ {

// Smallest power of two >= n, at least 2.
int TextureSide(int n);

// Fills buf (tw x th, all bytes 0 first) with the area (x, y, cw, ch) of img,
// the area's top row landing in row ch - 1.
void CopyAreaToTexture(const OPENGL_IMAGE& img, int x, int y, int cw, int ch, std::uint8_t* buf,
                       int tw, int th);

// Gives every transparent pixel the mean colour of its opaque neighbours
// (black without any), so that bilinear filtering does not bleed the key
// colour into the picture's edges. Alpha stays 0.
void EdgeColourPass(std::uint8_t* buf, int tw, int th);

// Replaces the pixels by a normal map of the blue channel taken as height.
void build_detail_normalmap(OPENGL_IMAGE& img);

// Halves the longer side of a tw x th power-of-two buffer in place until it
// is square; returns the side.
int MakeSquareInPlace(std::uint8_t* buf, int tw, int th);

// Builds the next mipmap level of a square buffer of `side` in place and
// returns the new side (0 when side was 1).
int NextMipLevelInPlace(std::uint8_t* buf, int side);

} // namespace __VELTRIC__
