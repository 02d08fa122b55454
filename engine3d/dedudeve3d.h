#pragma once
// Dedudeve3D: the 3D renderer, built over the 2D renderer and sharing its GL
// context. Start-up creates the one instance; the frame step asks it to end
// an open shadow pass and to return to the fixed pipeline. It lives until
// the process ends. It holds the camera, the projection and its frustum,
// the stack of model-matrix levels, the lights and fog, and the debug
// markers drawn into the scene.
#include <cstdint>

#include "engine3d/mesh_object.h"
#include "runtime/queue.h"

namespace __VELTRIC__ {

class OpenGLDedudeve;

// GL handles of one shader slot; 0 = none.
struct ShaderSlot {
    std::uint32_t program;
    std::uint32_t vertexShader;
    std::uint32_t fragmentShader;
};

// One level of the model-matrix stack: what the 3D commands gathered for it
// and the model matrix composed from it.
struct MatrixLevel {
    static constexpr int kMaxItems = 16;
    struct Rotation {
        float angle; // degrees
        float x, y, z;
    };
    std::int32_t matrixCount;   // free matrices in use (0 to 16)
    std::int32_t rotationCount; // rotations in use (0 to 16)
    Rotation rotations[kMaxItems];
    float scaling[3];
    float movement[3];
    float matrices[kMaxItems][16];
    float composed[16];
    std::int32_t built; // 1 when composed already holds the items above

    // No items, composed = identity, built.
    void Reset();
};

class Dedudeve3D {
public:
    static constexpr int kSlotCount = 4096;
    static constexpr int kShaderCount = 255;
    static constexpr int kLevelCount = 16;
    enum Plane { kRight, kLeft, kBottom, kTop, kFar, kNear };

    // Makes no GL call: the GL context exists already.
    explicit Dedudeve3D(OpenGLDedudeve* renderer2d);
    virtual ~Dedudeve3D();
    Dedudeve3D(const Dedudeve3D&) = delete;
    Dedudeve3D& operator=(const Dedudeve3D&) = delete;

    // Begins (true) or ends (false) the stencil shadow pass; nothing when
    // the pass is already in that state. Ending it darkens every pixel the
    // shadow volumes marked and restores the normal 3D state (shadows.cpp).
    void DoShadows(bool start);
    // Selects shader slot n; -1 selects the fixed pipeline.
    void SetShader(int n);

    OpenGLDedudeve* Renderer2D() const { return renderer2D; }

    // ---- camera, viewport, frustum and matrices (dedudeve3d.cpp) ----
    // Switches GL to 3D drawing in the 2D renderer's current viewport; fov
    // is the full vertical angle in degrees, 0 or below for orthographic.
    void Make3DViewport(float zNear, float zFar, float fov);
    void SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                   float targetZ);
    // Takes effect at the next SetCamera.
    void SetCameraUp(float x, float y, float z);
    // Planes of the current GL projection and modelview matrices.
    void ExtractFrustum();
    // False when the sphere lies wholly outside one frustum plane.
    bool SphereInFrustum(float x, float y, float z, float radius) const;
    // Brings the current level's composed matrix up to date.
    void BuildMatrix();
    // BuildMatrix, then multiplies the current GL matrix by it.
    void TransformMatrix();
    void ClearZBuffer();
    // 0 no culling, 1 clockwise front faces, -1 counter-clockwise front
    // faces (back faces culled); other values are stored only.
    void CullMode(int mode);
    void SetTextureOffset(float u, float v);

    // ---- lights and fog (lights.cpp) ----
    // n >= 0: GL light n modulo 8 (cutoff 0 switches it off, 180 directional,
    // above 90 a point light, else a spot). n < 0: the effect light.
    void SpotLt(int n, unsigned long colour, float x, float y, float z, float dx, float dy,
                float dz, float cutoff, int showDebug);
    // A directional light from the camera's side towards the origin.
    void AmbientLt(int n, unsigned long colour);
    // colour 0xFFFFFFFF switches fog off; mode 0 linear, else exponential.
    void Fog(unsigned long colour, int mode, float start, float end);

    // ---- debug markers (debug_draw.cpp) ----
    void DrawCoordAxis(float x, float y, float z);
    void DrawDot(const float* point, unsigned long colour, float size);
    void DrawLine(const float* from, const float* to, unsigned long colour, float width);
    // The box of corners centre +- a +- b +- c (half-axis vectors).
    void DrawAABB(const float* centre, const float* a, const float* b, const float* c,
                  unsigned long colour, short width);
    void DrawSphereGrid(float* centre, float radius, unsigned long colour, short width);

    // ---- object collision queries (collision_queries.cpp) ----
    // Queries in world coordinates against the triangles of frame `frame` of
    // an object as drawn at the current model matrix, or of every object of
    // a slot. A missing frame, slot or triangle gives no contact.
    bool CollisionSphere(MeshObjectX& obj, int frame, float radius, float x, float y, float z);
    bool CollisionSphere(int slot, int frame, float radius, float x, float y, float z);
    // The oriented box of centre and three half-axis vectors.
    bool CollisionAABB(MeshObjectX& obj, int frame, float const* centre, float const* axis1,
                       float const* axis2, float const* axis3);
    bool CollisionAABB(int slot, int frame, float const* centre, float const* axis1,
                       float const* axis2, float const* axis3);
    // The ray factor of the nearest hit ahead of the origin (the distance for
    // a rigid model matrix), else of the nearest hit behind it, else 0.
    float CollisionRay(MeshObjectX& obj, int frame, float x, float y, float z, float dx, float dy,
                       float dz);
    float CollisionRay(int slot, int frame, float x, float y, float z, float dx, float dy,
                       float dz);
    // The cone of apex, axis and half angle in degrees: 1 on contact, else 0.
    double CollisionCone(MeshObjectX& obj, int frame, float x, float y, float z, float ax,
                         float ay, float az, float angle);
    double CollisionCone(int slot, int frame, float x, float y, float z, float ax, float ay,
                         float az, float angle);
    // Sphere against the box of half sizes hx, hy, hz centred on the origin
    // of the current model coordinates.
    bool CollisionSphereBox(float x, float y, float z, float radius, float hx, float hy, float hz);

    // ---- shaders (shaders.cpp) ----
    // Receives every message of the shader operations; may be null.
    using ShaderErrorCallback = void (*)(const char*);
    // Compiles and links the two source files (either may be null) into
    // slot 0..254, replacing what the slot held; 1 on success. The slot is
    // not made current.
    bool LoadShader(int slot, char const* vertexFile, char const* fragmentFile,
                    ShaderErrorCallback cb);
    // Compile status (isShader) or link status of a GL object; on failure
    // hands the GL info log to cb.
    bool VerifyShader(unsigned int object, bool isShader, ShaderErrorCallback cb);
    // Uniforms and attributes of the program of currentShader, by name.
    void PutShaderUniform1f(char const* name, float value, ShaderErrorCallback cb);
    void PutShaderUniform1i(char const* name, int value, ShaderErrorCallback cb);
    void PutShaderAttrib1f(char const* name, float value, ShaderErrorCallback cb);
    // Deletes the slot's GL objects; currentShader stays.
    void FreeShader(int slot);

    // ---- world file and object slots (world_file.cpp, object_slots.cpp) ----
    // Fills an emptied slot from a world file; the colour key is passed on to
    // the picture readers. 1 in every case.
    bool Load_DDW(char const* file, X_WORLD& slot, unsigned long colourKey);
    // Building an object vertex by vertex: kind 0 separate triangles, 2 a
    // fan, any other value a strip. Slots outside the table are ignored.
    void UserObjectStart(int slot, int kind);
    void UserObjectNewGroup(int kind);
    void UserObjectAddVertex(float x, float y, float z, float u, float v, unsigned long colour);
    void UserObjectEnd();
    // Empties the slot and loads a world file (first bytes ";DDW") or an
    // object file into it: 1 loaded, 0 failed (slot then empty).
    bool LoadObject(char const* file, int slot);
    // Writes the slot's first object as a binary object file; always 1.
    bool SaveObject(char const* file, int slot);

    // ---- drawing animated objects (draw_objects.cpp) ----
    // Draws slot `slot` between frames frame1 and frame2: every object of a
    // world with its own textures, else the slot's first object with the
    // caller's texture state. Slots outside the table draw nothing.
    void RenderAnim(int slot, int frame1, int frame2, float factor, bool interpolate);
    // Draws one object; textureIds is null or a world slot's textures.
    void RenderMD2(MeshObjectX& object, int frame1, int frame2, float factor, bool interpolate,
                   unsigned int* textureIds);
    // A software drawing path that this build does not have: draws nothing.
    void RenderMD2_TinyGL(MeshObjectX& object, int frame1, int frame2, float factor,
                          bool interpolate, unsigned int* textureIds);
    // Replaces the cel-shade ramp (count < 1: one value 255) and drops every
    // object's cel texture so the next cel-shaded draw rebuilds it.
    void SetCelShades(unsigned char* shades, int count);

    // ---- fields ----
    Queue<X_WORLD> slots{128, 512}; // kSlotCount object slots
    float frustum[6][4]; // planes (a, b, c, d) in the order of Plane
    ShaderSlot shaders[kShaderCount];
    std::int32_t currentShader = -1; // -1 = fixed pipeline
    std::uint8_t shadowPass = 0;
    std::int8_t cullMode = 0;
    MatrixLevel levels[kLevelCount];
    std::int32_t level = 0;
    float viewMatrix[16];
    float textureOffsetU = 0.0f, textureOffsetV = 0.0f;
    std::uint8_t lightMask = 0; // bit i: GL light i enabled
    std::uint8_t sphereMapping = 0;
    OpenGLDedudeve* renderer2D; // not owned
    std::uint8_t effectOn = 0;
    std::uint8_t effectMode = 0; // 1 dot3 bump mapping, 2 cel shading, 3 stencil shadows
    float effectLight[3];
    float effectColour[3];
    float cameraUp[3];
    float cameraEye[3];
    float cameraTarget[3];
    float fovTan = 0.0f;
    float zNear = 0.0f, zFar = 0.0f;
    std::int32_t normalsMode = 2; // 0 none, 1 flat, 2 smooth

private:
    // Level 0 becomes the current level, reset.
    void ResetToLevel0();
};

// Loads the viewing matrix of a camera at eye looking at target into the
// current GL matrix.
void LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
            float upX, float upY, float upZ);

extern Dedudeve3D* __g_pRbow3D;
// The cel-shade ramp: brightness values 0..255, filled with the default
// ramp when a cel texture is built while it is empty.
extern Queue<std::uint8_t> gCelShadeDate;
// The slot whose object is being built; -1 when none.
extern std::int32_t gCurObject;

} // namespace __VELTRIC__
