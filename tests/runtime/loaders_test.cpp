// Every loader command against the files a real folder can hold besides
// good data: an empty file, a directory, a FIFO without a writer, /dev/zero
// under a data file's name, 4 GiB sparse files (plain and starting with the
// format's magic) and a name of 5,000 bytes. Each must return its own
// failure quickly and leave no descriptor open. A loader that hangs ends the
// program through a watchdog, so the test fails instead of holding ctest.
#include "tests/engine3d/gl_window3d.h"

#include <sys/stat.h>
#include <unistd.h>

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"
#include "media/commands2d.h"
#include "media/sound.h"
#include "media/surfaces.h"
#include "runtime/ini.h"
#include "runtime/line_files.h"
#include "runtime/shoebox.h"
#include "tests/support/open_descriptors.h"

namespace {

using namespace __VELTRIC__;

// Ends the process when one case runs longer than its deadline.
class Watchdog {
public:
    Watchdog()
        : m_thread([this] { Run(); })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    void Arm(const std::string& what, std::chrono::seconds limit)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_what = what;
        m_deadline = std::chrono::steady_clock::now() + limit;
        m_armed = true;
        m_cv.notify_all();
    }
    void Disarm()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = false;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            if (!m_armed) {
                m_cv.wait(lock);
                continue;
            }
            if (m_cv.wait_until(lock, m_deadline) == std::cv_status::timeout && m_armed &&
                std::chrono::steady_clock::now() >= m_deadline) {
                std::fprintf(stderr, "loader hangs: %s\n", m_what.c_str());
                std::fflush(stderr);
                _exit(3);
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_what;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_stop = false;
    std::thread m_thread;
};

using testsupport::OpenDescriptors;

struct Loader {
    const char* command;
    const char* extension;
    std::vector<std::string> magics;
    // Runs the command on name; true when it loaded anything at all.
    std::function<bool(const DGStr& name)> loads;
};

enum class Kind { empty, directory, fifo, devZero, sparse, sparseWithMagic, longName };

const char* KindName(Kind k)
{
    switch (k) {
    case Kind::empty: return "empty file";
    case Kind::directory: return "directory";
    case Kind::fifo: return "FIFO";
    case Kind::devZero: return "/dev/zero";
    case Kind::sparse: return "4 GiB sparse file";
    case Kind::sparseWithMagic: return "4 GiB sparse file with magic";
    case Kind::longName: return "5,000-byte name";
    }
    return "?";
}

constexpr long long kFourGiB = 4LL << 30;

class LoaderFiles : public gltest::Window3D {
public:
    void SetUp() override
    {
        gltest::Window3D::SetUp();
        __g_pRbow3D = r3d;
        __g_ShoeBox_Data = new RTShoeBox;
        __g_ShoeBox_Media = new RTShoeBox;
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        pDXsnd = new SFXSound;
        DXwav = new SFXSoundBuffer[kSoundSlots];
    }
    void TearDown() override
    {
        STOPMUSIC();
        delete[] DXwav;
        DXwav = nullptr;
        delete pDXsnd;
        pDXsnd = nullptr;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        delete __g_ShoeBox_Data;
        delete __g_ShoeBox_Media;
        __g_ShoeBox_Data = __g_ShoeBox_Media = nullptr;
        __g_Ini.changed = 0;
        __g_Ini.Clear();
        __g_Ini.filename = "";
        __g_FastFile.FillBuffer(nullptr);
        gltest::Window3D::TearDown();
    }

    // Makes the file of one case; the name the loader is given.
    std::string Make(Kind kind, const std::string& magic, const std::string& folder, const char* extension)
    {
        std::filesystem::create_directory(folder);
        const std::string name = folder + "/case" + extension;
        switch (kind) {
        case Kind::empty: WriteFile(name.substr(dir.size() + 1), {}); break;
        case Kind::directory: std::filesystem::create_directory(name); break;
        case Kind::fifo: EXPECT_EQ(mkfifo(name.c_str(), 0600), 0); break;
        case Kind::devZero: std::filesystem::create_symlink("/dev/zero", name); break;
        case Kind::sparse:
        case Kind::sparseWithMagic: {
            std::FILE* f = std::fopen(name.c_str(), "wb");
            EXPECT_NE(f, nullptr);
            if (!f) break;
            if (kind == Kind::sparseWithMagic) std::fwrite(magic.data(), 1, magic.size(), f);
            std::fclose(f);
            EXPECT_EQ(truncate(name.c_str(), kFourGiB), 0);
            break;
        }
        case Kind::longName: return std::string(5000 - std::strlen(extension), 'n') + extension;
        }
        return name;
    }

    std::vector<Loader> Loaders()
    {
        const std::string png("\x89PNG\r\n\x1a\n", 8);
        const std::vector<std::string> pictures = {"BM", png};
        const std::string binaryObject("\x17\xB3\xC6\x00\x52\xB8\x1E\x85\xEB\x51\xF0\x3F\x01\0\0\0\0\0\0\0\0\0\0\0", 24);
        return {
            {"LOADSPRITE", ".bmp", pictures,
             [this](const DGStr& n) { return LOADSPRITE(n, 7) != 0 || R->m_sprites[7].imgWidth != 0; }},
            {"LOADANIM", ".png", pictures,
             [this](const DGStr& n) { return LOADANIM(n, 8, 4, 4) != 0 || R->m_sprites[8].imgWidth != 0; }},
            {"LOADFONT", ".png", pictures, [](const DGStr& n) { return LOADFONT(n, 3) != 0; }},
            {"LOADBMP", ".bmp", pictures, [](const DGStr& n) { return LOADBMP(n) != 0; }},
            {"LOADSOUND", ".wav", {std::string("RIFF\x24\0\0\0WAVEfmt ", 16), "OggS"},
             [](const DGStr& n) { return LOADSOUND(n, 9, 0) != 0 || !DXwav[9].Empty(); }},
            {"PLAYMUSIC", ".mp3", {std::string("ID3\x03\0\0\0\0\0\0", 10)},
             [](const DGStr& n) {
                 PLAYMUSIC(n, 0);
                 return g_pMixMusic != nullptr || ISMUSICPLAYING() != 0;
             }},
            {"INIOPEN", ".ini", {"[section]\r\nkey=value\r\n"},
             [](const DGStr& n) {
                 INIOPEN(n);
                 return __g_Ini.sections.Count() > 0;
             }},
            {"GETFILE", ".txt", {"first line\r\n"},
             [](const DGStr& n) {
                 __g_FastFile.FillBuffer(nullptr);
                 DGStr text;
                 GETFILE(n, 0, text);
                 return std::string(text.c_str()) != "NO_FILE" && std::string(text.c_str()) != "NO_DATA";
             }},
            {"X_LOADOBJ", ".ddd", {binaryObject, "DDDA 1.1\n"},
             [this](const DGStr& n) {
                 X_LOADOBJ(n, 5);
                 const X_WORLD& w = r3d->slots[5];
                 return w.loaded && w.objects.Count() > 0 && w.objects[0].object.frames.Count() > 0;
             }},
            {"X_LOADOBJ (world file)", ".ddw", {";DDW\r\n[objects]\r\ncount=1\r\n1=case.ddd\r\n"},
             [this](const DGStr& n) {
                 X_LOADOBJ(n, 6);
                 const X_WORLD& w = r3d->slots[6];
                 return w.loaded && (w.objects.Count() > 0 || w.textures.Count() > 0);
             }},
        };
    }
};

TEST_F(LoaderFiles, EveryLoaderFailsQuicklyOnSpecialHugeAndOverlongFilesAndKeepsNoDescriptor)
{
    Watchdog watchdog;
    const std::vector<Loader> loaders = Loaders();
    // Libraries may open what they keep for the whole run on first use.
    for (const Loader& l : loaders) {
        ::testing::internal::CaptureStdout();
        l.loads(DGStr((dir + "/missing" + l.extension).c_str()));
        ::testing::internal::GetCapturedStdout();
    }

    const Kind kinds[] = {Kind::empty, Kind::directory, Kind::fifo, Kind::devZero, Kind::sparse,
                          Kind::sparseWithMagic, Kind::longName};
    double slowest = 0;
    std::string slowestCase;
    int number = 0;
    for (const Loader& l : loaders) {
        for (Kind kind : kinds) {
            const std::vector<std::string> magics =
                kind == Kind::sparseWithMagic ? l.magics : std::vector<std::string>{""};
            for (std::size_t m = 0; m < magics.size(); ++m) {
                const std::string what = std::string(l.command) + ", " + KindName(kind) +
                                         (magics.size() > 1 ? " #" + std::to_string(m) : "");
                SCOPED_TRACE(what);
                const std::string name = Make(kind, magics[m], dir + "/c" + std::to_string(number++), l.extension);
                const int before = OpenDescriptors();
                watchdog.Arm(what, std::chrono::seconds(60));
                const auto start = std::chrono::steady_clock::now();
                ::testing::internal::CaptureStdout();
                const bool loaded = l.loads(DGStr(name.c_str()));
                ::testing::internal::GetCapturedStdout();
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                watchdog.Disarm();
                EXPECT_FALSE(loaded);
                // Well under a second here; the bound leaves room for a busy machine.
                EXPECT_LT(seconds, 10.0);
                EXPECT_EQ(OpenDescriptors(), before);
                if (seconds > slowest) {
                    slowest = seconds;
                    slowestCase = what;
                }
                if (kind == Kind::sparse || kind == Kind::sparseWithMagic) std::remove(name.c_str());
            }
        }
    }
    std::printf("%d cases; slowest %.3f s (%s)\n", number, slowest, slowestCase.c_str());
}

} // namespace
