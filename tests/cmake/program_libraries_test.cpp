// What a translated program needs from the machine it runs on, read from the
// dynamic section of every executable add_veltric_program builds (and of the
// demo's packed copy): SDL, SDL_mixer and GL are shared libraries there;
// libpng, zlib and LZO are linked into the executable and must not be named.
// What is linked in stays private (a shared library that uses zlib itself
// must not bind to the executable's copy), and it is position-independent
// code, so no executable carries text relocations.
#include <gtest/gtest.h>

#include <elf.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct DynamicSection {
    std::vector<std::string> needed;
    std::vector<std::string> exported;  // defined dynamic symbols
    bool textRelocations = false;
};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return "";
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    return in ? bytes : "";
}

// Reads the section headers, then the SHT_DYNAMIC and SHT_DYNSYM sections
// with the string tables they link to. Returns an empty string, or what is
// wrong with the file.
template <class Ehdr, class Shdr, class Dyn, class Sym>
std::string ReadDynamic(const std::string& file, DynamicSection& out)
{
    auto fits = [&](unsigned long long off, unsigned long long len) {
        return off <= file.size() && len <= file.size() - off;
    };
    if (!fits(0, sizeof(Ehdr))) return "too short for an ELF header";
    Ehdr eh;
    std::memcpy(&eh, file.data(), sizeof eh);
    if (eh.e_shentsize != sizeof(Shdr) || !fits(eh.e_shoff, 1ull * eh.e_shnum * sizeof(Shdr)))
        return "no section headers";
    std::vector<Shdr> sections(eh.e_shnum);
    if (eh.e_shnum)
        std::memcpy(sections.data(), file.data() + eh.e_shoff, eh.e_shnum * sizeof(Shdr));
    // A name at offset `at` of the string table linked from `sh`.
    auto name = [&](const Shdr& sh, unsigned long long at, std::string& to) {
        if (sh.sh_link >= sections.size()) return false;
        const Shdr& strtab = sections[sh.sh_link];
        if (!fits(strtab.sh_offset, strtab.sh_size) || at >= strtab.sh_size) return false;
        const char* s = file.data() + strtab.sh_offset + at;
        to.assign(s, strnlen(s, strtab.sh_size - at));
        return true;
    };
    bool dynamic = false;
    for (const Shdr& sh : sections) {
        if (sh.sh_type != SHT_DYNAMIC && sh.sh_type != SHT_DYNSYM) continue;
        if (!fits(sh.sh_offset, sh.sh_size)) return "dynamic section outside the file";
        const char* at = file.data() + sh.sh_offset;
        if (sh.sh_type == SHT_DYNAMIC) {
            dynamic = true;
            for (size_t i = 0; i + sizeof(Dyn) <= sh.sh_size; i += sizeof(Dyn)) {
                Dyn d;
                std::memcpy(&d, at + i, sizeof d);
                if (d.d_tag == DT_NULL) break;
                if (d.d_tag == DT_TEXTREL) out.textRelocations = true;
                if (d.d_tag == DT_FLAGS && (d.d_un.d_val & DF_TEXTREL)) out.textRelocations = true;
                if (d.d_tag == DT_NEEDED) {
                    std::string lib;
                    if (!name(sh, d.d_un.d_val, lib)) return "NEEDED name outside the string table";
                    out.needed.push_back(lib);
                }
            }
        } else {
            for (size_t i = 0; i + sizeof(Sym) <= sh.sh_size; i += sizeof(Sym)) {
                Sym sym;
                std::memcpy(&sym, at + i, sizeof sym);
                if (sym.st_shndx == SHN_UNDEF) continue;
                std::string symbol;
                if (!name(sh, sym.st_name, symbol)) return "symbol name outside the string table";
                out.exported.push_back(symbol);
            }
        }
    }
    return dynamic ? "" : "no dynamic section";
}

std::string ReadDynamicSection(const std::string& path, DynamicSection& out)
{
    const std::string file = Slurp(path);
    if (file.size() < EI_NIDENT || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) return "not an ELF file";
    if (file[EI_DATA] != ELFDATA2LSB) return "not little-endian";
    switch (file[EI_CLASS]) {
    case ELFCLASS32: return ReadDynamic<Elf32_Ehdr, Elf32_Shdr, Elf32_Dyn, Elf32_Sym>(file, out);
    case ELFCLASS64: return ReadDynamic<Elf64_Ehdr, Elf64_Shdr, Elf64_Dyn, Elf64_Sym>(file, out);
    default: return "unknown ELF class";
    }
}

// "libpng16.so.16" -> "libpng16"
std::string Stem(const std::string& soname)
{
    return soname.substr(0, soname.find(".so"));
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

std::vector<std::string> Programs()
{
    std::vector<std::string> out;
    std::stringstream list(Slurp(PROGRAM_LIST));
    for (std::string line; std::getline(list, line);)
        if (!line.empty()) out.push_back(line);
    return out;
}

TEST(ProgramLibraries, ListCoversTheDemoItsPackedCopyAndTheTestPrograms)
{
    const std::vector<std::string> programs = Programs();
    auto listed = [&](const char* tail) {
        for (const std::string& p : programs)
            if (p.size() >= std::strlen(tail) && p.compare(p.size() - std::strlen(tail), std::string::npos, tail) == 0)
                return true;
        return false;
    };
    EXPECT_TRUE(listed("/demo/DriftingRaysIV-linux"));
    EXPECT_TRUE(listed("/demo/packed/DriftingRaysIV-linux"));
    EXPECT_TRUE(listed("/cross_probe"));
    EXPECT_TRUE(listed("/media_probe"));
}

TEST(ProgramLibraries, SdlMixerAndGlAreSharedPngZlibAndLzoLinkedInPrivately)
{
    const std::vector<std::string> programs = Programs();
    ASSERT_FALSE(programs.empty()) << PROGRAM_LIST;
    for (const std::string& path : programs) {
        SCOPED_TRACE(path);
        DynamicSection dyn;
        const std::string error = ReadDynamicSection(path, dyn);
        ASSERT_EQ(error, "");

        bool sdl = false, mixer = false, gl = false;
        std::string all;
        for (const std::string& name : dyn.needed) {
            all += " " + name;
            const std::string stem = Stem(name);
            sdl |= stem == "libSDL-1.2" || stem == "libSDL";
            mixer |= StartsWith(stem, "libSDL_mixer");
            gl |= stem == "libGL" || stem == "libOpenGL";
            EXPECT_FALSE(StartsWith(stem, "libpng")) << name << " is linked in";
            EXPECT_FALSE(stem == "libz") << name << " is linked in";
            EXPECT_FALSE(StartsWith(stem, "liblzo")) << name << " is linked in";
        }
        EXPECT_TRUE(sdl) << "no SDL among" << all;
        EXPECT_TRUE(mixer) << "no SDL_mixer among" << all;
        EXPECT_TRUE(gl) << "no GL among" << all;
        EXPECT_FALSE(dyn.textRelocations);
        for (const std::string& symbol : dyn.exported)
            for (const char* prefix : {"png_", "lzo", "inflate", "deflate", "crc32", "adler32", "zlibVersion"})
                EXPECT_FALSE(StartsWith(symbol, prefix)) << symbol << " is exported";
    }
}

}  // namespace
