// A program of this build and one of the other architecture's build play one
// network game, each as host once, and must see what two programs of this
// build see: the same player lists, ids, names and messages, line for line,
// and both end normally. The game is the fixed script of
// tests/cross/net_script.h, played by tests/cross/net_peer.cpp.
#include "tests/cross/net_script.h"
#include "tests/net/net_test_util.h"
#include "tests/runtime/child_process.h"
#include "tests/runtime/live_child.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace crossnet;

namespace {

const std::string kThisPeer = CROSS_NET_PEER_THIS;
const std::string kOtherPeer = CROSS_NET_PEER_OTHER;

struct Game {
    std::vector<std::string> host, guest; // output lines
    int hostStatus = -1, guestStatus = -1;
};

// A program's output from its first line of the game on: what start-up
// prints before (paths, sizes of the executable, the GL driver) is no part
// of the game and differs between the builds.
std::vector<std::string> GameLines(const std::string& output)
{
    std::vector<std::string> lines = spine_test::Lines(output);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].compare(0, 5, "role ") == 0)
            return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end());
    return {"<no game in the output>"};
}

// One game: the host program is started, and once it hosts and has made its
// players the guest program joins. Both are given minutes to end; a game that
// runs as it should ends in a few seconds.
Game Play(const std::string& hostProgram, const std::string& guestProgram)
{
    Game g;
    // A port picked as free can be taken by another program before the host
    // binds it: then the host says so and another port is tried.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::string port = std::to_string(nettest::FreePort());
        input_test::LiveChild host(hostProgram, {"host", port});
        const bool ready = host.WaitForLine("ready", 120000);
        if (ready) {
            input_test::LiveChild guest(guestProgram, {"join", port});
            g.guestStatus = guest.WaitForExit(300000);
            g.guest = GameLines(guest.output());
        }
        g.hostStatus = host.WaitForExit(300000);
        g.host = GameLines(host.output());
        if (ready || spine_test::FindLine(g.host, "hosted 0") < 0)
            break;
    }
    return g;
}

// "" when the texts are equal line for line, else where they first differ.
std::string Difference(const std::vector<std::string>& got, const std::vector<std::string>& want)
{
    for (std::size_t i = 0; i < got.size() || i < want.size(); ++i) {
        const std::string a = i < got.size() ? got[i] : "<no line>";
        const std::string b = i < want.size() ? want[i] : "<no line>";
        if (a != b)
            return "line " + std::to_string(i + 1) + ":\n  got:  " + a + "\n  want: " + b;
    }
    return "";
}

std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& prefix)
{
    std::vector<std::string> r;
    for (const std::string& l : lines)
        if (l.compare(0, prefix.size(), prefix) == 0)
            r.push_back(l);
    return r;
}

std::string Id(int slot) { return std::to_string(ExpectedId(slot)); }

// The mail lines a side must print, in order: the script's phases, each
// slot of the side in turn, then the leave.
std::vector<std::string> ExpectedMail(Side side)
{
    std::vector<std::string> r;
    for (const Phase& ph : Script()) {
        for (int slot = 0; slot < kPlayers; ++slot) {
            if (SideOf(slot) != side)
                continue;
            for (const Send& s : ph.sends)
                for (int to : Receivers(s))
                    if (to == slot)
                        r.push_back(MailLine(slot, Id(slot), Id(s.from), TextInGame(s.text)));
        }
    }
    if (side == kHostSide)
        r.push_back(MailLine(0, Id(0), Id(2), kLeftText));
    else
        r.push_back(MailLine(2, Id(2), Id(0), kByeText));
    return r;
}

// A player list as both sides print it: the players of the slots, in order.
std::vector<std::string> ListOf(const std::vector<int>& slots)
{
    std::vector<std::string> r = {"players " + std::to_string(slots.size())};
    int index = 0;
    for (int slot : slots)
        r.push_back(PlayerLine(index++, Id(slot), NameInGame(slot)));
    return r;
}

// True when the blocks of lines come in the output one after another, in
// this order (other lines may stand between them).
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::vector<std::string>>& blocks)
{
    std::size_t at = 0;
    for (const std::vector<std::string>& block : blocks) {
        bool found = false;
        for (; !found && at + block.size() <= lines.size(); ++at)
            found = std::equal(block.begin(), block.end(), lines.begin() + static_cast<std::ptrdiff_t>(at));
        if (!found)
            return false;
        at += block.size() - 1;
    }
    return true;
}

// What a game of two programs of one build must show, judged from the script.
void CheckAgainstScript(const Game& g)
{
    EXPECT_EQ(g.hostStatus, 0);
    EXPECT_EQ(g.guestStatus, 0);
    EXPECT_EQ(Difference(Starting(g.host, "mail "), ExpectedMail(kHostSide)), "") << "host's mail";
    EXPECT_EQ(Difference(Starting(g.guest, "mail "), ExpectedMail(kGuestSide)), "") << "guest's mail";
    // The lists after every change: the host's players, the guest's as they
    // come, all four, three once G2 left; on the host two once the guest
    // ended.
    const auto two = ListOf({0, 1}), three = ListOf({0, 1, 2}), four = ListOf({0, 1, 2, 3});
    EXPECT_TRUE(InOrder(g.host, {two, four, three, two})) << "host's lists";
    EXPECT_TRUE(InOrder(g.guest, {two, three, four, three})) << "guest's lists";
    for (const std::vector<std::string>* side : {&g.host, &g.guest}) {
        EXPECT_TRUE(Starting(*side, "extra ").empty()) << "messages that should not have come";
        EXPECT_TRUE(Starting(*side, "missing ").empty()) << "messages that did not come";
        for (const std::string& l : *side)
            EXPECT_EQ(l.find("(deadline passed)"), std::string::npos) << l;
        EXPECT_GE(spine_test::FindLine(*side, "end"), 0) << "the script ran to its end";
    }
}

// The game of two programs of this build, played once for every test.
const Game& Reference()
{
    static const Game g = Play(kThisPeer, kThisPeer);
    return g;
}

// 1 for a 32-bit ELF file, 2 for a 64-bit one, 0 for anything else.
int ElfClass(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    char head[5] = {};
    f.read(head, 5);
    if (!f || std::string(head, 4) != "\x7f" "ELF")
        return 0;
    return head[4];
}

class CrossNet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(access(kOtherPeer.c_str(), X_OK), 0)
            << kOtherPeer << " is missing: build the target cross_net_peer in the other build folder";
        ASSERT_NE(ElfClass(kThisPeer), 0);
        ASSERT_NE(ElfClass(kOtherPeer), ElfClass(kThisPeer))
            << "the peer build must be of the other architecture";
    }
};

TEST_F(CrossNet, TwoProgramsOfOneBuildPlayTheScript)
{
    {
        SCOPED_TRACE("this build");
        CheckAgainstScript(Reference());
    }
    {
        SCOPED_TRACE("the other build");
        CheckAgainstScript(Play(kOtherPeer, kOtherPeer));
    }
}

TEST_F(CrossNet, EachBuildAsHostShowsWhatTheSameBuildPairShows)
{
    const Game& ref = Reference();
    struct Arrangement {
        const char* name;
        const std::string& host;
        const std::string& guest;
    };
    const Arrangement arrangements[] = {
        {"this build hosts, the other joins", kThisPeer, kOtherPeer},
        {"the other build hosts, this one joins", kOtherPeer, kThisPeer},
    };
    for (const Arrangement& a : arrangements) {
        SCOPED_TRACE(a.name);
        const Game g = Play(a.host, a.guest);
        EXPECT_EQ(g.hostStatus, ref.hostStatus);
        EXPECT_EQ(g.guestStatus, ref.guestStatus);
        EXPECT_EQ(Difference(g.host, ref.host), "") << "host's output";
        EXPECT_EQ(Difference(g.guest, ref.guest), "") << "guest's output";
    }
}

} // namespace
