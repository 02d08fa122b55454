// Line files: GETFILE, PUTFILE, the one-file cache and its write-back, and
// the write-back of line cache and INI file at the end of the process.
#include "runtime/line_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include "runtime/core.h"
#include "runtime/filesystem.h"
#include "runtime/ini.h"
#include "tests/runtime/files_fixture.h"

using namespace __VELTRIC__;
using veltric_test::FilesTest;
using veltric_test::Printed;

namespace {

class LineFileTest : public FilesTest {
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        Flush();
        __g_error = 0;
    }
    void TearDown() override
    {
        Flush();
        FilesTest::TearDown();
    }
    // Writes the cache back and empties it, as the end of the process does.
    static void Flush()
    {
        Printed([] { __g_FastFile.FillBuffer(nullptr); });
    }
    static std::string Line(const char* name, double n)
    {
        DGStr s;
        Printed([&] { GETFILE(DGStr(name), n, s); });
        return s.c_str();
    }
    static void PutLine(const char* name, double n, const char* text)
    {
        Printed([&] { PUTFILE(DGStr(name), n, DGStr(text)); });
    }
};

TEST_F(LineFileTest, ReadsLinesAndTellsMissingOnesApart)
{
    Put("two.txt", "first\r\nsecond\ttab\t\n  spaced  \r\ncaf\xc3\xa9\r\n12.5xyz\n");
    struct {
        double line;
        const char* text;
        int error;
    } cases[] = {
        {0, "first", 0},
        {1, "second\ttab", 0},      // trailing tab dropped, inner one kept
        {2, "  spaced  ", 0},       // blanks stay
        {3, "caf\xc3\xa9", 0},      // bytes of 128 and above stay
        {5, "NO_DATA", 0},
        {4.9, "12.5xyz", 0},        // truncated toward zero
        {-0.5, "first", 0},
        {255, "NO_DATA", 0},
        {256, "NO_DATA", 7},
        {300, "NO_DATA", 7},
        {-1, "NO_DATA", 7},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        __g_error = 0;
        EXPECT_EQ(Line("two.txt", c.line), c.text);
        EXPECT_EQ(__g_error, c.error);
    }
    int i = 0;
    double d = 0;
    Printed([&] {
        GETFILE(DGStr("two.txt"), 4, i);
        GETFILE(DGStr("two.txt"), 4, d);
    });
    EXPECT_EQ(i, 12);
    EXPECT_EQ(d, 12.5);
    // A number beyond the int range is held at its ends in every build (atoi
    // wraps it in the 64-bit build and saturates it in the 32-bit one).
    Put("wide.txt", "99999999999\r\n-4294967297\r\n4294967338\r\n");
    const int wide[] = {2147483647, -2147483647 - 1, 2147483647};
    for (int n = 0; n < 3; ++n) {
        Printed([&] { GETFILE(DGStr("wide.txt"), n, i); });
        EXPECT_EQ(i, wide[n]) << "line " << n;
    }

    __g_error = 0;
    EXPECT_EQ(Line("missing.txt", 0), "NO_FILE");
    EXPECT_EQ(__g_error, 3);
    // The failed name stays cached with empty lines: no second error.
    __g_error = 0;
    EXPECT_EQ(Line("missing.txt", 0), "NO_DATA");
    EXPECT_EQ(__g_error, 0);
    Printed([&] { GETFILE(DGStr("missing2.txt"), 0, i); });
    EXPECT_EQ(i, 0);
}

TEST_F(LineFileTest, FilesAboveTheCapAreRefusedUnreadAndNeverWrittenOver)
{
    // At the cap: read (its first lines are there). One byte more: refused
    // by its size with "NO_FILE" every time, and a PUTFILE into it does not
    // replace the file by the one line put.
    for (long long size : {kMaxTextFileBytes, kMaxTextFileBytes + 1}) {
        SCOPED_TRACE(size);
        Put("big.txt", "first\r\nsecond\n");
        ASSERT_EQ(truncate("big.txt", size), 0);
        const bool refused = size > kMaxTextFileBytes;
        for (int round = 0; round < 2; ++round) {
            __g_error = 0;
            EXPECT_EQ(Line("big.txt", 1), refused ? "NO_FILE" : "second");
            EXPECT_EQ(__g_error, refused ? 3 : 0);
        }
        PutLine("big.txt", 0, "new");
        Flush();
        struct stat st;
        ASSERT_EQ(stat("big.txt", &st), 0);
        if (refused) {
            EXPECT_EQ(st.st_size, size);
        } else {
            EXPECT_EQ(Get("big.txt").substr(0, 8), "new\r\nsec");
        }
        std::remove("big.txt");
    }
}

TEST_F(LineFileTest, ALineWithoutEndIsCutAndTheNextLinesFollow)
{
    // A line of 3 MB: cut at 1,023 characters, its rest skipped in blocks.
    Put("long.txt", "a\n" + std::string(3000000, 'y') + "\r\nlast\r\n");
    EXPECT_EQ(Line("long.txt", 1), std::string(1023, 'y'));
    EXPECT_EQ(Line("long.txt", 2), "last");
    EXPECT_EQ(Line("long.txt", 3), "NO_DATA");
}

TEST_F(LineFileTest, ChangesAreWrittenBackOnSwitchAndAtTheEnd)
{
    PutLine("new.txt", 3, "third");
    EXPECT_FALSE(Exists("new.txt"));
    EXPECT_EQ(Line("other.txt", 0), "NO_FILE");
    EXPECT_EQ(Get("new.txt"), "\r\n\r\n\r\nthird\r\n");

    Printed([] {
        PUTFILE(DGStr("num.txt"), 0, 2.50);
        PUTFILE(DGStr("num.txt"), 1, 3.0);
        PUTFILE(DGStr("num.txt"), 2, -0.25);
    });
    EXPECT_EQ(Line("num.txt", 1), "3");
    Flush();
    EXPECT_EQ(Get("num.txt"), "2.5\r\n3\r\n-.25\r\n");

    // Names differing only in case are different cache entries.
    Put("data.txt", "lower\n");
    EXPECT_EQ(Line("data.txt", 0), "lower");
    PutLine("data.txt", 0, "changed");
    EXPECT_EQ(Line("DATA.TXT", 0), "changed");
    EXPECT_EQ(Get("data.txt"), "changed\r\n");
}

TEST_F(LineFileTest, KeepsAtMost256LinesAndCutsLongText)
{
    std::string content;
    for (int i = 0; i < 300; ++i) content += "l" + std::to_string(i) + "\n";
    Put("big.txt", content);
    EXPECT_EQ(Line("big.txt", 255), "l255");
    PutLine("big.txt", 0, "first");
    __g_error = 0;
    PutLine("big.txt", 256, "lost");
    EXPECT_EQ(__g_error, 7);
    Flush();
    std::string back = Get("big.txt");
    EXPECT_EQ(back.substr(0, 7), "first\r\n");
    EXPECT_EQ(std::count(back.begin(), back.end(), '\n'), 256);
    EXPECT_EQ(back.substr(back.size() - 6), "l255\r\n");

    // Text of 1,024 characters or more keeps its first 1,023.
    PutLine("long.txt", 1, std::string(5000, 'x').c_str());
    EXPECT_EQ(Line("long.txt", 1), std::string(1023, 'x'));
    Flush();
    EXPECT_EQ(Get("long.txt"), "\r\n" + std::string(1023, 'x') + "\r\n");

    // A line on disk longer than a cache line does not shift the others.
    Put("wide.txt", std::string(3000, 'w') + "\nafter\n");
    EXPECT_EQ(Line("wide.txt", 0), std::string(1023, 'w'));
    EXPECT_EQ(Line("wide.txt", 1), "after");

    // A name the cache cannot hold is refused, not cut.
    __g_error = 0;
    std::string longName(1100, 'n');
    PutLine(longName.c_str(), 0, "x");
    EXPECT_EQ(__g_error, 3);
    EXPECT_EQ(Line("wide.txt", 1), "after");
    EXPECT_EQ(Line(longName.c_str(), 0), "NO_FILE");
}

} // namespace

namespace {

using LineFileExitTest = LineFileTest;

// The static objects write back the line cache and the INI file when the
// process ends.
TEST_F(LineFileExitTest, ProcessEndWritesBackTheCacheAndTheIni)
{
    EXPECT_EXIT(
        {
            PUTFILE(DGStr("exit.txt"), 1, DGStr("kept"));
            INIOPEN(DGStr("exit.ini"));
            INIPUT(DGStr("S"), DGStr("k"), DGStr("v"));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Get("exit.txt"), "\r\nkept\r\n");
    EXPECT_EQ(Get("exit.ini"), "[S]\r\nk=v\r\n");
}

} // namespace
