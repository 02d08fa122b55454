// Binary object files: the stored form of a mesh (colours, texture pairs,
// per frame the dequantisation and five bytes per point), little-endian on
// every host. Files are untrusted: every count is checked against the bytes
// that follow before anything is reserved, and every index against its list.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine3d/mesh_object.h"
#include "engine3d/mesh_text.h"
#include "runtime/filesystem.h"

namespace __VELTRIC__ {

namespace {

constexpr std::uint32_t kMagic = 0x00C6B317u;
constexpr double kVersion = 1.02;
constexpr std::size_t kFrameHeader = 28;
constexpr std::size_t kPointRecord = 5;

class Reader {
public:
    Reader(const unsigned char* d, std::size_t n) : m_d(d), m_n(n) {}
    std::size_t Left() const { return m_n - m_p; }
    bool U32(std::uint32_t& out)
    {
        if (Left() < 4) return false;
        out = static_cast<std::uint32_t>(m_d[m_p]) | static_cast<std::uint32_t>(m_d[m_p + 1]) << 8 |
              static_cast<std::uint32_t>(m_d[m_p + 2]) << 16 | static_cast<std::uint32_t>(m_d[m_p + 3]) << 24;
        m_p += 4;
        return true;
    }
    bool F32(float& out)
    {
        std::uint32_t bits;
        if (!U32(bits)) return false;
        std::memcpy(&out, &bits, 4);
        return true;
    }
    bool F64(double& out)
    {
        std::uint32_t lo, hi;
        if (Left() < 8) return false;
        U32(lo);
        U32(hi);
        std::uint64_t bits = static_cast<std::uint64_t>(hi) << 32 | lo;
        std::memcpy(&out, &bits, 8);
        return true;
    }
    const unsigned char* Take(std::size_t n)
    {
        if (Left() < n) return nullptr;
        const unsigned char* p = m_d + m_p;
        m_p += n;
        return p;
    }

private:
    const unsigned char* m_d;
    std::size_t m_n;
    std::size_t m_p = 0;
};

void PutU32(Queue<std::uint8_t>& out, std::uint32_t x)
{
    for (int s = 0; s < 32; s += 8) out.Push(static_cast<std::uint8_t>(x >> s));
}

void PutF32(Queue<std::uint8_t>& out, float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutU32(out, bits);
}

enum class Fail { none, read, memory };

} // namespace

void MeshObject::SaveToMemory(Queue<std::uint8_t>& out) const
{
    out.Clear();
    PutU32(out, kMagic);
    std::uint64_t vbits;
    std::memcpy(&vbits, &kVersion, 8);
    PutU32(out, static_cast<std::uint32_t>(vbits));
    PutU32(out, static_cast<std::uint32_t>(vbits >> 32));
    PutU32(out, static_cast<std::uint32_t>(frames.Count()));
    PutU32(out, static_cast<std::uint32_t>(colours.Count()));
    PutU32(out, static_cast<std::uint32_t>(u.Count()));
    for (int i = 0; i < colours.Count(); ++i) PutU32(out, colours[i]);
    for (int i = 0; i < u.Count(); ++i) {
        PutF32(out, u[i]);
        PutF32(out, i < v.Count() ? v[i] : 0.0f);
    }
    for (int fi = 0; fi < frames.Count(); ++fi) {
        const POLY_FRAME& f = frames[fi];
        PutU32(out, static_cast<std::uint32_t>(f.points.Count()));
        for (int a = 0; a < 3; ++a) PutF32(out, f.offset[a]);
        for (int a = 0; a < 3; ++a) PutF32(out, f.scale[a]);
        for (int i = 0; i < f.points.Count(); ++i) {
            const XPOLY_NODE& p = f.points[i];
            out.Push(p.pos[0]);
            out.Push(p.pos[1]);
            out.Push(p.pos[2]);
            out.Push(p.normal);
            out.Push(p.colour);
        }
    }
}

bool MeshObject::Save(char const* file)
{
    // The object replaces the file only once it is written whole; a
    // directory or device of that name is never touched.
    Queue<std::uint8_t> bytes(4096, 4096);
    SaveToMemory(bytes);
    const std::size_t n = static_cast<std::size_t>(bytes.Count());
    return ReplaceFile(file, [&](std::FILE* f) { return n == 0 || std::fwrite(bytes.Items(), 1, n, f) == n; });
}

namespace {

// No real object comes near this; a larger file is refused unread.
constexpr std::int64_t kMaxObjectFileBytes = std::int64_t(256) << 20;
// Magic, version and the three counts.
constexpr std::size_t kBinaryHeader = 24;

// True when a binary header alone decides the load: a wrong version, or
// counts that need more bytes (the colour and pair lists and one frame header
// per frame) than the file holds. Reading the header alone then gives the
// same verdict and messages as reading the whole file would.
bool HeaderDecides(const unsigned char* head, std::uint64_t fileSize)
{
    Reader in(head, kBinaryHeader);
    std::uint32_t magic = 0, frameCount = 0, colourCount = 0, pairCount = 0;
    double version = 0;
    in.U32(magic);
    in.F64(version);
    in.U32(frameCount);
    in.U32(colourCount);
    in.U32(pairCount);
    if (magic != kMagic) return false;
    const std::uint64_t least = kBinaryHeader + std::uint64_t(colourCount) * 4 + std::uint64_t(pairCount) * 8 +
                                std::uint64_t(frameCount) * kFrameHeader;
    return version != kVersion || least > fileSize;
}

} // namespace

bool MeshObject::Load(char const* file, bool expand)
{
    Clear(true);
    std::FILE* f = fopen_case(file, "rb");
    if (!f) return false;
    // The size of a regular file, checked before anything is read whole.
    struct stat st;
    const std::int64_t size = ::fstat(fileno(f), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
    if (size < 0 || size > kMaxObjectFileBytes) {
        std::fclose(f);
        std::puts("# read error");
        std::puts(file);
        return false;
    }
    unsigned char head[kBinaryHeader];
    const std::size_t got = std::fread(head, 1, sizeof head, f);
    if (got == kBinaryHeader && HeaderDecides(head, static_cast<std::uint64_t>(size))) {
        std::fclose(f);
        return LoadFromMemory(head, got, file, expand);
    }
    std::vector<unsigned char> data;
    try {
        data.resize(static_cast<std::size_t>(size > static_cast<std::int64_t>(got) ? size : got));
    } catch (...) {
        std::fclose(f);
        std::puts("# malloc error");
        std::puts(file);
        return false;
    }
    if (got > 0) std::memcpy(data.data(), head, got);
    // A file that shrank since fstat is read as far as it goes.
    std::size_t have = got;
    if (got == sizeof head) have += std::fread(data.data() + got, 1, data.size() - got, f);
    std::fclose(f);
    return LoadFromMemory(data.data(), have, file, expand);
}

bool MeshObject::LoadFromMemory(const unsigned char* data, std::size_t size, char const* name, bool expand)
{
    Clear(true);
    Reader in(data, size);
    std::uint32_t magic = 0;
    Fail fail = Fail::none;
    if (!in.U32(magic) || magic != kMagic) {
        DDD_ascii text;
        if (text.Parse(data, size)) {
            if (text.Make(*this)) {
                Compress();
                return true;
            }
            fail = Fail::memory;
        } else {
            fail = Fail::read;
        }
    } else {
        double version = 0;
        std::uint32_t frameCount = 0, colourCount = 0, pairCount = 0;
        in.F64(version);
        in.U32(frameCount);
        in.U32(colourCount);
        in.U32(pairCount);
        if (version != kVersion) {
            std::puts("Wrong .ddd version.");
            fail = Fail::read;
        } else if (colourCount > 0x7FFFFFFEu || pairCount > 0x7FFFFFFEu || frameCount > 0x7FFFFFFEu ||
                   static_cast<std::uint64_t>(colourCount) * 4 + static_cast<std::uint64_t>(pairCount) * 8 +
                       static_cast<std::uint64_t>(frameCount) * kFrameHeader >
                   in.Left()) {
            // The counted lists and frame headers do not fit in the file.
            fail = Fail::read;
        } else {
            colours.SetGrowth(1, 1);
            u.SetGrowth(1, 1);
            v.SetGrowth(1, 1);
            frames.SetGrowth(1, 1);
            if (!colours.AllocAtLeast(static_cast<int>(colourCount)) ||
                !u.AllocAtLeast(static_cast<int>(pairCount)) || !v.AllocAtLeast(static_cast<int>(pairCount)) ||
                !frames.AllocAtLeast(static_cast<int>(frameCount)))
                fail = Fail::memory;
            for (std::uint32_t i = 0; fail == Fail::none && i < colourCount; ++i) {
                std::uint32_t c = 0;
                in.U32(c);
                colours.Push(c);
            }
            for (std::uint32_t i = 0; fail == Fail::none && i < pairCount; ++i) {
                float fu = 0, fv = 0;
                in.F32(fu);
                in.F32(fv);
                u.Push(fu);
                v.Push(fv);
            }
            for (std::uint32_t fi = 0; fail == Fail::none && fi < frameCount; ++fi) {
                std::uint32_t pointCount = 0;
                if (!frames.Push(POLY_FRAME())) {
                    fail = Fail::memory;
                    break;
                }
                POLY_FRAME& fr = frames[frames.Count() - 1];
                bool head = in.U32(pointCount);
                for (int a = 0; a < 3; ++a) head = in.F32(fr.offset[a]) && head;
                for (int a = 0; a < 3; ++a) head = in.F32(fr.scale[a]) && head;
                const unsigned char* rec =
                    head && pointCount <= in.Left() / kPointRecord ? in.Take(pointCount * kPointRecord) : nullptr;
                if (!rec) {
                    fail = Fail::read;
                    break;
                }
                fr.points.SetGrowth(1, 1);
                if (!fr.points.AllocAtLeast(static_cast<int>(pointCount))) {
                    fail = Fail::memory;
                    break;
                }
                for (std::uint32_t i = 0; i < pointCount; ++i, rec += kPointRecord) {
                    XPOLY_NODE p = {{rec[0], rec[1], rec[2]}, rec[3], 0, 0, rec[4]};
                    // A colour index must name a listed colour; a real point's
                    // normal must name a table entry. Separator points carry
                    // bytes nobody reads, so theirs are only made harmless.
                    if (p.colour >= colourCount) {
                        fail = Fail::read;
                        break;
                    }
                    if (p.normal >= MESH_NORMAL_COUNT) {
                        if (colours[p.colour] < MESH_WHITE) {
                            fail = Fail::read;
                            break;
                        }
                        p.normal = 0;
                    }
                    fr.points.Push(p);
                }
                if (fail != Fail::none || !expand) continue;
                fr.vertices.Free();
                fr.vertices.SetGrowth(1, 1);
                if (!fr.vertices.AllocAtLeast(static_cast<int>(pointCount))) {
                    fail = Fail::memory;
                    break;
                }
                for (std::uint32_t i = 0; i < pointCount; ++i) {
                    POLY_NODE n;
                    ExpandPoint(fr, static_cast<int>(i), n);
                    fr.vertices.Push(n);
                }
            }
            if (fail == Fail::none) {
                normalsReady = 1;
                return true;
            }
        }
    }
    std::puts(fail == Fail::memory ? "# malloc error" : "# read error");
    std::puts(name);
    Clear(true);
    return false;
}

} // namespace __VELTRIC__
