// The system commands inside a real translated program: the generated table
// of subs, and SHELLEND after a full start-up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

using spine_test::FindLine;
using spine_test::Lines;
using spine_test::RunChild;

namespace {

const std::string kProbe = SYSTEM_PROBE_PATH;
const std::vector<std::string> kEnv = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null",
                                       "SDL_DISKAUDIODELAY=1"};

// The probe runs from a copy in a directory of its own, where start-up
// changes to and its INI file is written.
class SystemProgram : public ::testing::Test {
protected:
    std::string dir, probe;
    void SetUp() override
    {
        char t[] = "/tmp/veltric-sysprog-XXXXXX";
        dir = mkdtemp(t);
        probe = dir + "/system_probe";
        std::filesystem::copy_file(kProbe, probe);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A display that is still starting (or shared with other test runs) can
    // refuse the first connection; that is not the program's fault.
    spine_test::ChildResult Run(const std::vector<std::string>& args)
    {
        spine_test::ChildResult r;
        for (int attempt = 0; attempt < 5; ++attempt) {
            r = RunChild(probe, args, kEnv);
            if (r.err.find("Couldn't open X11 display") == std::string::npos) break;
            usleep(300000);
        }
        return r;
    }
};

TEST_F(SystemProgram, SubsAreFoundByTheirExactName)
{
    spine_test::ChildResult r = Run({"subs"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::vector<std::string> lines = Lines(r.out);
    int at = FindLine(lines, "farewell");
    ASSERT_GE(at, 0) << r.out;
    const std::vector<std::string> expected = {
        "farewell", "called 1", "greeted", "called 1", "CALLBYNAME \"greet\" *** failed ***", "",
        "called 0", "greeted",  "missing 1"};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines.at(at + i), expected[i]) << "line " << i << "\n" << r.out;
}

TEST_F(SystemProgram, ShellendShutsDownWritesTheIniAndRunsTheProgram)
{
    spine_test::ChildResult r = Run({"shellend", "/bin/false"});
    EXPECT_EQ(r.status, 1) << r.out; // the status of /bin/false, which replaced the probe
    std::vector<std::string> lines = Lines(r.out);
    int down = FindLine(lines, "OK, safe to quit");
    int end = FindLine(lines, "end with: /bin/false");
    ASSERT_GE(down, 0) << r.out;
    EXPECT_GT(end, down) << r.out;
    std::ifstream in(dir + "/probe.ini", std::ios::binary);
    std::stringstream ini;
    ini << in.rdbuf();
    EXPECT_NE(ini.str().find("state=ended"), std::string::npos) << ini.str();
}

TEST_F(SystemProgram, ShellendOfAMissingProgramEndsWithStatusZero)
{
    spine_test::ChildResult r = Run({"shellend", "/nonexistent"});
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> lines = Lines(r.out);
    int end = FindLine(lines, "end with: /nonexistent");
    ASSERT_GE(end, 0) << r.out;
    EXPECT_EQ(lines.at(end + 1), "failed to call: /nonexistent") << r.out;
}

} // namespace
