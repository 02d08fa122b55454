// The test-only archive packer over liblzo2's LZO1X-1 compressor.
#include "tests/runtime/archive_packer.h"

#include <lzo/lzo1x.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace veltric_test {

namespace {

void PutLE32(std::string& s, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

std::string PackMember(const std::string& data)
{
    static const bool ready = lzo_init() == LZO_E_OK;
    if (!ready) throw std::runtime_error("lzo_init failed");
    std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS);
    // The worst case of LZO1X-1 on incompressible input.
    std::vector<unsigned char> out(data.size() + data.size() / 16 + 64 + 3);
    lzo_uint outLen = out.size();
    if (lzo1x_1_compress(reinterpret_cast<const unsigned char*>(data.data()), data.size(), out.data(), &outLen,
                         work.data()) != LZO_E_OK)
        throw std::runtime_error("lzo1x_1_compress failed");
    std::string blob;
    PutLE32(blob, static_cast<std::uint32_t>(data.size()));
    blob.append(reinterpret_cast<const char*>(out.data()), outLen);
    return blob;
}

ArchiveEntry& ArchivePacker::Add(const std::string& name, const std::string& data)
{
    m_entries.push_back(ArchiveEntry{name, PackMember(data), 0, 0});
    return m_entries.back();
}

std::string ArchivePacker::Index() const
{
    std::string index;
    for (const ArchiveEntry& e : m_entries) {
        index.push_back(static_cast<char>(e.name.size()));
        index += e.name;
        PutLE32(index, static_cast<std::uint32_t>(e.offset));
        PutLE32(index, static_cast<std::uint32_t>(e.packed));
    }
    return index;
}

void ArchivePacker::Layout(bool fromEnd)
{
    m_fromEnd = fromEnd;
    long long at = static_cast<long long>(m_program.size());
    for (ArchiveEntry& e : m_entries) {
        e.offset = static_cast<std::int32_t>(at);
        e.packed = static_cast<std::int32_t>(e.blob.size());
        at += static_cast<long long>(e.blob.size());
    }
    long long indexStart = at;
    long long total = at + static_cast<long long>(Index().size()) + 1 + 7;
    indexPos = static_cast<std::int32_t>(indexStart);
    if (fromEnd) {
        for (ArchiveEntry& e : m_entries) e.offset = static_cast<std::int32_t>(e.offset - total);
        indexPos = static_cast<std::int32_t>(indexStart - total);
    }
}

std::string ArchivePacker::Bytes(int indexBytes) const
{
    std::string file = m_program;
    for (const ArchiveEntry& e : m_entries) file += e.blob;
    std::string index = Index();
    if (indexBytes >= 0)
        index.resize(std::min(index.size(), static_cast<std::size_t>(indexBytes)));
    else
        index.push_back('\0');
    file += index;
    file += "sbX";
    PutLE32(file, static_cast<std::uint32_t>(indexPos));
    return file;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

} // namespace veltric_test
