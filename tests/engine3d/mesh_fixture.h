#pragma once
// Small builders for mesh tests: objects made from points or full vertices.
#include <cstring>
#include <initializer_list>

#include "engine3d/mesh_object.h"

namespace mesh_test {

using namespace __VELTRIC__;

// A full vertex at (x, y, z) with the given colour and normal.
inline POLY_NODE Vtx(float x, float y, float z, std::uint32_t colour = 0x00FFFFFF, float nx = 0, float ny = 0,
                     float nz = 1, float u = 0, float v = 0)
{
    POLY_NODE n;
    std::memset(&n, 0, sizeof n);
    n.pos[0] = x;
    n.pos[1] = y;
    n.pos[2] = z;
    n.normal[0] = nx;
    n.normal[1] = ny;
    n.normal[2] = nz;
    n.u = u;
    n.v = v;
    n.colour = colour;
    return n;
}

// One frame of the given full vertices, compressed into points.
inline void BuildCompressed(MeshObject& m, std::initializer_list<POLY_NODE> vs)
{
    m.frames.Push(POLY_FRAME());
    for (const POLY_NODE& n : vs) m.frames[m.frames.Count() - 1].vertices.Push(n);
    m.Compress();
}

// One frame whose point i has colour value colours[i] and quantised x = i
// (offset 0, scale 1), with texture pair (i, i / 4).
inline void BuildPoints(MeshObject& m, std::initializer_list<std::uint32_t> colours)
{
    m.frames.Push(POLY_FRAME());
    POLY_FRAME& f = m.frames[m.frames.Count() - 1];
    int i = 0;
    for (std::uint32_t c : colours) {
        int ci = 0;
        while (ci < m.colours.Count() && m.colours[ci] != c) ++ci;
        if (ci == m.colours.Count()) m.colours.Push(c);
        XPOLY_NODE p = {{static_cast<std::uint8_t>(i), 0, 0}, 5, 0, 0, static_cast<std::uint8_t>(ci)};
        f.points.Push(p);
        m.u.Push(static_cast<float>(i));
        m.v.Push(static_cast<float>(i) / 4.0f);
        ++i;
    }
}

} // namespace mesh_test
