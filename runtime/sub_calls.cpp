// CALLBYNAME and GETSUBADDRESS: a walk over the translated program's table
// of subs, names compared exactly.
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/system_cmds.h"

namespace __VELTRIC__ {

static const __SubCall* FindSub(const DGStr& name)
{
    for (const __SubCall* e = __g_pSubCalls; e->fn; ++e) {
        if (e->name && std::strcmp(e->name, name.c_str()) == 0) return e;
    }
    return nullptr;
}

double CALLBYNAME(const DGStr& name)
{
    if (const __SubCall* e = FindSub(name)) {
        e->fn();
        return 1.0;
    }
    // puts adds its own line end after the text's, so an empty line follows.
    std::string line = "CALLBYNAME \"";
    line += name.c_str();
    line += "\" *** failed ***\n";
    std::puts(line.c_str());
    return 0.0;
}

std::intptr_t GETSUBADDRESS(const DGStr& name)
{
    const __SubCall* e = FindSub(name);
    return e ? reinterpret_cast<std::intptr_t>(e->fn) : 0;
}

} // namespace __VELTRIC__
