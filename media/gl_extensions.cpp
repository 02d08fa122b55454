#include "media/gl_extensions.h"

#include <cstdio>
#include <cstring>

namespace __VELTRIC__ {

PFNGLACTIVETEXTUREARBPROC glActiveTextureArb = nullptr;
PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fArb = nullptr;
PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureArb = nullptr;
PFNGLGENBUFFERSARBPROC glGenBuffersArb = nullptr;
PFNGLBINDBUFFERARBPROC glBindBufferArb = nullptr;
PFNGLBUFFERDATAARBPROC glBufferDataArb = nullptr;
PFNGLDELETEBUFFERSARBPROC glDeleteBuffersArb = nullptr;
PFNGLMAPBUFFERARBPROC glMapBufferArb = nullptr;
PFNGLUNMAPBUFFERARBPROC glUnmapBufferArb = nullptr;
PFNGLGETBUFFERPARAMETERIVARBPROC glGetBufferParameterivArb = nullptr;
PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectArb = nullptr;
PFNGLDELETEOBJECTARBPROC glDeleteObjectArb = nullptr;
PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectArb = nullptr;
PFNGLSHADERSOURCEARBPROC glShaderSourceArb = nullptr;
PFNGLCOMPILESHADERARBPROC glCompileShaderArb = nullptr;
PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivArb = nullptr;
PFNGLATTACHOBJECTARBPROC glAttachObjectArb = nullptr;
PFNGLGETINFOLOGARBPROC glGetInfoLogArb = nullptr;
PFNGLLINKPROGRAMARBPROC glLinkProgramArb = nullptr;
PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectArb = nullptr;
PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationArb = nullptr;
PFNGLUNIFORM1FARBPROC glUniform1fArb = nullptr;
PFNGLUNIFORM1IARBPROC glUniform1iArb = nullptr;
PFNGLGETATTRIBLOCATIONARBPROC glGetAttribLocationArb = nullptr;
PFNGLVERTEXATTRIB1FARBPROC glVertexAttrib1fArb = nullptr;

namespace {

// One entry point: its name, where it is kept, and the extension that must
// be offered for the pointer to be kept.
struct EntryPoint {
    const char* name;
    void** slot;
    const char* extension;
};

template <class F> void** Slot(F& pointer) { return reinterpret_cast<void**>(&pointer); }

void LoadGroup(const EntryPoint* entries, int count, const char* extensions,
               void* (*lookup)(const char*))
{
    for (int i = 0; i < count; ++i) {
        void* p = lookup(entries[i].name);
        if (!HasGLExtension(extensions, entries[i].extension)) p = nullptr;
        *entries[i].slot = p;
        std::printf("ext: %-35s   [%4s]\n", entries[i].name, p ? "OK" : "FAIL");
    }
}

} // namespace

bool HasGLExtension(const char* extensions, const char* name)
{
    if (!extensions || !name || !*name) return false;
    std::size_t len = std::strlen(name);
    for (const char* p = std::strstr(extensions, name); p; p = std::strstr(p + 1, name)) {
        bool startsWord = p == extensions || p[-1] == ' ';
        bool endsWord = p[len] == '\0' || p[len] == ' ';
        if (startsWord && endsWord) return true;
    }
    return false;
}

void LoadArbExtensions(const char* extensions, void* (*lookup)(const char*))
{
    static const char kMulti[] = "GL_ARB_multitexture";
    static const char kVbo[] = "GL_ARB_vertex_buffer_object";
    static const char kShader[] = "GL_ARB_shader_objects";
    const EntryPoint multitexture[] = {
        {"glActiveTextureARB", Slot(glActiveTextureArb), kMulti},
        {"glMultiTexCoord2fARB", Slot(glMultiTexCoord2fArb), kMulti},
        {"glClientActiveTextureARB", Slot(glClientActiveTextureArb), kMulti},
        {"glGenBuffersARB", Slot(glGenBuffersArb), kVbo},
        {"glBindBufferARB", Slot(glBindBufferArb), kVbo},
        {"glBufferDataARB", Slot(glBufferDataArb), kVbo},
        {"glDeleteBuffersARB", Slot(glDeleteBuffersArb), kVbo},
        {"glMapBufferARB", Slot(glMapBufferArb), kVbo},
        {"glUnmapBufferARB", Slot(glUnmapBufferArb), kVbo},
        {"glGetBufferParameterivARB", Slot(glGetBufferParameterivArb), kVbo},
    };
    const EntryPoint shaders[] = {
        {"glCreateProgramObjectARB", Slot(glCreateProgramObjectArb), kShader},
        {"glDeleteObjectARB", Slot(glDeleteObjectArb), kShader},
        {"glCreateShaderObjectARB", Slot(glCreateShaderObjectArb), kShader},
        {"glShaderSourceARB", Slot(glShaderSourceArb), kShader},
        {"glCompileShaderARB", Slot(glCompileShaderArb), kShader},
        {"glGetObjectParameterivARB", Slot(glGetObjectParameterivArb), kShader},
        {"glAttachObjectARB", Slot(glAttachObjectArb), kShader},
        {"glGetInfoLogARB", Slot(glGetInfoLogArb), kShader},
        {"glLinkProgramARB", Slot(glLinkProgramArb), kShader},
        {"glUseProgramObjectARB", Slot(glUseProgramObjectArb), kShader},
        {"glGetUniformLocationARB", Slot(glGetUniformLocationArb), kShader},
        {"glUniform1fARB", Slot(glUniform1fArb), kShader},
        {"glUniform1iARB", Slot(glUniform1iArb), kShader},
        {"glGetAttribLocationARB", Slot(glGetAttribLocationArb), kShader},
        {"glVertexAttrib1fARB", Slot(glVertexAttrib1fArb), kShader},
    };
    const int nMulti = sizeof multitexture / sizeof multitexture[0];
    const int nShader = sizeof shaders / sizeof shaders[0];

    // A group whose lead extension is missing is not looked up at all; its
    // pointers are cleared so that a second window never keeps stale ones.
    if (HasGLExtension(extensions, kMulti))
        LoadGroup(multitexture, nMulti, extensions, lookup);
    else
        for (const EntryPoint& e : multitexture) *e.slot = nullptr;
    if (HasGLExtension(extensions, "GL_ARB_fragment_program"))
        LoadGroup(shaders, nShader, extensions, lookup);
    else
        for (const EntryPoint& e : shaders) *e.slot = nullptr;
}

} // namespace __VELTRIC__
