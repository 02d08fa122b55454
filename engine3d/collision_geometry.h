#pragma once
// Collision geometry in single precision: points, triangles, spheres, boxes,
// rays and cones. A point or vector is three consecutive floats (x, y, z), a
// triangle three points in a row, a matrix 16 floats in column-major order
// (element 4 * column + row). The object collision queries call these after
// moving the query into the object's own coordinates.
//
// Zero rule shared by all functions: a squared length not above 1e-7 counts
// as length 0 (no square root is taken, the vector is not normalised); a
// length or a product of lengths not above 1e-8 counts as 0.

namespace __VELTRIC__ {

// Sphere against the plane through `point` with the (unnormalised) `normal`:
// 1 the sphere cuts the plane, 2 it lies in front, 0 behind. The signed
// distance normal . centre - normal . point goes to `distance`. A sphere that
// only touches the plane stays on its own side (2 in front, 0 behind).
int ClassifySphere(float* centre, float* normal, float* point, float radius, float& distance);

// Sphere (centre relative to the box centre, squared radius) against the
// axis-aligned box with half sizes hx, hy, hz.
bool IntersectSphereBox(float* centre, float radiusSquared, float hx, float hy, float hz);

// A point in the polygon's plane lies inside when the angles it sees between
// neighbouring vertices add up to at least 0.99 * 2 pi. count <= 0: false.
bool InsidePolygon(float* point, float (*vertices)[3], long count);

// Separating-axis test of an oriented box (centre, three half-axis vectors,
// not necessarily unit) against a triangle.
bool IntersectCuboidAndTriangle(float const* centre, float const* axis1, float const* axis2,
                                float const* axis3, float const* t0, float const* t1,
                                float const* t2);

// The line through p1 and p2 (both directions) against a triangle: the line
// factor t of the hit (hit = p1 + t (p2 - p1)), negative behind p1; 0 when
// there is no hit, the triangle is degenerate or the line runs parallel.
float IntersectTriangleAndRay(float const (*triangle)[3], float* p1, float* p2);

// The cone with unit `axis`, `apex` and the cosine of its half angle against
// a triangle: true when they meet.
bool TriangleAndCone(float* axis, float* apex, float cosAngle, float (*triangle)[3]);

// True when the segment line[0]..line[1] crosses the polygon.
bool IntersectedPolygon(float (*vertices)[3], float (*line)[3], int count);

// The point where the line through line[0] and line[1] meets the plane
// normal . x + planeDistance = 0; line[0] when the line runs parallel.
void IntersectionPoint(float* out, float* normal, float (*line)[3], float planeDistance);

// The point of the segment a-b nearest to p (a or b when p projects beyond
// an end).
void ClosestPointOnLine(float* out, float* a, float* b, float* p);

// True when the sphere touches the polygon (its face or one of its edges).
bool SpherePolygonCollision(float (*vertices)[3], float* centre, int count, float radius);

// True when an edge of the polygon comes closer than the radius to the
// centre. count < 1: false.
bool EdgeSphereCollision(float* centre, float (*vertices)[3], int count, float radius);

// Inverts a rotation-plus-translation matrix in place (transposed rotation,
// negated rotated translation). Scaling or projection is not undone.
void gInvertMatrix4x4(float* m);

// Transforms the point v (w = 1) in place by the column-major matrix m.
void gTransformVector(float const* m, float* v);

} // namespace __VELTRIC__
