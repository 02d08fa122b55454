#pragma once
// The real window of tests/media/gl_window.h with one 3D renderer built over
// it, shared by every test of the program as start-up shares its one.
#include "engine3d/dedudeve3d.h"
#include "runtime/core.h"
#include "tests/media/gl_window.h"

namespace gltest {

class Window3D : public Window {
public:
    __VELTRIC__::Dedudeve3D* r3d = nullptr;

    void SetUp() override
    {
        Window::SetUp();
        static __VELTRIC__::Dedudeve3D* shared = nullptr;
        if (!shared) shared = new __VELTRIC__::Dedudeve3D(R);
        r3d = shared;
    }
};

// The same renderer as the X_ commands reach it: through __g_pRbow3D, with
// the debug drawing of a program started without debug mode.
class CommandWindow3D : public Window3D {
public:
    void SetUp() override
    {
        Window3D::SetUp();
        __VELTRIC__::__g_pRbow3D = r3d;
        __VELTRIC__::__DG_DEBUG = 0;
    }
};

} // namespace gltest
