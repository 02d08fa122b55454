// The sprite commands: loading and saving pictures, drawing sprites and
// animation tiles, grabbing, collisions and size queries.
#include <cstdio>
#include <string>

#include "media/command_args.h"
#include "media/commands2d.h"
#include "media/data_path.h"
#include "media/drawing.h"
#include "media/opengl_dedudeve.h"
#include "media/sprite_record.h"

namespace __VELTRIC__ {

namespace {

// The renderer when sprite n can be used with it, else null: commands take
// sprite numbers straight from the program.
OpenGLDedudeve* For(int n)
{
    return IsSpriteNumber(n) ? __g_pRbow : nullptr;
}

constexpr unsigned long kBumpColorKey = 0x8000FF;

// DRAWSPRITE's position passes through a float, as the dialect defines it.
// The largest int rounds up to 2^31 as a float, which no int holds: it
// stays the largest int.
int ViaFloat(int v)
{
    const float f = static_cast<float>(v);
    return f >= 2147483648.0f ? 2147483647 : static_cast<int>(f);
}

} // namespace

double LOADSPRITE(const DGStr& file, int n)
{
    OpenGLDedudeve* r = For(n);
    if (!r) return 0.0;
    r->FreeSprite(n);
    std::string path;
    if (!ResolveDataPath(file, path)) {
#ifndef __APPLE__
        // Only the Linux build names the missing file.
        std::printf("LOADSPRITE: failed to open file: %s\n", file.c_str());
#endif
        return 0.0;
    }
    return r->LoadSprite(n, path.c_str(), r->m_colorKey, false);
}

double LOADANIM(const DGStr& file, int n, int tileWidth, int tileHeight)
{
    double ok = LOADSPRITE(file, n);
    OpenGLDedudeve* r = For(n);
    if (r && r->m_sprites[n].imgWidth >= 1) r->TileSprite(n, tileWidth, tileHeight);
    return ok;
}

double LOADBUMPTEXTURE(const DGStr& file, int n)
{
    OpenGLDedudeve* r = For(n);
    if (!r) return 0.0;
    r->FreeSprite(n);
    std::string path;
    if (!ResolveDataPath(file, path)) return 0.0;
    return r->LoadSprite(n, path.c_str(), kBumpColorKey, true);
}

double SAVEBMP(const DGStr& file)
{
    return __g_pRbow ? __g_pRbow->SaveBMPFile(file.c_str()) : 0.0;
}

double SAVESPRITE(const DGStr& file, int n)
{
    OpenGLDedudeve* r = For(n);
    return r ? r->SaveBMPSprite(n, file.c_str()) : 0.0;
}

double DRAWSPRITE(int n, int x, int y)
{
    if (OpenGLDedudeve* r = For(n)) r->DrawSprite(n, ViaFloat(x), ViaFloat(y));
    return 0.0;
}

double STRETCHSPRITE(int n, int x, int y, int w, int h)
{
    if (OpenGLDedudeve* r = For(n)) r->StretchSprite(n, x, y, w, h);
    return 0.0;
}

double ZOOMSPRITE(int n, int x, int y, double sx, double sy)
{
    OpenGLDedudeve* r = For(n);
    if (!r) return 0.0;
    const double iw = r->m_sprites[n].imgWidth, ih = r->m_sprites[n].imgHeight;
    // The scaled picture keeps its centre where the unscaled one has it.
    r->StretchSprite(n, TruncToInt(x + (iw * sx - iw) * -0.5), TruncToInt(y + (ih * sy - ih) * -0.5),
                     TruncToInt(iw * sx), TruncToInt(ih * sy));
    return 0.0;
}

double ROTOSPRITE(int n, int x, int y, double angle)
{
    if (OpenGLDedudeve* r = For(n)) r->RotoSprite(n, x, y, static_cast<float>(angle), 1.0f);
    return 0.0;
}

double ROTOZOOMSPRITE(int n, int x, int y, double angle, double scale)
{
    if (OpenGLDedudeve* r = For(n))
        r->RotoSprite(n, x, y, static_cast<float>(angle), static_cast<float>(scale));
    return 0.0;
}

double DRAWANIM(int n, int tile, int x, int y)
{
    if (OpenGLDedudeve* r = For(n)) r->DrawTile(n, tile, x, y);
    return 0.0;
}

double STRETCHANIM(int n, int tile, int x, int y, int w, int h)
{
    if (OpenGLDedudeve* r = For(n)) r->StretchTile(n, tile, x, y, w, h);
    return 0.0;
}

double ROTOZOOMANIM(int n, int tile, int x, int y, double angle, double scale)
{
    if (OpenGLDedudeve* r = For(n))
        r->RotoZoomTile(n, tile, x, y, static_cast<float>(angle), static_cast<float>(scale));
    return 0.0;
}

double GRABSPRITE(int n, int x, int y, int w, int h)
{
    OpenGLDedudeve* r = For(n);
    return r ? r->GrabSprite(n, x, y, w, h) : 0.0;
}

double SETTRANSPARENCY(int colour)
{
    if (__g_pRbow) __g_pRbow->SetColorKey(static_cast<unsigned long>(static_cast<unsigned int>(colour)));
    return 0.0;
}

double SMOOTHSHADING(int on)
{
    if (__g_pRbow) __g_pRbow->SetSmoothShading(on != 0);
    return 0.0;
}

unsigned int get_sprite_texture(int n)
{
    OpenGLDedudeve* r = For(n);
    return r ? r->m_sprites[n].texture : 0u;
}

double SPRCOLL(int n, int x1, int y1, int m, int x2, int y2)
{
    OpenGLDedudeve* r = For(n);
    if (!r || !IsSpriteNumber(m)) return 0.0;
    return r->SpriteCollision(n, m, x1, y1, x2, y2) ? 1.0 : 0.0;
}

double ANIMCOLL(int n, int tile1, int x1, int y1, int m, int tile2, int x2, int y2)
{
    OpenGLDedudeve* r = For(n);
    if (!r || !IsSpriteNumber(m)) return 0.0;
    return r->TileCollision(n, tile1, x1, y1, m, tile2, x2, y2) ? 1.0 : 0.0;
}

double BOXCOLL(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2)
{
    return BoxOverlap(x1, y1, w1, h1, x2, y2, w2, h2) ? 1.0 : 0.0;
}

double GETSPRITESIZE(int n, int& w, int& h)
{
    w = h = 0;
    if (OpenGLDedudeve* r = For(n)) r->GetSpriteSize(n, w, h);
    return 0.0;
}

double GETSPRITESIZE(double n, double& w, double& h)
{
    int iw = 0, ih = 0;
    GETSPRITESIZE(TruncToInt(n), iw, ih);
    w = iw;
    h = ih;
    return 0.0;
}

} // namespace __VELTRIC__
