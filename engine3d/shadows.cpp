// Stencil shadow volumes: the shadow pass of the 3D renderer and, per object,
// the edge-adjacency table, the silhouette for a light and the extruded
// volume drawn into the stencil buffer.
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/mesh_object.h"
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {

void Dedudeve3D::DoShadows(bool start)
{
    if ((shadowPass != 0) == start) return;
    shadowPass = start ? 1 : 0;

    if (start) {
        // Volumes only touch the stencil buffer: every depth-passing
        // fragment flips it.
        glShadeModel(GL_FLAT);
        glColorMask(0, 0, 0, 0);
        glEnable(GL_STENCIL_TEST);
        glDepthMask(0);
        glStencilFunc(GL_ALWAYS, 0, 0);
        glStencilOp(GL_KEEP, GL_KEEP, GL_INVERT);
        return;
    }

    glCullFace(GL_BACK);
    glDepthMask(1);
    glDepthFunc(GL_LEQUAL);
    glColorMask(1, 1, 1, 1);

    // Darken every pixel left with a non-zero stencil value by a
    // half-transparent black rectangle over the whole window. The 3D
    // viewport is put back afterwards so that drawing can go on in it.
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (renderer2D) {
        OpenGLDedudeve& r = *renderer2D;
        const int vx = r.m_viewX, vy = r.m_viewY, vw = r.m_viewW, vh = r.m_viewH;
        r.Make2DViewport(0, 0, 0, 0);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        r.m_alpha = 0.5f;
        glColor4f(1, 1, 1, 0.5f);
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_NOTEQUAL, 0, 0xFFFFFFFFu);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        r.DrawRect(0, 0, 3000, 2000, 0);
        glDisable(GL_BLEND);
        r.m_alpha = 1.0f;
        glColor4f(1, 1, 1, 1);
        r.m_viewX = vx;
        r.m_viewY = vy;
        r.m_viewW = vw;
        r.m_viewH = vh;
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);

    glShadeModel(GL_SMOOTH);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glClear(GL_STENCIL_BUFFER_BIT);
    // The 2D switch above turned lighting off; the lights are still on.
    if (lightMask != 0) glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    CullMode(cullMode);
}

namespace {

constexpr double kWeldDistance = 0.00001;
// Coordinates beyond this are not put on the weld grid (their cell number
// would not fit); in single precision such values only weld when equal.
constexpr double kGridLimit = 1e9;

struct Cell {
    std::int64_t x, y, z;
    bool operator==(const Cell& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct CellHash {
    std::size_t operator()(const Cell& c) const
    {
        std::uint64_t h = static_cast<std::uint64_t>(c.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<std::uint64_t>(c.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
        h ^= static_cast<std::uint64_t>(c.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
        return static_cast<std::size_t>(h);
    }
};

bool Near(const POLY_NODE& a, const POLY_NODE& b)
{
    for (int k = 0; k < 3; ++k) {
        const double d = std::fabs(static_cast<double>(a.pos[k]) - static_cast<double>(b.pos[k]));
        if (!(d < kWeldDistance)) return false;
    }
    return true;
}

// id[v] = the first earlier vertex within the weld distance on every axis,
// else v. Vertices are found through a grid of cells one weld distance wide,
// so only the 27 cells around a vertex hold candidates.
std::vector<int> WeldVertices(const POLY_NODE* V, int n)
{
    std::vector<int> id(static_cast<std::size_t>(n));
    std::vector<int> next(static_cast<std::size_t>(n), -1);
    std::unordered_map<Cell, int, CellHash> head;
    head.reserve(static_cast<std::size_t>(n));
    std::vector<int> offGrid; // non-finite or very large coordinates

    for (int v = 0; v < n; ++v) {
        const POLY_NODE& p = V[v];
        bool onGrid = true;
        for (int k = 0; k < 3; ++k) {
            const double c = p.pos[k];
            if (!(std::fabs(c) < kGridLimit)) onGrid = false;
        }
        int best = v;
        if (!onGrid) {
            for (int j : offGrid) {
                if (j < best && Near(V[j], p)) best = j;
            }
            offGrid.push_back(v);
            id[static_cast<std::size_t>(v)] = best;
            continue;
        }
        const Cell c{static_cast<std::int64_t>(std::floor(p.pos[0] / kWeldDistance)),
                     static_cast<std::int64_t>(std::floor(p.pos[1] / kWeldDistance)),
                     static_cast<std::int64_t>(std::floor(p.pos[2] / kWeldDistance))};
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy)
                for (std::int64_t dz = -1; dz <= 1; ++dz) {
                    auto it = head.find(Cell{c.x + dx, c.y + dy, c.z + dz});
                    if (it == head.end()) continue;
                    for (int j = it->second; j >= 0; j = next[static_cast<std::size_t>(j)]) {
                        if (j < best && Near(V[j], p)) best = j;
                    }
                }
        id[static_cast<std::size_t>(v)] = best;
        auto ins = head.emplace(c, v);
        if (!ins.second) {
            next[static_cast<std::size_t>(v)] = ins.first->second;
            ins.first->second = v;
        }
    }
    return id;
}

std::uint64_t EdgeKey(int a, int b)
{
    const std::uint32_t lo = static_cast<std::uint32_t>(std::min(a, b));
    const std::uint32_t hi = static_cast<std::uint32_t>(std::max(a, b));
    return (static_cast<std::uint64_t>(hi) << 32) | lo;
}

// Triangles of V that a silhouette may use: frame 0's count, bounded by the
// length of V when V is one of the object's own arrays, since frames read
// from a file need not hold as many triangles as frame 0.
int UsableTriangles(const MeshObjectX& m, const POLY_NODE* V)
{
    int T = m.edges.Count() / 3;
    if (V == m.firstFrameTriangles.Items()) T = std::min(T, m.firstFrameTriangles.Count() / 3);
    for (int f = 0; f < m.frames.Count(); ++f) {
        const Queue<POLY_NODE>& tri = m.frames[f].triangles;
        if (V == tri.Items()) T = std::min(T, tri.Count() / 3);
    }
    return T;
}

// True when the current model-view matrix mirrors, so that a triangle wound
// clockwise in object coordinates appears counter-clockwise on the screen.
bool MirrorsWinding()
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const double det = static_cast<double>(m[0]) * (static_cast<double>(m[5]) * m[10] -
                                                      static_cast<double>(m[9]) * m[6]) -
                       static_cast<double>(m[4]) * (static_cast<double>(m[1]) * m[10] -
                                                      static_cast<double>(m[9]) * m[2]) +
                       static_cast<double>(m[8]) * (static_cast<double>(m[1]) * m[6] -
                                                      static_cast<double>(m[5]) * m[2]);
    return det < 0.0;
}

} // namespace

void MeshObjectX::CreateEdges()
{
    if (edges.Count() > 0 || frames.Count() == 0) return;
    const Queue<POLY_NODE>& tri = frames[0].triangles;
    const int T = tri.Count() / 3;
    const int E = 3 * T;
    if (E == 0) return;
    if (!edges.AllocAtLeast(E) || !edges.SetCount(E)) {
        edges.Clear();
        return;
    }
    for (int i = 0; i < E; ++i) edges[i] = MESH_EDGE{-1, 0};

    const std::vector<int> id = WeldVertices(tri.Items(), E);

    // Every edge, grouped by the two welded corners it joins; each group
    // lists its edges in triangle order.
    std::unordered_map<std::uint64_t, std::vector<int>> groups;
    groups.reserve(static_cast<std::size_t>(E));
    for (int i = 0; i < E; ++i) {
        const int t = i / 3, e = i % 3;
        groups[EdgeKey(id[static_cast<std::size_t>(i)],
                       id[static_cast<std::size_t>(3 * t + (e + 1) % 3)])]
            .push_back(i);
    }

    // Each edge still without a neighbour is joined with every matching edge
    // of a later triangle; the last such triangle stays its neighbour, and
    // each of those edges gets this triangle as its neighbour.
    for (int i = 0; i < E; ++i) {
        if (edges[i].neighbour != -1) continue;
        const int a = i / 3, e = i % 3;
        const std::vector<int>& g =
            groups[EdgeKey(id[static_cast<std::size_t>(i)],
                           id[static_cast<std::size_t>(3 * a + (e + 1) % 3)])];
        auto it = std::upper_bound(g.begin(), g.end(), 3 * a + 2);
        for (; it != g.end(); ++it) {
            const int b = *it / 3;
            edges[i].neighbour = b;
            edges[*it].neighbour = a;
        }
    }
}

void MeshObjectX::CalculateSilhouetteEdges(POLY_NODE* V, float* L)
{
    const int T = V ? UsableTriangles(*this, V) : 0;
    if (!V || !L || T == 0 || !silhouette.AllocAtLeast(T) || !silhouette.SetCount(T)) {
        silhouette.Clear();
        return;
    }
    for (int t = 0; t < T; ++t) {
        const float* p0 = V[3 * t].pos;
        const float* p1 = V[3 * t + 1].pos;
        const float* p2 = V[3 * t + 2].pos;
        const float a[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
        const float b[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
        const float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                            a[0] * b[1] - a[1] * b[0]};
        const float third = -0.3333333f;
        const float d[3] = {L[0] + (p0[0] + p1[0] + p2[0]) * third,
                            L[1] + (p0[1] + p1[1] + p2[1]) * third,
                            L[2] + (p0[2] + p1[2] + p2[2]) * third};
        silhouette[t] = n[0] * d[0] + n[1] * d[1] + n[2] * d[2] >= 0.0f ? 1 : 0;
    }
    // A neighbour beyond the triangles of this frame counts as not lit.
    for (int i = 0; i < 3 * T; ++i) {
        const int t = i / 3;
        const int nb = edges[i].neighbour;
        std::uint32_t flag = 0;
        if (silhouette[t]) flag = (nb < 0 || nb >= T || !silhouette[nb]) ? 1 : 0;
        edges[i].silhouette = flag;
    }
}

void MeshObjectX::DrawInfiniteShadowVolume(POLY_NODE* V, float* L, bool caps)
{
    // The silhouette of this draw decides what is drawn; without one (no
    // edges built, or no light given) nothing is.
    const int T = V ? std::min(silhouette.Count(), UsableTriangles(*this, V)) : 0;
    if (!V || !L || T == 0 || edges.Count() < 3 * T) return;

    // The face culling the program chose, put back once the volume is in
    // the stencil buffer.
    const GLboolean cullWasOn = glIsEnabled(GL_CULL_FACE);
    GLint frontWas = GL_CCW, cullFaceWas = GL_BACK;
    glGetIntegerv(GL_FRONT_FACE, &frontWas);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullFaceWas);

    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    // Only volume faces strictly in front of what the pixel shows count, so
    // the lit faces of the caster itself, where the front cap lies, are not
    // counted as inside its own shadow.
    glDepthFunc(GL_LESS);
    glStencilFunc(GL_ALWAYS, 0, 0xFFFFFFFFu);
    // The light-facing triangles are wound clockwise seen from the light,
    // and the sides and the far cap follow them: the volume's outside is its
    // clockwise side, whatever front face the program draws with. A model
    // matrix that mirrors (a negative scaling) turns that winding round on
    // the screen.
    glFrontFace(MirrorsWinding() ? GL_CCW : GL_CW);

    for (int pass = 0; pass < 2; ++pass) {
        // Front faces of the volume count up, back faces count down.
        if (pass == 0) {
            glEnable(GL_CULL_FACE);
            glStencilFunc(GL_ALWAYS, 0, 0xFFFFFFFFu);
            glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
            glCullFace(GL_BACK);
        } else {
            glStencilOp(GL_KEEP, GL_KEEP, GL_DECR);
            glCullFace(GL_FRONT);
        }

        glBegin(GL_QUADS);
        for (int t = 0; t < T; ++t) {
            if (!silhouette[t]) continue;
            for (int e = 0; e < 3; ++e) {
                if (!edges[3 * t + e].silhouette) continue;
                const float* a = V[3 * t + e].pos;
                const float* b = V[3 * t + (e + 1) % 3].pos;
                glVertex4f(b[0], b[1], b[2], 1.0f);
                glVertex4f(a[0], a[1], a[2], 1.0f);
                glVertex4f(a[0] - L[0], a[1] - L[1], a[2] - L[2], 0.0f);
                glVertex4f(b[0] - L[0], b[1] - L[1], b[2] - L[2], 0.0f);
            }
        }
        glEnd();

        if (caps) {
            // Light-facing triangles close the volume in front, the others
            // projected to infinity close it behind. The front cap is pushed
            // a little away from the eye, so that where the caster itself was
            // drawn it lies behind the stored depth and is not counted.
            glEnable(GL_POLYGON_OFFSET_FILL);
            glPolygonOffset(1.0f, 4.0f);
            glBegin(GL_TRIANGLES);
            for (int t = 0; t < T; ++t) {
                for (int k = 0; k < 3; ++k) {
                    const float* p = V[3 * t + k].pos;
                    if (silhouette[t])
                        glVertex4f(p[0], p[1], p[2], 1.0f);
                    else
                        glVertex4f(p[0] - L[0], p[1] - L[1], p[2] - L[2], 0.0f);
                }
            }
            glEnd();
            glPolygonOffset(0.0f, 0.0f);
            glDisable(GL_POLYGON_OFFSET_FILL);
        }
    }
    glDepthFunc(GL_LESS);
    glFrontFace(static_cast<GLenum>(frontWas));
    glCullFace(static_cast<GLenum>(cullFaceWas));
    if (cullWasOn)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
}

} // namespace __VELTRIC__
