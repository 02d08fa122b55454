// World files and object slots without a GL context: what a world file
// describes, loading worlds and object files into slots by their first
// bytes, saving a slot, and building objects vertex by vertex.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/world_file.h"
#include "runtime/ini.h"

using namespace __VELTRIC__;

namespace {

std::string Dir()
{
    std::string d = std::string(VELTRIC_TEST_BINARY_DIR) + "/world_files";
    mkdir(d.c_str(), 0755);
    return d;
}

void WriteText(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// One textured triangle as a text object file.
const char kTriangle[] = "DDDA 1.1\n3  0 0  1 0  0 1\n1  255 0 0  3  0 0  1 1  2 2\n"
                         "1  3  0 0 0 0 0 1  1 0 0 0 0 1  0 1 0 0 0 1\n";

struct Plan {
    WorldPlan plan;
    explicit Plan(const std::string& text, const char* name = "dir/w.ddw")
    {
        const std::string path = Dir() + "/plan.ini";
        WriteText(path, text);
        RTini ini;
        ini.Read(DGStr(path.c_str()));
        ReadWorldPlan(ini, name, plan);
    }
};

int Triangles(const X_WORLD& w, int object = 0)
{
    const MeshObjectX& o = w.objects[object].object;
    return o.frames.Count() > 0 ? o.frames[0].triangles.Count() / 3 : 0;
}

class Slots : public ::testing::Test {
protected:
    std::unique_ptr<Dedudeve3D> r = std::make_unique<Dedudeve3D>(nullptr);
    void TearDown() override { gCurObject = -1; }
};

} // namespace

TEST(WorldPlan, SectionsAndKeysMatchWithoutCaseAndCountsHoldMissingNames)
{
    Plan p("[Textures]\r\nCOUNT=2\r\n1=a.png\r\n02=b.bmp\r\n[OBJECTS]\r\ncount=2\r\n1=one.ddd\r\n");
    ASSERT_EQ(p.plan.textures.size(), 2u);
    EXPECT_EQ(p.plan.textures[0], "dir/a.png");
    EXPECT_EQ(p.plan.textures[1], "dir/NO_DATA"); // a key written 02 is not key 2
    ASSERT_EQ(p.plan.objects.size(), 2u);
    EXPECT_EQ(p.plan.objects[0].path, "dir/one.ddd");
    EXPECT_EQ(p.plan.objects[1].path, "dir/NO_DATA");
}

TEST(WorldPlan, TextureNumbersCountFromOne)
{
    Plan p("[objects]\ncount=5\n1ta=1\n1tb=3\n2ta=0\n2tb=2.9\n4ta=7\n4TB=1\n5ta=-2\n");
    struct {
        int ta, tb;
    } want[] = {{0, 2}, {0, 1}, {0, 0}, {6, 0}, {-2, 0}};
    ASSERT_EQ(p.plan.objects.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p.plan.objects[i].ta, want[i].ta) << "object " << i + 1;
        EXPECT_EQ(p.plan.objects[i].tb, want[i].tb) << "object " << i + 1;
    }
}

TEST(WorldPlan, CountsFromTheFileAreBounded)
{
    // Every section below holds five keys: its count and four more.
    struct {
        const char* count;
        size_t want;
    } cases[] = {
        {"", 0}, {"-3", 0}, {"0.5", 0}, {"abc", 0}, {"2.9", 2}, {"5", 5}, {"6", 5},
        {"1e300", 5}, {"99999999999", 5}, {"1e12", 5},
    };
    for (const auto& c : cases) {
        Plan p(std::string("[textures]\ncount=") + c.count + "\n1=a.png\n2=b.png\nx=1\ny=2\n" +
               "[objects]\n1=a.ddd\n1ta=1\n1tb=1\n2=b.ddd\ncount=" + c.count + "\n");
        EXPECT_EQ(p.plan.textures.size(), c.want) << c.count;
        EXPECT_EQ(p.plan.objects.size(), c.want) << c.count;
    }
    // Keys of a later section of the same name are not the first section's.
    Plan p("[textures]\ncount=1e12\n1=a.png\n[TEXTURES]\n2=b.png\n3=c.png\n4=d.png\n");
    EXPECT_EQ(p.plan.textures.size(), 2u);
}

TEST(WorldPlan, LargestWorldIsPlannedQuicklyWithTheFirstKeyOfEachName)
{
    // Every entry the count allows, each with its texture numbers: a few
    // megabytes of text, planned in well under a second.
    const int n = kMaxWorldEntries;
    std::string text = "[textures]\ncount=" + std::to_string(n) + "\n";
    for (int i = 1; i <= n; ++i) text += std::to_string(i) + "=t" + std::to_string(i) + ".png\n";
    text += "[objects]\ncount=" + std::to_string(n) + "\n";
    for (int i = 1; i <= n; ++i) {
        const std::string k = std::to_string(i);
        text += k + "=o" + k + ".ddd\n" + k + "ta=" + std::to_string(i % 7) + "\n" + k + "TB=2\n";
    }
    // Later keys of a name already given change nothing.
    text += "1=later.ddd\n1ta=5\n";
    const auto start = std::chrono::steady_clock::now();
    Plan p(text, "w.ddw");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(p.plan.textures.size(), static_cast<size_t>(n));
    ASSERT_EQ(p.plan.objects.size(), static_cast<size_t>(n));
    EXPECT_EQ(p.plan.textures[n - 1], "t" + std::to_string(n) + ".png");
    EXPECT_EQ(p.plan.objects[0].path, "o1.ddd");
    EXPECT_EQ(p.plan.objects[0].ta, 0);
    EXPECT_EQ(p.plan.objects[n - 1].path, "o" + std::to_string(n) + ".ddd");
    EXPECT_EQ(p.plan.objects[n - 1].ta, n % 7 - 1);
    EXPECT_EQ(p.plan.objects[n - 1].tb, 1);
    // Room for a busy machine; looked up key by key it took minutes.
    EXPECT_LT(seconds, 10.0);
}

TEST(WorldPlan, FolderIsCutAfterTheLastSeparatorOfEitherKind)
{
    struct {
        const char* file;
        const char* folder;
    } cases[] = {
        {"w.ddw", ""}, {"a/b/w.ddw", "a/b/"}, {"a\\w.ddw", "a\\"},
        {"a\\b/c\\w.ddw", "a\\b/c\\"}, {"dir/", "dir/"},
    };
    for (const auto& c : cases) EXPECT_EQ(WorldFolder(c.file), c.folder) << c.file;
    Plan p("[objects]\ncount=1\n1=x.ddd\n", "w.ddw");
    EXPECT_EQ(p.plan.objects[0].path, "x.ddd");
}

TEST_F(Slots, WorldIsRecognisedByItsFirstBytesAndLoadsObjectsFromItsFolder)
{
    const std::string sub = Dir() + "/level";
    mkdir(sub.c_str(), 0755);
    WriteText(sub + "/tri.txt", kTriangle);
    // Named like an object file; the first bytes make it a world.
    WriteText(sub + "/level.ddd",
              ";DDW world\r\n[objects]\r\ncount=3\r\n1=tri.txt\r\n1ta=2\r\n1tb=1\r\n3=TRI.TXT\r\n");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(r->LoadObject((sub + "/level.ddd").c_str(), 7));
    testing::internal::GetCapturedStdout();
    const X_WORLD& w = r->slots[7];
    EXPECT_EQ(w.loaded, 1);
    EXPECT_EQ(w.isWorld, 1);
    EXPECT_EQ(w.textures.Count(), 0);
    ASSERT_EQ(w.objects.Count(), 3);
    EXPECT_EQ(Triangles(w, 0), 1);
    EXPECT_EQ(w.objects[0].ta, 1);
    EXPECT_EQ(w.objects[0].tb, 0);
    EXPECT_EQ(w.objects[1].object.frames.Count(), 0); // named nowhere: empty
    EXPECT_EQ(Triangles(w, 2), 1);                     // found regardless of case
    EXPECT_GT(w.objects[0].object.frames[0].radius, 0.0f);

    // Loading an object file into the same slot empties the world first.
    EXPECT_TRUE(r->LoadObject((sub + "/tri.txt").c_str(), 7));
    EXPECT_EQ(w.isWorld, 0);
    ASSERT_EQ(w.objects.Count(), 1);
    EXPECT_EQ(Triangles(w), 1);
}

TEST_F(Slots, WorldClaimingAHugeCountLoadsOnlyWhatItNames)
{
    const std::string sub = Dir() + "/huge";
    mkdir(sub.c_str(), 0755);
    WriteText(sub + "/tri.txt", kTriangle);
    // Thirteen lines that claim a million million textures and objects.
    WriteText(sub + "/huge.ddw", ";DDW huge\n[textures]\ncount=1000000000000\n1=none.bmp\n"
                                 "[objects]\ncount=1000000000000\n1=tri.txt\n1ta=1\n1tb=1\n"
                                 "2=tri.txt\n3=tri.txt\n4=tri.txt\n; end\n");
    const auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(r->LoadObject((sub + "/huge.ddw").c_str(), 12));
    const std::string out = testing::internal::GetCapturedStdout();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 1.0);
    const X_WORLD& w = r->slots[12];
    EXPECT_EQ(w.textures.Count(), 2); // the count and one name
    ASSERT_EQ(w.objects.Count(), 7);  // the count and six more keys
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Triangles(w, i), 1) << i;
    size_t noData = 0;
    for (size_t at = out.find("NO_DATA"); at != std::string::npos; at = out.find("NO_DATA", at + 1)) ++noData;
    EXPECT_LT(noData, 50u) << out.substr(0, 2000); // a few lines for each of four missing names
}

TEST_F(Slots, MissingOrEmptyFilesLeaveTheSlotEmpty)
{
    const std::string missing = Dir() + "/no_such_object.ddd";
    r->UserObjectStart(3, 1);
    for (int i = 0; i < 4; ++i) r->UserObjectAddVertex(i & 1, i >> 1, 0, 0, 0, 0xFFFFFF);
    r->UserObjectEnd();
    ASSERT_EQ(r->slots[3].loaded, 1);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(r->LoadObject(missing.c_str(), 3));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("request: fopen(\"" + missing + "\", \"rb\") failed\n"), std::string::npos) << out;
    EXPECT_EQ(r->slots[3].loaded, 0);
    ASSERT_EQ(r->slots[3].objects.Count(), 1);
    EXPECT_EQ(r->slots[3].objects[0].object.frames.Count(), 0);

    // Shorter than the world marker, and a world file with nothing in it.
    WriteText(Dir() + "/short.ddd", ";DD");
    WriteText(Dir() + "/empty.ddw", ";DDW");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(r->LoadObject((Dir() + "/short.ddd").c_str(), 4));
    EXPECT_TRUE(r->LoadObject((Dir() + "/empty.ddw").c_str(), 5));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(r->slots[4].loaded, 0);
    EXPECT_EQ(r->slots[5].loaded, 1);
    EXPECT_EQ(r->slots[5].isWorld, 1);
    EXPECT_EQ(r->slots[5].objects.Count(), 0);

    for (int slot : {-1, Dedudeve3D::kSlotCount, 1 << 30}) EXPECT_FALSE(r->LoadObject(missing.c_str(), slot));
}

TEST_F(Slots, BuiltGroupsGiveTheirTriangles)
{
    struct {
        int kind;
        int vertices;
        int triangles;
    } cases[] = {
        {1, 4, 2}, // strip
        {0, 6, 2}, // separate triangles
        {2, 5, 3}, // fan
        {7, 3, 1}, // any other kind is a strip
        {1, 2, 0}, // too few for a triangle
        {1, 0, 0},
    };
    for (const auto& c : cases) {
        r->UserObjectStart(10, c.kind);
        for (int i = 0; i < c.vertices; ++i)
            r->UserObjectAddVertex(static_cast<float>(i), static_cast<float>(i % 2), static_cast<float>(i % 3),
                                   0, 0, 0x00FF00);
        r->UserObjectEnd();
        const X_WORLD& w = r->slots[10];
        EXPECT_EQ(w.loaded, 1) << "kind " << c.kind << ", " << c.vertices << " vertices";
        EXPECT_EQ(w.isWorld, 0);
        ASSERT_EQ(w.objects.Count(), 1);
        EXPECT_EQ(Triangles(w), c.triangles) << "kind " << c.kind << ", " << c.vertices << " vertices";
        EXPECT_EQ(gCurObject, -1);
    }

    // A new group inside one object: a strip of 4 then separate triangles of 3.
    r->UserObjectStart(11, 1);
    for (int i = 0; i < 4; ++i) r->UserObjectAddVertex(i & 1, i >> 1, 0, 0, 0, 0xFF);
    r->UserObjectNewGroup(0);
    for (int i = 0; i < 3; ++i) r->UserObjectAddVertex(5 + (i & 1), i >> 1, 1, 0, 0, 0xFF);
    r->UserObjectEnd();
    EXPECT_EQ(Triangles(r->slots[11]), 3);
}

TEST_F(Slots, VertexColoursAndSeparators)
{
    r->UserObjectStart(12, 0);
    struct {
        unsigned long colour;
        float r, g, b;
    } cases[] = {
        {0x000000FF, 1, 0, 0}, {0x00FF0000, 0, 0, 1}, {0x00336699, 0x99 / 255.f, 0x66 / 255.f, 0x33 / 255.f},
        {0xFFFFFFFD, 1, 1, 1}, {0xFFFFFFFC, 1, 1, 1},
    };
    for (const auto& c : cases) r->UserObjectAddVertex(1, 2, 3, .25f, .5f, c.colour);
    r->UserObjectNewGroup(2);
    const Queue<POLY_NODE>& v = r->slots[12].objects[0].object.frames[0].vertices;
    ASSERT_EQ(v.Count(), 7);
    EXPECT_EQ(v[0].colour, MESH_LIST);
    EXPECT_EQ(v[6].colour, MESH_FAN);
    for (int i : {0, 6}) EXPECT_EQ(v[i].pos[0] + v[i].u + v[i].r + v[i].g + v[i].b, 3.0f);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(v[i + 1].colour, static_cast<std::uint32_t>(cases[i].colour));
        EXPECT_FLOAT_EQ(v[i + 1].r, cases[i].r) << i;
        EXPECT_FLOAT_EQ(v[i + 1].g, cases[i].g) << i;
        EXPECT_FLOAT_EQ(v[i + 1].b, cases[i].b) << i;
        EXPECT_EQ(v[i + 1].pos[2], 3.0f);
        EXPECT_EQ(v[i + 1].v, .5f);
    }
}

TEST_F(Slots, CallsOutsideABuildTouchNoSlot)
{
    // Nothing started, and a start on a slot outside the table.
    r->UserObjectAddVertex(1, 1, 1, 0, 0, 0);
    r->UserObjectNewGroup(1);
    r->UserObjectEnd();
    for (int slot : {-1, Dedudeve3D::kSlotCount}) {
        r->UserObjectStart(slot, 1);
        EXPECT_EQ(gCurObject, -1);
        for (int i = 0; i < 4; ++i) r->UserObjectAddVertex(i & 1, i >> 1, 0, 0, 0, 0);
        r->UserObjectEnd();
    }
    for (int s = 0; s < Dedudeve3D::kSlotCount; ++s) ASSERT_EQ(r->slots[s].loaded, 0) << s;

    // Starting another slot mid-build leaves the first unfinished: it draws nothing.
    r->UserObjectStart(20, 1);
    for (int i = 0; i < 4; ++i) r->UserObjectAddVertex(i & 1, i >> 1, 0, 0, 0, 0);
    r->UserObjectStart(21, 1);
    for (int i = 0; i < 4; ++i) r->UserObjectAddVertex(i & 1, i >> 1, 0, 0, 0, 0);
    r->UserObjectEnd();
    EXPECT_EQ(r->slots[20].loaded, 0);
    EXPECT_EQ(Triangles(r->slots[20]), 0);
    EXPECT_EQ(Triangles(r->slots[21]), 2);
}

TEST_F(Slots, SavedSlotLoadsBackAndSaveAlwaysReportsSuccess)
{
    r->UserObjectStart(30, 1);
    for (int i = 0; i < 6; ++i) r->UserObjectAddVertex(i & 1, i >> 1, i * .5f, i * .1f, 0, 0x0000FF);
    r->UserObjectEnd();
    const std::string path = Dir() + "/saved.ddd";
    std::remove(path.c_str());
    EXPECT_TRUE(r->SaveObject(path.c_str(), 30));
    EXPECT_TRUE(r->LoadObject(path.c_str(), 31));
    EXPECT_EQ(Triangles(r->slots[31]), 4);
    EXPECT_EQ(r->slots[31].objects[0].object.frames[0].radius, r->slots[30].objects[0].object.frames[0].radius);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(r->SaveObject((Dir() + "/no/such/dir/x.ddd").c_str(), 30));
    EXPECT_TRUE(r->SaveObject(path.c_str(), 40)); // never held an object
    EXPECT_TRUE(r->SaveObject(path.c_str(), -5));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(r->LoadObject(path.c_str(), 31)); // the file was left as written
}
