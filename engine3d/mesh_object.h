#pragma once
// The in-memory form of every 3D object: animation frames of quantised points
// sharing one colour list and one texture-coordinate list, the draw vertices
// expanded from them, and the object slot record that holds such objects.
#include <cstddef>
#include <cstdint>

#include "runtime/queue.h"

namespace __VELTRIC__ {

// Colour values that are not colours: the first three separate groups of
// points (triangle list, strip, fan); the fourth and all above draw white.
constexpr std::uint32_t MESH_LIST = 0xFFFFFFFFu;
constexpr std::uint32_t MESH_STRIP = 0xFFFFFFFEu;
constexpr std::uint32_t MESH_FAN = 0xFFFFFFFDu;
constexpr std::uint32_t MESH_WHITE = 0xFFFFFFFCu;

// The 162 unit vectors that normal and basis indices of a point select.
constexpr int MESH_NORMAL_COUNT = 162;
extern const float gAvertexnormals[MESH_NORMAL_COUNT][3];

// One stored point of a frame.
struct XPOLY_NODE {
    std::uint8_t pos[3];  // quantised x, y, z
    std::uint8_t normal;  // index into gAvertexnormals
    std::uint8_t basis1;  // first bump-map basis vector (index into gAvertexnormals)
    std::uint8_t basis2;  // second bump-map basis vector
    std::uint8_t colour;  // index into MeshObject::colours
};

// One full draw vertex. The renderer hands arrays of these to GL with a
// stride of 88 bytes, so the order and widths of the fields are fixed.
struct POLY_NODE {
    float pos[3];
    float normal[3];
    float u, v;
    float light[3];        // dot3 light vector, filled per draw
    float basis1[3];
    float basis2[3];       // first two values double as the cel-shade coordinate
    std::uint32_t colour;  // 0x00BBGGRR or a separator value
    std::uint32_t colourIndex; // lowest byte: the point's colour index
    float r, g, b;
};
static_assert(sizeof(POLY_NODE) == 88, "draw vertex layout is handed to GL");

// Sets the vertex colour c and its red, green and blue from 0 to 1; colours
// from MESH_WHITE up (the separator values among them) draw white.
void SetNodeColour(POLY_NODE& n, std::uint32_t c);

// One animation frame.
struct POLY_FRAME {
    Queue<XPOLY_NODE> points{128, 512};
    Queue<POLY_NODE> vertices{128, 512};   // full vertices before compression
    Queue<POLY_NODE> triangles{128, 512};  // three vertices per triangle
    float offset[3] = {0, 0, 0};  // coordinate = (quantised - offset) * scale
    float scale[3] = {1, 1, 1};
    float radius = 0;             // bounding sphere of the triangles
    float centre[3] = {0, 0, 0};

    POLY_FRAME() = default;
    ~POLY_FRAME() = default;
    // Copies the three lists, offset and scale; radius and centre stay.
    POLY_FRAME& operator=(const POLY_FRAME& o);
};

// Storage and file handling of an object.
class MeshObject {
public:
    MeshObject() = default;
    ~MeshObject();
    MeshObject(const MeshObject&) = delete;
    MeshObject& operator=(const MeshObject&) = delete;

    // Empties the object; with free false the arrays stay for reuse.
    void Clear(bool free);
    // Builds the draw triangles of every frame; nothing at this level.
    virtual void PrepareTriangles() {}

    // Binary object file: 1 on success, 0 on failure (object then empty).
    // Load hands a file without the binary magic number to the text reader.
    bool Save(char const* file);
    bool Load(char const* file, bool expand);
    // Load of the file's bytes held in memory; name is used in messages.
    bool LoadFromMemory(const unsigned char* data, std::size_t size, char const* name, bool expand);
    // Binary object file written into out (growing it); the bytes Save writes.
    void SaveToMemory(Queue<std::uint8_t>& out) const;

    // Quantises every frame's full vertices into points.
    void Compress();
    // Derives normal and bump-map basis indices from the triangles.
    void AutoNormalsAfterCompression(bool normals, bool smooth, bool basis);

    // Expansion of point i of frame f into a draw vertex.
    void ExpandPoint(const POLY_FRAME& f, int i, POLY_NODE& out) const;

    Queue<POLY_FRAME> frames{128, 512};
    Queue<POLY_NODE> firstFrameTriangles{128, 512};
    Queue<float> u{128, 512};  // one texture coordinate pair per point index
    Queue<float> v{128, 512};
    Queue<std::uint32_t> colours{128, 512};
    std::uint32_t normalsReady = 0;

protected:
    void CopyMeshFrom(const MeshObject& o);
};

// One edge of a triangle for shadow volumes: the neighbouring triangle
// across it (-1 none) and its silhouette flag.
struct MESH_EDGE {
    std::int32_t neighbour;
    std::uint32_t silhouette;
};

// A mesh with what the renderer keeps for it.
class MeshObjectX : public MeshObject {
public:
    MeshObjectX() = default;
    ~MeshObjectX() = default;
    MeshObjectX(const MeshObjectX&) = delete;
    // Deep copy; the GL ids are copied as values (both name the same objects).
    MeshObjectX& operator=(const MeshObjectX& o);

    void PrepareTriangles() override;
    void CalcMaxRadius();
    // Empties the object and deletes its GL buffers and cel-shade texture.
    void Clear(bool free);
    // Kept for programs that call it; does nothing.
    void Debug();

    // ---- stencil shadow volumes (shadows.cpp) ----
    // Builds the edge-adjacency table of frame 0's triangles once.
    void CreateEdges();
    // Marks the triangles of `vertices` (three per triangle, as many as frame
    // 0 has) that face `light` (object coordinates) and the silhouette edges.
    void CalculateSilhouetteEdges(POLY_NODE* vertices, float* light);
    // Draws the silhouette edges extruded to infinity away from the light
    // into the stencil buffer, with front and back caps when caps is set.
    void DrawInfiniteShadowVolume(POLY_NODE* vertices, float* light, bool caps);

    // ---- drawing (draw_objects.cpp) ----
    // Builds celTexture and celScale from the colours and the cel-shade
    // ramp, once (nothing while celTexture is set).
    void MakeCelShadeTexutre();

    std::uint32_t coloured = 0;
    std::uint32_t staticBuffer = 0;
    std::uint32_t streamBuffer = 0;
    std::uint32_t celTexture = 0;
    float celScale = 1.0f;
    Queue<MESH_EDGE> edges{128, 512};
    Queue<std::uint8_t> silhouette{128, 512};

private:
    // Deletes the still frame's vertex buffer (when the GL has buffer
    // objects) and sets its id to 0.
    void DropStaticBuffer();
};

// One object slot of the 3D renderer.
struct X_WORLD {
    struct DATA {
        MeshObjectX object;
        int ta = 0;  // index into textures of the first texture (unit 0)
        int tb = 0;  // second texture (unit 1)

        DATA() = default;
        ~DATA();
        DATA& operator=(const DATA& o);
    };

    std::uint8_t loaded = 0;
    std::uint8_t isWorld = 0;
    Queue<DATA> objects{128, 512};
    Queue<std::uint32_t> textures{128, 512};

    X_WORLD() = default;
    // Deep copy of the objects; texture ids copied as values.
    X_WORLD& operator=(const X_WORLD& o);
};

} // namespace __VELTRIC__
