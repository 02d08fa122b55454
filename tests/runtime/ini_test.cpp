// INI files: parsing, lookups, changes and the file written back.
#include "runtime/ini.h"

#include <sys/stat.h>
#include <unistd.h>

#include "runtime/filesystem.h"
#include "runtime/shoebox.h"
#include "tests/runtime/files_fixture.h"
#include "tests/support/peak_memory.h"

using namespace __VELTRIC__;
using veltric_test::FilesTest;
using veltric_test::Printed;

namespace {

class IniTest : public FilesTest {
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        __g_Ini.changed = 0;
        __g_Ini.Clear();
        __g_Ini.filename = "";
    }
    void TearDown() override
    {
        __g_Ini.changed = 0;
        __g_Ini.Clear();
        __g_Ini.filename = "";
        FilesTest::TearDown();
    }
    static std::string Value(const char* section, const char* key)
    {
        return INIGET_Str(DGStr(section), DGStr(key)).c_str();
    }
    static void Open(const char* name)
    {
        Printed([&] { INIOPEN(DGStr(name)); });
    }
    static void Set(const char* section, const char* key, const char* value)
    {
        INIPUT(DGStr(section), DGStr(key), DGStr(value));
    }
};

TEST_F(IniTest, ParsesSectionsKeysCommentsAndBlanks)
{
    Put("game.ini", "top = level\n"
                    "[Main]\r\n"
                    "Name = Hero  \r\n"
                    "  ;x=1\r\n"
                    "\tSpeed=3\t\r\n"
                    "Empty =   \r\n"
                    "NoEquals here\r\n"
                    "[My Section]\n"
                    "a=1\n"
                    "[Lonely]\n"
                    "[  Spaced]  \n"
                    "b = two words\n"
                    "[]\n"
                    "c=under spaced\n"
                    "utf = caf\xc3\xa9\n");
    Open("game.ini");
    struct {
        const char *section, *key, *value;
    } cases[] = {
        {"", "top", "level"},
        {"Main", "Name", "Hero  "},
        {"main", "NAME", "Hero  "},
        {"Main", ";x", "NO_DATA"},
        {"Main", "Speed", "3"},
        {"Main", "Empty", "NO_DATA"},
        {"Main", "NoEquals", "NO_DATA"},
        {"My", "a", "1"},
        {"My Section", "a", "NO_DATA"},
        {"Spaced", "b", "two words"},
        {"Spaced", "utf", "NO_DATA"}, // under the second "Spaced", unseen
        {"Nowhere", "a", "NO_DATA"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(Value(c.section, c.key), c.value);
    }
    // A header whose section has no keys never reaches memory.
    EXPECT_EQ(__g_Ini.FindSection("Lonely"), nullptr);
    // "[]" keeps the name: its keys form a second section of that name.
    ASSERT_EQ(__g_Ini.sections.Count(), 5);
    EXPECT_STREQ(__g_Ini.sections[4]->name.c_str(), "Spaced");
    EXPECT_STREQ(__g_Ini.sections[4]->keys[1]->value.c_str(), "caf\xc3\xa9");
}

TEST_F(IniTest, ChangesAreWrittenBackWithCrLfInMemoryOrder)
{
    Put("a.ini", "[Main]\nName=Hero\nLives=3\nLevel=1\n");
    Open("a.ini");
    Set("Main", "Lives", "5");
    Set("New", "Key", "Value");
    Set("", "loose", "first");
    Open("b.ini");
    EXPECT_EQ(Get("a.ini"), "loose=first\r\n"
                            "[Main]\r\nName=Hero\r\nLives=5\r\nLevel=1\r\n"
                            "[New]\r\nKey=Value\r\n");
    // What is written reads back the same, the unnamed section included.
    Open("a.ini");
    EXPECT_EQ(Value("", "loose"), "first");
    EXPECT_EQ(Value("Main", "Name"), "Hero");
    EXPECT_EQ(Value("new", "key"), "Value");
    EXPECT_EQ(__g_Ini.sections.Count(), 3);

    // An empty value removes the key; the last key takes its place.
    Set("Main", "Name", "");
    // A key set to empty that did not exist is written as key "=".
    Set("Main", "Ghost", "");
    // An empty key removes the section, and that is a change too.
    Set("New", "", "");
    Open("a.ini");
    EXPECT_EQ(Get("a.ini"), "loose=first\r\n[Main]\r\nLevel=1\r\nLives=5\r\nGhost=\r\n");
    EXPECT_EQ(Value("Main", "Ghost"), "NO_DATA");

    Set("New", "", "");
    EXPECT_EQ(__g_Ini.changed, 0);
    Set("Main", "", "");
    EXPECT_EQ(__g_Ini.changed, 1);
    Open("a.ini");
    EXPECT_EQ(Get("a.ini"), "loose=first\r\n");
}

TEST_F(IniTest, MissingFileStartsEmptyAndIsCreatedByAChange)
{
    Open("fresh.ini");
    EXPECT_EQ(Value("S", "k"), "NO_DATA");
    EXPECT_FALSE(Exists("fresh.ini"));
    Set("S", "k", "v");
    // Reopening the same file writes it first.
    Open("fresh.ini");
    EXPECT_EQ(Get("fresh.ini"), "[S]\r\nk=v\r\n");
    EXPECT_EQ(Value("s", "K"), "v");
    // Unchanged: reading again writes nothing.
    Put("fresh.ini", "[S]\nk=other\n");
    Open("fresh.ini");
    EXPECT_EQ(Get("fresh.ini"), "[S]\nk=other\n");
}

TEST_F(IniTest, FilesAboveTheCapAreRefusedUnreadAndNeverWrittenOver)
{
    for (long long size : {kMaxTextFileBytes, kMaxTextFileBytes + 1}) {
        SCOPED_TRACE(size);
        Put("big.ini", "[S]\nk=v\n");
        ASSERT_EQ(truncate("big.ini", size), 0);
        const bool refused = size > kMaxTextFileBytes;
        const std::string printed = Printed([] { INIOPEN(DGStr("big.ini")); });
        EXPECT_EQ(Value("S", "k"), refused ? "NO_DATA" : "v");
        EXPECT_EQ(printed.find("file too large: big.ini") != std::string::npos, refused) << printed;
        // A change is not written over a refused file.
        Set("S", "k", "changed");
        Open("other.ini");
        struct stat st;
        ASSERT_EQ(stat("big.ini", &st), 0);
        EXPECT_EQ(st.st_size == size, refused);
        std::remove("big.ini");
    }
}

using testsupport::PeakMemory;

TEST_F(IniTest, ManySmallSectionsCostMemoryInProportionToTheFile)
{
    // 2 MiB of one-key sections, well under the size cap: memory grows with
    // the entries read, not by a fixed key array for every section.
    constexpr int kSections = 256 * 1024;
    std::string text;
    text.reserve(kSections * 8);
    for (int i = 0; i < kSections; ++i) text += "[a]\nb=c\n";
    text += "[last]\nk=end\n";
    Put("many.ini", text);
    const long long before = PeakMemory();
    Open("many.ini");
    const long long grown = PeakMemory() - before;
    EXPECT_EQ(__g_Ini.sections.Count(), kSections + 1);
    EXPECT_EQ(Value("last", "k"), "end");
    if (testsupport::kPeakMemoryIsExact) {
        EXPECT_LT(grown, 256LL << 20) << "bytes for " << text.size() << " bytes of file";
    }
    // A section read with one key still takes further keys.
    for (int i = 0; i < 600; ++i) Set("last", ("k" + std::to_string(i)).c_str(), "v");
    EXPECT_EQ(Value("last", "k599"), "v");
    EXPECT_EQ(__g_Ini.FindSection("last")->keys.Count(), 601);
}

TEST_F(IniTest, PackedIniIsWrittenUnderTheNameTheProgramGave)
{
    veltric_test::ArchivePacker pack;
    pack.Add("setup.ini", "[Video]\r\nWidth=640\r\n");
    pack.Layout();
    Put("game", pack.Bytes());
    RTShoeBox box;
    box.SetArchive("game");
    RTShoeBox* old = __g_ShoeBox_Data;
    __g_ShoeBox_Data = &box;

    Open("setup.ini");
    EXPECT_EQ(Value("Video", "Width"), "640");
    Set("Video", "Width", "800");
    Open("other.ini");
    EXPECT_EQ(Get("setup.ini"), "[Video]\r\nWidth=800\r\n");
    // The plain file now wins over the packed member.
    Open("setup.ini");
    EXPECT_EQ(Value("Video", "Width"), "800");
    __g_ShoeBox_Data = old;
}

TEST_F(IniTest, OverlongLineIsOneEntry)
{
    std::string longValue(1500, 'v');
    Put("long.ini", "[S]\nbig=" + longValue + "\nnext=1\n");
    Open("long.ini");
    EXPECT_EQ(Value("S", "next"), "1");
    EXPECT_EQ(__g_Ini.FindSection("S")->keys.Count(), 2);
    EXPECT_EQ(Value("S", "big"), std::string(1023 - 4, 'v'));
}

} // namespace
