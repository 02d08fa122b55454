#pragma once
// A program run as a child process that a test talks to while it runs: its
// standard output is read line by line as it comes, with time limits.
#include <string>
#include <vector>

namespace input_test {

class LiveChild {
public:
    LiveChild(const std::string& program, const std::vector<std::string>& args);
    ~LiveChild();                 // kills the child when it still runs
    LiveChild(const LiveChild&) = delete;
    LiveChild& operator=(const LiveChild&) = delete;

    bool started() const { return m_pid > 0; }
    // Reads output until a line equal to `line` arrives: false on timeout or
    // when the child's output ends first.
    bool WaitForLine(const std::string& line, int timeoutMs);
    // The exit status, or -1 when the child did not exit normally in time
    // (it is killed then).
    int WaitForExit(int timeoutMs);
    // Asks the child to end (SIGTERM) and waits for its exit status.
    int Terminate(int timeoutMs);
    const std::string& output() const { return m_out; }
    std::vector<std::string> lines() const;

private:
    bool ReadSome(int timeoutMs);  // false when the output has ended
    int m_pid = -1;
    int m_fd = -1;
    std::string m_out;
    size_t m_scanned = 0;          // lines before this offset were looked at
};

// Runs a shell command and gives its standard output without the last line end.
std::string Shell(const std::string& command);

// The X window id of the window titled `caption`, or "" after timeoutSeconds.
std::string FindWindow(const std::string& caption, int timeoutSeconds = 20);

} // namespace input_test
