// File channels: bytes on disk, reads back, positions, and the fatal errors.
#include "runtime/file_channels.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "runtime/core.h"
#include "runtime/file_cmds.h"
#include "runtime/ini.h"
#include "runtime/line_files.h"
#include "runtime/shoebox.h"
#include "tests/runtime/files_fixture.h"

using namespace __VELTRIC__;
using veltric_test::FilesTest;
using veltric_test::Printed;

namespace {

// In a death test's child: reports the recorded error number on standard
// error when the program ends, so the test can tell error 3 from error 7.
void ReportErrorAtExit()
{
    std::atexit([] { std::fprintf(stderr, "ended with error %d\n", static_cast<int>(__g_error)); });
}

#define EXPECT_FATAL(statement, number)                                                       \
    EXPECT_EXIT(                                                                              \
        {                                                                                     \
            ReportErrorAtExit();                                                              \
            statement;                                                                        \
        },                                                                                    \
        ::testing::ExitedWithCode(0), "ended with error " #number)

class ChannelTest : public FilesTest {
protected:
    void TearDown() override
    {
        __VLT_close_all_filehandles();
        FilesTest::TearDown();
    }
    std::string Opened(int ch, const char* name, int mode)
    {
        double r = 0;
        std::string printed = Printed([&] { r = OPENFILE(ch, DGStr(name), mode); });
        EXPECT_EQ(r, 1.0) << printed;
        return printed;
    }
};

TEST_F(ChannelTest, WritesLittleEndianBytesAndReadsThemBack)
{
    Opened(0, "out.bin", 0);
    WRITEWORD(0, -2);
    WRITELONG(0, 1);
    WRITESHORTIEEE(0, 0.1);
    WRITELINE(0, DGStr("abc"));
    EXPECT_EQ(FILEPOSITION(0), 0.0);
    EXPECT_EQ(ENDOFFILE(0), 1.0);
    CLOSEFILE(0);
    const unsigned char want[] = {0xFE, 0xFF, 0x01, 0x00, 0x00, 0x00, 0xCD, 0xCC,
                                  0xCC, 0x3D, 0x61, 0x62, 0x63, 0x0D, 0x0A};
    EXPECT_EQ(Get("out.bin"), std::string(reinterpret_cast<const char*>(want), sizeof want));

    Opened(1, "OUT.BIN", 1);
    int i = 0;
    double d = 0;
    DGStr s;
    READWORD(1, i);
    EXPECT_EQ(i, -2);
    READLONG(1, i);
    EXPECT_EQ(i, 1);
    READSHORTIEEE(1, d);
    EXPECT_EQ(d, static_cast<double>(0.1f));
    EXPECT_NE(d, 0.1);
    READLINE(1, s);
    EXPECT_STREQ(s.c_str(), "abc");
    EXPECT_EQ(FILEPOSITION(1), 15.0);
    EXPECT_EQ(ENDOFFILE(1), 1.0);
    FILESEEK(1, 0, 0);
    READUWORD(1, i);
    EXPECT_EQ(i, 65534);
    READUBYTE(1, i);
    EXPECT_EQ(i, 1);
}

TEST_F(ChannelTest, NumberLinesBeyondTheIntRangeAreHeldAtItsEnds)
{
    // atoi wraps such text in the 64-bit build and saturates it in the
    // 32-bit one; READLINE holds it at the ends of the range in both, as
    // DGStr::Natural does.
    Put("wide.txt", "99999999999\r\n-4294967297.75\r\n4294967338\r\n  -12abc\r\n");
    Opened(0, "wide.txt", 1);
    int i = 0;
    READLINE(0, i);
    EXPECT_EQ(i, 2147483647);
    READLINE(0, i);
    EXPECT_EQ(i, -2147483647 - 1);
    READLINE(0, i);
    EXPECT_EQ(i, 2147483647);
    READLINE(0, i);
    EXPECT_EQ(i, -12);
    CLOSEFILE(0);
}

TEST_F(ChannelTest, EveryWidthRoundTrips)
{
    Opened(2, "all.bin", 0);
    WRITEBYTE(2, -128);
    WRITEUBYTE(2, 255);
    WRITEBYTE(2, 0x1FF); // only the low 8 bits
    WRITEUWORD(2, 0x12345);
    WRITEULONG(2, -1);
    WRITEIEEE(2, -1234.5678e100);
    WRITESTR(2, DGStr("xyz"));
    WRITESTR(2, DGStr(""));
    WRITELINE(2, 42);
    WRITELINE(2, 2.5);
    CLOSEFILE(2);
    EXPECT_EQ(Get("all.bin").size(), 1u + 1 + 1 + 2 + 4 + 8 + 3 + 4 + 5);

    Opened(2, "all.bin", 1);
    int i = 0;
    double d = 0;
    DGStr s;
    READBYTE(2, i);
    EXPECT_EQ(i, -128);
    READBYTE(2, i);
    EXPECT_EQ(i, -1);
    READUBYTE(2, i);
    EXPECT_EQ(i, 255);
    READWORD(2, i);
    EXPECT_EQ(i, 0x2345);
    READULONG(2, i);
    EXPECT_EQ(i, -1);
    READIEEE(2, d);
    EXPECT_EQ(d, -1234.5678e100);
    EXPECT_EQ(READSTR(2, s, 3), 3.0);
    EXPECT_STREQ(s.c_str(), "xyz");
    READLINE(2, i);
    EXPECT_EQ(i, 42);
    READLINE(2, d);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(ENDOFFILE(2), 1.0);
}

TEST_F(ChannelTest, SeekMovesFromStartPositionAndEnd)
{
    Put("ten.bin", "0123456789");
    Opened(3, "ten.bin", 1);
    int c = 0;
    FILESEEK(3, -4, -1);
    EXPECT_EQ(FILEPOSITION(3), 6.0);
    FILESEEK(3, 2, 1);
    EXPECT_EQ(FILEPOSITION(3), 8.0);
    READUBYTE(3, c);
    EXPECT_EQ(c, '8');
    FILESEEK(3, 3, 0);
    READUBYTE(3, c);
    EXPECT_EQ(c, '3');
    EXPECT_EQ(ENDOFFILE(3), 0.0);
    // A closed channel only changes its record.
    FILESEEK(4, 7, 0);
    EXPECT_EQ(FILEPOSITION(4), 7.0);
    EXPECT_EQ(CLOSEFILE(4), 0.0);
    EXPECT_EQ(FILEPOSITION(4), 0.0);
}

TEST_F(ChannelTest, ReadStrStopsAtNulAndLineReadsKeepThePosition)
{
    Put("t.bin", std::string("ab\0cd", 5) + "abc\r\nlast");
    Opened(0, "t.bin", 1);
    DGStr s("old");
    EXPECT_EQ(READSTR(0, s, 5), 2.0);
    EXPECT_STREQ(s.c_str(), "ab");
    EXPECT_EQ(FILEPOSITION(0), 5.0);
    READLINE(0, s);
    EXPECT_STREQ(s.c_str(), "abc");
    EXPECT_EQ(FILEPOSITION(0), 10.0);
    READLINE(0, s);
    EXPECT_STREQ(s.c_str(), "last");
    EXPECT_EQ(FILEPOSITION(0), 14.0);
    EXPECT_EQ(ENDOFFILE(0), 1.0);
    // A count below 1 needs no channel at all.
    EXPECT_EQ(READSTR(7, s, 0), 0.0);
    EXPECT_STREQ(s.c_str(), "");
}

TEST_F(ChannelTest, WholeNumbersFromTextStopAtTheEndsOfTheIntRange)
{
    // Every reader of a whole number from text (a channel's line, a line
    // file's line, a string's value) gives the same number on every build:
    // values beyond the int range give its nearest end instead of wrapping.
    const struct {
        const char* text;
        int want;
    } cases[] = {
        {"42", 42},
        {"  -17 apples", -17},
        {"+8", 8},
        {"apples", 0},
        {"", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"3000000000", 2147483647},
        {"4294967296", 2147483647},
        {"99999999999999999999999", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-3000000000", -2147483647 - 1},
        {"-99999999999999999999999", -2147483647 - 1},
        {"1e5", 1},
    };
    std::string lines;
    for (const auto& c : cases)
        lines += std::string(c.text) + "\n";
    Put("numbers.txt", lines);
    Opened(0, "numbers.txt", 1);
    int line = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int fromChannel = -99;
        READLINE(0, fromChannel);
        EXPECT_EQ(fromChannel, c.want);
        int fromLineFile = -99;
        Printed([&] { GETFILE(DGStr("numbers.txt"), line, fromLineFile); });
        EXPECT_EQ(fromLineFile, c.want);
        EXPECT_EQ(DGStr(c.text).Natural(), c.want);
        ++line;
    }
}

TEST_F(ChannelTest, ReadsAPackedMemberAsAPlainFile)
{
    veltric_test::ArchivePacker pack;
    pack.Add("Save.dat", "packed contents");
    pack.Layout();
    Put("game", pack.Bytes());
    RTShoeBox box;
    box.SetArchive("game");
    RTShoeBox* old = __g_ShoeBox_Data;
    __g_ShoeBox_Data = &box;
    Opened(5, "data/save.dat", 1);
    DGStr s;
    READLINE(5, s);
    EXPECT_STREQ(s.c_str(), "packed contents");
    EXPECT_EQ(__g_Files[5].size, 15);
    CLOSEFILE(5);
    __g_ShoeBox_Data = old;

    double r = 1;
    Printed([&] { r = OPENFILE(5, DGStr("none.dat"), 1); });
    EXPECT_EQ(r, 0.0);
    EXPECT_EQ(__g_Files[5].file, nullptr);
}

TEST_F(ChannelTest, WritingOverAFileOfAnotherCaseKeepsItsName)
{
    Put("Scores.txt", "old old old");
    Opened(0, "SCORES.TXT", 0);
    WRITESTR(0, DGStr("new"));
    CLOSEFILE(0);
    EXPECT_EQ(Get("Scores.txt"), "new");
    EXPECT_FALSE(Exists("SCORES.TXT"));
}

TEST_F(ChannelTest, PositionsBeyondTwoGibibytesStayWhole)
{
    // A sparse file of 3 GiB with markers near its end and past 2^31.
    constexpr std::int64_t kSize = std::int64_t(3) << 30;
    constexpr std::int64_t kHigh = (std::int64_t(5) << 29) + 3; // 2.5 GiB + 3
    {
        const int fd = ::open("big.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, kSize), 0);
        const unsigned char high[] = {0x78, 0x56, 0x34, 0x12, 'h', 'i', '\r', '\n'};
        ASSERT_EQ(::pwrite(fd, high, sizeof high, kHigh), static_cast<ssize_t>(sizeof high));
        const unsigned char end[] = {0xEF, 0xBE, 0xAD, 0xDE};
        ASSERT_EQ(::pwrite(fd, end, sizeof end, kSize - 4), static_cast<ssize_t>(sizeof end));
        ::close(fd);
    }
    Opened(0, "big.bin", 1);
    struct Case {
        const char* what;
        double offset;
        int whence;
        double position;
        double eof;
    } cases[] = {
        {"to the end", 0, -1, double(kSize), 1},
        {"past the end", 10, -1, double(kSize + 10), 1},
        {"from the start, beyond 2^31", double(kHigh), 0, double(kHigh), 0},
        {"from the position", 4, 1, double(kHigh + 4), 0},
        {"from the end, backwards", -4, -1, double(kSize - 4), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FILESEEK(0, c.offset, c.whence);
        EXPECT_EQ(FILEPOSITION(0), c.position);
        EXPECT_EQ(ENDOFFILE(0), c.eof);
    }
    // Reads take their bytes at the position and move it on in 64 bits.
    int value = 0;
    READLONG(0, value);
    EXPECT_EQ(static_cast<unsigned>(value), 0xDEADBEEFu);
    EXPECT_EQ(FILEPOSITION(0), double(kSize));
    EXPECT_EQ(ENDOFFILE(0), 1.0);
    FILESEEK(0, double(kHigh), 0);
    READLONG(0, value);
    EXPECT_EQ(value, 0x12345678);
    DGStr line;
    READLINE(0, line);
    EXPECT_STREQ(line.c_str(), "hi");
    EXPECT_EQ(FILEPOSITION(0), double(kHigh + 8));
    CLOSEFILE(0);

    // Writes land where the channel was moved to.
    Opened(1, "written.bin", 0);
    FILESEEK(1, double(kHigh), 0);
    WRITELONG(1, 0x01020304);
    CLOSEFILE(1);
    struct stat st;
    ASSERT_EQ(::stat("written.bin", &st), 0);
    EXPECT_EQ(st.st_size, kHigh + 4);
    Opened(1, "written.bin", 1);
    FILESEEK(1, -4, -1);
    EXPECT_EQ(FILEPOSITION(1), double(kHigh));
    READLONG(1, value);
    EXPECT_EQ(value, 0x01020304);
}

TEST_F(ChannelTest, LongPathsOpenWhereverTheFileSystemOpensThem)
{
    // Folders 1,500 and 3,000 bytes deep below the current one.
    for (std::size_t depth : {1500u, 3000u}) {
        SCOPED_TRACE(depth);
        std::string dir = "p" + std::to_string(depth);
        while (dir.size() < depth) dir += "/" + std::string(120, 'd');
        std::filesystem::create_directories(dir);
        const std::string name = dir + "/Data.bin";
        ASSERT_GT(name.size(), 1023u);

        ASSERT_EQ(Printed([&] { OPENFILE(0, DGStr(name.c_str()), 0); }).find("can't"), std::string::npos);
        WRITELONG(0, 77);
        CLOSEFILE(0);
        EXPECT_EQ(Get(name).size(), 4u);
        EXPECT_EQ(DOESFILEEXIST(DGStr(name.c_str())), 1.0);
        EXPECT_EQ(GETFILESIZE(DGStr(name.c_str())), 4.0);
        // As given, and with the file's name in another case.
        for (const std::string& asked : {name, dir + "/DATA.BIN"}) {
            double opened = 0;
            Printed([&] { opened = OPENFILE(1, DGStr(asked.c_str()), 1); });
            ASSERT_EQ(opened, 1.0) << asked.size();
            int value = 0;
            READLONG(1, value);
            EXPECT_EQ(value, 77);
            CLOSEFILE(1);
        }

        // Line files and INI files by the same long names.
        const std::string lines = dir + "/lines.txt", ini = dir + "/game.ini";
        Printed([&] {
            PUTFILE(DGStr(lines.c_str()), 2, DGStr("third"));
            DGStr text;
            GETFILE(DGStr("elsewhere.txt"), 0, text); // writes the long one back
            GETFILE(DGStr(lines.c_str()), 2, text);
            EXPECT_STREQ(text.c_str(), "third");
            INIOPEN(DGStr(ini.c_str()));
            INIPUT(DGStr("s"), DGStr("k"), DGStr("v"));
            INIOPEN(DGStr("elsewhere.ini"));
            INIOPEN(DGStr(ini.c_str()));
            EXPECT_STREQ(INIGET_Str(DGStr("s"), DGStr("k")).c_str(), "v");
        });
        EXPECT_EQ(Get(lines), "\r\n\r\nthird\r\n");
        __g_Ini.filename = "";
    }
}

TEST_F(ChannelTest, WritingNeverReplacesADirectoryOrFifo)
{
    std::filesystem::create_directory("folder");
    ASSERT_EQ(::mkfifo("pipe", 0644), 0);
    for (const char* name : {"folder", "pipe", "PIPE"}) {
        SCOPED_TRACE(name);
        double r = 1;
        // No reader on the FIFO: an open that waited would hang here.
        const std::string printed = Printed([&] { r = OPENFILE(0, DGStr(name), 0); });
        EXPECT_EQ(r, 0.0);
        EXPECT_NE(printed.find(std::string("can't write to file: ") + name + "\n"), std::string::npos) << printed;
    }
    struct stat st;
    ASSERT_EQ(::lstat("folder", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    ASSERT_EQ(::lstat("pipe", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

using ChannelDeathTest = ChannelTest;

TEST_F(ChannelDeathTest, MisuseEndsTheProgramWithItsErrorNumber)
{
    Put("ten.bin", "0123456789");
    int v = 0;
    double d = 0;
    DGStr s;
    // Channels outside 0 to 7: error 7 for every command.
    EXPECT_FATAL(OPENFILE(8, DGStr("ten.bin"), 1), 7);
    EXPECT_FATAL(OPENFILE(-1, DGStr("ten.bin"), 1), 7);
    EXPECT_FATAL(WRITEBYTE(8, 1), 7);
    EXPECT_FATAL(READBYTE(-1, v), 7);
    EXPECT_FATAL(READSTR(8, s, 4), 7);
    EXPECT_FATAL(READLINE(9, s), 7);
    EXPECT_FATAL(FILESEEK(8, 0, 0), 7);
    EXPECT_FATAL(FILEPOSITION(-1), 7);
    EXPECT_FATAL(ENDOFFILE(8), 7);
    EXPECT_FATAL(CLOSEFILE(1 << 20), 7);
    // A channel that is not open: error 3.
    EXPECT_FATAL(WRITELONG(6, 1), 3);
    EXPECT_FATAL(READIEEE(6, d), 3);
    EXPECT_FATAL(READLINE(6, s), 3);
    EXPECT_FATAL(READSTR(6, s, 1), 3);

    Opened(0, "ten.bin", 1);
    for (int i = 0; i < 10; ++i) READBYTE(0, v);
    EXPECT_EQ(ENDOFFILE(0), 1.0);
    EXPECT_EQ(FILEPOSITION(0), 10.0);
    EXPECT_FATAL(READBYTE(0, v), 3);
    EXPECT_FATAL(READLINE(0, s), 3);
    // More than the file holds is refused before the text is sized for it.
    FILESEEK(0, 6, 0);
    EXPECT_FATAL(READSTR(0, s, 5), 3);
    EXPECT_FATAL(READSTR(0, s, 0x7FFFFFFF), 3);
    READSTR(0, s, 4);
    EXPECT_STREQ(s.c_str(), "6789");
    // Writing to a channel opened for reading fails short.
    EXPECT_FATAL(WRITEBYTE(0, 1), 3);
}

} // namespace
