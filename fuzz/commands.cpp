// Plays each input as a short program over the whole command set: every step
// picks a command of runtime/veltric.h and its arguments from a palette of
// the values programs pass and get wrong (zeros, signs, halves, the edges of
// bytes, words and ints, huge numbers, NaN and the infinities; empty, long
// and NUL-holding texts; file names of the scratch folder in another letter
// case; slot numbers in and past their tables; arrays of 0, 1 and millions of
// elements; one variable passed as two arguments).
//
// The program runs in a scratch folder under a real window, with the disk
// audio driver. The fatal errors of the runtime end the program through
// __EndProgram; the target links with --wrap for that symbol (see
// commands.cmake), so such an end unwinds to the step loop and the next
// input starts from a reset state instead of ending the process.
//
// A step that loops or waits without end is reported with the command's
// name by a watchdog thread (see StepWatch); being slow on a busy machine is
// not a hang.
//
// Left out: SHELLCMD, SHELLEND and DLLCALL (they start programs or load
// libraries); KEYWAIT, MOUSEWAIT, INPUT and FILEREQUEST$ (they wait for a
// user); END (it ends the process the way the fatal errors do, through the
// one path the harness intercepts for them).
#include <SDL.h>
#include <dirent.h>
#include <ftw.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string>
#include <vector>

#include "runtime/veltric.h"
#include "fuzz/read_whole.h"

using namespace __VELTRIC__;

namespace {

struct ProgramEnd {};

} // namespace

// Every fatal error of the runtime ends here instead of in exit().
extern "C" [[noreturn]] void __wrap__ZN11__VELTRIC__12__EndProgramEv() { throw ProgramEnd{}; }

// The translated program's tables that the command set reads.
namespace {
int g_subRuns = 0;
void SubCounted() { ++g_subRuns; }
} // namespace

namespace __VELTRIC__ {
const __SubCall __g_pSubCalls[] = {{SubCounted, "SubCounted"}, {SubCounted, "SUBOTHER"}, {nullptr, nullptr}};
double __MainGameSub_() { return 0.0; }
} // namespace __VELTRIC__

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

const double kNumbers[] = {
    0.0, 1.0, -1.0, 0.5, -0.5, 2.0, 3.0, 7.0, 8.0, 9.0, 15.0, 16.0, 31.0, 32.0, 100.0, 127.0, 128.0,
    254.0, 255.0, 256.0, 640.0, 480.0, 1000.0, 4095.0, 4096.0, 65503.0, 65504.0, 65535.0, 65536.0,
    2000000.0, 2147483647.0, -2147483648.0, 1e9, 1e12, 1e300, -1e300, 1e-300, -0.0, kNaN, kInf,
    -kInf, 90.0, 180.0, 360.0, 0x8000FF, 0xFFFFFF, 26000.0,
};
constexpr int kNumberCount = sizeof kNumbers / sizeof kNumbers[0];

// Where the program runs: the scratch folder, made anew for every input.
std::string g_root;
std::string g_work;

// Files every input finds in its folder, with names in mixed case; the
// palette names them in other cases.
struct Fixture {
    std::string name;
    std::string bytes;
};
std::vector<Fixture> g_fixtures;

std::vector<DGStr> g_texts;  // texts of any kind
std::vector<DGStr> g_names;  // file and directory names, all inside the folder
std::vector<DGStr> g_hosts;  // loopback addresses only

RTDataItem g_dataA[] = {{1.5, nullptr}, {0.0, "text"}, {kNaN, nullptr}, {1e300, nullptr},
                        {0.0, ""},      {0.0, "12abc"}, {-2147483649.0, nullptr}};
RTDataItem g_dataB[] = {{0.0, "only"}};
RTDataStoreageContainer g_lists[] = {{g_dataA, 7, 0}, {g_dataB, 1, 0}, {nullptr, 0, 0}};

DGStr WithNul(const char* a, const char* b)
{
    DGStr s(a);
    s.Append("\0", 1);
    s += b;
    return s;
}

std::string Le16(unsigned v) { return std::string{char(v & 255), char(v >> 8 & 255)}; }
std::string Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A 4 x 4 24-bit BMP with a magenta (colour key) corner.
std::string SmallBmp()
{
    std::string px;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            if (x == 0 && y == 0)
                px += std::string{char(0xFF), 0, char(0x80)};
            else
                px += std::string{char(x * 60), char(y * 60), char(200)};
        }
    std::string h = "BM" + Le32(54 + px.size()) + Le32(0) + Le32(54) + Le32(40) + Le32(4) + Le32(4) +
                    Le16(1) + Le16(24) + Le32(0) + Le32(px.size()) + Le32(2835) + Le32(2835) +
                    Le32(0) + Le32(0);
    return h + px;
}

// A tenth of a second of a 16-bit stereo tone.
std::string SmallWav()
{
    std::string pcm;
    for (int i = 0; i < 4410; ++i) {
        int v = static_cast<int>(8000 * std::sin(i * 0.06));
        pcm += Le16(static_cast<unsigned>(v) & 0xFFFF) + Le16(static_cast<unsigned>(v) & 0xFFFF);
    }
    return "RIFF" + Le32(36 + pcm.size()) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(2) + Le32(44100) +
           Le32(44100 * 4) + Le16(4) + Le16(16) + "data" + Le32(pcm.size()) + pcm;
}

void WriteWhole(const std::string& path, const std::string& bytes)
{
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW* ftw)
{
    if (ftw->level > 0)
        std::remove(path);
    return 0;
}

int RemoveAny(const char* path, const struct stat*, int, struct FTW*)
{
    std::remove(path);
    return 0;
}

// The scratch folder goes with the process.
void RemoveScratch() { nftw(g_root.c_str(), RemoveAny, 16, FTW_DEPTH | FTW_PHYS); }

void LayOutFolder()
{
    nftw(g_work.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    mkdir((g_work + "/Sub").c_str(), 0755);
    for (const Fixture& f : g_fixtures)
        WriteWhole(g_work + "/" + f.name, f.bytes);
}

int Whole(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

// ---- the program's variables and the argument reader ----------------------

// Reads the input front to back, one byte per choice (zeros once it runs
// out), so that a hand-written sequence reads as command, argument, ...
struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;

    std::size_t remaining_bytes() const { return size - pos; }
    std::uint8_t Byte() { return pos < size ? data[pos++] : 0; }
    std::uint64_t U64()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = v << 8 | Byte();
        return v;
    }
    // 0 .. n - 1 for n up to 65536.
    int Below(int n)
    {
        int v = Byte();
        if (n > 256) v = v << 8 | Byte();
        return v % n;
    }
};

// CMDFUZZ_TRACE=1 in the environment lists every step with its numbers,
// its time and the processor time it took on standard error: the way to
// read a reproducer.
bool g_trace = false;

struct Program {
    explicit Program(const std::uint8_t* data, std::size_t size) : in{data, size} {}

    Reader in;
    double dv[4] = {0, 0, 0, 0};
    int iv[4] = {0, 0, 0, 0};
    DGStr sv[4];
    DGIntArray ia[3];
    DGNatArray na[2];
    DGArray<DGStr> sa[2];
    bool blended = false;

    double Number()
    {
        const std::uint8_t b = in.Byte();
        if (b == 255) {
            double d;
            std::uint64_t bits = in.U64();
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        if (b >= 248)
            return dv[b & 3];
        return kNumbers[b % kNumberCount];
    }
    double N()
    {
        const double v = Number();
        if (g_trace) std::fprintf(stderr, "  %.17g\n", v);
        return v;
    }
    int I() { return Whole(N()); }
    int Small(int n) { return in.Below(n); }

    // A text: from the palette, a file name, a variable or the first element
    // of a string array.
    const DGStr& T()
    {
        const int b = in.Byte();
        const int kinds = static_cast<int>(g_texts.size());
        if (b < kinds) return g_texts[b];
        if (b < kinds + 8) return g_names[(b - kinds) % g_names.size()];
        if (b < kinds + 16) return sv[b & 3];
        DGArray<DGStr>& a = sa[b & 1];
        if (a.Count() > 0 && a.Bounds(0) > 0) return a(0);
        return sv[b & 3];
    }
    const DGStr& Name() { return g_names[Small(static_cast<int>(g_names.size()))]; }
    const DGStr& Host() { return g_hosts[Small(static_cast<int>(g_hosts.size()))]; }
    double& DV() { return dv[Small(4)]; }
    int& IV() { return iv[Small(4)]; }
    DGStr& SV() { return sv[Small(4)]; }
    DGIntArray& IA() { return ia[Small(3)]; }
    DGNatArray& NA() { return na[Small(2)]; }
    DGArray<DGStr>& SA() { return sa[Small(2)]; }
};

// ---- arguments the harness holds back -------------------------------------

// The software GL driver reads freed memory while linking a program whose
// vertex shader is written for the fragment stage or the other way round
// (both compile there); a plain program of GL calls alone shows it. Such a
// pair is not played: the fault is the driver's, not ours.
bool DriverFaultShaderStages(const DGStr& vertexFile, const DGStr& fragmentFile)
{
    return strcasecmp(vertexFile.c_str(), "shader.frag") == 0 ||
           strcasecmp(fragmentFile.c_str(), "shader.vert") == 0;
}

// Requests the machine could grant but a step cannot fill within its time
// and the run's 2 GiB: more than 64 MiB and no more than 64 GiB (above that
// the runtime must refuse them, which is tried).
bool TooLargeToTry(int s1, int s2, int s3, int s4, double elementSize)
{
    double n = 1;
    for (int s : {s1, s2, s3, s4})
        n *= s > 1 ? s : 1;
    const double bytes = n * elementSize;
    return bytes > double(64u << 20) && bytes <= 64.0 * double(1u << 30);
}

template <class A> void Dim(Program& p, A& a, bool redim, double elementSize)
{
    const int s1 = p.I(), s2 = p.Small(3) ? 0 : p.I(), s3 = p.Small(4) ? 0 : p.I(),
              s4 = p.Small(5) ? 0 : p.I();
    if (TooLargeToTry(s1, s2, s3, s4, elementSize))
        return;
    if (redim)
        REDIM(a, s1, s2, s3, s4);
    else
        DIM(a, s1, s2, s3, s4);
}

void SetElement(Program& p, DGIntArray& a)
{
    const int i = p.I(), j = p.Small(2) ? 0 : p.I();
    const double v = p.N();
    if (a.Dims() <= 1)
        a(i) = v;
    else
        a(i, j) = v;
}

// Fills every element (bounded by the array's count) with v, or with a
// pattern of open cells and walls.
void FillArray(Program& p, DGIntArray& a)
{
    const double v = p.N();
    const bool walls = p.Small(2);
    double* d = a.Data();
    if (!d) return;
    const std::int64_t n = a.Count() < a.Capacity() ? a.Count() : a.Capacity();
    for (std::int64_t i = 0; i < n; ++i)
        d[i] = walls && i % 7 == 3 ? 0.0 : v;
}

void TextOps(Program& p)
{
    DGStr& out = p.SV();
    const DGStr& a = p.T();
    switch (p.Small(8)) {
    case 0: {
        const DGStr& b = p.T();
        if (std::uint64_t(a.Len()) + b.Len() < (1u << 22)) out = a + b;
        break;
    }
    case 1: out = a - p.N(); break;
    case 2: out = p.N() * a; break;
    case 3: p.DV() = (a == p.T()) + (a < p.N()) + (p.N() >= a) + (a != p.T()); break;
    case 4: p.DV() = a.Number() + a.Natural(); break;
    case 5: out = DGStr(p.N()); break;
    case 6: if (out.Len() + a.Len() < (1u << 22)) out += a; break;
    case 7: out = a; out.TrimRight(); out.Left(p.I()); out.SetAt(p.I(), static_cast<char>(p.I())); p.DV() = out.GetAt(p.I()); break;
    }
}

using Step = void (*)(Program&);

struct Command {
    const char* name;
    Step run;
};

#define CMD(name, ...) {name, [](Program & p) { (void)p; __VA_ARGS__; }}

const Command kCommands[] = {
    // ---- strings ----
    CMD("LEN", p.DV() = LEN(p.T()) + LEN(p.I()) + LEN(p.N())),
    CMD("MID$", p.SV() = MID_Str(p.T(), p.I(), p.I())),
    CMD("LCASE$", p.SV() = LCASE_Str(p.T())),
    CMD("UCASE$", p.SV() = UCASE_Str(p.T())),
    CMD("ASC", p.DV() = ASC(p.T())),
    CMD("CHR$", p.SV() = CHR_Str(p.I())),
    CMD("INSTR", p.DV() = INSTR(p.T(), p.T(), p.I())),
    CMD("INSTR(char*)", p.DV() = INSTR(p.T().c_str(), p.T().c_str(), p.I())),
    CMD("REPLACE$", {
        const DGStr& t = p.T(); const DGStr& f = p.T(); const DGStr& r = p.T();
        // The result may grow by the replacement at every byte of the text.
        if (double(t.Len()) * (r.Len() + 1.0) < double(1u << 26)) p.SV() = REPLACE_Str(t, f, r);
    }),
    CMD("SPLITSTR", {
        const DGStr& t = p.T(); DGArray<DGStr>& a = p.SA(); const DGStr& s = p.T();
        p.DV() = SPLITSTR(t, a, s);
    }),
    CMD("FORMAT$", {
        const double w = p.N(), d = p.N(), v = p.N();
        p.SV() = FORMAT_Str(w, d, v);
    }),
    CMD("findOneOf", {
        DGStr t = p.T(); const DGStr& set = p.T();
        char* b = t.GetStrData(t.Len());
        p.DV() = (__findOneOf(b, set.c_str()) != nullptr) + (__findOneNotOf(b, set.c_str()) != nullptr);
    }),
    CMD("Bytes2Hex", {
        const DGStr& t = p.T();
        const int n = p.I();
        p.SV() = __Bytes2Hex(reinterpret_cast<const unsigned char*>(t.c_str()), n < 0 ? n : n % (int(t.Len()) + 1));
    }),
    CMD("ReverseSlashes", ReverseSlashes(p.SV())),
    CMD("string operators", TextOps(p)),
    // ---- math and random numbers ----
    CMD("SIN/COS/TAN", p.DV() = SIN(p.N()) + COS(p.N()) + TAN(p.N())),
    CMD("ASIN/ACOS/ATAN", p.DV() = ASIN(p.N()) + ACOS(p.N()) + ATAN(p.N(), p.N())),
    CMD("POW/SQR/ABS", p.DV() = POW(p.N(), p.N()) + SQR(p.N()) + ABS(p.N()) + ABS(p.I())),
    CMD("MOD/FMOD", p.DV() = MOD(p.I(), p.I()) + FMOD(p.N(), p.N())),
    CMD("RND", p.DV() = RND(p.I())),
    CMD("RTsrand/RTrand", { RTsrand(static_cast<unsigned long>(p.I())); p.DV() = RTrand(); }),
    // ---- DATA ----
    CMD("RESTORE", RESTORE(g_lists[p.Small(3)])),
    CMD("READ number", READ(p.DV())),
    CMD("READ int", READ(p.IV())),
    CMD("READ text", READ(p.SV())),
    // ---- arrays ----
    CMD("DIM numbers", Dim(p, p.IA(), false, 8)),
    CMD("REDIM numbers", Dim(p, p.IA(), true, 8)),
    CMD("DIM naturals", Dim(p, p.NA(), false, 4)),
    CMD("REDIM naturals", Dim(p, p.NA(), true, 4)),
    CMD("DIM texts", Dim(p, p.SA(), false, sizeof(DGStr))),
    CMD("REDIM texts", Dim(p, p.SA(), true, sizeof(DGStr))),
    CMD("DIMPUSH", { DGArray<DGStr>& a = p.SA(); DIMPUSH(a, DGStr(p.T())); }),
    CMD("DIMDATA", {
        const int n = p.Small(5);
        double v[4]; int w[4];
        for (int i = 0; i < n && i < 4; ++i) { v[i] = p.N(); w[i] = Whole(v[i]); }
        if (p.Small(2)) DIMDATA(p.IA(), n < 4 ? n : 4, v); else DIMDATA(p.NA(), n < 4 ? n : 4, w);
    }),
    CMD("BOUNDS", p.DV() = BOUNDS(p.IA(), p.I()) + BOUNDS(p.NA(), p.I())),
    CMD("element =", SetElement(p, p.IA())),
    CMD("element read", { DGIntArray& a = p.IA(); p.DV() = a(p.I()); }),
    CMD("text element", { DGArray<DGStr>& a = p.SA(); p.SV() = a(p.I()); }),
    CMD("fill", FillArray(p, p.IA())),
    // ---- error record, system commands ----
    CMD("__Error/__dLn", { __Error(p.N()); __dLn(p.N(), p.N()); }),
    CMD("ProgramDirectory", p.SV() = ProgramDirectory(p.T())),
    CMD("CALLBYNAME", p.DV() = CALLBYNAME(p.T())),
    CMD("GETSUBADDRESS", p.DV() = static_cast<double>(GETSUBADDRESS(p.T()))),
    CMD("PLATFORMINFO$", {
        static const char* const keys[] = {"", "device", "TIME", "Battery", "ID", "GLEXT:glBegin",
                                           "GLEXT:", "GLEXT:glNothing", "other"};
        const int k = p.Small(10);
        p.SV() = PLATFORMINFO_Str(k < 9 ? DGStr(keys[k]) : p.T());
    }),
    CMD("DEBUG", DEBUG(p.T())),
    CMD("GETCOMMANDLINE$", p.SV() = GETCOMMANDLINE_Str()),
    CMD("HWND", p.DV() = VELTRIC_HWND()),
    CMD("PLAYMOVIE", { PLAYMOVIE(p.Name()); LOOPMOVIE(p.Name()); p.DV() = PlayVideo(p.Name(), p.I()); }),
    CMD("console hooks", { __AllocConsole(); __PauseAndDebug(nullptr); }),
    // ---- files and directories ----
    CMD("KILLFILE", p.DV() = KILLFILE(p.Name())),
    CMD("COPYFILE", p.DV() = COPYFILE(p.Name(), p.Name())),
    CMD("DOESFILEEXIST", p.DV() = DOESFILEEXIST(p.Name())),
    CMD("GETFILESIZE", p.DV() = GETFILESIZE(p.Name())),
    CMD("GETFILELIST", p.DV() = GETFILELIST(p.Name(), p.SA())),
    CMD("GETCURRENTDIR$", p.SV() = GETCURRENTDIR_Str()),
    CMD("SETCURRENTDIR", p.DV() = SETCURRENTDIR(p.Name())),
    CMD("szWildMatch", p.DV() = szWildMatch(p.T().c_str(), p.T().c_str()) + IsDirectory(p.Name().c_str())),
    CMD("SETSHOEBOX", p.DV() = SETSHOEBOX(p.Name(), p.Name())),
    // ---- file channels ----
    CMD("OPENFILE", p.DV() = OPENFILE(p.I(), p.Name(), p.I())),
    CMD("CLOSEFILE", p.DV() = CLOSEFILE(p.I())),
    CMD("FILESEEK", p.DV() = FILESEEK(p.I(), p.I(), p.I())),
    CMD("FILEPOSITION", p.DV() = FILEPOSITION(p.I()) + ENDOFFILE(p.I())),
    CMD("WRITE integer", {
        const int c = p.I(), v = p.I();
        switch (p.Small(6)) {
        case 0: WRITEBYTE(c, v); break; case 1: WRITEUBYTE(c, v); break;
        case 2: WRITEWORD(c, v); break; case 3: WRITEUWORD(c, v); break;
        case 4: WRITELONG(c, v); break; default: WRITEULONG(c, v); break;
        }
    }),
    CMD("WRITE number", { const int c = p.I(); const double v = p.N(); if (p.Small(2)) WRITEIEEE(c, v); else WRITESHORTIEEE(c, v); }),
    CMD("WRITESTR", WRITESTR(p.I(), p.T())),
    CMD("WRITELINE", {
        const int c = p.I();
        switch (p.Small(3)) {
        case 0: WRITELINE(c, p.T()); break;
        case 1: { const int v = p.I(); WRITELINE(c, v); break; }
        default: { const double v = p.N(); WRITELINE(c, v); break; }
        }
    }),
    CMD("READ integer", {
        const int c = p.I(); int& v = p.IV();
        switch (p.Small(6)) {
        case 0: READBYTE(c, v); break; case 1: READUBYTE(c, v); break;
        case 2: READWORD(c, v); break; case 3: READUWORD(c, v); break;
        case 4: READLONG(c, v); break; default: READULONG(c, v); break;
        }
    }),
    CMD("READ number", { const int c = p.I(); double& v = p.DV(); if (p.Small(2)) READIEEE(c, v); else READSHORTIEEE(c, v); }),
    CMD("READSTR", { const int c = p.I(); DGStr& s = p.SV(); READSTR(c, s, p.I()); }),
    CMD("READLINE", {
        const int c = p.I();
        switch (p.Small(3)) {
        case 0: READLINE(c, p.SV()); break;
        case 1: READLINE(c, p.IV()); break;
        default: READLINE(c, p.DV()); break;
        }
    }),
    // ---- INI and line files ----
    CMD("INIOPEN", p.DV() = INIOPEN(p.Name())),
    CMD("INIGET$", p.SV() = INIGET_Str(p.T(), p.T())),
    CMD("INIPUT", p.DV() = INIPUT(p.T(), p.T(), p.T())),
    CMD("GETFILE", {
        const DGStr& name = p.Small(4) ? p.Name() : p.sv[0];
        const double line = p.N();
        switch (p.Small(3)) {
        case 0: GETFILE(name, line, p.sv[p.Small(4)]); break;
        case 1: GETFILE(name, line, p.IV()); break;
        default: GETFILE(name, line, p.DV()); break;
        }
    }),
    CMD("PUTFILE", {
        const DGStr& name = p.Name();
        const double line = p.N();
        if (p.Small(2)) PUTFILE(name, line, p.T()); else PUTFILE(name, line, p.N());
    }),
    // ---- frame, timers, pauses ----
    CMD("SHOWSCREEN", SHOWSCREEN()),
    CMD("GETTIMER", p.DV() = GETTIMER() + GETTIMERALL()),
    CMD("SLEEP", {
        // Long pauses are what the program asked for: only short ones are played.
        const double ms = p.N();
        if (!(ms > 20.0)) p.DV() = SLEEP(ms);
        Sleep(static_cast<unsigned long>(p.Small(3)));
    }),
    CMD("HIBERNATE", HIBERNATE()),
    CMD("ALLOWESCAPE", ALLOWESCAPE(p.N())),
    CMD("AUTOPAUSE", AUTOPAUSE(p.I())),
    CMD("SETSCREEN", {
        // A window of many thousand pixels a side is what the program asked
        // for; it only costs the X server and the GL driver time and memory.
        const int w = p.I(), h = p.I(), full = p.I();
        if (w <= 2048 && h <= 2048) SETSCREEN(w, h, full);
    }),
    // ---- input ----
    CMD("KEY", p.DV() = KEY(p.I())),
    CMD("INKEY$", p.SV() = INKEY_Str()),
    CMD("MOUSESTATE", MOUSESTATE(p.DV(), p.DV(), p.DV(), p.DV())),
    CMD("MOUSEAXIS", p.DV() = MOUSEAXIS(p.I())),
    CMD("SYSTEMPOINTER", SYSTEMPOINTER(p.N())),
    CMD("SETMOUSE", SETMOUSE(p.I(), p.I())),
    CMD("joystick axes", {
        const int n = p.I();
        p.DV() = GETJOYX(n) + GETJOYY(n) + GETJOYZ(n) + GETJOYRX(n) + GETJOYRY(n) + GETJOYRZ(n) +
                 GETJOYBUTTON(n, p.I()) + GETDIGIX(n) + GETDIGIY(n) + GETNUMJOYSTICKS();
    }),
    CMD("JOYSTATE", JOYSTATE(p.DV(), p.DV(), p.DV(), p.DV())),
    CMD("GETJOYNAME$", p.SV() = GETJOYNAME_Str(p.I())),
    CMD("FORCEFEEDBACK", FORCEFEEDBACK(p.I(), p.N(), p.N(), p.N())),
    // ---- sprites, pictures, 2D drawing ----
    CMD("LOADSPRITE", p.DV() = LOADSPRITE(p.Name(), p.I())),
    CMD("LOADANIM", p.DV() = LOADANIM(p.Name(), p.I(), p.I(), p.I())),
    CMD("LOADBUMPTEXTURE", p.DV() = LOADBUMPTEXTURE(p.Name(), p.I())),
    CMD("SAVEBMP", p.DV() = SAVEBMP(p.Name())),
    CMD("SAVESPRITE", p.DV() = SAVESPRITE(p.Name(), p.I())),
    CMD("DRAWSPRITE", DRAWSPRITE(p.I(), p.I(), p.I())),
    CMD("STRETCHSPRITE", STRETCHSPRITE(p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("ZOOMSPRITE", ZOOMSPRITE(p.I(), p.I(), p.I(), p.N(), p.N())),
    CMD("ROTOSPRITE", ROTOSPRITE(p.I(), p.I(), p.I(), p.N())),
    CMD("ROTOZOOMSPRITE", ROTOZOOMSPRITE(p.I(), p.I(), p.I(), p.N(), p.N())),
    CMD("DRAWANIM", DRAWANIM(p.I(), p.I(), p.I(), p.I())),
    CMD("STRETCHANIM", STRETCHANIM(p.I(), p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("ROTOZOOMANIM", ROTOZOOMANIM(p.I(), p.I(), p.I(), p.I(), p.N(), p.N())),
    CMD("GRABSPRITE", GRABSPRITE(p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("SETTRANSPARENCY", SETTRANSPARENCY(p.I())),
    CMD("SMOOTHSHADING", SMOOTHSHADING(p.I())),
    CMD("get_sprite_texture", p.DV() = get_sprite_texture(p.I())),
    CMD("SPRCOLL", p.DV() = SPRCOLL(p.I(), p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("ANIMCOLL", p.DV() = ANIMCOLL(p.I(), p.I(), p.I(), p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("BOXCOLL", p.DV() = BOXCOLL(p.I(), p.I(), p.I(), p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("DRAWLINE", DRAWLINE(p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("SETPIXEL", SETPIXEL(p.I(), p.I(), p.I())),
    CMD("DRAWRECT", DRAWRECT(p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("GETPIXEL", p.DV() = GETPIXEL(p.I(), p.I())),
    CMD("STARTPOLY", STARTPOLY(p.I())),
    CMD("POLYVECTOR", POLYVECTOR(p.I(), p.I(), p.I(), p.I(), p.I())),
    CMD("ENDPOLY", ENDPOLY()),
    CMD("PRINT", { if (p.Small(2)) PRINT(p.T(), p.N(), p.N()); else PRINT(p.N(), p.N(), p.N()); }),
    CMD("SETFONT", SETFONT(p.I())),
    CMD("LOADFONT", LOADFONT(p.Name(), p.I())),
    CMD("GETFONTSIZE", { if (p.Small(2)) GETFONTSIZE(p.IV(), p.IV()); else GETFONTSIZE(p.DV(), p.DV()); }),
    CMD("GETSPRITESIZE", { if (p.Small(2)) GETSPRITESIZE(p.I(), p.IV(), p.IV()); else GETSPRITESIZE(p.N(), p.DV(), p.DV()); }),
    CMD("GETSCREENSIZE", { if (p.Small(2)) GETSCREENSIZE(p.IV(), p.IV()); else GETSCREENSIZE(p.DV(), p.DV()); }),
    CMD("VIEWPORT", VIEWPORT(p.I(), p.I(), p.I(), p.I())),
    CMD("LIMITFPS", {
        LIMITFPS(p.N());
        // A slow frame rate is what the program asked for: keep frames quick.
        if (__g_pRbow && __g_pRbow->m_framePeriod > 20.0) __g_pRbow->m_framePeriod = 0.001;
    }),
    CMD("ISFULLSCREEN", p.DV() = ISFULLSCREEN()),
    CMD("ALPHAMODE", ALPHAMODE(p.N())),
    CMD("BLACKSCREEN", BLACKSCREEN()),
    // ---- surfaces and screens ----
    CMD("CREATESCREEN", {
        // Each screen of 4096 x 4096 holds 128 MiB of texture and depth: 32
        // of them are what the program asked for. Sizes past the texture
        // limit must be refused, and are tried.
        const int screen = p.I(), sprite = p.I(), w = p.I(), h = p.I();
        if ((w <= 1024 && h <= 1024) || w > 16384 || h > 16384) CREATESCREEN(screen, sprite, w, h);
    }),
    CMD("USESCREEN", USESCREEN(p.I())),
    CMD("USEASBMP", USEASBMP()),
    CMD("LOADBMP", LOADBMP(p.Name())),
    CMD("BLENDSCREEN", {
        // The fade takes 1.5 s by design: once per program.
        const DGStr& n = p.Name();
        if (!p.blended) { p.blended = true; BLENDSCREEN(n); }
    }),
    // ---- sound and music ----
    CMD("LOADSOUND", p.DV() = LOADSOUND(p.Name(), p.I(), p.I())),
    CMD("PLAYSOUND", p.DV() = PLAYSOUND(p.I(), p.N(), p.N())),
    CMD("SOUNDPLAYING", p.DV() = SOUNDPLAYING(p.I())),
    CMD("HUSH", HUSH()),
    CMD("PLAYMUSIC", p.DV() = PLAYMUSIC(p.Name(), p.I())),
    CMD("STOPMUSIC", STOPMUSIC()),
    CMD("ISMUSICPLAYING", p.DV() = ISMUSICPLAYING()),
    CMD("MUSICVOLUME", MUSICVOLUME(p.N())),
    // ---- 3D ----
    CMD("X_MAKE3D", X_MAKE3D(p.N(), p.N(), p.N())),
    CMD("X_MAKE2D", X_MAKE2D()),
    CMD("X_MIPMAPPING", X_MIPMAPPING(p.N())),
    CMD("X_SETTEXTURE", X_SETTEXTURE(p.N(), p.N())),
    CMD("X_SETTEXTUREOFFSET", X_SETTEXTUREOFFSET(p.N(), p.N())),
    CMD("X_AMBIENT_LT", X_AMBIENT_LT(p.N(), p.N())),
    CMD("X_SPOT_LT", X_SPOT_LT(p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_DRAWAXES", X_DRAWAXES(p.N(), p.N(), p.N())),
    CMD("X_AUTONORMALS", X_AUTONORMALS(p.N())),
    CMD("X_OBJSTART", X_OBJSTART(p.N())),
    CMD("X_OBJADDVERTEX", X_OBJADDVERTEX(p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_OBJNEWGROUP", X_OBJNEWGROUP()),
    CMD("X_OBJEND", X_OBJEND()),
    CMD("X_SAVEOBJ", X_SAVEOBJ(p.Name(), p.N())),
    CMD("X_LOADOBJ", X_LOADOBJ(p.Name(), p.N())),
    CMD("X_DRAWOBJ", X_DRAWOBJ(p.N(), p.N())),
    CMD("X_DRAWANIM", X_DRAWANIM(p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_CAMERA", X_CAMERA(p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_CAMERAUP", X_CAMERAUP(p.N(), p.N(), p.N())),
    CMD("X_CULLMODE", X_CULLMODE(p.N())),
    CMD("X_SPRITE", X_SPRITE(p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_FOG", X_FOG(p.N(), p.N(), p.N(), p.N())),
    CMD("X_CLEAR_Z", X_CLEAR_Z()),
    CMD("X_LINE", X_LINE(p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_DOT", X_DOT(p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_PRINT", X_PRINT(p.T(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_WORLD2SCREEN", X_WORLD2SCREEN(p.N(), p.N(), p.N(), p.DV(), p.DV(), p.DV())),
    CMD("X_SCREEN2WORLD", X_SCREEN2WORLD(p.N(), p.N(), p.N(), p.DV(), p.DV(), p.DV())),
    CMD("X_SPHEREMAPPING", X_SPHEREMAPPING(p.N())),
    CMD("X_SETSHADER", X_SETSHADER(p.N())),
    CMD("X_LOADSHADER", {
        const double slot = p.N();
        const DGStr& v = p.Name();
        const DGStr& f = p.Name();
        if (!DriverFaultShaderStages(v, f)) p.DV() = X_LOADSHADER(slot, v, f);
    }),
    CMD("X_PUTSHADER", X_PUTSHADER(p.T(), p.N())),
    CMD("X_COLLISION", p.DV() = X_COLLISION(p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_COLLISIONAABB", p.DV() = X_COLLISIONAABB(p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_COLLISIONRAY", p.DV() = X_COLLISIONRAY(p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_COLLISIONSPHEREBOX", p.DV() = X_COLLISIONSPHEREBOX(p.N(), p.N(), p.N(), p.N(), p.N(), p.N(), p.N())),
    CMD("X_GETFACE", X_GETFACE(p.N(), p.N(), p.N(), p.IA())),
    CMD("X_NUMFACES", p.DV() = X_NUMFACES(p.N())),
    CMD("X_SETCELSHADES", { X_SETCELSHADES(p.IA()); }),
    CMD("X_PUSHMATRIX", X_PUSHMATRIX()),
    CMD("X_POPMATRIX", X_POPMATRIX()),
    CMD("X_MOVEMENT", X_MOVEMENT(p.N(), p.N(), p.N())),
    CMD("X_SCALING", X_SCALING(p.N(), p.N(), p.N())),
    CMD("X_ROTATION", X_ROTATION(p.N(), p.N(), p.N(), p.N())),
    CMD("X_MULTMATRIX", X_MULTMATRIX(p.IA())),
    // ---- network (loopback only) ----
    CMD("NETHOSTGAME", p.DV() = NETHOSTGAME(p.N(), p.T(), p.T(), p.T())),
    CMD("NETJOINGAME", p.DV() = NETJOINGAME(p.N(), p.T(), p.Host(), p.T())),
    CMD("NETCREATEPLAYER$", p.SV() = NETCREATEPLAYER_Str(p.T())),
    CMD("NETDESTROYPLAYER", p.DV() = NETDESTROYPLAYER(p.T())),
    CMD("NETSENDMSG", p.DV() = NETSENDMSG(p.T(), p.T(), p.T())),
    CMD("NETGETMSG$", p.SV() = NETGETMSG_Str(p.T())),
    CMD("NETGETSENDER$", p.SV() = NETGETSENDER_Str()),
    CMD("NETPLAYERNAME$", p.SV() = NETPLAYERNAME_Str(p.T())),
    CMD("NETGETPLAYERID$", p.SV() = NETGETPLAYERID_Str(p.N())),
    CMD("NETNUMPLAYERS", p.DV() = NETNUMPLAYERS()),
    CMD("NETGETIP$", p.SV() = NETGETIP_Str()),
    CMD("NETWEBGET", p.DV() = NETWEBGET(p.Host(), p.T(), p.N(), p.Name())),
    // ---- path finding ----
    CMD("FINDPATH", {
        DGIntArray& map = p.IA(); DGIntArray& path = p.IA();
        p.DV() = FINDPATH(map, path, p.N(), p.I(), p.I(), p.I(), p.I());
    }),
};
constexpr int kCommandCount = sizeof kCommands / sizeof kCommands[0];

#undef CMD

constexpr int kMaxSteps = 64;

// ---- the step watchdog ------------------------------------------------------

// A step that loops or waits without end never returns to the step loop, and
// a limit on its wall-clock time also fires on a busy machine (a REDIM near
// the 64 MiB cap takes over a second alone under the fuzz build's
// instrumentation, and twice that beside other work). A watchdog thread looks
// at the running step ten times a second and reports it, with the command's
// name, when
//  - the process has spent more than kStepCpuLimitMs of processor time in it,
//    on any of its threads: a loop. Time spent waiting for a core is no
//    processor time, so load adds little to it (cores shared with other
//    work run slower: a REDIM near the cap that takes 1.2 s of it alone
//    took up to 2.7 s at a load of 16 on 8 cores);
//  - it has lasted more than kStepWaitLimitMs, less the time the main thread
//    spent waiting for a core (the run-queue delay the scheduler counts for
//    every thread): a wait that never ends (a lock, a join, an answer that
//    never comes, a sleep) uses no processor time at all.
// Both are many times what the slowest step takes on a loaded machine.
// libFuzzer's -timeout stays the outer guard.
constexpr double kStepCpuLimitMs = 20000.0;
constexpr double kStepWaitLimitMs = 60000.0;

// What the watchdog sees of the stretch the main thread is in.
struct StepWatch {
    std::uint64_t serial = 0; // changes with every watched stretch
    bool active = false;
    int step = -1;            // -1: not a step but a part of the harness
    const char* name = "";
    double wallMs = 0;        // at the start
    double cpuMs = 0;
};
// Plain data and a statically made mutex, nothing with a destructor: the
// watchdog may still look while the process ends.
pthread_mutex_t g_watchLock = PTHREAD_MUTEX_INITIALIZER;
StepWatch g_watch;
pthread_t g_mainThread;
char g_mainSchedStat[64] = ""; // the main thread's /proc/self/task/TID/schedstat

double ClockMs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// How long the main thread has waited for a core since it started; 0 when the
// kernel does not say.
double MainRunDelayMs()
{
    const int fd = open(g_mainSchedStat, O_RDONLY);
    if (fd < 0) return 0;
    char text[96];
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) return 0;
    text[n] = 0;
    // "<ns on a core> <ns waiting for one> <time slices>"
    char* end = nullptr;
    std::strtoull(text, &end, 10);
    return double(std::strtoull(end, nullptr, 10)) / 1e6;
}

void Watch(int step, const char* name)
{
    const double wall = ClockMs(CLOCK_MONOTONIC), cpu = ClockMs(CLOCK_PROCESS_CPUTIME_ID);
    pthread_mutex_lock(&g_watchLock);
    ++g_watch.serial;
    g_watch.active = true;
    g_watch.step = step;
    g_watch.name = name;
    g_watch.wallMs = wall;
    g_watch.cpuMs = cpu;
    pthread_mutex_unlock(&g_watchLock);
}

void Unwatch()
{
    pthread_mutex_lock(&g_watchLock);
    g_watch.active = false;
    pthread_mutex_unlock(&g_watchLock);
}

[[noreturn]] void ReportHang(const StepWatch& w, const char* what)
{
    if (w.step >= 0)
        std::fprintf(stderr, "step %d: %s %s\n", w.step, w.name, what);
    else
        std::fprintf(stderr, "%s %s\n", w.name, what);
    // Raised on the main thread, the crash report shows where it is stuck.
    pthread_kill(g_mainThread, SIGABRT);
    sleep(10);
    std::abort();
}

void* WatchSteps(void*)
{
    std::uint64_t seen = 0;
    double delayAtStart = 0;
    char what[128];
    for (;;) {
        timespec nap{0, 100 * 1000 * 1000};
        while (nanosleep(&nap, &nap) != 0 && errno == EINTR) {}
        pthread_mutex_lock(&g_watchLock);
        const StepWatch w = g_watch;
        pthread_mutex_unlock(&g_watchLock);
        if (!w.active) continue;
        const double delay = MainRunDelayMs();
        if (w.serial != seen) {
            // First look at this stretch: what the main thread waited for a
            // core before it (at most one nap of it lies inside) is not counted.
            seen = w.serial;
            delayAtStart = delay;
        }
        const double cpu = ClockMs(CLOCK_PROCESS_CPUTIME_ID) - w.cpuMs;
        const double wall = ClockMs(CLOCK_MONOTONIC) - w.wallMs;
        if (cpu > kStepCpuLimitMs) {
            std::snprintf(what, sizeof what, "has used %.0f ms of processor time", cpu);
            ReportHang(w, what);
        }
        if (wall - (delay - delayAtStart) > kStepWaitLimitMs) {
            std::snprintf(what, sizeof what, "has not ended after %.0f ms (%.0f ms of it waiting for a core)",
                          wall, delay - delayAtStart);
            ReportHang(w, what);
        }
    }
}

void StartWatchdog()
{
    g_mainThread = pthread_self();
    std::snprintf(g_mainSchedStat, sizeof g_mainSchedStat, "/proc/self/task/%ld/schedstat",
                  static_cast<long>(syscall(SYS_gettid)));
    pthread_t t;
    if (pthread_create(&t, nullptr, WatchSteps, nullptr) != 0) std::abort();
    pthread_detach(t);
}

bool g_netUsed = false;

// Back to the state right after start-up, as far as the commands can see it:
// no open files, no cached INI or line file, the folder as laid out, the
// window's own target and mode, silence (the network game ended with the
// input before).
void ResetState()
{
    __VLT_close_all_filehandles();
    __g_FastFile.FillBuffer(nullptr);
    __g_Ini.Write();
    __g_Ini.Clear();
    __g_Ini.filename = "";
    __g_Ini.changed = 0;
    if (chdir(g_work.c_str()) != 0) std::abort();
    LayOutFolder();
    SETSHOEBOX(DGStr(""), DGStr(""));

    ENDPOLY();
    USESCREEN(-1);
    X_MAKE2D();
    X_CULLMODE(0);
    ALPHAMODE(0);
    SETFONT(0);
    SMOOTHSHADING(1);
    HUSH();
    STOPMUSIC();
    if (__g_pRbow) {
        // Sprites the program loaded, grabbed or drew on go with it (the font
        // sprites at the end of the table stay).
        for (int n = 0; n < kScratchSprite; ++n)
            if (__g_pRbow->m_sprites[n].texture || __g_pRbow->m_sprites[n].imgWidth) __g_pRbow->FreeSprite(n);
        if (__g_pRbow->m_width != 640 || __g_pRbow->m_height != 480 || __g_pRbow->m_fullscreen)
            __g_pRbow->SetScreen(640, 480, 0, 0);
        __g_pRbow->m_framePeriod = 0.001;
        __g_pRbow->Make2DViewport(0, 0, 0, 0);
    }
    __g_AllowEscape = true;
    __g_allowPause = false;
    __g_paused = false;
    __g_error = 0;
    __gpDataContainer = nullptr;
    for (auto& l : g_lists) l.position = 0;
    // The disk audio file only grows: keep it small (SDL writes on at its
    // offset, so the start stays a hole).
    struct stat st{};
    const std::string audio = g_root + "/audio.raw";
    if (stat(audio.c_str(), &st) == 0 && st.st_size > (64 << 20)) truncate(audio.c_str(), 0);
}

// The program's files stay in its folder: beside it, in the scratch root,
// only what the harness put there may appear (the audio output, the
// archive's temporary folder and the folder itself).
void CheckNothingWrittenBeside()
{
    DIR* d = opendir(g_root.c_str());
    if (!d) std::abort();
    while (const dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n == "." || n == ".." || n == "work" || n == "tmp" || n == "audio.raw") continue;
        std::fprintf(stderr, "a file was written outside the program's folder: %s\n", n.c_str());
        std::abort();
    }
    closedir(d);
}

void MakeFixtures()
{
    const std::string bmp = SmallBmp();
    const std::string wav = SmallWav();
    g_fixtures = {
        {"Pic.BMP", bmp},
        {"Sound.WAV", wav},
        {"Config.INI", "; settings\n[Game]\nName=Drift\nLevel=3\n\n[Keys]\nup=200\ndown = 208 \n"},
        {"Lines.TXT", "first\r\nsecond\n\n12.5\n-7\n" + std::string(1500, 'L') + "\nlast"},
        {"Data.BIN", std::string("\x01\x02\x03\x04\xff\xfe\x00\x80line\nmore\n", 18) + std::string(64, '\0')},
        {"Shader.VERT", "void main() { gl_Position = ftransform(); gl_TexCoord[0] = gl_MultiTexCoord0; }\n"},
        {"Shader.FRAG", "uniform float level; void main() { gl_FragColor = vec4(level, 0.5, 0.25, 1.0); }\n"},
        {"Sub/Inner.TXT", "inner\n"},
    };
    LayOutFolder();

    // A picture as the renderer writes PNG, and a mesh as the 3D engine
    // saves one: both made by the commands themselves.
    BLACKSCREEN();
    DRAWRECT(0, 0, 64, 48, 0x3366CC);
    SAVEBMP(DGStr("shot.png"));
    g_fixtures.push_back({"Shot.PNG", fuzzsupport::ReadWhole(g_work + "/shot.png")});
    X_MAKE3D(1, 100, 45);
    X_OBJSTART(0);
    X_OBJADDVERTEX(0, 0, 0, 0, 0, 0xFFFFFF);
    X_OBJADDVERTEX(1, 0, 0, 1, 0, 0xFF0000);
    X_OBJADDVERTEX(0, 1, 0, 0, 1, 0x00FF00);
    X_OBJNEWGROUP();
    X_OBJADDVERTEX(0, 0, 1, 0, 0, 0x0000FF);
    X_OBJADDVERTEX(1, 1, 1, 1, 1, 0x00FFFF);
    X_OBJADDVERTEX(1, 0, 1, 1, 0, 0xFF00FF);
    X_OBJEND();
    X_SAVEOBJ(DGStr("mesh.ddd"), 0);
    X_MAKE2D();
    g_fixtures.push_back({"Mesh.DDD", fuzzsupport::ReadWhole(g_work + "/mesh.ddd")});

    for (const char* t : {"", "Hello World", "12.5", "-1", "0", "1e300", "%s%n%d%x", "\xff\xfe\x80",
                          "a,b;;c,,", ",;", "\\dir\\file.txt", " \t\r\n", "26000", "65536", "abc",
                          "[Game]", "Name", "Level", "=", "127.0.0.1", "/index.html"})
        g_texts.emplace_back(t);
    g_texts.push_back(WithNul("a", "b"));
    g_texts.push_back(WithNul("", "hidden"));
    DGStr longText;
    longText.Alloc(65536);
    for (int i = 0; i < 65536; ++i) longText.Append(i % 7 == 6 ? "," : "x", 1);
    g_texts.push_back(longText);
    DGStr longDigits;
    for (int i = 0; i < 4096; ++i) longDigits += "9999999999999999";
    g_texts.push_back(longDigits);

    for (const char* n : {"pic.bmp", "PIC.BMP", "Pic.BMP", "sound.wav", "SOUND.wav", "config.ini",
                          "CONFIG.ini", "lines.txt", "LINES.TXT", "data.bin", "DATA.BIN", "shot.png",
                          "SHOT.png", "mesh.ddd", "MESH.DDD", "shader.vert", "SHADER.FRAG",
                          "shader.frag", "sub", "SUB", "sub/inner.txt", "SUB/INNER.TXT", "Sub/",
                          "sub/../pic.bmp", "new.txt", "new.png", "new.bmp", "new.ddd", "NEW.TXT",
                          "", ".", "*", "*.*", "*.bmp", "?IC.*", "missing.wav", "pic.bmp/x"})
        g_names.emplace_back(n);
    g_names.push_back(WithNul("pic", ".bmp"));
    DGStr longName;
    for (int i = 0; i < 4096; ++i) longName += "nnnnnnnnnnnnnnnn";
    g_names.push_back(longName);

    for (const char* h : {"127.0.0.1", "localhost", "127.0.0.1:26000", "127.1.2.3"})
        g_hosts.emplace_back(h);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // With -jobs or -fork this process only starts and watches the
    // processes that fuzz: it needs no window and keeps its own folder, where
    // the workers' logs go.
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], "-jobs=", 6) == 0 || std::strncmp((*argv)[i], "-fork=", 6) == 0)
            return 0;
    char templ[] = "/tmp/veltric_cmdfuzz_XXXXXX";
    if (!mkdtemp(templ)) std::abort();
    g_root = templ;
    g_work = g_root + "/work";
    mkdir(g_work.c_str(), 0755);
    mkdir((g_root + "/tmp").c_str(), 0700);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (g_root + "/audio.raw").c_str(), 1);
    setenv("TMPDIR", (g_root + "/tmp").c_str(), 1);

    // The runtime reports on standard output line by line: not wanted here.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        std::fflush(stdout);
        dup2(null, 1);
        close(null);
    }

    __DG_RESX = 640;
    __DG_RESY = 480;
    __GlobalInit(0, 0, "", 0, "cmdfuzz");
    std::atexit(RemoveScratch);
    __g_WebGetIdleTimeoutMs = 300;
    g_trace = std::getenv("CMDFUZZ_TRACE") != nullptr;
    if (std::getenv("CMDFUZZ_LIST")) {
        // The command numbers, for writing seed sequences by hand.
        for (int i = 0; i < kCommandCount; ++i) std::fprintf(stderr, "%d %s\n", i, kCommands[i].name);
        std::exit(0);
    }
    if (chdir(g_work.c_str()) != 0) std::abort();
    MakeFixtures();
    StartWatchdog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Watch(-1, "the reset before the first step");
    ResetState();
    Program* p = new Program(data, size);
    try {
        for (int step = 0; step < kMaxSteps && p->in.remaining_bytes() > 0; ++step) {
            const Command& c = kCommands[p->in.Below(kCommandCount)];
            if (std::strncmp(c.name, "NET", 3) == 0) g_netUsed = true;
            Watch(step, c.name);
            const double t0 = ClockMs(CLOCK_MONOTONIC), cpu0 = ClockMs(CLOCK_PROCESS_CPUTIME_ID);
            c.run(*p);
            if (g_trace)
                std::fprintf(stderr, "step %d: %s (%.1f ms, %.1f ms of processor time)\n", step, c.name,
                             ClockMs(CLOCK_MONOTONIC) - t0, ClockMs(CLOCK_PROCESS_CPUTIME_ID) - cpu0);
        }
    } catch (const ProgramEnd&) {
        // A fatal error of the runtime: the program has ended normally.
        if (g_trace) std::fprintf(stderr, "program ended, error %g\n", __g_error);
    }
    delete p;
    // The game ends with the input: its worker thread has stopped and its
    // sockets are closed before libFuzzer looks for leaks. A leak check that
    // runs beside a working thread can take a block the thread has just
    // allocated for lost; once the worker has ended, every block it held is
    // either freed or really lost.
    if (g_netUsed) {
        Watch(-1, "the end of the network game");
        NETGETIP_Str();
        g_netUsed = false;
    }
    Unwatch();
    CheckNothingWrittenBeside();
    return 0;
}
