#pragma once
// Test fixture maker: packs members into an archive appended to a copy of a
// program file, laid out exactly as the archive reader reads it (members,
// index, the "sbX" trailer). The index fields stay editable between Layout()
// and Bytes(), so tests can build damaged archives on purpose.
#include <cstdint>
#include <string>
#include <vector>

namespace veltric_test {

// A member's packed form: the unpacked size (32-bit little-endian), then the
// LZO1X-1 stream.
std::string PackMember(const std::string& data);

struct ArchiveEntry {
    std::string name;
    std::string blob;        // what lies at the member's offset
    std::int32_t offset = 0; // as written to the index
    std::int32_t packed = 0; // as written to the index
};

class ArchivePacker {
public:
    explicit ArchivePacker(std::string program = "PROGRAM") : m_program(std::move(program)) {}

    ArchiveEntry& Add(const std::string& name, const std::string& data);
    // Places the members after the program bytes and fills every entry's
    // offset and packed size; fromEnd counts offsets from the end of the file.
    void Layout(bool fromEnd = false);
    // The whole file. indexBytes >= 0 keeps only that many bytes of the index
    // (and no end entry): an index cut short by the trailer.
    std::string Bytes(int indexBytes = -1) const;

    std::vector<ArchiveEntry>& entries() { return m_entries; }
    std::int32_t indexPos = 0; // as written to the trailer

private:
    std::string Index() const;

    std::string m_program;
    std::vector<ArchiveEntry> m_entries;
    bool m_fromEnd = false;
};

bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

} // namespace veltric_test
