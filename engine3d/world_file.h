#pragma once
// The description read from a world file: which picture files become the
// slot's textures and which object files its objects, with the two texture
// numbers of each object. Reading it touches no file and no GL state, so the
// untrusted INI contents are checked in one place before anything is loaded.
#include <string>
#include <vector>

#include "runtime/ini.h"

namespace __VELTRIC__ {

// A "count" above this is taken as this many: every entry costs a file
// lookup and an object record, and no sane world comes near it.
constexpr int kMaxWorldEntries = 65536;

struct WorldPlan {
    struct Object {
        std::string path;
        int ta = 0; // index into the slot's textures (unit 0)
        int tb = 0; // second texture (unit 1)
    };
    std::string folder;                // the world file's folder, separator kept
    std::vector<std::string> textures; // folder + picture file name, in key order
    std::vector<Object> objects;       // folder + object file name, in key order
};

// The folder part of a file name: everything up to and including its last
// "/" or "\"; empty without either.
std::string WorldFolder(char const* file);

// Reads the "textures" and "objects" sections of ini; a missing name reads
// as "NO_DATA", a missing or negative count as 0, and a count above the
// number of keys its section holds as that number.
void ReadWorldPlan(const RTini& ini, char const* file, WorldPlan& plan);

} // namespace __VELTRIC__
