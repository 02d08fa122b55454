// The HTTP download against real local servers: a scripted one-connection
// server for exact and hostile answers, and python's http.server for files.
#include "net/net_cmds.h"
#include "net/rthawknetwork.h"
#include "net/webget.h"
#include "tests/net/net_test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <poll.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace __VELTRIC__;
using namespace nettest;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& data)
{
    std::ofstream(path, std::ios::binary) << data;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// A child process whose first line of output holds a port number.
class Server {
public:
    explicit Server(std::vector<std::string> argv)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            std::vector<char*> args;
            for (auto& a : argv)
                args.push_back(&a[0]);
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ~Server()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    // The first number found in the output (http.server prints a sentence).
    int Port(int ms = 30000)
    {
        std::string text;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            char c;
            if (read(out_, &c, 1) != 1)
                break;
            if (c == '\n') {
                size_t pos = text.find(" port ");
                if (pos != std::string::npos)
                    return std::atoi(text.c_str() + pos + 6);
                if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0])))
                    return std::atoi(text.c_str());
                text.clear();
            } else {
                text += c;
            }
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

class WebGet : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/veltric-webget-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/out.bin";
        request_ = dir_ + "/request.bin";
    }
    void TearDown() override
    {
        __g_WebGetIdleTimeoutMs = 30000;
        std::system(("rm -rf " + dir_).c_str());
    }
    // Runs the scripted server in mode and downloads /x from it into file_.
    double Scripted(const std::string& mode, const std::string& file, const char* path = "/x")
    {
        Server s({"python3", script_, mode, request_});
        int port = s.Port();
        EXPECT_GT(port, 0);
        return NETWEBGET("127.0.0.1", path, port, DGStr(file.c_str()));
    }
    std::string script_ = VELTRIC_SOURCE_DIR "/tests/net/http_script_server.py";
    std::string dir_, file_, request_;
};

TEST_F(WebGet, SendsExactlyTheRequestAndStoresTheBody)
{
    ASSERT_EQ(Scripted("exact", file_), 1);
    EXPECT_EQ(ReadFile(file_), "hello");
    EXPECT_EQ(ReadFile(request_),
              "GET /x HTTP/1.0\r\nHost:127.0.0.1\r\nAccept: */*\r\nUser-Agent: Veltric game\r\n\r\n");
}

TEST_F(WebGet, BodyStartsAfterTheEmptyLineHoweverItArrives)
{
    struct Case {
        const char* mode;
        const char* body;
    };
    const Case cases[] = {
        {"lf", "body-lf"},              // line feeds without carriage returns
        {"split", "split-body"},        // the header's end split over reads
        {"empty", ""},                  // no body: an empty file
        {"notfound", "nf"},             // an error page is stored like any body
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        WriteFile(file_, "old contents");
        EXPECT_EQ(Scripted(c.mode, file_), 1);
        EXPECT_TRUE(Exists(file_));
        EXPECT_EQ(ReadFile(file_), c.body);
    }
}

TEST_F(WebGet, LargeFileArrivesByteIdentical)
{
    std::string data(10 * 1024 * 1024, '\0');
    std::mt19937 rng(7);
    for (char& c : data)
        c = static_cast<char>(rng());
    WriteFile(dir_ + "/big.bin", data);
    Server s({"python3", "-u", "-m", "http.server", "--bind", "127.0.0.1", "0", "--directory", dir_});
    int port = s.Port();
    ASSERT_GT(port, 0);
    ASSERT_EQ(NETWEBGET("127.0.0.1", "/big.bin", port, DGStr(file_.c_str())), 1);
    std::string got = ReadFile(file_);
    EXPECT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data);
}

TEST_F(WebGet, FailuresReturnZeroAndKeepWhatTheyShould)
{
    // Refused: the file is not touched.
    WriteFile(file_, "keep me");
    EXPECT_EQ(NETWEBGET("127.0.0.1", "/x", FreePort(), DGStr(file_.c_str())), 0);
    EXPECT_EQ(ReadFile(file_), "keep me");
    EXPECT_EQ(NETWEBGET("no-such-host.invalid", "/x", 80, DGStr(file_.c_str())), 0);
    EXPECT_EQ(ReadFile(file_), "keep me");

    // A request too long for its buffer fails before the file is touched.
    std::string longPath(5000, 'p');
    int port;
    int listener = RawListen(&port);
    EXPECT_EQ(NETWEBGET("127.0.0.1", DGStr(longPath.c_str()), port, DGStr(file_.c_str())), 0);
    close(listener);
    EXPECT_EQ(ReadFile(file_), "keep me");

    // Reset in the middle of the body: 0, and what came is kept.
    EXPECT_EQ(Scripted("reset", file_), 0);
    EXPECT_EQ(ReadFile(file_), "partial");
}

TEST_F(WebGet, UnwritableFileIsReportedAndTheTransferStillEnds)
{
    std::string name = dir_ + "/no-such-dir/out.bin";
    testing::internal::CaptureStdout();
    double r = Scripted("exact", name);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, 1);
    EXPECT_NE(out.find("can't write to file: " + name + "\n"), std::string::npos) << out;
}

TEST_F(WebGet, SilentServerFailsAfterTheIdleTime)
{
    __g_WebGetIdleTimeoutMs = 300;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Scripted("silent", file_), 0);
    double took = ElapsedMs(start);
    EXPECT_GE(took, 300);
    EXPECT_LT(took, 20000);
}

TEST_F(WebGet, GamesBeforeAndAfterADownloadKeepWorking)
{
    pRTNet = new RTHawkNetwork;
    int port = FreePort();
    ASSERT_EQ(NETHOSTGAME(0, "", "", DGStr(std::to_string(port).c_str())), 1);
    ASSERT_EQ(std::string(NETCREATEPLAYER_Str("alice").c_str()), "101");
    // A download in the middle of a game leaves the game's sockets open.
    ASSERT_EQ(Scripted("exact", file_), 1);
    EXPECT_EQ(NETNUMPLAYERS(), 1);

    // A game hosted after a download has non-blocking sockets: it serves
    // joiners and its worker stops at once.
    ASSERT_EQ(NETHOSTGAME(0, "", "", DGStr(std::to_string(port).c_str())), 1);
    ASSERT_EQ(std::string(NETCREATEPLAYER_Str("bob").c_str()), "101");
    int idle = RawConnect(port); // a client that sends nothing
    EXPECT_EQ(NETNUMPLAYERS(), 1);
    auto start = std::chrono::steady_clock::now();
    pRTNet->ShutDown();
    EXPECT_LT(ElapsedMs(start), 10000) << "the worker waited for the idle client";
    close(idle);
    delete pRTNet;
    pRTNet = nullptr;
}

} // namespace
