#pragma once
// 2D drawing and collision: the state shared by the drawing members of
// OpenGLDedudeve (declared in media/opengl_dedudeve.h) and the 3D renderer.
#include "runtime/queue.h"

namespace __VELTRIC__ {

// The sprite number last bound by SetTexture3D as first texture; negative
// when drawing is untextured.
extern int g_nTexture;

// A vertex of the polygon list: position in pixels, texture coordinates,
// colour 0..1 and alpha.
struct PolyVertex {
    float x, y;
    float s, t;
    float r, g, b;
    float a;
};

// The polygon under construction between STARTPOLY and ENDPOLY.
extern Queue<PolyVertex> g_PolyPoints;

// The box test without pixels: a box spans x .. x + w - 1 (w >= 1),
// x + w + 1 .. x (w < 0) or x alone (w = 0), ends included, likewise in y.
// 1 when the boxes overlap in both directions.
int BoxOverlap(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2);

} // namespace __VELTRIC__
