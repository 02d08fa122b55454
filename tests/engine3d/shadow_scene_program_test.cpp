// The translated 3D program run as a child process: the lit scene it draws
// right after X_MAKE3D shows the shadows of both boxes on the floor, the lit
// tops of the boxes, and the second box at twice the size.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/runtime/child_process.h"

namespace {

struct Pixel {
    int x = -1, y = -1;
    int r = -1, g = -1, b = -1;
};

std::ostream& operator<<(std::ostream& o, const Pixel& p)
{
    return o << "(" << p.r << ", " << p.g << ", " << p.b << ") at " << p.x << "," << p.y;
}

// Runs the program (retrying when the display refuses a connection for a
// moment) and collects its "pixel" lines by name.
std::map<std::string, Pixel> RunScene(const std::vector<std::string>& args, std::string& out)
{
    spine_test::ChildResult r;
    const std::vector<std::string> env = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null",
                                          "SDL_DISKAUDIODELAY=1"};
    for (int attempt = 0; attempt < 3; ++attempt) {
        r = spine_test::RunChild(SHADOW_SCENE_PATH, args, env);
        if (r.err.find("Couldn't open X11 display") == std::string::npos) break;
        usleep(200000);
    }
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 0) << r.err;
    out = r.out;
    std::map<std::string, Pixel> pixels;
    for (const std::string& line : spine_test::Lines(r.out)) {
        std::istringstream in(line);
        std::string word, name;
        Pixel p;
        if (in >> word >> name >> p.x >> p.y >> p.r >> p.g >> p.b && word == "pixel") pixels[name] = p;
    }
    return pixels;
}

bool HalfOf(const Pixel& shade, const Pixel& lit)
{
    return std::abs(shade.r - (lit.r + 1) / 2) <= 2 && std::abs(shade.g - (lit.g + 1) / 2) <= 2 &&
           std::abs(shade.b - (lit.b + 1) / 2) <= 2;
}

TEST(ShadowSceneProgram, ShadowsFallOnTheFloorAndTheBoxesKeepTheirLitTops)
{
    std::string out;
    auto px = RunScene({}, out);
    for (const char* name : {"floor", "box_shadow", "box_top", "scaled_shadow", "scaled_top",
                             "scaled_top_corner"})
        ASSERT_EQ(px.count(name), 1u) << name << " missing in:\n" << out;
    for (const auto& p : px) {
        EXPECT_TRUE(p.second.x > 0 && p.second.x < 640 && p.second.y > 0 && p.second.y < 480)
            << p.first << " is out of view: " << p.second;
    }

    // The sun lights the floor fully; both shadows halve it.
    EXPECT_EQ(px["floor"].r, 255) << px["floor"];
    EXPECT_TRUE(HalfOf(px["box_shadow"], px["floor"])) << px["box_shadow"];
    EXPECT_TRUE(HalfOf(px["scaled_shadow"], px["floor"])) << px["scaled_shadow"];

    // The tops face the sun and the shadow light: lit orange, not darkened
    // to brown. The second box, scaled by 2, reaches its top corner where
    // the plain box would end far below, and its top is lit as brightly.
    for (const char* name : {"box_top", "scaled_top", "scaled_top_corner"}) {
        const Pixel p = px[name];
        EXPECT_GT(p.r, 200) << name << " " << p;
        EXPECT_TRUE(p.g > 100 && p.g < 160) << name << " " << p;
        EXPECT_LT(p.b, 80) << name << " " << p;
    }
    EXPECT_NEAR(px["scaled_top"].r, px["box_top"].r, 3) << px["scaled_top"];
    EXPECT_NEAR(px["scaled_top"].g, px["box_top"].g, 3) << px["scaled_top"];
}

} // namespace
