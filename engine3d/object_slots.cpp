// The object slots of the 3D renderer: emptying a slot, loading an object or
// world file into it, saving its first object, and building an object from
// vertices the program gives one by one between a start and an end call.
#include <SDL_opengl.h>

#include <cstdio>
#include <cstring>

#include "engine3d/dedudeve3d.h"
#include "media/opengl_dedudeve.h"
#include "runtime/filesystem.h"

namespace __VELTRIC__ {

std::int32_t gCurObject = -1;

namespace {

// Separator colour value of a group kind: 0 separate triangles, 2 a fan,
// anything else a strip.
std::uint32_t GroupCode(int kind)
{
    if (kind == 0) return MESH_LIST;
    if (kind == 2) return MESH_FAN;
    return MESH_STRIP;
}

void DeleteTextures(X_WORLD& w)
{
    if (w.textures.Count() > 0)
        glDeleteTextures(w.textures.Count(), reinterpret_cast<GLuint*>(w.textures.Items()));
}

// Emptied for building: the arrays stay for reuse.
void EmptyForReuse(X_WORLD& w)
{
    for (int i = 0; i < w.objects.Count(); ++i) w.objects[i].object.Clear(false);
    w.objects.Clear();
    w.loaded = 0;
    w.isWorld = 0;
    DeleteTextures(w);
    w.textures.Clear();
}

// Emptied for loading: every array is released.
void EmptyCompletely(X_WORLD& w)
{
    for (int i = 0; i < w.objects.Count(); ++i) w.objects[i].object.Clear(true);
    w.objects.Free();
    w.loaded = 0;
    w.isWorld = 0;
    DeleteTextures(w);
    w.textures.Free();
}

} // namespace

void MeshObjectX::Debug() {}

void Dedudeve3D::UserObjectStart(int slot, int kind)
{
    // A slot outside the table builds nothing; vertices given until the next
    // start are ignored rather than added to an earlier slot.
    gCurObject = -1;
    if (slot < 0 || slot >= slots.Count()) return;
    X_WORLD& w = slots[slot];
    EmptyForReuse(w);
    if (!w.objects.AllocAtLeast(1)) return;
    w.objects.SetCount(1);
    w.objects[0].ta = 0;
    w.objects[0].tb = 0;
    if (!w.objects[0].object.frames.Push(POLY_FRAME())) {
        w.objects.Clear();
        return;
    }
    gCurObject = slot;
    UserObjectNewGroup(kind);
}

namespace {

// Frame 0 of the object being built, or null when none is.
POLY_FRAME* BuildFrame(Queue<X_WORLD>& slots)
{
    if (gCurObject < 0 || gCurObject >= slots.Count()) return nullptr;
    X_WORLD& w = slots[gCurObject];
    if (w.objects.Count() < 1) return nullptr;
    MeshObjectX& o = w.objects[0].object;
    if (o.frames.Count() < 1) return nullptr;
    return &o.frames[0];
}

} // namespace

void Dedudeve3D::UserObjectNewGroup(int kind)
{
    POLY_FRAME* f = BuildFrame(slots);
    if (!f) return;
    POLY_NODE n;
    std::memset(&n, 0, sizeof n);
    n.colour = GroupCode(kind);
    n.r = n.g = n.b = 1.0f;
    f->vertices.Push(n);
}

void Dedudeve3D::UserObjectAddVertex(float x, float y, float z, float u, float v,
                                     unsigned long colour)
{
    POLY_FRAME* f = BuildFrame(slots);
    if (!f) return;
    POLY_NODE n;
    std::memset(&n, 0, sizeof n);
    n.pos[0] = x;
    n.pos[1] = y;
    n.pos[2] = z;
    n.u = u;
    n.v = v;
    SetNodeColour(n, static_cast<std::uint32_t>(colour));
    f->vertices.Push(n);
}

void Dedudeve3D::UserObjectEnd()
{
    if (gCurObject < 0 || gCurObject >= slots.Count()) {
        gCurObject = -1;
        return;
    }
    X_WORLD& w = slots[gCurObject];
    gCurObject = -1;
    w.loaded = 1;
    w.isWorld = 0;
    if (w.objects.Count() < 1) return;
    MeshObjectX& o = w.objects[0].object;
    if (o.frames.Count() > 0 && o.frames[0].vertices.Count() > 2) {
        o.Compress();
        if (normalsMode == 1) o.AutoNormalsAfterCompression(true, false, false);
        else if (normalsMode == 2) o.AutoNormalsAfterCompression(true, true, false);
        o.PrepareTriangles();
        o.CalcMaxRadius();
    } else {
        // Too few vertices for a triangle: the slot stays loaded but draws nothing.
        o.Clear(false);
    }
}

bool Dedudeve3D::LoadObject(char const* file, int slot)
{
    if (slot < 0 || slot >= slots.Count()) return false;
    X_WORLD& w = slots[slot];
    EmptyCompletely(w);

    // The file type is decided by its first bytes alone, never by the name.
    if (std::FILE* f = fopen_case(file, "rb")) {
        unsigned char magic[4] = {0, 0, 0, 0};
        const std::size_t got = std::fread(magic, 1, sizeof magic, f);
        std::fclose(f);
        if (got == 4 && std::memcmp(magic, ";DDW", 4) == 0)
            return Load_DDW(file, w, renderer2D ? renderer2D->m_colorKey : 0x8000FFul);
    }

    if (!w.objects.AllocAtLeast(1)) return false;
    w.objects.SetCount(1);
    MeshObjectX& o = w.objects[0].object;
    if (o.Load(file, false) && o.frames.Count() > 0 && o.frames[0].points.Count() > 0) {
        w.loaded = 1;
        w.isWorld = 0;
        o.PrepareTriangles();
        o.CalcMaxRadius();
        return true;
    }
    return false;
}

bool Dedudeve3D::SaveObject(char const* file, int slot)
{
    // A slot outside the table or one that never held an object writes nothing.
    if (slot >= 0 && slot < slots.Count() && slots[slot].objects.Count() > 0)
        slots[slot].objects[0].object.Save(file);
    return true;
}

} // namespace __VELTRIC__
