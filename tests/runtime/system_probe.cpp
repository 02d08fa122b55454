// A translated program for the system command tests. Its subs are listed in
// the table of subs of its generated entry. The first argument picks what
// the main routine does:
//   subs        calls subs by name and prints what it finds
//   shellend P  changes its INI file, then replaces itself by program P
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/ini.h"
#include "runtime/veltric.h"
#include "tests/support/program_argument.h"

namespace __VELTRIC__ {

double Greet()
{
    std::puts("greeted");
    return 0.0;
}

double Farewell()
{
    std::puts("farewell");
    return 0.0;
}

} // namespace __VELTRIC__

double __VELTRIC__::__MainGameSub_()
{
    std::fflush(stdout);
    const std::string mode = veltric_test::ProgramArgument(0);
    if (mode == "subs") {
        std::printf("called %g\n", CALLBYNAME(DGStr("Farewell")));
        std::printf("called %g\n", CALLBYNAME(DGStr("Greet")));
        std::printf("called %g\n", CALLBYNAME(DGStr("greet")));
        auto sub = reinterpret_cast<void (*)()>(GETSUBADDRESS(DGStr("Greet")));
        if (sub) sub();
        std::printf("missing %d\n", GETSUBADDRESS(DGStr("Nobody")) == 0 ? 1 : 0);
    } else if (mode == "shellend") {
        INIOPEN(DGStr("probe.ini"));
        INIPUT(DGStr("run"), DGStr("state"), DGStr("ended"));
        SHELLEND(DGStr(veltric_test::ProgramArgument(1).c_str()));
    }
    return 0.0;
}
