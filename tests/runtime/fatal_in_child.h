#pragma once
// Runs a piece of code that is expected to end the program with a fatal
// error, in a forked child with the debug report switched on, and reads the
// report the child prints on its way out.
#include <functional>
#include <string>
#include <vector>

namespace values_test {

struct FatalReport {
    bool returned = false;     // the code came back instead of ending the program
    int exitStatus = -1;       // -1 when the child did not exit normally
    std::vector<int> numbers;  // the lines after "-End On Line": error, error line - 1, line, file
    std::string out;           // everything the child printed
    // The error number, or -1 when there was no report.
    int Error() const { return numbers.empty() ? -1 : numbers[0]; }
};

// debugLine is stored as the current source line before the code runs.
FatalReport RunFatal(const std::function<void()>& code, double debugLine = 0);

} // namespace values_test
