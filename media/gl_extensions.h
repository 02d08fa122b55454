#pragma once
// The OpenGL extension entry points of the ARB multitexture, vertex buffer
// and shader object extensions, looked up by name once the window is open.
// Each pointer is null while its extension is missing; users test it first.
#include <SDL_opengl.h>

namespace __VELTRIC__ {

// Multitexture.
extern PFNGLACTIVETEXTUREARBPROC glActiveTextureArb;
extern PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fArb;
extern PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureArb;
// Vertex buffer objects.
extern PFNGLGENBUFFERSARBPROC glGenBuffersArb;
extern PFNGLBINDBUFFERARBPROC glBindBufferArb;
extern PFNGLBUFFERDATAARBPROC glBufferDataArb;
extern PFNGLDELETEBUFFERSARBPROC glDeleteBuffersArb;
extern PFNGLMAPBUFFERARBPROC glMapBufferArb;
extern PFNGLUNMAPBUFFERARBPROC glUnmapBufferArb;
extern PFNGLGETBUFFERPARAMETERIVARBPROC glGetBufferParameterivArb;
// Shader objects.
extern PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectArb;
extern PFNGLDELETEOBJECTARBPROC glDeleteObjectArb;
extern PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectArb;
extern PFNGLSHADERSOURCEARBPROC glShaderSourceArb;
extern PFNGLCOMPILESHADERARBPROC glCompileShaderArb;
extern PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivArb;
extern PFNGLATTACHOBJECTARBPROC glAttachObjectArb;
extern PFNGLGETINFOLOGARBPROC glGetInfoLogArb;
extern PFNGLLINKPROGRAMARBPROC glLinkProgramArb;
extern PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectArb;
extern PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationArb;
extern PFNGLUNIFORM1FARBPROC glUniform1fArb;
extern PFNGLUNIFORM1IARBPROC glUniform1iArb;
extern PFNGLGETATTRIBLOCATIONARBPROC glGetAttribLocationArb;
extern PFNGLVERTEXATTRIB1FARBPROC glVertexAttrib1fArb;

// 1 when name is one of the blank-separated words of the extension string
// (a longer name that merely starts with it does not count).
bool HasGLExtension(const char* extensions, const char* name);

// Fills the 25 pointers from the extension string (null: no extensions)
// with lookup (SDL_GL_GetProcAddress in the renderer), printing one
// "ext: ..." line per name looked up. The multitexture and vertex-buffer
// names are looked up when "GL_ARB_multitexture" is offered, the shader
// names when "GL_ARB_fragment_program" is; a pointer is kept only when its
// own extension is offered too, because the lookup answers non-null even for
// names the GL does not have.
void LoadArbExtensions(const char* extensions, void* (*lookup)(const char*));

} // namespace __VELTRIC__
