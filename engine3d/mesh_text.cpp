// Text object files: a tokenizer with "#" line comments and the parse of the
// texture coordinates, faces and frames into full vertices.
#include "engine3d/mesh_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace __VELTRIC__ {

namespace {

// Upper bound of the full vertices a text object may expand into (all
// frames together, 88 bytes each): a few bytes of frame and face counts can
// otherwise ask for frames times faces vertices, far beyond any real object.
constexpr long long kMaxTextVertices = 1LL << 24;

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Count or index from a number: truncated toward zero and held to the int
// range (NaN becomes 0) so that no conversion is undefined.
int ToInt(float f)
{
    if (!(f == f)) return 0;
    if (f >= 2147483520.0f) return 2147483647;
    if (f <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(f);
}

} // namespace

DDD_ascii::Face& DDD_ascii::Face::operator=(const Face& o)
{
    if (this == &o) return *this;
    r = o.r;
    g = o.g;
    b = o.b;
    vertexIndex.Clear();
    texIndex.Clear();
    for (int i = 0; i < o.vertexIndex.Count(); ++i) vertexIndex.Push(o.vertexIndex[i]);
    for (int i = 0; i < o.texIndex.Count(); ++i) texIndex.Push(o.texIndex[i]);
    return *this;
}

DDD_ascii::Frame& DDD_ascii::Frame::operator=(const Frame& o)
{
    if (this == &o) return *this;
    vertices.Clear();
    for (int i = 0; i < o.vertices.Count(); ++i) vertices.Push(o.vertices[i]);
    return *this;
}

float DDD_ascii::getflt(RTFileSystem& file)
{
    int len = 0;
    token[0] = 0;
    bool atEnd = !file.file;
    while (!atEnd) {
        int c = std::fgetc(file.file);
        if (c == EOF) break;
        ++file.position;
        if (c == '#') {
            // A comment runs to the end of its line, however long, and
            // separates tokens like a blank: nothing of it may be read as
            // numbers.
            for (;;) {
                int d = std::fgetc(file.file);
                if (d == EOF) {
                    atEnd = true;
                    break;
                }
                ++file.position;
                if (d == '\n') break;
            }
            if (len > 0) break;
            continue;
        }
        if (IsBlank(c)) {
            if (len > 0) break;
            continue;
        }
        // Characters beyond the buffer are dropped: longer tokens are not
        // numbers any file holds.
        if (len < static_cast<int>(sizeof token) - 1) token[len++] = static_cast<char>(c);
    }
    token[len] = 0;
    if (len == 0) {
        m_ended = true; // asked for a number the file does not hold
        return 0.0f;
    }
    return static_cast<float>(std::atof(token));
}

int DDD_ascii::getcount(RTFileSystem& file) { return ToInt(getflt(file)); }

bool DDD_ascii::Read(char const* file)
{
    faces.Free();
    texCoords.Free();
    frames.Free();
    RTFileSystem rec;
    if (!rec.OpenIn(file)) return false;
    bool ok = ReadFrom(rec);
    rec.Close();
    return ok;
}

bool DDD_ascii::Parse(const void* data, std::size_t size)
{
    faces.Free();
    texCoords.Free();
    frames.Free();
    RTFileSystem rec;
    if (size > 0) rec.file = fmemopen(const_cast<void*>(data), size, "rb");
    rec.size = static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size);
    bool ok = ReadFrom(rec);
    rec.Close();
    return ok;
}

bool DDD_ascii::ReadFrom(RTFileSystem& file)
{
    m_ended = false;
    getflt(file);
    if (std::strcmp(token, "DDDA") != 0) return false;
    float version = getflt(file);
    if (version > 1.1f) return false;
    const bool withNormals = version >= 1.1f;

    // Once a number is missing every further one would read as 0; the lists
    // stop after the element that met the end instead of growing by a count
    // the file never holds. Indices past a list read as zeros in Make, so
    // the vertices made are the same.
    int t = getcount(file);
    for (int i = 0; i < t && !m_ended; ++i) {
        TexCoord tc;
        tc.u = getflt(file);
        tc.v = getflt(file);
        if (!texCoords.Push(tc)) return true;
    }
    int n = getcount(file);
    for (int i = 0; i < n && !m_ended; ++i) {
        Face face;
        face.r = getcount(file);
        face.g = getcount(file);
        face.b = getcount(file);
        int k = getcount(file);
        for (int j = 0; j < k && !m_ended; ++j) {
            face.vertexIndex.Push(getcount(file));
            face.texIndex.Push(getcount(file));
        }
        if (!faces.Push(face)) return true;
    }
    int f = getcount(file);
    for (int i = 0; i < f && !m_ended; ++i) {
        Frame frame;
        int count = getcount(file);
        for (int j = 0; j < count && !m_ended; ++j) {
            Vertex vx = {0, 0, 0, 0, 0, 0};
            vx.x = getflt(file);
            vx.y = getflt(file);
            vx.z = getflt(file);
            if (withNormals) {
                vx.nx = getflt(file);
                vx.ny = getflt(file);
                vx.nz = getflt(file);
            }
            frame.vertices.Push(vx);
        }
        if (!frames.Push(frame)) return true;
    }
    return true;
}

bool DDD_ascii::Make(MeshObject& object)
{
    object.Clear(true);
    long long perFrame = 0;
    for (int i = 0; i < faces.Count(); ++i) perFrame += 1 + faces[i].vertexIndex.Count();
    if (perFrame * frames.Count() > kMaxTextVertices) return false;
    if (!object.frames.AllocAtLeast(frames.Count())) return false;

    for (int fi = 0; fi < frames.Count(); ++fi) {
        const Frame& src = frames[fi];
        // The frame is built in place: a copy would double its vertices.
        if (!object.frames.Push(POLY_FRAME())) {
            object.Clear(true);
            return false;
        }
        POLY_FRAME& frame = object.frames[object.frames.Count() - 1];
        if (!frame.vertices.AllocAtLeast(static_cast<int>(perFrame))) {
            object.Clear(true);
            return false;
        }
        for (int fa = 0; fa < faces.Count(); ++fa) {
            const Face& face = faces[fa];
            POLY_NODE sep;
            std::memset(&sep, 0, sizeof sep);
            sep.colour = MESH_FAN;
            sep.r = sep.g = sep.b = 1.0f;
            frame.vertices.Push(sep);
            const std::uint32_t colour = static_cast<std::uint32_t>(face.r & 255) |
                                         static_cast<std::uint32_t>(face.g & 255) << 8 |
                                         static_cast<std::uint32_t>(face.b & 255) << 16;
            for (int j = 0; j < face.vertexIndex.Count(); ++j) {
                POLY_NODE n;
                std::memset(&n, 0, sizeof n);
                // An index outside its list is an error in the file; the
                // corner then reads zeros, like a number the file lacks.
                int vi = face.vertexIndex[j];
                if (vi >= 0 && vi < src.vertices.Count()) {
                    const Vertex& vx = src.vertices[vi];
                    n.pos[0] = vx.x;
                    n.pos[1] = vx.y;
                    n.pos[2] = vx.z;
                    n.normal[0] = vx.nx;
                    n.normal[1] = vx.ny;
                    n.normal[2] = vx.nz;
                }
                int ti = face.texIndex[j];
                if (ti >= 0 && ti < texCoords.Count()) {
                    n.u = texCoords[ti].u;
                    n.v = texCoords[ti].v;
                }
                n.colour = colour;
                n.r = static_cast<float>(face.r) / 255.0f;
                n.g = static_cast<float>(face.g) / 255.0f;
                n.b = static_cast<float>(face.b) / 255.0f;
                frame.vertices.Push(n);
            }
        }
    }
    return true;
}

} // namespace __VELTRIC__
