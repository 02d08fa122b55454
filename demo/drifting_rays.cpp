// DriftingRaysIV: a ring of 30 points joined by lines drifts and bounces
// inside 800 x 600 over a background whose four corners change colour on
// their own, while a welcome text rotates character by character and bobs
// up and down. Every movement is scaled by the speed factor, so the pace is
// the same at any frame rate.
#include "demo/apptime.h"
#include "demo/textlayout.h"
#include "runtime/veltric.h"

namespace __VELTRIC__ {

// TYPE lines: one point of the ring.
class __lines {
public:
    double x = 0;
    double y = 0;
    double dx = 0;
    double dy = 0;
    DGIntArray colour;

    __lines() { DIM(colour, 3); }
};

double changeValue(double value, double& rate, double factor);
double box(int x1, int y1, int x2, int y2, int c1, int c2, int c3, int c4);
double __end_main__foo__();

double __VLT_Defaults()
{
    __DG_RESX = 640;
    __DG_RESY = 480;
    __DG_FULLSCREEN = 0;
    __DG_MULTISAMPLE = 0;
    __DG_FRAMERATE = 60;
    __DG_DEBUG = 0;
    __DG_WANTMOUSE = 0;
    return 0.0;
}

namespace {
inline int Channel(double v) { return static_cast<int>(v) & 255; }
inline int Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
} // namespace

double __MainGameSub_()
{
    DGArray<__lines> ring;
    DIM(ring, 30, 0, 0, 0);
    DGStr scroll = CGStr(
        "Welcome to DriftingRaysIV, the fourth version of Drifting Rays, written by the Veltric "
        "team in the Veltric BASIC dialect!      The music is Dusk Run, written by its author for "
        "the demo.      This program converts Drifting Rays III, which was made with another "
        "toolkit.");
    DGStr holder;

    SETSCREEN(800, 600, 1);
    LIMITFPS(0);

    double c0 = RND(255);
    double c1 = RND(255);
    double c2 = RND(255);
    double c3 = RND(255);
    double r0 = RND(511) / 10 + 20;
    double r1 = -(RND(511) / 10 + 30);
    double r2 = RND(511) / 10 + 10;
    double r3 = -(RND(511) / 10 + 5);

    LOADFONT(CGStr("smalfont.png"), 0);
    initAppTime(60);
    updateAppTime();

    for (int i = 0; i <= 29; ++i) {
        do {
            ring(i).x = RND(800);
            ring(i).dx = RND(255) + 70;
        } while (!(ring(i).x >= 32 && ring(i).x <= 768));
        do {
            ring(i).y = RND(600);
            ring(i).dy = RND(255) + 70;
        } while (!(ring(i).y >= 32 && ring(i).y <= 568));
        ring(i).colour(0) = RND(255);
        ring(i).colour(1) = RND(255);
        ring(i).colour(2) = RND(255);
    }

    PLAYMUSIC(CGStr("Dusk_Run.mp3"), 0);
    MUSICVOLUME(1.0);

    double speed = updateAppTime();
    double scrollY = 300;
    double scrollRate = -10;
    double counter = 8;

    for (;;) {
        int b0 = Channel(c0), b1 = Channel(c1), b2 = Channel(c2), b3 = Channel(c3);
        box(0, 0, 800, 600, Rgb(b0, 0, 0), Rgb(b1, b1, b1), Rgb(b2, 0, b2), Rgb(b3, b3, 0));

        for (int i = 0; i <= 29; ++i) {
            int j = i == 29 ? 0 : i + 1;
            __lines& p = ring(i);
            DRAWLINE(static_cast<int>(p.x), static_cast<int>(p.y), static_cast<int>(ring(j).x),
                     static_cast<int>(ring(j).y),
                     Rgb(Channel(p.colour(0)), Channel(p.colour(1)), Channel(p.colour(2))));
            if (p.x <= 0 || p.x >= 800) {
                p.dx = 0 - p.dx;
                p.x = p.x <= 0 ? 0 : 800;
            }
            if (p.y <= 0 || p.y >= 600) {
                p.dy = 0 - p.dy;
                p.y = p.y <= 0 ? 0 : 600;
            }
            p.x += speed * p.dx * 0.03;
            p.y += speed * p.dy * 0.03;
        }

        DEBUG(scrollY + CGStr("\n"));
        PRINT(scroll, 0, scrollY);

        double v = speed * scrollRate * 0.1 + scrollY;
        if (v > 48 && v < 552) {
            scrollY = v;
        } else {
            scrollRate = -scrollRate;
            scrollY = v <= 48 ? 48 : 552;
        }

        counter = counter - speed;
        if (counter <= 0) {
            holder = LEFT_Str(scroll, 1);
            scroll = MID_Str(scroll, 1, static_cast<int>(LEN(scroll)) - 1) + holder;
            counter = 8;
        }

        SHOWSCREEN();

        c0 = changeValue(c0, r0, speed);
        c1 = changeValue(c1, r1, speed);
        c2 = changeValue(c2, r2, speed);
        c3 = changeValue(c3, r3, speed);
        speed = updateAppTime();
    }
    return 0.0;
}

double changeValue(double value, double& rate, double factor)
{
    double v = rate * factor * 0.025 + value;
    if (v > 0 && v < 255) return v;
    int s = rate < 0 ? 1 : -1;
    rate = s * (RND(511) / 10) + 20;
    return s == 1 ? 1 : 0;
}

double box(int x1, int y1, int x2, int y2, int c1, int c2, int c3, int c4)
{
    STARTPOLY(-1);
    POLYVECTOR(x2, y1, 0, 0, c1);
    POLYVECTOR(x1, y1, 0, 0, c2);
    POLYVECTOR(x1, y2, 0, 0, c3);
    POLYVECTOR(x2, y2, 0, 0, c4);
    ENDPOLY();
    return 0.0;
}

double __end_main__foo__() { return 0.0; }

} // namespace __VELTRIC__
