// DXInput: construction, the key table and the keyboard.
#include "media/dxinput.h"

#include "media/input_source.h"

namespace __VELTRIC__ {

DXInput* pDXin = nullptr;

// ---- where SDL's state is read -------------------------------------------

namespace {

const InputStateSource kSdlSource = {
    [] { SDL_PumpEvents(); },
    [](int* numkeys) { return SDL_GetKeyState(numkeys); },
    [](int* x, int* y) { return SDL_GetMouseState(x, y); },
    [](int* dx, int* dy) { return SDL_GetRelativeMouseState(dx, dy); },
};

const InputStateSource* g_source = &kSdlSource;

} // namespace

const InputStateSource& CurrentInputSource() { return *g_source; }

void SetInputStateSourceForTesting(const InputStateSource* source)
{
    g_source = source ? source : &kSdlSource;
}

// ---- lifetime --------------------------------------------------------------

DXInput::DXInput()
{
    SDL_Init(SDL_INIT_JOYSTICK);
}

DXInput::~DXInput()
{
    SDL_ShowCursor(1);
    m_pointerShown = true;
    int n = SDL_NumJoysticks();
    if (n > kMaxJoysticks)
        n = kMaxJoysticks;
    for (int i = 0; i < n; ++i) {
        if (SDL_JoystickOpened(i) && m_joysticks[i]) {
            SDL_JoystickClose(m_joysticks[i]);
            m_joysticks[i] = nullptr;
        }
    }
}

int DXInput::CreateDInput(unsigned long, unsigned long, bool)
{
    DXtoVK(false);
    m_pointerShown = false;
    SDL_ShowCursor(0);
    int n = SDL_NumJoysticks();
    m_numJoysticks = n < 0 ? 0 : (n > kMaxJoysticks ? kMaxJoysticks : n);
    for (int i = 0; i < m_numJoysticks; ++i)
        m_joysticks[i] = SDL_JoystickOpen(i);
    return 0;
}

void DXInput::DXtoVK(bool)
{
    for (std::uint16_t& k : m_keyTable)
        k = kNoKey;
    for (int i = 0; i < kKeyTableRowCount; ++i)
        m_keyTable[kKeyTableRows[i].scanCode] = kKeyTableRows[i].sdlKey;
}

// ---- keyboard --------------------------------------------------------------

void DXInput::GetKeyboardStatus()
{
    g_source->pump();
}

// An unmapped key number holds kNoKey, which is also a real SDL key
// (SDLK_WORLD_95): it must read as not pressed whatever that key does. A key
// beyond the length of SDL's state array reads as not pressed too.
bool DXInput::SdlKeyHeld(const Uint8* state, int numkeys, int keyNumber) const
{
    if (!state || keyNumber < 0 || keyNumber >= kKeyTableSize)
        return false;
    const int k = m_keyTable[keyNumber];
    if (k == kNoKey || k >= numkeys)
        return false;
    return state[k] == 1;
}

int DXInput::IsKeyDown(int n)
{
    GetKeyboardStatus();
    g_source->pump();
    int numkeys = 0;
    const Uint8* state = g_source->keyState(&numkeys);
    return SdlKeyHeld(state, numkeys, n & 0xFF) ? 1 : 0;
}

bool DXInput::AnyKeyHeld()
{
    g_source->pump();
    int numkeys = 0;
    const Uint8* state = g_source->keyState(&numkeys);
    for (int n = 0; n < 255; ++n)
        if (SdlKeyHeld(state, numkeys, n))
            return true;
    return false;
}

int DXInput::Scan2Ascii(unsigned long code) const
{
    switch (code) {
    case 29: case 42: case 54: case 56: case 58: case 69: case 221:
        return 0; // control, shift, alt, the locks and the menu key
    case 14:
        return 8;
    case 28: case 156:
        return 10;
    default:
        break;
    }
    if (code >= static_cast<unsigned long>(kKeyTableSize))
        return 0;
    const int k = m_keyTable[code];
    if (k == 8 || k == 10 || (k >= 32 && k <= 127))
        return k;
    return 0;
}

int DXInput::GetKeyChar()
{
    // One pump and one look at the state serve the whole scan: the keys held
    // cannot change between two reads of the same array without a pump.
    g_source->pump();
    int numkeys = 0;
    const Uint8* state = g_source->keyState(&numkeys);

    int ch = 0;
    for (int c = 0; c < 255; ++c) {
        if (!SdlKeyHeld(state, numkeys, c))
            continue;
        ch = Scan2Ascii(static_cast<unsigned long>(c));
        if (ch)
            break;
    }
    if (!ch) {
        m_lastPressed = 0;
        return 0;
    }

    const int folded = (ch >= 'A' && ch <= 'Z') ? ch + 32 : ch;
    int result = ch;
    const bool shift = SdlKeyHeld(state, numkeys, 42) || SdlKeyHeld(state, numkeys, 54);
    if (shift && ch >= 'a' && ch <= 'z')
        result = ch - 32;

    // A held key gives its character once; it repeats only after a call that
    // saw no character key, or another one.
    if (folded == m_lastPressed)
        return 0;
    m_lastPressed = static_cast<std::uint8_t>(folded);
    return result;
}

} // namespace __VELTRIC__
