#pragma once
// Reading the packed archive's layout: the "sbX" trailer, the index and one
// member. Every number is little-endian; every offset and size is checked
// against the file before it is used.
#include <cstdint>
#include <cstdio>

#include "runtime/compression.h"

namespace __VELTRIC__ {
namespace shoebox {

enum class Lookup {
    Found,
    HeaderUnreadable, // the file is too short for a trailer, or the read fails
    BadHeader,        // the last 7 bytes do not begin with "sbX"
    NotFound,         // no entry of that name before the end of the index
    Damaged,          // index or member outside the file, or sizes that cannot be
};

struct Member {
    std::int32_t offsetField = 0; // as the index spells it
    std::int32_t packedField = 0;
    long long start = 0;          // byte offset of the packed data in the file
    unsigned nameLen = 0;
    char name[256] = {};          // as the index spells it, terminated
};

// Looks for the entry whose name equals wanted (ASCII case-insensitive) in
// the archive f of size bytes. header receives the 3 trailer bytes read,
// terminated. Entry names holding '/' or NUL never match.
Lookup FindMember(std::FILE* f, long long size, char const* wanted, Member& m, char header[4]);

// Reads the member's packed bytes and decodes them into dec. True on
// success; a member whose unpacked size is 0 succeeds with no output.
bool ReadMember(std::FILE* f, Member const& m, RTCompression& dec);

} // namespace shoebox
} // namespace __VELTRIC__
