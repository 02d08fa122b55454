// The numbered file channels. Every fixed-width READ and WRITE command is one
// instance of a single rule (Wire): width, signedness and conversion.
#include "runtime/file_channels.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "runtime/core.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

RTFileSystem __g_Files[8];

namespace {

[[noreturn]] void Fatal(int n)
{
    __Error(n);
    __EndProgram();
}

// The channel's record; a channel outside 0 to 7 ends the program.
RTFileSystem& Channel(int channel)
{
    if (static_cast<unsigned>(channel) > 7u) Fatal(7);
    return __g_Files[channel];
}

// The stream of an open channel; a closed one ends the program.
RTFileSystem& OpenChannel(int channel)
{
    RTFileSystem& ch = Channel(channel);
    if (!ch.file) Fatal(3);
    return ch;
}

template <int N> struct Bits;
template <> struct Bits<1> { using type = std::uint8_t; };
template <> struct Bits<2> { using type = std::uint16_t; };
template <> struct Bits<4> { using type = std::uint32_t; };
template <> struct Bits<8> { using type = std::uint64_t; };

// How a value of the program travels as the file type T.
template <class T> struct Wire {
    static constexpr int width = sizeof(T);
    using U = typename Bits<width>::type;

    template <class V> static void Encode(V value, unsigned char* b)
    {
        T t = static_cast<T>(value);
        U u;
        std::memcpy(&u, &t, width);
        for (int i = 0; i < width; ++i) b[i] = static_cast<unsigned char>(u >> (8 * i));
    }
    static T Decode(unsigned char const* b)
    {
        U u = 0;
        for (int i = 0; i < width; ++i) u |= static_cast<U>(static_cast<U>(b[i]) << (8 * i));
        T t;
        std::memcpy(&t, &u, width);
        return t;
    }
};

// Integers keep their low bits: the conversion to the unsigned file type is
// the modulo one for any int.
template <class T, class V> double Write(int channel, V value)
{
    RTFileSystem& ch = OpenChannel(channel);
    unsigned char b[sizeof(T)];
    if constexpr (std::is_integral_v<T>)
        Wire<T>::Encode(static_cast<typename Bits<sizeof(T)>::type>(value), b);
    else
        Wire<T>::Encode(value, b);
    if (std::fwrite(b, 1, sizeof b, ch.file) != sizeof b) Fatal(3);
    return 0.0;
}

template <class T, class V> double Read(int channel, V& value)
{
    RTFileSystem& ch = OpenChannel(channel);
    ch.position += static_cast<std::int64_t>(sizeof(T));
    unsigned char b[sizeof(T)];
    if (std::fread(b, 1, sizeof b, ch.file) != sizeof b) Fatal(3);
    value = static_cast<V>(Wire<T>::Decode(b));
    return 0.0;
}

double WriteBytes(int channel, char const* p, std::size_t n)
{
    RTFileSystem& ch = OpenChannel(channel);
    if (n > 0 && std::fwrite(p, 1, n, ch.file) != n) Fatal(3);
    return 0.0;
}

double WriteTextLine(int channel, DGStr const& text)
{
    RTFileSystem& ch = OpenChannel(channel);
    std::size_t n = text.Len();
    if ((n > 0 && std::fwrite(text.c_str(), 1, n, ch.file) != n) || std::fwrite("\r\n", 1, 2, ch.file) != 2)
        Fatal(3);
    return 0.0;
}

// Reads one line of at most 1,023 bytes; the end of the file before any
// byte of a line ends the program.
void ReadTextLine(int channel, char (&buffer)[1024])
{
    RTFileSystem& ch = OpenChannel(channel);
    std::memset(buffer, 0, sizeof buffer);
    if (!ch.ReadLine(buffer, sizeof buffer)) Fatal(3);
}

// Open streams are closed when the process ends, after the exit handlers.
struct CloseAtExit {
    ~CloseAtExit() { __VLT_close_all_filehandles(); }
} s_closeAtExit;

} // namespace

double OPENFILE(int channel, DGStr const& name, int mode)
{
    RTFileSystem& ch = Channel(channel);
    ch.Close();
    if (mode == 0) {
        // A file whose name differs only in case is written over under its
        // own letter case. A directory, FIFO, socket or device of that name
        // is neither deleted nor opened (a FIFO without a reader would block).
        std::string resolved(name.Len(), '\0');
        if (RTFileSystem::ResolveQuiet(name.c_str(), &resolved[0])) resolved.resize(std::strlen(resolved.c_str()));
        else resolved = name.c_str();
        if (IsSpecialFile(name.c_str()) || IsSpecialFile(resolved.c_str())) {
            std::printf("can't write to file: %s\n", name.c_str());
            return 0.0;
        }
        ::unlink(name.c_str());
        ch.file = fopen_case(name.c_str(), "wb");
        if (!ch.file) ch.file = std::fopen(name.c_str(), "wb");
        if (!ch.file) std::printf("can't write to file: %s\n", name.c_str());
        return ch.file ? 1.0 : 0.0;
    }
    // The plain file or the packed member's temporary copy; a lookup that
    // fails either empties the path or leaves the name as given.
    std::string path = name.c_str();
    FindDataFile(name.c_str(), path);
    ch.OpenIn(path.c_str());
    return ch.file ? 1.0 : 0.0;
}

double CLOSEFILE(int channel) { return Channel(channel).Close(); }

double FILESEEK(int channel, double offset, int whence)
{
    RTFileSystem& ch = Channel(channel);
    // Positions are 64-bit; the program's numbers are doubles, exact to
    // 2^53. Far beyond any file, positions and offsets are held at +-2^62,
    // so that their sum cannot overflow.
    constexpr double kFar = 4611686018427387904.0; // 2^62
    const std::int64_t far = static_cast<std::int64_t>(kFar);
    if (!(offset == offset)) offset = 0.0;
    if (offset > kFar) offset = kFar;
    if (offset < -kFar) offset = -kFar;
    const std::int64_t base = whence == 0 ? 0 : (whence > 0 ? ch.position : ch.size);
    std::int64_t pos = (base > far ? far : base < -far ? -far : base) + static_cast<std::int64_t>(offset);
    if (pos > far) pos = far;
    if (pos < -far) pos = -far;
    ch.position = pos;
    if (ch.file) fseeko(ch.file, static_cast<off_t>(ch.position), SEEK_SET);
    return 0.0;
}

double FILEPOSITION(int channel) { return Channel(channel).position; }

double ENDOFFILE(int channel)
{
    RTFileSystem& ch = Channel(channel);
    return ch.position >= ch.size ? 1.0 : 0.0;
}

void __VLT_close_all_filehandles()
{
    for (RTFileSystem& ch : __g_Files) ch.Close();
}

double WRITEBYTE(int channel, int value) { return Write<std::uint8_t>(channel, value); }
double WRITEUBYTE(int channel, int value) { return Write<std::uint8_t>(channel, value); }
double WRITEWORD(int channel, int value) { return Write<std::uint16_t>(channel, value); }
double WRITEUWORD(int channel, int value) { return Write<std::uint16_t>(channel, value); }
double WRITELONG(int channel, int value) { return Write<std::uint32_t>(channel, value); }
double WRITEULONG(int channel, int value) { return Write<std::uint32_t>(channel, value); }
double WRITEIEEE(int channel, double value) { return Write<double>(channel, value); }
double WRITESHORTIEEE(int channel, double value) { return Write<float>(channel, value); }
double WRITESTR(int channel, DGStr const& text) { return WriteBytes(channel, text.c_str(), text.Len()); }
double WRITELINE(int channel, DGStr const& text) { return WriteTextLine(channel, text); }
double WRITELINE(int channel, int const& value) { return WriteTextLine(channel, DGStr(value)); }
double WRITELINE(int channel, double const& value) { return WriteTextLine(channel, DGStr(value)); }

double READBYTE(int channel, int& value) { return Read<std::int8_t>(channel, value); }
double READUBYTE(int channel, int& value) { return Read<std::uint8_t>(channel, value); }
double READWORD(int channel, int& value) { return Read<std::int16_t>(channel, value); }
double READUWORD(int channel, int& value) { return Read<std::uint16_t>(channel, value); }
double READLONG(int channel, int& value) { return Read<std::int32_t>(channel, value); }
double READULONG(int channel, int& value) { return Read<std::int32_t>(channel, value); }
double READIEEE(int channel, double& value) { return Read<double>(channel, value); }
double READSHORTIEEE(int channel, double& value) { return Read<float>(channel, value); }

double READSTR(int channel, DGStr& text, int count)
{
    if (count < 1) {
        text = "";
        return 0.0;
    }
    RTFileSystem& ch = OpenChannel(channel);
    // A count beyond the rest of the file can only fail: refuse it before
    // the text is sized for it.
    if (static_cast<long long>(count) > static_cast<long long>(ch.size) - ch.position) Fatal(3);
    ch.position += count;
    char* p = text.GetStrData(static_cast<std::uint32_t>(count) + 32u);
    std::memset(p, 0, static_cast<std::size_t>(count) + 32u);
    if (std::fread(p, 1, static_cast<std::size_t>(count), ch.file) != static_cast<std::size_t>(count)) Fatal(3);
    text.CalcLen();
    return text.Len();
}

double READLINE(int channel, DGStr& text)
{
    char buffer[1024];
    ReadTextLine(channel, buffer);
    text = buffer;
    return 0.0;
}

double READLINE(int channel, int& value)
{
    char buffer[1024];
    ReadTextLine(channel, buffer);
    // As DGStr::Natural: atoi of text beyond the int range differs between
    // the 32- and 64-bit builds.
    value = CGStr(buffer).Natural();
    return 0.0;
}

double READLINE(int channel, double& value)
{
    char buffer[1024];
    ReadTextLine(channel, buffer);
    value = std::atof(buffer);
    return 0.0;
}

} // namespace __VELTRIC__
