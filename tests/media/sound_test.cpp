// Sound effects and music, heard through SDL's disk audio driver: the mixed
// output is written to a file whose samples the tests inspect.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <SDL.h>
#include <SDL_mixer.h>

#include "media/sound.h"
#include "runtime/shoebox.h"
#include "tests/support/open_descriptors.h"

using namespace __VELTRIC__;

namespace {

std::string g_fixtures;

std::vector<int16_t> ReadSamples(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                    (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return s;
}

int Peak(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX)
{
    int p = 0;
    for (size_t i = from; i < s.size() && i < to; ++i) p = std::max(p, std::abs(int(s[i])));
    return p;
}

// Waits (bounded) until cond holds; the disk driver runs faster than real time.
template <class F> bool WaitFor(F cond, int ms = 30000)
{
    for (int t = 0; t < ms; t += 5) {
        if (cond()) return true;
        SDL_Delay(5);
    }
    return cond();
}

// The mixer runs on the audio thread, here many times faster than real time:
// a whole effect can be mixed while a busy machine holds the test up. A test
// that must see a sound still playing, or set a volume before any of the
// sound is mixed, holds the device still meanwhile.
struct HeldDevice {
    HeldDevice() { SDL_PauseAudio(1); }
    ~HeldDevice() { SDL_PauseAudio(0); }
};

class SoundTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char tmpl[] = "/tmp/veltric-sound-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        g_fixtures = tmpl;
        std::string cmd = std::string(VELTRIC_SOURCE_DIR) + "/tests/media/make_sound_fixtures.sh " + g_fixtures;
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    static void TearDownTestSuite() { std::system(("rm -rf " + g_fixtures).c_str()); }

    void SetUp() override
    {
        __g_ShoeBox_Media = new RTShoeBox();
        __g_ShoeBox_Data = new RTShoeBox();
        OpenDevice("");
    }

    // Opens the audio device writing to a file of its own.
    void OpenDevice(const char* suffix)
    {
        m_out = g_fixtures + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                suffix + ".raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", m_out.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "10", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        pDXsnd = new SFXSound();
        ASSERT_TRUE(pDXsnd->IsOpen()) << SDL_GetError();
        DXwav = new SFXSoundBuffer[kSoundSlots];
    }

    // Closes the device so the output file is complete, and returns its samples.
    std::vector<int16_t> Finish()
    {
        STOPMUSIC();
        delete[] DXwav;
        DXwav = nullptr;
        delete pDXsnd;
        pDXsnd = nullptr;
        SDL_Quit();
        return ReadSamples(m_out);
    }

    void TearDown() override
    {
        if (pDXsnd) Finish();
        delete __g_ShoeBox_Media;
        delete __g_ShoeBox_Data;
        __g_ShoeBox_Media = __g_ShoeBox_Data = nullptr;
    }

    static DGStr Fixture(const char* name) { return DGStr((g_fixtures + "/" + name).c_str()); }

    // Peak of one effect played at the given volume, from start to silence.
    int PlayedPeak(double volume)
    {
        EXPECT_EQ(LOADSOUND(Fixture("sine.wav"), 3, 0), 1);
        double h = PLAYSOUND(3, 0, volume);
        EXPECT_GE(h, 0);
        EXPECT_TRUE(WaitFor([&] { return SOUNDPLAYING(int(h)) == 0; }));
        return Peak(Finish());
    }

    std::string m_out;
};

TEST_F(SoundTest, HandlesCombineChannelAndSlot)
{
    EXPECT_EQ(PLAYSOUND(5, 0, 1), -1) << "an empty slot plays nothing";
    EXPECT_EQ(LOADSOUND(Fixture("sine.wav"), 127, 0), 1);
    HeldDevice held;
    double h = PLAYSOUND(200, 0, 1); // above 127 means slot 127
    ASSERT_GE(h, 127 * 256);
    int handle = int(h);
    EXPECT_EQ(handle - (handle & 255), 127 * 256);
    EXPECT_EQ(SOUNDPLAYING(handle), 1);
    EXPECT_EQ(SOUNDPLAYING(-1), 0);
    HUSH();
    EXPECT_EQ(SOUNDPLAYING(handle), 0);
}

TEST_F(SoundTest, BadSlotsAndVolumesAreRefused)
{
    EXPECT_EQ(LOADSOUND(Fixture("sine.wav"), -1, 0), 0);
    EXPECT_EQ(PLAYSOUND(-1, 0, 1), -1);
    EXPECT_EQ(PLAYSOUND(-100000, 0, 1), -1);
    EXPECT_EQ(LOADSOUND(Fixture("missing.wav"), 4, 0), 0);
    EXPECT_EQ(PLAYSOUND(4, 0, 1), -1);
    EXPECT_EQ(LOADSOUND(Fixture("notmp3.mp3"), 4, 0), 0) << "a file the mixer cannot read is a failure";
    EXPECT_EQ(LOADSOUND(Fixture("sine.wav"), 4, 0), 1);
    EXPECT_GE(PLAYSOUND(4, NAN, NAN), 0);
    EXPECT_GE(PLAYSOUND(4, 1e300, -1e300), 0);
    HUSH();
}

TEST_F(SoundTest, FullVolumeReachesFullScale)
{
    EXPECT_GT(PlayedPeak(1.0), 30000);
}

TEST_F(SoundTest, HalfVolumeHalvesThePeak)
{
    int half = PlayedPeak(0.5);
    // sine.wav peaks at 32767: half volume is 64/128 of it.
    EXPECT_NEAR(half, 32767 / 2, 300);
}

TEST_F(SoundTest, VolumeIsClampedToFull)
{
    EXPECT_GT(PlayedPeak(2.0), 30000);
}

TEST_F(SoundTest, NegativeVolumeIsSilent)
{
    EXPECT_EQ(PlayedPeak(-1.0), 0);
}

TEST_F(SoundTest, MissingMusicPrintsNothing)
{
    ::testing::internal::CaptureStdout();
    PLAYMUSIC(Fixture("nothere.mp3"), 1);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("PLAYMUSIC:"), std::string::npos);
    EXPECT_EQ(ISMUSICPLAYING(), 0);
}

TEST_F(SoundTest, UndecodableMusicPrintsTheMixerError)
{
    ::testing::internal::CaptureStdout();
    PLAYMUSIC(Fixture("notmp3.mp3"), 0);
    std::string out = ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(out.rfind("PLAYMUSIC:\n", 0), 0u) << out;
    EXPECT_GT(out.size(), std::string("PLAYMUSIC:\n\n").size()) << "the mixer's error follows";
    EXPECT_EQ(ISMUSICPLAYING(), 0);
}

TEST_F(SoundTest, OverlongMusicNameCountsAsNotFound)
{
    std::string name(5000, 'a');
    ::testing::internal::CaptureStdout();
    PLAYMUSIC(DGStr(name.c_str()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(ISMUSICPLAYING(), 0);
}

TEST_F(SoundTest, MusicPlaysOnceThenFallsSilent)
{
    {
        HeldDevice held;
        PLAYMUSIC(Fixture("tone.mp3"), 0);
        EXPECT_EQ(ISMUSICPLAYING(), 1);
        EXPECT_EQ(gMusicVolume, 1.0);
    }
    ASSERT_TRUE(WaitFor([] { return ISMUSICPLAYING() == 0; })) << "played once, it ends";
    SDL_Delay(100);
    std::vector<int16_t> s = Finish();
    ASSERT_GT(s.size(), 44100u * 2) << "at least the one second of music was written";
    EXPECT_GT(Peak(s), 15000);
    EXPECT_EQ(Peak(s, s.size() - 2048), 0) << "silence after the end";
}

using testsupport::OpenDescriptors;

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(SoundTest, FailedMusicLeavesNoDescriptorOpen)
{
    // Files the mixer's loader fails on in different ways (too short to
    // tell a type, a type it cannot decode, a directory), each tried 20
    // times as a program retrying every frame would; then a good file
    // played and stopped.
    std::filesystem::create_directory(g_fixtures + "/folder.ogg");
    WriteBytes(g_fixtures + "/tiny", "abcde");
    WriteBytes(g_fixtures + "/tiny.ogg", "abc");
    WriteBytes(g_fixtures + "/empty.wav", "");
    WriteBytes(g_fixtures + "/two.wav", "ab");
    const char* names[] = {"tiny", "tiny.ogg", "empty.wav", "two.wav", "notmp3.mp3", "folder.ogg"};
    const int before = OpenDescriptors();
    for (const char* name : names) {
        SCOPED_TRACE(name);
        ::testing::internal::CaptureStdout();
        for (int i = 0; i < 20; ++i) PLAYMUSIC(Fixture(name), 0);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(g_pMixMusic, nullptr);
        EXPECT_EQ(OpenDescriptors(), before);
    }
    for (int i = 0; i < 3; ++i) {
        PLAYMUSIC(Fixture("tone.mp3"), 1);
        EXPECT_EQ(ISMUSICPLAYING(), 1);
    }
    STOPMUSIC();
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(SoundTest, Mp3AfterAnId3TagPlaysAndATagAloneIsRefused)
{
    // A 10-byte ID3 header announcing 300 bytes of tag, then the stream.
    std::ifstream in(g_fixtures + "/tone.mp3", std::ios::binary);
    const std::string stream((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string tag = std::string("ID3\x03\0\0\0\0\x02\x2c", 10) + std::string(300, '\0');
    WriteBytes(g_fixtures + "/tagged.mp3", tag + stream);
    WriteBytes(g_fixtures + "/tagonly.mp3", tag + std::string(8000, '\0'));

    PLAYMUSIC(Fixture("tagged.mp3"), 1);
    EXPECT_EQ(ISMUSICPLAYING(), 1);
    ::testing::internal::CaptureStdout();
    PLAYMUSIC(Fixture("tagonly.mp3"), 1);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("PLAYMUSIC:\n", 0), 0u) << out;
    EXPECT_EQ(ISMUSICPLAYING(), 0);
}

TEST_F(SoundTest, SoundNamesAreResolvedWithoutRegardToCase)
{
    EXPECT_EQ(LOADSOUND(Fixture("SINE.WAV"), 6, 0), 1);
    EXPECT_GE(PLAYSOUND(6, 0, 1), 0);
    HUSH();
}

class MusicVolumeTest : public SoundTest {
protected:
    int MusicPeak(double volume)
    {
        {
            HeldDevice held;
            PLAYMUSIC(Fixture("tone.mp3"), 0);
            MUSICVOLUME(volume);
        }
        EXPECT_TRUE(WaitFor([] { return ISMUSICPLAYING() == 0; }));
        return Peak(Finish());
    }
};

TEST_F(MusicVolumeTest, HalfVolumeHalvesTheAmplitude)
{
    int full = MusicPeak(1.0);
    OpenDevice("-half");
    int half = MusicPeak(0.5);
    EXPECT_NEAR(half, full / 2, full / 50 + 2);
}

TEST_F(SoundTest, MusicVolumeRules)
{
    PLAYMUSIC(Fixture("tone.mp3"), 1);
    MUSICVOLUME(0.5);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    MUSICVOLUME(NAN);
    EXPECT_EQ(gMusicVolume, 0.5) << "NaN changes nothing";
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    MUSICVOLUME(-3);
    EXPECT_EQ(gMusicVolume, 0.0) << "negative volumes clamp to 0, not a mixer query";
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    MUSICVOLUME(1e300);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);
    STOPMUSIC();
    EXPECT_EQ(ISMUSICPLAYING(), 0);
    EXPECT_EQ(gMusicVolume, -1.0);
    EXPECT_EQ(g_pMixMusic, nullptr);
}

} // namespace
