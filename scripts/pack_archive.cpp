// pack_archive <program> <output> <file>...: writes a copy of the program
// with the files packed into an archive appended to it (each under its base
// name), the form in which a program finds its media inside its own file.
// The archive is the same whatever program it is appended to.
#include <cstdio>
#include <string>

#include <sys/stat.h>

#include "tests/runtime/archive_packer.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <program> <output> <file>...\n", argv[0]);
        return 2;
    }
    veltric_test::ArchivePacker packer(veltric_test::ReadFileBytes(argv[1]));
    for (int i = 3; i < argc; ++i) {
        std::string path = argv[i];
        std::string base = path.substr(path.find_last_of('/') + 1);
        packer.Add(base, veltric_test::ReadFileBytes(path));
    }
    // Offsets counted from the end of the file: the archive's bytes then do
    // not depend on the program they are appended to, so every build (the
    // native and the 32-bit one, whose programs differ in size) appends the
    // same archive.
    packer.Layout(true);
    if (!veltric_test::WriteFileBytes(argv[2], packer.Bytes())) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    chmod(argv[2], 0755);
    return 0;
}
