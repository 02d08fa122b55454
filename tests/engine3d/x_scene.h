#pragma once
// Objects built through the 3D commands the way a program builds them: the
// faces of axis-aligned boxes as triangle strips, wound clockwise seen from
// outside (the front faces of cull mode 1) or counter-clockwise (cull mode -1).
#include <utility>

#include "engine3d/x_commands.h"

namespace xscene {

// One face of the box lo..hi: the side on axis k (0 x, 1 y, 2 z) at hi[k]
// when outward is +1, at lo[k] when it is -1; four vertices of one strip.
inline void Face(const double lo[3], const double hi[3], int k, int outward, double colour,
                 bool clockwise)
{
    int a = (k + 1) % 3, b = (k + 2) % 3; // e_a x e_b = e_k
    // (a, b) order gives a counter-clockwise first triangle seen from +k.
    if ((outward > 0) == clockwise) std::swap(a, b);
    const double plane = outward > 0 ? hi[k] : lo[k];
    const int corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (const auto& c : corners) {
        double p[3];
        p[k] = plane;
        p[a] = c[0] ? hi[a] : lo[a];
        p[b] = c[1] ? hi[b] : lo[b];
        __VELTRIC__::X_OBJADDVERTEX(p[0], p[1], p[2], c[0], c[1], colour);
    }
}

// A closed box lo..hi in one colour, built into slot.
inline void Box(int slot, const double lo[3], const double hi[3], double colour, bool clockwise)
{
    __VELTRIC__::X_OBJSTART(slot);
    bool first = true;
    for (int k = 0; k < 3; ++k)
        for (int outward : {-1, 1}) {
            if (!first) __VELTRIC__::X_OBJNEWGROUP();
            first = false;
            Face(lo, hi, k, outward, colour, clockwise);
        }
    __VELTRIC__::X_OBJEND();
}

// A square floor at height y, half side h, facing up.
inline void Floor(int slot, double y, double h, double colour, bool clockwise)
{
    const double lo[3] = {-h, y, -h}, hi[3] = {h, y, h};
    __VELTRIC__::X_OBJSTART(slot);
    Face(lo, hi, 1, 1, colour, clockwise);
    __VELTRIC__::X_OBJEND();
}

} // namespace xscene
