#include "fatal_in_child.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/core.h"

namespace values_test {

FatalReport RunFatal(const std::function<void()>& code, double debugLine)
{
    FatalReport r;
    int fds[2];
    if (pipe(fds) != 0)
        return r;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        __VELTRIC__::__DG_DEBUG = 1;
        __VELTRIC__::__g_debugline = debugLine;
        code();
        std::printf("RETURNED\n");
        std::fflush(stdout);
        _exit(3);
    }
    close(fds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        r.out.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        r.exitStatus = WEXITSTATUS(status);

    std::istringstream lines(r.out);
    std::string line;
    bool inReport = false;
    while (std::getline(lines, line)) {
        if (line == "RETURNED")
            r.returned = true;
        if (line == "-End On Line") {
            inReport = true;
            r.numbers.clear();
        } else if (inReport && r.numbers.size() < 4) {
            r.numbers.push_back(std::atoi(line.c_str()));
        } else {
            inReport = false;
        }
    }
    return r;
}

} // namespace values_test
