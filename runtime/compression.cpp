// LZO1X member decoding over liblzo2.
#include "runtime/compression.h"

#include <lzo/lzo1x.h>

#include <new>

namespace __VELTRIC__ {

namespace {

bool LzoReady()
{
    // lzo_init checks the library against the header once per process.
    static const bool ok = lzo_init() == LZO_E_OK;
    return ok;
}

} // namespace

void RTCompression::Clear()
{
    delete[] m_out;
    m_out = nullptr;
    m_outLen = 0;
}

int RTCompression::UnPack(unsigned char const* src, int length)
{
    Clear();
    if (m_mode != 1 || !src || length < 4 || !LzoReady()) return 0;
    std::uint32_t want = ReadLE32(src);
    if (want == 0 || want > kMaxUnpacked) return 0;

    // Not value-initialised: the decoder writes every byte it reports.
    unsigned char* out = new (std::nothrow) unsigned char[want];
    if (!out) return 0;
    lzo_uint outLen = want;
    int r = lzo1x_decompress_safe(src + 4, static_cast<lzo_uint>(length - 4), out, &outLen, nullptr);
    if (r != LZO_E_OK || outLen != want) {
        delete[] out;
        return 0;
    }
    m_out = out;
    m_outLen = want;
    return static_cast<int>(want);
}

} // namespace __VELTRIC__
