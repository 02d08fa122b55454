#pragma once
// How the 2D loaders turn a program's file name into a readable path.
#include <string>

#include "runtime/dgstr.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

// Asks the data archive for `name` (the plain file first, else an unpacked
// member). A name whose path would not fit the archive's path room counts as
// not found rather than being cut.
inline bool ResolveDataPath(const DGStr& name, std::string& path)
{
    char buf[RTShoeBox::kPathMax];
    if (!FindDataFile(name.c_str(), buf, sizeof buf)) return false;
    path = buf;
    return true;
}

} // namespace __VELTRIC__
