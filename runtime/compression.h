#pragma once
// RTCompression: the block decompressor of archive members. A member is a
// 32-bit little-endian unpacked size followed by an LZO1X stream.
#include <cstdint>

namespace __VELTRIC__ {

class RTCompression {
public:
    // Members larger than this are refused: the size comes from the file and
    // must not decide alone how much memory is taken.
    static constexpr std::uint32_t kMaxUnpacked = 1u << 30;

    RTCompression() = default;
    ~RTCompression() { Clear(); }
    RTCompression(const RTCompression&) = delete;
    RTCompression& operator=(const RTCompression&) = delete;

    // Releases the output buffer; output length 0.
    void Clear();
    // Decodes one member of length bytes: the unpacked length, 0 on failure
    // (a size field that is missing or above kMaxUnpacked, a failed
    // allocation, a stream that does not decode to exactly the size given).
    // The bytes stay in Output() until the next Clear or UnPack.
    int UnPack(unsigned char const* src, int length);

    unsigned char* Output() const { return m_out; }
    std::uint32_t OutputLength() const { return m_outLen; }

    unsigned char* m_out = nullptr;
    std::uint32_t m_outLen = 0;
    int m_mode = 1; // 1 = LZO1X, the only mode members use
};

// Reads a 32-bit little-endian number.
inline std::uint32_t ReadLE32(unsigned char const* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

} // namespace __VELTRIC__
