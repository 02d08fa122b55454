#pragma once
// A textured 2D quad as the GL draws it with the wrap mode GL_CLAMP_TO_EDGE,
// without changing the wrap mode: every wrap-mode change ends the GL's batch
// of immediate-mode primitives, and the texture must repeat for the next
// draw anyway.
//
// Under GL_CLAMP_TO_EDGE a texture coordinate is held to the centres of the
// first and last texel, [0.5 / size, 1 - 0.5 / size], before it is
// filtered. Where the quad samples beyond them, the quad is cut there into
// pieces, and the texture coordinates of the outer pieces are held to the
// limit at their corners: interpolated across a piece they are then exactly
// the held coordinates, whatever the wrap mode. Only bilinear filtering
// needs this: the nearest texel of a coordinate inside [0, 1) is the same
// under both wrap modes.
namespace __VELTRIC__ {

// A corner of a 2D draw: position and texture coordinates.
struct Corner {
    float x, y, s, t;
};

// The pieces of the quad q (four corners, drawn as the fan (0, 1, 2),
// (0, 2, 3)) over a texture of tw x th texels, as triangles in the fan's
// winding, three corners each, into out; returns their number (at most
// kMaxClampTriangles). When nothing samples beyond the held range, these are
// the quad's own two triangles.
//
// A parallelogram whose s follows one pair of sides and t the other (a
// stretched sprite or tile) is cut on a grid; a cut along a pixel row or
// column is made only when a pixel centre lies beyond it (positions are
// taken as pixels, as the 2D projection has them).
// Any other quad is cut triangle by triangle.
constexpr int kMaxClampTriangles = 96;
int ClampedPieces(const Corner q[4], int tw, int th, Corner* out);

} // namespace __VELTRIC__
