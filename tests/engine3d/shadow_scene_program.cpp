// A small translated 3D program: a white floor, an orange box hovering
// above it and the same box scaled by 2, lit by a sun and casting stencil
// shadows, drawn right after X_MAKE3D with nothing else set up. After the
// frame's 3D part it reports the colours of a few points of the scene as
//   pixel NAME X Y R G B
// and, given a file name as its argument, saves the frame there.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine3d/x_commands.h"
#include "media/commands2d.h"
#include "runtime/veltric.h"

namespace __VELTRIC__ {

// One face of the box lo..hi on axis k, on its high side when outward is 1,
// as a strip wound clockwise seen from outside.
double AddFace(const double* lo, const double* hi, int k, int outward, double colour)
{
    int a = (k + 1) % 3, b = (k + 2) % 3;
    if (outward > 0) {
        const int t = a;
        a = b;
        b = t;
    }
    const int corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (const auto& c : corners) {
        double p[3];
        p[k] = outward > 0 ? hi[k] : lo[k];
        p[a] = c[0] ? hi[a] : lo[a];
        p[b] = c[1] ? hi[b] : lo[b];
        X_OBJADDVERTEX(p[0], p[1], p[2], c[0], c[1], colour);
    }
    return 0.0;
}

double MakeBox(double slot, double x0, double y0, double z0, double x1, double y1, double z1,
               double colour)
{
    const double lo[3] = {x0, y0, z0}, hi[3] = {x1, y1, z1};
    X_OBJSTART(slot);
    for (int k = 0; k < 3; ++k)
        for (int outward = -1; outward <= 1; outward += 2) {
            if (k > 0 || outward > 0) X_OBJNEWGROUP();
            AddFace(lo, hi, k, outward, colour);
        }
    X_OBJEND();
    return 0.0;
}

double MakeFloor(double slot, double half, double colour)
{
    const double lo[3] = {-half, 0, -half}, hi[3] = {half, 0, half};
    X_OBJSTART(slot);
    AddFace(lo, hi, 1, 1, colour);
    X_OBJEND();
    return 0.0;
}

// The two boxes: box 1 from (-5, 1, -1) to (-3, 3, 1); box 1 again, moved
// and scaled by 2, from (2, 0.5, -2) to (6, 4.5, 2).
double DrawBoxes()
{
    X_MOVEMENT(-4, 1, 0);
    X_DRAWOBJ(1, 0);
    X_MOVEMENT(4, 0.5, 0);
    X_SCALING(2, 2, 2);
    X_DRAWOBJ(1, 0);
    X_POPMATRIX();
    return 0.0;
}

struct Probe {
    const char* name;
    double x, y, z;
    double sx, sy, sz;
};

} // namespace __VELTRIC__

double __VELTRIC__::__MainGameSub_()
{
    MakeFloor(0, 30, 0xFFFFFF);
    MakeBox(1, -1, 0, -1, 1, 2, 1, 0x0080FF); // orange

    Probe probes[] = {
        {"floor", -7, 0, 4, 0, 0, 0},
        {"box_shadow", -2.3, 0, 1.8, 0, 0, 0},
        {"box_top", -4, 3, 0, 0, 0, 0},
        {"scaled_shadow", 8.5, 0, 4.5, 0, 0, 0},
        {"scaled_top", 4, 4.5, 0, 0, 0, 0},
        {"scaled_top_corner", 5.6, 4.5, 1.6, 0, 0, 0},
    };

    X_MAKE3D(1, 200, 45);
    X_CAMERA(0, 12, 16, 0, 0, 0);
    X_SPOT_LT(0, 0xFFFFFF, 0, 10, 0, 0, -1, 0, 180); // the sun, straight down
    X_DRAWOBJ(0, 0);
    DrawBoxes();
    X_SPOT_LT(-3, 0xFFFFFF, -8, 14, -6, 0, 0, 0, 1); // shadows from up left behind
    DrawBoxes();
    for (Probe& p : probes) X_WORLD2SCREEN(p.x, p.y, p.z, p.sx, p.sy, p.sz);
    X_MAKE2D(); // ends the shadow pass

    for (const Probe& p : probes) {
        const int x = static_cast<int>(p.sx + 0.5), y = static_cast<int>(p.sy + 0.5);
        const unsigned long c = static_cast<unsigned long>(GETPIXEL(x, y));
        std::printf("pixel %s %d %d %lu %lu %lu\n", p.name, x, y, c & 0xFF, (c >> 8) & 0xFF,
                    (c >> 16) & 0xFF);
    }
    // The command line is "path arg " with one blank after each word.
    const char* line = __g_cmdline.c_str();
    const char* arg = std::strchr(line, ' ');
    if (arg && arg[1] != '\0') {
        std::string file(arg + 1);
        file.pop_back();
        std::printf("saved %d\n", static_cast<int>(SAVEBMP(DGStr(file.c_str()))));
    }
    std::fflush(stdout);
    SHOWSCREEN();
    return 0.0;
}
