// The archive's trailer, index and member reads.
#include "runtime/shoebox_format.h"

#include <strings.h>
#include <sys/types.h>

#include <cstring>
#include <memory>
#include <new>

namespace __VELTRIC__ {
namespace shoebox {

namespace {

bool ReadAt(std::FILE* f, long long at, void* dst, std::size_t n)
{
    if (at < 0 || fseeko(f, static_cast<off_t>(at), SEEK_SET) != 0) return false;
    return std::fread(dst, 1, n, f) == n;
}

bool ReadExact(std::FILE* f, void* dst, std::size_t n) { return std::fread(dst, 1, n, f) == n; }

bool ReadInt32(std::FILE* f, std::int32_t& v)
{
    unsigned char b[4];
    if (!ReadExact(f, b, 4)) return false;
    v = static_cast<std::int32_t>(ReadLE32(b));
    return true;
}

} // namespace

Lookup FindMember(std::FILE* f, long long size, char const* wanted, Member& m, char header[4])
{
    header[0] = '\0';
    if (!f || size < 7) return Lookup::HeaderUnreadable;
    char magic[3];
    if (!ReadAt(f, size - 7, magic, 3)) return Lookup::HeaderUnreadable;
    std::memcpy(header, magic, 3);
    header[3] = '\0';
    if (std::memcmp(magic, "sbX", 3) != 0) return Lookup::BadHeader;

    std::int32_t indexPos;
    if (!ReadInt32(f, indexPos)) return Lookup::HeaderUnreadable;
    // The sign says whether offsets count from the start or from the end.
    const bool fromEnd = indexPos < 0;
    long long index = fromEnd ? size + indexPos : indexPos;
    if (index < 0 || index > size - 7) return Lookup::Damaged;
    if (fseeko(f, static_cast<off_t>(index), SEEK_SET) != 0) return Lookup::Damaged;

    const std::size_t wantedLen = wanted ? std::strlen(wanted) : 0;
    for (;;) {
        unsigned char len;
        if (!ReadExact(f, &len, 1) || len == 0) return Lookup::NotFound;
        char name[256];
        std::int32_t offset, packed;
        if (!ReadExact(f, name, len) || !ReadInt32(f, offset) || !ReadInt32(f, packed))
            return Lookup::NotFound;
        name[len] = '\0';
        // A name with a separator or NUL could leave the private directory
        // or stand for another name: such an entry is never a member.
        if (std::memchr(name, '/', len) || std::memchr(name, '\0', len)) continue;
        if (len != wantedLen || strncasecmp(name, wanted, len) != 0) continue;

        m.offsetField = offset;
        m.packedField = packed;
        m.start = fromEnd ? size + offset : offset;
        m.nameLen = len;
        std::memcpy(m.name, name, len + 1u);
        if (m.start < 0 || m.start > size || packed < 4 || packed > size - m.start)
            return Lookup::Damaged;
        return Lookup::Found;
    }
}

bool ReadMember(std::FILE* f, Member const& m, RTCompression& dec)
{
    dec.Clear();
    if (!f || m.packedField < 4) return false;
    unsigned char head[4];
    if (!ReadAt(f, m.start, head, 4)) return false;
    std::uint32_t unpacked = ReadLE32(head);
    if (unpacked == 0) return true;
    if (unpacked > RTCompression::kMaxUnpacked) return false;

    std::unique_ptr<unsigned char[]> packed(new (std::nothrow) unsigned char[m.packedField]);
    if (!packed) return false;
    if (!ReadAt(f, m.start, packed.get(), static_cast<std::size_t>(m.packedField))) return false;
    dec.m_mode = 1;
    return dec.UnPack(packed.get(), m.packedField) > 0;
}

} // namespace shoebox
} // namespace __VELTRIC__
