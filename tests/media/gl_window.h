#pragma once
// One real window per test program (Xvfb when there is no display), opened
// through the renderer's own Init, with the per-frame 2D state reset before
// every test and pixels read back from the back buffer before any swap.
#include <gtest/gtest.h>

#include <SDL_opengl.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "media/opengl_dedudeve.h"
#include "picture_fixtures.h"

#ifndef GL_WINDOW_W
#define GL_WINDOW_W 640
#endif
#ifndef GL_WINDOW_H
#define GL_WINDOW_H 480
#endif

namespace gltest {

using fixtures::Rgb;
using namespace __VELTRIC__;

inline OpenGLDedudeve*& Renderer()
{
    static OpenGLDedudeve* r = nullptr;
    return r;
}

class Window : public ::testing::Test {
public:
    static constexpr int W = GL_WINDOW_W;
    static constexpr int H = GL_WINDOW_H;
    OpenGLDedudeve* R = nullptr;
    std::string dir;

    void SetUp() override
    {
        if (!Renderer()) {
            auto* r = new OpenGLDedudeve;
            ::testing::internal::CaptureStdout(); // the start-up report
            const int ok = r->Init(0, W, H, 24, 60, 0, false);
            ::testing::internal::GetCapturedStdout();
            ASSERT_EQ(ok, 1) << "no GL window";
            Renderer() = r;
            __g_pRbow = r;
        }
        R = Renderer();
        // What the frame step restores every frame.
        glDisable(GL_BLEND);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        R->m_alpha = 1.0f;
        R->SetColorKey(0x8000FF);
        R->Make2DViewport(0, 0, 0, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        char t[] = "/tmp/veltric_gl_XXXXXX";
        dir = mkdtemp(t);
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return dir + "/" + name; }

    std::string WriteFile(const std::string& name, const fixtures::Bytes& b) const
    {
        const std::string p = Path(name);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        return p;
    }

    // Loads g (encoded as a 24-bit BMP) into sprite n with the colour key.
    int LoadGrid(int n, const fixtures::Grid& g, unsigned long key = 0x8000FF)
    {
        const std::string p = WriteFile("s" + std::to_string(n) + ".bmp", fixtures::EncodeBmp(g));
        return R->LoadSprite(n, p.c_str(), key, false);
    }

    // A pixel of the back buffer, (x, y) from the top left of the window.
    static Rgb Read(int x, int y)
    {
        unsigned char p[3] = {0, 0, 0};
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, H - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
        // Back to the GL's default, so the code under test meets it.
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return Rgb{p[0], p[1], p[2]};
    }

    // Fills the window with one colour.
    static void Clear(Rgb c)
    {
        glClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0, 0, 0, 1);
    }
};

} // namespace gltest

namespace fixtures {
inline ::std::ostream& operator<<(::std::ostream& o, const Rgb& c)
{
    return o << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}
} // namespace fixtures
