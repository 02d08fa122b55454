// Archive member unpack throughput for a 64 MB member, against calling the
// LZO decoder directly on the same packed bytes. Three levels: the decoder
// object alone (RTCompression::UnPack against lzo1x_decompress_safe), and a
// whole lookup (FindOrExtract: read, decode, write the temporary file)
// against the same steps done by hand with stdio.
#include <benchmark/benchmark.h>
#include <lzo/lzo1x.h>
#include <fcntl.h>
#include <unistd.h>

#include <iostream>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "runtime/compression.h"
#include "runtime/shoebox.h"
#include "tests/runtime/archive_packer.h"

using namespace __VELTRIC__;

namespace {

constexpr std::size_t kMember = 64u << 20;

// Game-like data: runs of repeated records mixed with noise, about 2:1.
const std::string& Data()
{
    static const std::string data = [] {
        std::string s(kMember, '\0');
        std::mt19937 rng(7);
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = (i / 64) % 2 ? static_cast<char>(rng() & 0xFF) : static_cast<char>(i % 251);
        return s;
    }();
    return data;
}

const std::string& Blob()
{
    static const std::string blob = veltric_test::PackMember(Data());
    return blob;
}

void Throughput(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kMember));
}

void BM_LzoDirect(benchmark::State& state)
{
    const std::string& blob = Blob();
    lzo_init();
    for (auto _ : state) {
        unsigned char* out = new unsigned char[kMember];
        lzo_uint len = kMember;
        lzo1x_decompress_safe(reinterpret_cast<const unsigned char*>(blob.data()) + 4, blob.size() - 4, out, &len,
                              nullptr);
        benchmark::DoNotOptimize(out);
        delete[] out;
    }
    Throughput(state);
}

void BM_UnPack(benchmark::State& state)
{
    const std::string& blob = Blob();
    RTCompression dec;
    for (auto _ : state) {
        if (dec.UnPack(reinterpret_cast<const unsigned char*>(blob.data()), static_cast<int>(blob.size())) !=
            static_cast<int>(kMember))
            state.SkipWithError("unpack failed");
        dec.Clear();
    }
    Throughput(state);
}

struct Archive {
    std::string dir, path;
    Archive()
    {
        char templ[] = "/tmp/veltric-bench-XXXXXX";
        dir = mkdtemp(templ);
        path = dir + "/game";
        veltric_test::ArchivePacker pack;
        pack.Add("big.bin", Data());
        pack.Layout();
        veltric_test::WriteFileBytes(path, pack.Bytes());
        setenv("TMPDIR", dir.c_str(), 1);
    }
    ~Archive()
    {
        ::unlink(path.c_str());
        ::rmdir(dir.c_str());
    }
};

Archive& TheArchive()
{
    static Archive a;
    return a;
}

// The same work without the archive object: read the packed bytes, decode,
// write the output file.
void BM_ExtractByHand(benchmark::State& state)
{
    Archive& a = TheArchive();
    const long long start = 7; // after "PROGRAM"
    const std::size_t packed = Blob().size();
    lzo_init();
    std::string out = a.dir + "/hand.bin";
    for (auto _ : state) {
        std::FILE* f = std::fopen(a.path.c_str(), "rb");
        std::vector<unsigned char> in(packed);
        std::fseek(f, static_cast<long>(start), SEEK_SET);
        if (std::fread(in.data(), 1, packed, f) != packed) state.SkipWithError("read failed");
        std::fclose(f);
        unsigned char* dst = new unsigned char[kMember];
        lzo_uint len = kMember;
        lzo1x_decompress_safe(in.data() + 4, packed - 4, dst, &len, nullptr);
        std::FILE* o = std::fopen(out.c_str(), "wb");
        std::fwrite(dst, 1, len, o);
        std::fclose(o);
        delete[] dst;
        ::unlink(out.c_str());
    }
    Throughput(state);
}

void BM_FindOrExtract(benchmark::State& state)
{
    Archive& a = TheArchive();
    RTShoeBox box;
    box.SetArchive(a.path.c_str());
    char path[RTShoeBox::kPathMax];
    // The plain-file probe prints its request lines; keep them off the report.
    std::cout.flush();
    std::fflush(stdout);
    int saved = ::dup(1);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    for (auto _ : state)
        if (!box.FindOrExtract("big.bin", path, sizeof path)) state.SkipWithError("lookup failed");
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    ::close(null);
    Throughput(state);
}

} // namespace

BENCHMARK(BM_LzoDirect)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_UnPack)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExtractByHand)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FindOrExtract)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
