// A translated program that calls GL itself between the 2D commands, as
// programs do, and checks what each command leaves behind. For every command
// of the table it checks the GL state right after the command (a) in a
// fresh frame and (b) right after each command of the table (every ordered
// pair, a command after itself included), one frame per check:
//   - the matrices of the 2D state: projection glOrtho(0, w, h, 0, -1, 1),
//     model-view and texture matrices identity, matrix mode GL_MODELVIEW,
//     every stack one deep;
//   - every sprite texture drawn so far wraps with GL_REPEAT on S and T;
//   - front face GL_CCW, culling on, alpha test GL_GREATER 0.05, active
//     texture unit 0, GL_TEXTURE_2D on for the textured commands (with the
//     drawn sprite's texture bound) and off for the untextured primitives;
//   - nothing left over from the drawing: unit 1, blending, depth, scissor
//     and stencil tests, lighting, colour material, fog, client arrays,
//     buffer and shader bindings, colour, viewport, shade model;
//   - the command's own pixel is in the back buffer when the program looks;
//   - a 6x6 quad the program draws with its own glBegin/glEnd in pixel
//     coordinates over the command's pixels lands exactly there and in
//     front of them.
// Each check prints "ok CMD after PREV" (or "ok CMD from start-up"), or
// "FAIL ...: what differs; ...", then a summary line, and the program ends
// with END.
#include <SDL.h>
#include <SDL_opengl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "media/commands2d.h"
#include "runtime/frame.h"
#include "runtime/veltric.h"
#include "tests/media/picture_fixtures.h"

using namespace __VELTRIC__;

namespace {

using fixtures::Rgb;

// ---- the pictures ------------------------------------------------------------
// Solid pictures (not powers of two, so each lies in a larger texture),
// one strip of eight 16x16 tiles of their own colours, and a font whose
// every glyph is a solid cell. None uses the colour key or the quad's colour.
constexpr int kSpriteA = 1, kSpriteB = 2, kSpriteC = 3, kAnim = 4;
constexpr int kFontSlot = 1;
constexpr int kFontSprite = 65504 + kFontSlot;
const Rgb kColourA{220, 60, 40}, kColourB{60, 200, 60}, kColourC{70, 90, 230};
const Rgb kFontColour{230, 200, 60};
const Rgb kTileColours[8] = {{200, 30, 30},  {30, 180, 40},  {40, 60, 210},  {210, 180, 20},
                             {150, 40, 160}, {20, 170, 170}, {250, 130, 60}, {90, 90, 90}};
const Rgb kLineColour{250, 120, 200}, kRectColour{120, 220, 250}, kPixelColour{255, 255, 255};
const Rgb kQuadColour{255, 255, 0};

int Bgr(Rgb c) { return c.r | (c.g << 8) | (c.b << 16); }

// ---- the table ---------------------------------------------------------------
// Each command draws centred on its own cell of a 5 x 3 grid, so that the
// pixels of the one before it in the frame never meet its own.
struct Command {
    const char* name;
    int sprite;         // whose texture it draws with; -1: untextured
    Rgb colour;         // of its pixel at the centre of its cell
    void (*draw)(int cx, int cy);
};

const Command kCommands[] = {
    {"DRAWSPRITE", kSpriteA, kColourA, [](int cx, int cy) { DRAWSPRITE(kSpriteA, cx - 20, cy - 15); }},
    {"ROTOSPRITE", kSpriteB, kColourB, [](int cx, int cy) { ROTOSPRITE(kSpriteB, cx - 20, cy - 15, 30); }},
    {"ROTOZOOMSPRITE", kSpriteB, kColourB,
     [](int cx, int cy) { ROTOZOOMSPRITE(kSpriteB, cx - 20, cy - 15, 45, 1.5); }},
    {"STRETCHSPRITE", kSpriteC, kColourC,
     [](int cx, int cy) { STRETCHSPRITE(kSpriteC, cx - 30, cy - 20, 60, 40); }},
    {"STRETCHSPRITE mirrored", kSpriteC, kColourC,
     [](int cx, int cy) { STRETCHSPRITE(kSpriteC, cx + 30, cy - 20, -60, 40); }},
    {"ZOOMSPRITE", kSpriteA, kColourA, [](int cx, int cy) { ZOOMSPRITE(kSpriteA, cx - 20, cy - 15, 1.5, 2.0); }},
    {"DRAWANIM", kAnim, kTileColours[1], [](int cx, int cy) { DRAWANIM(kAnim, 1, cx - 8, cy - 8); }},
    {"STRETCHANIM", kAnim, kTileColours[5],
     [](int cx, int cy) { STRETCHANIM(kAnim, 5, cx - 20, cy - 20, 40, 40); }},
    {"ROTOZOOMANIM", kAnim, kTileColours[6],
     [](int cx, int cy) { ROTOZOOMANIM(kAnim, 6, cx - 8, cy - 8, 30, 2.0); }},
    {"DRAWLINE", -1, kLineColour, [](int cx, int cy) { DRAWLINE(cx - 30, cy, cx + 30, cy, Bgr(kLineColour)); }},
    {"DRAWRECT", -1, kRectColour, [](int cx, int cy) { DRAWRECT(cx - 20, cy - 15, 40, 30, Bgr(kRectColour)); }},
    {"SETPIXEL", -1, kPixelColour, [](int cx, int cy) { SETPIXEL(cx, cy, Bgr(kPixelColour)); }},
    {"PRINT", kFontSprite, kFontColour, [](int cx, int cy) { PRINT(DGStr("ABCD"), cx - 16, cy - 4); }},
};
constexpr int kCount = sizeof kCommands / sizeof kCommands[0];

int CentreX(int i) { return 64 + (i % 5) * 128; }
int CentreY(int i) { return 80 + (i / 5) * 160; }

// ---- reading the GL back -------------------------------------------------------
int g_width = 0, g_height = 0;

std::string Format(const char* f, ...)
{
    char buf[256];
    va_list a;
    va_start(a, f);
    std::vsnprintf(buf, sizeof buf, f, a);
    va_end(a);
    return buf;
}

const char* WrapName(GLint mode)
{
    switch (mode) {
    case GL_REPEAT: return "REPEAT";
    case GL_CLAMP_TO_EDGE: return "CLAMP_TO_EDGE";
    case GL_CLAMP: return "CLAMP";
    case GL_MIRRORED_REPEAT: return "MIRRORED_REPEAT";
    case GL_CLAMP_TO_BORDER: return "CLAMP_TO_BORDER";
    default: return "?";
    }
}

bool IsIdentity(const float m[16])
{
    for (int i = 0; i < 16; ++i)
        if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
    return true;
}

// The 2D projection worked out here: glOrtho(0, w, h, 0, -1, 1).
bool Is2DProjection(const float m[16])
{
    float e[16] = {};
    e[0] = 2.0f / g_width;
    e[5] = -2.0f / g_height;
    e[10] = -1.0f;
    e[12] = -1.0f;
    e[13] = 1.0f;
    e[15] = 1.0f;
    for (int i = 0; i < 16; ++i)
        if (std::fabs(m[i] - e[i]) > 1e-6f * std::fabs(e[i]) + 1e-9f) return false;
    return true;
}

std::string MatrixText(const float m[16])
{
    return Format("[%g %g %g %g; %g %g %g %g; %g %g %g %g; %g %g %g %g]", m[0], m[4], m[8], m[12], m[1],
                  m[5], m[9], m[13], m[2], m[6], m[10], m[14], m[3], m[7], m[11], m[15]);
}

// Pixels of the back buffer in window coordinates (y down), read as one block.
struct Block {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<std::uint8_t> rgb;
    Rgb at(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y0 + h - 1 - y) * w + (x - x0)) * 3;
        return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

Block ReadBlock(int x0, int y0, int w, int h)
{
    Block b;
    b.x0 = x0;
    b.y0 = y0;
    b.w = w;
    b.h = h;
    b.rgb.assign(static_cast<std::size_t>(w) * h * 3, 0);
    GLint readBuffer = GL_BACK, packAlignment = 4;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x0, g_height - y0 - h, w, h, GL_RGB, GL_UNSIGNED_BYTE, b.rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glReadBuffer(static_cast<GLenum>(readBuffer));
    return b;
}

bool Near(Rgb a, Rgb b)
{
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

std::string RgbText(Rgb c) { return Format("%d,%d,%d", c.r, c.g, c.b); }

// ---- one check ----------------------------------------------------------------
std::set<int> g_usedSprites;

void CheckMatrices(std::vector<std::string>& bad)
{
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    if (mode != GL_MODELVIEW) bad.push_back(Format("matrix mode 0x%x, not GL_MODELVIEW", mode));
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    if (!Is2DProjection(m))
        bad.push_back(IsIdentity(m) ? "projection identity, not the 2D projection"
                                    : "projection not the 2D projection: " + MatrixText(m));
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    if (!IsIdentity(m)) bad.push_back("model-view not identity: " + MatrixText(m));
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    if (!IsIdentity(m)) bad.push_back("texture matrix not identity: " + MatrixText(m));
    const struct {
        GLenum name;
        const char* text;
    } depths[] = {{GL_PROJECTION_STACK_DEPTH, "projection"},
                  {GL_MODELVIEW_STACK_DEPTH, "model-view"},
                  {GL_TEXTURE_STACK_DEPTH, "texture"}};
    for (const auto& d : depths) {
        GLint n = 0;
        glGetIntegerv(d.name, &n);
        if (n != 1) bad.push_back(Format("%s stack depth %d", d.text, n));
    }
}

void CheckTextures(const Command& c, std::vector<std::string>& bad)
{
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const bool textured = c.sprite >= 0;
    if (textured && static_cast<GLuint>(bound) != get_sprite_texture(c.sprite))
        bad.push_back(Format("texture %d bound, not %u of sprite %d", bound, get_sprite_texture(c.sprite),
                             c.sprite));
    if (glIsEnabled(GL_TEXTURE_2D) != (textured ? GL_TRUE : GL_FALSE))
        bad.push_back(textured ? "GL_TEXTURE_2D disabled" : "GL_TEXTURE_2D enabled");
    for (int n : g_usedSprites) {
        const GLuint t = get_sprite_texture(n);
        glBindTexture(GL_TEXTURE_2D, t);
        GLint s = 0, tw = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &s);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &tw);
        if (s != GL_REPEAT) bad.push_back(Format("texture %u (sprite %d) wrap S %s", t, n, WrapName(s)));
        if (tw != GL_REPEAT) bad.push_back(Format("texture %u (sprite %d) wrap T %s", t, n, WrapName(tw)));
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

void CheckFixedState(std::vector<std::string>& bad)
{
    GLint v = 0;
    glGetIntegerv(GL_FRONT_FACE, &v);
    if (v != GL_CCW) bad.push_back(v == GL_CW ? "front face GL_CW" : Format("front face 0x%x", v));
    if (!glIsEnabled(GL_CULL_FACE)) bad.push_back("cull face off");
    if (!glIsEnabled(GL_ALPHA_TEST)) bad.push_back("alpha test off");
    GLfloat ref = 0;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &v);
    glGetFloatv(GL_ALPHA_TEST_REF, &ref);
    if (v != GL_GREATER || std::fabs(ref - 0.05f) > 1e-6f)
        bad.push_back(Format("alpha func 0x%x ref %g, not GL_GREATER 0.05", v, ref));

    // What the drawing may have touched on the way.
    const struct {
        GLenum cap;
        const char* text;
    } off[] = {{GL_BLEND, "blending"},           {GL_DEPTH_TEST, "depth test"},
               {GL_SCISSOR_TEST, "scissor test"}, {GL_STENCIL_TEST, "stencil test"},
               {GL_LIGHTING, "lighting"},         {GL_COLOR_MATERIAL, "colour material"},
               {GL_FOG, "fog"},                   {GL_VERTEX_ARRAY, "vertex array"},
               {GL_TEXTURE_COORD_ARRAY, "texture coordinate array"},
               {GL_COLOR_ARRAY, "colour array"}};
    for (const auto& o : off)
        if (glIsEnabled(o.cap)) bad.push_back(Format("%s on", o.text));
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &v);
    if (v != 0) bad.push_back(Format("array buffer %d bound", v));
    glGetIntegerv(GL_CURRENT_PROGRAM, &v);
    if (v != 0) bad.push_back(Format("shader program %d in use", v));
    glGetIntegerv(GL_SHADE_MODEL, &v);
    if (v != GL_FLAT) bad.push_back("shade model not GL_FLAT");
    GLfloat colour[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    if (colour[0] != 1 || colour[1] != 1 || colour[2] != 1 || colour[3] != 1)
        bad.push_back(Format("colour %g,%g,%g,%g, not white", colour[0], colour[1], colour[2], colour[3]));
    GLint view[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, view);
    if (view[0] != 0 || view[1] != 0 || view[2] != g_width || view[3] != g_height)
        bad.push_back(Format("viewport %d %d %d %d", view[0], view[1], view[2], view[3]));
}

// Prints the check's line; true when it passed.
bool Check(const Command& c, int index, const std::string& after)
{
    std::vector<std::string> bad;
    const int cx = CentreX(index), cy = CentreY(index);

    // The unit-dependent state is read on unit 0, whichever is active.
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    if (active != GL_TEXTURE0) bad.push_back(Format("active texture unit %d", active - GL_TEXTURE0));
    glActiveTexture(GL_TEXTURE1);
    if (glIsEnabled(GL_TEXTURE_2D)) bad.push_back("texturing on on unit 1");
    glActiveTexture(GL_TEXTURE0);
    CheckMatrices(bad);
    CheckFixedState(bad);
    CheckTextures(c, bad);
    glActiveTexture(static_cast<GLenum>(active));

    // The command's pixels are there by the time the program looks.
    const Rgb own = ReadBlock(cx, cy, 1, 1).at(cx, cy);
    if (!Near(own, c.colour))
        bad.push_back(Format("its pixel at (%d,%d) is %s, not %s", cx, cy, RgbText(own).c_str(),
                             RgbText(c.colour).c_str()));

    // The program's own quad over them, untextured, in pixel coordinates,
    // wound counter-clockwise on the screen as the 2D state's front faces.
    const int qx = cx - 3, qy = cy - 3;
    const GLboolean texturing = glIsEnabled(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_2D);
    glColor4ub(kQuadColour.r, kQuadColour.g, kQuadColour.b, 255);
    glBegin(GL_QUADS);
    glVertex2i(qx, qy);
    glVertex2i(qx, qy + 6);
    glVertex2i(qx + 6, qy + 6);
    glVertex2i(qx + 6, qy);
    glEnd();
    glColor4f(1, 1, 1, 1);
    if (texturing) glEnable(GL_TEXTURE_2D);
    const Block b = ReadBlock(qx - 1, qy - 1, 8, 8);
    int missing = 0, spilled = 0;
    std::string firstMissing, firstSpilled;
    for (int y = qy - 1; y <= qy + 6; ++y)
        for (int x = qx - 1; x <= qx + 6; ++x) {
            const bool inside = x >= qx && x < qx + 6 && y >= qy && y < qy + 6;
            const bool quad = b.at(x, y) == kQuadColour;
            if (inside && !quad && missing++ == 0)
                firstMissing = Format("(%d,%d) is %s", x, y, RgbText(b.at(x, y)).c_str());
            if (!inside && quad && spilled++ == 0) firstSpilled = Format("(%d,%d)", x, y);
        }
    if (missing)
        bad.push_back(Format("quad at (%d,%d) missing in %d of 36 pixels, %s", qx, qy, missing,
                             firstMissing.c_str()));
    if (spilled)
        bad.push_back(Format("quad at (%d,%d) spills over %d pixels around it, %s", qx, qy, spilled,
                             firstSpilled.c_str()));

    std::string line = bad.empty() ? "ok " : "FAIL ";
    line += c.name;
    line += after;
    for (std::size_t i = 0; i < bad.size(); ++i) line += (i == 0 ? ": " : "; ") + bad[i];
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return bad.empty();
}

// ---- setting up -----------------------------------------------------------------
bool WriteFile(const std::string& path, const fixtures::Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

fixtures::Grid Solid(int w, int h, Rgb c)
{
    return fixtures::Picture(w, h, [c](int, int) { return c; });
}

std::vector<std::string> g_files;

bool LoadPictures(const std::string& dir)
{
    auto file = [&](const char* name, const fixtures::Grid& g) {
        const std::string path = dir + "/" + name;
        g_files.push_back(path);
        return WriteFile(path, fixtures::EncodeBmp(g)) ? path : std::string();
    };
    const fixtures::Grid tiles =
        fixtures::Picture(64, 32, [](int x, int y) { return kTileColours[(y / 16) * 4 + x / 16]; });
    bool ok = LOADSPRITE(DGStr(file("a.bmp", Solid(40, 30, kColourA)).c_str()), kSpriteA) == 1.0;
    ok = LOADSPRITE(DGStr(file("b.bmp", Solid(40, 30, kColourB)).c_str()), kSpriteB) == 1.0 && ok;
    ok = LOADSPRITE(DGStr(file("c.bmp", Solid(40, 30, kColourC)).c_str()), kSpriteC) == 1.0 && ok;
    ok = LOADANIM(DGStr(file("tiles.bmp", tiles).c_str()), kAnim, 16, 16) == 1.0 && ok;
    // LOADFONT falls back to the built-in font instead of failing: the size
    // tells the picture was loaded.
    LOADFONT(DGStr(file("font.bmp", Solid(128, 64, kFontColour)).c_str()), kFontSlot);
    int fw = 0, fh = 0;
    GETFONTSIZE(fw, fh);
    return ok && fw == 8 && fh == 8;
}

} // namespace

double __VELTRIC__::__MainGameSub_()
{
    GETSCREENSIZE(g_width, g_height);
    char dir[] = "/tmp/gl_state_probe.XXXXXX";
    const bool loaded = mkdtemp(dir) && LoadPictures(dir);
    for (const std::string& f : g_files) unlink(f.c_str());
    rmdir(dir);
    if (!loaded) {
        std::printf("FAIL setting up: the pictures did not load\n");
        std::fflush(stdout);
        END();
    }
    LIMITFPS(0); // nothing here waits for time: frames as fast as they come

    int checks = 0, failures = 0;
    auto run = [&](int a, int before) {
        SHOWSCREEN(); // the 2D state every frame starts from
        std::string after = " from start-up";
        if (before >= 0) {
            const Command& b = kCommands[before];
            if (b.sprite >= 0) g_usedSprites.insert(b.sprite);
            b.draw(CentreX(before), CentreY(before));
            after = std::string(" after ") + b.name;
        }
        if (kCommands[a].sprite >= 0) g_usedSprites.insert(kCommands[a].sprite);
        kCommands[a].draw(CentreX(a), CentreY(a));
        ++checks;
        if (!Check(kCommands[a], a, after)) ++failures;
    };
    for (int a = 0; a < kCount; ++a) run(a, -1);
    for (int before = 0; before < kCount; ++before)
        for (int a = 0; a < kCount; ++a) run(a, before);
    std::printf("gl state checks: %d, failing: %d\n", checks, failures);
    std::fflush(stdout);
    END();
    return 0.0;
}
