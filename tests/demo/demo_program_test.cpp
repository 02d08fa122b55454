// The demo as its users meet it: the real executable under the test's X
// display, heard through the disk audio driver, ended by real key presses
// and a window close request.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::stringstream ss(text);
    for (std::string l; std::getline(ss, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

std::string Shell(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

std::string MakeTempDir()
{
    char tmpl[] = "/tmp/veltric-demo-XXXXXX";
    return mkdtemp(tmpl) ? tmpl : "";
}

void Copy(const std::string& from, const std::string& to)
{
    std::ofstream(to, std::ios::binary) << Slurp(from);
    chmod(to.c_str(), 0755);
}

int PeakOf(const std::string& raw)
{
    int peak = 0;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        int v = static_cast<int16_t>(static_cast<uint8_t>(raw[i]) | (static_cast<uint8_t>(raw[i + 1]) << 8));
        peak = std::max(peak, std::abs(v));
    }
    return peak;
}

// An RGB picture read from a binary PPM.
struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* At(int x, int y) const { return &rgb[3 * (size_t(y) * w + x)]; }
};

Picture ReadPpm(const std::string& path)
{
    Picture p;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> p.w >> p.h >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) return Picture{};
    p.rgb.resize(size_t(p.w) * p.h * 3);
    in.read(reinterpret_cast<char*>(p.rgb.data()), p.rgb.size());
    return p;
}

bool IsWhite(const unsigned char* c) { return c[0] == 255 && c[1] == 255 && c[2] == 255; }

// The pure white pixels of the w x h cell whose top left corner is (x, y),
// row by row, as '1' and '0'.
std::string CellMask(const Picture& p, int x, int y, int w, int h)
{
    std::string mask;
    for (int dy = 0; dy < h; ++dy)
        for (int dx = 0; dx < w; ++dx) mask += IsWhite(p.At(x + dx, y + dy)) ? '1' : '0';
    return mask;
}

// The glyphs of a font picture: its 16 x 8 cells as masks of their white
// pixels, blank cells left out.
struct FontGlyphs {
    int cellW = 0, cellH = 0;
    std::set<std::string> masks;
};

FontGlyphs GlyphsOf(const Picture& font)
{
    FontGlyphs g;
    g.cellW = font.w / 16;
    g.cellH = font.h / 8;
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 16; ++col) {
            std::string m = CellMask(font, col * g.cellW, row * g.cellH, g.cellW, g.cellH);
            if (m.find('1') != std::string::npos) g.masks.insert(m);
        }
    return g;
}

// How many cells of one line of text, laid from the picture's left edge,
// show exactly a glyph of the font: the best over every row the line may
// start on. Text is drawn last, so nothing covers its white pixels; a
// cell of another font, or one shifted by a pixel, matches no glyph.
int CellsShowingGlyphs(const Picture& shot, const FontGlyphs& font, int* lineTop)
{
    int best = 0;
    *lineTop = -1;
    for (int y = 0; y + font.cellH <= shot.h; ++y) {
        int n = 0;
        for (int x = 0; x + font.cellW <= shot.w; x += font.cellW)
            n += font.masks.count(CellMask(shot, x, y, font.cellW, font.cellH)) != 0;
        if (n > best) {
            best = n;
            *lineTop = y;
        }
    }
    return best;
}

// How long the test waits for the demo to answer. A loaded machine may take
// seconds; every wait returns as soon as the answer is there.
constexpr int kAnswerSeconds = 30;

// One run of the demo as a child process. Its standard output is a
// terminal of the test's, which a second child (cat) copies into
// stdout.txt: a program writes to a terminal line by line, while to a file
// it writes only once a buffer of some kilobytes has filled, which at the
// emulator's frame rate takes many seconds. So a line is there to see as
// soon as the demo has printed it, however few frames it runs in a second.
// The copier is a process, not a thread: the test forks for every shell
// command, and under the 32-bit emulator a fork beside a running thread
// can leave the child hung before it starts the command.
class DemoRun {
public:
    DemoRun(const std::string& exe, const std::string& dir, const std::vector<std::string>& env = {})
        : m_dir(dir), m_out(dir + "/stdout.txt"), m_audio(dir + "/audio.raw")
    {
        int master = -1;
        int terminal = OpenTerminal(master);
        if (terminal < 0) {
            if (master >= 0) close(master);
            return; // never started: every wait fails
        }
        m_copier = fork();
        if (m_copier == 0) {
            int out = open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int null = open("/dev/null", O_WRONLY);
            if (out < 0 || null < 0 || dup2(master, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0 ||
                dup2(null, STDERR_FILENO) < 0)
                _exit(126);
            close(terminal);
            execl("/bin/cat", "cat", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(master);
        m_pid = fork();
        if (m_pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            setenv("SDL_AUDIODRIVER", "disk", 1);
            setenv("SDL_DISKAUDIOFILE", m_audio.c_str(), 1);
            setenv("SDL_DISKAUDIODELAY", "90", 1);
            for (const std::string& e : env) putenv(strdup(e.c_str()));
            if (dup2(terminal, STDOUT_FILENO) < 0 || !freopen((dir + "/stderr.txt").c_str(), "w", stderr))
                _exit(126);
            close(terminal);
            execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(terminal);
    }
    ~DemoRun()
    {
        if (m_pid > 0 && !m_done) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        FinishOutput();
    }

    // Waits (bounded) until the output holds the line.
    bool WaitForLine(const std::string& line, int seconds = kAnswerSeconds)
    {
        return WaitFor([&] {
            for (const std::string& l : Lines(Slurp(m_out)))
                if (l == line) return true;
            return false;
        }, seconds);
    }

    // Waits until the demo has printed `frames` position lines (one a frame)
    // after start-up. A demo that runs slowly (under the emulator beside busy
    // loops it may draw three frames a second) is waited for as long as it
    // keeps drawing; the wait fails once no new frame has come for `seconds`.
    bool WaitForFrames(int frames, int seconds = kAnswerSeconds)
    {
        const size_t want = static_cast<size_t>(frames);
        size_t seen = 0, now = 0;
        for (;;) {
            if (!WaitFor([&] { return (now = FramesPrinted()) >= want || now > seen; }, seconds)) return false;
            if (now >= want) return true;
            seen = now;
        }
    }

    // Waits (bounded) until the audio driver has written something.
    bool WaitForAudio(int seconds = kAnswerSeconds)
    {
        return WaitFor([&] { return !Slurp(m_audio).empty(); }, seconds);
    }

    std::string Window()
    {
        if (m_window.empty())
            m_window = Shell("timeout " + std::to_string(kAnswerSeconds) +
                             " xdotool search --sync --name '^DriftingRaysIV$' | head -1");
        return m_window;
    }

    // The demo's 800 x 600 picture. It runs full screen, which on a larger
    // screen shows the picture centred on it; a GL window reads back black on
    // its own under a server without compositing, so the screen is read.
    void Screenshot(const std::string& path)
    {
        std::string geo = Shell("xwininfo -root | awk '/Width/{w=$2} /Height/{h=$2} "
                                "END{print \"800x600+\" int((w-800)/2) \"+\" int((h-600)/2)}'");
        Shell("import -window root -crop " + geo + " -depth 8 " + path);
    }

    // Holds the keys until the demo has ended (or the time is up), so that a
    // busy machine cannot let a short press pass between two of its frames.
    void HoldKeys(const std::string& keys)
    {
        std::string w = Window();
        ASSERT_FALSE(w.empty());
        Shell("xdotool windowfocus --sync " + w + " keydown " + keys);
        Exited(kAnswerSeconds);
        Shell("xdotool keyup " + keys);
    }

    // True once the child has ended (waiting at most `seconds`); m_status is
    // then its exit status, or -1 when a signal ended it.
    bool Exited(int seconds)
    {
        if (m_pid <= 0) return false; // it never started
        for (int i = 0; !m_done && i <= seconds * 20; ++i) {
            int st = 0;
            if (waitpid(m_pid, &st, WNOHANG) == m_pid) {
                m_done = true;
                m_status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
                FinishOutput();
                break;
            }
            if (seconds > 0) usleep(50000);
        }
        return m_done;
    }

    std::vector<std::string> Output() const { return Lines(Slurp(m_out)); }

    // The lines printed after start-up: one per frame.
    size_t FramesPrinted() const
    {
        std::vector<std::string> out = Output();
        size_t i = 0;
        while (i < out.size() && out[i].find("Init Finalized") == std::string::npos) ++i;
        return i < out.size() ? out.size() - i - 1 : 0;
    }
    // What the run printed, for failure messages.
    std::string Dump() const
    {
        return "status " + std::to_string(m_status) + "\n--- stdout:\n" + Slurp(m_out) + "\n--- stderr:\n" +
               Slurp(m_dir + "/stderr.txt");
    }
    std::string Audio() const { return Slurp(m_audio); }
    int status() const { return m_status; }

private:
    template <class F> bool WaitFor(F cond, int seconds)
    {
        for (int i = 0; i < seconds * 20; ++i) {
            if (cond()) return true;
            if (Exited(0)) return cond();
            usleep(50000);
        }
        return cond();
    }

    // A new terminal in raw mode (no "\r" added to line ends): its slave
    // end for the demo's output, its master end in `master` for the copier.
    static int OpenTerminal(int& master)
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
        int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        termios mode;
        if (slave >= 0 && tcgetattr(slave, &mode) == 0) {
            cfmakeraw(&mode);
            if (tcsetattr(slave, TCSANOW, &mode) == 0) return slave;
        }
        if (slave >= 0) close(slave);
        return -1;
    }

    // Once the demo has ended: the copier ends as soon as it has read what
    // the demo wrote (a read then fails, as the terminal has no writer
    // left), so everything is in the file. One that still runs after that
    // (a process the demo started keeps the terminal) is ended.
    void FinishOutput()
    {
        if (m_copier <= 0) return;
        bool ended = false;
        for (int i = 0; !ended && i <= kAnswerSeconds * 20; ++i)
            if (!(ended = waitpid(m_copier, nullptr, WNOHANG) == m_copier)) usleep(50000);
        if (!ended) {
            kill(m_copier, SIGKILL);
            waitpid(m_copier, nullptr, 0);
        }
        m_copier = -1;
    }

    std::string m_dir, m_out, m_audio, m_window;
    pid_t m_copier = -1;
    pid_t m_pid = -1;
    bool m_done = false;
    int m_status = -1;
};

void ExpectCleanEnd(DemoRun& run)
{
    ASSERT_TRUE(run.Exited(kAnswerSeconds)) << "the demo did not end";
    EXPECT_EQ(run.status(), 0);
    std::vector<std::string> out = run.Output();
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[out.size() - 3], "shutdown");
    EXPECT_EQ(out[out.size() - 2], "OK, safe to quit");
    EXPECT_EQ(out[out.size() - 1], "exit");
}

// Lets the demo run two seconds and at least 101 frames, takes its picture,
// then holds Escape and expects the clean end.
void RunForAWhile(DemoRun& run, const std::string& shot)
{
    ASSERT_TRUE(run.WaitForLine("Init Finalized")) << run.Dump();
    sleep(2);
    ASSERT_TRUE(run.WaitForFrames(101)) << run.Dump();
    run.Screenshot(shot);
    run.HoldKeys("Escape");
    ExpectCleanEnd(run);
}

class DemoProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
    }
    void TearDown() override { Shell("rm -rf " + m_dir); }

    // A copy of the demo in a folder of its own, with the given media files.
    std::string Install(const std::vector<std::string>& media)
    {
        std::string exe = m_dir + "/DriftingRaysIV-linux";
        Copy(DEMO_EXE, exe);
        for (const std::string& m : media) Copy(std::string(MEDIA_DIR) + "/" + m, m_dir + "/" + m);
        return exe;
    }

    std::string m_dir;
};

TEST_F(DemoProgram, RunsItsFramesAndEndsOnEscape)
{
    DemoRun run(Install({"smalfont.png", "Dusk_Run.mp3"}), m_dir);
    std::string shot = m_dir + "/shot.ppm";
    RunForAWhile(run, shot);
    ASSERT_FALSE(HasFatalFailure());

    // Start-up lines in order, then one position line per frame.
    std::vector<std::string> out = run.Output();
    std::vector<std::string> order = {"Init GFX", "Set Vidmode", "Extensions", "FBO", "Viewport", "GFX seem OK",
                                      "Init Input", "Init Sound", "Init Network", "Init Window",
                                      "Init Finalized"};
    size_t at = 0;
    // Start-up clears the terminal first: the first line may begin with the
    // terminal's clear sequence.
    auto is = [](const std::string& line, const std::string& want) {
        return line.size() >= want.size() && line.compare(line.size() - want.size(), want.size(), want) == 0 &&
               (line.size() == want.size() || line[line.size() - want.size() - 1] != ' ');
    };
    for (const std::string& want : order) {
        while (at < out.size() && !is(out[at], want)) ++at;
        ASSERT_LT(at, out.size()) << "missing or out of order: " << want;
    }
    ASSERT_LT(at + 10, out.size());
    EXPECT_EQ(out[at + 1], "300") << "the first frame draws the text at 300";
    int frames = 0;
    for (size_t i = at + 1; i + 3 < out.size(); ++i) {
        char* end = nullptr;
        double y = std::strtod(out[i].c_str(), &end);
        ASSERT_TRUE(end && *end == '\0' && !out[i].empty()) << "not a position line: " << out[i];
        EXPECT_GE(y, 48);
        EXPECT_LE(y, 552);
        ++frames;
    }
    EXPECT_GT(frames, 100) << "frame after frame, each with its position line";

    EXPECT_GT(PeakOf(run.Audio()), 1000) << "the music was heard";

    Picture p = ReadPpm(shot);
    ASSERT_EQ(p.w, 800);
    ASSERT_EQ(p.h, 600);
    // The corners: top left grey, top right red only, bottom left red and
    // blue alike, bottom right red and green alike.
    auto near = [](int a, int b) { return std::abs(a - b) <= 6; };
    const unsigned char* tl = p.At(1, 1);
    const unsigned char* tr = p.At(798, 1);
    const unsigned char* bl = p.At(1, 598);
    const unsigned char* br = p.At(798, 598);
    EXPECT_TRUE(near(tl[0], tl[1]) && near(tl[1], tl[2])) << int(tl[0]) << "," << int(tl[1]) << "," << int(tl[2]);
    EXPECT_TRUE(tr[1] <= 6 && tr[2] <= 6) << int(tr[0]) << "," << int(tr[1]) << "," << int(tr[2]);
    EXPECT_TRUE(near(bl[0], bl[2]) && bl[1] <= 6) << int(bl[0]) << "," << int(bl[1]) << "," << int(bl[2]);
    EXPECT_TRUE(near(br[0], br[1]) && br[2] <= 6) << int(br[0]) << "," << int(br[1]) << "," << int(br[2]);

    // Lines: one-pixel strokes whose colour stands out from both neighbours
    // across them; distinct stroke colours count the lines seen.
    std::set<int> colours;
    std::vector<int> textRows(p.h, 0);
    for (int y = 1; y < p.h - 1; ++y) {
        for (int x = 1; x < p.w - 1; ++x) {
            const unsigned char* c = p.At(x, y);
            if (c[0] == 255 && c[1] == 255 && c[2] == 255) ++textRows[y];
            auto differs = [&](const unsigned char* a, const unsigned char* b) {
                int d1 = 0, d2 = 0;
                for (int k = 0; k < 3; ++k) {
                    d1 += std::abs(c[k] - a[k]);
                    d2 += std::abs(c[k] - b[k]);
                }
                return d1 > 60 && d2 > 60;
            };
            if (differs(p.At(x - 1, y), p.At(x + 1, y)) || differs(p.At(x, y - 1), p.At(x, y + 1)))
                colours.insert((c[0] >> 4) << 8 | (c[1] >> 4) << 4 | (c[2] >> 4));
        }
    }
    EXPECT_GE(colours.size(), 20u) << "line colours seen";
    int bestRow = 0;
    for (int y = 0; y < p.h; ++y) bestRow = std::max(bestRow, textRows[y]);
    EXPECT_GT(bestRow, 100) << "a row of white text";
}

TEST_F(DemoProgram, WindowCloseEndsIt)
{
    DemoRun run(Install({"smalfont.png"}), m_dir);
    ASSERT_TRUE(run.WaitForLine("Init Finalized")) << run.Dump();
    std::string w = run.Window();
    ASSERT_FALSE(w.empty());
    Shell(std::string(X_CLOSE_WINDOW) + " " + w);
    ExpectCleanEnd(run);
}

TEST_F(DemoProgram, LeftAltF4EndsIt)
{
    DemoRun run(Install({"smalfont.png"}), m_dir);
    ASSERT_TRUE(run.WaitForLine("Init Finalized")) << run.Dump();
    run.HoldKeys("Alt_L F4");
    ExpectCleanEnd(run);
}

TEST_F(DemoProgram, WithoutItsMusicItRunsSilent)
{
    DemoRun run(Install({"smalfont.png"}), m_dir);
    ASSERT_TRUE(run.WaitForLine("Init Finalized")) << run.Dump();
    // The first frame comes after the demo has started its music.
    ASSERT_TRUE(run.WaitForFrames(1)) << run.Dump();
    ASSERT_TRUE(run.WaitForAudio()) << run.Dump();
    run.HoldKeys("Escape");
    ExpectCleanEnd(run);
    for (const std::string& l : run.Output()) EXPECT_NE(l, "PLAYMUSIC:");
    std::string audio = run.Audio();
    EXPECT_GT(audio.size(), 0u);
    EXPECT_EQ(PeakOf(audio), 0);
}

TEST_F(DemoProgram, BrokenMusicIsReportedAndItRunsSilent)
{
    std::string exe = Install({"smalfont.png"});
    std::ofstream(m_dir + "/Dusk_Run.mp3") << "not music at all\n";
    DemoRun run(exe, m_dir);
    ASSERT_TRUE(run.WaitForLine("Init Finalized")) << run.Dump();
    ASSERT_TRUE(run.WaitForFrames(1)) << run.Dump();
    ASSERT_TRUE(run.WaitForAudio()) << run.Dump();
    run.HoldKeys("Escape");
    ExpectCleanEnd(run);
    std::vector<std::string> out = run.Output();
    size_t i = 0;
    while (i < out.size() && out[i] != "PLAYMUSIC:") ++i;
    ASSERT_LT(i + 1, out.size()) << "PLAYMUSIC: and the mixer's error\n" << run.Dump();
    EXPECT_FALSE(out[i + 1].empty());
    EXPECT_EQ(PeakOf(run.Audio()), 0);
}

TEST_F(DemoProgram, PackedCopyFindsItsMediaInItsOwnFile)
{
    std::string exe = m_dir + "/DriftingRaysIV-linux";
    Copy(PACKED_EXE, exe);
    std::string tmp = m_dir + "/tmp";
    mkdir(tmp.c_str(), 0700);
    DemoRun run(exe, m_dir, {"TMPDIR=" + tmp});
    std::string shot = m_dir + "/shot.ppm";
    RunForAWhile(run, shot);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_GT(PeakOf(run.Audio()), 1000) << "the music came out of the archive";

    // The text is drawn with the glyphs of the packed font file: most cells
    // of its line hold one of them exactly, whichever characters the
    // rotating text shows at the moment of the shot. The built-in font's
    // 8-pixel cells match none.
    Picture p = ReadPpm(shot);
    ASSERT_EQ(p.w, 800) << Shell("ls -la " + m_dir + "; head -c 20 " + shot);
    std::string fontPpm = m_dir + "/font.ppm";
    Shell("convert " + std::string(MEDIA_DIR) + "/smalfont.png -depth 8 " + fontPpm);
    FontGlyphs font = GlyphsOf(ReadPpm(fontPpm));
    ASSERT_EQ(font.cellW, 16);
    ASSERT_EQ(font.cellH, 16);
    ASSERT_GE(font.masks.size(), 90u) << "the glyphs of the font file";
    int lineTop = -1;
    int cells = CellsShowingGlyphs(p, font, &lineTop);
    // The line holds 50 cells, of which the scroll text leaves at most 14
    // blank.
    EXPECT_GE(cells, 30) << "cells showing a glyph of the packed font (best line at y " << lineTop << ")";

    DIR* d = opendir(tmp.c_str());
    ASSERT_NE(d, nullptr);
    int left = 0;
    while (dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++left;
    closedir(d);
    EXPECT_EQ(left, 0) << "no temporary file or folder is left behind";
}

} // namespace
