// Fuzzes the world file reader on bytes held in memory: the first line is
// the world file's name, the rest its INI text. Checks that every count
// stays bounded and every path lies in the world file's folder.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine3d/world_file.h"
#include "runtime/ini.h"

using namespace __VELTRIC__;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const void* nl = std::memchr(data, '\n', size);
    const std::size_t nameLen = nl ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nl) - data) : size;
    const std::string name(reinterpret_cast<const char*>(data), nameLen);
    const std::uint8_t* text = data + (nl ? nameLen + 1 : size);
    const std::size_t textSize = size - (text - data);

    RTini ini;
    if (textSize > 0) {
        RTFileSystem rec;
        rec.file = fmemopen(const_cast<std::uint8_t*>(text), textSize, "rb");
        if (!rec.file) return 0;
        rec.size = static_cast<int>(textSize);
        ini.ReadFrom(rec);
        rec.Close();
    }

    WorldPlan plan;
    ReadWorldPlan(ini, name.c_str(), plan);
    const std::string folder = WorldFolder(name.c_str());
    if (plan.folder != folder) __builtin_trap();
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') __builtin_trap();
    if (plan.textures.size() > static_cast<std::size_t>(kMaxWorldEntries)) __builtin_trap();
    if (plan.objects.size() > static_cast<std::size_t>(kMaxWorldEntries)) __builtin_trap();
    for (const std::string& t : plan.textures)
        if (t.compare(0, folder.size(), folder) != 0) __builtin_trap();
    for (const WorldPlan::Object& o : plan.objects)
        if (o.path.compare(0, folder.size(), folder) != 0) __builtin_trap();
    return 0;
}
