#include "media/texture_clamp.h"

#include <algorithm>
#include <cmath>

namespace __VELTRIC__ {

namespace {

// The held range of one texture coordinate.
struct Range {
    float lo, hi;
};

Range HeldRange(int size)
{
    const float half = 0.5f / static_cast<float>(size);
    return {half, 1.0f - half};
}

float& Coord(Corner& c, int axis) { return axis == 0 ? c.s : c.t; }
float Coord(const Corner& c, int axis) { return axis == 0 ? c.s : c.t; }

Corner Between(const Corner& a, const Corner& b, float f)
{
    return {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.s + f * (b.s - a.s), a.t + f * (b.t - a.t)};
}

int FanTriangles(const Corner* v, int n, Corner* out)
{
    int k = 0;
    for (int i = 1; i + 1 < n; ++i) {
        out[k++] = v[0];
        out[k++] = v[i];
        out[k++] = v[i + 1];
    }
    return (n - 2) > 0 ? n - 2 : 0;
}

// True when a pixel centre (k + 0.5) lies strictly between a and b.
bool CentreBetween(double a, double b)
{
    if (a > b) std::swap(a, b);
    const double c = std::floor(a - 0.5) + 1.5; // the first centre above a
    return c < b;
}

// ---- the grid of a parallelogram ----

// A cut across one pair of sides: where (0 .. 1 along the other pair) and
// the texture coordinate at it.
struct Cut {
    float at, coord;
};

// The cuts of the coordinate going from c0 to c1 along the side d (a
// position vector): the two ends, and where it leaves the held range.
// The band it cuts off runs along the other side e (a position vector too).
int CutsAlong(float c0, float c1, Range r, float dx, float dy, float ex, float ey, float x0, float y0, Cut* cuts)
{
    int n = 0;
    cuts[n++] = {0.0f, c0};
    // Whether the band from `from` to `to` (0 .. 1 along the side d) holds a
    // pixel centre. A band along a pixel column (e vertical) holds the
    // columns between the x of its ends, whatever the slant of d; one along
    // a row, the rows between their y. Slanted bands are always cut.
    auto holdsCentre = [&](float from, float to) {
        if (ex == 0.0f) return CentreBetween(x0 + from * dx, x0 + to * dx);
        if (ey == 0.0f) return CentreBetween(y0 + from * dy, y0 + to * dy);
        return from != to;
    };
    auto outside = [&](float c) { return c < r.lo || c > r.hi; };
    auto held = [&](float c) { return c < r.lo ? r.lo : r.hi; };
    if (outside(c0) && outside(c1) && (c0 < r.lo) == (c1 < r.lo)) {
        // Wholly beyond one end of the range: held throughout.
        cuts[0].coord = held(c0);
        cuts[n++] = {1.0f, held(c1)};
        return n;
    }
    // Where the coordinate reaches the limit v, 0 .. 1.
    auto where = [&](float v) {
        return static_cast<float>((static_cast<double>(v) - c0) / (static_cast<double>(c1) - c0));
    };
    Cut inner[2];
    int m = 0;
    if (outside(c0)) {
        const float f = where(held(c0));
        if (holdsCentre(0.0f, f)) {
            cuts[0].coord = held(c0);
            inner[m++] = {f, held(c0)};
        }
    }
    Cut last = {1.0f, c1};
    if (outside(c1)) {
        const float f = where(held(c1));
        if (holdsCentre(f, 1.0f)) {
            last.coord = held(c1);
            inner[m++] = {f, held(c1)};
        }
    }
    for (int i = 0; i < m; ++i) cuts[n++] = inner[i];
    cuts[n++] = last;
    return n;
}

// A point of the parallelogram at (a, b) of its sides q0 -> q1 and
// q0 -> q3, exactly a corner at the corners and on the sides' lines along
// them.
void GridPoint(const Corner q[4], float a, float b, float& x, float& y)
{
    auto side = [&](const Corner& p, const Corner& r) {
        if (a == 0.0f) return p;
        if (a == 1.0f) return r;
        return Between(p, r, a);
    };
    const Corner lower = side(q[0], q[1]), upper = side(q[3], q[2]);
    const Corner p = b == 0.0f ? lower : (b == 1.0f ? upper : Between(lower, upper, b));
    x = p.x;
    y = p.y;
}

// The grid pieces when q is a parallelogram whose coordinate `alongA`
// changes along q0 -> q1 only and the other along q0 -> q3 only; else -1.
int GridPieces(const Corner q[4], Range rs, Range rt, ClampPiece* out)
{
    if (q[0].x + q[2].x != q[1].x + q[3].x || q[0].y + q[2].y != q[1].y + q[3].y) return -1;
    int alongA;
    if (q[3].s == q[0].s && q[2].s == q[1].s && q[1].t == q[0].t && q[2].t == q[3].t)
        alongA = 0; // s along q0 -> q1, t along q0 -> q3
    else if (q[1].s == q[0].s && q[2].s == q[3].s && q[3].t == q[0].t && q[2].t == q[1].t)
        alongA = 1;
    else
        return -1;
    const int alongB = 1 - alongA;
    const Range ra = alongA == 0 ? rs : rt, rb = alongB == 0 ? rs : rt;
    Cut ca[4], cb[4];
    const float ax = q[1].x - q[0].x, ay = q[1].y - q[0].y, bx = q[3].x - q[0].x, by = q[3].y - q[0].y;
    const int na = CutsAlong(Coord(q[0], alongA), Coord(q[1], alongA), ra, ax, ay, bx, by, q[0].x, q[0].y, ca);
    const int nb = CutsAlong(Coord(q[0], alongB), Coord(q[3], alongB), rb, bx, by, ax, ay, q[0].x, q[0].y, cb);
    int k = 0;
    for (int j = 0; j + 1 < nb; ++j)
        for (int i = 0; i + 1 < na; ++i) {
            const Cut* a[4] = {&ca[i], &ca[i + 1], &ca[i + 1], &ca[i]};
            const Cut* b[4] = {&cb[j], &cb[j], &cb[j + 1], &cb[j + 1]};
            ClampPiece& cell = out[k++];
            cell.n = 4;
            for (int c = 0; c < 4; ++c) {
                GridPoint(q, a[c]->at, b[c]->at, cell.v[c].x, cell.v[c].y);
                Coord(cell.v[c], alongA) = a[c]->coord;
                Coord(cell.v[c], alongB) = b[c]->coord;
            }
        }
    return k;
}

// ---- any quad, triangle by triangle ----

using Piece = ClampPiece;

// p cut by the line where the coordinate `axis` equals `value`: the part at
// or below it and the part at or above it (each with < 3 corners when empty).
// A part with no corner strictly on its side of the line is empty (its
// corners lie on the line); a piece wholly on the line is the part below
// alone, or it would be drawn twice.
void SplitPiece(const Piece& p, int axis, float value, Piece& below, Piece& above)
{
    below.n = above.n = 0;
    bool anyBelow = false, anyAbove = false;
    for (int i = 0; i < p.n; ++i) {
        const Corner& a = p.v[i];
        const Corner& b = p.v[(i + 1) % p.n];
        const float ca = Coord(a, axis), cb = Coord(b, axis);
        anyBelow = anyBelow || ca < value;
        anyAbove = anyAbove || ca > value;
        if (ca <= value) below.v[below.n++] = a;
        if (ca >= value) above.v[above.n++] = a;
        if ((ca < value && cb > value) || (ca > value && cb < value)) {
            Corner m = Between(a, b, (value - ca) / (cb - ca));
            Coord(m, axis) = value;
            below.v[below.n++] = m;
            above.v[above.n++] = m;
        }
    }
    if (!anyAbove)
        above.n = 0;
    else if (!anyBelow)
        below.n = 0;
}

int TrianglePieces(const Corner& a, const Corner& b, const Corner& c, Range rs, Range rt, ClampPiece* out)
{
    Piece pieces[9], next[9];
    int n = 1;
    pieces[0].v[0] = a;
    pieces[0].v[1] = b;
    pieces[0].v[2] = c;
    pieces[0].n = 3;
    for (int axis = 0; axis < 2; ++axis) {
        const Range r = axis == 0 ? rs : rt;
        for (int end = 0; end < 2; ++end) {
            const float limit = end == 0 ? r.lo : r.hi;
            int m = 0;
            for (int i = 0; i < n; ++i) {
                Piece lower, upper;
                SplitPiece(pieces[i], axis, limit, lower, upper);
                // The part beyond the limit samples the held coordinate.
                Piece& beyond = end == 0 ? lower : upper;
                for (int k = 0; k < beyond.n; ++k) Coord(beyond.v[k], axis) = limit;
                if (lower.n >= 3) next[m++] = lower;
                if (upper.n >= 3) next[m++] = upper;
            }
            for (int i = 0; i < m; ++i) pieces[i] = next[i];
            n = m;
        }
    }
    for (int i = 0; i < n; ++i) out[i] = pieces[i];
    return n;
}

} // namespace

int ClampedPieces(const Corner q[4], int tw, int th, ClampPiece* out)
{
    const Range rs = HeldRange(tw > 0 ? tw : 1), rt = HeldRange(th > 0 ? th : 1);
    bool inside = true;
    for (int i = 0; i < 4; ++i)
        inside = inside && q[i].s >= rs.lo && q[i].s <= rs.hi && q[i].t >= rt.lo && q[i].t <= rt.hi;
    if (inside) return 0;
    int n = GridPieces(q, rs, rt, out);
    if (n == 1) {
        // A grid of one cell: the quad itself, unless its coordinates are held.
        bool same = true;
        for (int i = 0; i < 4; ++i) same = same && out[0].v[i].s == q[i].s && out[0].v[i].t == q[i].t;
        if (same) return 0;
    }
    if (n < 0) {
        n = TrianglePieces(q[0], q[1], q[2], rs, rt, out);
        n += TrianglePieces(q[0], q[2], q[3], rs, rt, out + n);
    }
    return n;
}

int ClampedTriangles(const Corner q[4], int tw, int th, Corner* out)
{
    ClampPiece pieces[kMaxClampPieces];
    const int n = ClampedPieces(q, tw, th, pieces);
    if (n == 0) {
        const int order[6] = {0, 1, 2, 0, 2, 3};
        for (int i = 0; i < 6; ++i) out[i] = q[order[i]];
        return 2;
    }
    return PieceTriangles(pieces, n, out);
}

int PieceTriangles(const ClampPiece* pieces, int n, Corner* out)
{
    int k = 0;
    for (int i = 0; i < n; ++i) k += FanTriangles(pieces[i].v, pieces[i].n, out + 3 * k);
    return k;
}

} // namespace __VELTRIC__
