// A translated program with a data file of its own, copied beside it by the
// build (add_veltric_program ... MEDIA): prints the file's first line.
#include <cstdio>

#include "runtime/veltric.h"

double __VELTRIC__::__MainGameSub_()
{
    DGStr text;
    GETFILE(CGStr("media_probe_note.txt"), 0, text);
    std::printf("note: %s\n", text.c_str());
    return 0.0;
}
