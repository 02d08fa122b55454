// Object collision queries of the 3D renderer: a sphere, an oriented box, a
// ray or a cone against an object's triangles as the object is drawn now.
// The query is moved into the object's own coordinates with the inverse of
// the current model matrix, so the triangles are used as stored.
#include <cmath>
#include <cstring>

#include "engine3d/collision_geometry.h"
#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"

namespace __VELTRIC__ {

namespace {

// The frame's triangle list when the frame exists and holds a triangle.
const POLY_FRAME* QueryFrame(const MeshObjectX& obj, int frame)
{
    if (frame < 0 || frame >= obj.frames.Count()) return nullptr;
    const POLY_FRAME& f = obj.frames[frame];
    if (f.triangles.Count() < 3) return nullptr;
    return &f;
}

// Positions of triangle k of the frame.
void TrianglePositions(const POLY_FRAME& f, int k, float out[3][3])
{
    for (int i = 0; i < 3; ++i) std::memcpy(out[i], f.triangles[3 * k + i].pos, sizeof out[i]);
}

inline float DistanceSquared(const float* a, const float* b)
{
    float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return dx * dx + dy * dy + dz * dz;
}

inline float LengthZeroRule(const float* v)
{
    float sq = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    return sq > 1e-7f ? std::sqrt(sq) : 0.0f;
}

// Moves world-space queries into an object's coordinates.
struct ObjectSpace {
    float inv[16];

    explicit ObjectSpace(Dedudeve3D& r)
    {
        r.BuildMatrix();
        if (r.level >= 0 && r.level < Dedudeve3D::kLevelCount)
            std::memcpy(inv, r.levels[r.level].composed, sizeof inv);
        else
            for (int i = 0; i < 16; ++i) inv[i] = i % 5 == 0 ? 1.0f : 0.0f;
        gInvertMatrix4x4(inv);
    }
    void Point(const float* p, float* out) const
    {
        std::memcpy(out, p, 3 * sizeof(float));
        gTransformVector(inv, out);
    }
    // A vector v given at the point p: Minv(p + v) - Minv(p).
    void Direction(const float* p, const float* v, float* out) const
    {
        float a[3], b[3] = {p[0] + v[0], p[1] + v[1], p[2] + v[2]};
        Point(p, a);
        gTransformVector(inv, b);
        for (int i = 0; i < 3; ++i) out[i] = b[i] - a[i];
    }
};

// Keeps the nearest hit ahead of the ray's origin, else the nearest behind.
struct RayChoice {
    float ahead = 0.0f;
    float behind = 0.0f;

    void Add(float t)
    {
        if (t > 0.0f && (ahead == 0.0f || t < ahead)) ahead = t;
        if (t < 0.0f && (behind == 0.0f || t > behind)) behind = t;
    }
    float Result() const { return ahead != 0.0f ? ahead : behind; }
};

// False only when the sphere (c, radius) lies wholly outside the cone of
// unit axis `axis` at `apex` with the given half-angle cosine. The triangle
// test accepts points whose angle to the axis is at most acos(|cos|) on the
// axis side of the apex, without a length limit, so the bound does too.
bool ConeReachesSphere(const float* apex, const float* axis, float cosAngle, const float* c,
                       float radius)
{
    // A small margin keeps rounding from rejecting a sphere on the boundary.
    double r = radius * 1.0001 + 1e-4;
    double d[3] = {double(c[0]) - apex[0], double(c[1]) - apex[1], double(c[2]) - apex[2]};
    double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len <= r) return true;
    double cosPhi = (d[0] * axis[0] + d[1] * axis[1] + d[2] * axis[2]) / len;
    cosPhi = cosPhi > 1 ? 1 : (cosPhi < -1 ? -1 : cosPhi);
    double phi = std::acos(cosPhi);
    double seen = std::asin(r / len);
    double half = std::acos(std::fabs(double(cosAngle)) > 1 ? 1.0 : std::fabs(double(cosAngle)));
    return phi - seen <= half + 1e-4;
}

bool ValidSlot(const Dedudeve3D& r, int slot) { return slot >= 0 && slot < r.slots.Count(); }

} // namespace

bool Dedudeve3D::CollisionSphere(MeshObjectX& obj, int frame, float radius, float x, float y,
                                 float z)
{
    const POLY_FRAME* f = QueryFrame(obj, frame);
    if (!f) return false;
    ObjectSpace os(*this);
    float const world[3] = {x, y, z};
    float c[3];
    os.Point(world, c);

    float reach = radius + f->radius;
    if (reach * reach < DistanceSquared(c, f->centre)) return false;
    if (DistanceSquared(c, f->triangles[0].pos) <= radius * radius) return true;

    const int count = f->triangles.Count() / 3;
    for (int k = 0; k < count; ++k) {
        float tri[3][3];
        TrianglePositions(*f, k, tri);
        if (SpherePolygonCollision(tri, c, 3, radius)) return true;
    }
    return false;
}

bool Dedudeve3D::CollisionAABB(MeshObjectX& obj, int frame, float const* centre,
                               float const* axis1, float const* axis2, float const* axis3)
{
    const POLY_FRAME* f = QueryFrame(obj, frame);
    if (!f) return false;
    ObjectSpace os(*this);
    float c[3];
    os.Point(centre, c);

    // The box's corners lie at centre +- a1 +- a2 +- a3; the farthest of them
    // bounds the box. For perpendicular axes that is |a1 + a2 + a3|.
    float reachBox = 0.0f;
    for (int sign = 0; sign < 4; ++sign) {
        float s2 = sign & 1 ? -1.0f : 1.0f, s3 = sign & 2 ? -1.0f : 1.0f;
        float h[3];
        for (int i = 0; i < 3; ++i) h[i] = axis1[i] + s2 * axis2[i] + s3 * axis3[i];
        float len = LengthZeroRule(h);
        if (len > reachBox) reachBox = len;
    }
    float reach = reachBox + f->radius;
    if (reach * reach < DistanceSquared(c, f->centre)) return false;

    float a1[3], a2[3], a3[3];
    os.Direction(centre, axis1, a1);
    os.Direction(centre, axis2, a2);
    os.Direction(centre, axis3, a3);
    const int count = f->triangles.Count() / 3;
    for (int k = 0; k < count; ++k) {
        float tri[3][3];
        TrianglePositions(*f, k, tri);
        if (IntersectCuboidAndTriangle(c, a1, a2, a3, tri[0], tri[1], tri[2])) return true;
    }
    return false;
}

float Dedudeve3D::CollisionRay(MeshObjectX& obj, int frame, float x, float y, float z, float dx,
                               float dy, float dz)
{
    const POLY_FRAME* f = QueryFrame(obj, frame);
    if (!f) return 0.0f;
    float d[3] = {dx, dy, dz};
    float len = LengthZeroRule(d);
    if (len != 0.0f)
        for (float& v : d) v /= len;

    ObjectSpace os(*this);
    float const origin[3] = {x, y, z};
    float const ahead[3] = {x + d[0], y + d[1], z + d[2]};
    float o[3], e[3];
    os.Point(origin, o);
    os.Point(ahead, e);

    RayChoice choice;
    const int count = f->triangles.Count() / 3;
    for (int k = 0; k < count; ++k) {
        float tri[3][3];
        TrianglePositions(*f, k, tri);
        choice.Add(IntersectTriangleAndRay(tri, o, e));
    }
    return choice.Result();
}

double Dedudeve3D::CollisionCone(MeshObjectX& obj, int frame, float x, float y, float z, float ax,
                                 float ay, float az, float angle)
{
    const POLY_FRAME* f = QueryFrame(obj, frame);
    if (!f) return 0.0;
    float axisWorld[3] = {ax, ay, az};
    float len = LengthZeroRule(axisWorld);
    if (len != 0.0f)
        for (float& v : axisWorld) v /= len;

    ObjectSpace os(*this);
    float const apexWorld[3] = {x, y, z};
    float apex[3], axis[3];
    os.Point(apexWorld, apex);
    os.Direction(apexWorld, axisWorld, axis);
    const float cosAngle = std::cos(angle * kDegToRad);

    // The bound assumes the unit axis the triangle test gets from a rigid
    // model matrix; with scaling the triangles decide alone.
    float axisLen = LengthZeroRule(axis);
    if (std::fabs(axisLen - 1.0f) < 1e-3f &&
        !ConeReachesSphere(apex, axis, cosAngle, f->centre, f->radius))
        return 0.0;

    const int count = f->triangles.Count() / 3;
    for (int k = 0; k < count; ++k) {
        float tri[3][3];
        TrianglePositions(*f, k, tri);
        if (TriangleAndCone(axis, apex, cosAngle, tri)) return 1.0;
    }
    return 0.0;
}

bool Dedudeve3D::CollisionSphere(int slot, int frame, float radius, float x, float y, float z)
{
    if (!ValidSlot(*this, slot)) return false;
    X_WORLD& w = slots[slot];
    for (int i = 0; i < w.objects.Count(); ++i)
        if (CollisionSphere(w.objects[i].object, frame, radius, x, y, z)) return true;
    return false;
}

bool Dedudeve3D::CollisionAABB(int slot, int frame, float const* centre, float const* axis1,
                               float const* axis2, float const* axis3)
{
    if (!ValidSlot(*this, slot)) return false;
    X_WORLD& w = slots[slot];
    for (int i = 0; i < w.objects.Count(); ++i)
        if (CollisionAABB(w.objects[i].object, frame, centre, axis1, axis2, axis3)) return true;
    return false;
}

float Dedudeve3D::CollisionRay(int slot, int frame, float x, float y, float z, float dx,
                               float dy, float dz)
{
    if (!ValidSlot(*this, slot)) return 0.0f;
    X_WORLD& w = slots[slot];
    RayChoice choice;
    for (int i = 0; i < w.objects.Count(); ++i)
        choice.Add(CollisionRay(w.objects[i].object, frame, x, y, z, dx, dy, dz));
    return choice.Result();
}

double Dedudeve3D::CollisionCone(int slot, int frame, float x, float y, float z, float ax,
                                 float ay, float az, float angle)
{
    if (!ValidSlot(*this, slot)) return 0.0;
    X_WORLD& w = slots[slot];
    for (int i = 0; i < w.objects.Count(); ++i)
        if (CollisionCone(w.objects[i].object, frame, x, y, z, ax, ay, az, angle) != 0.0)
            return 1.0;
    return 0.0;
}

bool Dedudeve3D::CollisionSphereBox(float x, float y, float z, float radius, float hx, float hy,
                                    float hz)
{
    ObjectSpace os(*this);
    float const world[3] = {x, y, z};
    float c[3];
    os.Point(world, c);
    return IntersectSphereBox(c, radius * radius, hx, hy, hz);
}

} // namespace __VELTRIC__
