// File and directory commands.
#include "runtime/file_cmds.h"

#include <dirent.h>
#include <sys/stat.h>

#include "tests/runtime/files_fixture.h"

using namespace __VELTRIC__;
using veltric_test::FilesTest;
using veltric_test::Printed;

namespace {

TEST(WildMatchTest, Patterns)
{
    struct {
        const char *pattern, *name;
        bool match;
    } cases[] = {
        {"*.png", "a.png", true},    {"*.png", "B.PNG", true},   {"*.png", "a.png.txt", false},
        {"?.txt", "a.txt", true},    {"?.txt", "ab.txt", false}, {"a?b", "a.b", false},
        {"a?b", "axb", true},        {"*", "anything", true},    {"*", "", true},
        {"", "a", false},            {"", "", true},             {"**", "", true},
        {"a**b", "ab", true},        {"a*b*c", "aXbYbZc", true}, {"a*b*c", "aXbYbZ", false},
        {"*a*", "bab", true},        {"*.*", "noext", false},    {"*?", "x", true},
        {"*?", ".", false},          {"DATA*", "data01.bin", true},
        {"*ab", "aab", true},        {"*aab", "aaab", true},
    };
    for (auto& c : cases)
        EXPECT_EQ(szWildMatch(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

class FileCmdsTest : public FilesTest {};

TEST_F(FileCmdsTest, FileListHoldsDirectoriesThenMatchingFilesInDirectoryOrder)
{
    std::filesystem::create_directory("art");
    Put("a.png", "1");
    Put("B.PNG", "2");
    Put("notes.txt", "3");
    // The order the system gives.
    std::vector<std::string> dirs, files;
    DIR* d = opendir(".");
    ASSERT_NE(d, nullptr);
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (std::filesystem::is_directory(n))
            dirs.push_back(n);
        else if (n != "notes.txt")
            files.push_back(n);
    }
    closedir(d);
    ASSERT_EQ(dirs.size(), 4u); // ., .., art and the fixture's tmp
    ASSERT_EQ(files.size(), 2u);

    DGArray<DGStr> list;
    EXPECT_EQ(GETFILELIST(DGStr("*.png"), list), 4 * 65536 + 2);
    ASSERT_EQ(list.Count(), 6);
    std::vector<std::string> got;
    for (int i = 0; i < 6; ++i) got.push_back(list(i).c_str());
    std::vector<std::string> want = dirs;
    want.insert(want.end(), files.begin(), files.end());
    EXPECT_EQ(got, want);

    EXPECT_EQ(GETFILELIST(DGStr(""), list), 4 * 65536);
    EXPECT_EQ(GETFILELIST(DGStr("*"), list), 4 * 65536 + 3);
    EXPECT_TRUE(IsDirectory("art"));
    EXPECT_FALSE(IsDirectory("a.png"));
    EXPECT_FALSE(IsDirectory("nothing"));
}

TEST_F(FileCmdsTest, CopyFileCopiesWholeAndNeverOntoItsSource)
{
    std::string big;
    for (int i = 0; big.size() < 10000; ++i) big += static_cast<char>(i * 7);
    big.resize(10000);
    Put("src.bin", big);
    Printed([] { COPYFILE(DGStr("SRC.BIN"), DGStr("copy.bin")); });
    EXPECT_EQ(Get("copy.bin"), big);
    Put("empty.bin", "");
    Printed([] { COPYFILE(DGStr("empty.bin"), DGStr("copy2.bin")); });
    EXPECT_TRUE(Exists("copy2.bin"));
    EXPECT_EQ(Get("copy2.bin"), "");

    // The target resolves onto the source: nothing is written, nothing lost.
    Put("a.txt", "precious");
    for (const char* to : {"A.TXT", "a.txt", "./a.txt"}) {
        Printed([&] { COPYFILE(DGStr("a.txt"), DGStr(to)); });
        EXPECT_EQ(Get("a.txt"), "precious") << to;
    }
    // A hard link is the same file too.
    ASSERT_EQ(::link("a.txt", "link.txt"), 0);
    Printed([] { COPYFILE(DGStr("a.txt"), DGStr("LINK.txt")); });
    EXPECT_EQ(Get("a.txt"), "precious");

    // A missing source copies nothing and creates nothing.
    Printed([] { COPYFILE(DGStr("none.bin"), DGStr("out.bin")); });
    EXPECT_FALSE(Exists("out.bin"));
    // A target that cannot be written is reported.
    std::string printed = Printed([] { COPYFILE(DGStr("a.txt"), DGStr("nodir/out.bin")); });
    EXPECT_NE(printed.find("can't write to file: nodir/out.bin\n"), std::string::npos);
}

TEST_F(FileCmdsTest, ExistenceSizeAndDeletion)
{
    Put("readme", "12345");
    double r = 0;
    Printed([&] { r = DOESFILEEXIST(DGStr("README")); });
    EXPECT_EQ(r, 1.0);
    Printed([&] { r = DOESFILEEXIST(DGStr("nothing")); });
    EXPECT_EQ(r, 0.0);
    Printed([&] { r = GETFILESIZE(DGStr("ReadMe")); });
    EXPECT_EQ(r, 5.0);
    Printed([&] { r = GETFILESIZE(DGStr("nothing")); });
    EXPECT_EQ(r, 0.0);
    // Deletion takes the name as given.
    EXPECT_EQ(KILLFILE(DGStr("README")), -1.0);
    EXPECT_TRUE(Exists("readme"));
    EXPECT_EQ(KILLFILE(DGStr("readme")), 0.0);
    EXPECT_FALSE(Exists("readme"));
}

TEST_F(FileCmdsTest, CurrentDirectoryComesBackWholeWithAFinalSlash)
{
    // Deeper than any fixed 260-byte buffer.
    std::string deep = m_root;
    for (int i = 0; i < 12; ++i) deep += "/directory_level_" + std::to_string(i) + "_padding";
    std::filesystem::create_directories(deep);
    ASSERT_GT(deep.size(), 300u);
    std::string printed = Printed([&] { EXPECT_EQ(SETCURRENTDIR(DGStr(deep.c_str())), 1.0); });
    EXPECT_EQ(printed, "chdir(\"" + deep + "\") = 1\n");
    EXPECT_EQ(std::string(GETCURRENTDIR_Str().c_str()), deep + "/");

    printed = Printed([&] { EXPECT_EQ(SETCURRENTDIR(DGStr("/")), 1.0); });
    EXPECT_EQ(std::string(GETCURRENTDIR_Str().c_str()), "/");
    printed = Printed([&] { EXPECT_EQ(SETCURRENTDIR(DGStr("/no/such/dir")), 0.0); });
    EXPECT_EQ(printed, "chdir(\"/no/such/dir\") = 0\n");
    EXPECT_EQ(std::string(GETCURRENTDIR_Str().c_str()), "/");
}

} // namespace
