// Archive lookups: the plain file first, else the packed member, extracted
// into a private temporary directory of the archive object.
#include "runtime/shoebox.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "runtime/compression.h"
#include "runtime/filesystem.h"
#include "runtime/shoebox_format.h"

namespace __VELTRIC__ {

RTShoeBox* __g_ShoeBox_Media = nullptr;
RTShoeBox* __g_ShoeBox_Data = nullptr;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The Linux build reports every way a lookup fails; the Mac build only the
// failures to write.
template <class... A> void Diagnostic(char const* format, A... args)
{
#ifndef __APPLE__
    std::printf(format, args...);
#else
    (void)format;
    ((void)args, ...);
#endif
}

void SetEmpty(char* out, std::size_t outSize)
{
    if (out && outSize > 0) out[0] = '\0';
}

bool CopyBounded(char* out, std::size_t outSize, char const* text)
{
    std::size_t n = std::strlen(text);
    if (!out || n >= outSize) {
        SetEmpty(out, outSize);
        return false;
    }
    std::memcpy(out, text, n + 1);
    return true;
}

bool WriteAll(int fd, unsigned char const* p, std::size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

} // namespace

RTShoeBox::RTShoeBox() : active(1), lastTemp{}, m_dir{} {}

RTShoeBox::~RTShoeBox()
{
    active = 1;
    RemoveLastTemp();
    archive.clear();
    if (m_dir[0]) ::rmdir(m_dir);
    m_dir[0] = '\0';
}

void RTShoeBox::RemoveLastTemp()
{
    if (lastTemp[0]) ::unlink(lastTemp);
    lastTemp[0] = '\0';
}

bool RTShoeBox::MakePrivateDir()
{
    if (m_dir[0]) return true;
    char const* base = std::getenv("TMPDIR");
    // Leave room below the path limit for the member's own name.
    if (!base || !base[0] || std::strlen(base) > kPathMax - 300) base = "/tmp";
    char templ[kPathMax];
    std::snprintf(templ, sizeof templ, "%s/sbxXXXXXX", base);
    if (!::mkdtemp(templ)) return false;
    std::memcpy(m_dir, templ, std::strlen(templ) + 1);
    return true;
}

void RTShoeBox::SetArchive(char const* path)
{
    active = 1;
    RemoveLastTemp();
    archive = path ? path : "";
}

int RTShoeBox::FindOrExtract(char const* name, char* out, std::size_t outSize)
{
    std::string path;
    bool emptied = false;
    if (Lookup(name, path, emptied)) {
        if (CopyBounded(out, outSize, path.c_str())) return 1;
        // A member's copy that cannot be handed back is not kept either.
        RemoveLastTemp();
        return 0;
    }
    if (emptied) SetEmpty(out, outSize);
    return 0;
}

int RTShoeBox::FindOrExtract(char const* name, std::string& out)
{
    std::string path;
    bool emptied = false;
    if (Lookup(name, path, emptied)) {
        out = path;
        return 1;
    }
    if (emptied) out.clear();
    return 0;
}

int RTShoeBox::Lookup(char const* name, std::string& out, bool& emptied)
{
    RemoveLastTemp();
    emptied = false;
    if (!name || !name[0]) {
        emptied = true;
        return 0;
    }

    if (std::FILE* plain = fopen_case(name, "rb")) {
        std::fclose(plain);
        // The name as given: loaders resolve it again when they open it.
        out = name;
        return 1;
    }

    if (!active) {
        Diagnostic("can't open(0): %s\n", name);
        return 0;
    }
    if (archive.empty()) {
        active = 0;
        Diagnostic("can't open(2): %s\n", name);
        return 0;
    }
    char const* wanted = name;
    for (char const* p = name; *p; ++p)
        if (*p == '/' || *p == '\\') wanted = p + 1;
    return Extract(name, wanted, out, emptied);
}

int RTShoeBox::Extract(char const* name, char const* wanted, std::string& out, bool& emptied)
{
    FilePtr f(fopen_case(archive.c_str(), "rb"));
    if (!f) {
        active = 0;
        Diagnostic("can't open(1): %s\n", name);
        return 0;
    }
    long long size = -1;
    if (fseeko(f.get(), 0, SEEK_END) == 0) size = ftello(f.get());

    shoebox::Member m;
    char header[4];
    switch (shoebox::FindMember(f.get(), size, wanted, m, header)) {
    case shoebox::Lookup::Found:
        break;
    case shoebox::Lookup::HeaderUnreadable:
        Diagnostic("can't read shoebox header: %s\n", archive.c_str());
        emptied = true;
        return 0;
    case shoebox::Lookup::BadHeader:
        // No archive appended: one check, and lookups skip it from now on.
        active = 0;
        Diagnostic("bad shoebox header: %s [%s]\n", archive.c_str(), header);
        Diagnostic("Filesize: %d, CurPos: %d\n", static_cast<int>(size), static_cast<int>(size - 4));
        return 0;
    case shoebox::Lookup::NotFound:
        Diagnostic("can't open(3): %s\n", name);
        emptied = true;
        return 0;
    case shoebox::Lookup::Damaged:
        emptied = true;
        return 0;
    }

    // The temporary name: sbx, two letters from the low bytes of the
    // member's offset and packed size, then the member's own name.
    char tempName[kPathMax];
    emptied = true;
    if (!MakePrivateDir()) {
        std::printf("can't write to file: %s\n", m.name);
        std::printf("can't open \"%s\" for writing\n", m.name);
        return 0;
    }
    char l1 = static_cast<char>('A' + static_cast<unsigned char>(m.offsetField) % 26);
    char l2 = static_cast<char>('A' + static_cast<unsigned char>(m.packedField) % 26);
    int n = std::snprintf(tempName, sizeof tempName, "%s/sbx%c%c%s", m_dir, l1, l2, m.name);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof tempName) return 0;

    RTCompression dec;
    bool decoded = shoebox::ReadMember(f.get(), m, dec);
    f.reset();
    if (!decoded) return 0;

    // Inside our own 0700 directory: created fresh, never through a link.
    ::unlink(tempName);
    int fd = ::open(tempName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool ok = fd >= 0 && WriteAll(fd, dec.Output(), dec.OutputLength());
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    dec.Clear();
    if (!ok) {
        if (fd >= 0) ::unlink(tempName);
        std::printf("can't write to file: %s\n", tempName);
        std::printf("can't open \"%s\" for writing\n", tempName);
        return 0;
    }
    std::memcpy(lastTemp, tempName, static_cast<std::size_t>(n) + 1);
    out = tempName;
    return 1;
}

double SETSHOEBOX(DGStr const& data, DGStr const& media)
{
    if (__g_ShoeBox_Data) __g_ShoeBox_Data->SetArchive(data.c_str());
    if (__g_ShoeBox_Media) __g_ShoeBox_Media->SetArchive(media.c_str());
    return 0.0;
}

int FindDataFile(char const* name, char* out, std::size_t outSize)
{
    if (__g_ShoeBox_Data) return __g_ShoeBox_Data->FindOrExtract(name, out, outSize);
    // No archive object (before start-up): an inactive one answers with the
    // plain file alone.
    static RTShoeBox none;
    none.active = 0;
    return none.FindOrExtract(name, out, outSize);
}

int FindDataFile(char const* name, std::string& out)
{
    if (__g_ShoeBox_Data) return __g_ShoeBox_Data->FindOrExtract(name, out);
    static RTShoeBox none;
    none.active = 0;
    return none.FindOrExtract(name, out);
}

} // namespace __VELTRIC__
