#pragma once
// RTini: one INI text file held in memory as sections of key and value
// pairs, read through the data archive and written back when changed.
// Section and key names compare without regard to ASCII case; the first
// match in file order is the one used.
#include <cstdio>

#include "runtime/dgstr.h"
#include "runtime/filesystem.h"
#include "runtime/queue.h"

namespace __VELTRIC__ {

class RTini {
public:
    struct INIKEY {
        DGStr key;
        DGStr value;
    };
    struct Section {
        DGStr name;
        Queue<INIKEY*> keys{128, 512};
    };

    RTini() = default;
    // Writes the file back when it has changed.
    ~RTini();
    RTini(const RTini&) = delete;
    RTini& operator=(const RTini&) = delete;

    // Replaces the contents with the parsed file. Changes are later written
    // to name as given, also when the file was read from a packed member.
    void Read(DGStr name);
    // Writes the object to its file when it has changed and has a file name.
    void Write();
    // Adds the sections parsed from the lines of an open record.
    void ReadFrom(RTFileSystem& rec);
    // The written form of every section; false when a write fails.
    bool WriteTo(std::FILE* f) const;

    // The value of key in the first section of that name, or null.
    DGStr const* Get(char const* section, char const* key) const;
    // Sets, adds or (with an empty value) removes a key; an empty key
    // removes the section.
    void Put(char const* section, char const* key, char const* value);
    Section* FindSection(char const* name) const;
    void Clear();

    Queue<Section*> sections{16, 8};
    DGStr filename;
    unsigned char changed = 0;
};

extern RTini __g_Ini;

// Writes the open INI back when it has changed, then reads the named file.
double INIOPEN(DGStr const& name);
// The value, or "NO_DATA" when the section or the key is missing.
DGStr INIGET_Str(DGStr const& section, DGStr const& key);
double INIPUT(DGStr const& section, DGStr const& key, DGStr const& value);

} // namespace __VELTRIC__
