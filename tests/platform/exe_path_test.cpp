// Finding the program's own file: from the /proc link, read whole whatever
// its length, from the variable "_" when the link cannot be read, and "./"
// when nothing works.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/exe_path.h"

using namespace __VELTRIC__;

namespace {

class ExePath : public ::testing::Test {
public:
    void SetUp() override
    {
        char tmpl[] = "/tmp/exepath-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        const char* u = std::getenv("_");
        hadUnderscore_ = u != nullptr;
        if (u) underscore_ = u;
    }
    void TearDown() override
    {
        if (hadUnderscore_)
            setenv("_", underscore_.c_str(), 1);
        else
            unsetenv("_");
        std::string cmd = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }

    // Runs the lookup and returns the path; its printed lines go to out.
    std::string Find(const std::string& link, std::string* out = nullptr)
    {
        ::testing::internal::CaptureStdout();
        std::string found = GetExePathFromLink(link.c_str());
        std::fflush(stdout);
        std::string printed = ::testing::internal::GetCapturedStdout();
        if (out) *out = printed;
        return found;
    }

    std::string MakeFile(const std::string& path)
    {
        FILE* f = std::fopen(path.c_str(), "w");
        EXPECT_NE(f, nullptr) << path;
        if (f) std::fclose(f);
        return path;
    }

    // A directory chain below dir_ whose path is at least `length` bytes.
    std::string MakeDeepDir(std::size_t length)
    {
        std::string p = dir_;
        while (p.size() < length) {
            p += "/" + std::string(200, 'd');
            EXPECT_TRUE(mkdir(p.c_str(), 0700) == 0 || errno == EEXIST) << p;
        }
        return p;
    }

    std::string dir_;
    bool hadUnderscore_ = false;
    std::string underscore_;
};

TEST_F(ExePath, NormalStartReadsTheProcLink)
{
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    std::string printed;
    EXPECT_EQ(Find("/proc/self/exe", &printed), self);
    EXPECT_EQ(printed, "read link\nexepath via /proc/ = " + std::string(self) + "\n");

    ::testing::internal::CaptureStdout();
    const std::string whole = __GetExePath();
    std::fflush(stdout);
    std::string full = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(whole, self);
    EXPECT_EQ(full.rfind("get pid\nread link\n", 0), 0u) << full;
}

TEST_F(ExePath, LinkTargetsOfAnyLengthStayWhole)
{
    // Around the sizes a fixed buffer would have cut (1,023 and 1,024 bytes
    // with the terminator, the first growth at 2,048) and far beyond: the
    // fall-back is never asked, however "_" is set.
    setenv("_", "/usr/bin/env", 1);
    for (std::size_t len : {512u, 1022u, 1023u, 1024u, 1025u, 1500u, 2047u, 2048u, 3000u, 4000u}) {
        std::string target = "/" + std::string(len - 1, 'p');
        std::string link = dir_ + "/link" + std::to_string(len);
        ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
        std::string printed;
        EXPECT_EQ(Find(link, &printed), target) << len;
        EXPECT_EQ(printed, "read link\nexepath via /proc/ = " + target + "\n") << len;
    }
}

TEST_F(ExePath, WithoutTheLinkTheUnderscoreVariableIsResolved)
{
    std::string file = MakeFile(dir_ + "/game");
    // A relative name with a detour: the buffer holds the absolute path.
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    setenv("_", "./sub/../game", 1);
    ASSERT_EQ(mkdir((dir_ + "/sub").c_str(), 0700), 0);
    std::string printed;
    char* real = realpath(file.c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    std::string resolved = real;
    std::free(real);
    EXPECT_EQ(Find(dir_ + "/no-such-link", &printed), resolved);
    EXPECT_EQ(printed, "read link\nexepath via /proc/ failed\ngetenv(\"_\") returns: " + resolved + "\n");
    ASSERT_EQ(chdir("/"), 0);
}

TEST_F(ExePath, ADeepDirectoryIsFoundThroughTheFallBack)
{
    // Resolved paths longer than any fixed buffer come back whole too.
    for (std::size_t depth : {600u, 1100u, 3000u}) {
        std::string file = MakeFile(MakeDeepDir(depth) + "/game");
        setenv("_", file.c_str(), 1);
        EXPECT_EQ(Find(dir_ + "/no-such-link"), file) << depth;
    }
}

TEST_F(ExePath, NothingUsableGivesDotSlash)
{
    struct {
        const char* what;
        void (*prepare)(ExePath&);
    } cases[] = {
        {"no variable", [](ExePath&) { unsetenv("_"); }},
        {"names no file", [](ExePath& t) { setenv("_", (t.dir_ + "/missing").c_str(), 1); }},
    };
    for (const auto& c : cases) {
        c.prepare(*this);
        std::string printed;
        EXPECT_EQ(Find(dir_ + "/no-such-link", &printed), "./") << c.what;
        EXPECT_EQ(printed, "read link\nexepath via /proc/ failed\nexepath totally failed\n") << c.what;
    }
}

} // namespace
