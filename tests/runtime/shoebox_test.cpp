// The packed archive: lookups, extraction into the private directory, and
// archives that are damaged on purpose.
#include "runtime/shoebox.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "runtime/compression.h"
#include "tests/runtime/files_fixture.h"

using namespace __VELTRIC__;
using veltric_test::ArchivePacker;
using veltric_test::FilesTest;
using veltric_test::Printed;

namespace {

std::string Noise(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

class ShoeBoxTest : public FilesTest {
protected:
    // Writes the archive as "game" and points a fresh archive object at it.
    void Install(const std::string& bytes)
    {
        Put("game", bytes);
        box = std::make_unique<RTShoeBox>();
        box->SetArchive("game");
    }
    int Find(const char* name, std::string& path, std::size_t size = RTShoeBox::kPathMax)
    {
        std::vector<char> out(size ? size : 1, 'Z');
        int r = 0;
        lastPrinted = Printed([&] { r = box->FindOrExtract(name, out.data(), size); });
        // Some failures leave out as it was: never read past the buffer.
        path = size ? std::string(out.data(), strnlen(out.data(), size)) : std::string();
        return r;
    }
    std::unique_ptr<RTShoeBox> box;
    std::string lastPrinted;
};

TEST_F(ShoeBoxTest, PackedMemberExtractsByteIdenticalUnderAnyCase)
{
    const std::string hero = Noise(200000, 1) + std::string(5000, '\0') + "tail";
    const std::string text = "level data\r\n";
    for (bool fromEnd : {false, true}) {
        SCOPED_TRACE(fromEnd ? "offsets from the end" : "offsets from the start");
        ArchivePacker pack(Noise(777, 2));
        pack.Add("hero.png", hero);
        pack.Add("level1.txt", text);
        pack.Layout(fromEnd);
        Install(pack.Bytes());
        for (const char* name : {"hero.png", "HERO.PNG", "art/Hero.png", "art\\HeRo.PNG"}) {
            SCOPED_TRACE(name);
            std::string path;
            ASSERT_EQ(Find(name, path), 1) << lastPrinted;
            EXPECT_EQ(Get(path), hero);
            EXPECT_EQ(std::filesystem::path(path).filename().string().substr(5), "hero.png");
        }
        std::string path;
        ASSERT_EQ(Find("Level1.TXT", path), 1);
        EXPECT_EQ(Get(path), text);
    }
}

TEST_F(ShoeBoxTest, ThePackerAppendsTheSameArchiveToAnyProgram)
{
    // The native and the 32-bit build pack the same media into programs of
    // different sizes: the archives they append must be the same bytes, and
    // every copy finds its members.
#ifndef PACK_ARCHIVE_TOOL
    GTEST_SKIP() << "no archive packer in this build";
#else
    const std::string hero = Noise(5000, 3);
    // In a folder of their own: a plain file of the name would win over the member.
    Put("media/hero.png", hero);
    Put("media/level1.txt", "level data\r\n");
    std::string archive[2];
    for (std::size_t program : {1000u, 1333u}) {
        SCOPED_TRACE(program);
        Put("program", Noise(program, 4));
        const std::string command = std::string(PACK_ARCHIVE_TOOL) + " program packed media/hero.png media/level1.txt";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string bytes = Get("packed");
        ASSERT_GT(bytes.size(), program);
        archive[program == 1000u] = bytes.substr(program);
        Install(bytes);
        std::string path;
        ASSERT_EQ(Find("HERO.png", path), 1) << lastPrinted;
        EXPECT_TRUE(Get(path) == hero) << path;
    }
    EXPECT_TRUE(archive[0] == archive[1]) << "the archive depends on the program it follows";
#endif
}

TEST_F(ShoeBoxTest, TemporaryNameCarriesLettersOfOffsetAndPackedSize)
{
    // A member at offset 300 whose packed form is 1,000 bytes: sbxSY.
    std::string data;
    for (std::size_t n = 900; n < 1000 && data.empty(); ++n)
        if (veltric_test::PackMember(Noise(n, 3)).size() == 1000) data = Noise(n, 3);
    ASSERT_FALSE(data.empty());
    ArchivePacker pack(std::string(300, 'P'));
    pack.Add("hero.png", data);
    pack.Layout();
    ASSERT_EQ(pack.entries()[0].offset, 300);
    ASSERT_EQ(pack.entries()[0].packed, 1000);
    Install(pack.Bytes());
    std::string path;
    ASSERT_EQ(Find("hero.png", path), 1);
    EXPECT_EQ(std::filesystem::path(path).filename(), "sbxSYhero.png");
}

TEST_F(ShoeBoxTest, MembersLandInAPrivateDirectoryThatGoesWithTheObject)
{
    ArchivePacker pack;
    pack.Add("a.bin", "first");
    pack.Add("b.bin", "second");
    pack.Layout();
    Install(pack.Bytes());

    std::string a, b;
    ASSERT_EQ(Find("a.bin", a), 1);
    std::string dir = std::filesystem::path(a).parent_path().string();
    EXPECT_EQ(std::filesystem::path(dir).parent_path(), std::filesystem::path(m_root + "/tmp"));
    struct stat st;
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
    ASSERT_EQ(::lstat(a.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Only the temporary file of the latest lookup stays.
    ASSERT_EQ(Find("b.bin", b), 1);
    EXPECT_FALSE(Exists(a));
    EXPECT_EQ(Get(b), "second");
    EXPECT_EQ(TempFiles(), std::vector<std::string>{b});
    // A lookup that ends on nothing removes it as well.
    std::string none;
    EXPECT_EQ(Find("c.bin", none), 0);
    EXPECT_TRUE(TempFiles().empty());

    ASSERT_EQ(Find("a.bin", a), 1);
    // A second object has its own directory: the two never touch each
    // other's files.
    RTShoeBox other;
    other.SetArchive("game");
    char out2[RTShoeBox::kPathMax];
    Printed([&] { ASSERT_EQ(other.FindOrExtract("a.bin", out2, sizeof out2), 1); });
    EXPECT_NE(std::filesystem::path(out2).parent_path().string(), dir);
    EXPECT_TRUE(Exists(a));

    box.reset();
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(dir));
}

TEST_F(ShoeBoxTest, PlainFileWinsAndIsGivenAsNamed)
{
    ArchivePacker pack;
    pack.Add("hero.png", "packed");
    pack.Layout();
    Install(pack.Bytes());
    Put("Hero.png", "plain");
    std::string path;
    ASSERT_EQ(Find("HERO.PNG", path), 1);
    EXPECT_EQ(path, "HERO.PNG");
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(ShoeBoxTest, FirstOfTwoNamesDifferingInCaseWins)
{
    ArchivePacker pack;
    pack.Add("Twin.txt", "first");
    pack.Add("twin.TXT", "second");
    pack.Layout();
    Install(pack.Bytes());
    std::string path;
    ASSERT_EQ(Find("TWIN.txt", path), 1);
    EXPECT_EQ(Get(path), "first");
    EXPECT_EQ(Find("dir/", path), 0);
    EXPECT_EQ(path, "");
}

TEST_F(ShoeBoxTest, FileWithoutTrailerIsCheckedOnce)
{
    Install("just a program, nothing appended");
    std::string path;
    EXPECT_EQ(Find("x.png", path), 0);
    EXPECT_NE(lastPrinted.find("bad shoebox header: game [ppe]\nFilesize: 32, CurPos: 28\n"), std::string::npos)
        << lastPrinted;
    EXPECT_EQ(box->active, 0);
    EXPECT_EQ(Find("x.png", path), 0);
    EXPECT_EQ(lastPrinted.find("shoebox header"), std::string::npos);
    EXPECT_NE(lastPrinted.find("can't open(0): x.png\n"), std::string::npos);
    // SETSHOEBOX's step makes it active again.
    box->SetArchive("game");
    EXPECT_EQ(box->active, 1);
}

TEST_F(ShoeBoxTest, ArchiveStatesPrintTheirLines)
{
    RTShoeBox b;
    char out[64] = "kept";
    std::string printed = Printed([&] { EXPECT_EQ(b.FindOrExtract("a.png", out, sizeof out), 0); });
    EXPECT_NE(printed.find("can't open(2): a.png\n"), std::string::npos);
    EXPECT_EQ(b.active, 0);
    b.SetArchive("missing-archive");
    printed = Printed([&] { EXPECT_EQ(b.FindOrExtract("a.png", out, sizeof out), 0); });
    EXPECT_NE(printed.find("can't open(1): a.png\n"), std::string::npos);
    EXPECT_EQ(b.active, 0);
    // A program installed deep down keeps its archive path whole.
    b.SetArchive(std::string(2000, 'p').c_str());
    EXPECT_EQ(b.archive, std::string(2000, 'p'));
    b.SetArchive("short");
    EXPECT_EQ(b.archive, "short");
}

TEST_F(ShoeBoxTest, ResultThatDoesNotFitTheBufferIsRefused)
{
    ArchivePacker pack;
    pack.Add("member.bin", "data");
    pack.Layout();
    Install(pack.Bytes());
    std::string path;
    ASSERT_EQ(Find("member.bin", path), 1);
    std::size_t need = path.size() + 1;
    EXPECT_EQ(Find("member.bin", path, need - 1), 0);
    EXPECT_EQ(path, "");
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_EQ(Find("member.bin", path, need), 1);

    Put("plainname.txt", "x");
    EXPECT_EQ(Find("plainname.txt", path, 13), 0);
    EXPECT_EQ(Find("plainname.txt", path, 14), 1);
    EXPECT_EQ(path, "plainname.txt");
    EXPECT_EQ(Find("plainname.txt", path, 0), 0);
}

TEST_F(ShoeBoxTest, EmptyMemberIsAnEmptyFile)
{
    ArchivePacker pack;
    pack.Add("empty.txt", "");
    pack.Layout();
    Install(pack.Bytes());
    std::string path;
    ASSERT_EQ(Find("empty.txt", path), 1);
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(Get(path), "");
}

// Each case damages one field of a good archive.
struct Damage {
    const char* what;
    const char* ask;
    void (*apply)(ArchivePacker&, std::string& bytes);
};

void SetLE32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

const Damage kDamages[] = {
    {"packed size -1", "m.bin", [](ArchivePacker& p, std::string& b) { p.entries()[0].packed = -1; b = p.Bytes(); }},
    {"packed size 3", "m.bin", [](ArchivePacker& p, std::string& b) { p.entries()[0].packed = 3; b = p.Bytes(); }},
    {"packed size 0x7FFFFFFF", "m.bin",
     [](ArchivePacker& p, std::string& b) { p.entries()[0].packed = 0x7FFFFFFF; b = p.Bytes(); }},
    {"packed size past the end", "m.bin",
     [](ArchivePacker& p, std::string& b) { p.entries()[0].packed += 5000; b = p.Bytes(); }},
    {"unpacked size 0xFFFFFFFF", "m.bin",
     [](ArchivePacker& p, std::string& b) { SetLE32(p.entries()[0].blob, 0, 0xFFFFFFFFu); b = p.Bytes(); }},
    {"unpacked size one too large", "m.bin",
     [](ArchivePacker& p, std::string& b) { SetLE32(p.entries()[0].blob, 0, 4097u); b = p.Bytes(); }},
    {"unpacked size one too small", "m.bin",
     [](ArchivePacker& p, std::string& b) { SetLE32(p.entries()[0].blob, 0, 4095u); b = p.Bytes(); }},
    {"offset past the end", "m.bin",
     [](ArchivePacker& p, std::string& b) { p.entries()[0].offset = 1 << 30; b = p.Bytes(); }},
    {"negative offset", "m.bin", [](ArchivePacker& p, std::string& b) { p.entries()[0].offset = -8; b = p.Bytes(); }},
    {"corrupt stream", "m.bin",
     [](ArchivePacker& p, std::string& b) {
         std::string& blob = p.entries()[0].blob;
         for (std::size_t i = 8; i < blob.size() - 3; i += 7) blob[i] = static_cast<char>(blob[i] ^ 0x5A);
         b = p.Bytes();
     }},
    {"stream cut short", "m.bin",
     [](ArchivePacker& p, std::string& b) {
         p.entries()[0].blob.resize(p.entries()[0].blob.size() / 2);
         p.entries()[0].packed = static_cast<std::int32_t>(p.entries()[0].blob.size());
         b = p.Bytes();
     }},
    {"truncated index", "m.bin", [](ArchivePacker& p, std::string& b) { b = p.Bytes(5); }},
    {"index position past the end", "m.bin", [](ArchivePacker& p, std::string& b) { p.indexPos = 1 << 30; b = p.Bytes(); }},
    {"index position before the start", "m.bin",
     [](ArchivePacker& p, std::string& b) { p.indexPos = -(1 << 30); b = p.Bytes(); }},
    {"file shorter than a trailer", "m.bin", [](ArchivePacker&, std::string& b) { b = "sbX"; }},
    {"name with a directory", "m.bin",
     [](ArchivePacker& p, std::string& b) { p.entries()[0].name = "sub/m.bin"; b = p.Bytes(); }},
    {"name with a NUL", "m.bin",
     [](ArchivePacker& p, std::string& b) { p.entries()[0].name = std::string("m.bin\0x", 7); b = p.Bytes(); }},
};

TEST_F(ShoeBoxTest, DamagedArchivesGiveNothingAndLeaveNoFile)
{
    // 4,096 bytes of text: small packed form, exact size known.
    std::string data;
    for (int i = 0; data.size() < 4096; ++i) data += "line " + std::to_string(i) + "\n";
    data.resize(4096);
    for (const Damage& d : kDamages) {
        SCOPED_TRACE(d.what);
        ArchivePacker pack(std::string(100, 'P'));
        pack.Add("m.bin", data);
        pack.Layout();
        std::string bytes;
        d.apply(pack, bytes);
        Install(bytes);
        std::string path = "unchanged";
        EXPECT_EQ(Find(d.ask, path), 0);
        EXPECT_EQ(path, "");
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST(CompressionTest, UnPackDecodesAndRefusesBadInput)
{
    const std::string data = Noise(10000, 4) + std::string(10000, 'a');
    std::string blob = veltric_test::PackMember(data);
    RTCompression c;
    ASSERT_EQ(c.UnPack(reinterpret_cast<const unsigned char*>(blob.data()), static_cast<int>(blob.size())),
              static_cast<int>(data.size()));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(c.Output()), c.OutputLength()), data);
    EXPECT_EQ(c.UnPack(reinterpret_cast<const unsigned char*>(blob.data()), 3), 0);
    EXPECT_EQ(c.OutputLength(), 0u);
    EXPECT_EQ(c.UnPack(reinterpret_cast<const unsigned char*>(blob.data()), static_cast<int>(blob.size()) - 1), 0);
    EXPECT_EQ(c.Output(), nullptr);
    c.m_mode = 2;
    EXPECT_EQ(c.UnPack(reinterpret_cast<const unsigned char*>(blob.data()), static_cast<int>(blob.size())), 0);
}

TEST_F(ShoeBoxTest, SetShoeBoxPointsBothArchives)
{
    RTShoeBox data, media;
    RTShoeBox* oldData = __g_ShoeBox_Data;
    RTShoeBox* oldMedia = __g_ShoeBox_Media;
    __g_ShoeBox_Data = &data;
    __g_ShoeBox_Media = &media;
    data.active = 0;
    SETSHOEBOX(DGStr("d.pak"), DGStr("m.pak"));
    EXPECT_EQ(data.archive, "d.pak");
    EXPECT_EQ(media.archive, "m.pak");
    EXPECT_EQ(data.active, 1);
    SETSHOEBOX(DGStr(""), DGStr(std::string(1500, 'x').c_str()));
    EXPECT_EQ(data.archive, "");
    EXPECT_EQ(media.archive, std::string(1500, 'x')); // a deep install keeps its path
    __g_ShoeBox_Data = oldData;
    __g_ShoeBox_Media = oldMedia;
}

} // namespace
