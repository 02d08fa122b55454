// The renderer's 255 shader slots: GLSL programs built from a vertex and a
// fragment source file, the slot selection, and uniforms and attributes set
// by name. Everything goes through the shader-object extension pointers;
// without them the operations do nothing.
#include "engine3d/dedudeve3d.h"

#include <SDL_opengl.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/gl_extensions.h"
#include "media/opengl_dedudeve.h"
#include "runtime/filesystem.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

namespace {

// The missing-support message is reported once per run.
bool g_reportNoShaderSupport = true;

bool ValidSlot(int slot) { return static_cast<unsigned>(slot) < Dedudeve3D::kShaderCount; }

// Largest shader source taken: real sources are a few kilobytes, and the
// whole file is held in memory and handed to the compiler.
constexpr std::size_t kMaxSourceBytes = 1u << 20;

// Reads the whole of a source file, found through the data archive and the
// case-insensitive lookup, into text (zero-terminated). False when no file of
// that name opens (the lookup prints its lines), when it cannot be read to
// its end, or when it is larger than the limit.
bool ReadSource(char const* name, std::vector<char>& text)
{
    std::string path;
    if (!FindDataFile(name, path)) path = name;
    std::FILE* f = fopen_case(path.c_str(), "rb");
    if (!f) return false;
    // The open takes regular files only, so their size is known before
    // anything is read; a larger source is refused unread.
    struct stat st;
    bool ok = ::fstat(fileno(f), &st) == 0 && st.st_size >= 0 &&
              static_cast<std::uint64_t>(st.st_size) <= kMaxSourceBytes;
    if (ok) {
        const std::size_t size = static_cast<std::size_t>(st.st_size);
        text.assign(size + 1, '\0');
        ok = std::fread(text.data(), 1, size, f) == size;
    }
    std::fclose(f);
    return ok;
}

// Deletes the three GL objects of a slot (each only when it exists).
void DeleteSlotObjects(ShaderSlot& s)
{
    if (!glDeleteObjectArb) return;
    if (s.program) glDeleteObjectArb(s.program);
    if (s.vertexShader) glDeleteObjectArb(s.vertexShader);
    if (s.fragmentShader) glDeleteObjectArb(s.fragmentShader);
    s.program = s.vertexShader = s.fragmentShader = 0;
}

} // namespace

bool Dedudeve3D::VerifyShader(unsigned int object, bool isShader, ShaderErrorCallback cb)
{
    if (!glGetObjectParameterivArb) return false;
    GLint status = 0;
    glGetObjectParameterivArb(object,
                              isShader ? GL_OBJECT_COMPILE_STATUS_ARB : GL_OBJECT_LINK_STATUS_ARB,
                              &status);
    if (status != 0) return true;
    if (cb && glGetInfoLogArb) {
        GLint length = 0;
        glGetObjectParameterivArb(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
        std::vector<GLcharARB> log(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
        GLsizei written = 0;
        if (length > 0) glGetInfoLogArb(object, length, &written, log.data());
        if (written < 0 || written >= static_cast<GLsizei>(log.size()))
            written = static_cast<GLsizei>(log.size()) - 1;
        log[static_cast<std::size_t>(written)] = '\0';
        cb(log.data());
    }
    return false;
}

bool Dedudeve3D::LoadShader(int slot, char const* vertexFile, char const* fragmentFile,
                            ShaderErrorCallback cb)
{
    if (!ValidSlot(slot)) return false;
    if (!glCreateShaderObjectArb || !glCompileShaderArb || !glLinkProgramArb ||
        !glShaderSourceArb || !glCreateProgramObjectArb || !glAttachObjectArb) {
        if (cb && g_reportNoShaderSupport) {
            g_reportNoShaderSupport = false;
            cb("No OpenGL 2.0 Shader Support");
        }
        return false;
    }
    ShaderSlot& s = shaders[slot];
    DeleteSlotObjects(s);

    std::vector<char> text;
    // Compiles one source into target; false when a named file cannot be
    // opened or read whole, or does not compile: the program must not take
    // the slot for its shader. No name (null or empty) means no shader of
    // that kind and leaves target 0.
    auto compile = [&](char const* file, GLenum kind, std::uint32_t& target,
                       char const* failure) -> bool {
        if (!file || !file[0]) return true;
        if (!ReadSource(file, text)) {
            if (cb) cb(failure);
            return false;
        }
        target = glCreateShaderObjectArb(kind);
        const GLcharARB* src = text.data();
        glShaderSourceArb(target, 1, &src, nullptr);
        glCompileShaderArb(target);
        if (VerifyShader(target, true, cb)) return true;
        if (cb) cb(failure);
        return false;
    };
    if (!compile(vertexFile, GL_VERTEX_SHADER_ARB, s.vertexShader, "vertex shader failed"))
        return false;
    if (!compile(fragmentFile, GL_FRAGMENT_SHADER_ARB, s.fragmentShader,
                 "fragment shader failed"))
        return false;

    if (s.vertexShader || s.fragmentShader) {
        s.program = glCreateProgramObjectArb();
        if (s.vertexShader) glAttachObjectArb(s.program, s.vertexShader);
        if (s.fragmentShader) glAttachObjectArb(s.program, s.fragmentShader);
        glLinkProgramArb(s.program);
        if (!VerifyShader(s.program, false, cb)) {
            if (cb) cb("link shader failed");
            return false;
        }
    }
    return true;
}

void Dedudeve3D::SetShader(int slot)
{
    if (!glUseProgramObjectArb) return;
    if (ValidSlot(slot)) {
        currentShader = slot;
        glUseProgramObjectArb(shaders[slot].program);
    } else {
        glUseProgramObjectArb(0);
        currentShader = -1;
    }
}

namespace {

// The location of a named uniform or attribute in a program through the
// given look-up, or -1, which is reported through cb as the "undefined ..."
// line followed by the name.
template <class Lookup>
GLint NamedLocation(Lookup lookup, unsigned int program, char const* name, char const* undefinedLine,
                    Dedudeve3D::ShaderErrorCallback cb)
{
    const GLint at = lookup(program, name);
    if (at == -1 && cb) {
        cb(undefinedLine);
        cb(name);
    }
    return at;
}

} // namespace

void Dedudeve3D::PutShaderUniform1f(char const* name, float value, ShaderErrorCallback cb)
{
    if (!glGetUniformLocationArb || !glUniform1fArb || !ValidSlot(currentShader) || !name) return;
    const GLint at = NamedLocation(glGetUniformLocationArb, shaders[currentShader].program, name,
                                   "undefined uniform:", cb);
    if (at != -1) glUniform1fArb(at, value);
}

void Dedudeve3D::PutShaderUniform1i(char const* name, int value, ShaderErrorCallback cb)
{
    if (!glGetUniformLocationArb || !glUniform1iArb || !ValidSlot(currentShader) || !name) return;
    const GLint at = NamedLocation(glGetUniformLocationArb, shaders[currentShader].program, name,
                                   "undefined uniform:", cb);
    if (at != -1) glUniform1iArb(at, value);
}

void Dedudeve3D::PutShaderAttrib1f(char const* name, float value, ShaderErrorCallback cb)
{
    if (!glGetAttribLocationArb || !glVertexAttrib1fArb || !ValidSlot(currentShader) || !name)
        return;
    const GLint at = NamedLocation(glGetAttribLocationArb, shaders[currentShader].program, name,
                                   "undefined attrib:", cb);
    if (at != -1) glVertexAttrib1fArb(static_cast<GLuint>(at), value);
}

void Dedudeve3D::FreeShader(int slot)
{
    if (!ValidSlot(slot)) return;
    DeleteSlotObjects(shaders[slot]);
}

} // namespace __VELTRIC__
