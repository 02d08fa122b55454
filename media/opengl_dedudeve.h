#pragma once
// OpenGLDedudeve: the one 2D renderer; owns the window, its GL context, the
// sprite table, the fonts and the surfaces. Each group of members below is
// one module of media/ (window, sprite table, pictures, fonts, drawing,
// surfaces); its bodies live in that module's .cpp file.
#include <cstdint>
#include <vector>

#include <SDL.h>

#include "media/sprite_record.h"
#include "media/surface_record.h"
#include "runtime/queue.h"

namespace __VELTRIC__ {

struct OPENGL_IMAGE;

// A vertex of the text queue: x, y, z, u, v.
struct TextVertex {
    float x, y, z, u, v;
};

class OpenGLDedudeve {
public:
    OpenGLDedudeve();
    virtual ~OpenGLDedudeve();
    OpenGLDedudeve(const OpenGLDedudeve&) = delete;
    OpenGLDedudeve& operator=(const OpenGLDedudeve&) = delete;

    // ---- window, GL context, frame pacing (window module) ----
    int Init(unsigned long hInstance, int w, int h, int bpp, unsigned int maxfps, int multisamples,
             bool fullscreen);
    double FlipScreens();
    // 0 at the first quit request or Escape key-down among the pending
    // events (an Escape key-down is passed over when escapeEnds is false).
    std::uint32_t WinMessages(bool escapeEnds = true);
    void SetMaxFPS(int fps);
    void SetupAccurateTimer();
    int SetScreen(int w, int h, int bpp, int fullscreen);
    int DoFullscreen();
    int DoWindowed();
    int HideWindow() { return 1; }
    void Make2DViewport(int x, int y, int w, int h);
    void ChangeSize(int w, int h);
    void Close();
    void FreeAll();

    // ---- sprite table and textures (sprite table module) ----
    void FreeSprite(int n);
    std::uint8_t LoadSprite(int n, const char* file, unsigned long colorkey, bool normalmap);
    int MakeTexture(OPENGL_IMAGE& img, int x, int y, int w, int h, unsigned int* tex,
                    unsigned int* tex2, bool normalmap, bool nearest);
    int GrabSprite(int n, int x, int y, int w, int h);
    void GetSpritePixels(int n);
    void GetSpriteSize(int n, int& w, int& h) const;
    struct Size {
        int width, height;
    };
    // The same image size as a result: 0, 0 for a free sprite.
    Size GetSpriteSize(int n) const
    {
        Size s;
        GetSpriteSize(n, s.width, s.height);
        return s;
    }
    void SetColorKey(unsigned long colour);
    std::uint32_t GetTrueCookieColor();
    // Pictures written from the window or a sprite (BMP, or PNG by name).
    bool SaveMemoryToBMP(const char* file, unsigned char* pixels, int w, int h, int stride,
                         int rows, bool topdown);
    std::uint8_t SaveBMPFile(const char* file);
    std::uint8_t SaveBMPSprite(int n, const char* file);
    int MaxTextureSide();                        // GL_MAX_TEXTURE_SIZE once the GL is up
    std::vector<std::uint8_t> m_grabBuffer;      // GrabSprite's read-back, kept between grabs

    // ---- fonts and text (font module) ----
    std::uint8_t LoadFont(int n, const char* file);
    void DefaultFont(int n);
    void GetFontSize(int n, int& w, int& h) const;
    // The same glyph cell size as a result: 0, 0 for a slot never loaded.
    Size GetFontSize(int n) const
    {
        Size s;
        GetFontSize(n, s.width, s.height);
        return s;
    }
    void Text2D(int font, const char* text, float x, float y, float z);
    void Text3D(int font, const char* text, float x, float y, float z, float size);

    // ---- 2D drawing and collision (drawing module) ----
    void SetTexture3D(int a, int b, int second, unsigned int* ids);
    // Deletes the texture `name` (when there is one) and clears the name.
    void DeleteTexture(unsigned int& name);
    void SetSmoothShading(bool on) { m_smoothShading = on ? 1 : 0; }
    void ApplySmoothShading();
    void DrawQuad(const float* q);
    void DrawSprite(int n, int x, int y);
    void StretchSprite(int n, int x, int y, int w, int h);
    void RotoSprite(int n, int x, int y, float angle, float scale);
    void TileSprite(int n, int tw, int th);
    void DrawTile(int n, int tile, int x, int y);
    void StretchTile(int n, int tile, int x, int y, int w, int h);
    void RotoZoomTile(int n, int tile, int x, int y, float angle, float scale);
    void DrawPixel(int x, int y, unsigned long c);
    void DrawLine(int x1, int y1, int x2, int y2, unsigned long c);
    void DrawRect(int x, int y, int w, int h, unsigned long c);
    std::uint32_t GetPixel(int x, int y);
    int SelectReadTarget(); // points GL reads at the target drawn on; its height
    // Writes one opaque pixel at window column x, GL row `row`, whatever 2D or
    // 3D state is current, and leaves that state as it was.
    void ProbePixel(int x, int row, std::uint32_t colour);
    void StartPoly(int n);
    void PolyPoint(int x, int y, float u, float v, unsigned long c);
    void EndPoly();
    void DrawVertexArray(unsigned int mode);
    void DrawBillboard(int n, float x, float y, float z, float scale);
    int SpriteCollision(int n, int m, int x1, int y1, int x2, int y2);
    int TileCollision(int n, int k, int x1, int y1, int m, int j, int x2, int y2);
    int _PixelCollision(int n, int x1, int y1, int m, int x2, int y2, int left, int top, int right,
                        int bottom);
    // Current texture state of SetTexture3D: first and second texture
    // numbers and whether the sprites' second textures were asked for.
    int m_texFirst = -1;
    int m_texSecond = -1;
    bool m_texUseSecond = false;
    bool m_unit1Off = false; // texture unit 1 was last switched off by SetTexture3D

    // ---- surfaces and render-to-texture screens (surface module) ----
    int FBO_create(int screen, int sprite, int w, int h);
    int FBO_start(int screen);
    int FBO_end();
    int LoadSurface(int n, const char* file, bool flag);
    int GrabSurface(int n);
    int PasteSurface(int n);
    int FreeSurface(int n);

    // ---- fields ----
    Queue<TextVertex> m_textVertices{128, 512};
    SpriteRecord* m_sprites = nullptr;          // kSpriteCount records
    float m_alpha = 0.0f;                       // current alpha of 2D drawing
    ScreenRecord m_screens[32] = {};
    int m_currentScreen = -1;                   // -1: the window's back buffer
    std::uint8_t** m_alphaCache = nullptr;      // kSpriteCount pointers
    SurfaceRecord m_surfaces[8] = {};
    std::uint8_t m_smoothShading = 1;
    int m_width = 0, m_height = 0, m_bpp = 0;
    int m_fullscreen = 0;
    int m_multisamples = 0;
    int m_viewX = 0, m_viewY = 0, m_viewW = 0, m_viewH = 0;
    std::uint32_t m_colorKey = 0x8000FF;
    std::uint32_t m_fontColorKey = 0;
    std::uint8_t m_glReady = 0;
    double m_nextFrame = 0.0;                   // renderer clock, ms
    double m_framePeriod = 0.0;                 // ms
};

// 1 for an Escape key-down or a quit event, else 0.
std::uint32_t HandleEvent(SDL_Event* e);

extern OpenGLDedudeve* __g_pRbow;

} // namespace __VELTRIC__
