#pragma once
// RTShoeBox: the packed archive appended to the program file. Every loader
// asks it for a file name and gets back a path it can open: the plain file on
// disk (which always wins) or a temporary copy of the packed member.
#include <cstddef>
#include <string>

#include "runtime/dgstr.h"

namespace __VELTRIC__ {

class RTShoeBox {
public:
    // Room for any path FindOrExtract gives back, terminator included.
    static constexpr std::size_t kPathMax = 1024;

    RTShoeBox();
    // Removes the temporary file extracted last and the private directory.
    ~RTShoeBox();
    RTShoeBox(const RTShoeBox&) = delete;
    RTShoeBox& operator=(const RTShoeBox&) = delete;

    // 1 with a readable path in out (at most outSize bytes with the
    // terminator), 0 when neither a plain file nor a member is found, the
    // archive is damaged, or the path does not fit. The temporary file of the
    // previous lookup is removed first.
    int FindOrExtract(char const* name, char* out, std::size_t outSize);
    // The same with a path of any length: out is left as it was where the
    // bounded form leaves it, and emptied where that empties it.
    int FindOrExtract(char const* name, std::string& out);

    // Points the archive at a file (empty: no archive) and makes it active.
    void SetArchive(char const* path);

    // Fields: active flag, archive path (the program file, wherever it is
    // installed), the temporary file extracted last.
    unsigned char active;
    std::string archive;
    char lastTemp[kPathMax];

private:
    void RemoveLastTemp();
    bool MakePrivateDir();
    // The lookup behind both forms of FindOrExtract: 1 with the path in out;
    // on 0, emptied says whether the caller's answer is emptied.
    int Lookup(char const* name, std::string& out, bool& emptied);
    int Extract(char const* name, char const* wanted, std::string& out, bool& emptied);

    // One directory per archive object, mode 0700, made on the first
    // extraction; members are written only inside it.
    char m_dir[kPathMax];
};

extern RTShoeBox* __g_ShoeBox_Media;
extern RTShoeBox* __g_ShoeBox_Data;

// Points the data archive at the first path and the media archive at the second.
double SETSHOEBOX(DGStr const& data, DGStr const& media);

// The data archive's lookup for the runtime's own readers; without an archive
// object, the plain file alone.
int FindDataFile(char const* name, char* out, std::size_t outSize);
int FindDataFile(char const* name, std::string& out);

} // namespace __VELTRIC__
