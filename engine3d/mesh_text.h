#pragma once
// DDD_ascii: the reader of text object files ("DDDA", a version, texture
// coordinates, coloured faces and frames of vertices), which turns them into
// the full vertices of a mesh's frames.
#include <cstddef>

#include "engine3d/mesh_object.h"
#include "runtime/filesystem.h"

namespace __VELTRIC__ {

class DDD_ascii {
public:
    struct TexCoord {
        float u, v;
    };
    struct Vertex {
        float x, y, z, nx, ny, nz;
    };
    struct Face {
        int r = 0, g = 0, b = 0;
        Queue<int> vertexIndex{128, 512};
        Queue<int> texIndex{128, 512};
        Face& operator=(const Face& o);
    };
    struct Frame {
        Queue<Vertex> vertices{128, 512};
        Frame& operator=(const Frame& o);
    };

    // Next token's value (atof); 0 when the file ends before a token starts.
    float getflt(RTFileSystem& file);
    // Empties the lists and parses the file: true when the header was
    // accepted. A file that ends early yields the elements read so far.
    bool Read(char const* file);
    // The same parse over bytes held in memory.
    bool Parse(const void* data, std::size_t size);
    // Fills object with one frame of full vertices per parsed frame, each
    // face a fan; false (object left empty) when the vertices do not fit in
    // memory.
    bool Make(MeshObject& object);

    char token[1024] = {0};
    Queue<Face> faces{128, 512};
    Queue<TexCoord> texCoords{128, 512};
    Queue<Frame> frames{128, 512};

private:
    bool ReadFrom(RTFileSystem& file);
    int getcount(RTFileSystem& file);
    bool m_ended = false;
};

} // namespace __VELTRIC__
