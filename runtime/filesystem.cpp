// Case-insensitive name resolution and line reading of RTFileSystem.
#include "runtime/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace __VELTRIC__ {

std::FILE* OpenRegularFile(char const* path)
{
    if (!path) return nullptr;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    int flags = -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (flags = ::fcntl(fd, F_GETFL)) < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        errno = ENOENT;
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) ::close(fd);
    return f;
}

namespace {

bool OpensForReading(char const* name)
{
    std::FILE* f = OpenRegularFile(name);
    if (!f) return false;
    std::fclose(f);
    return true;
}

// Modes that neither write, append nor update open regular files only.
bool ReadOnlyMode(char const* mode)
{
    return !std::strchr(mode, 'w') && !std::strchr(mode, 'a') && !std::strchr(mode, '+');
}

std::FILE* OpenWithMode(char const* name, char const* mode)
{
    return ReadOnlyMode(mode) ? OpenRegularFile(name) : std::fopen(name, mode);
}

// The resolution itself. Only the last component is matched without regard
// to case; the directory part must be spelled as it is on disk.
bool Resolve(char const* name, char* out, bool verbose)
{
    if (!name || !out) return false;
    if (OpensForReading(name)) {
        std::strcpy(out, name);
        return true;
    }
    if (verbose) std::printf("fopen(\"%s\", \"rb\") failed.\n", name);

    std::string dir;
    char const* wanted = name;
    char const* slash = std::strrchr(name, '/');
    if (slash) {
        if (verbose) std::printf("internal error: relative pathname and non-matching case sensitivity\n");
        // A name like "/Foo" lies in the root directory, not in "".
        dir = slash == name ? std::string("/") : std::string(name, slash);
        wanted = slash + 1;
    } else {
        dir = ".";
    }

    DIR* d = opendir(dir.c_str());
    if (!d) {
        if (verbose) {
            std::printf("cannot read directory \"%s\" - watch case sensitivity of directory names!\n",
                        dir.c_str());
            std::printf("GetNoCaseName4Input - bailing out\n");
        }
        return false;
    }
    std::string match;
    bool found = false;
    while (struct dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, wanted) == 0) {
            match = e->d_name;
            found = true;
            break;
        }
    }
    closedir(d);
    if (!found) {
        if (verbose) std::printf("GetNoCaseName4Input - bailing out\n");
        return false;
    }

    // Equal under an ASCII case-insensitive comparison means equal length, so
    // the result is exactly as long as the name: out holds it.
    std::string result;
    if (!slash)
        result = match;
    else if (dir == "/")
        result = "/" + match;
    else
        result = dir + "/" + match;
    if (verbose) std::printf("can open(\"%s\") luckily\n", result.c_str());
    std::memcpy(out, result.c_str(), result.size() + 1);
    return true;
}

} // namespace

bool RTFileSystem::GetNoCaseName4Input(char const* name, char* out) { return Resolve(name, out, true); }

bool RTFileSystem::ResolveQuiet(char const* name, char* out) { return Resolve(name, out, false); }

std::FILE* fopen_case(char const* name, char const* mode)
{
    if (!name || !mode) return nullptr;
    std::string resolved(std::strlen(name), '\0');
    if (RTFileSystem::GetNoCaseName4Input(name, &resolved[0])) {
        resolved.resize(std::strlen(resolved.c_str()));
        std::FILE* f = OpenWithMode(resolved.c_str(), mode);
        if (!f)
            std::printf("request: fopen_case(\"%s\", \"%s\") opens \"%s\": %s\n", name, mode,
                        resolved.c_str(), "failed");
        return f;
    }
    if (!std::strchr(mode, 'w') && !std::strchr(mode, 'a')) {
        std::printf("request: fopen(\"%s\", \"%s\") failed\n", name, mode);
        return nullptr;
    }
    std::FILE* f = std::fopen(name, mode);
    std::printf("wrt-request: fopen(\"%s\", \"%s\") %s\n\n", name, mode, f ? "succeeded" : "failed");
    return f;
}

bool RTFileSystem::FitsAsText(char const* name)
{
    if (size <= kMaxTextFileBytes) return true;
    std::printf("file too large: %s\n", name);
    Close();
    return false;
}

int RTFileSystem::ReadTextLine(char* buffer, int max)
{
    bool cut = false;
    if (position >= kMaxTextFileBytes || !ReadLine(buffer, max, &cut)) return 0;
    if (cut) SkipRestOfLine(kMaxTextFileBytes);
    return 1;
}

int RTFileSystem::Close()
{
    int r = 0;
    if (file) r = std::fclose(file);
    file = nullptr;
    size = 0;
    position = 0;
    return r;
}

bool RTFileSystem::OpenIn(char const* name)
{
    Close();
    file = fopen_case(name, "rb");
    if (!file) return false;
    // A regular file: its length is what fstat reports.
    struct stat st;
    if (::fstat(fileno(file), &st) == 0 && st.st_size > 0) size = st.st_size;
    return true;
}

int RTFileSystem::ReadLine(char* buffer, int max, bool* cut)
{
    if (cut) *cut = false;
    if (!file) return 0;
    if (max < 1) return 1;

    // Byte by byte from the stream's buffer: nothing beyond the line is
    // taken, so the stream stays at the record's position without a seek.
    const int room = max - 1; // the terminator always fits
    int n = 0;
    long consumed = 0;
    bool ended = false;
    bool eof = false;
    int c;
    while (n < room) {
        c = getc_unlocked(file);
        if (c == EOF) {
            eof = true;
            break;
        }
        ++consumed;
        if (c == '\n') {
            ended = true;
            break;
        }
        buffer[n++] = static_cast<char>(c);
    }
    // A CR just before the LF belongs to the line end.
    if (ended && n > 0 && buffer[n - 1] == '\r') --n;

    if (!ended && !eof) {
        // The buffer is full. A line end right after it is taken now, so
        // that a line of exactly max - 1 characters is one line.
        c = getc_unlocked(file);
        if (c == '\n') {
            ++consumed;
            if (n > 0 && buffer[n - 1] == '\r') --n;
        } else if (c == '\r') {
            int d = getc_unlocked(file);
            if (d == '\n') {
                consumed += 2;
            } else {
                // Two bytes to give back: move the stream instead.
                fseeko(file, static_cast<off_t>(position + consumed), SEEK_SET);
                if (cut) *cut = true;
            }
        } else if (c == EOF) {
            eof = true;
        } else {
            ungetc(c, file);
            if (cut) *cut = true;
        }
    }
    buffer[n] = '\0';
    if (consumed == 0 && eof) return 0;
    position += consumed;
    return 1;
}

void RTFileSystem::SkipRestOfLine(std::int64_t limit)
{
    if (!file) return;
    // Block by block: a line without an end can be as long as the file.
    char block[65536];
    while (position < limit) {
        std::size_t want = sizeof block;
        if (static_cast<std::uint64_t>(limit - position) < want) want = static_cast<std::size_t>(limit - position);
        const std::size_t got = std::fread(block, 1, want, file);
        if (got == 0) return;
        if (const void* end = std::memchr(block, '\n', got)) {
            position += static_cast<const char*>(end) - block + 1;
            // The bytes after the line end are read again by the next line.
            fseeko(file, static_cast<off_t>(position), SEEK_SET);
            return;
        }
        position += static_cast<std::int64_t>(got);
    }
}

} // namespace __VELTRIC__
