// A translated program that shows what a program or a peer can see of the
// runtime, so that the native and the 32-bit build can be compared line for
// line and byte for byte (tests/cross/cross_build_test.cpp). The command line
// picks the mode:
//   write DIR  prints a fixed set of values (number text, string commands,
//              FORMAT$, math, RND from fixed seeds, FINDPATH, collision and
//              projection right after X_MAKE3D and in other views) and
//              writes every kind of file into DIR: INI and line files, file
//              channels (and a sparse file beyond 4 GiB, deleted again),
//              binary objects (built, and compressed from a text object), a
//              world file, the window and a sprite as BMP and PNG
//   read DIR   loads every file in DIR with the runtime's own loaders and
//              prints what it read
// Every line of the result begins with "= "; start-up and the loaders print
// lines of their own (with paths), which the comparison leaves out.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "runtime/veltric.h"
#include "tests/support/program_argument.h"
#include "tests/engine3d/x_scene.h"

using namespace __VELTRIC__;

namespace {

// ---- output -------------------------------------------------------------------

void Out(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fputs("= ", stdout);
    std::vprintf(format, args);
    std::fputs("\n", stdout);
    va_end(args);
    std::fflush(stdout);
}

// A double's bits, so that a difference in the last bit shows.
std::string Bits(double v)
{
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    char t[32];
    std::snprintf(t, sizeof t, "%016llx", static_cast<unsigned long long>(b));
    return t;
}

// A value shown both ways: its exact bits and its text as STR$ gives it.
void Value(const char* label, double v) { Out("%s %s %s", label, Bits(v).c_str(), DGStr(v).c_str()); }

std::uint32_t Fnv(const unsigned char* p, std::size_t n)
{
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

// ---- values --------------------------------------------------------------------

void NumberText()
{
    const double inf = std::numeric_limits<double>::infinity();
    const double table[] = {
        0.1, 0.5, 1.0 / 3, 2.0 / 3, -2.0 / 3, 0.0, -0.0, 1e10, 9999999999.0, 9999999999.5,
        99999999995.0, 1e-4, 9.99999999995e-5, 0.000099999999995, 1e-5, 123456789.0, 1234567890.0,
        12345678901.0, static_cast<double>(0.1f), 1e21, 1e22, 1e100, 1e300,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(), 2.2250738585072009e-308, 9007199254740992.0,
        9007199254740993.0, 4.35, 0.15, 2.675, 1.0000000005, 0.30000000000000004, 1e15 + 0.3,
        123.456, -1e-300, 0.000123456789012345, 1 - 0x1p-53, 1 + 0x1p-52, 3.141592653589793,
        2.718281828459045, 1000.0 / 60, 0.99999999995, 9.9999999995, 5e-5, -5e-5,
        std::nan(""), -std::nan(""), inf, -inf};
    int i = 0;
    for (double v : table) {
        char label[32];
        std::snprintf(label, sizeof label, "str %d", i++);
        Value(label, v);
    }
    Out("len %d %d %d", LEN(1.0 / 3), LEN(-0.0), LEN(1e300));
    const char* texts[] = {"  12.5e3xyz", "0x1A", "1e400", "-1e-400", "99999999999", "-99999999999",
                           "2147483648", "nan", "inf", ".5", "  -7 ", "4294967296"};
    for (const char* t : texts) {
        DGStr s(t);
        Out("num [%s] %s %d", t, Bits(s.Number()).c_str(), s.Natural());
    }
}

void Strings()
{
    DGArray<DGStr> parts;
    const int n = SPLITSTR("  a,,b ,c  d", parts, " ,");
    std::string line;
    for (int i = 0; i < n; ++i) line += std::string(" [") + parts(i).c_str() + "]";
    Out("split %d%s", n, line.c_str());
    Out("replace [%s] [%s]", REPLACE_Str("aaa", "a", "aa").c_str(), REPLACE_Str("a.b.c", ".", "::").c_str());
    Out("instr %d %d %d mid [%s] [%s]", INSTR("banana", "an", 0), INSTR("banana", "an", 2), INSTR("abc", "", 4),
        MID_Str("Hello", 1, 3).c_str(), MID_Str("Hello", 2, -1).c_str());
    const unsigned char bytes[] = {0, 171, 255, 16};
    Out("hex %s ucase [%s] asc %d chr [%s]", __Bytes2Hex(bytes, 4).c_str(), UCASE_Str("stra\xdf" "e 1a").c_str(),
        ASC("\xe9"), CHR_Str(321).c_str());
    DGStr s("x");
    s += 0.25;
    s -= 7;
    s *= 1e20;
    Out("concat [%s] [%s] cmp %d %d %d", s.c_str(), (DGStr("a") - 1 + 2.5 + DGStr("b")).c_str(), DGStr("10") == 10,
        DGStr("10") < 9.5, DGStr("B") < DGStr("a"));
}

void Format()
{
    struct Row {
        double width, decimals, value;
    };
    const Row rows[] = {
        {8, 3, 3.14159},      {0, 2, 2.5},          {-6, 1, 2.5},          {0, 2, 2.675},
        {0, 2, 1.005},        {0, 0, 0.5},          {0, 0, 1.5},           {0, 0, 2.5},
        {0, 0, -0.5},         {0, 20, 0.1},         {0, 17, 1.0 / 3},      {0, 40, 1e-30},
        {0, 2, 1e20},         {0, 2, 1e300},        {0, 3, std::nan("")},  {0, 3, -1.0 / 0.0},
        {300, 2, 1},          {-300, 1, 5},         {0, -1, 3.14159},      {0, 1100, 1.0 / 3},
        {10.9, 2.9, 1.23456}, {1e12, 2, 1},         {-1e12, 2, 1},         {0, 5, -0.0},
        {0, 2, 0.125},        {0, 2, 0.375},        {12, 4, -123.45675},   {0, 0, 4503599627370497.0},
    };
    int i = 0;
    for (const Row& r : rows) {
        DGStr s = FORMAT_Str(r.width, r.decimals, r.value);
        // Long texts by their length and hash, the rest as they are.
        if (s.Len() > 80)
            Out("format %d len %u hash %08x", i, s.Len(),
                Fnv(reinterpret_cast<const unsigned char*>(s.c_str()), s.Len()));
        else
            Out("format %d [%s]", i, s.c_str());
        ++i;
    }
}

void Math()
{
    const double angles[] = {0, 1, 30, 45, 60, 89.99, 90, 123.456, 180, 270, 359.9, -33.3, 1e6, 1e15};
    for (double a : angles) {
        char label[48];
        std::snprintf(label, sizeof label, "sin %g", a);
        Value(label, SIN(a));
        std::snprintf(label, sizeof label, "cos %g", a);
        Value(label, COS(a));
        std::snprintf(label, sizeof label, "tan %g", a);
        Value(label, TAN(a));
    }
    const double xs[] = {-1.5, -1, -0.7, -0.5, 0, 0.1, 0.3, 0.5, 0.8660254037844386, 0.999, 1, 2};
    for (double x : xs) {
        char label[48];
        std::snprintf(label, sizeof label, "asin %g", x);
        Value(label, ASIN(x));
        std::snprintf(label, sizeof label, "acos %g", x);
        Value(label, ACOS(x));
        std::snprintf(label, sizeof label, "atan %g", x);
        Value(label, ATAN(x, 1 - x));
    }
    Value("pow 2 .5", POW(2, 0.5));
    Value("pow 10 -3", POW(10, -3));
    Value("pow 1.0001 10000", POW(1.0001, 10000));
    Value("pow 7 .333", POW(7, 0.333));
    Value("pow -8 3", POW(-8, 3));
    Value("sqr 2", SQR(2));
    Value("sqr 1e-300", SQR(1e-300));
    Value("fmod 10.5 3.2", FMOD(10.5, 3.2));
    Value("fmod -1e20 7", FMOD(-1e20, 7));
    Value("abs -0", ABS(-0.0));
    Out("mod %d %d %d %d", MOD(-7, 3), MOD(7, -3), MOD(5, 0), MOD(-2147483647 - 1, -1));
    Out("absint %d", ABS(-2147483647 - 1));
}

void Random()
{
    const std::uint32_t seeds[] = {0u, 1u, 12345u, 0x80000000u, 0xFFFFFFFFu};
    for (std::uint32_t seed : seeds) {
        RTsrand(seed);
        std::string line;
        for (int i = 0; i < 8; ++i) line += " " + std::to_string(static_cast<int>(RND(1000)));
        line += " |";
        for (int i = 0; i < 3; ++i) line += " " + std::to_string(RTrand());
        line += " | " + std::to_string(static_cast<long long>(RND(2147483647)));
        Out("rnd %u%s", seed, line.c_str());
    }
}

// A 9 x 7 map of equal costs with a wall in the middle: many paths of the
// same cost, so any change in how ties are broken shows.
void Paths()
{
    const char* rows[] = {
        "111111111",
        "111121111",
        "111101111",
        "311101113",
        "111101111",
        "111111111",
        "121111121",
    };
    DGIntArray map, path;
    DIM(map, 9, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) map(x, y) = rows[y][x] - '0';
    struct Query {
        double heuristic;
        int sx, sy, gx, gy;
    };
    const Query queries[] = {{0, 0, 3, 8, 3}, {0.5, 0, 3, 8, 3}, {1, 0, 3, 8, 3},  {0, 0, 0, 8, 6},
                             {0.3, 8, 6, 0, 0}, {1, 4, 0, 4, 6}, {0.25, 2, 2, 6, 4}, {0.75, 0, 6, 8, 0}};
    for (const Query& q : queries) {
        int n = FINDPATH(map, path, q.heuristic, q.sx, q.sy, q.gx, q.gy);
        std::string line;
        for (int i = 0; i < n; ++i)
            line += " " + std::to_string(static_cast<int>(path(i, 0))) + "," +
                    std::to_string(static_cast<int>(path(i, 1)));
        Out("path %g %d,%d-%d,%d n %d:%s", q.heuristic, q.sx, q.sy, q.gx, q.gy, n, line.c_str());
    }
}

// The scene: a box in slot 0 and a floor in slot 1, seen from the default
// camera of X_MAKE3D, and in slot 2 a wavy strip of uneven coordinates with
// smooth normals (the compression and the normals work in float).
void BuildScene()
{
    const double lo[3] = {-1, -1, -1}, hi[3] = {1, 1, 1};
    xscene::Box(0, lo, hi, 0x2060E0, true);
    xscene::Floor(1, -2, 5, 0x40A040, true);
    X_AUTONORMALS(2);
    X_OBJSTART(2);
    for (int i = 0; i < 24; ++i) {
        const double a = i * 15.3;
        for (int side = 0; side < 2; ++side)
            X_OBJADDVERTEX(i * 0.37 - 4.1, SIN(a) * 1.3 + side * 0.01, side * 2.7 + COS(a * 0.7) / 3, i / 23.0,
                           side, 0x10000 * i + 0x0101 * side * 200);
    }
    X_OBJEND();
    X_AUTONORMALS(0);
}

void Collisions(const char* tag, int slot)
{
    const double spheres[][4] = {{0, 0, 0, 0.5}, {1.4, 0, 0, 0.5}, {1.6, 0, 0, 0.5}, {1.2, 1.2, 1.2, 0.4},
                                 {0, -2.3, 0, 0.31}, {3, 3, 3, 0.1}};
    for (const auto& s : spheres)
        Out("%s sphere %g %g %g %g: %g", tag, s[0], s[1], s[2], s[3], X_COLLISION(slot, 0, s[3], s[0], s[1], s[2]));
    const double boxes[][6] = {{0, 0, 0, 1, 1, 1}, {1.9, 0, 0, 1.7, 1, 1}, {2.1, 0, 0, 0.1, 0.1, 0.1},
                               {0.7, 1.3, 0, 1, 1, 1}};
    for (const auto& b : boxes)
        Out("%s box %g %g %g: %g", tag, b[0], b[1], b[2],
            X_COLLISIONAABB(slot, 0, b[0], b[1], b[2], b[3], b[4], b[5]));
    const double rays[][6] = {{-5, 0.1, 0.2, 1, 0, 0}, {0, 0, -7, 0.1, 0.2, 1}, {0.3, 0.3, 0.3, 1, 1, 1},
                              {5, 5, 5, -1, -1.01, -0.99}, {0, 3, 0, 1, 0, 0}, {0, 10, 0, 0.01, -1, 0.02}};
    for (const auto& r : rays) {
        double t = X_COLLISIONRAY(slot, 0, r[0], r[1], r[2], r[3], r[4], r[5]);
        Out("%s ray %g %g %g: %s", tag, r[0], r[1], r[2], Bits(t).c_str());
    }
    Out("%s spherebox %g %g", tag, X_COLLISIONSPHEREBOX(0.5, 0.5, 0.5, 0.1, 2, 2, 2),
        X_COLLISIONSPHEREBOX(1.5, 1.5, 1.5, 0.8, 2, 2, 2));
}

void Projections(const char* tag)
{
    const double points[][3] = {{0, 0, 0}, {1, 1, -1}, {-3.5, 2.25, 10}, {0.1, -0.2, 0.3}, {100, 50, 500}};
    for (const auto& p : points) {
        double sx = 0, sy = 0, sz = 0;
        X_WORLD2SCREEN(p[0], p[1], p[2], sx, sy, sz);
        Out("%s w2s %g %g %g: %s %s %s", tag, p[0], p[1], p[2], Bits(sx).c_str(), Bits(sy).c_str(),
            Bits(sz).c_str());
    }
    const double screen[][3] = {{320, 240, 0.5}, {0, 0, 0}, {639.5, 479.5, 1}, {100.25, 300.75, 0.9}};
    for (const auto& s : screen) {
        double x = 0, y = 0, z = 0;
        X_SCREEN2WORLD(s[0], s[1], s[2], x, y, z);
        Out("%s s2w %g %g %g: %s %s %s", tag, s[0], s[1], s[2], Bits(x).c_str(), Bits(y).c_str(),
            Bits(z).c_str());
    }
}

void Scene()
{
    X_MAKE3D(1, 1000, 45);
    BuildScene();
    Collisions("default", 0);
    Collisions("floor", 1);
    Collisions("strip", 2);
    Projections("default");
    // A camera, a turned and moved model matrix, and a scaled one.
    X_CAMERA(3, 4, -9, 0, 0.5, 0);
    Projections("camera");
    X_ROTATION(33, 0.2, 1, 0.1);
    X_MOVEMENT(0.25, -0.5, 0.75);
    Collisions("turned", 0);
    Projections("turned");
    X_SCALING(1.5, 0.5, 2);
    Collisions("scaled", 0);
    // Other views: near and far planes whose sum and difference are not
    // exact in single precision, a wide and a negative (orthogonal) angle.
    const double views[][3] = {{0.1, 5000, 60}, {0.37, 123.4, 90}, {2.5, 333.3, 17.5}, {1, 100, -45}, {0.01, 1e6, 120}};
    for (const auto& v : views) {
        X_MAKE3D(v[0], v[1], v[2]);
        X_CAMERA(1.1, -2.2, 7.7, 0.3, 0.1, -0.2);
        char tag[64];
        std::snprintf(tag, sizeof tag, "view %g %g %g", v[0], v[1], v[2]);
        Projections(tag);
        Collisions(tag, 2);
    }
}

// ---- files -------------------------------------------------------------------------

std::string In(const std::string& dir, const char* name) { return dir + "/" + name; }

// A picture with the colour key and odd sizes in it: the window as BMP and
// PNG, and a grabbed sprite of odd width as BMP and PNG. Both builds must
// write the same bytes, so the window holds only pixels that follow from the
// commands alone: rectangles, points, lines and a one-colour polygon with
// corners on whole pixels, text at whole pixels, and the sprite copied and
// stretched to twice its size with nearest filtering, where no pixel centre
// comes near the edge of a texel. Bilinear filtering, turned sprites, colour
// gradients and lit or fogged 3D drawing are rounded by the GL driver, which
// compiles its rasterizer for the processor it runs on (and the 32-bit one
// otherwise than the 64-bit one, natively and under the emulator): their
// pixels are no verdict on the two builds. The matrices behind 3D drawing
// are compared as values (Projections).
void Pictures(const std::string& dir)
{
    X_MAKE2D();
    BLACKSCREEN();
    // Many colours side by side, and a block of unrelated ones, so that the
    // PNG writer's filters and compression see more than flat areas.
    for (int x = 0; x < 256; ++x) DRAWRECT(120 + x, 40, 1, 50, x | (255 - x) << 8 | ((x * 37) & 255) << 16);
    std::uint32_t noise = 12345;
    for (int i = 0; i < 96 * 40; ++i) {
        noise = noise * 1103515245u + 12345u;
        SETPIXEL(400 + i % 96, 200 + i / 96, static_cast<int>(noise >> 8 & 0xFFFFFF));
    }
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 6; ++j) DRAWRECT(20 + 13 * i, 250 + 11 * j, 12, 10, 0x0F1F2F * (i + 1) ^ 0x203040 * j);
    DRAWRECT(10, 10, 50, 30, 0x8000FF); // the colour key
    DRAWRECT(70, 12, 33, 17, 0x123456);
    DRAWLINE(5, 100, 200, 140, 0xFFFFFF);
    DRAWLINE(300, 20, 310, 200, 0x00FF00);
    for (int i = 0; i < 50; ++i) SETPIXEL(400 + i, 300 + (i * 7) % 13, 0x010203 * i);
    PRINT("Cross 1/3 = ", 20, 420);
    PRINT(1.0 / 3, 200, 420);
    STARTPOLY(-1);
    POLYVECTOR(500, 40, 0, 0, 0x3060C0);
    POLYVECTOR(530, 170, 0, 0, 0x3060C0);
    POLYVECTOR(620, 90, 0, 0, 0x3060C0);
    ENDPOLY();
    GRABSPRITE(7, 5, 5, 77, 31);
    SMOOTHSHADING(0);
    DRAWSPRITE(7, 420, 250);
    STRETCHSPRITE(7, 420, 330, 154, 62);
    SMOOTHSHADING(1);
    SAVEBMP(In(dir, "screen.bmp").c_str());
    SAVEBMP(In(dir, "screen.png").c_str());
    SAVESPRITE(In(dir, "sprite.bmp").c_str(), 7);
    SAVESPRITE(In(dir, "sprite.png").c_str(), 7);
    // The bump map made from a picture (its normals are worked out in float).
    LOADBUMPTEXTURE(In(dir, "sprite.bmp").c_str(), 8);
    SAVESPRITE(In(dir, "bump.bmp").c_str(), 8);
    Out("collide %g %g %g %g", SPRCOLL(7, 0, 0, 7, 70, 25), SPRCOLL(7, 0, 0, 7, 77, 0), BOXCOLL(0, 0, 10, 10, 9, 9, 5, 5),
        BOXCOLL(0, 0, 10, 10, 10, 0, 5, 5));
}

// A file beyond 4 GiB (sparse): positions and sizes past 32 bits.
void BigFile(const std::string& dir)
{
    const std::string big = In(dir, "big.bin");
    OPENFILE(2, big.c_str(), 0);
    WRITELONG(2, 1);
    FILESEEK(2, 4294967300.0, 0);
    WRITELONG(2, 0x12345678);
    CLOSEFILE(2);
    OPENFILE(2, big.c_str(), 1);
    FILESEEK(2, -4, -1);
    int v = 0;
    const double before = FILEPOSITION(2);
    READLONG(2, v);
    Out("big size %.0f position %.0f %.0f end %g value %d", GETFILESIZE(big.c_str()), before, FILEPOSITION(2),
        ENDOFFILE(2), v);
    FILESEEK(2, 6e9, 0);
    Out("big seek %.0f end %g", FILEPOSITION(2), ENDOFFILE(2));
    CLOSEFILE(2);
    KILLFILE(big.c_str());
}

// A world file: the objects and pictures written here, in one slot.
void World(const std::string& dir)
{
    OPENFILE(1, In(dir, "world.ddw").c_str(), 0);
    const char* lines[] = {";DDW a world of three objects", "[textures]", "count=2", "1=sprite.bmp", "2=screen.png",
                           "[objects]", "count=3", "1=object.ddd", "2=strip.ddd", "3=shape_bin.ddd", "1ta=2", "2tb=1"};
    for (const char* l : lines) WRITELINE(1, DGStr(l));
    CLOSEFILE(1);
}

void Channel(const std::string& dir)
{
    OPENFILE(0, In(dir, "channel.bin").c_str(), 0);
    WRITEBYTE(0, -1);
    WRITEUBYTE(0, 200);
    WRITEWORD(0, -2);
    WRITEUWORD(0, 65534);
    WRITELONG(0, -123456789);
    WRITEULONG(0, static_cast<int>(0x89ABCDEFu));
    WRITEIEEE(0, 3.141592653589793);
    WRITEIEEE(0, -0.0);
    WRITESHORTIEEE(0, 0.1);
    WRITESHORTIEEE(0, 1e300);
    WRITESTR(0, "abc");
    WRITESTR(0, "");
    WRITELINE(0, DGStr("a line"));
    WRITELINE(0, 42);
    WRITELINE(0, 1.0 / 3);
    WRITELINE(0, 1e-7);
    WRITELINE(0, DGStr("99999999999"));
    WRITELINE(0, DGStr("-4294967297.75"));
    CLOSEFILE(0);
}

void LineFiles(const std::string& dir)
{
    const DGStr a(In(dir, "lines.txt").c_str()), b(In(dir, "lines2.txt").c_str());
    PUTFILE(a, 0, DGStr("first"));
    PUTFILE(a, 2, 2.5);
    PUTFILE(a, 3, 3.0);
    PUTFILE(a, 4, 1.0 / 3);
    PUTFILE(a, 5, 1e20);
    PUTFILE(a, 6, DGStr("99999999999"));
    PUTFILE(a, 7, DGStr("tab\t"));
    // Another file writes the first back; the second is written at exit.
    PUTFILE(b, 1, -0.1);
    PUTFILE(b, 3, DGStr("last"));
}

void IniFiles(const std::string& dir)
{
    INIOPEN(In(dir, "probe.ini").c_str());
    INIPUT("Main", "Name", "Hero");
    INIPUT("Main", "Third", DGStr(1.0 / 3));
    INIPUT("Main", "Big", DGStr(12345678901.0));
    INIPUT("Other", "Key", "value with blanks  ");
    INIPUT("Other", "Gone", "x");
    INIPUT("Other", "Gone", "");
    INIPUT("", "Loose", "1");
    // Opening another writes the first back; the second is written at exit.
    INIOPEN(In(dir, "second.ini").c_str());
    INIPUT("S", "K", DGStr(-2.0 / 3));
}

// A text object file (read by the text reader, then compressed), two frames
// of uneven numbers, written through a channel.
void TextObject(const std::string& dir)
{
    OPENFILE(1, In(dir, "shape.ddd").c_str(), 0);
    const char* lines[] = {
        "DDDA 1.1 # a tetrahedron in two frames",
        "4  0 0  1 0  0.5 1  0.333 0.667",
        "4  255 0 0 3 0 0 1 1 2 2   0 255 0 3 0 0 1 1 3 3",
        "   0 0 255 3 1 1 2 2 3 3   200 100 50 3 2 2 0 0 3 3",
        "2",
        "4  0.1 0.2 0.3 0 0 1  1.7 0.01 -0.3 0 1 0  -0.45 1.9 0.77 1 0 0  0.3 -0.6 2.2 0.577 0.577 0.577",
        "4  0.15 0.25 0.35 0 0 1  1.75 0.11 -0.25 0 1 0  -0.4 1.95 0.8 1 0 0  0.35 -0.55 2.3 0.6 0.6 0.5",
    };
    for (const char* l : lines) WRITELINE(1, DGStr(l));
    CLOSEFILE(1);
    X_LOADOBJ(In(dir, "shape.ddd").c_str(), 3);
    X_SAVEOBJ(In(dir, "shape_bin.ddd").c_str(), 3);
}

void Write(const std::string& dir)
{
    Out("platform [%s] [%s] [%s]", PLATFORMINFO_Str("").c_str(), PLATFORMINFO_Str("DEVICE").c_str(),
        PLATFORMINFO_Str("nothing").c_str());
    NumberText();
    Strings();
    Format();
    Math();
    Random();
    Paths();
    Scene();
    X_SAVEOBJ(In(dir, "object.ddd").c_str(), 0);
    X_SAVEOBJ(In(dir, "floor.ddd").c_str(), 1);
    X_SAVEOBJ(In(dir, "strip.ddd").c_str(), 2);
    TextObject(dir);
    World(dir);
    Pictures(dir);
    Channel(dir);
    BigFile(dir);
    LineFiles(dir);
    IniFiles(dir);
    Out("copy %g", COPYFILE(In(dir, "channel.bin").c_str(), In(dir, "copy.bin").c_str()));
}

// ---- reading back ---------------------------------------------------------------

void ReadChannel(const std::string& dir)
{
    Out("channel open %g", OPENFILE(0, In(dir, "channel.bin").c_str(), 1));
    int i = 0;
    double d = 0;
    READBYTE(0, i);
    Out("byte %d", i);
    READUBYTE(0, i);
    Out("ubyte %d", i);
    READWORD(0, i);
    Out("word %d", i);
    READUWORD(0, i);
    Out("uword %d", i);
    READLONG(0, i);
    Out("long %d", i);
    READULONG(0, i);
    Out("ulong %d", i);
    READIEEE(0, d);
    Out("ieee %s", Bits(d).c_str());
    READIEEE(0, d);
    Out("ieee %s", Bits(d).c_str());
    READSHORTIEEE(0, d);
    Out("short %s", Bits(d).c_str());
    READSHORTIEEE(0, d);
    Out("short %s", Bits(d).c_str());
    DGStr s;
    Out("str %g [%s]", READSTR(0, s, 3), s.c_str());
    READLINE(0, s);
    Out("line [%s]", s.c_str());
    READLINE(0, i);
    Out("line int %d", i);
    READLINE(0, d);
    Out("line double %s", Bits(d).c_str());
    READLINE(0, s);
    Out("line [%s]", s.c_str());
    Out("position %g end %g", FILEPOSITION(0), ENDOFFILE(0));
    READLINE(0, i);
    Out("line int %d", i);
    READLINE(0, i);
    Out("line int %d", i);
    Out("position %g end %g", FILEPOSITION(0), ENDOFFILE(0));
    FILESEEK(0, -8, -1);
    READLINE(0, d);
    Out("tail double %s", Bits(d).c_str());
    CLOSEFILE(0);
}

void ReadLineFiles(const std::string& dir)
{
    for (const char* name : {"lines.txt", "lines2.txt"}) {
        const DGStr file(In(dir, name).c_str());
        for (int n = 0; n < 9; ++n) {
            DGStr text;
            int i = 0;
            double d = 0;
            GETFILE(file, n, text);
            GETFILE(file, n, i);
            GETFILE(file, n, d);
            Out("%s %d [%s] %d %s", name, n, text.c_str(), i, Bits(d).c_str());
        }
    }
}

void ReadIniFiles(const std::string& dir)
{
    INIOPEN(In(dir, "probe.ini").c_str());
    const char* keys[][2] = {{"main", "NAME"}, {"Main", "Third"}, {"Main", "Big"}, {"Other", "Key"},
                             {"Other", "Gone"}, {"", "Loose"}, {"S", "K"}};
    for (const auto& k : keys) Out("ini [%s] [%s] = [%s]", k[0], k[1], INIGET_Str(k[0], k[1]).c_str());
    INIOPEN(In(dir, "second.ini").c_str());
    Out("ini2 [%s]", INIGET_Str("S", "K").c_str());
    DGStr big = INIGET_Str("Main", "Big");
    (void)big;
}

void ReadObjects(const std::string& dir)
{
    for (const char* name : {"object.ddd", "floor.ddd", "strip.ddd", "shape.ddd", "shape_bin.ddd", "world.ddw"}) {
        X_LOADOBJ(In(dir, name).c_str(), 10);
        const int faces = static_cast<int>(X_NUMFACES(10));
        std::string line;
        DGIntArray a;
        for (int f = 0; f < faces; ++f) {
            X_GETFACE(10, 0, f, a);
            for (int v = 0; v < 3; ++v)
                for (int k = 0; k < 9; ++k) line += " " + Bits(a(v, k)).substr(8);
        }
        Out("%s faces %d hash %08x", name, faces,
            Fnv(reinterpret_cast<const unsigned char*>(line.data()), line.size()));
        X_MAKE3D(1, 1000, 45);
        Collisions(name, 10);
    }
}

void ReadPictures(const std::string& dir)
{
    int slot = 20;
    for (const char* name : {"screen.bmp", "screen.png", "sprite.bmp", "sprite.png", "bump.bmp"}) {
        const std::string file = In(dir, name);
        OPENGL_IMAGE img;
        const bool bmp = std::strstr(name, ".bmp") != nullptr;
        const int ok = bmp ? img.LoadImageBMP(file.c_str(), 0x8000FF) : img.LoadImagePNG(file.c_str(), 0x8000FF);
        Out("%s image %d %dx%d hash %08x", name, ok, img.width, img.height,
            img.pixels ? Fnv(img.pixels, static_cast<std::size_t>(img.width) * img.height * 4) : 0u);
        int w = 0, h = 0;
        const double loaded = LOADSPRITE(file.c_str(), slot);
        GETSPRITESIZE(slot, w, h);
        // The sprite drawn at the corner of a black frame, read back at a
        // few pixels; nearest filtering takes every texel as it is (the
        // driver rounds bilinear weights its own way).
        X_MAKE2D();
        BLACKSCREEN();
        SMOOTHSHADING(0);
        DRAWSPRITE(slot, 0, 0);
        SMOOTHSHADING(1);
        std::string pixels;
        const int at[][2] = {{0, 0},     {6, 6},     {20, 20},   {70, 20},   {76, 30},   {100, 110}, {405, 303},
                             {560, 100}, {200, 60},  {431, 222}, {33, 262},  {430, 260}, {451, 361}};
        for (const auto& p : at) pixels += " " + std::to_string(static_cast<long long>(GETPIXEL(p[0], p[1])));
        Out("%s sprite %g %dx%d:%s", name, loaded, w, h, pixels.c_str());
        ++slot;
    }
}

// The folder as the file commands see it. The listing comes in directory
// order, which two folders need not share: it is shown sorted.
void ReadListing(const std::string& dir)
{
    const DGStr here = GETCURRENTDIR_Str();
    SETCURRENTDIR(dir.c_str());
    DGArray<DGStr> list;
    const double n = GETFILELIST("*.ddd", list);
    SETCURRENTDIR(here);
    std::vector<std::string> names;
    for (int i = 0; i < static_cast<int>(list.Count()); ++i) names.push_back(list(i).c_str());
    std::sort(names.begin(), names.end());
    std::string line;
    for (const std::string& s : names) line += " " + s;
    Out("list %g:%s", n, line.c_str());
    for (const char* name : {"channel.bin", "copy.bin", "screen.bmp", "nothing"})
        Out("size %s %g %g", name, GETFILESIZE(In(dir, name).c_str()), DOESFILEEXIST(In(dir, name).c_str()));
}

void Read(const std::string& dir)
{
    ReadListing(dir);
    ReadChannel(dir);
    ReadLineFiles(dir);
    ReadIniFiles(dir);
    ReadObjects(dir);
    ReadPictures(dir);
}

} // namespace

double __VELTRIC__::__MainGameSub_()
{
    std::fflush(stdout);
    const std::string mode = veltric_test::ProgramArgument(0);
    const std::string dir = veltric_test::ProgramArgument(1);
    if (dir.empty()) {
        Out("usage: cross_probe write|read DIR");
    } else if (mode == "write") {
        Write(dir);
    } else if (mode == "read") {
        Read(dir);
    }
    Out("done");
    return 0.0;
}
