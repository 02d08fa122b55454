// Face queries over an object slot's draw triangles and the conversion of a
// program array into the cel-shading ramp.
#include <cstdint>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"

namespace __VELTRIC__ {

using xcmds_detail::WholeNumber;

namespace {

// The slot, or null when there is no renderer or the number is outside the
// table.
X_WORLD* Slot(int slot)
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r || slot < 0 || slot >= r->slots.Count()) return nullptr;
    return &r->slots[slot];
}

} // namespace

void X_GETFACE(double slot, double frame, double face, DGIntArray& a)
{
    DIM(a, 3, 9);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 9; ++j) a(i, j) = 0.0;
    X_WORLD* w = Slot(WholeNumber(slot));
    const int f = WholeNumber(frame);
    const std::int64_t wanted = WholeNumber(face);
    if (!w || f < 0 || wanted < 0) return;
    std::int64_t total = 0;
    for (int o = 0; o < w->objects.Count(); ++o) {
        MeshObjectX& obj = w->objects[o].object;
        if (obj.frames.Count() <= 0) continue;
        // A frame the object lacks holds none of the faces.
        if (f >= obj.frames.Count()) continue;
        const Queue<POLY_NODE>& tris = obj.frames[f].triangles;
        const std::int64_t count = tris.Count() / 3;
        if (total + count > wanted) {
            const POLY_NODE* t = tris.Items() + (wanted - total) * 3;
            for (int i = 0; i < 3; ++i) {
                const POLY_NODE& p = t[i];
                a(i, 0) = p.pos[0];
                a(i, 1) = p.pos[1];
                a(i, 2) = p.pos[2];
                a(i, 3) = p.u;
                a(i, 4) = p.v;
                a(i, 5) = static_cast<double>(p.colour);
                a(i, 6) = p.normal[0];
                a(i, 7) = p.normal[1];
                a(i, 8) = p.normal[2];
            }
            return;
        }
        total += count;
    }
}

double X_NUMFACES(double slot)
{
    X_WORLD* w = Slot(WholeNumber(slot));
    if (!w) return 0.0;
    std::int64_t total = 0;
    for (int o = 0; o < w->objects.Count(); ++o) {
        MeshObjectX& obj = w->objects[o].object;
        if (obj.frames.Count() <= 0) continue;
        total += obj.frames[0].triangles.Count();
    }
    return static_cast<double>(total / 3);
}

void X_SETCELSHADES(DGIntArray& a)
{
    const int n = a.Bounds(0);
    if (n <= 0 || !a.Data() || !__g_pRbow3D) return;
    std::vector<unsigned char> shades(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double v = 255.0 * a(i);
        // Whole part kept to its low 8 bits; a NaN gives 0.
        const int whole = WholeNumber(v);
        shades[static_cast<std::size_t>(i)] = static_cast<unsigned char>(whole & 0xFF);
    }
    __g_pRbow3D->SetCelShades(shades.data(), n);
}

} // namespace __VELTRIC__
