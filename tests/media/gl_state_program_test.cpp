// Runs the GL state probe, a translated program that calls GL itself between
// the 2D commands, and fails with every check it reports as failing: after
// each 2D command, from a fresh frame and after every other command, the GL
// must hold the 2D state (matrices, wrap modes, culling, alpha test, texture
// unit and texturing), nothing left over from the drawing, and a quad the
// program draws itself must land where it asked, over the command's pixels.
#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/runtime/child_process.h"

namespace {

// 13 commands, each from a fresh frame and after each of the 13.
constexpr int kChecks = 13 + 13 * 13;

TEST(GlStateProgram, EveryCommandLeavesTheTwoDStateAfterAnyOther)
{
    spine_test::ChildResult r;
    const std::vector<std::string> env = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null",
                                          "SDL_DISKAUDIODELAY=1"};
    // A display that refuses a connection for a moment says nothing about
    // the program: tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        r = spine_test::RunChild(GL_STATE_PROBE_PATH, {}, env, 500);
        if (r.err.find("Couldn't open X11 display") == std::string::npos) break;
        usleep(200000);
    }
    ASSERT_FALSE(r.timedOut) << r.out << r.err;
    EXPECT_EQ(r.status, 0) << r.err;

    int ok = 0;
    std::ostringstream failures;
    int failed = 0;
    std::string summary;
    for (const std::string& line : spine_test::Lines(r.out)) {
        if (line.rfind("ok ", 0) == 0) ++ok;
        if (line.rfind("FAIL ", 0) == 0) {
            ++failed;
            failures << line << "\n";
        }
        if (line.rfind("gl state checks: ", 0) == 0) summary = line;
    }
    EXPECT_EQ(failed, 0) << failed << " of " << ok + failed << " checks fail:\n" << failures.str();
    EXPECT_EQ(ok + failed, kChecks) << r.out;
    EXPECT_EQ(summary, "gl state checks: " + std::to_string(kChecks) + ", failing: " + std::to_string(failed))
        << r.out;
}

} // namespace
