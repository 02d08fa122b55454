// The 3D commands that set up the scene, keep the texture and cull state,
// build, load and draw objects, draw debug markers and drive shaders.
#include "engine3d/x_commands.h"

#include <cmath>
#include <cstdint>

#include "engine3d/dedudeve3d.h"
#include "engine3d/projection.h"
#include "media/commands2d.h"
#include "media/opengl_dedudeve.h"
#include "runtime/core.h"
#include "runtime/shoebox.h"
#include "runtime/system_cmds.h"

namespace __VELTRIC__ {

int __g_TexState3D[3] = {-1, -1, 0};
int __current_cullmode = 0;

int xcmds_detail::WholeNumber(double v)
{
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

std::uint32_t xcmds_detail::ColourValue(double v)
{
    if (!std::isfinite(v)) return 0;
    double w = std::fmod(std::trunc(v), 4294967296.0);
    if (w < 0) w += 4294967296.0;
    return static_cast<std::uint32_t>(w);
}

using xcmds_detail::ColourValue;
using xcmds_detail::WholeNumber;

namespace {

float F(double v) { return static_cast<float>(v); }

// The two texture units' sampler uniforms of the current shader.
void BindShaderTextureUnits(Dedudeve3D& r)
{
    if (r.currentShader < 0) return;
    r.PutShaderUniform1i("TextureID1", 0, nullptr);
    r.PutShaderUniform1i("TextureID2", 1, nullptr);
}

void ApplyTextureState()
{
    if (__g_pRbow)
        __g_pRbow->SetTexture3D(__g_TexState3D[0], __g_TexState3D[1], __g_TexState3D[2], nullptr);
}

// Line widths and dot sizes in pixels: 1 to 512. A NaN becomes 1.
float ClampPixels(double v)
{
    if (!(v >= 1.0)) return 1.0f;
    if (v > 512.0) return 512.0f;
    return static_cast<float>(v);
}

} // namespace

void rt_err_debug(char const* text)
{
    if (__DG_DEBUG == 0 || !text) return;
    DGStr line(text);
    line += CGStr("\n");
    DEBUG(line);
}

void X_MAKE3D(double znear, double zfar, double fov)
{
    Dedudeve3D* r = __g_pRbow3D;
    if (!r) return;
    r->ClearZBuffer();
    r->Make3DViewport(F(znear), F(zfar), F(fov));
    xcmds_detail::ForgetLevelOverflow();
    __current_cullmode = 0;
    r->CullMode(0);
    r->lightMask = 0;
    r->effectOn = 0;
    __g_TexState3D[0] = -1;
    __g_TexState3D[1] = -1;
    if (__g_pRbow) __g_pRbow->SetTexture3D(-1, -1, __g_TexState3D[2], nullptr);
    BindShaderTextureUnits(*r);
}

void X_MAKE2D()
{
    if (__g_pRbow3D) __g_pRbow3D->DoShadows(false);
    if (__g_pRbow) __g_pRbow->Make2DViewport(0, 0, 0, 0);
}

void X_MIPMAPPING(double flag) { __g_TexState3D[2] = WholeNumber(flag); }

void X_SETTEXTURE(double t1, double t2)
{
    __g_TexState3D[0] = WholeNumber(t1);
    __g_TexState3D[1] = WholeNumber(t2);
    ApplyTextureState();
    if (__g_pRbow3D) BindShaderTextureUnits(*__g_pRbow3D);
}

void X_SETTEXTUREOFFSET(double u, double v)
{
    if (__g_pRbow3D) __g_pRbow3D->SetTextureOffset(F(u), F(v));
}

void X_AMBIENT_LT(double light, double colour)
{
    if (__g_pRbow3D) __g_pRbow3D->AmbientLt(WholeNumber(light), ColourValue(colour));
}

void X_SPOT_LT(double light, double colour, double x, double y, double z, double dx, double dy,
               double dz, double cutoff)
{
    if (__g_pRbow3D)
        __g_pRbow3D->SpotLt(WholeNumber(light), ColourValue(colour), F(x), F(y), F(z), F(dx),
                            F(dy), F(dz), F(cutoff), __DG_DEBUG);
}

void X_DRAWAXES(double x, double y, double z)
{
    if (__g_pRbow3D) __g_pRbow3D->DrawCoordAxis(F(x), F(y), F(z));
}

void X_AUTONORMALS(double mode)
{
    // C++ remainder keeps the sign of the dividend, as the mode rule wants.
    if (__g_pRbow3D) __g_pRbow3D->normalsMode = WholeNumber(mode) % 3;
}

void X_OBJSTART(double slot)
{
    if (__g_pRbow3D) __g_pRbow3D->UserObjectStart(WholeNumber(slot), 1);
}

void X_OBJADDVERTEX(double x, double y, double z, double u, double v, double colour)
{
    if (__g_pRbow3D)
        __g_pRbow3D->UserObjectAddVertex(F(x), F(y), F(z), F(u), F(v), ColourValue(colour));
}

void X_OBJNEWGROUP()
{
    if (__g_pRbow3D) __g_pRbow3D->UserObjectNewGroup(1);
}

void X_OBJEND()
{
    if (__g_pRbow3D) __g_pRbow3D->UserObjectEnd();
}

void X_SAVEOBJ(DGStr file, double slot)
{
    if (__g_pRbow3D) __g_pRbow3D->SaveObject(file.c_str(), WholeNumber(slot));
}

void X_LOADOBJ(DGStr file, double slot)
{
    if (!__g_pRbow3D || !__g_ShoeBox_Data) return;
    char path[RTShoeBox::kPathMax];
    if (!__g_ShoeBox_Data->FindOrExtract(file.c_str(), path, sizeof path)) return;
    __g_pRbow3D->LoadObject(path, WholeNumber(slot));
}

void X_DRAWOBJ(double slot, double frame)
{
    if (!__g_pRbow3D) return;
    ApplyTextureState();
    const int f = WholeNumber(frame);
    __g_pRbow3D->RenderAnim(WholeNumber(slot), f, f, 0.0f, false);
}

void X_DRAWANIM(double slot, double frame1, double frame2, double factor, double flag)
{
    if (!__g_pRbow3D) return;
    ApplyTextureState();
    __g_pRbow3D->RenderAnim(WholeNumber(slot), WholeNumber(frame1), WholeNumber(frame2),
                            F(factor), flag != 0.0);
}

void X_CAMERA(double x, double y, double z, double tx, double ty, double tz)
{
    if (!__g_pRbow3D) return;
    __g_pRbow3D->SetCamera(F(x), F(y), F(z), F(tx), F(ty), F(tz));
    xcmds_detail::ForgetLevelOverflow();
}

void X_CAMERAUP(double x, double y, double z)
{
    if (__g_pRbow3D) __g_pRbow3D->SetCameraUp(F(x), F(y), F(z));
}

void X_CULLMODE(double mode)
{
    __current_cullmode = mode > 0.0 ? 1 : (mode < 0.0 ? -1 : 0);
    if (__g_pRbow3D) __g_pRbow3D->CullMode(__current_cullmode);
}

void X_SPRITE(double sprite, double x, double y, double z, double scale)
{
    if (!__g_pRbow3D || !__g_pRbow) return;
    __g_pRbow3D->CullMode(-1);
    __g_pRbow->DrawBillboard(WholeNumber(sprite), F(x), F(y), F(z), F(scale));
    __g_pRbow3D->CullMode(__current_cullmode);
}

void X_FOG(double colour, double mode, double start, double end)
{
    if (__g_pRbow3D) __g_pRbow3D->Fog(ColourValue(colour), WholeNumber(mode), F(start), F(end));
}

void X_CLEAR_Z()
{
    if (__g_pRbow3D) __g_pRbow3D->ClearZBuffer();
}

void X_LINE(double x1, double y1, double z1, double x2, double y2, double z2, double width,
            double colour)
{
    static float a[3], b[3];
    if (!__g_pRbow3D) return;
    a[0] = F(x1), a[1] = F(y1), a[2] = F(z1);
    b[0] = F(x2), b[1] = F(y2), b[2] = F(z2);
    __g_pRbow3D->DrawLine(a, b, ColourValue(colour), ClampPixels(width));
}

void X_DOT(double x, double y, double z, double size, double colour)
{
    static float p[3];
    if (!__g_pRbow3D) return;
    p[0] = F(x), p[1] = F(y), p[2] = F(z);
    __g_pRbow3D->DrawDot(p, ColourValue(colour), ClampPixels(size));
}

void X_PRINT(DGStr text, double x, double y, double z, double size)
{
    if (__g_pRbow) __g_pRbow->Text3D(__nCurFont, text.c_str(), F(x), F(y), F(z), F(size));
}

void X_WORLD2SCREEN(double x, double y, double z, double& sx, double& sy, double& sz)
{
    float wx, wy, wz;
    if (RTglu_Project(F(x), F(y), F(z), &wx, &wy, &wz)) {
        sx = wx;
        sy = wy;
        sz = wz;
    }
}

void X_SCREEN2WORLD(double sx, double sy, double sz, double& x, double& y, double& z)
{
    // The inverse of X_WORLD2SCREEN's "height - GL y": screen (sx, sy) lies
    // in the pixel (floor sx, floor sy) counted from the top-left corner, as
    // the x direction has no half-pixel shift either.
    const int height = __g_pRbow ? __g_pRbow->m_height : 0;
    float wx, wy, wz;
    if (RTglu_UnProject(F(sx), F(height - sy), F(sz), &wx, &wy, &wz)) {
        x = wx;
        y = wy;
        z = wz;
    }
}

void X_SPHEREMAPPING(double flag)
{
    // A NaN is not 0, so it switches sphere mapping on.
    if (__g_pRbow3D) __g_pRbow3D->sphereMapping = flag != 0.0 ? 1 : 0;
}

void X_SETSHADER(double slot)
{
    if (__g_pRbow3D) __g_pRbow3D->SetShader(WholeNumber(slot));
}

double X_LOADSHADER(double slot, DGStr vertexFile, DGStr fragmentFile)
{
    if (!__g_pRbow3D) return 0.0;
    return __g_pRbow3D->LoadShader(WholeNumber(slot), vertexFile.c_str(), fragmentFile.c_str(),
                                   rt_err_debug)
               ? 1.0
               : 0.0;
}

void X_PUTSHADER(DGStr name, double value)
{
    if (__g_pRbow3D) __g_pRbow3D->PutShaderUniform1f(name.c_str(), F(value), rt_err_debug);
}

} // namespace __VELTRIC__
