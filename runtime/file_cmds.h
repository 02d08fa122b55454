#pragma once
// Commands on whole files and directories. They work on plain files only
// (the data archive is not asked) and resolve names case-insensitively where
// they read.
#include "runtime/arrays.h"
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// Deletes the file by the name as given: 0 on success, -1 on failure.
double KILLFILE(DGStr const& name);
// Copies a file in blocks; a failed copy leaves no partial file behind, and
// a copy onto the source itself (any letter case) leaves it untouched.
double COPYFILE(DGStr const& from, DGStr const& to);
double DOESFILEEXIST(DGStr name);
// The file's length in bytes, 0 when it cannot be opened.
double GETFILESIZE(DGStr const& name);
// Fills list with the current directory's subdirectories (all of them),
// then the files matching pattern, each in directory order. Result:
// directories x 65,536 + files.
double GETFILELIST(DGStr const& pattern, DGArray<DGStr>& list);
// The current directory with '/' separators and a final '/'.
DGStr GETCURRENTDIR_Str();
double SETCURRENTDIR(DGStr const& path);

// '*' matches any run, '?' any one character except '.', letters match
// without regard to case.
bool szWildMatch(char const* pattern, char const* name);
bool IsDirectory(char const* path);

} // namespace __VELTRIC__
