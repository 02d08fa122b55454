// ISAAC, 32-bit words over a 256-word state. All arithmetic is unsigned and
// wraps. Each RTrand runs a whole generation step and hands out only the
// first word of it, so the sequence for a seed is fixed by these steps.
#include "runtime/math_cmds.h"

namespace __VELTRIC__ {

RTRandContext __g_ctx;

namespace {

using u32 = std::uint32_t;

void Mix(u32 v[8])
{
    u32 &a = v[0], &b = v[1], &c = v[2], &d = v[3], &e = v[4], &f = v[5], &g = v[6], &h = v[7];
    a ^= b << 11; d += a; b += c;
    b ^= c >> 2;  e += b; c += d;
    c ^= d << 8;  f += c; d += e;
    d ^= e >> 16; g += d; e += f;
    e ^= f << 10; h += e; f += g;
    f ^= g >> 4;  a += f; g += h;
    g ^= h << 8;  b += g; h += a;
    h ^= a >> 9;  c += h; a += b;
}

void Generate(RTRandContext& ctx)
{
    u32* m = ctx.memory;
    u32 aa = ctx.aa;
    u32 bb = ctx.bb + ++ctx.cc;
    for (int i = 0; i < 256; ++i) {
        u32 x = m[i];
        switch (i & 3) {
        case 0: aa ^= aa << 13; break;
        case 1: aa ^= aa >> 6; break;
        case 2: aa ^= aa << 2; break;
        default: aa ^= aa >> 16; break;
        }
        aa += m[(i + 128) & 255];
        u32 y = m[(x >> 2) & 255] + aa + bb;
        m[i] = y;
        bb = m[(y >> 10) & 255] + x;
        ctx.result[i] = bb;
    }
    ctx.aa = aa;
    ctx.bb = bb;
}

} // namespace

void RTsrand(unsigned long seed)
{
    RTRandContext& ctx = __g_ctx;
    const u32 s = static_cast<u32>(seed);
    // The sequence is the seed's alone: seeding mixes in the result words,
    // which start-up finds all zero but which every draw since has filled.
    // Without clearing them a second seeding with the same number would
    // depend on what was drawn before (and on start-up's clock).
    ctx = RTRandContext{};
    u32 v[8];
    for (u32& w : v)
        w = 0x9e3779b9u;
    for (int k = 0; k < 32; ++k) {
        v[0] += s;
        Mix(v);
        for (int j = 0; j < 8; ++j)
            ctx.memory[8 * k + j] = v[j];
    }
    for (int n = 0; n < 4; ++n)
        Mix(v);
    for (int k = 0; k < 32; ++k) {
        for (int j = 0; j < 8; ++j)
            v[j] += ctx.result[8 * k + j];
        Mix(v);
        for (int j = 0; j < 8; ++j)
            ctx.memory[8 * k + j] = v[j];
    }
    for (int k = 0; k < 32; ++k) {
        for (int j = 0; j < 8; ++j)
            v[j] += ctx.memory[8 * k + j];
        Mix(v);
        for (int j = 0; j < 8; ++j)
            ctx.memory[8 * k + j] = v[j];
    }
    RTrand();
    ctx.count = 256;
}

std::uint32_t RTrand()
{
    Generate(__g_ctx);
    return __g_ctx.result[0];
}

double RND(int n)
{
    if (n < 1)
        return 0;
    return static_cast<double>(RTrand() % (static_cast<u32>(n) + 1u));
}

} // namespace __VELTRIC__
