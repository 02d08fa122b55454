#pragma once
// The 2D commands drawn the plain way, as a yardstick for the renderer: each
// function issues the GL sequence that defines what its command draws
// (texture selection, wrap modes, front faces, matrices pushed, turned and
// popped by the GL, colours, the alpha test), reading only the sprite
// records and the renderer's alpha, colour key and smooth-shading flag.
// What the renderer sends instead may differ from this in how it works out
// corners, not in the picture.
//
// Scenes are lists of draws that can be made three ways: through the
// commands, through these sequences, or as each draw's bare shape (solid
// white, untextured, no blending, tests or culling). Two pictures of one
// scene are compared pixel for pixel away from the outlines of its draws,
// where a vertex worked out another way may move an edge.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/opengl_dedudeve.h"

namespace literal2d {

using __VELTRIC__::OpenGLDedudeve;

// Drawn: as the command draws. Shape: the same geometry, solid white, with
// texturing, blending, the alpha test and culling off (set by Outline).
enum class Look { Drawn, Shape };

// The commands' sequences. n is a sprite number, c a colour 0x00BBGGRR.
void SetTexture3D(OpenGLDedudeve& r, int n);
void DrawQuad(const float q[16], Look look = Look::Drawn); // corners x, y, s, t
void DrawSprite(OpenGLDedudeve& r, int n, int x, int y, Look look = Look::Drawn);
void StretchSprite(OpenGLDedudeve& r, int n, int x, int y, int w, int h, Look look = Look::Drawn);
void ZoomSprite(OpenGLDedudeve& r, int n, int x, int y, double sx, double sy, Look look = Look::Drawn);
void RotoSprite(OpenGLDedudeve& r, int n, int x, int y, float angle, float scale, Look look = Look::Drawn);
void DrawTile(OpenGLDedudeve& r, int n, int tile, int x, int y, Look look = Look::Drawn);
void StretchTile(OpenGLDedudeve& r, int n, int tile, int x, int y, int w, int h, Look look = Look::Drawn);
void RotoZoomTile(OpenGLDedudeve& r, int n, int tile, int x, int y, float angle, float scale,
                  Look look = Look::Drawn);
void DrawPixel(OpenGLDedudeve& r, int x, int y, unsigned long c, Look look = Look::Drawn);
void DrawLine(OpenGLDedudeve& r, int x1, int y1, int x2, int y2, unsigned long c, Look look = Look::Drawn);
void DrawRect(OpenGLDedudeve& r, int x, int y, int w, int h, unsigned long c, Look look = Look::Drawn);
void Text2D(OpenGLDedudeve& r, int font, const char* text, float x, float y, float z, Look look = Look::Drawn);
// ALPHAMODE's blending and alpha.
void AlphaMode(OpenGLDedudeve& r, double a);
// STARTPOLY(n), a POLYVECTOR per corner, ENDPOLY.
struct PolyCorner {
    int x, y, u, v;
    unsigned long c;
};
void Polygon(OpenGLDedudeve& r, int n, const std::vector<PolyCorner>& corners, Look look = Look::Drawn);

// One draw of a scene, made the way asked.
enum class Way { Commands, Literal, Shape };
using Draw = std::function<void(Way)>;
using Scene = std::vector<Draw>;

// Draws of the commands of the same names (on the renderer __g_pRbow).
namespace cmd {
Draw DRAWSPRITE(int n, int x, int y);
Draw STRETCHSPRITE(int n, int x, int y, int w, int h);
Draw ZOOMSPRITE(int n, int x, int y, double sx, double sy);
Draw ROTOSPRITE(int n, int x, int y, double angle);
Draw ROTOZOOMSPRITE(int n, int x, int y, double angle, double scale);
Draw DRAWANIM(int n, int tile, int x, int y);
Draw STRETCHANIM(int n, int tile, int x, int y, int w, int h);
Draw ROTOZOOMANIM(int n, int tile, int x, int y, double angle, double scale);
Draw DRAWLINE(int x1, int y1, int x2, int y2, int c);
Draw SETPIXEL(int x, int y, int c);
Draw DRAWRECT(int x, int y, int w, int h, int c);
Draw PRINT(const std::string& text, double x, double y);
Draw POLYGON(int n, const std::vector<PolyCorner>& corners);
// Settings: nothing in the shape of a draw.
Draw ALPHAMODE(double a);
Draw SMOOTHSHADING(int on);
} // namespace cmd

// An RGB picture of the window, top row first.
struct Frame {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * w + x) * 3]; }
};

// Marks pixels of the window, top row first.
struct Mask {
    int w = 0, h = 0;
    std::vector<unsigned char> on;
    bool at(int x, int y) const { return on[static_cast<std::size_t>(y) * w + x] != 0; }
};

// Where the scenes are drawn.
struct Stage {
    OpenGLDedudeve& r;
    int w, h;
    unsigned char background[3];
};

// The scene drawn one way from the per-frame 2D state on the background,
// and read back; the 2D state is restored afterwards.
Frame Shoot(const Stage& stage, const Scene& scene, Way way);

// The pixels on the outline of any draw of the scene: those inside a draw's
// shape with one of their 8 neighbours outside it, and those outside with one
// inside. Each shape is drawn alone.
Mask Outline(const Stage& stage, const Scene& scene);

// Whether `ours` matches `ref` away from the outline. An interior pixel may
// differ only by at most 2 levels per channel, or by showing the colour of
// one of the reference pixel's 8 neighbours (a texel boundary crossed by a
// rounding), and at most 0.5 % of the interior pixels do. On failure the
// message has the counts and the first differing pixels, and the two
// pictures and the outline are saved as PPM files named after `name` in the
// working directory.
::testing::AssertionResult MatchAwayFromOutlines(const Frame& ours, const Frame& ref, const Mask& outline,
                                                 const std::string& name);

} // namespace literal2d
