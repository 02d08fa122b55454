// The look-up of the 25 extension pointers from an extension string, with a
// look-up function that, like the GLX one, answers for any name.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "media/gl_extensions.h"

using namespace __VELTRIC__;

namespace {

int g_dummy;
void* AnswersEverything(const char*) { return &g_dummy; }
void* AnswersNothing(const char*) { return nullptr; }

std::vector<std::string> Load(const char* extensions, void* (*lookup)(const char*))
{
    ::testing::internal::CaptureStdout();
    LoadArbExtensions(extensions, lookup);
    std::fflush(stdout);
    std::string out = ::testing::internal::GetCapturedStdout();
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < out.size();) {
        std::size_t end = out.find('\n', at);
        lines.push_back(out.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

TEST(GLExtensions, AllOfferedGivesTwentyFiveOkLinesInOrder)
{
    auto lines = Load("GL_ARB_multitexture GL_ARB_vertex_buffer_object GL_ARB_fragment_program "
                      "GL_ARB_shader_objects",
                      AnswersEverything);
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0], "ext: glActiveTextureARB                    [  OK]");
    EXPECT_EQ(lines[9], "ext: glGetBufferParameterivARB             [  OK]");
    EXPECT_EQ(lines[10], "ext: glCreateProgramObjectARB              [  OK]");
    EXPECT_EQ(lines[24], "ext: glVertexAttrib1fARB                   [  OK]");
    EXPECT_NE(glActiveTextureArb, nullptr);
    EXPECT_NE(glMapBufferArb, nullptr);
    EXPECT_NE(glUseProgramObjectArb, nullptr);
}

TEST(GLExtensions, APointerNeedsItsOwnExtensionNotOnlyTheGroupsLead)
{
    // Multitexture and fragment programs without vertex buffers or shader
    // objects: the look-up answers, but those pointers must stay null.
    auto lines = Load("GL_ARB_multitexture GL_ARB_fragment_program", AnswersEverything);
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[2], "ext: glClientActiveTextureARB              [  OK]");
    EXPECT_EQ(lines[3], "ext: glGenBuffersARB                       [FAIL]");
    EXPECT_EQ(lines[10], "ext: glCreateProgramObjectARB              [FAIL]");
    EXPECT_NE(glActiveTextureArb, nullptr);
    EXPECT_EQ(glGenBuffersArb, nullptr);
    EXPECT_EQ(glGetBufferParameterivArb, nullptr);
    EXPECT_EQ(glCreateProgramObjectArb, nullptr);
    EXPECT_EQ(glVertexAttrib1fArb, nullptr);
}

TEST(GLExtensions, MissingGroupsAreNotLookedUpAndLeaveNoStalePointers)
{
    Load("GL_ARB_multitexture GL_ARB_vertex_buffer_object GL_ARB_fragment_program "
         "GL_ARB_shader_objects",
         AnswersEverything);
    struct {
        const char* extensions;
        std::size_t lines;
    } cases[] = {
        {nullptr, 0},
        {"", 0},
        // a longer name that starts with the wanted one is another extension
        {"GL_ARB_multitexture_x GL_ARB_fragment_program_shadow", 0},
        {"GL_ARB_fragment_program GL_ARB_shader_objects", 15},
    };
    for (const auto& c : cases) {
        auto lines = Load(c.extensions, AnswersEverything);
        EXPECT_EQ(lines.size(), c.lines) << (c.extensions ? c.extensions : "(null)");
        EXPECT_EQ(glActiveTextureArb, nullptr);
        EXPECT_EQ(glBindBufferArb, nullptr);
    }
}

TEST(GLExtensions, ANameTheGLDoesNotAnswerFails)
{
    auto lines = Load("GL_ARB_multitexture GL_ARB_vertex_buffer_object", AnswersNothing);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "ext: glActiveTextureARB                    [FAIL]");
    EXPECT_EQ(glActiveTextureArb, nullptr);
}

TEST(GLExtensions, WholeWordMatching)
{
    const char* ext = "GL_A GL_ARB_multitexture GL_B";
    EXPECT_TRUE(HasGLExtension(ext, "GL_ARB_multitexture"));
    EXPECT_TRUE(HasGLExtension(ext, "GL_A"));
    EXPECT_TRUE(HasGLExtension(ext, "GL_B"));
    EXPECT_FALSE(HasGLExtension(ext, "GL_ARB"));
    EXPECT_FALSE(HasGLExtension(ext, "multitexture"));
    EXPECT_FALSE(HasGLExtension(nullptr, "GL_A"));
    EXPECT_FALSE(HasGLExtension(ext, ""));
}

} // namespace
