#pragma once
// Numeric commands of the dialect (angles in degrees) and its random
// numbers, drawn from the runtime's own ISAAC generator.
#include <cstdint>

namespace __VELTRIC__ {

// ---- math -----------------------------------------------------------------
double SIN(double degrees);
double COS(double degrees);
double TAN(double degrees);
// Clamped: 90 / -90 for x at or beyond 1 / -1.
double ASIN(double x);
// Clamped: 0 / 180 for x at or beyond 1 / -1.
double ACOS(double x);
// Direction of (x, y) in degrees, -180 .. 180.
double ATAN(double y, double x);
double POW(double x, double y);
// Truncating remainder, sign of a; 0 when b is 0.
int MOD(int a, int b);
// 0 when y is 0.
double FMOD(double x, double y);
double SQR(double x);
double ABS(double x);
// The smallest integer stays itself (32-bit wrap-around).
int ABS(int x);

// ---- random numbers ---------------------------------------------------------
// ISAAC state: count, results, memory, aa, bb, cc. One per process, all zero
// until start-up seeds it.
struct RTRandContext {
    std::uint32_t count;
    std::uint32_t result[256];
    std::uint32_t memory[256];
    std::uint32_t aa, bb, cc;
};
extern RTRandContext __g_ctx;

// Seeds the generator (start-up does this once from the millisecond clock;
// only the low 32 bits of the seed take part). The sequence that follows
// depends on the seed alone, whatever was drawn before.
void RTsrand(unsigned long seed);
// Runs one full generation step and returns the first word of the new batch.
std::uint32_t RTrand();
// A whole number 0 .. n; 0 when n is below 1.
double RND(int n);

} // namespace __VELTRIC__
