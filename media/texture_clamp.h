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

// A convex piece of a quad: its corners in the quad's winding.
struct ClampPiece {
    Corner v[8];
    int n = 0;
};
constexpr int kMaxClampPieces = 18;

// The pieces of the quad q (four corners, drawn as the fan (0, 1, 2),
// (0, 2, 3)) over a texture of tw x th texels, into out; returns their
// number, 0 when nothing samples beyond the held range (the quad is drawn
// as it stands).
//
// A parallelogram whose s follows one pair of sides and t the other (a
// stretched sprite or tile) is cut on a grid into at most 3 x 3 cells; a
// cut along a pixel row or column is made only when a pixel centre lies
// beyond it (positions are taken as pixels, as the 2D projection has them).
// Any other quad is cut triangle by triangle.
int ClampedPieces(const Corner q[4], int tw, int th, ClampPiece* out);

// The n pieces as the triangles of their fans, three corners each, into
// out; returns their number (at most kMaxClampTriangles for n pieces).
constexpr int kMaxClampTriangles = 6 * kMaxClampPieces;
int PieceTriangles(const ClampPiece* pieces, int n, Corner* out);

// ClampedPieces as triangles: the quad's own two triangles when nothing is
// cut. Returns their number.
int ClampedTriangles(const Corner q[4], int tw, int th, Corner* out);

} // namespace __VELTRIC__
