// Commands that rewrite a whole file: a write that fails part-way (a full
// disc, here a file-size limit) keeps the old file byte for byte and leaves
// no temporary file; a directory, FIFO or socket of that name is never
// replaced; a name that differs only in case replaces the file under its own
// letter case.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine3d/mesh_object.h"
#include "media/image.h"
#include "runtime/file_cmds.h"
#include "runtime/ini.h"
#include "runtime/line_files.h"
#include "tests/runtime/files_fixture.h"

namespace {

using namespace __VELTRIC__;
using veltric_test::FilesTest;
using veltric_test::Printed;

// What a child run under a file-size limit printed.
struct LimitedRun {
    std::string out;
    bool exited = false;
};

// Runs code in a forked child whose files may not grow beyond limit bytes.
// SIGXFSZ is ignored there, so a write past the limit fails as it would on a
// full disc instead of ending the process.
LimitedRun RunWithFileSizeLimit(rlim_t limit, const std::function<void()>& code)
{
    LimitedRun r;
    int fds[2];
    if (pipe(fds) != 0) return r;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        signal(SIGXFSZ, SIG_IGN);
        alarm(30); // a writer that blocks (on a FIFO, say) ends here
        rlimit lim{};
        getrlimit(RLIMIT_FSIZE, &lim);
        lim.rlim_cur = limit;
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(2);
        code();
        std::fflush(stdout);
        _exit(0); // no static clean-up: it would write the caches back again
    }
    close(fds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) r.out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

std::string Lines(const char* prefix, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) s += prefix + std::to_string(i) + "=0123456789abcdef\r\n";
    return s;
}

// Pixels that do not compress to nothing: the PNG is larger than the limit.
std::vector<unsigned char> NoisyPixels(int w, int h)
{
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 3);
    std::uint32_t x = 12345;
    for (unsigned char& b : px) {
        x = x * 1103515245u + 12345u;
        b = static_cast<unsigned char>(x >> 16);
    }
    return px;
}

// One whole-file writer as a program calls it, writing over `name`.
struct Writer {
    const char* what;
    std::function<bool(const std::string& name)> write; // true when it reported success
    std::string message;                               // printed on failure, with the name
};

std::vector<Writer> Writers()
{
    return {
        {"INI write-back",
         [](const std::string& name) {
             INIOPEN(DGStr(name.c_str()));
             for (int i = 0; i < 200; ++i)
                 INIPUT(DGStr("s"), DGStr(("k" + std::to_string(i)).c_str()), DGStr("changed-value-0123456"));
             INIOPEN(DGStr("other.ini")); // writes the first file back
             const bool ok = __g_Ini.changed == 0;
             __g_Ini.filename = "";
             return ok;
         },
         "can't write to file: "},
        {"line file write-back",
         [](const std::string& name) {
             for (int i = 0; i < 150; ++i) PUTFILE(DGStr(name.c_str()), i, DGStr("changed line 0123456789"));
             DGStr s;
             GETFILE(DGStr("other.txt"), 0, s); // another file: the first is written back
             return true;
         },
         "can't write to file: "},
        {"COPYFILE",
         [](const std::string& name) {
             // source.bin: 5,000 bytes the test has put in place
             COPYFILE(DGStr("source.bin"), DGStr(name.c_str()));
             return true;
         },
         "can't write to file: "},
        {"object save",
         [](const std::string& name) {
             MeshObject m;
             for (std::uint32_t i = 0; i < 1000; ++i) m.colours.Push(i * 2654435761u);
             return m.Save(name.c_str());
         },
         "can't write to file: "},
        {"BMP picture",
         [](const std::string& name) {
             const auto px = NoisyPixels(64, 64);
             return WritePictureFile((name + ".bmp").c_str(), px.data(), 64, 64, 64, 64, false, 0);
         },
         "can't write to file: "},
        {"PNG picture",
         [](const std::string& name) {
             const auto px = NoisyPixels(64, 64);
             return WritePictureFile((name + ".png").c_str(), px.data(), 64, 64, 64, 64, false, 0);
         },
         "can't write to file: "},
    };
}

// The picture writers choose the format by the name's end.
std::string Target(const Writer& w, const std::string& base)
{
    const std::string what = w.what;
    if (what == "BMP picture") return base + ".bmp";
    if (what == "PNG picture") return base + ".png";
    return base;
}

class WriteBack : public FilesTest {
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        Put("source.bin", std::string(5000, 's')); // what COPYFILE copies
    }
    // The names in the test's folder, apart from the temporary directory.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(m_root))
            if (e.path().filename() != "tmp") names.insert(e.path().filename().string());
        return names;
    }
};

TEST_F(WriteBack, AWriteThatFailsPartWayKeepsTheOldFile)
{
    for (const Writer& w : Writers()) {
        SCOPED_TRACE(w.what);
        const std::string name = Target(w, "big");
        // Old contents larger than the limit: only new bytes past it fail.
        const std::string old = "[s]\r\n" + Lines("k", 199);
        Put(name, old);
        const std::set<std::string> before = Names();
        const LimitedRun r = RunWithFileSizeLimit(1000, [&] { w.write("big"); });
        EXPECT_TRUE(r.exited) << r.out;
        EXPECT_EQ(Get(name), old) << "the old file is cut or replaced";
        EXPECT_NE(r.out.find(w.message + name + "\n"), std::string::npos) << r.out;
        // No temporary file stays; only what the writer itself opened is new.
        std::set<std::string> after = Names();
        after.erase("other.ini");
        after.erase("other.txt");
        EXPECT_EQ(after, before);
    }
}

TEST_F(WriteBack, WithoutTheLimitTheNewFileIsInPlace)
{
    for (const Writer& w : Writers()) {
        SCOPED_TRACE(w.what);
        const std::string name = Target(w, "big");
        Put(name, "old");
        const LimitedRun r = RunWithFileSizeLimit(RLIM_INFINITY, [&] {
            if (!w.write("big")) std::printf("writer failed\n");
        });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.out.find("writer failed"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("can't write"), std::string::npos) << r.out;
        EXPECT_GT(Get(name).size(), 1000u);
        for (auto& n : Names())
            EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
        std::filesystem::remove(name);
    }
}

TEST_F(WriteBack, ANameInAnotherCaseReplacesTheFileUnderItsOwnCase)
{
    for (const Writer& w : Writers()) {
        SCOPED_TRACE(w.what);
        const std::string own = Target(w, "Big");
        Put(own, "old");
        // The program names the file in capitals; the pictures keep their end.
        Printed([&] { w.write("BIG"); });
        EXPECT_GT(Get(own).size(), 1000u);
        EXPECT_FALSE(Exists(Target(w, "BIG")));
        std::filesystem::remove(own);
        __g_Ini.filename = "";
    }
}

TEST_F(WriteBack, DirectoriesFifosAndSocketsAreNeverReplaced)
{
    struct Special {
        const char* what;
        std::function<void(const std::string&)> make;
        std::function<bool(const struct stat&)> is;
    } specials[] = {
        {"directory", [](const std::string& p) { mkdir(p.c_str(), 0755); },
         [](const struct stat& st) { return S_ISDIR(st.st_mode); }},
        {"FIFO", [](const std::string& p) { mkfifo(p.c_str(), 0644); },
         [](const struct stat& st) { return S_ISFIFO(st.st_mode); }},
        {"socket",
         [](const std::string& p) {
             const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un a{};
             a.sun_family = AF_UNIX;
             std::snprintf(a.sun_path, sizeof a.sun_path, "%s", p.c_str());
             bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
             close(fd);
         },
         [](const struct stat& st) { return S_ISSOCK(st.st_mode); }},
    };
    for (const Special& sp : specials) {
        for (const Writer& w : Writers()) {
            SCOPED_TRACE(std::string(sp.what) + " / " + w.what);
            const std::string name = Target(w, "thing");
            sp.make(name);
            const std::set<std::string> before = Names();
            // A child, so that a writer that opened a FIFO would be seen
            // hanging rather than hang the suite.
            const LimitedRun r = RunWithFileSizeLimit(RLIM_INFINITY, [&] { w.write("thing"); });
            EXPECT_TRUE(r.exited);
            struct stat st;
            ASSERT_EQ(lstat(name.c_str(), &st), 0);
            EXPECT_TRUE(sp.is(st));
            EXPECT_NE(r.out.find(w.message + name + "\n"), std::string::npos) << r.out;
            std::set<std::string> after = Names();
            after.erase("other.ini");
            after.erase("other.txt");
                EXPECT_EQ(after, before);
            std::filesystem::remove_all(name);
            }
    }
}

} // namespace
