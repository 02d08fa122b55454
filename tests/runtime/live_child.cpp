#include "tests/runtime/live_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace input_test {

namespace {
long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

LiveChild::LiveChild(const std::string& program, const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    m_pid = fork();
    if (m_pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    m_fd = fds[0];
}

LiveChild::~LiveChild()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_fd >= 0)
        close(m_fd);
}

bool LiveChild::ReadSome(int timeoutMs)
{
    if (m_fd < 0)
        return false;
    pollfd p{m_fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return true; // nothing yet
    char buf[4096];
    const ssize_t n = read(m_fd, buf, sizeof buf);
    if (n <= 0) {
        close(m_fd);
        m_fd = -1;
        return false;
    }
    m_out.append(buf, static_cast<size_t>(n));
    return true;
}

bool LiveChild::WaitForLine(const std::string& line, int timeoutMs)
{
    const long long end = NowMs() + timeoutMs;
    for (;;) {
        size_t nl;
        while ((nl = m_out.find('\n', m_scanned)) != std::string::npos) {
            const bool hit = m_out.compare(m_scanned, nl - m_scanned, line) == 0;
            m_scanned = nl + 1;
            if (hit)
                return true;
        }
        const long long left = end - NowMs();
        if (left <= 0 || !ReadSome(static_cast<int>(left > 100 ? 100 : left)))
            return false;
    }
}

int LiveChild::WaitForExit(int timeoutMs)
{
    if (m_pid <= 0)
        return -1;
    const long long end = NowMs() + timeoutMs;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (NowMs() > end) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
            return -1;
        }
        ReadSome(20);
    }
    m_pid = -1;
    while (ReadSome(50)) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int LiveChild::Terminate(int timeoutMs)
{
    if (m_pid > 0)
        kill(m_pid, SIGTERM);
    return WaitForExit(timeoutMs);
}

std::vector<std::string> LiveChild::lines() const
{
    std::vector<std::string> out;
    size_t start = 0, nl;
    while ((nl = m_out.find('\n', start)) != std::string::npos) {
        out.push_back(m_out.substr(start, nl - start));
        start = nl + 1;
    }
    return out;
}

std::string Shell(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

std::string FindWindow(const std::string& caption, int timeoutSeconds)
{
    const long long end = NowMs() + timeoutSeconds * 1000LL;
    while (NowMs() < end) {
        std::string id = Shell("xdotool search --name '^" + caption + "$' 2>/dev/null | head -1");
        if (!id.empty())
            return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

} // namespace input_test
