// The Mac program's location rule, a plain text rule tested here: a path
// inside an application bundle is cut back to the bundle.
#include <gtest/gtest.h>

#include <string>

#include "platform/macos/app_bundle.h"

using namespace __VELTRIC__;

TEST(AppBundleCut, CutsAfterTheLastBundleName)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"/Apps/Game.app/Contents/MacOS/Game", "/Apps/Game.app"},
        {"/opt/game/bin/game", "/opt/game/bin/game"},
        {"/a.app/b.app/Contents/MacOS/x", "/a.app/b.app"},
        {"/Apps/Game.app", "/Apps/Game.app"},      // no slash after: not inside
        {"/x.apple/y", "/x.apple/y"},              // ".app" must end a name
        {".app/inner", ".app"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string buf = c.in;
        buf.push_back('\0');
        std::size_t n = CutAtAppBundle(&buf[0]);
        EXPECT_STREQ(buf.c_str(), c.out) << c.in;
        EXPECT_EQ(n, std::string(c.out).size()) << c.in;
    }
}
