// Case-insensitive name resolution and line reading of RTFileSystem.
#include "runtime/filesystem.h"

#include <dirent.h>
#include <strings.h>

#include <cstring>
#include <string>

namespace __VELTRIC__ {

namespace {

bool OpensForReading(char const* name)
{
    std::FILE* f = std::fopen(name, "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
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
        std::FILE* f = std::fopen(resolved.c_str(), mode);
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
    if (std::fseek(file, 0, SEEK_END) == 0) {
        long end = std::ftell(file);
        // The record keeps a 32-bit size; larger files are not line-read.
        size = end > 0x7FFFFFFFL ? 0x7FFFFFFF : static_cast<int>(end < 0 ? 0 : end);
    }
    std::fseek(file, 0, SEEK_SET);
    return true;
}

int RTFileSystem::ReadLine(char* buffer, int max)
{
    if (!file) return 0;
    if (max < 1) return 1;

    // Room for max - 1 characters: the terminator always fits.
    const int room = max - 1;
    int n = 0;          // characters stored in buffer
    long consumed = 0;  // bytes of the stream that belong to this line
    bool ended = false; // a '\n' was seen
    bool eof = false;
    unsigned char chunk[64];
    while (!ended && n < room) {
        std::size_t want = sizeof chunk;
        std::size_t got = std::fread(chunk, 1, want, file);
        if (got == 0) {
            eof = true;
            break;
        }
        std::size_t i = 0;
        for (; i < got; ++i) {
            if (chunk[i] == '\n') {
                ended = true;
                ++i;
                break;
            }
            if (n == room) break;
            buffer[n++] = static_cast<char>(chunk[i]);
        }
        consumed += static_cast<long>(i);
        if (got < want && i == got) {
            eof = true;
            break;
        }
    }
    if (ended && n > 0 && buffer[n - 1] == '\r') --n;

    if (!ended && n == room && !eof) {
        // The buffer is full: when the line end follows right away, take it
        // now, so that a line of exactly max - 1 characters is one line.
        long at = position + consumed;
        std::fseek(file, at, SEEK_SET);
        int c = std::fgetc(file);
        if (c == EOF) {
            eof = true;
        } else if (c == '\n') {
            consumed += 1;
            if (n > 0 && buffer[n - 1] == '\r') --n;
        } else if (c == '\r' && std::fgetc(file) == '\n') {
            consumed += 2;
        }
    }
    buffer[n] = '\0';

    if (!ended && consumed == 0 && eof) {
        // Nothing left of the file.
        std::fseek(file, position, SEEK_SET);
        return 0;
    }
    position += static_cast<int>(consumed);
    std::fseek(file, position, SEEK_SET);
    return 1;
}

void RTFileSystem::SkipRestOfLine()
{
    if (!file || position <= 0) return;
    if (std::fseek(file, position - 1, SEEK_SET) != 0) return;
    int c = std::fgetc(file);
    if (c == '\n' || c == EOF) {
        std::fseek(file, position, SEEK_SET);
        return;
    }
    while ((c = std::fgetc(file)) != EOF) {
        ++position;
        if (c == '\n') break;
    }
    std::fseek(file, position, SEEK_SET);
}

} // namespace __VELTRIC__
