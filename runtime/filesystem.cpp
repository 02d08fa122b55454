// Case-insensitive name resolution and line reading of RTFileSystem.
#include "runtime/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
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

bool IsSpecialFile(char const* path)
{
    struct stat st;
    return path && ::stat(path, &st) == 0 && !S_ISREG(st.st_mode);
}

namespace {

// The folder part of a path, as a prefix for a name in the same folder:
// "" for a bare name, "/" for a file in the root.
std::string FolderPrefix(std::string const& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a fresh file for writing next to target. The mode is that of any
// new file (0666 less the umask), as the replaced file was made before.
int CreateTempNextTo(std::string const& target, std::string& temp)
{
    static unsigned counter = 0;
    const std::string folder = FolderPrefix(target);
    for (int attempt = 0; attempt < 64; ++attempt) {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".~vlt%05x%06x.tmp",
                      static_cast<unsigned>(getpid()) & 0xFFFFFu,
                      (static_cast<unsigned>(ts.tv_nsec) ^ (++counter * 2654435761u)) & 0xFFFFFFu);
        temp = folder + suffix;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace

FileReplacement::~FileReplacement() { Discard(); }

void FileReplacement::Discard()
{
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
}

bool FileReplacement::Begin(char const* name)
{
    Discard();
    m_given = name ? name : "";
    m_target.clear();
    if (m_given.empty()) {
        std::printf("can't write to file: %s\n", m_given.c_str());
        return false;
    }
    // An existing file whose name differs only in case is the one replaced.
    std::string resolved(m_given.size(), '\0');
    const bool found = RTFileSystem::GetNoCaseName4Input(m_given.c_str(), &resolved[0]);
    m_target = found ? resolved.c_str() : m_given;
    if (IsSpecialFile(m_target.c_str())) {
        std::printf("can't write to file: %s\n", m_given.c_str());
        return false;
    }
    int fd = CreateTempNextTo(m_target, m_temp);
    if (fd < 0) {
        m_temp.clear();
        // A folder we may not add to, holding a file we may write: the file
        // is rewritten where it is.
        struct stat st;
        if ((errno == EACCES || errno == EPERM) && ::stat(m_target.c_str(), &st) == 0)
            fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    }
    if (fd >= 0) {
        m_file = ::fdopen(fd, "wb");
        if (!m_file) ::close(fd);
    }
    if (!found)
        std::printf("wrt-request: fopen(\"%s\", \"%s\") %s\n\n", m_given.c_str(), "wb",
                    m_file ? "succeeded" : "failed");
    if (!m_file) {
        Discard();
        std::printf("can't write to file: %s\n", m_given.c_str());
        return false;
    }
    return true;
}

bool FileReplacement::Commit(bool ok)
{
    if (!m_file) return false;
    std::FILE* f = m_file;
    m_file = nullptr;
    if (std::ferror(f) || std::fflush(f) != 0) ok = false;
    // On the disc before the name points at it: a crash right after the
    // rename leaves the new file, not an empty one.
    if (ok && ::fsync(fileno(f)) != 0) ok = false;
    if (std::fclose(f) != 0) ok = false;
    if (ok && !m_temp.empty() && ::rename(m_temp.c_str(), m_target.c_str()) != 0) ok = false;
    if (ok) {
        m_temp.clear();
        return true;
    }
    Discard();
    std::printf("can't write to file: %s\n", m_given.c_str());
    return false;
}

bool ReplaceFile(char const* name, const std::function<bool(std::FILE*)>& write)
{
    FileReplacement r;
    if (!r.Begin(name)) return false;
    return r.Commit(write(r.File()));
}

} // namespace __VELTRIC__
