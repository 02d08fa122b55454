#include "media/sound.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>
#include <strings.h>
#include <sys/stat.h>

#include "media/dxinput.h"
#include "runtime/filesystem.h"
#include "runtime/frame.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

SFXSound* pDXsnd = nullptr;
SFXSoundBuffer* DXwav = nullptr;
double gMusicVolume = -1.0;
Mix_Music* g_pMixMusic = nullptr;

namespace {

// The largest sound effect file LOADSOUND reads.
constexpr off_t kMaxSoundFileBytes = off_t(256) << 20;

// Longest file name PLAYMUSIC accepts; a longer one counts as not found.
constexpr std::size_t kMusicNameRoom = 1024;

// The slot a command may use: above 127 becomes 127, below 0 none.
int SlotIndex(int n)
{
    if (n < 0) return -1;
    return n >= kSoundSlotsReachable ? kSoundSlotsReachable - 1 : n;
}

// Asks an archive for a readable path of name (the plain file, or a
// temporary copy of a packed member).
bool ResolveThroughArchive(RTShoeBox* box, const char* name, std::string& path)
{
    path.clear();
    if (!box || !name || !*name) return false;
    std::vector<char> buf(RTShoeBox::kPathMax);
    if (!box->FindOrExtract(name, buf.data(), buf.size())) return false;
    path = buf.data();
    return !path.empty();
}

// The music type the mixer's own loader takes from a file name's extension
// (MUS_NONE: the mixer looks at the first bytes).
Mix_MusicType TypeByExtension(const char* name)
{
    const char* dot = std::strrchr(name, '.');
    if (!dot) return MUS_NONE;
    const char* ext = dot + 1;
    auto is = [ext](const char* e) { return strcasecmp(ext, e) == 0; };
    if (is("wav")) return MUS_WAV;
    if (is("mid") || is("midi") || is("kar")) return MUS_MID;
    if (is("ogg")) return MUS_OGG;
    if (is("flac")) return MUS_FLAC;
    if (is("mpg") || is("mpeg") || is("mp3") || is("mad")) return MUS_MP3;
    return MUS_NONE;
}

// The mixer takes any stream it is told is MP3 as one, reports success and
// plays silence. An MP3 file has an MPEG audio frame header near its start,
// or right after the ID3 tag it may start with; without one the file cannot
// be decoded. Reads from f and leaves it at its start.
bool LooksLikeMp3(FILE* f)
{
    unsigned char b[4096];
    std::size_t n = std::fread(b, 1, 10, f);
    off_t start = 0;
    if (n == 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
        // The tag's size: 28 bits, 7 in each byte; a footer adds 10 bytes.
        if ((b[6] | b[7] | b[8] | b[9]) & 0x80) {
            std::rewind(f);
            return false;
        }
        start = 10 + (off_t(b[6]) << 21 | off_t(b[7]) << 14 | off_t(b[8]) << 7 | off_t(b[9])) +
                ((b[5] & 0x10) ? 10 : 0);
    }
    n = fseeko(f, start, SEEK_SET) == 0 ? std::fread(b, 1, sizeof b, f) : 0;
    std::rewind(f);
    for (std::size_t i = 0; i + 3 < n; ++i) {
        if (b[i] != 0xFF || (b[i + 1] & 0xE0) != 0xE0) continue;
        int version = (b[i + 1] >> 3) & 3, layer = (b[i + 1] >> 1) & 3;
        int bitrate = b[i + 2] >> 4, rate = (b[i + 2] >> 2) & 3;
        if (version != 1 && layer != 0 && bitrate != 15 && rate != 3) return true;
    }
    return false;
}

// The stream the current music reads from. The mixer is never given it to
// close: on some failures it closes its stream and on others it does not,
// so it stays ours and is closed after the music is freed, or at once when
// loading fails.
SDL_RWops* g_musicSource = nullptr;

// Loads the music file name as the mixer's own loader would, through a
// stream this module owns. Null with the mixer's error set.
Mix_Music* LoadMusic(const char* name)
{
    // Regular files only, through the one case-insensitive open.
    FILE* f = fopen_case(name, "rb");
    if (!f) {
        SDL_SetError("Couldn't open '%s'", name);
        return nullptr;
    }
    // No format fits in fewer bytes than its 12-byte header, and the mixer
    // keeps memory of its own when it fails on such a file.
    struct stat st;
    if (::fstat(fileno(f), &st) != 0 || st.st_size < 12) {
        std::fclose(f);
        SDL_SetError("Too short to be music: %s", name);
        return nullptr;
    }
    const Mix_MusicType type = TypeByExtension(name);
    if (type == MUS_MP3 && !LooksLikeMp3(f)) {
        std::fclose(f);
        SDL_SetError("Not an MPEG audio stream: %s", name);
        return nullptr;
    }
    SDL_RWops* rw = SDL_RWFromFP(f, 1);
    if (!rw) {
        std::fclose(f);
        return nullptr;
    }
    Mix_SetError("%s", "");
    Mix_Music* music = Mix_LoadMUSType_RW(rw, type, 0);
    if (!music) {
        SDL_RWclose(rw);
        if (!*Mix_GetError()) SDL_SetError("Couldn't open '%s'", name);
        return nullptr;
    }
    g_musicSource = rw;
    return music;
}

} // namespace

SFXSound::SFXSound()
{
    if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096) == 0) {
        m_open = true;
        Mix_Volume(-1, 128);
        Mix_VolumeMusic(64);
    }
}

SFXSound::~SFXSound()
{
    if (m_open) Mix_CloseAudio();
}

void SFXSoundBuffer::FreeBuffer()
{
    if (m_chunk) {
        Mix_FreeChunk(m_chunk);
        m_chunk = nullptr;
    }
}

int SFXSoundBuffer::Load(SFXSound*, const char* file, int)
{
    FreeBuffer();
    if (!file || !*file) return 0;
    // The name resolved as every loader resolves it, regular files only.
    FILE* f = fopen_case(file, "rb");
    if (!f) return 0;
    // An effect is decoded whole into memory; no real one comes near the cap.
    struct stat st;
    if (::fstat(fileno(f), &st) != 0 || st.st_size > kMaxSoundFileBytes) {
        std::fclose(f);
        return 0;
    }
    SDL_RWops* rw = SDL_RWFromFP(f, 1);
    if (!rw) {
        std::fclose(f);
        return 0;
    }
    // The mixer closes the stream whether or not the chunk loads.
    m_chunk = Mix_LoadWAV_RW(rw, 1);
    return m_chunk ? 1 : 0;
}

int SFXSoundBuffer::Play(int, int volume, unsigned long)
{
    if (!m_chunk) return -1;
    if (volume >= 0) Mix_VolumeChunk(m_chunk, volume * 128 / 100);
    return Mix_PlayChannelTimed(-1, m_chunk, 0, -1);
}

int SFXSoundBuffer::IsPlaying(long channel)
{
    if (channel < 0) return 0;
    return Mix_Playing(static_cast<int>(channel)) != 0 ? 1 : 0;
}

int SFXSoundBuffer::Stop()
{
    Mix_HaltChannel(-1);
    return 1;
}

double LOADSOUND(const DGStr& file, int n, int)
{
    int slot = SlotIndex(n);
    if (slot < 0 || !DXwav) return 0;
    std::string path;
    ResolveThroughArchive(__g_ShoeBox_Data, file.c_str(), path);
    return DXwav[slot].Load(pDXsnd, path.c_str(), 0);
}

double PLAYSOUND(int n, double pan, double volume)
{
    int slot = SlotIndex(n);
    if (slot < 0 || !DXwav) return -1;
    if (!(pan >= -1.0)) pan = std::isnan(pan) ? 0.0 : -1.0;
    if (pan > 1.0) pan = 1.0;
    int panValue = static_cast<int>(pan * 255.0); // computed, not applied by the mixer
    // A NaN volume leaves the chunk's volume as it was.
    int vol = -1;
    if (!std::isnan(volume)) {
        double v = std::trunc(volume * 100.0);
        vol = v < 0.0 ? 0 : (v > 100.0 ? 100 : static_cast<int>(v));
    }
    int channel = DXwav[slot].Play(panValue, vol, 0);
    if (channel < 0) return channel;
    return channel + slot * 256;
}

double SOUNDPLAYING(int handle)
{
    if (handle < 0) return 0;
    return SFXSoundBuffer::IsPlaying(handle & 255);
}

double HUSH()
{
    for (int i = 0; i < kSoundSlotsReachable; ++i) SFXSoundBuffer::Stop();
    return 0;
}

double STOPMUSIC()
{
    gMusicVolume = -1.0;
    if (g_pMixMusic) {
        Mix_FreeMusic(g_pMixMusic);
        g_pMixMusic = nullptr;
    }
    if (g_musicSource) {
        SDL_RWclose(g_musicSource);
        g_musicSource = nullptr;
    }
    return 0;
}

double PLAYMUSIC(const DGStr& file, int loop)
{
    STOPMUSIC();

    std::string path;
    if (file.Len() >= kMusicNameRoom ||
        !ResolveThroughArchive(__g_ShoeBox_Media, file.c_str(), path))
        return 0;

    g_pMixMusic = LoadMusic(path.c_str());

    if (!g_pMixMusic) {
        std::printf("PLAYMUSIC:\n%s\n", SDL_GetError());
    } else {
        Mix_PlayMusic(g_pMixMusic, loop != 0 ? -1 : 1);
        Mix_VolumeMusic(128);
    }
    MUSICVOLUME(1.0);
    __g_paused = 0;
    if (pDXin && !pDXin->m_pointerShown) {
        // Showing and hiding again makes the hidden pointer stick after the
        // music starts.
        SDL_ShowCursor(1);
        pDXin->m_pointerShown = true;
        SDL_ShowCursor(0);
        pDXin->m_pointerShown = false;
    }
    return 0;
}

double ISMUSICPLAYING() { return Mix_PlayingMusic() != 0 ? 1 : 0; }

double MUSICVOLUME(double v)
{
    if (std::isnan(v)) return 0;
    if (v < 0.0) v = 0.0;
    if (v == gMusicVolume) return 0;
    gMusicVolume = v;
    double scaled = v * 128.0;
    Mix_VolumeMusic(scaled >= 128.0 ? 128 : static_cast<int>(scaled));
    return 0;
}

} // namespace __VELTRIC__
