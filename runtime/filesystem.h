#pragma once
// Opening files by names whose letter case may differ from the directory's,
// and RTFileSystem, the small open-file record the loaders and the file
// channels read through.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace __VELTRIC__ {

// The most a line or INI reader takes from one file. Such files hold a few
// hundred lines; a larger one is refused by its size before it is read, so
// that a disc image or an endless file never keeps a loader busy.
constexpr std::int64_t kMaxTextFileBytes = std::int64_t(64) << 20;

class RTFileSystem {
public:
    // Resolves a name case-insensitively in its last component: true with the
    // name to use in out (never longer than name), false when no entry fits.
    // Prints its request lines on standard output when name does not open as
    // given.
    static bool GetNoCaseName4Input(char const* name, char* out);
    // The same resolution without any printed line (for checks that must not
    // add to the request log, such as whether two names are one file).
    static bool ResolveQuiet(char const* name, char* out);

    // Closes what the record holds and opens name for binary reading through
    // the resolution; records the size and position 0. True when open.
    bool OpenIn(char const* name);

    // Reads the next text line from the record's position into buffer (at
    // most max - 1 bytes, always terminated; a longer line is delivered in
    // pieces by the following calls). The line end (LF or CR LF) is removed.
    // 1 when a line was delivered, 0 at the end of the file or with no file.
    // cut, when given, tells whether the line went on beyond the buffer.
    int ReadLine(char* buffer, int max, bool* cut = nullptr);

    // After a cut line: skips what is left of it, so that the next ReadLine
    // starts on the following line. Reads in blocks and stops at the end of
    // the file or once the position reaches limit.
    void SkipRestOfLine(std::int64_t limit = INT64_MAX);

    // For the readers of whole text files (line files, INI files): true when
    // the open file is no larger than kMaxTextFileBytes; otherwise prints
    // "file too large: NAME" with the name given, closes the file and gives
    // false, so that it is refused unread.
    bool FitsAsText(char const* name);

    // The next line of a text file as ReadLine delivers it, with the rest of
    // a line too long for the buffer skipped (a line is never split over two)
    // and nothing read past kMaxTextFileBytes, also when the file grows while
    // it is read. 1 when a line was delivered, 0 at the end.
    int ReadTextLine(char* buffer, int max);

    // Closes the stream when one is open and clears all three fields.
    int Close();

    std::FILE* file = nullptr;
    std::int64_t size = 0;
    std::int64_t position = 0;
};

// Opens path (no name resolution) for binary reading when it is a regular
// file; null for anything else. A directory, FIFO, socket or device counts as
// not found: the open never waits (a FIFO without a writer would block for
// ever) and the kind is taken from the open descriptor, so what is checked
// is what is read.
std::FILE* OpenRegularFile(char const* path);

// Opens name with mode through the case-insensitive resolution; a name that
// does not resolve is created when the mode writes or appends. A mode that
// only reads opens regular files alone (see OpenRegularFile). The stream or
// null; the request lines go to standard output.
std::FILE* fopen_case(char const* name, char const* mode);

// Replaces a whole file so that a failed write never costs the old one. The
// new content goes to a temporary file in the same folder; only when every
// write, the flush, the sync and the close succeeded is it renamed over the
// name. On any failure the temporary file is removed, the old file stays as
// it was and "can't write to file: NAME" is printed with the name given.
// The name resolves as fopen_case does: a file whose name differs only in
// case is replaced under its own letter case. A name that is a directory,
// FIFO, socket or device is never replaced (the write fails). In a folder
// where no temporary file can be made but the old file is writable, the file
// is rewritten in place, as it always could be there.
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement(); // an unfinished replacement is discarded
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Opens the stream the new content is written to; false (with the
    // message) when there is none.
    bool Begin(char const* name);
    std::FILE* File() const { return m_file; }
    // Puts the new content in place. ok false (a failure the writer saw)
    // discards it. True when the file now holds the new content.
    bool Commit(bool ok);

private:
    void Discard();

    std::string m_given;
    std::string m_target;
    std::string m_temp; // empty when writing in place
    std::FILE* m_file = nullptr;
};

// One whole-file write through FileReplacement: write gets the stream and
// reports whether it wrote everything. True when the new file is in place.
bool ReplaceFile(char const* name, const std::function<bool(std::FILE*)>& write);

// True when path names something other than a regular file (a directory,
// FIFO, socket or device; a link counts as what it points at). Nothing there,
// or a regular file: false.
bool IsSpecialFile(char const* path);

} // namespace __VELTRIC__
