// Fuzzes the line-file reader: the input is written to a file, and every
// line GETFILE gives back is compared with an independent split of the same
// bytes under the reader's rules (lines end with LF or CR LF, at most 256
// lines of at most 1,023 bytes, the rest of a longer line skipped, text up
// to its first NUL, trailing control bytes dropped, an empty line "NO_DATA",
// a file above the size cap "NO_FILE").
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/filesystem.h"
#include "runtime/line_files.h"

using namespace __VELTRIC__;

namespace {

constexpr int kLines = 256;
constexpr std::size_t kLineText = 1023;

std::vector<std::string> Expected(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> out(kLines, "NO_DATA");
    if (static_cast<std::int64_t>(size) > kMaxTextFileBytes) {
        out.assign(kLines, "NO_FILE");
        return out;
    }
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    for (int n = 0; n < kLines && p < end; ++n) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        std::string line(p, lf ? lf : end);
        if (lf && !line.empty() && line.back() == '\r') line.pop_back();
        p = lf ? lf + 1 : end;
        if (line.size() > kLineText) line.resize(kLineText);
        line.resize(std::strlen(line.c_str()));
        while (!line.empty() && static_cast<unsigned char>(line.back()) < 32) line.pop_back();
        if (!line.empty()) out[n] = line;
    }
    return out;
}

char g_dir[] = "/tmp/fuzz_line_file_XXXXXX";

void RemoveScratch()
{
    unlink((std::string(g_dir) + "/lines.txt").c_str());
    rmdir(g_dir);
}

// The one file every input is written to, in a folder of its own that goes
// when the run ends.
std::string FileName()
{
    static std::string name;
    if (name.empty()) {
        if (!mkdtemp(g_dir)) abort();
        std::atexit(RemoveScratch);
        name = std::string(g_dir) + "/lines.txt";
    }
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string name = FileName();
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) abort();
    if (std::fclose(f) != 0) abort();

    // Forget the cached file so that the new bytes are read.
    __g_FastFile.FillBuffer(nullptr);
    const std::vector<std::string> want = Expected(data, size);
    const DGStr file(name.c_str());
    for (int n = 0; n < kLines; ++n) {
        DGStr text;
        GETFILE(file, n, text);
        if (want[n] != text.c_str()) {
            std::fprintf(stderr, "line %d: got \"%s\", want \"%s\"\n", n, text.c_str(), want[n].c_str());
            __builtin_trap();
        }
    }
    return 0;
}
