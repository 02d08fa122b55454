// Mesh compression and normals: quantising full vertices into stored points
// with a shared colour list, and deriving normal and bump-map basis indices
// from the triangles the points form.
#include <cmath>
#include <unordered_map>
#include <vector>

#include "engine3d/mesh_object.h"

namespace __VELTRIC__ {

namespace {

// Index of the table entry closest to n (after normalising a vector that is
// long enough); an exact hit ends the search, otherwise later entries win ties.
int MatchNormal(float x, float y, float z)
{
    float len2 = x * x + y * y + z * z;
    if (len2 > 1e-7f) {
        float len = std::sqrt(len2);
        if (len != 0.0f) {
            x /= len;
            y /= len;
            z /= len;
        }
    }
    float best = 10000.0f;
    int found = 0;
    for (int i = 0; i < MESH_NORMAL_COUNT; ++i) {
        const float* t = gAvertexnormals[i];
        float d = std::fabs((x - t[0]) * x + (y - t[1]) * y + (z - t[2]) * z);
        if (best >= d) {
            if (d == 0.0f) return i;
            best = d;
            found = i;
        }
    }
    return found;
}

// Integer part of a quantised coordinate, held to the byte range; NaN (from
// a file holding "nan" or infinities) becomes 0 instead of an undefined cast.
std::uint8_t QuantiseAxis(double value)
{
    if (!(value > 0.0)) return 0;
    if (value >= 255.0) return 255;
    return static_cast<std::uint8_t>(value);
}

// The colour index of c: its first entry in the list, or a new entry. A
// point holds one byte, so only the first 256 entries are reachable; when
// they are all taken by other values, a real colour uses the nearest real
// colour among them and a special value the first special value, so that an
// index never wraps onto an unrelated entry.
std::uint8_t ColourIndex(Queue<std::uint32_t>& colours, std::uint32_t c)
{
    const int reach = colours.Count() < 256 ? colours.Count() : 256;
    for (int i = 0; i < reach; ++i)
        if (colours[i] == c) return static_cast<std::uint8_t>(i);
    if (colours.Count() < 256 && colours.Push(c))
        return static_cast<std::uint8_t>(colours.Count() - 1);
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < reach; ++i) {
        std::uint32_t e = colours[i];
        if ((e >= MESH_WHITE) != (c >= MESH_WHITE)) continue;
        if (c >= MESH_WHITE) return static_cast<std::uint8_t>(i);
        long d = 0;
        for (int s = 0; s < 24; s += 8) {
            long k = static_cast<long>((e >> s) & 255) - static_cast<long>((c >> s) & 255);
            d += k * k;
        }
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// Separators are the only points that are never drawn; white points
// (0xFFFFFFFC) are drawn like coloured ones, so they take part in the
// frame's range and are quantised like them.
bool IsSeparator(std::uint32_t colour) { return colour > MESH_WHITE; }

} // namespace

void MeshObject::Compress()
{
    u.Free();
    v.Free();
    if (frames.Count() == 0) {
        normalsReady = 0;
        return;
    }
    for (int fi = 0; fi < frames.Count(); ++fi) {
        POLY_FRAME& f = frames[fi];
        f.points.Clear();
        float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
        bool any = false;
        for (int i = 0; i < f.vertices.Count(); ++i) {
            const POLY_NODE& n = f.vertices[i];
            if (IsSeparator(n.colour)) continue;
            for (int a = 0; a < 3; ++a) {
                if (!any || n.pos[a] < lo[a]) lo[a] = n.pos[a];
                if (!any || n.pos[a] > hi[a]) hi[a] = n.pos[a];
            }
            any = true;
        }
        for (int a = 0; a < 3; ++a) {
            if (!any) {
                f.scale[a] = 1.0f;
                f.offset[a] = 0.0f;
                continue;
            }
            float s = (hi[a] - lo[a]) / 255.0f;
            f.scale[a] = s == 0.0f ? 1.0f : s;
            f.offset[a] = -lo[a] / f.scale[a];
        }
        const int n = f.vertices.Count();
        u.AllocAtLeast(n);
        v.AllocAtLeast(n);
        f.points.AllocAtLeast(n);
        for (int i = 0; i < n; ++i) {
            const POLY_NODE& vx = f.vertices[i];
            XPOLY_NODE p = {{0, 0, 0}, 0, 0, 0, 0};
            p.colour = ColourIndex(colours, vx.colour);
            if (!IsSeparator(vx.colour)) {
                p.normal = static_cast<std::uint8_t>(MatchNormal(vx.normal[0], vx.normal[1], vx.normal[2]));
                // In double precision, and the largest coordinate pinned to
                // 255: single-precision rounding would leave it at 254. An
                // axis without extent quantises to 0, which expands back to
                // its one coordinate (pinned to 255 it would move by 255).
                for (int a = 0; a < 3; ++a)
                    p.pos[a] = vx.pos[a] == hi[a] && hi[a] != lo[a] ? 255
                                                  : QuantiseAxis(static_cast<double>(vx.pos[a]) / f.scale[a] +
                                                                 f.offset[a]);
            }
            if (fi == 0) {
                u.Push(vx.u);
                v.Push(vx.v);
            }
            f.points.Push(p);
        }
        f.vertices.Clear();
    }
    normalsReady = 0;
}

void MeshObject::AutoNormalsAfterCompression(bool normals, bool smooth, bool basis)
{
    if (frames.Count() == 0 || frames[0].points.Count() == 0) return;
    if (normals && normalsReady != 0) normals = false;
    if (basis && (frames[0].points[0].basis1 != 0 || frames[0].points[0].basis2 != 0)) basis = false;
    if (!normals && !basis) return;
    normalsReady = 1;

    // Shared corners: the sums of the face normals and basis vectors of the
    // triangles meeting there. Keys are unique in the list, so a map finds
    // the one entry the search from the end would find.
    struct Shared {
        float normal[3];
        float basis1[3];
        float basis2[3];
    };
    std::vector<Shared> shared;
    shared.reserve(static_cast<std::size_t>(frames[0].points.Count()) + 1);
    std::unordered_map<std::uint32_t, int> byKey;
    std::vector<int> sharedOf;

    for (int fi = 0; fi < frames.Count(); ++fi) {
        POLY_FRAME& f = frames[fi];
        const int n = f.points.Count();
        // Every frame is a pose of its own: its corners, primitive mode and
        // fallback basis start afresh, so no sum mixes faces of two frames
        // (keys by point number or position repeat from frame to frame).
        shared.clear();
        byKey.clear();
        std::uint32_t mode = MESH_LIST;
        float lastB1[3] = {0, 0, 0}, lastB2[3] = {0, 0, 0};
        sharedOf.assign(static_cast<std::size_t>(n), 0);
        int k = 0, parity = 0;
        float pos[3][3];
        float tex[3][2];
        int idx[3];
        for (int i = 0; i < n; ++i) {
            POLY_NODE rec;
            ExpandPoint(f, i, rec);
            if (rec.colour >= MESH_WHITE) {
                mode = rec.colour;
                k = 0;
                parity = 0;
                continue;
            }
            for (int a = 0; a < 3; ++a) pos[k][a] = rec.pos[a];
            tex[k][0] = rec.u;
            tex[k][1] = rec.v;
            const XPOLY_NODE& p = f.points[i];
            std::uint32_t key = smooth ? p.pos[0] + 256u * p.pos[1] + 65536u * p.pos[2]
                                       : static_cast<std::uint32_t>(i);
            auto it = byKey.find(key);
            int s;
            if (it != byKey.end()) {
                s = it->second;
            } else {
                s = static_cast<int>(shared.size());
                shared.push_back(Shared{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
                byKey.emplace(key, s);
            }
            sharedOf[static_cast<std::size_t>(i)] = s;
            idx[k++] = s;
            if (k < 3) continue;

            parity ^= 1;
            if (mode == MESH_LIST) {
                k = 0;
                parity = 0;
            } else {
                k = 2;
            }
            const bool reversed = mode == MESH_STRIP && parity == 0;
            if (normals) {
                float e1[3], e2[3];
                for (int a = 0; a < 3; ++a) {
                    e1[a] = pos[2][a] - pos[1][a];
                    e2[a] = pos[1][a] - pos[0][a];
                }
                float fn[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                               e1[0] * e2[1] - e1[1] * e2[0]};
                if (reversed)
                    for (float& c : fn) c = -c;
                for (int c = 0; c < 3; ++c)
                    for (int a = 0; a < 3; ++a) shared[static_cast<std::size_t>(idx[c])].normal[a] += fn[a];
            }
            if (basis) {
                float du1 = tex[1][0] - tex[0][0], dv1 = tex[1][1] - tex[0][1];
                float du2 = tex[2][0] - tex[0][0], dv2 = tex[2][1] - tex[0][1];
                float det = du1 * dv2 - dv1 * du2;
                if (std::fabs(det) > 1e-5f) {
                    for (int a = 0; a < 3; ++a) {
                        float d1 = pos[1][a] - pos[0][a], d2 = pos[2][a] - pos[0][a];
                        lastB1[a] = (d1 * dv2 - d2 * dv1) / det;
                        lastB2[a] = (d2 * du1 - d1 * du2) / det;
                    }
                }
                for (int c = 0; c < 3; ++c) {
                    Shared& sh = shared[static_cast<std::size_t>(idx[c])];
                    for (int a = 0; a < 3; ++a) {
                        sh.basis1[a] += lastB1[a];
                        sh.basis2[a] += lastB2[a];
                    }
                }
                for (int t = 0; t < 2; ++t) {
                    tex[0][t] = tex[1][t];
                    tex[1][t] = tex[2][t];
                }
            }
            for (int a = 0; a < 3; ++a) {
                pos[0][a] = pos[1][a];
                pos[1][a] = pos[2][a];
            }
            idx[0] = idx[1];
            idx[1] = idx[2];
        }
        if (shared.empty()) continue; // only separators so far: nothing to store
        for (int i = 0; i < n; ++i) {
            const Shared& sh = shared[static_cast<std::size_t>(sharedOf[static_cast<std::size_t>(i)])];
            XPOLY_NODE& p = f.points[i];
            if (normals) p.normal = static_cast<std::uint8_t>(MatchNormal(sh.normal[0], sh.normal[1], sh.normal[2]));
            if (basis) {
                p.basis2 = static_cast<std::uint8_t>(MatchNormal(sh.basis2[0], sh.basis2[1], sh.basis2[2]));
                p.basis1 = static_cast<std::uint8_t>(MatchNormal(sh.basis1[0], sh.basis1[1], sh.basis1[2]));
            }
        }
    }
    PrepareTriangles();
}

} // namespace __VELTRIC__
