// Drawing the objects of the 3D renderer's slots: frame choice and blending,
// frustum culling by the frame's bounding sphere, the vertex upload (buffer
// objects when the GL has them) and the texturing of the moment: up to two
// texture units, sphere mapping, dot3 bump mapping, cel shading with its
// outline, or the stencil shadow volume. Also the cel-shade ramp and the
// cel-shade texture of an object.
#include "engine3d/dedudeve3d.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "engine3d/matrix4.h"
#include "media/gl_extensions.h"
#include "media/gl_matrix.h"
#include "media/opengl_dedudeve.h"
#include "media/sprite_record.h"

namespace __VELTRIC__ {

Queue<std::uint8_t> gCelShadeDate{128, 512};

namespace {

constexpr std::uint8_t kDefaultRamp[16] = {100, 160, 160, 160, 160, 160, 160, 207,
                                           255, 255, 255, 255, 255, 255, 255, 255};
constexpr GLsizei kStride = static_cast<GLsizei>(sizeof(POLY_NODE));
constexpr std::size_t kOffPos = offsetof(POLY_NODE, pos);
constexpr std::size_t kOffNormal = offsetof(POLY_NODE, normal);
constexpr std::size_t kOffUV = offsetof(POLY_NODE, u);
constexpr std::size_t kOffLight = offsetof(POLY_NODE, light);
constexpr std::size_t kOffCel = offsetof(POLY_NODE, basis2);
constexpr std::size_t kOffRGB = offsetof(POLY_NODE, r);
static_assert(kOffPos == 0 && kOffNormal == 12 && kOffUV == 24 && kOffLight == 32 &&
                  kOffCel == 56 && kOffRGB == 76,
              "GL array offsets of the draw vertex");

bool HasMultitexture() { return glActiveTextureArb && glClientActiveTextureArb; }
bool HasBuffers() { return glGenBuffersArb && glBindBufferArb && glBufferDataArb; }

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool UpperIsIdentity(const float* m)
{
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            if (m[4 * c + r] != (c == r ? 1.0f : 0.0f)) return false;
    return true;
}

float ColumnLength(const float* m, int c)
{
    return std::sqrt(m[4 * c] * m[4 * c] + m[4 * c + 1] * m[4 * c + 1] +
                     m[4 * c + 2] * m[4 * c + 2]);
}

// True when some column of m's upper 3 x 3 is not of unit length.
bool Scales(const float* m)
{
    for (int c = 0; c < 3; ++c)
        if (std::fabs(ColumnLength(m, c) - 1.0f) > 1e-4f) return true;
    return false;
}

// p mapped by the inverse of m taken as a rigid transform: R^T (p - t).
void InverseRigid(const float* m, const float* p, float* out)
{
    const float d[3] = {p[0] - m[12], p[1] - m[13], p[2] - m[14]};
    for (int i = 0; i < 3; ++i) out[i] = Dot(m + 4 * i, d);
}

// p mapped by the inverse of the model matrix m, scaling included, so that
// m maps the result back onto p. A matrix without an inverse (a scaling of
// 0) falls back to the rigid inverse.
void InverseAffine(const float* m, const float* p, float* out)
{
    float inv[16];
    if (!Mat4Invert(m, inv)) {
        InverseRigid(m, p, out);
        return;
    }
    const float in[4] = {p[0], p[1], p[2], 1.0f};
    float r[4];
    Mat4Transform(inv, in, r);
    // A free matrix may carry a projective row: back to w = 1.
    const float w = r[3] != 0.0f ? r[3] : 1.0f;
    for (int i = 0; i < 3; ++i) out[i] = r[i] / w;
}

// The GL texture of texture number t as the 2D renderer's texture state
// means it: an entry of ids, else sprite t's first or second texture.
GLuint TextureName(const OpenGLDedudeve* gl, int t, const unsigned int* ids)
{
    if (t < 0) return 0;
    if (ids) return ids[t];
    if (!gl || !gl->m_sprites || !IsSpriteNumber(t)) return 0;
    return gl->m_texUseSecond ? gl->m_sprites[t].texture2 : gl->m_sprites[t].texture;
}

// Loads the first `count` vertices of src into the buffer, generating the
// buffer when it is 0.
void LoadBuffer(std::uint32_t& buffer, const POLY_NODE* src, int count, GLenum usage)
{
    if (buffer == 0) {
        GLuint id = 0;
        glGenBuffersArb(1, &id);
        buffer = id;
    }
    glBindBufferArb(GL_ARRAY_BUFFER_ARB, buffer);
    glBufferDataArb(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(count) * kStride, src, usage);
}

} // namespace

void MeshObjectX::MakeCelShadeTexutre()
{
    if (celTexture != 0) return;
    const int colourCount = colours.Count();
    // One row per colour a point can name: the colour index is one byte, so
    // no more than 256 rows are ever reached.
    int hc = 1;
    if (colourCount >= 2) {
        hc = 2;
        while (hc < colourCount && hc < 256) hc *= 2;
    }
    celScale = 1.0f / static_cast<float>(hc);

    if (gCelShadeDate.Count() == 0)
        for (std::uint8_t b : kDefaultRamp) gCelShadeDate.Push(b);
    const int rampSize = gCelShadeDate.Count();
    if (rampSize == 0) return; // the ramp could not be stored
    int w = 64;
    while (w < 512 && w < 4 * rampSize) w *= 2;

    // Rows past what GL can hold are not worth the memory: no texture then.
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize > 0 && hc > maxSize) return;
    std::uint8_t* pixels =
        new (std::nothrow) std::uint8_t[static_cast<std::size_t>(w) * static_cast<std::size_t>(hc) * 4];
    if (!pixels) return;
    for (int y = 0; y < hc; ++y) {
        // Rows beyond the colour list take colour 0; with no colour at all
        // the row is the plain ramp.
        const std::uint32_t c = y < colourCount ? colours[y]
                                : colourCount > 0 ? colours[0]
                                                  : MESH_WHITE;
        std::uint8_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 4;
        for (int x = 0; x < w; ++x) {
            // x * rampSize passes 2^31 for ramps of more than about 4.2
            // million values (the program may pass any length): 64 bits.
            const unsigned shade = gCelShadeDate[static_cast<int>(
                static_cast<std::int64_t>(x) * rampSize / w)];
            std::uint8_t* px = row + 4 * x;
            if (c >= MESH_WHITE) {
                px[0] = px[1] = px[2] = static_cast<std::uint8_t>(shade);
            } else {
                px[0] = static_cast<std::uint8_t>((c & 0xFFu) * shade / 255u);
                px[1] = static_cast<std::uint8_t>(((c >> 8) & 0xFFu) * shade / 255u);
                px[2] = static_cast<std::uint8_t>(((c >> 16) & 0xFFu) * shade / 255u);
            }
            px[3] = 255;
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, hc, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    delete[] pixels;
    celTexture = id;
}

void Dedudeve3D::SetCelShades(unsigned char* shades, int count)
{
    gCelShadeDate.Clear();
    if (count < 1 || !shades) {
        gCelShadeDate.Push(255);
    } else if (gCelShadeDate.AllocAtLeast(count)) {
        std::memcpy(gCelShadeDate.Items(), shades, static_cast<std::size_t>(count));
        gCelShadeDate.SetCount(count);
    }
    for (int i = 0; i < slots.Count(); ++i) {
        X_WORLD& w = slots[i];
        for (int k = 0; k < w.objects.Count(); ++k) {
            MeshObjectX& o = w.objects[k].object;
            if (o.celTexture != 0) {
                GLuint id = o.celTexture;
                glDeleteTextures(1, &id);
                o.celTexture = 0;
            }
        }
    }
}

void Dedudeve3D::RenderAnim(int slot, int frame1, int frame2, float factor, bool interpolate)
{
    if (slot < 0 || slot >= slots.Count()) return;
    X_WORLD& s = slots[slot];
    if (s.isWorld == 1) {
        const int textureCount = s.textures.Count();
        unsigned int* ids = textureCount > 0 ? s.textures.Items() : nullptr;
        for (int i = 0; i < s.objects.Count(); ++i) {
            X_WORLD::DATA& d = s.objects[i];
            if (renderer2D) {
                if (ids) {
                    // A texture number beyond the slot's list means no texture.
                    const int ta = d.ta >= 0 && d.ta < textureCount ? d.ta : -1;
                    const int tb = d.tb >= 0 && d.tb < textureCount ? d.tb : -1;
                    renderer2D->SetTexture3D(ta, tb, 0, ids);
                } else {
                    renderer2D->SetTexture3D(-1, -1, 0, nullptr);
                }
            }
            RenderMD2(d.object, frame1, frame2, factor, interpolate, ids);
        }
    } else if (s.objects.Count() > 0) {
        RenderMD2(s.objects[0].object, frame1, frame2, factor, interpolate, nullptr);
    }
}

void Dedudeve3D::RenderMD2_TinyGL(MeshObjectX&, int, int, float, bool, unsigned int*) {}

void Dedudeve3D::RenderMD2(MeshObjectX& O, int f1, int f2, float factor, bool interpolate,
                           unsigned int* ids)
{
    const int n = O.frames.Count();
    if (n == 0 || O.frames[0].points.Count() == 0) return;
    if (level < 0 || level >= kLevelCount) return;

    // Frames A and B and the weight of A.
    int a, b;
    float w;
    if (!interpolate) {
        a = std::max(f2, 0);
        b = std::max(f1, 0);
        w = factor;
    } else {
        if (factor > 1.0f || factor < 0.0f) factor = std::fabs(std::fmod(factor, 1.0f));
        // The difference is taken in float so that frame numbers far apart
        // cannot overflow, and p is kept where truncation to int is defined
        // (a factor that is not a number lands on the first frame).
        const float from = static_cast<float>(f1), to = static_cast<float>(f2);
        float p = from + (to - from) * factor;
        if (!(p > -1e9f)) p = -1e9f;
        if (!(p < 1e9f)) p = 1e9f;
        const int i = static_cast<int>(p);
        if (f1 < f2) {
            a = i;
            b = i + 1;
            w = 1.0f - (p - static_cast<float>(i));
        } else if (f1 > f2) {
            a = i + 1;
            b = i;
            w = p - static_cast<float>(i);
        } else {
            a = f1;
            b = f2;
            w = 0.0f;
        }
        a = std::max(a, 0);
        b = std::max(b, 0);
    }
    a = std::min(a, n - 1);
    b = std::min(b, n - 1);
    // The drawn vertex is A x w + B x (1 - w): with a weight of 0 that is
    // frame B, also on the paths below that skip the blend.
    if (w == 0.0f) a = b;
    POLY_FRAME& A = O.frames[a];
    POLY_FRAME& B = O.frames[b];

    // Frustum test by the frame's bounding sphere, before any vertex work.
    BuildMatrix();
    const float* Mc = levels[level].composed;
    const float centre[4] = {A.centre[0], A.centre[1], A.centre[2], 1.0f};
    float m[4];
    Mat4Transform(Mc, centre, m);
    // The sphere grows with the largest axis scale, so that a scaled object
    // is only culled when all of it lies outside.
    float scale = 1.0f;
    if (!UpperIsIdentity(Mc))
        scale = std::max({ColumnLength(Mc, 0), ColumnLength(Mc, 1), ColumnLength(Mc, 2)});
    const float radius = A.radius * scale;
    for (int k = 0; k < 6; ++k) {
        const float* pl = frustum[k];
        if (pl[0] * m[0] + pl[1] * m[1] + pl[2] * m[2] + pl[3] <= -radius) return;
    }

    const float alpha = renderer2D ? renderer2D->m_alpha : 1.0f;
    glColor4f(1, 1, 1, alpha);

    if (effectOn) {
        if (effectMode == 2) {
            O.AutoNormalsAfterCompression(true, false, false);
            O.MakeCelShadeTexutre();
        } else if (effectMode == 3) {
            O.AutoNormalsAfterCompression(true, false, false);
            O.CreateEdges();
        } else if (effectMode == 1) {
            O.AutoNormalsAfterCompression(true, normalsMode == 2, true);
        }
    }
    if (O.firstFrameTriangles.Count() == 0) O.PrepareTriangles();
    // Frames of one object share a vertex count; frames read from a file
    // that break that rule are drawn only as far as all of them reach.
    int N = O.firstFrameTriangles.Count();
    N = std::min({N, A.triangles.Count(), B.triangles.Count()});
    if (N <= 0) return;

    const bool multi = HasMultitexture();
    const bool buffers = HasBuffers();
    POLY_NODE* src = O.firstFrameTriangles.Items();
    std::uint32_t* buffer = &O.streamBuffer;
    float Lo[3] = {0, 0, 0};
    bool perVertex = true;
    if (!effectOn && w == 0.0f && textureOffsetU == 0.0f && textureOffsetV == 0.0f) {
        src = A.triangles.Items();
        if (a == 0) buffer = &O.staticBuffer;
        perVertex = false;
    } else if (effectOn) {
        InverseAffine(Mc, effectLight, Lo);
        if (effectMode == 3) {
            // The volume follows the shape as drawn: between two frames it
            // is cast by the blended positions.
            POLY_NODE* V = A.triangles.Items();
            if (w != 0.0f) {
                const POLY_NODE* P = A.triangles.Items();
                const POLY_NODE* R = B.triangles.Items();
                for (int k = 0; k < N; ++k)
                    for (int c = 0; c < 3; ++c)
                        src[k].pos[c] = R[k].pos[c] + (P[k].pos[c] - R[k].pos[c]) * w;
                V = src;
            }
            glPushMatrix();
            BuildMatrix();
            GlMultMatrix(Mc);
            O.CalculateSilhouetteEdges(V, Lo);
            O.DrawInfiniteShadowVolume(V, Lo, true);
            glPopMatrix();
            return;
        }
    }

    if (perVertex) {
        POLY_NODE* P = A.triangles.Items();
        POLY_NODE* Rf = B.triangles.Items();
        POLY_NODE* Q = src;
        const bool effectVertices = effectOn && multi;
        for (int k = 0; k < N; ++k) {
            POLY_NODE& q = Q[k];
            const POLY_NODE& p = P[k];
            const POLY_NODE* r = &p;
            if (w != 0.0f) {
                r = &Rf[k];
                for (int c = 0; c < 3; ++c) {
                    q.pos[c] = r->pos[c] + (p.pos[c] - r->pos[c]) * w;
                    q.normal[c] = r->normal[c] + (p.normal[c] - r->normal[c]) * w;
                }
                // The texture offset is added to the frame's own coordinates,
                // so it does not pile up from draw to draw.
                q.u = p.u;
                q.v = p.v;
            } else {
                q = p;
            }
            if (effectVertices) {
                float L[3] = {Lo[0] - q.pos[0], Lo[1] - q.pos[1], Lo[2] - q.pos[2]};
                Vec3NormaliseIfLong(L);
                if (effectMode == 1) {
                    q.light[0] = Dot(r->basis1, L) * 0.5f + 0.5f;
                    q.light[1] = Dot(r->basis2, L) * 0.5f + 0.5f;
                    q.light[2] = Dot(q.normal, L) * 0.5f + 0.5f;
                } else if (effectMode == 2) {
                    const float t =
                        (static_cast<float>(q.colourIndex & 0xFFu) + 0.5f) * O.celScale;
                    float D[3] = {q.pos[0] - q.normal[0], q.pos[1] - q.normal[1],
                                  q.pos[2] - q.normal[2]};
                    Vec3NormaliseIfLong(D);
                    float s = Dot(L, D);
                    s = std::min(std::max(s, 0.05f), 0.95f);
                    q.basis2[0] = s;
                    q.basis2[1] = t;
                }
            }
            q.u += textureOffsetU;
            q.v += textureOffsetV;
        }
    }

    // Upload; array offsets are then offsets into the buffer.
    const char* base = reinterpret_cast<const char*>(src);
    if (buffers) {
        const bool isStatic = buffer == &O.staticBuffer;
        if (*buffer == 0)
            LoadBuffer(*buffer, src, N, isStatic ? GL_STATIC_DRAW_ARB : GL_STREAM_DRAW_ARB);
        else if (!isStatic)
            LoadBuffer(*buffer, src, N, GL_STREAM_DRAW_ARB);
        else
            glBindBufferArb(GL_ARRAY_BUFFER_ARB, *buffer);
        base = nullptr;
    }
    // With a buffer bound GL takes the "pointer" as a byte offset into it:
    // the offset is turned into a pointer value, not added to a null one.
    auto at = [base](std::size_t offset) -> const void* {
        return base ? static_cast<const void*>(base + offset)
                    : reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset));
    };

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, kStride, at(kOffPos));

    const int t0 = renderer2D ? renderer2D->m_texFirst : -1;
    const int t1 = renderer2D ? renderer2D->m_texSecond : -1;
    if (!effectOn || !multi) {
        if (t0 >= 0) {
            if (t1 >= 0 && multi) {
                glActiveTextureArb(GL_TEXTURE1_ARB);
                glClientActiveTextureArb(GL_TEXTURE1_ARB);
                glBindTexture(GL_TEXTURE_2D, TextureName(renderer2D, t1, ids));
                glEnableClientState(GL_TEXTURE_COORD_ARRAY);
                glTexCoordPointer(2, GL_FLOAT, kStride, at(kOffUV));
                glActiveTextureArb(GL_TEXTURE0_ARB);
                glClientActiveTextureArb(GL_TEXTURE0_ARB);
            }
            glBindTexture(GL_TEXTURE_2D, TextureName(renderer2D, t0, ids));
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, kStride, at(kOffUV));
        }
        if (O.coloured) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(3, GL_FLOAT, kStride, at(kOffRGB));
        }
    } else if (effectMode == 1) {
        glActiveTextureArb(GL_TEXTURE1_ARB);
        glClientActiveTextureArb(GL_TEXTURE1_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, kStride, at(kOffUV));
        glActiveTextureArb(GL_TEXTURE0_ARB);
        glClientActiveTextureArb(GL_TEXTURE0_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_DOT3_RGB_EXT);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PRIMARY_COLOR_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, kStride, at(kOffUV));
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, kStride, at(kOffLight));
    } else if (effectMode == 2) {
        glActiveTextureArb(GL_TEXTURE1_ARB);
        glClientActiveTextureArb(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, O.celTexture);
        glEnable(GL_TEXTURE_2D);
        if (renderer2D) renderer2D->m_unit1Off = false; // the 2D renderer's unit 1 is on now
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, kStride, at(kOffCel));
        glActiveTextureArb(GL_TEXTURE0_ARB);
        glClientActiveTextureArb(GL_TEXTURE0_ARB);
        if (t0 >= 0) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, TextureName(renderer2D, t0, ids));
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, kStride, at(kOffUV));
        }
    }

    glEnable(GL_COLOR_MATERIAL);
    glPushMatrix();
    BuildMatrix();
    GlMultMatrix(Mc);
    // A scaling of the model matrix scales the normals with it; lighting
    // and sphere mapping need them of unit length again.
    bool normalise = false;
    if (lightMask != 0 || sphereMapping != 0) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, kStride, at(kOffNormal));
        normalise = Scales(Mc) && glIsEnabled(GL_NORMALIZE) == GL_FALSE;
        if (normalise) glEnable(GL_NORMALIZE);
    }
    if (sphereMapping) {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }

    glDrawArrays(GL_TRIANGLES, 0, N);
    if (normalise) glDisable(GL_NORMALIZE);

    if (sphereMapping) {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    if (multi) {
        glClientActiveTextureArb(GL_TEXTURE1_ARB);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glClientActiveTextureArb(GL_TEXTURE0_ARB);
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (buffers) glBindBufferArb(GL_ARRAY_BUFFER_ARB, 0);

    // Cel outline: the object again, pushed out along its normals, black,
    // with the faces turned round so only the rim behind the object shows.
    if (effectOn && effectMode == 2 && cullMode != 0 && multi) {
        float e[3];
        InverseRigid(Mc, cameraEye, e);
        float d3[3] = {e[0] - A.centre[0], e[1] - A.centre[1], e[2] - A.centre[2]};
        const double sq = static_cast<double>(Dot(d3, d3));
        const float d = sq > 1e-7 ? static_cast<float>(std::sqrt(sq)) : 0.0f;
        float width = d * fovTan * 0.003f;
        // The composed matrix holds every level's scaling, so its scale is
        // taken out once.
        if (!UpperIsIdentity(Mc)) {
            const float ms = (ColumnLength(Mc, 0) + ColumnLength(Mc, 1) + ColumnLength(Mc, 2)) / 3.0f;
            if (ms != 0.0f) width /= ms * ms;
        }
        if (width <= 0.5f * A.radius) {
            width = std::max(width, 1e-7f);
            const int savedCull = cullMode;
            CullMode(-savedCull);
            for (int k = 0; k < N; ++k) {
                POLY_NODE& q = src[k];
                for (int c = 0; c < 3; ++c) q.pos[c] += q.normal[c] * width;
            }
            const char* obase = reinterpret_cast<const char*>(src);
            if (buffers) {
                LoadBuffer(O.streamBuffer, src, N, GL_STREAM_DRAW_ARB);
                obase = nullptr;
            }
            glEnableClientState(GL_VERTEX_ARRAY);
            glVertexPointer(3, GL_FLOAT, kStride, obase);
            glActiveTextureArb(GL_TEXTURE1_ARB);
            glDisable(GL_TEXTURE_2D);
            glActiveTextureArb(GL_TEXTURE0_ARB);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_LIGHTING);
            glEnable(GL_COLOR_MATERIAL);
            glColor3f(0, 0, 0);
            glDepthFunc(GL_LEQUAL);
            glDrawArrays(GL_TRIANGLES, 0, N);
            glDepthFunc(GL_LESS);
            glDisableClientState(GL_VERTEX_ARRAY);
            if (lightMask != 0) glEnable(GL_LIGHTING);
            if (renderer2D)
                renderer2D->SetTexture3D(t0, t1, renderer2D->m_texUseSecond ? 1 : 0, ids);
            CullMode(savedCull);
            if (buffers) glBindBufferArb(GL_ARRAY_BUFFER_ARB, 0);
        }
    }

    if (multi) {
        glActiveTextureArb(GL_TEXTURE1_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glActiveTextureArb(GL_TEXTURE0_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    glPopMatrix();
    glColor4f(1, 1, 1, alpha);
}

} // namespace __VELTRIC__
