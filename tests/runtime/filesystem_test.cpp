// Case-insensitive name resolution, its request lines, and line reading.
#include "runtime/filesystem.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "tests/runtime/files_fixture.h"

using namespace __VELTRIC__;
using veltric_test::FilesTest;
using veltric_test::Printed;

namespace {

class NoCaseTest : public FilesTest {};

struct ResolveCase {
    const char* file;     // created before the lookup
    const char* name;     // asked for
    const char* expected; // null: not resolved
    const char* printed;
};

TEST_F(NoCaseTest, ResolvesTheLastComponentAndPrintsTheRequestLines)
{
    const ResolveCase cases[] = {
        {"exact.txt", "exact.txt", "exact.txt", ""},
        {"Data/player.png", "Data/PLAYER.PNG", "Data/player.png",
         "fopen(\"Data/PLAYER.PNG\", \"rb\") failed.\n"
         "internal error: relative pathname and non-matching case sensitivity\n"
         "can open(\"Data/player.png\") luckily\n"},
        {"Data/player.png", "data/player.png", nullptr,
         "fopen(\"data/player.png\", \"rb\") failed.\n"
         "internal error: relative pathname and non-matching case sensitivity\n"
         "cannot read directory \"data\" - watch case sensitivity of directory names!\n"
         "GetNoCaseName4Input - bailing out\n"},
        {"readme", "README", "readme",
         "fopen(\"README\", \"rb\") failed.\ncan open(\"readme\") luckily\n"},
        {"assets/logo.bmp", "Data/../assets/Logo.BMP", "Data/../assets/logo.bmp", nullptr},
        {"other.txt", "missing.txt", nullptr,
         "fopen(\"missing.txt\", \"rb\") failed.\nGetNoCaseName4Input - bailing out\n"},
        // A name whose only '/' is the first character lies in the root.
        {"x", "/TMP", "/tmp",
         "fopen(\"/TMP\", \"rb\") failed.\n"
         "internal error: relative pathname and non-matching case sensitivity\n"
         "can open(\"/tmp\") luckily\n"},
    };
    for (const ResolveCase& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.file, "x");
        std::filesystem::create_directory("Data");
        char out[256];
        std::memset(out, 'Z', sizeof out);
        bool ok = false;
        std::string printed = Printed([&] { ok = RTFileSystem::GetNoCaseName4Input(c.name, out); });
        EXPECT_EQ(ok, c.expected != nullptr);
        if (c.expected) {
            EXPECT_STREQ(out, c.expected);
        }
        if (c.printed) {
            EXPECT_EQ(printed, c.printed);
        }
        std::filesystem::remove_all(m_root + "/" + std::string(c.file).substr(0, std::string(c.file).find('/')));
    }
}

TEST_F(NoCaseTest, WritingResolvesOntoTheExistingFileAndCreatesNewOnes)
{
    Put("Save.dat", "old");
    std::string printed = Printed([] {
        std::FILE* f = fopen_case("SAVE.DAT", "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("new", f);
        std::fclose(f);
    });
    EXPECT_EQ(Get("Save.dat"), "new");
    EXPECT_FALSE(Exists("SAVE.DAT"));
    EXPECT_NE(printed.find("can open(\"Save.dat\") luckily\n"), std::string::npos);

    printed = Printed([] {
        std::FILE* f = fopen_case("fresh.txt", "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    });
    EXPECT_EQ(printed, "fopen(\"fresh.txt\", \"rb\") failed.\n"
                       "GetNoCaseName4Input - bailing out\n"
                       "wrt-request: fopen(\"fresh.txt\", \"wb\") succeeded\n\n");

    printed = Printed([] { EXPECT_EQ(fopen_case("nope.txt", "rb"), nullptr); });
    EXPECT_EQ(printed, "fopen(\"nope.txt\", \"rb\") failed.\n"
                       "GetNoCaseName4Input - bailing out\n"
                       "request: fopen(\"nope.txt\", \"rb\") failed\n");
}

TEST_F(NoCaseTest, OpenInRecordsSizeAndAFailedOpenLeavesTheRecordClosed)
{
    Put("ten.bin", "0123456789");
    RTFileSystem rec;
    Printed([&] {
        EXPECT_TRUE(rec.OpenIn("TEN.BIN"));
        EXPECT_EQ(rec.size, 10);
        EXPECT_EQ(rec.position, 0);
        EXPECT_FALSE(rec.OpenIn("none.bin"));
    });
    EXPECT_EQ(rec.file, nullptr);
    EXPECT_EQ(rec.size, 0);
    EXPECT_EQ(rec.position, 0);
}

TEST_F(NoCaseTest, OnlyRegularFilesOpenForReading)
{
    // A FIFO without a writer must not block the open: a hang ends the
    // program (and fails the test) instead of holding ctest.
    alarm(60);
    Put("plain.txt", "x");
    std::filesystem::create_directory("folder");
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    std::filesystem::create_symlink("/dev/zero", "zero.txt");
    std::filesystem::create_symlink("plain.txt", "link.txt");
    int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, "sock");
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    struct {
        const char* name;
        bool opens;
    } cases[] = {
        {"plain.txt", true}, {"PLAIN.TXT", true}, {"link.txt", true},  {"folder", false},
        {"FOLDER", false},   {"pipe", false},     {"PIPE", false},     {"zero.txt", false},
        {"sock", false},     {"/dev/null", false}, {"/dev/zero", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Printed([&] {
            std::FILE* f = fopen_case(c.name, "rb");
            EXPECT_EQ(f != nullptr, c.opens);
            if (f) std::fclose(f);
            RTFileSystem rec;
            EXPECT_EQ(rec.OpenIn(c.name), c.opens);
            rec.Close();
        });
        std::FILE* f = OpenRegularFile(c.name);
        EXPECT_EQ(f != nullptr, c.opens && std::strcmp(c.name, "PLAIN.TXT") != 0);
        if (f) std::fclose(f);
    }
    // The stream of a regular file reads normally (blocking mode restored).
    RTFileSystem rec;
    Printed([&] { ASSERT_TRUE(rec.OpenIn("plain.txt")); });
    EXPECT_EQ(fcntl(fileno(rec.file), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(fcntl(fileno(rec.file), F_GETFD) & FD_CLOEXEC, 0);
    rec.Close();
    ::close(sock);
    alarm(0);
}

// ---- ReadLine ----------------------------------------------------------

class ReadLineTest : public FilesTest {
protected:
    // Every line ReadLine delivers with the given max; checks that the
    // buffer is terminated within max bytes every time.
    std::vector<std::string> Lines(const std::string& content, int max, int* finalPos = nullptr)
    {
        Put("f.txt", content);
        RTFileSystem rec;
        EXPECT_TRUE(rec.OpenIn("f.txt"));
        std::vector<std::string> lines;
        std::vector<char> buf(static_cast<std::size_t>(max) + 8);
        for (int guard = 0; guard < 10000; ++guard) {
            std::fill(buf.begin(), buf.end(), 'Z');
            if (!rec.ReadLine(buf.data(), max)) break;
            const void* nul = std::memchr(buf.data(), '\0', static_cast<std::size_t>(max));
            EXPECT_NE(nul, nullptr) << "unterminated line";
            if (!nul) break;
            lines.emplace_back(buf.data());
        }
        EXPECT_LE(rec.position, rec.size);
        if (finalPos) *finalPos = rec.position;
        rec.Close();
        return lines;
    }
};

TEST_F(ReadLineTest, SplitsLinesAtLfAndCrLf)
{
    using V = std::vector<std::string>;
    const std::string s63(63, 'a'), s64(64, 'b'), s65(65, 'c'), s128(128, 'd');
    struct Case {
        const char* what;
        std::string content;
        V lines;
    } cases[] = {
        {"crlf and last line without end", "ab\r\ncd", V{"ab", "cd"}},
        {"empty file", "", V{}},
        {"empty lines", "\n\r\n\n", V{"", "", ""}},
        {"cr inside a line stays", "a\rb\n", V{"a\rb"}},
        {"last line of 63", s63, V{s63}},
        {"last line of 64", s64, V{s64}},
        {"last line of 65", "x\n" + s65, V{"x", s65}},
        {"last line of 128", s128, V{s128}},
        // The CR ends the first 64-byte chunk, the LF begins the next.
        {"crlf across chunks", s63 + "\r\nz", V{s63, "z"}},
        {"crlf after a 64 byte line", s64 + "\r\n" + s64 + "\r\n", V{s64, s64}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Lines(c.content, 1024), c.lines);
    }
}

TEST_F(ReadLineTest, LongLinesComeInTerminatedPieces)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Lines("abcdefg\nh", 4), (V{"abc", "def", "g", "h"}));
    // A line of exactly max - 1 characters is one line, also before CR LF.
    EXPECT_EQ(Lines("abc\ndef\r\ng", 4), (V{"abc", "def", "g"}));
    EXPECT_EQ(Lines("ab\r\nc", 3), (V{"ab", "c"}));
    const std::string big(3000, 'q');
    V pieces = Lines(big + "\r\nend", 1024);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0] + pieces[1] + pieces[2], big);
    EXPECT_EQ(pieces[3], "end");
}

TEST_F(ReadLineTest, PositionFollowsTheLineAndStopsAtTheSize)
{
    int pos = -1;
    Lines("abc\r\n", 1024, &pos);
    EXPECT_EQ(pos, 5);
    Lines("abc\r\nlast", 1024, &pos);
    EXPECT_EQ(pos, 9);

    Put("g.txt", "abc\r\nnext");
    RTFileSystem rec;
    ASSERT_TRUE(rec.OpenIn("g.txt"));
    char buf[16];
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf), 1);
    EXPECT_EQ(rec.position, 5);
    EXPECT_EQ(std::ftell(rec.file), 5);
    rec.Close();
    RTFileSystem closed;
    EXPECT_EQ(closed.ReadLine(buf, sizeof buf), 0);
}

TEST_F(ReadLineTest, CutLinesAreReportedAndTheirRestSkipped)
{
    Put("h.txt", std::string(50, 'x') + "\r\n1234567\r\nnext\n12345678");
    RTFileSystem rec;
    ASSERT_TRUE(rec.OpenIn("h.txt"));
    char buf[8];
    bool cut = false;
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    EXPECT_STREQ(buf, "xxxxxxx");
    EXPECT_TRUE(cut);
    rec.SkipRestOfLine();
    EXPECT_EQ(rec.position, 52);
    // Exactly seven characters: a whole line, not a cut one.
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    EXPECT_STREQ(buf, "1234567");
    EXPECT_FALSE(cut);
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    EXPECT_STREQ(buf, "next");
    EXPECT_FALSE(cut);
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    EXPECT_STREQ(buf, "1234567");
    EXPECT_TRUE(cut);
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    EXPECT_STREQ(buf, "8");
    EXPECT_FALSE(cut);
    EXPECT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 0);
    EXPECT_EQ(rec.position, rec.size);
}

TEST_F(ReadLineTest, PositionsBeyondFourGiBAndSkipsUpToALimit)
{
    // Lines 5 GiB into a sparse file: positions and the seek after a cut
    // line are 64-bit.
    const long long far = 5LL << 30;
    {
        std::FILE* f = std::fopen("far.txt", "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(fseeko(f, far, SEEK_SET), 0);
        std::fputs("abcdefghij\r\nnext\n", f);
        std::fclose(f);
    }
    RTFileSystem rec;
    Printed([&] { ASSERT_TRUE(rec.OpenIn("far.txt")); });
    EXPECT_EQ(rec.size, far + 17);
    ASSERT_EQ(fseeko(rec.file, far, SEEK_SET), 0);
    rec.position = far;
    char buf[4];
    bool cut = false;
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    EXPECT_STREQ(buf, "abc");
    EXPECT_TRUE(cut);
    rec.SkipRestOfLine();
    EXPECT_EQ(rec.position, far + 12);
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    EXPECT_STREQ(buf, "nex");
    rec.Close();

    // A line without an end is skipped only up to the limit given.
    Put("endless.txt", std::string(200000, 'x'));
    Printed([&] { ASSERT_TRUE(rec.OpenIn("endless.txt")); });
    ASSERT_EQ(rec.ReadLine(buf, sizeof buf, &cut), 1);
    rec.SkipRestOfLine(100000);
    EXPECT_EQ(rec.position, 100000);
    EXPECT_EQ(ftello(rec.file), 100000);
    rec.SkipRestOfLine();
    EXPECT_EQ(rec.position, 200000);
    rec.Close();
}

} // namespace
