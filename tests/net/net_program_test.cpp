// A real translated program in a network game: its players arrive over its
// own connection and leave with the runtime's normal shut-down.
#include "net/net_cmds.h"
#include "net/rthawknetwork.h"
#include "tests/net/net_test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>

using namespace __VELTRIC__;
using namespace nettest;

TEST(NetProgram, ProgramThatEndsNormallyLeavesTheGame)
{
    pRTNet = new RTHawkNetwork;
    std::string port = std::to_string(FreePort());
    ASSERT_EQ(NETHOSTGAME(0, "", "", DGStr(port.c_str())), 1);
    ASSERT_EQ(std::string(NETCREATEPLAYER_Str("host").c_str()), "101");

    pid_t pid = fork();
    if (pid == 0) {
        execl(NET_PEER_PROGRAM, NET_PEER_PROGRAM, port.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    std::string got;
    EXPECT_TRUE(WaitUntil([&] { return !(got = NETGETMSG_Str("101").c_str()).empty(); }, 60000));
    EXPECT_EQ(got, "hello from the program");
    std::string sender = NETGETSENDER_Str().c_str();
    EXPECT_EQ(NETNUMPLAYERS(), 2);
    EXPECT_EQ(std::string(NETPLAYERNAME_Str(DGStr(sender.c_str())).c_str()), "program");

    EXPECT_EQ(NETSENDMSG("101", DGStr(sender.c_str()), "bye"), 1);
    int status = 0;
    bool ended = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 60000);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 1; }, 30000));

    pRTNet->ShutDown();
    delete pRTNet;
    pRTNet = nullptr;
}
