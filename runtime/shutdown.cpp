// Shut-down: every engine object released in its fixed order. Each step
// tests its object and clears the pointer, so a second run releases nothing
// twice.
#include <SDL.h>

#include <cstdio>

#include "media/dxinput.h"
#include "media/opengl_dedudeve.h"
#include "media/sound.h"
#include "net/rthawknetwork.h"
#include "runtime/core.h"
#include "runtime/file_channels.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

namespace {
template <class T> void DeleteObject(T*& p)
{
    delete p;
    p = nullptr;
}
} // namespace

void __ShutDownVeltric()
{
#ifndef __APPLE__
    std::puts("shutdown");
#endif
    __VLT_close_all_filehandles();
    STOPMUSIC();
    DeleteObject(__g_pRbow);
    DeleteObject(pDXin);
    delete[] DXwav; // each slot frees its chunk, last slot first
    DXwav = nullptr;
    DeleteObject(pDXsnd);
    if (pRTNet) {
        // Destroy messages for the local players, the worker stopped, the
        // library released; the destructor then empties the lists.
        pRTNet->ShutDown();
        DeleteObject(pRTNet);
    }
    DeleteObject(__g_ShoeBox_Media);
    DeleteObject(__g_ShoeBox_Data);
    SDL_WM_GrabInput(SDL_GRAB_OFF);
    SDL_Quit();
#ifndef __APPLE__
    std::puts("OK, safe to quit");
#endif
}

} // namespace __VELTRIC__
