// The line-file cache and GETFILE / PUTFILE.
#include "runtime/line_files.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core.h"
#include "runtime/filesystem.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

FAST_FILE __g_FastFile;

namespace {

// The line number, or -1 when it lies outside 0 to 255 (NaN included).
int LineIndex(double line)
{
    if (!(line > -1.0 && line < FAST_FILE::kLines)) return -1;
    return static_cast<int>(line);
}

void ClearCache(FAST_FILE& f)
{
    std::memset(f.lines, 0, sizeof f.lines);
    f.lastLine = 0;
    f.changed = 0;
    f.filename.clear();
}

// The stored line without trailing control bytes; "NO_DATA" when empty,
// "NO_FILE" when the file could not be read.
DGStr LineText(DGStr const& name, double line)
{
    int n = LineIndex(line);
    if (n < 0) {
        __Error(7);
        return DGStr("NO_DATA");
    }
    if (__g_FastFile.FillBuffer(name.c_str()) != 0) return DGStr("NO_FILE");
    DGStr text(__g_FastFile.lines[n]);
    text.TrimRight();
    if (text.Len() == 0) return DGStr("NO_DATA");
    return text;
}

} // namespace

FAST_FILE::~FAST_FILE() { FillBuffer(nullptr); }

void FAST_FILE::WriteBack()
{
    if (filename.empty() || !changed) return;
    ReplaceFile(filename.c_str(), [this](std::FILE* f) {
        bool ok = true;
        for (int i = 0; i <= lastLine && i < kLines; ++i)
            ok = ok && std::fputs(lines[i], f) >= 0 && std::fputs("\r\n", f) >= 0;
        return ok;
    });
}

int FAST_FILE::FillBuffer(char const* name)
{
    if (name && filename == name) return 0;
    WriteBack();
    ClearCache(*this);
    if (!name) return 0;

    filename = name;
    std::string path;
    if (!FindDataFile(name, path)) {
        __Error(3);
        return 3;
    }
    RTFileSystem rec;
    if (!rec.OpenIn(path.c_str())) {
        __Error(3);
        return 3;
    }
    if (!rec.FitsAsText(name)) {
        // The name is not kept either: a later write-back would replace the
        // whole file by the few lines put into the cache.
        filename.clear();
        __Error(3);
        return 3;
    }
    // A line longer than a cache line is cut, not split over two lines: the
    // line numbers must stay those of the file.
    int count = 0;
    while (count < kLines && rec.ReadTextLine(lines[count], kLineSize)) ++count;
    lastLine = count > 0 ? count - 1 : 0;
    rec.Close();
    return 0;
}

double GETFILE(DGStr const& name, double line, DGStr& text)
{
    text = LineText(name, line);
    return 0.0;
}

double GETFILE(DGStr const& name, double line, int& value)
{
    // As DGStr::Natural: atoi of text beyond the int range differs between
    // the 32- and 64-bit builds.
    value = LineText(name, line).Natural();
    return 0.0;
}

double GETFILE(DGStr const& name, double line, double& value)
{
    value = std::atof(LineText(name, line).c_str());
    return 0.0;
}

double PUTFILE(DGStr const& name, double line, DGStr const& text)
{
    int n = LineIndex(line);
    if (n < 0) {
        __Error(7);
        return 0.0;
    }
    __g_FastFile.FillBuffer(name.c_str());
    // A line holds at most 1,023 characters: longer text is cut there.
    std::size_t len = text.Len();
    if (len > FAST_FILE::kLineSize - 1) len = FAST_FILE::kLineSize - 1;
    std::memcpy(__g_FastFile.lines[n], text.c_str(), len);
    __g_FastFile.lines[n][len] = '\0';
    if (n > __g_FastFile.lastLine) __g_FastFile.lastLine = n;
    __g_FastFile.changed = 1;
    return 0.0;
}

double PUTFILE(DGStr const& name, double line, double value) { return PUTFILE(name, line, DGStr(value)); }

} // namespace __VELTRIC__
