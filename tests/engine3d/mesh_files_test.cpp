// Binary and text object files: round trips, refused and damaged files, and
// the text grammar with its comments.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine3d/mesh_object.h"
#include "engine3d/mesh_text.h"
#include "mesh_fixture.h"
#include "tests/support/peak_memory.h"

using namespace __VELTRIC__;
using mesh_test::BuildCompressed;
using mesh_test::Vtx;

namespace {

std::string TempPath(const char* name) { return std::string(VELTRIC_TEST_BINARY_DIR) + "/mesh_" + name; }

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteFile(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::vector<unsigned char> out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return out;
}

// Little-endian pieces of a binary file.
struct Bytes {
    std::vector<unsigned char> b;
    Bytes& u32(std::uint32_t x)
    {
        for (int s = 0; s < 32; s += 8) b.push_back(static_cast<unsigned char>(x >> s));
        return *this;
    }
    Bytes& f32(float f)
    {
        std::uint32_t x;
        std::memcpy(&x, &f, 4);
        return u32(x);
    }
    Bytes& f64(double d)
    {
        std::uint64_t x;
        std::memcpy(&x, &d, 8);
        u32(static_cast<std::uint32_t>(x));
        return u32(static_cast<std::uint32_t>(x >> 32));
    }
    Bytes& u8(std::initializer_list<int> xs)
    {
        for (int x : xs) b.push_back(static_cast<unsigned char>(x));
        return *this;
    }
    Bytes& header(std::uint32_t frames, std::uint32_t colours, std::uint32_t pairs, double version = 1.02)
    {
        return u32(0x00C6B317).f64(version).u32(frames).u32(colours).u32(pairs);
    }
};

// One frame of one separator and one red triangle: the smallest whole file.
Bytes OneTriangle()
{
    Bytes b;
    b.header(1, 2, 4).u32(0xFFFFFFFF).u32(0x000000FF);
    for (int i = 0; i < 4; ++i) b.f32(0.5f * i).f32(0.25f);
    b.u32(4).f32(1).f32(2).f32(3).f32(0.5f).f32(0.25f).f32(2);
    b.u8({0, 0, 0, 0, 0, 10, 20, 30, 5, 1, 40, 50, 60, 161, 1, 70, 80, 90, 84, 1});
    return b;
}

struct Loaded {
    bool ok;
    std::string out;
};

Loaded LoadCapture(MeshObject& m, const std::string& path, bool expand = false)
{
    testing::internal::CaptureStdout();
    bool ok = m.Load(path.c_str(), expand);
    return Loaded{ok, testing::internal::GetCapturedStdout()};
}

TEST(MeshBinary, LayoutIsLittleEndianAndRoundTrips)
{
    MeshObjectX m;
    BuildCompressed(m, {Vtx(0, 0, 0, MESH_FAN), Vtx(-1, 2, 3, 0x000000FF, 0, 0, 1, 0.5f, 0.75f),
                        Vtx(4, 5, 6, 0x0000FF00, 1, 0, 0, 1, 0), Vtx(7, -8, 9, 0x000000FF, 0, 1, 0, 0, 1)});
    m.frames.Push(m.frames[0]);
    m.frames[1].offset[0] = 42;
    m.frames[0].points[1].basis1 = 7; // basis indices are not stored
    const std::string path = TempPath("roundtrip.ddd");
    WriteText(path, "an older, longer file that Save must replace entirely.........................");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(m.Save(path.c_str()));
    testing::internal::GetCapturedStdout();

    std::vector<unsigned char> file = ReadFile(path);
    const unsigned char head[] = {0x17, 0xB3, 0xC6, 0x00, 0x52, 0xB8, 0x1E, 0x85, 0xEB, 0x51, 0xF0, 0x3F,
                                  2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0};
    ASSERT_GE(file.size(), sizeof head);
    EXPECT_EQ(0, std::memcmp(file.data(), head, sizeof head));
    EXPECT_EQ(file.size(), 24u + 3 * 4 + 4 * 8 + 2 * (28 + 4 * 5));

    MeshObjectX back;
    Loaded r = LoadCapture(back, path);
    ASSERT_TRUE(r.ok) << r.out;
    EXPECT_EQ(back.normalsReady, 1u);
    ASSERT_EQ(back.frames.Count(), 2);
    ASSERT_EQ(back.colours.Count(), m.colours.Count());
    for (int i = 0; i < m.colours.Count(); ++i) EXPECT_EQ(back.colours[i], m.colours[i]);
    ASSERT_EQ(back.u.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(back.u[i], m.u[i]);
        EXPECT_EQ(back.v[i], m.v[i]);
    }
    for (int f = 0; f < 2; ++f) {
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(back.frames[f].offset[a], m.frames[f].offset[a]);
            EXPECT_EQ(back.frames[f].scale[a], m.frames[f].scale[a]);
        }
        for (int i = 0; i < 4; ++i) {
            const XPOLY_NODE& a = m.frames[f].points[i];
            const XPOLY_NODE& b = back.frames[f].points[i];
            EXPECT_EQ(0, std::memcmp(a.pos, b.pos, 3));
            EXPECT_EQ(a.colour, b.colour);
            if (m.colours[a.colour] < MESH_WHITE) {
                EXPECT_EQ(a.normal, b.normal);
            }
            EXPECT_EQ(b.basis1, 0);
            EXPECT_EQ(b.basis2, 0);
        }
    }
}

TEST(MeshBinary, ExpandFillsOneVertexPerPoint)
{
    const std::string path = TempPath("expand.ddd");
    WriteFile(path, OneTriangle().b);
    MeshObject m;
    Loaded r = LoadCapture(m, path, true);
    ASSERT_TRUE(r.ok) << r.out;
    const POLY_FRAME& f = m.frames[0];
    ASSERT_EQ(f.vertices.Count(), 4);
    EXPECT_FLOAT_EQ(f.vertices[1].pos[0], (10 - 1) * 0.5f);
    EXPECT_FLOAT_EQ(f.vertices[1].v, -0.25f);
    EXPECT_EQ(f.vertices[1].colour, 0x000000FFu);
    EXPECT_EQ(f.vertices[0].colour, MESH_LIST);
}

TEST(MeshBinary, HeaderOnlyIsAnEmptyObject)
{
    const std::string path = TempPath("empty.ddd");
    WriteFile(path, Bytes().header(0, 0, 0).b);
    MeshObject m;
    Loaded r = LoadCapture(m, path);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(m.frames.Count(), 0);
    EXPECT_EQ(m.normalsReady, 1u);
    EXPECT_EQ(r.out, "");
}

TEST(MeshBinary, RefusedFilesLeaveTheObjectEmpty)
{
    std::vector<unsigned char> whole = OneTriangle().b;
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        const char* lines;  // before the file name
    } cases[] = {
        {"version 1.01", Bytes().header(0, 0, 0, 1.01).b, "Wrong .ddd version.\n# read error\n"},
        {"version 1.03", Bytes().header(0, 0, 0, 1.03).b, "Wrong .ddd version.\n# read error\n"},
        {"three bytes", {0x17, 0xB3, 0xC6}, "# read error\n"},
        {"no file body", {}, "# read error\n"},
        {"points cut short", std::vector<unsigned char>(whole.begin(), whole.end() - 3), "# read error\n"},
        {"colour count beyond the file", Bytes().header(0, 0x40000000, 0).b, "# read error\n"},
        {"pair count beyond the file", Bytes().header(0, 0, 0xFFFFFFFF).u32(0).b, "# read error\n"},
        {"frame count beyond the file", Bytes().header(0x7FFFFFFF, 0, 0).b, "# read error\n"},
        {"point count beyond the file",
         Bytes().header(1, 1, 0).u32(0).u32(0xFFFFFFFF).f32(0).f32(0).f32(0).f32(1).f32(1).f32(1).u8({1, 2, 3, 4, 0}).b,
         "# read error\n"},
        {"colour index beyond the list",
         Bytes().header(1, 1, 0).u32(0).u32(1).f32(0).f32(0).f32(0).f32(1).f32(1).f32(1).u8({1, 2, 3, 4, 1}).b,
         "# read error\n"},
        {"normal index beyond the table",
         Bytes().header(1, 1, 0).u32(0).u32(1).f32(0).f32(0).f32(0).f32(1).f32(1).f32(1).u8({1, 2, 3, 162, 0}).b,
         "# read error\n"},
    };
    for (const Case& c : cases) {
        const std::string path = TempPath("refused.ddd");
        WriteFile(path, c.bytes);
        MeshObjectX m;
        BuildCompressed(m, {Vtx(0, 0, 0), Vtx(1, 1, 1)}); // something to replace
        Loaded r = LoadCapture(m, path);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.out, std::string(c.lines) + path + "\n") << c.what;
        EXPECT_EQ(m.frames.Count(), 0) << c.what;
        EXPECT_EQ(m.colours.Count(), 0) << c.what;
        EXPECT_EQ(m.normalsReady, 0u) << c.what;
    }
}

using testsupport::PeakMemory;

TEST(MeshBinary, LargeFilesAreJudgedBeforeTheyAreRead)
{
    // Sparse files: one above the 256 MiB cap with a sound header, one
    // under it whose counts need 4 GiB. Both are refused from their size and
    // header alone; neither is read into memory.
    struct Case {
        const char* what;
        std::vector<unsigned char> head;
        long long size;
    } cases[] = {
        {"above the cap", Bytes().header(0, 0, 0).b, (256LL << 20) + 1},
        {"counts beyond the size", Bytes().header(0, 0x40000000, 0).b, 200LL << 20},
        {"text above the cap", {'D', 'D', 'D', 'A'}, 300LL << 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = TempPath("large.ddd");
        WriteFile(path, c.head);
        ASSERT_EQ(truncate(path.c_str(), c.size), 0);
        const long long before = PeakMemory();
        MeshObject m;
        Loaded r = LoadCapture(m, path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.out, "# read error\n" + path + "\n");
        EXPECT_LT(PeakMemory() - before, 32LL << 20);
        std::remove(path.c_str());
    }
}

TEST(MeshBinary, SeparatorPointsMayCarryAnyNormalByte)
{
    Bytes b;
    b.header(1, 2, 0).u32(0xFFFFFFFE).u32(0x000000FF);
    b.u32(1).f32(0).f32(0).f32(0).f32(1).f32(1).f32(1).u8({1, 2, 3, 250, 0});
    const std::string path = TempPath("sepnormal.ddd");
    WriteFile(path, b.b);
    MeshObject m;
    Loaded r = LoadCapture(m, path);
    EXPECT_TRUE(r.ok) << r.out;
    EXPECT_LT(m.frames[0].points[0].normal, MESH_NORMAL_COUNT);
}

TEST(MeshBinary, MissingFileAndUnwritableFile)
{
    MeshObject m;
    const std::string missing = TempPath("no_such_object.ddd");
    Loaded r = LoadCapture(m, missing);
    EXPECT_FALSE(r.ok);
    const std::string line = "request: fopen(\"" + missing + "\", \"rb\") failed\n";
    ASSERT_GE(r.out.size(), line.size());
    EXPECT_EQ(r.out.substr(r.out.size() - line.size()), line);

    const std::string unwritable = TempPath("no_such_dir/obj.ddd");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(m.Save(unwritable.c_str()));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("can't write to file: " + unwritable + "\n"), std::string::npos) << out;
}

TEST(MeshBinary, FailedWritesAndClosesAreReported)
{
    MeshObjectX m;
    BuildCompressed(m, {Vtx(0, 0, 0, MESH_FAN), Vtx(-1, 2, 3, 0x000000FF), Vtx(4, 5, 6, 0x0000FF00),
                        Vtx(7, -8, 9, 0x000000FF)});
    const std::string dir = TempPath("save_into_dir");
    std::remove(dir.c_str());
    ASSERT_EQ(mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST, true);
    struct Case {
        const char* what;
        std::string path;
        mode_t type; // what the name must still be afterwards
    } cases[] = {
        {"a full device", "/dev/full", S_IFCHR},
        {"an empty directory", dir, S_IFDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        struct stat st;
        ASSERT_EQ(stat(c.path.c_str(), &st), 0) << c.path;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(m.Save(c.path.c_str()));
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("can't write to file: " + c.path + "\n"), std::string::npos) << out;
        ASSERT_EQ(stat(c.path.c_str(), &st), 0) << "the name is gone";
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
    }
    rmdir(dir.c_str());

    // A file that can be written still is, replacing the old one.
    const std::string file = TempPath("save_ok.ddd");
    WriteText(file, "old contents that are longer than nothing");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(m.Save(file.c_str()));
    testing::internal::GetCapturedStdout();
    Queue<std::uint8_t> bytes;
    m.SaveToMemory(bytes);
    EXPECT_EQ(ReadFile(file), std::vector<unsigned char>(bytes.Items(), bytes.Items() + bytes.Count()));
}

// The text example: a red textured triangle in one frame.
const char kTriangle[] = "DDDA 1.1\n3  0 0  1 0  0 1\n1  255 0 0  3  0 0  1 1  2 2\n"
                         "1  3  0 0 0 0 0 1  1 0 0 0 0 1  0 1 0 0 0 1\n";

TEST(MeshText, ExampleLoadsAsOneFanTriangle)
{
    const std::string path = TempPath("triangle.ddd");
    WriteText(path, kTriangle);
    MeshObjectX m;
    Loaded r = LoadCapture(m, path);
    ASSERT_TRUE(r.ok) << r.out;
    EXPECT_EQ(m.normalsReady, 0u);
    ASSERT_EQ(m.frames.Count(), 1);
    ASSERT_EQ(m.frames[0].points.Count(), 4); // the fan separator and three corners
    ASSERT_EQ(m.colours.Count(), 2);
    EXPECT_EQ(m.colours[0], MESH_FAN);
    EXPECT_EQ(m.colours[1], 0x000000FFu);
    EXPECT_EQ(m.u[2], 1.0f);
    EXPECT_EQ(m.v[3], 1.0f);
    m.PrepareTriangles();
    ASSERT_EQ(m.firstFrameTriangles.Count(), 3);
    EXPECT_NEAR(m.firstFrameTriangles[1].pos[0], 1.0f, 1e-6);
    EXPECT_NEAR(m.firstFrameTriangles[2].pos[1], 1.0f, 1e-6);
    EXPECT_FLOAT_EQ(m.firstFrameTriangles[2].v, -1.0f);
    EXPECT_FLOAT_EQ(m.firstFrameTriangles[0].normal[2], 1.0f);
}

struct Parsed {
    bool ok;
    DDD_ascii reader;
    MeshObject mesh;
};

void ParseText(Parsed& p, const std::string& text)
{
    p.ok = p.reader.Parse(text.data(), text.size());
    if (p.ok) p.reader.Make(p.mesh);
}

TEST(MeshText, HeaderAndVersion)
{
    struct Case {
        const char* text;
        bool ok;
        int numbersPerVertex;
    } cases[] = {
        {"DDDA 1.1 0 0 1 1 1 2 3 4 5 6", true, 6},
        {"DDDA 1.0 0 0 1 2 1 2 3 4 5 6", true, 3},
        {"DDDA 1.2 0 0 0", false, 0},
        {"ddda 1.1 0 0 0", false, 0},
        {"DDDAX 1.1 0 0 0", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        Parsed p;
        ParseText(p, c.text);
        EXPECT_EQ(p.ok, c.ok) << c.text;
        if (!c.ok) continue;
        ASSERT_EQ(p.reader.frames.Count(), 1) << c.text;
        const DDD_ascii::Frame& f = p.reader.frames[0];
        ASSERT_EQ(f.vertices.Count(), c.numbersPerVertex == 6 ? 1 : 2) << c.text;
        EXPECT_EQ(f.vertices[0].nz, c.numbersPerVertex == 6 ? 6.0f : 0.0f) << c.text;
    }
}

TEST(MeshText, CommentsSeparateTokens)
{
    Parsed p;
    ParseText(p, "# a header comment\nDDDA#right after the magic\n1.1 0#no blank before\n0 # nothing\r\n"
                 "1 2 7.5#x\n8 9#y\n1 0 0 \t 2 0 0 # end without line feed");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.reader.frames.Count(), 1);
    const DDD_ascii::Frame& f = p.reader.frames[0];
    ASSERT_EQ(f.vertices.Count(), 2);
    EXPECT_EQ(f.vertices[0].x, 7.5f);
    EXPECT_EQ(f.vertices[0].y, 8.0f);
    EXPECT_EQ(f.vertices[0].z, 9.0f);
    EXPECT_EQ(f.vertices[0].nx, 1.0f);
    EXPECT_EQ(f.vertices[1].x, 2.0f);
    EXPECT_EQ(f.vertices[1].nx, 0.0f);
}

TEST(MeshText, CommentsOfAnyLengthEndAtTheLineFeed)
{
    // The comment is made of numbers, so any part of it that were parsed
    // would add faces and vertices.
    for (size_t length : {10u, 511u, 512u, 513u, 600u, 5000u}) {
        for (const char* end : {"\n", "\r\n"}) {
            SCOPED_TRACE(testing::Message() << length << " characters, end " << (end[1] ? "CR LF" : "LF"));
            std::string comment = "#";
            while (comment.size() < length) comment += " 3 1 2 3";
            comment.resize(length);
            Parsed p;
            ParseText(p, "DDDA 1.1 0 " + comment + end + "1  255 0 0  3  0 0  1 0  2 0  " + comment + end +
                             "1 3  0 0 0 0 0 1  1 0 0 0 0 1  0 1 0 0 0 1 " + comment);
            ASSERT_TRUE(p.ok);
            ASSERT_EQ(p.reader.faces.Count(), 1);
            EXPECT_EQ(p.reader.faces[0].r, 255);
            ASSERT_EQ(p.reader.frames.Count(), 1);
            ASSERT_EQ(p.reader.frames[0].vertices.Count(), 3);
            EXPECT_EQ(p.reader.frames[0].vertices[1].x, 1.0f);
            EXPECT_EQ(p.reader.frames[0].vertices[2].y, 1.0f);
        }
    }
}

TEST(MeshText, FacesBecomeFansOfTheirCorners)
{
    Parsed p;
    // A square (four corners), a two-corner face and a triangle; no texture
    // coordinates; two frames.
    ParseText(p, "DDDA 1.0 0 3  0 0 255 4 0 0 1 0 2 0 3 0  9 9 9 2 0 0 1 0  1 2 3 3 0 0 1 0 2 0 "
                 "2  4 0 0 0 1 0 0 1 1 0 0 1 0  4 0 0 5 1 0 5 1 1 5 0 1 5");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.mesh.frames.Count(), 2);
    for (int f = 0; f < 2; ++f) {
        const POLY_FRAME& fr = p.mesh.frames[f];
        ASSERT_EQ(fr.vertices.Count(), 5 + 3 + 4);
        EXPECT_EQ(fr.vertices[0].colour, MESH_FAN);
        EXPECT_EQ(fr.vertices[0].r, 1.0f);
        EXPECT_EQ(fr.vertices[1].colour, 0x00FF0000u);
        EXPECT_EQ(fr.vertices[1].b, 1.0f);
        EXPECT_EQ(fr.vertices[5].colour, MESH_FAN);
        EXPECT_EQ(fr.vertices[6].colour, 0x00090909u);
        EXPECT_EQ(fr.vertices[9].colour, 0x00030201u);
        EXPECT_EQ(fr.vertices[3].pos[0], 1.0f);
        EXPECT_EQ(fr.vertices[3].pos[2], f == 0 ? 0.0f : 5.0f);
        for (int i = 0; i < fr.vertices.Count(); ++i) {
            EXPECT_EQ(fr.vertices[i].u, 0.0f);
            EXPECT_EQ(fr.vertices[i].v, 0.0f);
        }
    }
    MeshObjectX x;
    const std::string path = TempPath("faces.ddd");
    WriteText(path, "DDDA 1.0 0 3  0 0 255 4 0 0 1 0 2 0 3 0  9 9 9 2 0 0 1 0  1 2 3 3 0 0 1 0 2 0 "
                    "1  4 0 0 0 1 0 0 1 1 0 0 1 0");
    ASSERT_TRUE(LoadCapture(x, path).ok);
    x.PrepareTriangles();
    EXPECT_EQ(x.firstFrameTriangles.Count(), 3 * 3); // square: two, two corners: none, triangle: one
}

TEST(MeshText, IndicesOutsideTheirListsReadZero)
{
    Parsed p;
    ParseText(p, "DDDA 1.0 1 0.5 0.5 1 10 20 30 3 0 0 7 3 -1 -9 1 1 4 4 4");
    ASSERT_TRUE(p.ok);
    const POLY_FRAME& f = p.mesh.frames[0];
    ASSERT_EQ(f.vertices.Count(), 4);
    EXPECT_EQ(f.vertices[1].pos[0], 4.0f);
    EXPECT_EQ(f.vertices[1].u, 0.5f);
    EXPECT_EQ(f.vertices[2].pos[0], 0.0f);
    EXPECT_EQ(f.vertices[2].u, 0.0f);
    EXPECT_EQ(f.vertices[3].pos[0], 0.0f);
}

TEST(MeshText, TruncatedFilesYieldWhatWasRead)
{
    struct Case {
        const char* text;
        int faces, frames, vertices;
    } cases[] = {
        {"DDDA 1.1 0 2 1 2 3 3 0 0 1 0", 1, 0, 0},           // ends inside the face list
        {"DDDA 1.1 0 1 1 2 3 3 0 0 1 1 2 2 1 3 0 0 0", 1, 1, 1}, // ends inside a frame
        {"DDDA 1.1 0 0 1000000000", 0, 1, 0},                 // a count the file never holds
        {"DDDA 1.1 1e30 1e30", 0, 0, 0},
        {"DDDA 1.1 0 1 0 0 0 nan 1 3", 1, 1, 1},
    };
    for (const Case& c : cases) {
        Parsed p;
        ParseText(p, c.text);
        ASSERT_TRUE(p.ok) << c.text;
        EXPECT_EQ(p.reader.faces.Count(), c.faces) << c.text;
        EXPECT_EQ(p.reader.frames.Count(), c.frames) << c.text;
        if (c.frames > 0) {
            EXPECT_EQ(p.reader.frames[0].vertices.Count(), c.vertices) << c.text;
        }
    }
}

TEST(MeshText, FramesTimesFacesBeyondMemoryIsRefused)
{
    // A few kilobytes asking for 2,000 faces of 1,000 corners in 20,000 frames.
    std::string text = "DDDA 1.0 0 2000 ";
    for (int i = 0; i < 2000; ++i) text += i == 0 ? "1 1 1 1000 " : "1 1 1 0 ";
    for (int i = 0; i < 1000; ++i) text += "0 0 ";
    text += "20000 ";
    for (int i = 0; i < 20000; ++i) text += "0 ";
    const std::string path = TempPath("blowup.ddd");
    WriteText(path, text);
    MeshObject m;
    Loaded r = LoadCapture(m, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "# malloc error\n" + path + "\n");
    EXPECT_EQ(m.frames.Count(), 0);
}

TEST(MeshText, ShortFileIsATextFileThatFails)
{
    const std::string path = TempPath("short.ddd");
    WriteText(path, "DDD");
    MeshObject m;
    Loaded r = LoadCapture(m, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "# read error\n" + path + "\n");
}

} // namespace
