#pragma once
// Line files: GETFILE and PUTFILE read and write single numbered lines
// (0 to 255) of a text file through a cache of one file. A changed file is
// written back when another file is named and when the process ends.
// Errors are recorded with __Error (3: file not readable, 7: line out of
// range) and the program goes on.
#include <string>

#include "runtime/dgstr.h"

namespace __VELTRIC__ {

struct FAST_FILE {
    static constexpr int kLines = 256;
    static constexpr int kLineSize = 1024;

    // Writes a changed file back (the static clean-up at exit).
    ~FAST_FILE();

    // Makes name the cached file: 0 when it is cached, 3 when it cannot be
    // read. A null name (the exit call) only
    // writes back and clears.
    int FillBuffer(char const* name);
    void WriteBack();

    std::string filename; // as the program gave it, of any length
    char lines[kLines][kLineSize];
    int lastLine;
    unsigned char changed;
};

extern FAST_FILE __g_FastFile;

// text = the line without trailing control bytes; "NO_DATA" for an empty or
// missing line, "NO_FILE" when the file cannot be read.
double GETFILE(DGStr const& name, double line, DGStr& text);
double GETFILE(DGStr const& name, double line, int& value);
double GETFILE(DGStr const& name, double line, double& value);
// Stores the text (at most 1,023 characters) or the number as the line.
double PUTFILE(DGStr const& name, double line, DGStr const& text);
double PUTFILE(DGStr const& name, double line, double value);

} // namespace __VELTRIC__
