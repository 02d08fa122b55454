// A translated program the input and quit tests drive with real key and
// mouse events. Its command line picks what it reports on standard output:
//   (nothing)  "ready", then frames until a quit rule ends it; "down 1" and
//              "up 1" when KEY(1) (Escape) changes
//   noescape   the same after ALLOWESCAPE(0)
//   keys       "down N" / "up N" whenever KEY(N) of a mapped key changes
//   mouse      "mouse X Y B1 B2 L R M" whenever MOUSESTATE or a button changes
//   timers     the frame timer before the first frame, then SETSCREEN's result
//   input      the line INPUT edits ("input <text>"), then FILEREQUEST$'s line;
//              meanwhile "held N" once key N was down in eight reads of the key
//              state in a row (so the editor has seen it) and "released N" when
//              a read finds it up again
//   busy       frames that spend 200 ms drawing before the flip (with noescape
//              after ALLOWESCAPE(0))
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "media/dxinput.h"
#include "media/opengl_dedudeve.h"
#include "runtime/veltric.h"

namespace __VELTRIC__ {

namespace {

bool HasWord(const char* word)
{
    return std::strstr(__g_cmdline.c_str(), word) != nullptr;
}

void Say(const char* fmt, int a = 0, int b = 0, int c = 0, int d = 0, int e = 0, int f = 0,
         int g = 0)
{
    std::printf(fmt, a, b, c, d, e, f, g);
    std::fflush(stdout);
}

void ReportKeys()
{
    static bool down[256];
    SHOWSCREEN();
    Say("ready\n");
    for (;;) {
        for (int i = 0; i < kKeyTableRowCount; ++i) {
            const int scan = kKeyTableRows[i].scanCode;
            const bool now = KEY(scan) != 0.0;
            if (now != down[scan]) {
                down[scan] = now;
                Say(now ? "down %d\n" : "up %d\n", scan);
            }
        }
        SHOWSCREEN();
    }
}

void ReportMouse()
{
    int last[7] = {-1, -1, -1, -1, -1, -1, -1};
    SHOWSCREEN();
    Say("ready\n");
    for (;;) {
        double x, y, b1, b2;
        MOUSESTATE(x, y, b1, b2);
        const int now[7] = {int(x), int(y), int(b1), int(b2), int(MOUSEAXIS(3)),
                            int(MOUSEAXIS(4)), int(MOUSEAXIS(5))};
        if (std::memcmp(now, last, sizeof now) != 0) {
            std::memcpy(last, now, sizeof now);
            Say("mouse %d %d %d %d %d %d %d\n", now[0], now[1], now[2], now[3], now[4], now[5],
                now[6]);
        }
        SHOWSCREEN();
    }
}

void ReportTimers()
{
    std::printf("gettimer %.3f\n", GETTIMER());
    SETSCREEN(800, 600, 0);
    SDL_Surface* s = SDL_GetVideoSurface();
    Say("screen %d %d %d %d %d %d\n", __DG_RESX, __DG_RESY, __g_pRbow->m_width,
        __g_pRbow->m_height, s ? s->w : -1, s ? s->h : -1);
    END();
}

// SDL's key state, read as the runtime reads it, with a report of the keys
// the program has surely seen. The line editor reads the state once per
// frame and the frame step three times more, so eight reads in a row that
// find a key down include at least one of the editor's: a test may release
// the key once it sees "held".
Uint8* ObservedKeyState(int* numkeys)
{
    constexpr int kSeen = 8;
    static int downReads[256]; // by key number
    Uint8* state = SDL_GetKeyState(numkeys);
    for (int i = 0; i < kKeyTableRowCount; ++i) {
        const int scan = kKeyTableRows[i].scanCode;
        int& run = downReads[scan];
        if (state[kKeyTableRows[i].sdlKey] == 1) {
            if (++run == kSeen)
                Say("held %d\n", scan);
        } else {
            if (run >= kSeen)
                Say("released %d\n", scan);
            run = 0;
        }
    }
    return state;
}

void ReportInput()
{
    static const InputStateSource observed = {
        [] { SDL_PumpEvents(); },
        ObservedKeyState,
        [](int* x, int* y) { return SDL_GetMouseState(x, y); },
        [](int* dx, int* dy) { return SDL_GetRelativeMouseState(dx, dy); },
    };
    SetInputStateSourceForTesting(&observed);
    SHOWSCREEN();
    Say("ready\n");
    DGStr text = CGStr("x");
    INPUT(text, 10, 10);
    std::printf("input %s\n", text.c_str());
    std::fflush(stdout);
    DGStr file = FILEREQUEST_Str(0, CGStr("*.*"));
    std::printf("file %s\n", file.c_str());
    std::fflush(stdout);
    END();
}

} // namespace

double __MainGameSub_()
{
    if (HasWord(" keys "))
        ReportKeys();
    if (HasWord(" mouse "))
        ReportMouse();
    if (HasWord(" input "))
        ReportInput();
    if (HasWord(" timers "))
        ReportTimers();
    if (HasWord(" noescape "))
        ALLOWESCAPE(0);
    if (HasWord(" busy ")) {
        SHOWSCREEN();
        Say("ready\n");
        for (;;) {
            SLEEP(200); // events arrive while the frame is being drawn
            SHOWSCREEN();
        }
    }
    SHOWSCREEN();
    Say("ready\n");
    bool escape = false;
    for (;;) {
        const bool now = KEY(1) != 0.0;
        if (now != escape) {
            escape = now;
            Say(now ? "down 1\n" : "up 1\n");
        }
        SHOWSCREEN();
    }
    return 0.0;
}

} // namespace __VELTRIC__
