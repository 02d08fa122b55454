// Fuzzes the object-file reader on bytes held in memory (binary files, and
// through the magic-number test the text reader too), then makes the loaded
// object drawable and checks that what it writes reads back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine3d/mesh_object.h"

using namespace __VELTRIC__;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool quiet = (std::freopen("/dev/null", "w", stdout), true);
    (void)quiet;
    MeshObjectX m;
    if (!m.LoadFromMemory(data, size, "fuzz", size % 2 == 0)) return 0;
    m.PrepareTriangles();
    m.CalcMaxRadius();
    m.AutoNormalsAfterCompression(true, size % 3 == 0, true);
    Queue<std::uint8_t> bytes;
    m.SaveToMemory(bytes);
    MeshObjectX back;
    if (!back.LoadFromMemory(bytes.Items(), static_cast<std::size_t>(bytes.Count()), "fuzz", false)) std::abort();
    if (back.frames.Count() != m.frames.Count() || back.colours.Count() != m.colours.Count()) std::abort();
    return 0;
}
