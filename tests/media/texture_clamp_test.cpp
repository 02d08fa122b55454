// The pieces of a textured quad against what GL_CLAMP_TO_EDGE samples, by
// sampling: at pixel centres and random points of each quad, the
// coordinates interpolated over the piece holding the point are those of
// the quad's own fan triangle held to the outer texel centres. Besides,
// the pieces cover the quad once, in its winding, and a quad that samples
// nothing beyond the held range comes back as its two fan triangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "media/texture_clamp.h"

using namespace __VELTRIC__;

namespace {

struct Quad {
    std::string name;
    Corner q[4];
    int tw, th;
};

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

double Area(const Corner& a, const Corner& b, const Corner& c)
{
    return 0.5 * Cross(b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y);
}

double QuadArea(const Corner q[4]) { return Area(q[0], q[1], q[2]) + Area(q[0], q[2], q[3]); }

// How deep p lies inside the convex polygon v of n corners: its least
// distance to a side, negative outside; -infinity for a polygon of no area.
double Depth(const Corner* const* v, int n, double px, double py)
{
    double area = 0;
    for (int i = 0; i < n; ++i) area += Cross(v[i]->x, v[i]->y, v[(i + 1) % n]->x, v[(i + 1) % n]->y);
    if (area == 0) return -INFINITY;
    double depth = INFINITY;
    for (int i = 0; i < n; ++i) {
        const Corner &a = *v[i], &b = *v[(i + 1) % n];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        if (len == 0) continue;
        const double d = Cross(b.x - a.x, b.y - a.y, px - a.x, py - a.y) / len;
        depth = std::min(depth, area > 0 ? d : -d);
    }
    return depth;
}

double Depth(const Corner& a, const Corner& b, const Corner& c, double px, double py)
{
    const Corner* v[3] = {&a, &b, &c};
    return Depth(v, 3, px, py);
}

// The texture coordinates interpolated linearly over the triangle abc at p.
void Interpolate(const Corner& a, const Corner& b, const Corner& c, double px, double py, double& s,
                 double& t)
{
    const double whole = Cross(b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y);
    const double wa = Cross(b.x - px, b.y - py, c.x - px, c.y - py) / whole;
    const double wb = Cross(c.x - px, c.y - py, a.x - px, a.y - py) / whole;
    const double wc = 1.0 - wa - wb;
    s = wa * a.s + wb * b.s + wc * c.s;
    t = wa * a.t + wb * b.t + wc * c.t;
}

// What the GL samples at p, a point of q, under GL_CLAMP_TO_EDGE: the
// coordinates of the fan triangle holding p, held to the outer texel centres.
void Reference(const Quad& c, double px, double py, double& s, double& t)
{
    const Corner* q = c.q;
    if (Depth(q[0], q[1], q[2], px, py) >= Depth(q[0], q[2], q[3], px, py))
        Interpolate(q[0], q[1], q[2], px, py, s, t);
    else
        Interpolate(q[0], q[2], q[3], px, py, s, t);
    s = std::clamp(s, 0.5 / c.tw, 1.0 - 0.5 / c.tw);
    t = std::clamp(t, 0.5 / c.th, 1.0 - 0.5 / c.th);
}

bool InsideHeldRange(const Quad& c)
{
    for (const Corner& k : c.q)
        if (k.s < 0.5 / c.tw || k.s > 1.0 - 0.5 / c.tw || k.t < 0.5 / c.th || k.t > 1.0 - 0.5 / c.th) return false;
    return true;
}

// No side along a pixel row or column: no cut may then be left out.
bool NoAxisSide(const Quad& c)
{
    for (int i = 0; i < 4; ++i) {
        const Corner &a = c.q[i], &b = c.q[(i + 1) % 4];
        if (a.x == b.x || a.y == b.y) return false;
    }
    return true;
}

// ---- the quads the 2D commands make ----

// The picture of iw x ih texels in a texture of tw x th stretched over
// x .. x + w, y .. y + h, as DRAWSPRITE's stretched form builds it.
Quad Stretch(int x, int y, int w, int h, int iw, int ih, int tw, int th)
{
    const float fx = x, fy = y, fw = w, fh = h;
    const float smax = static_cast<float>(iw) / tw, tmax = static_cast<float>(ih) / th;
    std::ostringstream name;
    name << "stretch " << iw << "x" << ih << " of " << tw << "x" << th << " to " << w << "x" << h << " at " << x
         << "," << y;
    return {name.str(),
            {{fx, fy + fh, 0, 0}, {fx + fw, fy + fh, smax, 0}, {fx + fw, fy, smax, tmax}, {fx, fy, 0, tmax}},
            tw,
            th};
}

// Tile (col, row), counted from the top left, of a picture cut into 4 x 4
// tiles of w x h texels (16 at most), in a 64 x 64 texture.
struct Tile {
    int w, h;
    float s0, s1, tb, tt;
};
Tile TileAt(int col, int row, int w = 16, int h = 16)
{
    constexpr int kTexture = 64;
    Tile t;
    t.w = w;
    t.h = h;
    t.s0 = static_cast<float>(col * w) / kTexture;
    t.s1 = t.s0 + static_cast<float>(w) / kTexture;
    t.tb = static_cast<float>(4 * h - (row + 1) * h) / kTexture;
    t.tt = t.tb + static_cast<float>(h) / kTexture;
    return t;
}

// The tile stretched over x .. x + w + 0.1, y .. y + h + 0.1, as
// STRETCHTILE builds it.
Quad StretchTile(int col, int row, int x, int y, int w, int h)
{
    const Tile t = TileAt(col, row);
    const float fx = x, fy = y, fw = w + 0.1f, fh = h + 0.1f;
    std::ostringstream name;
    name << "tile " << col << "," << row << " stretched to " << w << "x" << h << " at " << x << "," << y;
    return {name.str(),
            {{fx, fy, t.s0, t.tt}, {fx, fy + fh, t.s0, t.tb}, {fx + fw, fy + fh, t.s1, t.tb}, {fx + fw, fy, t.s1, t.tt}},
            64,
            64};
}

// The tile turned by `degrees` and scaled about its centre with its corners
// rounded up to whole pixels, as ROTOZOOMTILE builds it.
Quad RotoZoomTile(const Tile& t, int x, int y, double degrees, float scale)
{
    const float hx = t.w * (scale * 0.5f), hy = scale * 0.5f * t.h;
    const float sn = static_cast<float>(std::sin(degrees * M_PI / 180)),
                cs = static_cast<float>(std::cos(degrees * M_PI / 180));
    const float cx = static_cast<float>(x + t.w / 2), cy = static_cast<float>(y + t.h / 2);
    std::ostringstream name;
    name << t.w << "x" << t.h << " tile at " << t.s0 << "," << t.tb << " turned by " << degrees << " scaled by " << scale;
    return {name.str(),
            {{std::ceil(cx - hx * cs - hy * sn), std::ceil(cy - hy * cs + hx * sn), t.s0, t.tt},
             {std::ceil(cx - hx * cs + hy * sn), std::ceil(cy + hy * cs + hx * sn), t.s0, t.tb},
             {std::ceil(cx + hx * cs + hy * sn), std::ceil(cy + hy * cs - hx * sn), t.s1, t.tb},
             {std::ceil(cx + hx * cs - hy * sn), std::ceil(cy - hy * cs - hx * sn), t.s1, t.tt}},
            64,
            64};
}

// ---- the checks ----

// Counts the points that fail a check and keeps the first few of them.
class Misses {
public:
    explicit Misses(const char* what) : what_(what) {}
    std::ostream& Add()
    {
        ++count_;
        if (count_ > 4) return sink_;
        shown_ << "\n  ";
        return shown_;
    }
    void Check() const { EXPECT_EQ(count_, 0) << what_ << shown_.str(); }

private:
    const char* what_;
    int count_ = 0;
    std::ostringstream shown_, sink_;
};

constexpr double kEdge = 1e-4;     // pixels: a point this close to a side may lie in two pieces
constexpr double kCoord = 1e-5;    // texture coordinates

// The pieces of c, checked as the file's comment says. `atAnyPoint`: the
// coordinates must be right at random points too, not at pixel centres
// alone. Returns the number of triangles.
int CheckPieces(const Quad& c, bool atAnyPoint)
{
    SCOPED_TRACE(c.name);
    // Room beyond the promised most, to see that nothing is written there.
    constexpr int kSlack = 3 * 32;
    std::vector<Corner> out(3 * kMaxClampTriangles + kSlack);
    const Corner sentinel = {-7e7f, -7e7f, -7e7f, -7e7f};
    std::fill(out.begin(), out.end(), sentinel);
    const int n = ClampedTriangles(c.q, c.tw, c.th, out.data());
    EXPECT_GE(n, 0);
    EXPECT_LE(n, kMaxClampTriangles);
    for (std::size_t i = std::max(0, 3 * n); i < out.size(); ++i)
        if (std::memcmp(&out[i], &sentinel, sizeof sentinel) != 0) {
            ADD_FAILURE() << "corner " << i << " written beyond the " << n << " triangles returned";
            break;
        }
    if (n < 0 || n > kMaxClampTriangles) return n;
    for (int i = 0; i < 3 * n; ++i)
        if (!std::isfinite(out[i].x) || !std::isfinite(out[i].y) || !std::isfinite(out[i].s) ||
            !std::isfinite(out[i].t)) {
            ADD_FAILURE() << "corner " << i << " not finite";
            return n;
        }

    // Once over the quad, in its winding.
    const double area = QuadArea(c.q);
    const double tolerance = 1e-5 * std::max(1.0, std::fabs(area));
    double sum = 0, sumAbs = 0;
    for (int i = 0; i < n; ++i) {
        const double a = Area(out[3 * i], out[3 * i + 1], out[3 * i + 2]);
        sum += a;
        sumAbs += std::fabs(a);
        EXPECT_TRUE(a * area >= 0 || std::fabs(a) < 1e-6)
            << "triangle " << i << " of area " << a << " against the quad's " << area;
    }
    EXPECT_NEAR(sum, area, tolerance);
    EXPECT_NEAR(sumAbs, std::fabs(area), tolerance);

    if (InsideHeldRange(c)) {
        EXPECT_EQ(n, 2);
        const int fan[6] = {0, 1, 2, 0, 2, 3};
        for (int i = 0; i < 6 && n == 2; ++i)
            EXPECT_EQ(std::memcmp(&out[i], &c.q[fan[i]], sizeof(Corner)), 0) << "corner " << i << " of the fan";
    }

    // Points: every pixel centre and some random points well inside the quad.
    const Corner* sides[4] = {&c.q[0], &c.q[1], &c.q[2], &c.q[3]};
    float x0 = c.q[0].x, x1 = x0, y0 = c.q[0].y, y1 = y0;
    for (const Corner& k : c.q) {
        x0 = std::min(x0, k.x), x1 = std::max(x1, k.x);
        y0 = std::min(y0, k.y), y1 = std::max(y1, k.y);
    }
    struct Point {
        double x, y;
        bool centre;
    };
    std::vector<Point> points;
    for (double y = std::floor(y0) + 0.5; y < y1; ++y)
        for (double x = std::floor(x0) + 0.5; x < x1; ++x)
            if (Depth(sides, 4, x, y) > 1e-3) points.push_back({x, y, true});
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> rx(x0, x1), ry(y0, y1);
    for (int i = 0; i < 4000 && area != 0; ++i) {
        const double x = rx(gen), y = ry(gen);
        if (Depth(sides, 4, x, y) > 1e-3) points.push_back({x, y, false});
    }
    Misses uncovered("points in no piece"), twice("points inside two pieces"),
        centres("pixel centres with other coordinates than GL_CLAMP_TO_EDGE"),
        anywhere("points with other coordinates than GL_CLAMP_TO_EDGE");
    for (const Point& p : points) {
        int near = 0, inside = 0, best = -1;
        double bestDepth = -INFINITY;
        for (int i = 0; i < n; ++i) {
            const double d = Depth(out[3 * i], out[3 * i + 1], out[3 * i + 2], p.x, p.y);
            near += d > -kEdge;
            inside += d > kEdge;
            if (d > bestDepth) bestDepth = d, best = i;
        }
        if (near == 0) uncovered.Add() << p.x << "," << p.y;
        if (inside > 1) twice.Add() << p.x << "," << p.y << " in " << inside;
        if (near == 0 || !(p.centre || atAnyPoint)) continue;
        double s, t, ws, wt;
        Interpolate(out[3 * best], out[3 * best + 1], out[3 * best + 2], p.x, p.y, s, t);
        Reference(c, p.x, p.y, ws, wt);
        if (std::fabs(s - ws) > kCoord || std::fabs(t - wt) > kCoord)
            (p.centre ? centres : anywhere).Add()
                << p.x << "," << p.y << ": " << s << "," << t << " want " << ws << "," << wt;
    }
    uncovered.Check();
    twice.Check();
    centres.Check();
    anywhere.Check();
    return n;
}

std::vector<Quad> SpriteQuads()
{
    std::vector<Quad> v = {
        Stretch(3, 5, 20, 12, 16, 16, 16, 16),   // magnified in x, minified in y
        Stretch(0, 0, 40, 40, 16, 16, 16, 16),   // magnified: cut at all four sides
        Stretch(30, 4, -20, 12, 16, 16, 16, 16), // mirrored: clockwise
        Stretch(30, 40, -20, -12, 16, 16, 16, 16),
        Stretch(7, 30, 20, -12, 16, 16, 16, 16),
        Stretch(2, 1, 3, 50, 16, 16, 16, 16),    // minified in x, magnified in y
        Stretch(5, 5, 16, 16, 16, 16, 16, 16),   // one texel a pixel
        Stretch(5, 5, 8, 8, 16, 16, 16, 16),     // minified
        Stretch(-4, 3, 30, 25, 12, 10, 16, 16),  // picture smaller than its texture
        Stretch(1, 2, 33, 7, 20, 5, 32, 8),
    };
    // Tiles at the texture's edges and in its middle, stretched.
    for (const int tile : {0, 5, 15})
        for (const auto& size : {std::pair{40, 24}, {-30, 20}, {16, 16}, {5, 5}, {-3, -70}})
            v.push_back(StretchTile(tile % 4, tile / 4, 10, 7, size.first, size.second));
    // Tiles turned and zoomed, their corners on whole pixels.
    for (const Tile& tile : {TileAt(0, 0), TileAt(1, 1), TileAt(3, 3), TileAt(0, 0, 16, 15), TileAt(3, 1, 15, 16)})
        for (const double degrees : {0.0, 2.0, 7.0, 30.0, 45.0, 90.0, 135.0, 180.0, -37.0, 300.5})
            for (const float scale : {1.0f, 2.5f, 0.4f, -1.0f, 6.0f})
                v.push_back(RotoZoomTile(tile, 20, 20, degrees, scale));
    // Parallelograms and quads of other shapes.
    const float lo = 0.5f / 16;
    v.push_back({"slanted parallelogram", {{10, 0, 0, 0}, {20, 10, 1, 0}, {10, 20, 1, 1}, {0, 10, 0, 1}}, 16, 16});
    v.push_back({"sheared parallelogram", {{0, 0, 0, 0}, {12, 0, 1, 0}, {15, 20, 1, 1}, {3, 20, 0, 1}}, 16, 16});
    v.push_back({"trapezoid beyond all sides",
                 {{0, 0, -0.3f, -0.2f}, {30, 2, 1.2f, -0.1f}, {25, 20, 1.1f, 1.3f}, {3, 18, -0.2f, 1.1f}}, 16, 16});
    v.push_back({"column at the held limit",
                 {{0, 0, lo, -0.1f}, {3, 1, lo, -0.1f}, {4, 20, lo, 1.1f}, {1, 18, lo, 1.1f}}, 16, 16});
    v.push_back({"turned inside the held range",
                 {{10, 0, lo, lo}, {20.5f, 8, 1 - lo, lo}, {12, 19, 1 - lo, 1 - lo}, {1, 9, lo, 1 - lo}}, 16, 16});
    // Each fan triangle over all nine cells of the held range's grid (the
    // texture folded over itself): the most pieces.
    v.push_back({"folded texture", {{0, 0, -3, -3}, {60, 0, 6, -3}, {60, 60, -3, 6}, {0, 60, 9, 1.5f}}, 16, 16});
    v.push_back({"on the held limits", {{0, 0, lo, lo}, {16, 0, 1 - lo, lo}, {16, 16, 1 - lo, 1 - lo}, {0, 16, lo, 1 - lo}},
                 16, 16});
    return v;
}

} // namespace

TEST(TextureClamp, PiecesSampleAsClampToEdgeAndCoverTheQuadOnce)
{
    for (const Quad& c : SpriteQuads()) CheckPieces(c, NoAxisSide(c));
}

TEST(TextureClamp, QuadsOfNoAreaGivePiecesOfNoArea)
{
    const std::vector<Quad> cases = {
        Stretch(5, 5, 0, 12, 16, 16, 16, 16),
        Stretch(5, 5, 20, 0, 16, 16, 16, 16),
        Stretch(5, 5, 0, 0, 16, 16, 16, 16),
        RotoZoomTile(TileAt(0, 0), 20, 20, 30.0, 0.0f),
        {"on one line", {{0, 0, -0.5f, 0}, {10, 5, 1.5f, 0}, {20, 10, 1.5f, 1}, {10, 5, -0.5f, 1}}, 16, 16},
        {"on one line, not a parallelogram", {{0, 0, -0.5f, 0}, {10, 5, 1.5f, 0}, {20, 10, 1.5f, 1}, {4, 2, -0.5f, 1}},
         16, 16},
    };
    for (const Quad& c : cases) CheckPieces(c, false);
}

TEST(TextureClamp, AxisAlignedSidesAreCutOnlyWherePixelCentresSampleBeyond)
{
    // A 16 x 16 texture: the band beyond the held range is half a texel
    // wide at each side. Drawn 8 pixels wide it is a quarter pixel, which
    // holds no pixel centre when the side lies on a whole pixel; 16 wide, the
    // first centre lies on the limit itself, which samples the limit; 40
    // wide, it is a pixel and a quarter.
    struct Case { Quad quad; int triangles; };
    const Case cases[] = {
        {Stretch(5, 5, 8, 8, 16, 16, 16, 16), 2},
        {Stretch(5, 5, 16, 16, 16, 16, 16, 16), 2},
        {Stretch(5, 5, -8, 8, 16, 16, 16, 16), 2},
        {Stretch(0, 0, 40, 40, 16, 16, 16, 16), 3 * 3 * 2},
        {Stretch(2, 1, 3, 50, 16, 16, 16, 16), 1 * 3 * 2}, // cut across t only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quad.name);
        EXPECT_EQ(CheckPieces(c.quad, false), c.triangles);
    }
}
