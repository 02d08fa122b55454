#pragma once
// Runs a program as a child process with extra environment settings and
// collects its standard output, standard error and exit status.
#include <string>
#include <utility>
#include <vector>

namespace spine_test {

struct ChildResult {
    std::string out;
    std::string err;
    int status = -1;      // exit status, or -1 when it did not exit normally
    bool timedOut = false;
};

// env entries are "NAME=value" (set) or "NAME" (removed).
ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& env, int timeoutSeconds = 60);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// Position of the first line equal to `line` at or after `from`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& line, int from = 0);

} // namespace spine_test
