// Object collision queries of the 3D renderer: a sphere, an oriented box, a
// ray or a cone against an object's triangles as the object is drawn now,
// with the current model matrix (see QuerySpace).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine3d/collision_geometry.h"
#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"
#include "runtime/portable_math.h"

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

// Where a query meets an object's triangles. A model matrix that only turns,
// mirrors and moves keeps lengths and angles, so the query is moved into the
// object's coordinates with the transposed inverse and the stored triangles
// are used as they are. Any other matrix (scaling, shear, a projective free
// matrix) would turn a sphere into an ellipsoid and a box into a slanted
// block there: the triangles are then moved into world space with the very
// matrix drawing uses and the query is tested as given. Either way radii,
// half sizes and ray factors are world lengths.
class QuerySpace {
public:
    explicit QuerySpace(Dedudeve3D& r)
    {
        r.BuildMatrix();
        if (r.level >= 0 && r.level < Dedudeve3D::kLevelCount)
            std::memcpy(m_model, r.levels[r.level].composed, sizeof m_model);
        else
            Mat4Identity(m_model);
        m_world = !Rigid(m_model);
        if (m_world) {
            m_stretch = Stretch(m_model);
        } else {
            std::memcpy(m_inverse, m_model, sizeof m_inverse);
            gInvertMatrix4x4(m_inverse);
        }
    }

    bool InWorld() const { return m_world; }
    const float* Model() const { return m_model; }

    // A world point in the space of the test.
    void Point(const float* p, float* out) const
    {
        std::memcpy(out, p, 3 * sizeof(float));
        if (!m_world) gTransformVector(m_inverse, out);
    }
    // A vector v given at the world point p: Minv(p + v) - Minv(p).
    void Direction(const float* p, const float* v, float* out) const
    {
        if (m_world) {
            std::memcpy(out, v, 3 * sizeof(float));
            return;
        }
        float a[3], b[3] = {p[0] + v[0], p[1] + v[1], p[2] + v[2]};
        Point(p, a);
        gTransformVector(m_inverse, b);
        for (int i = 0; i < 3; ++i) out[i] = b[i] - a[i];
    }
    // The frame's bounding sphere in the space of the test; false when no
    // bound holds (a projective matrix), so nothing may be rejected by it.
    bool Bound(const POLY_FRAME& f, float centre[3], float& radius) const
    {
        if (!m_world) {
            std::memcpy(centre, f.centre, sizeof f.centre);
            radius = f.radius;
            return true;
        }
        if (!(m_stretch >= 0.0f)) return false;
        ModelPoint(f.centre, centre);
        radius = f.radius * m_stretch;
        return true;
    }
    // Calls visit(k, triangle) for the frame's triangles in order, each as
    // the test sees it, until visit returns true; returns whether it did.
    // The choice of space is made once, outside the loop.
    template <class Visit> bool Triangles(const POLY_FRAME& f, Visit visit) const
    {
        const int count = f.triangles.Count() / 3;
        float tri[3][3];
        if (m_world) {
            for (int k = 0; k < count; ++k) {
                for (int i = 0; i < 3; ++i) ModelPoint(f.triangles[3 * k + i].pos, tri[i]);
                if (visit(k, tri)) return true;
            }
        } else {
            for (int k = 0; k < count; ++k) {
                for (int i = 0; i < 3; ++i)
                    std::memcpy(tri[i], f.triangles[3 * k + i].pos, sizeof tri[i]);
                if (visit(k, tri)) return true;
            }
        }
        return false;
    }
    // An object point where drawing puts it.
    void ModelPoint(const float* p, float* out) const
    {
        const float* m = m_model;
        float x = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
        float y = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
        float z = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
        if (m_projective) {
            const float w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
            if (w != 0.0f) x /= w, y /= w, z /= w;
        }
        out[0] = x, out[1] = y, out[2] = z;
    }

private:
    float m_model[16];
    float m_inverse[16];
    bool m_world = false;
    bool m_projective = false;
    float m_stretch = 1.0f; // no vector grows by more than this factor

    bool Rigid(const float* m)
    {
        m_projective = m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f || m[15] != 1.0f;
        if (m_projective) return false;
        // Rotations composed in single precision stay this close to unit,
        // perpendicular columns; a scaling of 1.00001 already counts.
        constexpr float kTolerance = 1e-5f;
        for (int i = 0; i < 3; ++i)
            for (int j = i; j < 3; ++j) {
                const float* a = m + 4 * i;
                const float* b = m + 4 * j;
                const float dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
                if (std::fabs(dot - (i == j ? 1.0f : 0.0f)) > kTolerance) return false;
            }
        return true;
    }
    // The largest factor by which the upper 3 x 3 lengthens a vector: the
    // longest column when the columns are perpendicular, else the square
    // root of the sum of all squared elements, which is never less.
    // -1 for a projective matrix.
    float Stretch(const float* m) const
    {
        if (m_projective) return -1.0f;
        double len2[3], cross = 0.0, sum = 0.0;
        for (int i = 0; i < 3; ++i) {
            const float* a = m + 4 * i;
            len2[i] = double(a[0]) * a[0] + double(a[1]) * a[1] + double(a[2]) * a[2];
            sum += len2[i];
            for (int j = i + 1; j < 3; ++j) {
                const float* b = m + 4 * j;
                cross = std::max(cross, std::fabs(double(a[0]) * b[0] + double(a[1]) * b[1] +
                                                  double(a[2]) * b[2]));
            }
        }
        const double longest = std::max({len2[0], len2[1], len2[2]});
        const double bound = cross <= 1e-6 * longest ? longest : sum;
        // A margin for the rounding of the moved triangles.
        return static_cast<float>(std::sqrt(bound) * 1.0001);
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
    double phi = PortableAcos(cosPhi);
    double seen = PortableAsin(r / len);
    double half = PortableAcos(std::fabs(double(cosAngle)) > 1 ? 1.0 : std::fabs(double(cosAngle)));
    return phi - seen <= half + 1e-4;
}

bool ValidSlot(const Dedudeve3D& r, int slot) { return slot >= 0 && slot < r.slots.Count(); }

} // namespace

bool Dedudeve3D::CollisionSphere(MeshObjectX& obj, int frame, float radius, float x, float y,
                                 float z)
{
    const POLY_FRAME* f = QueryFrame(obj, frame);
    if (!f) return false;
    const QuerySpace qs(*this);
    float const world[3] = {x, y, z};
    float c[3];
    qs.Point(world, c);

    float boundCentre[3], boundRadius;
    if (qs.Bound(*f, boundCentre, boundRadius)) {
        const float reach = radius + boundRadius;
        if (reach * reach < DistanceSquared(c, boundCentre)) return false;
    }

    return qs.Triangles(*f, [&](int k, float(&tri)[3][3]) {
        // The first vertex inside the sphere is contact without more tests.
        if (k == 0 && DistanceSquared(c, tri[0]) <= radius * radius) return true;
        return SpherePolygonCollision(tri, c, 3, radius);
    });
}

bool Dedudeve3D::CollisionAABB(MeshObjectX& obj, int frame, float const* centre,
                               float const* axis1, float const* axis2, float const* axis3)
{
    const POLY_FRAME* f = QueryFrame(obj, frame);
    if (!f) return false;
    const QuerySpace qs(*this);
    float c[3];
    qs.Point(centre, c);

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
    float boundCentre[3], boundRadius;
    if (qs.Bound(*f, boundCentre, boundRadius)) {
        const float reach = reachBox + boundRadius;
        if (reach * reach < DistanceSquared(c, boundCentre)) return false;
    }

    float a1[3], a2[3], a3[3];
    qs.Direction(centre, axis1, a1);
    qs.Direction(centre, axis2, a2);
    qs.Direction(centre, axis3, a3);
    return qs.Triangles(*f, [&](int, float(&tri)[3][3]) {
        return IntersectCuboidAndTriangle(c, a1, a2, a3, tri[0], tri[1], tri[2]);
    });
}

float Dedudeve3D::CollisionRay(MeshObjectX& obj, int frame, float x, float y, float z, float dx,
                               float dy, float dz)
{
    const POLY_FRAME* f = QueryFrame(obj, frame);
    if (!f) return 0.0f;
    // With a unit direction in world space the line factor is the distance
    // from the origin, in whichever space the triangles are met.
    float d[3] = {dx, dy, dz};
    float len = LengthZeroRule(d);
    if (len != 0.0f)
        for (float& v : d) v /= len;

    const QuerySpace qs(*this);
    float const origin[3] = {x, y, z};
    float const ahead[3] = {x + d[0], y + d[1], z + d[2]};
    float o[3], e[3];
    qs.Point(origin, o);
    qs.Point(ahead, e);

    RayChoice choice;
    qs.Triangles(*f, [&](int, float(&tri)[3][3]) {
        choice.Add(IntersectTriangleAndRay(tri, o, e));
        return false;
    });
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

    const QuerySpace qs(*this);
    float const apexWorld[3] = {x, y, z};
    float apex[3], axis[3];
    qs.Point(apexWorld, apex);
    qs.Direction(apexWorld, axisWorld, axis);
    const float cosAngle = static_cast<float>(PortableCos(angle * kDegToRad));

    // The bound holds for a unit axis only; a zero axis leaves the triangles
    // to decide alone.
    float axisLen = LengthZeroRule(axis);
    float boundCentre[3], boundRadius;
    if (std::fabs(axisLen - 1.0f) < 1e-3f && qs.Bound(*f, boundCentre, boundRadius) &&
        !ConeReachesSphere(apex, axis, cosAngle, boundCentre, boundRadius))
        return 0.0;

    return qs.Triangles(*f, [&](int, float(&tri)[3][3]) {
               return TriangleAndCone(axis, apex, cosAngle, tri);
           })
               ? 1.0
               : 0.0;
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
    // The box is the one a box model of half sizes hx, hy, hz would be
    // drawn as at the current model matrix: turned, moved and scaled with
    // it. The sphere stays a sphere of the given radius in world space.
    const QuerySpace qs(*this);
    float const world[3] = {x, y, z};
    if (!qs.InWorld()) {
        float c[3];
        qs.Point(world, c);
        return IntersectSphereBox(c, radius * radius, hx, hy, hz);
    }

    const float* m = qs.Model();
    const float half[3] = {hx, hy, hz};
    const bool projective = m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f || m[15] != 1.0f;
    float len[3];
    bool box = !projective;
    for (int i = 0; i < 3; ++i) {
        const float* a = m + 4 * i;
        len[i] = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
        box = box && len[i] > 1e-6f;
    }
    for (int i = 0; i < 3 && box; ++i)
        for (int j = i + 1; j < 3; ++j) {
            const float* a = m + 4 * i;
            const float* b = m + 4 * j;
            if (std::fabs(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) > 1e-5f * len[i] * len[j])
                box = false;
        }
    if (box) {
        // Perpendicular columns: a world box along them whose half sizes
        // are stretched by their lengths.
        const float rel[3] = {x - m[12], y - m[13], z - m[14]};
        float c[3];
        for (int i = 0; i < 3; ++i) {
            const float* a = m + 4 * i;
            c[i] = (rel[0] * a[0] + rel[1] * a[1] + rel[2] * a[2]) / len[i];
        }
        return IntersectSphereBox(c, radius * radius, hx * len[0], hy * len[1], hz * len[2]);
    }

    // A sheared, flattened or projective placement: the block's six faces in
    // world space, and its inside through the full inverse where one exists.
    float inverse[16];
    if (!projective && Mat4Invert(m, inverse)) {
        float c[3] = {x, y, z};
        gTransformVector(inverse, c);
        if (std::fabs(c[0]) <= std::fabs(hx) && std::fabs(c[1]) <= std::fabs(hy) &&
            std::fabs(c[2]) <= std::fabs(hz))
            return true;
    }
    float centre[3] = {x, y, z};
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        for (float side : {-1.0f, 1.0f}) {
            // The face's corners in order round it.
            const float su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
            float face[4][3];
            for (int k = 0; k < 4; ++k) {
                float p[3];
                p[axis] = side * half[axis];
                p[u] = su[k] * half[u];
                p[v] = sv[k] * half[v];
                qs.ModelPoint(p, face[k]);
            }
            if (SpherePolygonCollision(face, centre, 4, radius)) return true;
        }
    }
    return false;
}

} // namespace __VELTRIC__
