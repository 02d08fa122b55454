// A program's media as a developer meets it: built beside the program, read
// by the program at run time, and copied again by the next build once the
// file has changed (without the program being linked again).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "child_process.h"

using spine_test::FindLine;
using spine_test::Lines;
using spine_test::RunChild;

namespace {

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

spine_test::ChildResult RunProbe()
{
    return RunChild(MEDIA_PROBE, {}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null"});
}

TEST(ProgramMedia, ReadsItsFileBesideItAndTheNextBuildCopiesAChangedOne)
{
    auto r = RunProbe();
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_GE(FindLine(Lines(r.out), "note: " + FirstLine(MEDIA_NOTE)), 0) << r.out;

    const std::string fresh = "changed by run " + std::to_string(getpid());
    std::ofstream(MEDIA_NOTE) << fresh << "\n";
    const std::string build = std::string("'") + CMAKE_COMMAND_PATH + "' --build '" + BUILD_DIR +
                              "' --target media_probe > /dev/null";
    ASSERT_EQ(std::system(build.c_str()), 0) << build;

    r = RunProbe();
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_GE(FindLine(Lines(r.out), "note: " + fresh), 0) << r.out;
}

} // namespace
