#pragma once
// Sound effects and music over the mixer. SFXSound opens the audio device;
// each SFXSoundBuffer slot holds one loaded effect; one music stream plays
// at a time.
#include <SDL_mixer.h>

#include "runtime/dgstr.h"

namespace __VELTRIC__ {

class SFXSound {
public:
    // Opens the device at 44,100 Hz, signed 16-bit little-endian, stereo,
    // chunk size 4,096. Without a device the program goes on silent.
    SFXSound();
    ~SFXSound();
    SFXSound(const SFXSound&) = delete;
    SFXSound& operator=(const SFXSound&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

class SFXSoundBuffer {
public:
    SFXSoundBuffer() = default;
    ~SFXSoundBuffer() { FreeBuffer(); }
    SFXSoundBuffer(const SFXSoundBuffer&) = delete;
    SFXSoundBuffer& operator=(const SFXSoundBuffer&) = delete;

    void FreeBuffer();
    void Init() { FreeBuffer(); }
    // 1 when a chunk was loaded, 0 when the file could not be read.
    int Load(SFXSound* device, const char* file, int unused);
    // The mixer channel the chunk plays on, or -1.
    int Play(int pan, int volume, unsigned long unused);
    static int IsPlaying(long channel);
    static int Stop();
    bool Empty() const { return m_chunk == nullptr; }
    Mix_Chunk* Chunk() const { return m_chunk; }

private:
    Mix_Chunk* m_chunk = nullptr;
};

constexpr int kSoundSlots = 2048;
constexpr int kSoundSlotsReachable = 128; // the commands reach slots 0..127

extern SFXSound* pDXsnd;
extern SFXSoundBuffer* DXwav; // kSoundSlots slots
extern double gMusicVolume;   // -1.0: none set, so the next MUSICVOLUME applies
extern Mix_Music* g_pMixMusic;

// ---- sound commands ----
double LOADSOUND(const DGStr& file, int n, int unused);
double PLAYSOUND(int n, double pan, double volume);
double SOUNDPLAYING(int handle);
double HUSH();
double PLAYMUSIC(const DGStr& file, int loop);
double STOPMUSIC();
double ISMUSICPLAYING();
double MUSICVOLUME(double v);

} // namespace __VELTRIC__
