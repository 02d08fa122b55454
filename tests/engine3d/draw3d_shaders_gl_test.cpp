// Shader slots on a real GL context: loading, the messages of failed
// compiles and links, slot selection, uniforms and attributes by name, and a
// loaded program actually colouring pixels.
#include "tests/engine3d/gl_window3d.h"

#include <SDL.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"
#include "media/gl_extensions.h"

namespace {

using namespace __VELTRIC__;

std::vector<std::string>& Messages()
{
    static std::vector<std::string> m;
    return m;
}
void Collect(const char* s) { Messages().push_back(s); }

const char* kVertex = "void main() { gl_Position = ftransform(); }\n";
const char* kFragment = "uniform float level;\n"
                        "uniform int green;\n"
                        "void main() { gl_FragColor = vec4(level, float(green), 0.0, 1.0); }\n";
const char* kAttribVertex = "attribute float lift;\n"
                            "varying float v;\n"
                            "void main() { v = lift; gl_Position = ftransform(); }\n";
const char* kAttribFragment = "varying float v;\n"
                              "uniform float level;\n"
                              "void main() { gl_FragColor = vec4(v, level, 0.0, 1.0); }\n";

class Shaders : public gltest::Window3D {
public:
    void SetUp() override
    {
        gltest::Window3D::SetUp();
        ASSERT_NE(glCreateShaderObjectArb, nullptr) << "shader objects missing on this GL";
        Messages().clear();
    }
    void TearDown() override
    {
        r3d->SetShader(-1);
        for (int i = 0; i < Dedudeve3D::kShaderCount; ++i) r3d->FreeShader(i);
        gltest::Window::TearDown();
    }
    std::string Source(const std::string& name, const char* text)
    {
        return WriteFile(name, fixtures::Bytes(text, text + std::strlen(text)));
    }
    static GLhandleARB CurrentProgram()
    {
        GLint p = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &p);
        return static_cast<GLhandleARB>(p);
    }
};

TEST_F(Shaders, LoadsCompilesAndLinksIntoTheSlotWithoutSelectingIt)
{
    const std::string v = Source("v.glsl", kVertex), f = Source("f.glsl", kFragment);
    ASSERT_TRUE(r3d->LoadShader(7, v.c_str(), f.c_str(), Collect));
    const ShaderSlot s = r3d->shaders[7];
    EXPECT_NE(s.program, 0u);
    EXPECT_NE(s.vertexShader, 0u);
    EXPECT_NE(s.fragmentShader, 0u);
    EXPECT_EQ(r3d->currentShader, -1);
    EXPECT_EQ(CurrentProgram(), 0u);
    EXPECT_TRUE(Messages().empty());

    // Loading again replaces the slot's objects and deletes the old ones.
    ASSERT_TRUE(r3d->LoadShader(7, nullptr, f.c_str(), Collect));
    EXPECT_EQ(r3d->shaders[7].vertexShader, 0u);
    EXPECT_NE(r3d->shaders[7].program, 0u);
    auto isProgram = reinterpret_cast<PFNGLISPROGRAMPROC>(SDL_GL_GetProcAddress("glIsProgram"));
    ASSERT_NE(isProgram, nullptr);
    if (r3d->shaders[7].program != s.program) {
        EXPECT_FALSE(isProgram(s.program));
    }
}

TEST_F(Shaders, FileNamesAreResolvedWhateverTheirCase)
{
    Source("Vert.GLSL", kVertex);
    Source("FRAG.glsl", kFragment);
    ::testing::internal::CaptureStdout();
    const bool ok = r3d->LoadShader(3, Path("vert.glsl").c_str(), Path("frag.GLSL").c_str(), Collect);
    ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ok);
    EXPECT_NE(r3d->shaders[3].vertexShader, 0u);
    EXPECT_NE(r3d->shaders[3].fragmentShader, 0u);
    EXPECT_NE(r3d->shaders[3].program, 0u);
}

TEST_F(Shaders, SlotsOutsideTheTableAndMissingFilesMakeNoProgram)
{
    ASSERT_TRUE(r3d->LoadShader(5, Source("v.glsl", kVertex).c_str(), nullptr, Collect));
    const ShaderSlot before = r3d->shaders[5];
    EXPECT_FALSE(r3d->LoadShader(255, nullptr, nullptr, Collect));
    EXPECT_FALSE(r3d->LoadShader(-1, nullptr, nullptr, Collect));
    EXPECT_EQ(r3d->shaders[5].program, before.program); // nothing touched

    // No file names (null, or empty as X_LOADSHADER passes them): no shader
    // of that kind, success without a program.
    EXPECT_TRUE(r3d->LoadShader(9, nullptr, nullptr, Collect));
    EXPECT_TRUE(r3d->LoadShader(10, "", "", Collect));
    for (int slot : {9, 10}) {
        EXPECT_EQ(r3d->shaders[slot].program, 0u);
        EXPECT_EQ(r3d->shaders[slot].vertexShader, 0u);
        EXPECT_EQ(r3d->shaders[slot].fragmentShader, 0u);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Shaders, NamedFilesThatDoNotExistFail)
{
    // The program must not believe its shader sits in the slot.
    const std::string v = Source("v.glsl", kVertex), f = Source("f.glsl", kFragment);
    const std::string none = Path("none.glsl");
    struct Case {
        const char* what;
        std::string vertex, fragment;
        const char* message;
    } cases[] = {
        {"missing vertex shader", none, f, "vertex shader failed"},
        {"missing fragment shader", v, none, "fragment shader failed"},
        {"missing vertex shader alone", none, "", "vertex shader failed"},
        {"missing folder", Path("nodir/v.glsl"), f, "vertex shader failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Messages().clear();
        ::testing::internal::CaptureStdout();
        const bool ok = r3d->LoadShader(11, c.vertex.c_str(), c.fragment.c_str(), Collect);
        ::testing::internal::GetCapturedStdout();
        EXPECT_FALSE(ok);
        EXPECT_EQ(r3d->shaders[11].program, 0u);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0], c.message);
    }
    // The same through the command a program calls, whose empty strings
    // mean "no shader of that kind".
    Dedudeve3D* const old = __g_pRbow3D;
    __g_pRbow3D = r3d;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(X_LOADSHADER(12, DGStr(none.c_str()), DGStr(f.c_str())), 0);
    EXPECT_EQ(X_LOADSHADER(12, DGStr(v.c_str()), DGStr("")), 1);
    EXPECT_NE(r3d->shaders[12].program, 0u);
    EXPECT_EQ(X_LOADSHADER(13, DGStr(""), DGStr("")), 1);
    ::testing::internal::GetCapturedStdout();
    __g_pRbow3D = old;
}

TEST_F(Shaders, NamedFilesThatCannotBeReadWholeFail)
{
    const std::string good = Source("good.vs", kVertex), goodF = Source("good.fs", kFragment);
    // Opens as a stream on Linux, but no byte of it can be read.
    const std::string dir = Path("folder.glsl");
    mkdir(dir.c_str(), 0755);
    // Valid sources padded with comment lines to the limit and one byte past.
    auto padded = [&](const std::string& name, size_t size) {
        std::string text = kVertex;
        while (text.size() < size) text += "// " + std::string(60, 'x') + "\n";
        text.resize(size - 1);
        text += "\n";
        return Source(name, text.c_str());
    };
    const std::string atLimit = padded("limit.vs", 1u << 20), beyond = padded("beyond.vs", (1u << 20) + 1);
    struct Case {
        const char* what;
        std::string vertex, fragment;
        bool ok;
        const char* message; // the only message expected, or null for none
    } cases[] = {
        {"directory as vertex shader", dir, goodF, false, "vertex shader failed"},
        {"directory as fragment shader", good, dir, false, "fragment shader failed"},
        {"one byte above 1 MiB", beyond, goodF, false, "vertex shader failed"},
        {"exactly 1 MiB", atLimit, goodF, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Messages().clear();
        EXPECT_EQ(r3d->LoadShader(22, c.vertex.c_str(), c.fragment.c_str(), Collect), c.ok);
        if (c.message) {
            ASSERT_EQ(Messages().size(), 1u);
            EXPECT_EQ(Messages()[0], c.message);
        } else {
            EXPECT_TRUE(Messages().empty());
            EXPECT_NE(r3d->shaders[22].program, 0u);
        }
    }
}

TEST_F(Shaders, FailuresReportTheGLLogThenTheStep)
{
    const std::string good = Source("good.vs", kVertex);
    const std::string badV = Source("bad.vs", "void main() { gl_Position = nonsense; }\n");
    const std::string badF = Source("bad.fs", "void main() { gl_FragColor = 1 +; }\n");
    // Compiles, but calls a function that no shader of the program defines.
    const std::string unlinked =
        Source("unlinked.fs", "vec4 missing();\nvoid main() { gl_FragColor = missing(); }\n");
    struct Case {
        std::string vertex, fragment, last;
    } cases[] = {
        {badV, good, "vertex shader failed"},
        {good, badF, "fragment shader failed"},
        {good, unlinked, "link shader failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        Messages().clear();
        EXPECT_FALSE(r3d->LoadShader(20, c.vertex.c_str(), c.fragment.c_str(), Collect));
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_FALSE(Messages()[0].empty()); // the GL's info log
        EXPECT_EQ(Messages()[1], c.last);
    }
    // A failed fragment shader leaves the compiled vertex shader in the slot.
    EXPECT_FALSE(r3d->LoadShader(21, good.c_str(), badF.c_str(), nullptr));
    EXPECT_NE(r3d->shaders[21].vertexShader, 0u);
    EXPECT_EQ(r3d->shaders[21].program, 0u);
}

TEST_F(Shaders, SelectionAndTheFixedPipeline)
{
    ASSERT_TRUE(r3d->LoadShader(2, Source("v", kVertex).c_str(), Source("f", kFragment).c_str(),
                                Collect));
    r3d->SetShader(2);
    EXPECT_EQ(r3d->currentShader, 2);
    EXPECT_EQ(CurrentProgram(), r3d->shaders[2].program);
    for (int other : {-1, 300, 255}) {
        r3d->SetShader(2);
        r3d->SetShader(other);
        EXPECT_EQ(r3d->currentShader, -1) << other;
        EXPECT_EQ(CurrentProgram(), 0u) << other;
    }
    // A slot without program is the fixed pipeline, but stays current.
    r3d->SetShader(40);
    EXPECT_EQ(r3d->currentShader, 40);
    EXPECT_EQ(CurrentProgram(), 0u);
    // Freeing keeps the selection.
    r3d->SetShader(2);
    r3d->FreeShader(2);
    EXPECT_EQ(r3d->currentShader, 2);
    EXPECT_EQ(r3d->shaders[2].program, 0u);
    r3d->FreeShader(255); // outside the table: nothing
}

TEST_F(Shaders, UniformsColourTheDrawnPixels)
{
    ASSERT_TRUE(r3d->LoadShader(4, Source("v", kVertex).c_str(), Source("f", kFragment).c_str(),
                                Collect));
    r3d->SetShader(4);
    r3d->PutShaderUniform1f("level", 1.0f, Collect);
    r3d->PutShaderUniform1i("green", 1, Collect);
    EXPECT_TRUE(Messages().empty());
    glBegin(GL_QUADS); // the 2D viewport: window pixels from the top left
    glVertex2i(10, 10); // counter-clockwise on screen: the 2D state culls back faces
    glVertex2i(10, 60);
    glVertex2i(60, 60);
    glVertex2i(60, 10);
    glEnd();
    EXPECT_EQ(Read(30, 30), (gltest::Rgb{255, 255, 0}));
    r3d->SetShader(-1);
    EXPECT_EQ(Read(100, 100), (gltest::Rgb{0, 0, 0}));
}

TEST_F(Shaders, UnknownNamesAreReportedAndNothingHappensWithoutAShader)
{
    ASSERT_TRUE(r3d->LoadShader(6, Source("v", kAttribVertex).c_str(),
                                Source("f", kAttribFragment).c_str(), Collect));
    // No shader selected: nothing set, nothing reported.
    r3d->PutShaderUniform1f("nothing", 1, Collect);
    r3d->PutShaderAttrib1f("nothing", 1, Collect);
    EXPECT_TRUE(Messages().empty());

    r3d->SetShader(6);
    r3d->PutShaderUniform1f("nothing", 1, Collect);
    r3d->PutShaderUniform1i("nothing", 1, Collect);
    r3d->PutShaderAttrib1f("nothing", 1, Collect);
    r3d->PutShaderAttrib1f("lift", 0.5f, Collect);
    r3d->PutShaderUniform1f("nothing", 1, nullptr); // no callback: silent
    EXPECT_EQ(Messages(), (std::vector<std::string>{"undefined uniform:", "nothing",
                                                    "undefined uniform:", "nothing",
                                                    "undefined attrib:", "nothing"}));
    GLfloat level = -1;
    r3d->PutShaderUniform1f("level", 0.25f, Collect);
    auto getUniform = reinterpret_cast<PFNGLGETUNIFORMFVARBPROC>(
        SDL_GL_GetProcAddress("glGetUniformfvARB"));
    ASSERT_NE(getUniform, nullptr);
    getUniform(r3d->shaders[6].program,
                      glGetUniformLocationArb(r3d->shaders[6].program, "level"), &level);
    EXPECT_FLOAT_EQ(level, 0.25f);
}

// Ending the renderer gives back every GL object it owns: shader programs,
// the textures of its slots, and each object's buffers and cel texture.
TEST_F(Shaders, EndingTheRendererDeletesItsProgramsTexturesAndBuffers)
{
    auto isProgram = reinterpret_cast<PFNGLISPROGRAMPROC>(SDL_GL_GetProcAddress("glIsProgram"));
    auto isBuffer = reinterpret_cast<PFNGLISBUFFERPROC>(SDL_GL_GetProcAddress("glIsBuffer"));
    ASSERT_NE(isProgram, nullptr);
    ASSERT_NE(isBuffer, nullptr);
    ASSERT_NE(glGenBuffersArb, nullptr);

    Dedudeve3D* own = new Dedudeve3D(R);
    const std::string v = Source("end_v.glsl", kVertex), f = Source("end_f.glsl", kFragment);
    ASSERT_TRUE(own->LoadShader(9, v.c_str(), f.c_str(), Collect));
    const GLuint program = own->shaders[9].program;

    X_WORLD& slot = own->slots[40];
    GLuint tex[3] = {0, 0, 0};
    glGenTextures(3, tex);
    for (GLuint t : tex) {
        glBindTexture(GL_TEXTURE_2D, t); // a name becomes a texture once bound
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_TRUE(slot.textures.Push(tex[0]));
    ASSERT_TRUE(slot.textures.Push(tex[1]));
    ASSERT_TRUE(slot.objects.Push(X_WORLD::DATA()));
    MeshObjectX& o = slot.objects[0].object;
    GLuint buf[2] = {0, 0};
    glGenBuffersArb(2, buf);
    for (GLuint b : buf) {
        glBindBufferArb(GL_ARRAY_BUFFER_ARB, b);
        glBufferDataArb(GL_ARRAY_BUFFER_ARB, 16, nullptr, GL_STATIC_DRAW_ARB);
    }
    glBindBufferArb(GL_ARRAY_BUFFER_ARB, 0);
    o.staticBuffer = buf[0];
    o.streamBuffer = buf[1];
    o.celTexture = tex[2];
    ASSERT_TRUE(isProgram(program));
    ASSERT_TRUE(glIsTexture(tex[0]) && glIsTexture(tex[1]) && glIsTexture(tex[2]));
    ASSERT_TRUE(isBuffer(buf[0]) && isBuffer(buf[1]));

    delete own;
    EXPECT_FALSE(isProgram(program));
    for (GLuint t : tex) EXPECT_FALSE(glIsTexture(t)) << "texture " << t;
    for (GLuint b : buf) EXPECT_FALSE(isBuffer(b)) << "buffer " << b;
    EXPECT_TRUE(Messages().empty());
}

// Must stay the only test that meets missing shader support: the message is
// reported once per run.
TEST_F(Shaders, MissingSupportIsReportedOncePerRun)
{
    auto saved = glCompileShaderArb;
    glCompileShaderArb = nullptr;
    EXPECT_FALSE(r3d->LoadShader(1, nullptr, nullptr, Collect));
    EXPECT_FALSE(r3d->LoadShader(1, nullptr, nullptr, Collect));
    glCompileShaderArb = saved;
    EXPECT_EQ(Messages(), std::vector<std::string>{"No OpenGL 2.0 Shader Support"});

    auto use = glUseProgramObjectArb;
    glUseProgramObjectArb = nullptr;
    r3d->SetShader(3); // nothing at all without the entry point
    glUseProgramObjectArb = use;
    EXPECT_EQ(r3d->currentShader, -1);
}

} // namespace
