#pragma once
// Where tile k of a sprite cut into tiles lies, shared by the tile drawing
// and the tile collision.
#include "media/sprite_record.h"

namespace __VELTRIC__ {

struct TileArea {
    int tw, th;           // tile size in pixels
    int col, row;         // grid position, counted from the top left
    float s0, s1, tb, tt; // left, right, bottom and top texture coordinates
};

// False when the sprite is not cut into tiles of at least one pixel, holds
// no whole tile, or k is not one of its tiles (0 <= k < columns * rows).
bool GetTile(const SpriteRecord& s, int k, TileArea& t);

} // namespace __VELTRIC__
