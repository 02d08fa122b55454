#pragma once
// The dialect's 3D commands: thin conversions from the program's numbers,
// strings and arrays to calls on the 3D renderer, plus the state the command
// set keeps itself (texture state, remembered cull mode, the model-matrix
// stack commands, face queries and the cel-shading ramp).
#include <cstdint>

#include "runtime/arrays.h"
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// Texture for unit 0, texture for unit 1, mipmapping flag; handed to the 2D
// renderer's SetTexture3D before every object is drawn.
extern int __g_TexState3D[3];
// The cull mode last chosen with X_CULLMODE (0, 1 or -1).
extern int __current_cullmode;

// Error callback of the shader operations: writes the text and a line end
// with DEBUG in debug mode, else nothing.
void rt_err_debug(char const* text);

// ---- scene, state and objects (x_commands.cpp) ----
void X_MAKE3D(double znear, double zfar, double fov);
void X_MAKE2D();
void X_MIPMAPPING(double flag);
void X_SETTEXTURE(double t1, double t2);
void X_SETTEXTUREOFFSET(double u, double v);
void X_AMBIENT_LT(double light, double colour);
void X_SPOT_LT(double light, double colour, double x, double y, double z, double dx, double dy,
               double dz, double cutoff);
void X_DRAWAXES(double x, double y, double z);
void X_AUTONORMALS(double mode);
void X_OBJSTART(double slot);
void X_OBJADDVERTEX(double x, double y, double z, double u, double v, double colour);
void X_OBJNEWGROUP();
void X_OBJEND();
void X_SAVEOBJ(DGStr file, double slot);
void X_LOADOBJ(DGStr file, double slot);
void X_DRAWOBJ(double slot, double frame);
void X_DRAWANIM(double slot, double frame1, double frame2, double factor, double flag);
void X_CAMERA(double x, double y, double z, double tx, double ty, double tz);
void X_CAMERAUP(double x, double y, double z);
void X_CULLMODE(double mode);
void X_SPRITE(double sprite, double x, double y, double z, double scale);
void X_FOG(double colour, double mode, double start, double end);
void X_CLEAR_Z();
void X_LINE(double x1, double y1, double z1, double x2, double y2, double z2, double width,
            double colour);
void X_DOT(double x, double y, double z, double size, double colour);
void X_PRINT(DGStr text, double x, double y, double z, double size);
void X_WORLD2SCREEN(double x, double y, double z, double& sx, double& sy, double& sz);
void X_SCREEN2WORLD(double sx, double sy, double sz, double& x, double& y, double& z);
void X_SPHEREMAPPING(double flag);
void X_SETSHADER(double slot);
double X_LOADSHADER(double slot, DGStr vertexFile, DGStr fragmentFile);
void X_PUTSHADER(DGStr name, double value);

// ---- collision queries with their debug drawing (x_commands_collision.cpp) ----
double X_COLLISION(double slot, double frame, double radius, double x, double y, double z);
double X_COLLISIONAABB(double slot, double frame, double x, double y, double z, double w,
                       double h, double d);
double X_COLLISIONRAY(double slot, double frame, double x, double y, double z, double dx,
                      double dy, double dz);
double X_COLLISIONSPHEREBOX(double x, double y, double z, double radius, double w, double h,
                            double d);

// ---- faces and the cel-shading ramp (x_commands_faces.cpp) ----
// a becomes 3 x 9: per vertex x, y, z, u, v, colour, nx, ny, nz; all 0 when
// the face does not exist.
void X_GETFACE(double slot, double frame, double face, DGIntArray& a);
double X_NUMFACES(double slot);
void X_SETCELSHADES(DGIntArray& a);

// ---- model-matrix stack (x_commands_matrix.cpp) ----
void X_PUSHMATRIX();
void X_POPMATRIX();
void X_MOVEMENT(double x, double y, double z);
void X_SCALING(double x, double y, double z);
void X_ROTATION(double angle, double x, double y, double z);
void X_MULTMATRIX(DGIntArray& a);

namespace xcmds_detail {
// A number as a whole number cut toward zero; NaN gives 0 and numbers beyond
// the int range give its ends, so no conversion is undefined.
int WholeNumber(double v);
// A number as a 32-bit 0x00BBGGRR colour (its whole part modulo 2^32).
std::uint32_t ColourValue(double v);
// Forgets pushes made beyond the last matrix level; called wherever the
// renderer starts again at level 0 (new 3D viewport, new camera).
void ForgetLevelOverflow();
} // namespace xcmds_detail

} // namespace __VELTRIC__
