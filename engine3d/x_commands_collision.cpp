// The collision commands: forward the query to the renderer and, in debug
// mode, draw what was tested in the colour of the outcome.
#include <cmath>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"
#include "runtime/core.h"

namespace __VELTRIC__ {

namespace {

constexpr unsigned long kRed = 255;
constexpr unsigned long kGreen = 65280;
constexpr unsigned long kYellow = 65535;

float F(double v) { return static_cast<float>(v); }

} // namespace

using xcmds_detail::WholeNumber;

double X_COLLISION(double slot, double frame, double radius, double x, double y, double z)
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r) return 0.0;
    const bool hit = r->CollisionSphere(WholeNumber(slot), WholeNumber(frame), F(radius), F(x),
                                        F(y), F(z));
    if (__DG_DEBUG) {
        float centre[3] = {F(x), F(y), F(z)};
        r->DrawSphereGrid(centre, F(radius), hit ? kRed : kGreen, hit ? 5 : 1);
    }
    return hit ? 1.0 : 0.0;
}

double X_COLLISIONAABB(double slot, double frame, double x, double y, double z, double w,
                       double h, double d)
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r) return 0.0;
    const float centre[3] = {F(x), F(y), F(z)};
    const float a1[3] = {F(w / 2), 0.0f, 0.0f};
    const float a2[3] = {0.0f, 0.0f, F(d / 2)};
    const float a3[3] = {0.0f, F(h / 2), 0.0f};
    const bool hit = r->CollisionAABB(WholeNumber(slot), WholeNumber(frame), centre, a1, a2, a3);
    if (__DG_DEBUG) r->DrawAABB(centre, a1, a2, a3, hit ? kRed : kGreen, hit ? 5 : 1);
    return hit ? 1.0 : 0.0;
}

double X_COLLISIONRAY(double slot, double frame, double x, double y, double z, double dx,
                      double dy, double dz)
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r) return 0.0;
    const float f = r->CollisionRay(WholeNumber(slot), WholeNumber(frame), F(x), F(y), F(z),
                                    F(dx), F(dy), F(dz));
    if (__DG_DEBUG) {
        // The marker ends at the hit (the factor is a distance along the
        // unit direction), or 1000 along the ray without a hit.
        const float len = f != 0.0f ? f : 1000.0f;
        const float dl = std::sqrt(F(dx * dx + dy * dy + dz * dz));
        const float k = dl > 0.0f ? len / dl : 0.0f;
        float from[3] = {F(x), F(y), F(z)};
        float to[3] = {from[0] + F(dx) * k, from[1] + F(dy) * k, from[2] + F(dz) * k};
        const unsigned long colour = f < 0.0f ? kYellow : (f > 0.0f ? kGreen : kRed);
        r->DrawLine(from, to, colour, f != 0.0f ? 5.0f : 1.0f);
    }
    return f;
}

double X_COLLISIONSPHEREBOX(double x, double y, double z, double radius, double w, double h,
                            double d)
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r) return 0.0;
    return r->CollisionSphereBox(F(x), F(y), F(z), F(radius), F(w / 2), F(h / 2), F(d / 2)) ? 1.0
                                                                                           : 0.0;
}

} // namespace __VELTRIC__
