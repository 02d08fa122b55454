// The pieces of start-up that are plain rules: the directory the program
// changes into, and the error record.
#include <gtest/gtest.h>

#include "runtime/core.h"

using namespace __VELTRIC__;

TEST(ProgramDirectory, CutsBeforeTheLastSeparator)
{
    const struct {
        const char* location;
        const char* dir;
    } cases[] = {
        {"/opt/game/bin/game", "/opt/game/bin"},
        {"/Apps/Game.app", "/Apps"},
        {"base\\sub\\prog", "base\\sub"},
        {"a/b\\c", "a/b"},
        {"a\\b/c", "a\\b"},
        {"/prog", "/prog"}, // a separator in the first position does not count
        {"./", "."},        // the path of last resort: stay where started
        {"prog", "prog"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(ProgramDirectory(DGStr(c.location)).c_str(), c.dir) << c.location;
}

TEST(ErrorRecord, ErrorKeepsTheLineItHappenedOn)
{
    __dLn(3, 12);
    EXPECT_EQ(__g_debugfile, 3.0);
    EXPECT_EQ(__g_debugline, 12.0);
    EXPECT_EQ(__Error(9), 9.0);
    EXPECT_EQ(__g_error, 9.0);
    EXPECT_EQ(__g_errorline, 12.0);
    __dLn(3, 20); // later lines do not move the recorded one
    EXPECT_EQ(__g_errorline, 12.0);
    __Error(0);
    EXPECT_EQ(__g_error, 0.0);
    EXPECT_EQ(__g_errorline, 20.0);
}
