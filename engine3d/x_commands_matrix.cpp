// The model-matrix stack commands: they fill the current level's record of
// movement, scaling, rotations and free matrices; the renderer composes the
// level when the next object is drawn.
#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"
#include "engine3d/x_commands.h"

namespace __VELTRIC__ {

namespace {

// Pushes beyond the last level: they keep drawing at the last level, and the
// pops that match them are taken from this count first so that pushes and
// pops stay paired.
int gLevelOverflow = 0;

// The current level, or null when there is no renderer or the level number
// is outside the table.
MatrixLevel* CurrentLevel()
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r || r->level < 0 || r->level >= Dedudeve3D::kLevelCount) return nullptr;
    return &r->levels[r->level];
}

// Starts the current level again from its parent's matrix (the identity at
// level 0), dropping its rotations and free matrices.
void RestartLevel(MatrixLevel& L)
{
    Dedudeve3D* r = __g_pRbow3D;
    if (r->level > 0)
        for (int k = 0; k < 16; ++k) L.composed[k] = r->levels[r->level - 1].composed[k];
    else
        Mat4Identity(L.composed);
    L.built = 0;
    L.rotationCount = 0;
    L.matrixCount = 0;
}

} // namespace

void xcmds_detail::ForgetLevelOverflow() { gLevelOverflow = 0; }

void X_MOVEMENT(double x, double y, double z)
{
    MatrixLevel* L = CurrentLevel();
    if (!L) return;
    RestartLevel(*L);
    L->movement[0] = static_cast<float>(x);
    L->movement[1] = static_cast<float>(y);
    L->movement[2] = static_cast<float>(z);
}

void X_SCALING(double x, double y, double z)
{
    MatrixLevel* L = CurrentLevel();
    if (!L) return;
    RestartLevel(*L);
    L->scaling[0] = static_cast<float>(x);
    L->scaling[1] = static_cast<float>(y);
    L->scaling[2] = static_cast<float>(z);
}

void X_ROTATION(double angle, double x, double y, double z)
{
    MatrixLevel* L = CurrentLevel();
    if (!L) return;
    L->built = 0;
    if (L->rotationCount < 0 || L->rotationCount >= MatrixLevel::kMaxItems) return;
    MatrixLevel::Rotation& rot = L->rotations[L->rotationCount++];
    rot.angle = static_cast<float>(angle);
    rot.x = static_cast<float>(x);
    rot.y = static_cast<float>(y);
    rot.z = static_cast<float>(z);
}

void X_MULTMATRIX(DGIntArray& a)
{
    if (a.Dims() != 1 || a.Bounds(0) != 16 || !a.Data()) return;
    MatrixLevel* L = CurrentLevel();
    if (!L) return;
    // A level holds 16 free matrices; further ones are ignored like further
    // rotations.
    if (L->matrixCount < 0 || L->matrixCount >= MatrixLevel::kMaxItems) return;
    float* m = L->matrices[L->matrixCount++];
    const double* v = a.Data();
    for (int k = 0; k < 16; ++k) m[k] = static_cast<float>(v[k]);
    L->built = 0;
}

void X_PUSHMATRIX()
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r) return;
    r->BuildMatrix();
    if (r->level < 0 || r->level + 1 >= Dedudeve3D::kLevelCount) {
        ++gLevelOverflow;
        return;
    }
    const MatrixLevel& parent = r->levels[r->level];
    MatrixLevel& L = r->levels[++r->level];
    L.matrixCount = 0;
    L.rotationCount = 0;
    L.scaling[0] = L.scaling[1] = L.scaling[2] = 1.0f;
    L.movement[0] = L.movement[1] = L.movement[2] = 0.0f;
    L.built = 1;
    for (int k = 0; k < 16; ++k) L.composed[k] = parent.composed[k];
}

void X_POPMATRIX()
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r) return;
    if (gLevelOverflow > 0) {
        --gLevelOverflow;
        return;
    }
    if (r->level <= 0) {
        r->level = 0;
        r->levels[0].Reset();
        return;
    }
    if (r->level >= Dedudeve3D::kLevelCount) r->level = Dedudeve3D::kLevelCount;
    --r->level;
}

} // namespace __VELTRIC__
