#include "engine3d/collision_geometry.h"

#include <cmath>

#include "runtime/portable_math.h"

namespace __VELTRIC__ {

namespace {

const float kZeroSquared = 1e-7f;  // squared lengths at or below this are 0
const float kZeroLength = 1e-8f;   // lengths (and their products) at or below this are 0

inline float Dot(float const* a, float const* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline void Sub(float* out, float const* a, float const* b)
{
    out[0] = a[0] - b[0];
    out[1] = a[1] - b[1];
    out[2] = a[2] - b[2];
}

inline void Cross(float* out, float const* a, float const* b)
{
    float x = a[1] * b[2] - a[2] * b[1];
    float y = a[2] * b[0] - a[0] * b[2];
    float z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

inline float Length(float const* v)
{
    float sq = Dot(v, v);
    return sq > kZeroSquared ? std::sqrt(sq) : 0.0f;
}

inline void Normalise(float* v)
{
    float sq = Dot(v, v);
    if (sq <= kZeroSquared) return;
    float len = std::sqrt(sq);
    if (len == 0.0f) return;
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
}

// Unit normal (V2 - V0) x (V1 - V0) of a polygon's first three vertices.
inline void PolygonNormal(float* n, float (*v)[3])
{
    float e2[3], e1[3];
    Sub(e2, v[2], v[0]);
    Sub(e1, v[1], v[0]);
    Cross(n, e2, e1);
    Normalise(n);
}

// Projection range of a triangle on axis L.
inline void TriangleRange(float const* L, float const* t0, float const* t1, float const* t2,
                          float& lo, float& hi)
{
    float p0 = Dot(L, t0), p1 = Dot(L, t1), p2 = Dot(L, t2);
    lo = std::fmin(p0, std::fmin(p1, p2));
    hi = std::fmax(p0, std::fmax(p1, p2));
}

// True when L separates the box from the triangle.
inline bool Separates(float const* L, float const* centre, float const* a1, float const* a2,
                      float const* a3, float const* t0, float const* t1, float const* t2)
{
    float c = Dot(L, centre);
    float r = std::fabs(Dot(L, a1)) + std::fabs(Dot(L, a2)) + std::fabs(Dot(L, a3));
    float lo, hi;
    TriangleRange(L, t0, t1, t2, lo, hi);
    return c - r > hi || lo > c + r;
}

} // namespace

int ClassifySphere(float* centre, float* normal, float* point, float radius, float& distance)
{
    float d = Dot(normal, centre) - Dot(normal, point);
    distance = d;
    if (std::fabs(d) < radius) return 1;
    return d >= radius ? 2 : 0;
}

bool IntersectSphereBox(float* centre, float radiusSquared, float hx, float hy, float hz)
{
    float const h[3] = {hx, hy, hz};
    float s = 0.0f;
    for (int i = 0; i < 3; ++i) {
        float c = centre[i];
        if (c < -h[i]) {
            float e = c + h[i];
            s += e * e;
        } else if (c > h[i]) {
            float e = c - h[i];
            s += e * e;
        }
    }
    return radiusSquared >= s;
}

bool InsidePolygon(float* point, float (*vertices)[3], long count)
{
    if (count <= 0) return false;
    double sum = 0.0;
    for (long i = 0; i < count; ++i) {
        float a[3], b[3];
        Sub(a, vertices[i], point);
        Sub(b, vertices[(i + 1) % count], point);
        float lens = Length(a) * Length(b);
        if (lens <= kZeroLength) continue;  // point on a vertex: angle 0
        // Rounding can push the cosine just past +-1, where acos gives NaN.
        float cosine = Dot(a, b) / lens;
        if (cosine > 1.0f) cosine = 1.0f;
        if (cosine < -1.0f) cosine = -1.0f;
        sum += static_cast<float>(PortableAcos(cosine));
    }
    return sum >= 6.2203536;
}

bool IntersectCuboidAndTriangle(float const* centre, float const* axis1, float const* axis2,
                                float const* axis3, float const* t0, float const* t1,
                                float const* t2)
{
    float const* axes[3] = {axis1, axis2, axis3};
    for (float const* a : axes)
        if (Separates(a, centre, axis1, axis2, axis3, t0, t1, t2)) return false;

    float e[3][3];
    Sub(e[0], t1, t0);
    Sub(e[1], t2, t1);
    Sub(e[2], t0, t2);

    // The triangle's face normal; without it a box just off the face of a
    // tilted triangle would count as touching it.
    float n[3];
    Cross(n, e[0], e[1]);
    if (Separates(n, centre, axis1, axis2, axis3, t0, t1, t2)) return false;

    for (float const* a : axes)
        for (auto& edge : e) {
            float L[3];
            Cross(L, a, edge);
            if (Separates(L, centre, axis1, axis2, axis3, t0, t1, t2)) return false;
        }
    return true;
}

float IntersectTriangleAndRay(float const (*triangle)[3], float* p1, float* p2)
{
    float u[3], v[3], n[3];
    Sub(u, triangle[1], triangle[0]);
    Sub(v, triangle[2], triangle[0]);
    Cross(n, u, v);
    if (n[0] == 0.0f && n[1] == 0.0f && n[2] == 0.0f) return 0.0f;

    float dir[3];
    Sub(dir, p2, p1);
    float ndir = Dot(n, dir);
    if (ndir == 0.0f) return 0.0f;

    float w0[3];
    Sub(w0, p1, triangle[0]);
    float t = -Dot(n, w0) / ndir;
    float w[3] = {w0[0] + t * dir[0], w0[1] + t * dir[1], w0[2] + t * dir[2]};

    float uu = Dot(u, u), vv = Dot(v, v), uv = Dot(u, v);
    float wu = Dot(w, u), wv = Dot(w, v);
    float D = uv * uv - uu * vv;
    float s = (uv * wv - vv * wu) / D;
    if (s < 0.0f || s > 1.0f) return 0.0f;
    float r = (uv * wu - uu * wv) / D;
    if (r < 0.0f || s + r > 1.0f) return 0.0f;
    return t;
}

bool TriangleAndCone(float* axis, float* apex, float cosAngle, float (*triangle)[3])
{
    float const c2 = cosAngle * cosAngle;
    float D[3][3], a[3], c[3];
    int side = 0;
    for (int i = 0; i < 3; ++i) {
        Sub(D[i], triangle[i], apex);
        a[i] = Dot(axis, D[i]);
        c[i] = a[i] * a[i] - Dot(D[i], D[i]) * c2;
        if (a[i] >= 0.0f) {
            side |= 1 << i;
            if (c[i] >= 0.0f) return true;  // vertex inside the cone
        }
    }

    static const int kEdges[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (auto const& edge : kEdges) {
        int s = edge[0], t = edge[1];
        bool sMarked = (side >> s) & 1, tMarked = (side >> t) & 1;
        if (!sMarked && !tMarked) continue;
        float E[3];
        Sub(E, triangle[t], triangle[s]);
        float aE = a[t] - a[s];
        float k2 = aE * aE - Dot(E, E) * c2;
        if (!(k2 < 0.0f)) continue;
        float k1 = a[s] * aE - Dot(E, D[s]) * c2;
        bool reach = k1 * k1 >= c[s] * k2;
        if (sMarked && tMarked) {
            if (0.0f <= k1 && k1 <= -k2 && reach) return true;
        } else if (sMarked) {
            if (k1 >= 0.0f && a[s] * k2 <= aE * k1 && reach) return true;
        } else {
            if (k1 <= -k2 && a[s] * k2 <= aE * k1 && reach) return true;
        }
    }

    if (side != 0) {
        float e0[3], e1[3], N[3];
        Sub(e0, triangle[1], triangle[0]);
        Sub(e1, triangle[2], triangle[0]);
        Cross(N, e0, e1);
        float NdA = Dot(N, axis), NdD = Dot(N, D[0]);
        float U[3] = {NdD * axis[0] - NdA * D[0][0], NdD * axis[1] - NdA * D[0][1],
                      NdD * axis[2] - NdA * D[0][2]};
        float M[3];
        Cross(M, N, U);
        float m0 = Dot(M, e0), m1 = Dot(M, e1), NdN = Dot(N, N);
        if (NdA >= 0.0f) {
            if (m0 <= 0.0f && m1 >= 0.0f && m1 - m0 <= NdA * NdN) return true;
        } else {
            if (m0 >= 0.0f && m1 <= 0.0f && m1 - m0 >= NdA * NdN) return true;
        }
    }
    return false;
}

void IntersectionPoint(float* out, float* normal, float (*line)[3], float planeDistance)
{
    float dir[3];
    Sub(dir, line[1], line[0]);
    Normalise(dir);
    float nd = Dot(normal, dir);
    if (nd == 0.0f) {
        out[0] = line[0][0];
        out[1] = line[0][1];
        out[2] = line[0][2];
        return;
    }
    float t = -(Dot(normal, line[0]) + planeDistance) / nd;
    out[0] = line[0][0] + t * dir[0];
    out[1] = line[0][1] + t * dir[1];
    out[2] = line[0][2] + t * dir[2];
}

bool IntersectedPolygon(float (*vertices)[3], float (*line)[3], int count)
{
    if (count < 3) return false;
    float n[3];
    PolygonNormal(n, vertices);
    float dist = -Dot(n, vertices[0]);
    float d0 = Dot(n, line[0]) + dist;
    float d1 = Dot(n, line[1]) + dist;
    if (d0 * d1 >= 0.0f) return false;  // same side, or an end on the plane
    float hit[3];
    IntersectionPoint(hit, n, line, dist);
    return InsidePolygon(hit, vertices, count);
}

void ClosestPointOnLine(float* out, float* a, float* b, float* p)
{
    float w[3], e[3];
    Sub(w, p, a);
    Sub(e, b, a);
    float d = Length(e);
    if (d < kZeroLength) {
        out[0] = a[0];
        out[1] = a[1];
        out[2] = a[2];
        return;
    }
    e[0] /= d;
    e[1] /= d;
    e[2] /= d;
    float t = Dot(e, w);  // distance from a along the segment
    float const* q = nullptr;
    if (t <= 0.0f) q = a;
    else if (t >= d) q = b;
    if (q) {
        out[0] = q[0];
        out[1] = q[1];
        out[2] = q[2];
        return;
    }
    out[0] = a[0] + t * e[0];
    out[1] = a[1] + t * e[1];
    out[2] = a[2] + t * e[2];
}

bool EdgeSphereCollision(float* centre, float (*vertices)[3], int count, float radius)
{
    if (count < 1) return false;
    for (int i = 0; i < count; ++i) {
        float q[3], off[3];
        ClosestPointOnLine(q, vertices[i], vertices[(i + 1) % count], centre);
        Sub(off, q, centre);
        if (Length(off) < radius) return true;
    }
    return false;
}

bool SpherePolygonCollision(float (*vertices)[3], float* centre, int count, float radius)
{
    if (count < 3) return EdgeSphereCollision(centre, vertices, count, radius);
    float n[3];
    PolygonNormal(n, vertices);
    float d = Dot(n, centre) - Dot(n, vertices[0]);
    if (!(std::fabs(d) < radius)) return false;  // wholly in front or behind
    float q[3] = {centre[0] - d * n[0], centre[1] - d * n[1], centre[2] - d * n[2]};
    if (InsidePolygon(q, vertices, count)) return true;
    return EdgeSphereCollision(centre, vertices, count, radius);
}

void gInvertMatrix4x4(float* m)
{
    float const r[16] = {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7],
                         m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]};
    m[0] = r[0];
    m[1] = r[4];
    m[2] = r[8];
    m[3] = 0.0f;
    m[4] = r[1];
    m[5] = r[5];
    m[6] = r[9];
    m[7] = 0.0f;
    m[8] = r[2];
    m[9] = r[6];
    m[10] = r[10];
    m[11] = 0.0f;
    m[12] = -(r[12] * r[0] + r[13] * r[1] + r[14] * r[2]);
    m[13] = -(r[12] * r[4] + r[13] * r[5] + r[14] * r[6]);
    m[14] = -(r[12] * r[8] + r[13] * r[9] + r[14] * r[10]);
    m[15] = 1.0f;
}

void gTransformVector(float const* m, float* v)
{
    float x = v[0], y = v[1], z = v[2];
    v[0] = m[0] * x + m[4] * y + m[8] * z + m[12];
    v[1] = m[1] * x + m[5] * y + m[9] * z + m[13];
    v[2] = m[2] * x + m[6] * y + m[10] * z + m[14];
}

} // namespace __VELTRIC__
