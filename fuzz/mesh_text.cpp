// Fuzzes the text object-file reader on text held in memory, then builds,
// compresses and draws the object it describes.
#include <cstdint>
#include <cstdio>

#include "engine3d/mesh_object.h"
#include "engine3d/mesh_text.h"

using namespace __VELTRIC__;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DDD_ascii reader;
    if (!reader.Parse(data, size)) return 0;
    MeshObjectX m;
    if (!reader.Make(m)) return 0;
    m.Compress();
    m.AutoNormalsAfterCompression(true, size % 2 == 0, true);
    m.PrepareTriangles();
    m.CalcMaxRadius();
    return 0;
}
