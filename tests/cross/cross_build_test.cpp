// What a program or a peer sees must be the same on the native and on the
// 32-bit build: this build's cross_probe and the peer build's (the build
// folder in VELTRIC_PEER_BUILD) print the same values, write the same bytes,
// read each other's files as their own, and the two packed demos carry the
// same appended archive. VELTRIC_KEEP_CROSS=1 keeps the folders the probes
// wrote (/tmp/veltric-cross-*) for a look.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/runtime/child_process.h"

namespace fs = std::filesystem;
using spine_test::ChildResult;
using spine_test::Lines;
using spine_test::RunChild;

namespace {

const std::string kOwnProbe = CROSS_PROBE;
const std::string kPeerProbe = CROSS_PEER_PROBE;
const std::vector<std::string> kEnv = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null",
                                       "SDL_DISKAUDIODELAY=1"};

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// A display that is still starting (or shared with other test runs) can
// refuse the first connection; that is not the program's fault.
ChildResult RunProbe(const std::string& probe, const std::string& mode, const std::string& dir)
{
    ChildResult r;
    for (int attempt = 0; attempt < 5; ++attempt) {
        r = RunChild(probe, {mode, dir}, kEnv, 120);
        if (r.err.find("Couldn't open X11 display") == std::string::npos) break;
        usleep(300000);
    }
    return r;
}

// The probe's own lines ("= ..."), without start-up's and the loaders' lines,
// which name paths.
std::vector<std::string> Values(const ChildResult& r)
{
    std::vector<std::string> values;
    for (const std::string& line : Lines(r.out))
        if (line.rfind("= ", 0) == 0) values.push_back(line.substr(2));
    return values;
}

// Every line that differs, side by side (at most 60 of them).
std::string LineDifferences(const std::vector<std::string>& a, const std::vector<std::string>& b,
                            const char* nameA, const char* nameB)
{
    std::ostringstream s;
    int shown = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) && shown < 60; ++i) {
        const std::string* x = i < a.size() ? &a[i] : nullptr;
        const std::string* y = i < b.size() ? &b[i] : nullptr;
        if (x && y && *x == *y) continue;
        s << "line " << i << "\n  " << nameA << ": " << (x ? *x : "(none)") << "\n  " << nameB << ": "
          << (y ? *y : "(none)") << "\n";
        ++shown;
    }
    return s.str();
}

std::set<std::string> FileNames(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// Where two byte strings first differ, with the bytes around it.
std::string ByteDifference(const std::string& a, const std::string& b)
{
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    std::ostringstream s;
    s << "sizes " << a.size() << " and " << b.size() << ", first difference at byte " << at << ":";
    for (const std::string* t : {&a, &b}) {
        s << "\n ";
        for (std::size_t i = at; i < at + 16 && i < t->size(); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>((*t)[i]));
            s << hex;
        }
    }
    return s.str();
}

// The archive appended to a program file: from the first byte that the
// trailer, the index or a member names, to the end. Empty when the file has
// no valid archive.
std::string AppendedArchive(const std::string& file)
{
    auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + i])) << (8 * i);
        return static_cast<std::int32_t>(v);
    };
    const long long size = static_cast<long long>(file.size());
    if (size < 7 || file.compare(file.size() - 7, 3, "sbX") != 0) return "";
    const std::int32_t indexPos = le32(file.size() - 4);
    const bool fromEnd = indexPos < 0;
    long long index = fromEnd ? size + indexPos : indexPos;
    if (index < 0 || index > size - 7) return "";
    long long start = index;
    long long at = index;
    while (at < size - 7) {
        const unsigned len = static_cast<unsigned char>(file[at]);
        if (len == 0 || at + 1 + len + 8 > size - 7) break;
        long long member = le32(at + 1 + len);
        if (fromEnd) member += size;
        if (member < 0 || member > index) return "";
        start = std::min(start, member);
        at += 1 + len + 8;
    }
    return file.substr(static_cast<std::size_t>(start));
}

// Both probes write into folders of their own, then each reads both folders.
class CrossBuild : public ::testing::Test {
protected:
    struct Side {
        std::string name, probe, dir;
        ChildResult write;
        std::map<std::string, ChildResult> reads; // by the side whose files were read
    };
    static inline std::string s_root;
    static inline Side s_own, s_peer;

    static void SetUpTestSuite()
    {
        char t[] = "/tmp/veltric-cross-XXXXXX";
        s_root = mkdtemp(t);
        s_own = Side{"this build", kOwnProbe, s_root + "/own", {}, {}};
        s_peer = Side{"peer build", kPeerProbe, s_root + "/peer", {}, {}};
        if (!fs::exists(kPeerProbe)) return;
        for (Side* s : {&s_own, &s_peer}) {
            fs::create_directory(s->dir);
            s->write = RunProbe(s->probe, "write", s->dir);
        }
        for (Side* reader : {&s_own, &s_peer})
            for (Side* writer : {&s_own, &s_peer})
                reader->reads[writer->name] = RunProbe(reader->probe, "read", writer->dir);
    }
    static void TearDownTestSuite()
    {
        if (!s_root.empty() && !std::getenv("VELTRIC_KEEP_CROSS")) fs::remove_all(s_root);
    }
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(kPeerProbe)) << "no probe in the peer build: build cross_probe in "
                                            << fs::path(kPeerProbe).parent_path();
    }

    static void ExpectRan(const ChildResult& r, const char* what)
    {
        ASSERT_EQ(r.status, 0) << what << "\n" << r.out << r.err;
        ASSERT_FALSE(r.timedOut) << what;
        std::vector<std::string> v = Values(r);
        ASSERT_FALSE(v.empty()) << what << "\n" << r.out;
        ASSERT_EQ(v.back(), "done") << what << "\n" << r.out << r.err;
    }
};

TEST_F(CrossBuild, BothWriteTheSameValues)
{
    ASSERT_NO_FATAL_FAILURE(ExpectRan(s_own.write, "this build's write"));
    ASSERT_NO_FATAL_FAILURE(ExpectRan(s_peer.write, "the peer build's write"));
    const std::vector<std::string> own = Values(s_own.write), peer = Values(s_peer.write);
    EXPECT_GT(own.size(), 250u);
    EXPECT_EQ(own, peer) << LineDifferences(own, peer, "this", "peer");
}

TEST_F(CrossBuild, BothWriteTheSameFiles)
{
    ASSERT_NO_FATAL_FAILURE(ExpectRan(s_own.write, "this build's write"));
    ASSERT_NO_FATAL_FAILURE(ExpectRan(s_peer.write, "the peer build's write"));
    const std::set<std::string> own = FileNames(s_own.dir), peer = FileNames(s_peer.dir);
    EXPECT_GE(own.size(), 15u);
    ASSERT_EQ(own, peer);
    for (const std::string& name : own) {
        const std::string a = ReadFileBytes(s_own.dir + "/" + name), b = ReadFileBytes(s_peer.dir + "/" + name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == b) << name << ": " << ByteDifference(a, b);
    }
}

TEST_F(CrossBuild, EachReadsTheOthersFilesAsItsOwn)
{
    for (const Side* reader : {&s_own, &s_peer}) {
        const ChildResult& ofOwn = reader->reads.at(reader->name);
        const ChildResult& ofOther = reader->reads.at(reader == &s_own ? s_peer.name : s_own.name);
        ASSERT_NO_FATAL_FAILURE(ExpectRan(ofOwn, "a read of its own files"));
        ASSERT_NO_FATAL_FAILURE(ExpectRan(ofOther, "a read of the other's files"));
        EXPECT_GT(Values(ofOwn).size(), 50u);
        EXPECT_EQ(Values(ofOwn), Values(ofOther))
            << reader->name << " reads the other's files otherwise:\n"
            << LineDifferences(Values(ofOwn), Values(ofOther), "own files", "other's files");
    }
    // And both read the same.
    const std::vector<std::string> own = Values(s_own.reads.at(s_own.name));
    const std::vector<std::string> peer = Values(s_peer.reads.at(s_peer.name));
    EXPECT_EQ(own, peer) << LineDifferences(own, peer, "this", "peer");
}

TEST_F(CrossBuild, PackedDemosCarryTheSameArchive)
{
    const std::string own = ReadFileBytes(CROSS_PACKED_DEMO), peer = ReadFileBytes(CROSS_PEER_PACKED_DEMO);
    ASSERT_FALSE(own.empty()) << CROSS_PACKED_DEMO;
    ASSERT_FALSE(peer.empty()) << CROSS_PEER_PACKED_DEMO;
    const std::string a = AppendedArchive(own), b = AppendedArchive(peer);
    ASSERT_FALSE(a.empty()) << "no archive in " << CROSS_PACKED_DEMO;
    ASSERT_FALSE(b.empty()) << "no archive in " << CROSS_PEER_PACKED_DEMO;
    EXPECT_GT(a.size(), 1000u);
    EXPECT_TRUE(a == b) << ByteDifference(a, b);
}

} // namespace
