// Storage of the mesh model: frames, clearing and copying, the expansion of
// stored points into draw vertices, and the triangles and bounding spheres
// the renderer draws and culls with.
#include "engine3d/mesh_object.h"

#include <SDL_opengl.h>

#include <cmath>
#include <cstring>

#include "engine3d/colour_rgb.h"
#include "media/gl_extensions.h"

namespace __VELTRIC__ {

void SetNodeColour(POLY_NODE& n, std::uint32_t c)
{
    n.colour = c;
    if (c >= MESH_WHITE) {
        n.r = n.g = n.b = 1.0f;
        return;
    }
    const ColourRgb rgb = SplitColour(c);
    n.r = rgb.r;
    n.g = rgb.g;
    n.b = rgb.b;
}

namespace {

template <class T> void CopyQueue(Queue<T>& dst, const Queue<T>& src)
{
    dst.Clear();
    if (src.Count() == 0) return;
    if (!dst.AllocAtLeast(src.Count())) return;
    for (int i = 0; i < src.Count(); ++i) dst[i] = src[i];
    dst.SetCount(src.Count());
}

template <class T> void EmptyQueue(Queue<T>& q, bool free)
{
    if (free) q.Free();
    else q.Clear();
}

} // namespace

POLY_FRAME& POLY_FRAME::operator=(const POLY_FRAME& o)
{
    if (this == &o) return *this;
    CopyQueue(points, o.points);
    CopyQueue(vertices, o.vertices);
    CopyQueue(triangles, o.triangles);
    std::memcpy(offset, o.offset, sizeof offset);
    std::memcpy(scale, o.scale, sizeof scale);
    return *this;
}

MeshObject::~MeshObject()
{
    Clear(true);
}

void MeshObject::Clear(bool free)
{
    EmptyQueue(u, free);
    EmptyQueue(v, free);
    EmptyQueue(colours, free);
    EmptyQueue(firstFrameTriangles, free);
    for (int i = 0; i < frames.Count(); ++i) {
        EmptyQueue(frames[i].vertices, free);
        EmptyQueue(frames[i].points, free);
        EmptyQueue(frames[i].triangles, free);
    }
    EmptyQueue(frames, free);
    normalsReady = 0;
}

void MeshObject::CopyMeshFrom(const MeshObject& o)
{
    frames.Clear();
    if (o.frames.Count() > 0 && frames.AllocAtLeast(o.frames.Count())) {
        for (int i = 0; i < o.frames.Count(); ++i) frames[i] = o.frames[i];
        frames.SetCount(o.frames.Count());
    }
    CopyQueue(firstFrameTriangles, o.firstFrameTriangles);
    CopyQueue(u, o.u);
    CopyQueue(v, o.v);
    CopyQueue(colours, o.colours);
    normalsReady = o.normalsReady;
}

void MeshObject::ExpandPoint(const POLY_FRAME& f, int i, POLY_NODE& out) const
{
    const XPOLY_NODE& p = f.points[i];
    std::memset(&out, 0, sizeof out);
    for (int a = 0; a < 3; ++a)
        out.pos[a] = (static_cast<float>(p.pos[a]) - f.offset[a]) * f.scale[a];
    // Indices come from checked loaders; an index beyond the table or list
    // (an object put together by hand) falls back instead of reading past it.
    auto normal = [](int n) { return gAvertexnormals[n < MESH_NORMAL_COUNT ? n : 0]; };
    std::memcpy(out.normal, normal(p.normal), sizeof out.normal);
    std::memcpy(out.basis1, normal(p.basis1), sizeof out.basis1);
    std::memcpy(out.basis2, normal(p.basis2), sizeof out.basis2);
    SetNodeColour(out, p.colour < colours.Count() ? colours[p.colour] : MESH_WHITE);
    out.colourIndex = p.colour;
    // A frame may hold more points than there are texture pairs (a file
    // whose frames differ in size): those points get 0, 0.
    out.u = i < u.Count() ? u[i] : 0.0f;
    out.v = i < v.Count() ? -v[i] : 0.0f;
}

MeshObjectX& MeshObjectX::operator=(const MeshObjectX& o)
{
    if (this == &o) return *this;
    CopyMeshFrom(o);
    coloured = o.coloured;
    staticBuffer = o.staticBuffer;
    streamBuffer = o.streamBuffer;
    celTexture = o.celTexture;
    celScale = o.celScale;
    CopyQueue(edges, o.edges);
    CopyQueue(silhouette, o.silhouette);
    return *this;
}

void MeshObjectX::DropStaticBuffer()
{
    if (staticBuffer && glDeleteBuffersArb) {
        GLuint id = staticBuffer;
        glDeleteBuffersArb(1, &id);
    }
    staticBuffer = 0;
}

void MeshObjectX::PrepareTriangles()
{
    if (frames.Count() == 0) return;
    // The still frame's buffer holds the vertices of the last preparation
    // (normals included); the next draw loads the new ones.
    DropStaticBuffer();
    for (int fi = 0; fi < frames.Count(); ++fi) {
        POLY_FRAME& f = frames[fi];
        f.triangles.Clear();
        f.triangles.AllocAtLeast(f.points.Count() / 3);
        POLY_NODE slot[3];
        int k = 0;
        std::uint32_t mode = MESH_LIST;
        int parity = 0;
        for (int i = 0; i < f.points.Count(); ++i) {
            int ci = f.points[i].colour;
            std::uint32_t c = ci < colours.Count() ? colours[ci] : MESH_WHITE;
            if (c == MESH_STRIP) {
                k = 0;
                mode = MESH_STRIP;
                parity = 0;
                continue;
            }
            if (c == MESH_LIST || c == MESH_FAN) {
                k = 0;
                mode = c;
                continue;
            }
            ExpandPoint(f, i, slot[k]);
            if (++k < 3) continue;
            for (int s = 0; s < 3; ++s)
                if (!f.triangles.Push(slot[s])) return;
            if (mode == MESH_STRIP) {
                // Alternate which corner is replaced so that every triangle
                // of the strip keeps the winding of the first.
                if (parity == 0) slot[0] = slot[2];
                else slot[1] = slot[2];
                parity ^= 1;
                k = 2;
            } else if (mode == MESH_FAN) {
                slot[1] = slot[2];
                k = 2;
            } else {
                k = 0;
            }
        }
    }
    CopyQueue(firstFrameTriangles, frames[0].triangles);
    coloured = 0;
    for (int i = 0; i < colours.Count(); ++i) {
        if (colours[i] < MESH_WHITE && colours[i] != 0x00FFFFFFu) {
            coloured = 1;
            break;
        }
    }
}

void MeshObjectX::CalcMaxRadius()
{
    for (int fi = 0; fi < frames.Count(); ++fi) {
        POLY_FRAME& f = frames[fi];
        const int n = f.triangles.Count();
        f.centre[0] = f.centre[1] = f.centre[2] = 0.0f;
        f.radius = 0.0f;
        if (n == 0) continue;
        double sum[3] = {0, 0, 0};
        for (int i = 0; i < n; ++i)
            for (int a = 0; a < 3; ++a) sum[a] += f.triangles[i].pos[a];
        for (int a = 0; a < 3; ++a) f.centre[a] = static_cast<float>(sum[a] / n);
        float best = 0.0f;
        for (int i = 0; i < n; ++i) {
            float d2 = 0.0f;
            for (int a = 0; a < 3; ++a) {
                float d = f.triangles[i].pos[a] - f.centre[a];
                d2 += d * d;
            }
            float d = d2 > 1e-7f ? std::sqrt(d2) : 0.0f;
            if (d > best) best = d;
        }
        f.radius = best;
    }
}

void MeshObjectX::Clear(bool free)
{
    MeshObject::Clear(free);
    EmptyQueue(edges, free);
    EmptyQueue(silhouette, free);
    DropStaticBuffer();
    if (glDeleteBuffersArb && streamBuffer) {
        GLuint id = streamBuffer;
        glDeleteBuffersArb(1, &id);
    }
    if (celTexture) {
        GLuint id = celTexture;
        glDeleteTextures(1, &id);
        celTexture = 0;
    }
    staticBuffer = 0;
    streamBuffer = 0;
}

X_WORLD::DATA::~DATA()
{
    object.Clear(true);
}

X_WORLD::DATA& X_WORLD::DATA::operator=(const DATA& o)
{
    if (this == &o) return *this;
    object = o.object;
    ta = o.ta;
    tb = o.tb;
    return *this;
}

X_WORLD& X_WORLD::operator=(const X_WORLD& o)
{
    if (this == &o) return *this;
    loaded = o.loaded;
    isWorld = o.isWorld;
    objects.Clear();
    if (o.objects.Count() > 0 && objects.AllocAtLeast(o.objects.Count())) {
        for (int i = 0; i < o.objects.Count(); ++i) objects[i] = o.objects[i];
        objects.SetCount(o.objects.Count());
    }
    CopyQueue(textures, o.textures);
    return *this;
}

} // namespace __VELTRIC__
