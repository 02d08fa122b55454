// The start-up and shut-down of a real translated program, run as a child
// process: the order of the progress lines, the command line, the debug
// report of a fatal error, and the failed window start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"

using spine_test::FindLine;
using spine_test::Lines;
using spine_test::RunChild;

namespace {

const std::string kProbe = SPINE_PROBE_PATH;

std::string RealPath(const std::string& p)
{
    char* r = realpath(p.c_str(), nullptr);
    std::string s = r ? r : p;
    std::free(r);
    return s;
}

std::string DirectoryOf(const std::string& p) { return p.substr(0, p.rfind('/')); }

// No sound card in the test machines: the mixer writes into nothing.
const std::vector<std::string> kQuietAudio = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null",
                                              "SDL_DISKAUDIODELAY=1"};

std::vector<std::string> Env(std::vector<std::string> extra)
{
    std::vector<std::string> env = kQuietAudio;
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// A run that needs the display. When the machine runs many X servers at
// once, a connection can be refused for a moment; that is retried, since
// it says nothing about the program.
spine_test::ChildResult RunWithDisplay(const std::vector<std::string>& args)
{
    spine_test::ChildResult r;
    for (int attempt = 0; attempt < 3; ++attempt) {
        r = RunChild(kProbe, args, Env({}));
        if (r.err.find("Couldn't open X11 display") == std::string::npos) break;
        usleep(200000);
    }
    return r;
}

// Each expected line appears, in this order.
void ExpectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected,
                   const std::string& all)
{
    int at = 0;
    for (const std::string& e : expected) {
        int found = FindLine(lines, e, at);
        ASSERT_GE(found, 0) << "missing \"" << e << "\" after line " << at << " in:\n" << all;
        at = found + 1;
    }
}

int Count(const std::vector<std::string>& lines, const std::string& line)
{
    int n = 0;
    for (const std::string& l : lines) n += l == line;
    return n;
}

TEST(StartupProgram, StartsRunsAndEndsInOrder)
{
    auto r = RunWithDisplay({"alpha", "b c"});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 0) << r.err;
    auto lines = Lines(r.out);
    const std::string exe = RealPath(kProbe);
    const std::string dir = DirectoryOf(exe);
    ExpectInOrder(lines,
                  {"Init GFX", "Init Input", "Init Sound", "Init Network", "Init Window",
                   "exepath via /proc/ = " + exe, "chdir(\"" + dir + "\") = 1", "Init Finalized",
                   // One blank after every argument; a blank inside one is not quoted.
                   "main: cmdline=[" + kProbe + " alpha b c ]", "main: cwd=[" + dir + "]",
                   "shutdown", "OK, safe to quit", "exit"},
                  r.out);
    // The exit handler runs after the program's own end and repeats nothing.
    EXPECT_EQ(Count(lines, "shutdown"), 1) << r.out;
    EXPECT_EQ(Count(lines, "exit"), 1) << r.out;
    EXPECT_EQ(FindLine(lines, "-End On Line"), -1) << "no report without __DG_DEBUG";
}

TEST(StartupProgram, CommandLineWithoutArgumentsIsThePathAndOneBlank)
{
    auto r = RunWithDisplay({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GE(FindLine(Lines(r.out), "main: cmdline=[" + kProbe + " ]"), 0) << r.out;
}

TEST(StartupProgram, ADeeplyInstalledProgramChangesIntoItsOwnFolder)
{
    // Started through a launcher, so that the variable "_" names the
    // launcher and not the program: only the program's own link leads home.
    char tmpl[] = "/tmp/deep-install-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string root = tmpl;
    for (std::size_t depth : {1500u, 3000u}) {
        SCOPED_TRACE(depth);
        std::string dir = root + "/" + std::to_string(depth);
        while (dir.size() < depth) dir += "/" + std::string(150, 'i');
        ASSERT_EQ(std::system(("mkdir -p '" + dir + "' && cp '" + kProbe + "' '" + dir + "/game'").c_str()), 0);
        const std::string exe = dir + "/game";
        spine_test::ChildResult r;
        for (int attempt = 0; attempt < 3; ++attempt) {
            r = RunChild("/usr/bin/env", {exe}, Env({"_=/usr/bin/env"}));
            if (r.err.find("Couldn't open X11 display") == std::string::npos) break;
            usleep(200000);
        }
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, 0) << r.err;
        ExpectInOrder(Lines(r.out),
                      {"exepath via /proc/ = " + exe, "chdir(\"" + dir + "\") = 1", "Init Finalized",
                       "main: cwd=[" + dir + "]"},
                      r.out);
    }
    ASSERT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
}

struct DebugReportCase {
    const char* mode;
    std::vector<std::string> report; // the four numbers
};

class StartupDebugReport : public ::testing::TestWithParam<DebugReportCase> {};

TEST_P(StartupDebugReport, PrintsTheErrorRecordThenShutsDown)
{
    const DebugReportCase& c = GetParam();
    auto r = RunWithDisplay({c.mode});
    EXPECT_EQ(r.status, 0) << "a fatal error still ends with status 0\n" << r.err;
    auto lines = Lines(r.out);
    std::vector<std::string> expected = {"Init Finalized", "-End On Line"};
    expected.insert(expected.end(), c.report.begin(), c.report.end());
    expected.insert(expected.end(), {"shutdown", "OK, safe to quit", "exit"});
    ExpectInOrder(lines, expected, r.out);
    int report = FindLine(lines, "-End On Line");
    ASSERT_GE(report, 0);
    for (std::size_t i = 0; i < c.report.size(); ++i)
        EXPECT_EQ(lines[report + 1 + i], c.report[i]) << r.out;
    EXPECT_EQ(Count(lines, "-End On Line"), 1) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Modes, StartupDebugReport,
                         ::testing::Values(
                             // error 9 recorded on line 12 of file 3: the error line less one
                             DebugReportCase{"fatal", {"9", "11", "12", "3"}},
                             // END records error 0; no line was ever set
                             DebugReportCase{"end", {"0", "-1", "0", "0"}}));

TEST(StartupProgram, NoVideoDeviceEndsWithStatusOneBeforeTheMainRoutine)
{
    auto r = RunChild(kProbe, {}, Env({"SDL_VIDEODRIVER=bogus"}));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Couldn't initialize SDL: "), std::string::npos) << r.err;
    auto lines = Lines(r.out);
    EXPECT_GE(FindLine(lines, "Init GFX"), 0) << r.out;
    EXPECT_EQ(FindLine(lines, "Init Input"), -1) << r.out;
    EXPECT_EQ(r.out.find("main:"), std::string::npos) << r.out;
}

TEST(StartupProgram, NoGLModeEndsWithStatusOneNotTurnedIntoZeroByTheExitHandler)
{
    auto r = RunChild(kProbe, {}, Env({"SDL_VIDEODRIVER=dummy"}));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 1);
    auto lines = Lines(r.out);
    ExpectInOrder(lines, {"Init GFX", "Set Vidmode", "INIT: Unable to create 24 BPP -> trying 16."},
                  r.out);
    EXPECT_NE(r.err.find("Couldn't set GL mode: "), std::string::npos) << r.err;
    EXPECT_EQ(FindLine(lines, "Init Input"), -1) << r.out;
    EXPECT_EQ(r.out.find("main:"), std::string::npos) << r.out;
    // The exit handler still releases what start-up made, once.
    EXPECT_EQ(Count(lines, "shutdown"), 1) << r.out;
}

} // namespace

namespace {

// The "Loading..." frame that start-up shows, read back from the window by
// the probe after start-up: the built-in font's 8 x 8 cells, ten of them, centred in the
// 640 x 480 window, on a cleared (black) screen.
TEST(StartupProgram, LoadingFrameShowsTheTextCentred)
{
    auto r = RunWithDisplay({"pixels"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = Lines(r.out);
    ASSERT_GE(FindLine(lines, "screen 640 480"), 0) << r.out;
    int lit = -1, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const std::string& l : lines)
        if (std::sscanf(l.c_str(), "lit %d box %d %d %d %d", &lit, &x0, &y0, &x1, &y1) == 5) break;
    ASSERT_GE(lit, 0) << r.out;
    ASSERT_GT(lit, 0) << "the shown frame holds no text";
    // Text cells: x from (640 - 10 * 8) / 2 = 280 to 360, y from (480 - 8) / 2 = 236 to 244.
    EXPECT_GE(x0, 280);
    EXPECT_LT(x1, 360);
    EXPECT_GE(y0, 236);
    EXPECT_LT(y1, 244);
    EXPECT_NEAR((x0 + x1 + 1) / 2.0, 320.0, 8.0);
}

} // namespace
