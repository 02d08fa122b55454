#pragma once
// The wire sphere of the debug markers: the 20 faces of a unit icosahedron,
// each split into four by its edge midpoints pushed out to the sphere.
#include <cmath>
#include <initializer_list>

namespace __VELTRIC__ {

constexpr double kIcosaX = 0.525731112119133606;
constexpr double kIcosaZ = 0.850650808352039932;

inline constexpr float kIcosaVertices[12][3] = {
    {-kIcosaX, 0, kIcosaZ}, {kIcosaX, 0, kIcosaZ},  {-kIcosaX, 0, -kIcosaZ}, {kIcosaX, 0, -kIcosaZ},
    {0, kIcosaZ, kIcosaX},  {0, kIcosaZ, -kIcosaX}, {0, -kIcosaZ, kIcosaX},  {0, -kIcosaZ, -kIcosaX},
    {kIcosaZ, kIcosaX, 0},  {-kIcosaZ, kIcosaX, 0}, {kIcosaZ, -kIcosaX, 0},  {-kIcosaZ, -kIcosaX, 0}};

inline constexpr int kIcosaFaces[20][3] = {
    {0, 4, 1},  {0, 9, 4},  {9, 5, 4},  {4, 5, 8},  {4, 8, 1},  {8, 10, 1}, {8, 3, 10},
    {5, 3, 8},  {5, 2, 3},  {2, 7, 3},  {7, 10, 3}, {7, 6, 10}, {7, 11, 6}, {11, 0, 6},
    {0, 1, 6},  {6, 1, 10}, {9, 0, 11}, {9, 11, 2}, {9, 2, 5},  {7, 2, 11}};

// Hands emit(p1, p2, p3) the corners (centre + r * e) of every triangle of
// the subdivided face e1, e2, e3. depth 0 or below is the face itself, so a
// negative depth cannot recurse without end.
template <class Emit>
void SubdivideSphereFace(const float* centre, float r, const float* e1, const float* e2,
                         const float* e3, int depth, Emit& emit)
{
    if (depth <= 0) {
        float p[3][3];
        const float* e[3] = {e1, e2, e3};
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < 3; ++i) p[k][i] = centre[i] + r * e[k][i];
        emit(p[0], p[1], p[2]);
        return;
    }
    float e12[3], e23[3], e31[3];
    for (int i = 0; i < 3; ++i) {
        e12[i] = e1[i] + e2[i];
        e23[i] = e2[i] + e3[i];
        e31[i] = e3[i] + e1[i];
    }
    for (float* v : {e12, e23, e31}) {
        const double sq = static_cast<double>(v[0]) * v[0] + static_cast<double>(v[1]) * v[1] +
                          static_cast<double>(v[2]) * v[2];
        if (!(sq > 1e-7)) continue;
        const float len = static_cast<float>(std::sqrt(sq));
        if (len == 0.0f) continue;
        for (int i = 0; i < 3; ++i) v[i] /= len;
    }
    SubdivideSphereFace(centre, r, e1, e12, e31, depth - 1, emit);
    SubdivideSphereFace(centre, r, e2, e23, e12, depth - 1, emit);
    SubdivideSphereFace(centre, r, e3, e31, e23, depth - 1, emit);
    SubdivideSphereFace(centre, r, e12, e23, e31, depth - 1, emit);
}

// The whole wire sphere: 20 faces split once, 80 triangles.
template <class Emit> void SphereGridTriangles(const float* centre, float radius, Emit& emit)
{
    for (const int* f : kIcosaFaces)
        SubdivideSphereFace(centre, radius, kIcosaVertices[f[0]], kIcosaVertices[f[1]],
                            kIcosaVertices[f[2]], 1, emit);
}

// Draws the subdivided face as GL line loops, one per triangle.
void SubdivideSphereGrid(float* centre, float radius, float* e1, float* e2, float* e3, int depth);

} // namespace __VELTRIC__
