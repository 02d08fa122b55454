// System commands: subs by name, shared-library binding, platform
// information, shell commands and the replacement of the process.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "runtime/core.h"
#include "runtime/ini.h"
#include "runtime/line_files.h"
#include "runtime/system_cmds.h"

namespace {

int g_calls = 0;
void CountingSub() { ++g_calls; }
void OtherSub() {}

} // namespace

// The table a translated program would carry.
const __VELTRIC__::__SubCall __VELTRIC__::__g_pSubCalls[] = {
    {CountingSub, "CountMe"},
    {OtherSub, "Other"},
    {nullptr, nullptr},
};

namespace {

using namespace __VELTRIC__;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

std::string TempDir()
{
    char templ[] = "/tmp/veltric-sys-XXXXXX";
    const char* d = mkdtemp(templ);
    return d ? d : "/tmp";
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(SubCalls, CallsTheSubOfExactlyThatName)
{
    g_calls = 0;
    EXPECT_EQ(CALLBYNAME(DGStr("CountMe")), 1.0);
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(GETSUBADDRESS(DGStr("Other")), reinterpret_cast<std::intptr_t>(&OtherSub));
    // A function pointer of a 64-bit build keeps all its bits.
    EXPECT_EQ(reinterpret_cast<void (*)()>(GETSUBADDRESS(DGStr("CountMe"))), &CountingSub);
}

TEST(SubCalls, UnknownOrDifferentlyCasedNameFails)
{
    for (const char* name : {"anything", "countme", ""}) {
        g_calls = 0;
        CaptureStdout();
        EXPECT_EQ(CALLBYNAME(DGStr(name)), 0.0) << name;
        EXPECT_EQ(GetCapturedStdout(), std::string("CALLBYNAME \"") + name + "\" *** failed ***\n\n");
        EXPECT_EQ(g_calls, 0);
        EXPECT_EQ(GETSUBADDRESS(DGStr(name)), 0) << name;
    }
}

TEST(DllCall, MissingLibraryGivesNullAndALine)
{
    void* fn = reinterpret_cast<void*>(1);
    CaptureStdout();
    DLLCALL(DGStr("nosuch.so"), DGStr("cos"), &fn);
    EXPECT_EQ(GetCapturedStdout(), "DECLARE module not found: nosuch.so\n\n");
    EXPECT_EQ(fn, nullptr);
}

TEST(DllCall, BindsACallableFunctionAndNullForAMissingOne)
{
    void* fn = nullptr;
    DLLCALL(DGStr("libm.so.6"), DGStr("cos"), &fn);
    ASSERT_NE(fn, nullptr);
    EXPECT_DOUBLE_EQ(reinterpret_cast<double (*)(double)>(fn)(0.0), 1.0);

    CaptureStdout();
    DLLCALL(DGStr("libm.so.6"), DGStr("no_such_function_here"), &fn);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(fn, nullptr);
}

TEST(DllCall, OpensMixedCaseNamesAsGivenAndCachesByLowerCase)
{
    // A file name with capitals must be opened as written.
    std::string dir = TempDir();
    std::string link = dir + "/LibMath.so";
    // The C maths library this process itself has loaded, whatever folder
    // its build (x86_64 or x86) takes it from.
    Dl_info libm{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(static_cast<double (*)(double)>(&::cos)), &libm), 0);
    std::filesystem::create_symlink(libm.dli_fname, link);
    void* first = nullptr;
    DLLCALL(DGStr(link.c_str()), DGStr("sin"), &first);
    ASSERT_NE(first, nullptr);
    std::filesystem::remove(link);

    // The same name in other letter case is served from the cache: the file
    // is gone, so a second open could not succeed.
    std::string other = dir + "/libmath.SO";
    void* second = nullptr;
    CaptureStdout();
    DLLCALL(DGStr(other.c_str()), DGStr("sin"), &second);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(second, first);
    std::filesystem::remove_all(dir);
}

struct InfoCase {
    const char* key;
    const char* answer;
};

TEST(PlatformInfo, FixedAnswers)
{
    const InfoCase cases[] = {
        {"", "LINUX"},        {"device", "DESKTOP"}, {"DeViCe", "DESKTOP"}, {"TIMES", "NO_DATA"},
        {"unknown", "NO_DATA"}, {"IDX", "NO_DATA"},  {"GLEXT", "NO_DATA"},
    };
    for (const InfoCase& c : cases)
        EXPECT_STREQ(PLATFORMINFO_Str(DGStr(c.key)).c_str(), c.answer) << "key " << c.key;
}

TEST(PlatformInfo, TimeIsLocalTimeWithPaddedFields)
{
    std::string t = PLATFORMINFO_Str(DGStr("Time")).c_str();
    EXPECT_TRUE(std::regex_match(t, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << t;
}

TEST(PlatformInfo, GlExtensionIsLookedUpInUpperCase)
{
    // Without a window there is no GL: the answer is "0", never a crash.
    CaptureStdout();
    DGStr a = PLATFORMINFO_Str(DGStr("glext:glActiveTextureARB"));
    std::string out = GetCapturedStdout();
    EXPECT_STREQ(a.c_str(), "0");
    char line[128];
    std::snprintf(line, sizeof line, "ext: %-35s   [%4s]\n", "GLACTIVETEXTUREARB", "FAIL");
    EXPECT_EQ(out, line);
}

TEST(PlatformInfo, BatteryAndIdFromSettablePaths)
{
    std::string dir = TempDir();
    auto battery = [&](const std::string& content) {
        std::string p = dir + "/apm";
        std::ofstream(p, std::ios::binary) << content;
        SetPlatformInfoPathsForTesting(nullptr, p.c_str());
        return std::string(PLATFORMINFO_Str(DGStr("battery")).c_str());
    };
    EXPECT_EQ(battery("1.16ac 1.2 0x03 0x01 0x00 0x01 87% 25 min\n"), "87");
    EXPECT_EQ(battery("1.16ac 1.2 0x03 0x01 0x00 0x01 -1% -1 ?\n"), "-1");
    EXPECT_EQ(battery("1.16ac 1.2 0x03\n"), "100");
    EXPECT_EQ(battery(""), "100");
    // Fields far longer than any buffer are read in bounded pieces.
    EXPECT_EQ(battery(std::string(5000, 'x') + " 1 2 3 4 5 6% 7 8\n"), "100");
    SetPlatformInfoPathsForTesting(nullptr, (dir + "/missing").c_str());
    EXPECT_STREQ(PLATFORMINFO_Str(DGStr("BATTERY")).c_str(), "100");

    // A disk that cannot be opened, or that is not a disk, has no identity.
    for (std::string disk : {dir + "/missing", std::string("/dev/null"), dir + "/apm"}) {
        SetPlatformInfoPathsForTesting(disk.c_str(), nullptr);
        EXPECT_STREQ(PLATFORMINFO_Str(DGStr("id")).c_str(), "FA17ED") << disk;
    }
    SetPlatformInfoPathsForTesting(nullptr, nullptr);
    std::filesystem::remove_all(dir);
}

TEST(ShellCmd, ReportsTheRawStatusWord)
{
    double r = -1;
    EXPECT_EQ(SHELLCMD(DGStr("exit 3"), 1, 0, r), 1.0);
    EXPECT_EQ(r, 768.0);
    EXPECT_EQ(SHELLCMD(DGStr("true"), 1, 0, r), 1.0);
    EXPECT_EQ(r, 0.0);
}

TEST(ShellCmd, WithoutWaitingRunsInTheBackground)
{
    std::string dir = TempDir();
    std::string go = dir + "/go";
    std::string mark = dir + "/done";
    double r = -1;
    // " &" is appended, so the whole subshell goes to the background. The
    // command ends only once the test has let it go (or after 30 s): a
    // SHELLCMD that waited would return with the mark already there.
    SHELLCMD(DGStr(("(for i in $(seq 600); do [ -e " + go + " ] && break; sleep 0.05; done; touch " +
                    mark + ")").c_str()),
             0, 0, r);
    EXPECT_EQ(r, 0.0);
    EXPECT_FALSE(std::filesystem::exists(mark)) << "SHELLCMD waited for the command";
    std::ofstream(go).put('\n');
    for (int i = 0; i < 600 && !std::filesystem::exists(mark); ++i) usleep(50000);
    EXPECT_TRUE(std::filesystem::exists(mark));
    std::filesystem::remove_all(dir);
}

// Runs SHELLEND(command) in a child whose standard output goes to a file.
struct EndResult {
    std::string out;
    int status;
};
EndResult RunShellEnd(const std::string& command, void (*before)(const std::string& dir) = nullptr,
                      std::string* keepDir = nullptr)
{
    std::string dir = TempDir();
    std::string outFile = dir + "/out";
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        std::FILE* f = std::freopen(outFile.c_str(), "w", stdout);
        if (!f) _exit(99);
        std::printf("before\n"); // buffered output must not be lost
        if (before) before(dir);
        SHELLEND(DGStr(command.c_str()));
    }
    int st = 0;
    waitpid(pid, &st, 0);
    EndResult r{ReadAll(outFile), WIFEXITED(st) ? WEXITSTATUS(st) : -1};
    if (keepDir)
        *keepDir = dir;
    else
        std::filesystem::remove_all(dir);
    return r;
}

TEST(ShellEnd, ReplacesTheProcessAfterFlushingOutput)
{
    EndResult r = RunShellEnd("/bin/false");
    EXPECT_EQ(r.status, 1); // the status of the program that replaced us
    EXPECT_NE(r.out.find("before\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("end with: /bin/false\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("failed to call"), std::string::npos) << r.out;
}

TEST(ShellEnd, WritesBackTheIniFileAndTheLineFileFirst)
{
    std::string dir;
    EndResult r = RunShellEnd(
        "/bin/true",
        [](const std::string& d) {
            INIOPEN(DGStr((d + "/game.ini").c_str()));
            INIPUT(DGStr("scores"), DGStr("best"), DGStr("4711"));
            PUTFILE(DGStr((d + "/lines.txt").c_str()), 2, DGStr("third"));
        },
        &dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("end with: /bin/true\n"), std::string::npos) << r.out;
    EXPECT_NE(ReadAll(dir + "/game.ini").find("best=4711"), std::string::npos);
    EXPECT_EQ(ReadAll(dir + "/lines.txt"), "\r\n\r\nthird\r\n");
    std::filesystem::remove_all(dir);
}

TEST(ShellEnd, AProgramThatCannotStartEndsWithStatusZero)
{
    EndResult r = RunShellEnd("/nonexistent");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("end with: /nonexistent\nfailed to call: /nonexistent\n"), std::string::npos)
        << r.out;
}

TEST(SmallCommands, DebugCommandLineWindowAndMovies)
{
    CaptureStdout();
    DEBUG(DGStr("abc"));
    DEBUG(DGStr(""));
    PLAYMOVIE(DGStr("a.avi"));
    LOOPMOVIE(DGStr("a.avi"));
    double v = PlayVideo(DGStr("a.avi"), 1);
    d_printf("%d", 1);
    __AllocConsole();
    __PauseAndDebug(nullptr);
    const char* movie = "PLAYMOVIE + LOOPMOVIE only on Win32 so far...\n";
    EXPECT_EQ(GetCapturedStdout(), std::string("abc") + movie + movie + movie);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(VELTRIC_HWND(), 0);

    DGStr saved = __g_cmdline;
    __g_cmdline = "prog -x ";
    DGStr copy = GETCOMMANDLINE_Str();
    __g_cmdline = saved;
    EXPECT_STREQ(copy.c_str(), "prog -x ");
}

} // namespace
