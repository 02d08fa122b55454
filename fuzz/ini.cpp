// Fuzzes the INI parser on text held in memory, and checks that what it
// writes reads back to the same written form.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/ini.h"

using namespace __VELTRIC__;

namespace {

std::string Written(const RTini& ini)
{
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* f = open_memstream(&buf, &len);
    if (!f) return std::string();
    ini.WriteTo(f);
    std::fclose(f);
    std::string s(buf, len);
    std::free(buf);
    return s;
}

void Parse(RTini& ini, const void* data, std::size_t size)
{
    RTFileSystem rec;
    rec.file = fmemopen(const_cast<void*>(data), size, "rb");
    if (!rec.file) return;
    rec.size = static_cast<int>(size);
    ini.ReadFrom(rec);
    rec.Close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    RTini first;
    Parse(first, data, size);
    // A value of control bytes alone is trimmed to nothing and written as
    // key "=", which the next read drops: the written form settles after
    // one round and must not change after that.
    std::string once = Written(first);
    RTini second;
    Parse(second, once.data(), once.size());
    std::string twice = Written(second);
    RTini third;
    Parse(third, twice.data(), twice.size());
    if (Written(third) != twice) __builtin_trap();

    // Lookups and changes on what was read (a key set to empty is written as
    // key "=" and dropped by the next read, so these come after the check).
    if (first.sections.Count() > 0) {
        const char* section = first.sections[0]->name.c_str();
        first.Get(section, "key");
        first.Put(section, "key", "value");
        first.Put("other", "key", "");
        first.Put(section, "", "");
        Written(first);
    }
    return 0;
}
