#pragma once
// The words of a translated test program's command line after its own path
// (the line is the program's name and each argument, each followed by one
// blank).
#include <cstddef>
#include <string>

#include "runtime/veltric.h"

namespace veltric_test {

inline std::string ProgramArgument(int i)
{
    std::string line = __VELTRIC__::GETCOMMANDLINE_Str().c_str();
    std::size_t at = 0;
    for (int k = 0; k <= i; ++k) {
        at = line.find(' ', at);
        if (at == std::string::npos) return "";
        ++at;
    }
    return line.substr(at, line.find(' ', at) - at);
}

} // namespace veltric_test
