// File and directory commands.
#include "runtime/file_cmds.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/filesystem.h"

namespace __VELTRIC__ {

namespace {

bool SameLetter(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Whether the name (as given, or as the case-insensitive open would find it)
// is the file behind the open stream.
bool IsSameFile(std::FILE* open, char const* name)
{
    struct stat a, b;
    if (::fstat(fileno(open), &a) != 0) return false;
    std::string resolved(std::strlen(name), '\0');
    if (::stat(name, &b) != 0) {
        if (!RTFileSystem::ResolveQuiet(name, &resolved[0])) return false;
        if (::stat(resolved.c_str(), &b) != 0) return false;
    }
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

double KILLFILE(DGStr const& name) { return ::unlink(name.c_str()) == 0 ? 0.0 : -1.0; }

double COPYFILE(DGStr const& from, DGStr const& to)
{
    std::FILE* src = fopen_case(from.c_str(), "rb");
    if (!src) return 0.0;
    // Opening the target for writing would truncate the source itself.
    if (IsSameFile(src, to.c_str())) {
        std::fclose(src);
        return 0.0;
    }
    // The copy replaces the target only once it is whole: a failed read or
    // write keeps the old target and leaves no partial copy.
    FileReplacement dst;
    if (!dst.Begin(to.c_str())) {
        std::fclose(src);
        return 0.0;
    }
    long long left = 0;
    if (fseeko(src, 0, SEEK_END) == 0) left = ftello(src);
    fseeko(src, 0, SEEK_SET);
    bool ok = left >= 0;
    char block[4096];
    while (ok && left > 0) {
        std::size_t n = left < static_cast<long long>(sizeof block) ? static_cast<std::size_t>(left) : sizeof block;
        ok = std::fread(block, 1, n, src) == n && std::fwrite(block, 1, n, dst.File()) == n;
        left -= static_cast<long long>(n);
    }
    std::fclose(src);
    dst.Commit(ok);
    return 0.0;
}

double DOESFILEEXIST(DGStr name)
{
    std::FILE* f = fopen_case(name.c_str(), "rb");
    if (!f) return 0.0;
    std::fclose(f);
    return 1.0;
}

double GETFILESIZE(DGStr const& name)
{
    std::FILE* f = fopen_case(name.c_str(), "rb");
    if (!f) return 0.0;
    long long size = 0;
    if (fseeko(f, 0, SEEK_END) == 0) size = ftello(f);
    std::fclose(f);
    return size > 0 ? static_cast<double>(size) : 0.0;
}

double GETFILELIST(DGStr const& pattern, DGArray<DGStr>& list)
{
    std::vector<std::string> dirs, files;
    if (DIR* d = ::opendir(".")) {
        while (struct dirent* e = ::readdir(d)) {
            if (IsDirectory(e->d_name))
                dirs.push_back(e->d_name);
            else if (szWildMatch(pattern.c_str(), e->d_name))
                files.push_back(e->d_name);
        }
        ::closedir(d);
    }
    DIM(list, static_cast<int>(dirs.size() + files.size()));
    int i = 0;
    for (const std::string& s : dirs) list(i++) = s.c_str();
    for (const std::string& s : files) list(i++) = s.c_str();
    return static_cast<double>(dirs.size()) * 65536.0 + static_cast<double>(files.size());
}

DGStr GETCURRENTDIR_Str()
{
    // Sized by the system, so deep directories come back whole.
    char* cwd = ::getcwd(nullptr, 0);
    std::string s = cwd ? cwd : "";
    std::free(cwd);
    for (char& c : s)
        if (c == '\\') c = '/';
    if (s.empty() || s.back() != '/') s += '/';
    return DGStr(s.c_str());
}

double SETCURRENTDIR(DGStr const& path)
{
    int ok = ::chdir(path.c_str()) == 0 ? 1 : 0;
    std::printf("chdir(\"%s\") = %d\n", path.c_str(), ok);
    return ok;
}

bool szWildMatch(char const* pattern, char const* name)
{
    char const* p = pattern;
    char const* n = name;
    char const* star = nullptr; // pattern just after the last '*'
    char const* retry = nullptr; // name position that star matched up to
    while (*n) {
        if (*p == '*') {
            while (*p == '*') ++p;
            if (!*p) return true;
            star = p;
            retry = n;
            continue;
        }
        if (*p && ((*p == '?' && *n != '.') || (*p != '?' && SameLetter(*p, *n)))) {
            ++p;
            ++n;
            continue;
        }
        if (!star) return false;
        // Let the last star take one more character and try again.
        p = star;
        n = ++retry;
    }
    while (*p == '*') ++p;
    return !*p;
}

bool IsDirectory(char const* path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && (st.st_mode & 0xF000) == 0x4000;
}

} // namespace __VELTRIC__
