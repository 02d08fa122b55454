#pragma once
// Reads a whole file into a string for the fuzz targets' own checks and
// fixtures. exists, when given, tells whether the file could be opened.
#include <cstdio>
#include <string>

namespace fuzzsupport {

inline std::string ReadWhole(const std::string& path, bool* exists = nullptr)
{
    std::string s;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (exists) *exists = f != nullptr;
    if (!f) return s;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

} // namespace fuzzsupport
