// Runs random sequences of the value commands (string operators and their
// assigning forms, MID$, REPLACE$, SPLITSTR, INSTR, FORMAT$, UCASE$/LCASE$,
// ReverseSlashes, DIM/REDIM/DIMPUSH, element and array assignment) and of
// the string's own members that write by index or through its buffer
// (SetAt, GetStrData then CalcLen, Left, TrimRight, the number forms,
// AssignLowMem), whose arguments are drawn from the same few variables and
// array elements, so that every aliasing a program can write occurs:
// x = x + x, x += x, SPLITSTR(a(0), a, a(1)), REPLACE$(x, x, x), a(i) = a(j)
// after a REDIM. Each result is compared with a plain model on std::string
// and std::map; every string must keep its terminator at its length inside
// its buffer.
// Indices are checked against the model before any access, so the fatal
// array errors are never reached.
#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "runtime/arrays.h"
#include "runtime/dgstr.h"
#include "runtime/number_text.h"
#include "runtime/string_cmds.h"

using namespace __VELTRIC__;

namespace {

// No model string grows beyond this; an operation that would is skipped.
constexpr std::size_t kMaxText = 2048;
constexpr int kMaxOps = 256;

struct Bytes {
    const std::uint8_t* p;
    std::size_t n;
    std::uint8_t Next() { return n ? (--n, *p++) : 0; }
    bool Empty() const { return n == 0; }
    // A small signed number with the occasional extreme.
    int SmallInt(int lo, int hi)
    {
        std::uint8_t b = Next();
        if (b == 255) return INT_MAX;
        if (b == 254) return INT_MIN;
        return lo + b % (hi - lo + 1);
    }
};

[[noreturn]] void Fail(const char* what, int op)
{
    std::fprintf(stderr, "values fuzzer: %s (operation %d)\n", what, op);
    std::abort();
}

// ---- model arrays ----------------------------------------------------------

using Index = std::array<int, 4>;

// Indices a dimension admits: the first its size; the others their size, 0
// alone when absent, none when negative.
int Admits(const int (&size)[4], int d)
{
    if (d == 0) return size[0] > 0 ? size[0] : 0;
    return size[d] > 0 ? size[d] : (size[d] == 0 ? 1 : 0);
}

template <class E> struct Model {
    int size[4] = {0, 0, 0, 0};
    std::map<Index, E> el;

    int Dims() const { return size[3] ? 4 : size[2] ? 3 : size[1] ? 2 : size[0] > 0 ? 1 : 0; }
    bool Admitted(const Index& i) const
    {
        for (int d = 0; d < 4; ++d)
            if (i[d] < 0 || i[d] >= Admits(size, d)) return false;
        return true;
    }
    template <class F> void ForEach(F f) const
    {
        for (int l = 0; l < Admits(size, 3); ++l)
            for (int k = 0; k < Admits(size, 2); ++k)
                for (int j = 0; j < Admits(size, 1); ++j)
                    for (int i = 0; i < Admits(size, 0); ++i)
                        f(Index{i, j, k, l});
    }
    void Dim(int s1, int s2, int s3, int s4)
    {
        size[0] = s1 < 1 ? 0 : s1;
        size[1] = s2;
        size[2] = s3;
        size[3] = s4;
        el.clear();
        ForEach([&](const Index& i) { el[i] = E(); });
    }
    // Keeps every index both shapes admit.
    void Redim(int s1, int s2, int s3, int s4)
    {
        Model old = *this;
        Dim(s1, s2, s3, s4);
        ForEach([&](const Index& i) {
            if (old.Admitted(i)) el[i] = old.el[i];
        });
    }
    int Count() const
    {
        int n = 1;
        for (int d = 0; d < 4; ++d) n *= Admits(size, d);
        return n;
    }
};

// ---- the state: implementation and model side by side ---------------------

constexpr int kVars = 4;
constexpr int kArrays = 2;

struct State {
    DGStr var[kVars];
    std::string mvar[kVars];
    DGArray<DGStr> sarr[kArrays];
    Model<std::string> msarr[kArrays];
    DGIntArray narr[kArrays];
    Model<double> mnarr[kArrays];
    DGNatArray iarr[kArrays];
    Model<int> miarr[kArrays];

    // Starts with texts holding separators, slashes and letters in every
    // variable and in arrays of one and of three dimensions (the second
    // absent), so that the first few operations already alias.
    State()
    {
        static const char* const kTexts[] = {"a=b=c", "x,y z", "\\dir\\F.x", "", "k=v", "=,", "A b", "1.5"};
        for (int v = 0; v < kVars; ++v) {
            var[v] = CGStr(kTexts[v]);
            mvar[v] = kTexts[v];
        }
        const int shapes[kArrays][4] = {{3, 0, 0, 0}, {2, 0, 2, 0}};
        for (int a = 0; a < kArrays; ++a) {
            DIM(sarr[a], shapes[a][0], shapes[a][1], shapes[a][2], shapes[a][3]);
            msarr[a].Dim(shapes[a][0], shapes[a][1], shapes[a][2], shapes[a][3]);
            DIM(narr[a], shapes[a][0], shapes[a][1], shapes[a][2], shapes[a][3]);
            mnarr[a].Dim(shapes[a][0], shapes[a][1], shapes[a][2], shapes[a][3]);
            DIM(iarr[a], shapes[a][0], shapes[a][1], shapes[a][2], shapes[a][3]);
            miarr[a].Dim(shapes[a][0], shapes[a][1], shapes[a][2], shapes[a][3]);
            int k = 0;
            msarr[a].ForEach([&](const Index& i) {
                const char* t = kTexts[(4 + 3 * a + k) % 8];
                sarr[a](i[0], i[1], i[2], i[3]) = CGStr(t);
                msarr[a].el[i] = t;
                narr[a](i[0], i[1], i[2], i[3]) = k + 0.5;
                mnarr[a].el[i] = k + 0.5;
                iarr[a](i[0], i[1], i[2], i[3]) = k;
                miarr[a].el[i] = k;
                ++k;
            });
        }
    }
};

// A string operand: a variable, or an element of a string array at an index
// the model admits (a negative first index counting from the end, or the
// one-index form).
struct StrRef {
    DGStr* impl;
    std::string* model;
};

StrRef PickStr(State& s, Bytes& in)
{
    std::uint8_t b = in.Next();
    if (b % 2 != 0) {
        int v = (b / 2) % kVars;
        return {&s.var[v], &s.mvar[v]};
    }
    int a = (b / 2) % kArrays;
    Model<std::string>& m = s.msarr[a];
    if (m.Count() == 0) {
        int v = (b / 7) % kVars;
        return {&s.var[v], &s.mvar[v]};
    }
    Index i;
    for (int d = 0; d < 4; ++d) i[d] = in.Next() % Admits(m.size, d);
    std::uint8_t form = in.Next() % 3;
    DGStr* e;
    if (form == 0 && i[1] == 0 && i[2] == 0 && i[3] == 0)
        e = &s.sarr[a](i[0]);
    else if (form == 1)
        e = &s.sarr[a](i[0] - m.size[0], i[1], i[2], i[3]);
    else
        e = &s.sarr[a](i[0], i[1], i[2], i[3]);
    return {e, &m.el[i]};
}

std::string Literal(Bytes& in)
{
    static const char kAlphabet[] = "ab=,\\/ .AZ1-x\xe9";
    int n = in.Next() % 12;
    std::string t;
    for (int k = 0; k < n; ++k) t += kAlphabet[in.Next() % (sizeof(kAlphabet) - 1)];
    return t;
}

double NumberOf(Bytes& in)
{
    static const double kNumbers[] = {
        0.0, -0.0, 1.5, -2.25, 100.0, 0.25, 1e20, 1e-5, 1e300, -1e-300, 4.9406564584124654e-324,
        123456.789, -1.7976931348623157e308, std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        1e12, -1e12, 4096, 4097, -4097, 1074, 1075, 2.0 / 3.0,
    };
    std::uint8_t b = in.Next();
    if (b < sizeof(kNumbers) / sizeof(kNumbers[0])) return kNumbers[b];
    return static_cast<double>(static_cast<int>(b) - 160);
}

// ---- model of the commands -------------------------------------------------

std::string NumberText(double v)
{
    char buf[kNumberTextMax];
    return std::string(buf, FormatNumber(v, buf));
}

std::string ModelMid(const std::string& t, int start, int count)
{
    long long L = static_cast<long long>(t.size());
    long long c = count < 0 ? L : count;
    if (start < 0 || start > L) return "";
    long long n = c < L - start ? c : L - start;
    if (n < 1) return "";
    return t.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(n));
}

int ModelInstr(const std::string& t, const std::string& f, int start)
{
    if (start != 0 && (t.empty() || start < 0 || static_cast<std::size_t>(start) > t.size())) return -1;
    if (f.empty()) return start;
    std::size_t p = t.find(f, static_cast<std::size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

// The text rebuilt at every match, the search resuming behind the inserted
// text. False when the text would outgrow kMaxText (the operation is then
// skipped: rebuilding a text of megabytes at every match takes seconds).
bool ModelReplace(std::string& t, const std::string& f, const std::string& r)
{
    if (f.empty()) return true;
    std::size_t pos = 0;
    for (;;) {
        std::size_t m = t.find(f, pos);
        if (m == std::string::npos) return true;
        if (t.size() - f.size() + r.size() > kMaxText) return false;
        t = t.substr(0, m) + r + t.substr(m + f.size());
        pos = m + r.size();
    }
}

std::vector<std::string> ModelSplit(const std::string& t, const std::string& seps)
{
    std::vector<std::string> out;
    std::size_t p = 0;
    for (;;) {
        p = t.find_first_not_of(seps, p);
        if (p == std::string::npos || seps.empty()) break;
        std::size_t q = t.find_first_of(seps, p);
        out.push_back(t.substr(p, q == std::string::npos ? std::string::npos : q - p));
        if (q == std::string::npos) return out;
        p = q;
    }
    if (seps.empty() && !t.empty()) out.push_back(t);
    return out;
}

int Whole(double v, int bound)
{
    if (std::isnan(v)) return 0;
    if (v >= bound) return bound;
    if (v <= -bound) return -bound;
    return static_cast<int>(v);
}

std::string ModelFormat(double width, double decimals, double value)
{
    int w = Whole(width, kFormatMaxChars);
    int d = Whole(decimals, kFormatMaxDecimals);
    if (d < 0) d = 0;
    std::vector<char> buf(8192);
    int n = std::snprintf(buf.data(), buf.size(), "%*.*f", w, d, value);
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

std::string ModelCase(std::string t, char from, char to)
{
    for (char& c : t)
        if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
    return t;
}

// ---- checks ----------------------------------------------------------------

// A text as the commands that read it as a C string see it: up to its
// first NUL.
std::string CText(const std::string& m) { return m.substr(0, m.find('\0')); }

void CheckStr(const DGStr& s, const std::string& m, int op, const char* what)
{
    // The terminator first: only then may the text be read as a C string.
    if ((s.Capacity() != 0 && s.Len() >= s.Capacity()) || s.c_str()[s.Len()] != '\0') {
        std::fprintf(stderr, "length %u, capacity %u: no terminator at the length\n", s.Len(),
                     s.Capacity());
        Fail(what, op);
    }
    if (s.Len() != m.size() || std::strlen(s.c_str()) != CText(m).size() ||
        std::memcmp(s.c_str(), m.data(), m.size()) != 0) {
        std::fprintf(stderr, "got \"%s\" (%u), want \"%s\" (%zu)\n", s.c_str(), s.Len(), m.c_str(),
                     m.size());
        Fail(what, op);
    }
}

template <class A, class E> void CheckShape(const A& a, const Model<E>& m, int op)
{
    for (int d = 0; d < 4; ++d)
        if (a.Bounds(d) != m.size[d]) Fail("array bounds", op);
    if (a.Dims() != m.Dims()) Fail("array dimension count", op);
}

void CheckAll(State& s, int op)
{
    for (int v = 0; v < kVars; ++v) CheckStr(s.var[v], s.mvar[v], op, "variable");
    for (int a = 0; a < kArrays; ++a) {
        CheckShape(s.sarr[a], s.msarr[a], op);
        s.msarr[a].ForEach([&](const Index& i) {
            CheckStr(s.sarr[a](i[0], i[1], i[2], i[3]), s.msarr[a].el.at(i), op, "string element");
        });
        CheckShape(s.narr[a], s.mnarr[a], op);
        s.mnarr[a].ForEach([&](const Index& i) {
            double x = s.narr[a](i[0], i[1], i[2], i[3]), y = s.mnarr[a].el.at(i);
            if (std::memcmp(&x, &y, sizeof x) != 0) Fail("number element", op);
        });
        CheckShape(s.iarr[a], s.miarr[a], op);
        s.miarr[a].ForEach([&](const Index& i) {
            if (s.iarr[a](i[0], i[1], i[2], i[3]) != s.miarr[a].el.at(i)) Fail("integer element", op);
        });
    }
}

// A shape of small sizes; a first size below 1 and negative later sizes occur.
void PickShape(Bytes& in, int (&sz)[4])
{
    sz[0] = static_cast<int>(in.Next() % 9) - 1;  // -1 .. 7
    for (int d = 1; d < 4; ++d) {
        std::uint8_t b = in.Next();
        sz[d] = b % 4 == 0 ? static_cast<int>(b / 4 % 5) - 1 : 0; // mostly absent
    }
}

template <class A, class E> void DimBoth(A& a, Model<E>& m, const int (&sz)[4], bool redim)
{
    if (redim) {
        REDIM(a, sz[0], sz[1], sz[2], sz[3]);
        m.Redim(sz[0], sz[1], sz[2], sz[3]);
    } else {
        DIM(a, sz[0], sz[1], sz[2], sz[3]);
        m.Dim(sz[0], sz[1], sz[2], sz[3]);
    }
}

// An element of a number array at an admitted index, or null when empty.
template <class A, class E> E* PickElement(A& a, Model<E>& m, Bytes& in, E** model)
{
    if (m.Count() == 0) return nullptr;
    Index i;
    for (int d = 0; d < 4; ++d) i[d] = in.Next() % Admits(m.size, d);
    *model = &m.el[i];
    return &a(i[0], i[1], i[2], i[3]);
}

template <class A, class E> void NumberArrayOp(A (&arr)[kArrays], Model<E> (&marr)[kArrays], Bytes& in)
{
    std::uint8_t b = in.Next();
    int x = b % kArrays, y = (b / 2) % kArrays;
    switch ((b / 4) % 5) {
    case 0:
    case 1: {
        int sz[4];
        PickShape(in, sz);
        DimBoth(arr[x], marr[x], sz, (b / 4) % 5 == 1);
        break;
    }
    case 2: { // element = element + small number, both possibly the same
        E* mfrom;
        E* from = PickElement(arr[y], marr[y], in, &mfrom);
        E* mto;
        E* to = PickElement(arr[x], marr[x], in, &mto);
        E add = static_cast<E>(static_cast<int>(in.Next()) - 100);
        if (to && from) {
            *to = *from + add;
            *mto = *mfrom + add;
        } else if (to) {
            *to = add;
            *mto = add;
        }
        break;
    }
    case 3: // whole array assignment, possibly onto itself
        arr[x] = arr[y];
        marr[x] = marr[y];
        break;
    case 4: { // DIMDATA
        int n = in.Next() % 20;
        std::vector<E> values(static_cast<std::size_t>(n));
        for (E& v : values) v = static_cast<E>(static_cast<int>(in.Next()) - 100);
        DIMDATA(arr[x], n, values.data());
        marr[x].Dim(n, 0, 0, 0);
        for (int k = 0; k < n; ++k) marr[x].el[Index{k, 0, 0, 0}] = values[static_cast<std::size_t>(k)];
        break;
    }
    }
}

// An index around what matters to a string: its length, its capacity, or
// a small one; the extremes now and then.
int IndexNear(const DGStr& d, Bytes& in)
{
    std::uint8_t b = in.Next();
    int delta = static_cast<int>(b / 4 % 8) - 4;
    switch (b % 4) {
    case 0: return static_cast<int>(d.Len()) + delta;
    case 1: return static_cast<int>(d.Capacity()) + delta;
    case 2: return in.SmallInt(-2, 40);
    default: return static_cast<int>(b / 4);
    }
}

char ByteOf(Bytes& in)
{
    static const char kBytes[] = {'\0', 'x', '\n', ' ', '\\', ',', '\xe9', '\x7f', '\x1f', '='};
    std::uint8_t b = in.Next();
    return b < 2 * sizeof kBytes ? kBytes[b % sizeof kBytes] : static_cast<char>(b);
}

// The members of the string that write by index or through its buffer.
void MemberOp(State& s, Bytes& in, int op, int which)
{
    StrRef d = PickStr(s, in);
    std::string& m = *d.model;
    switch (which % 10) {
    case 0: { // SetAt
        int i = IndexNear(*d.impl, in);
        char c = ByteOf(in);
        // Inside the buffer the byte is stored; past the text a byte other
        // than NUL extends it to end there, NULs between.
        bool inside = i >= 0 && i < static_cast<long long>(d.impl->Capacity());
        std::size_t at = static_cast<std::size_t>(i);
        if (inside && at >= m.size() && c != '\0' && at >= kMaxText) break;
        d.impl->SetAt(i, c);
        if (inside && at < m.size()) {
            m[at] = c;
        } else if (inside && c != '\0') {
            m.resize(at, '\0');
            m += c;
        }
        break;
    }
    case 1: { // GetStrData, a text and its terminator written, CalcLen
        std::uint32_t n = static_cast<std::uint32_t>(IndexNear(*d.impl, in)) % 64;
        std::string lit = Literal(in);
        if (lit.size() > n) lit.resize(n);
        char* p = d.impl->GetStrData(n);
        std::memcpy(p, lit.c_str(), lit.size() + 1);
        d.impl->CalcLen();
        m = lit;
        break;
    }
    case 2: { // GetStrData, the text overwritten in place without a terminator, CalcLen
        std::string lit = Literal(in);
        if (lit.size() > m.size()) lit.resize(m.size());
        std::uint32_t n = d.impl->Len() + in.Next() % 20;
        char* p = d.impl->GetStrData(n);
        std::memcpy(p, lit.data(), lit.size());
        d.impl->CalcLen();
        m.replace(0, lit.size(), lit);
        m = CText(m);
        break;
    }
    case 3: { // the whole buffer filled without a terminator: cut inside it
        std::uint32_t n = in.Next() % 40;
        if (d.impl->Capacity() > kMaxText) break;
        char c = static_cast<char>('a' + in.Next() % 26);
        char* p = d.impl->GetStrData(n);
        std::memset(p, c, d.impl->Capacity());
        d.impl->CalcLen();
        m.assign(d.impl->Capacity() - 1, c);
        break;
    }
    case 4: // CalcLen alone: the text up to its first NUL
        d.impl->CalcLen();
        m = CText(m);
        break;
    case 5: { // Left
        int n = IndexNear(*d.impl, in);
        d.impl->Left(n);
        if (n < 0) n = 0;
        if (static_cast<std::size_t>(n) < m.size()) m = CText(m.substr(0, static_cast<std::size_t>(n)));
        break;
    }
    case 6: // TrimRight: trailing bytes below 32, NULs among them
        d.impl->TrimRight();
        while (!m.empty() && static_cast<unsigned char>(m.back()) < 32) m.pop_back();
        break;
    case 7: { // the number constructors and assignments
        double v = NumberOf(in);
        int n = static_cast<int>(in.Next()) * 1000 - 128000;
        if (in.Next() & 1) n = in.SmallInt(-5, 5);
        switch (in.Next() % 6) {
        case 0: *d.impl = DGStr(n); m = std::to_string(n); break;
        case 1: *d.impl = DGStr(v); m = NumberText(v); break;
        case 2: *d.impl = DGStr(static_cast<float>(v)); m = NumberText(static_cast<float>(v)); break;
        case 3: *d.impl = n; m = std::to_string(n); break;
        case 4: *d.impl = v; m = NumberText(v); break;
        default: *d.impl = static_cast<float>(v); m = NumberText(static_cast<float>(v)); break;
        }
        break;
    }
    case 8: { // GetAt below and at the length (inside the buffer: any byte, no fault)
        int i = IndexNear(*d.impl, in);
        int got = d.impl->GetAt(i);
        if (i >= 0 && static_cast<std::size_t>(i) < m.size() && got != static_cast<signed char>(m[static_cast<std::size_t>(i)]))
            Fail("GetAt", op);
        if (i >= 0 && static_cast<std::size_t>(i) == m.size() && got != 0) Fail("GetAt at the length", op);
        break;
    }
    default: { // AssignLowMem / Assign of a text read as a C string, maybe its own
        StrRef a = PickStr(s, in);
        std::string want = CText(*a.model);
        if (in.Next() & 1) {
            d.impl->AssignLowMem(a.impl->c_str());
            if (d.impl->Capacity() != want.size() + 1) Fail("AssignLowMem capacity", op);
        } else {
            d.impl->Assign(a.impl->c_str());
        }
        m = want;
        break;
    }
    }
}

void StringOp(State& s, Bytes& in, int op)
{
    std::uint8_t code = in.Next();
    if (code >= 216) {
        MemberOp(s, in, op, code - 216);
        return;
    }
    switch (code % 18) {
    case 0: { // dst = literal
        StrRef d = PickStr(s, in);
        std::string lit = Literal(in);
        *d.impl = CGStr(lit.c_str());
        *d.model = lit;
        break;
    }
    case 1: { // dst = a op b, one of the five concatenating operators
        StrRef d = PickStr(s, in), a = PickStr(s, in), b = PickStr(s, in);
        if (a.model->size() + b.model->size() > kMaxText) break;
        std::string want = *a.model + *b.model;
        switch (in.Next() % 5) {
        case 0: *d.impl = *a.impl + *b.impl; break;
        case 1: *d.impl = *a.impl - *b.impl; break;
        case 2: *d.impl = *a.impl * *b.impl; break;
        case 3: *d.impl = *a.impl / *b.impl; break;
        default: *d.impl = *a.impl ^ *b.impl; break;
        }
        *d.model = want;
        break;
    }
    case 2: { // dst op= src
        StrRef d = PickStr(s, in), a = PickStr(s, in);
        if (d.model->size() + a.model->size() > kMaxText) break;
        std::string want = *d.model + *a.model;
        switch (in.Next() % 5) {
        case 0: *d.impl += *a.impl; break;
        case 1: *d.impl -= *a.impl; break;
        case 2: *d.impl *= *a.impl; break;
        case 3: *d.impl /= *a.impl; break;
        default: *d.impl ^= *a.impl; break;
        }
        *d.model = want;
        break;
    }
    case 3: { // dst = (a + b) + c: the middle temporary grows in place
        StrRef d = PickStr(s, in), a = PickStr(s, in), b = PickStr(s, in), c = PickStr(s, in);
        if (a.model->size() + b.model->size() + c.model->size() > kMaxText) break;
        std::string want = *a.model + *b.model + *c.model;
        *d.impl = *a.impl + *b.impl + *c.impl;
        *d.model = want;
        break;
    }
    case 4: { // numbers and literals as operands
        StrRef d = PickStr(s, in), a = PickStr(s, in);
        double v = NumberOf(in);
        int n = static_cast<int>(in.Next()) * 1000 - 128000;
        std::string lit = Literal(in);
        if (a.model->size() + 128 > kMaxText || d.model->size() + 128 > kMaxText) break;
        std::uint8_t form = in.Next() % 5;
        std::string want;
        if (form == 0) {
            want = NumberText(v) + *a.model;
            *d.impl = v + *a.impl;
        } else if (form == 1) {
            want = *a.model + std::to_string(n);
            *d.impl = *a.impl + n;
        } else if (form == 2) {
            want = lit + *a.model;
            *d.impl = CGStr(lit.c_str()) + *a.impl;
        } else if (form == 3) {
            want = *d.model + NumberText(v);
            *d.impl += v;
        } else {
            want = *d.model + std::to_string(n);
            *d.impl += n;
        }
        *d.model = want;
        break;
    }
    case 5: { // dst = src
        StrRef d = PickStr(s, in), a = PickStr(s, in);
        std::string want = *a.model;
        *d.impl = *a.impl;
        *d.model = want;
        break;
    }
    case 6: { // dst = MID$(src, start, count)
        StrRef d = PickStr(s, in), a = PickStr(s, in);
        int start = in.SmallInt(-3, 24), count = in.SmallInt(-3, 24);
        std::string want = ModelMid(*a.model, start, count);
        *d.impl = MID_Str(*a.impl, start, count);
        *d.model = want;
        break;
    }
    case 7: { // dst = REPLACE$(text, find, replacement)
        StrRef d = PickStr(s, in), t = PickStr(s, in), f = PickStr(s, in), r = PickStr(s, in);
        std::string want = *t.model;
        if (!ModelReplace(want, *f.model, *r.model)) break;
        *d.impl = REPLACE_Str(*t.impl, *f.impl, *r.impl);
        *d.model = want;
        break;
    }
    case 8: { // SPLITSTR(text, array, separators)
        int a = in.Next() % kArrays;
        StrRef t = PickStr(s, in), sep = PickStr(s, in);
        // The text and the separators are read up to their first NUL.
        std::vector<std::string> want = ModelSplit(CText(*t.model), CText(*sep.model));
        int n = SPLITSTR(*t.impl, s.sarr[a], *sep.impl);
        if (n != static_cast<int>(want.size())) Fail("SPLITSTR count", op);
        Model<std::string>& m = s.msarr[a];
        m.Dim(0, 0, 0, 0);
        m.size[0] = n;
        for (int k = 0; k < n; ++k) m.el[Index{k, 0, 0, 0}] = want[static_cast<std::size_t>(k)];
        break;
    }
    case 9: { // INSTR in its string overloads
        StrRef t = PickStr(s, in), f = PickStr(s, in);
        int start = in.SmallInt(-2, 24);
        int want = ModelInstr(*t.model, *f.model, start);
        if (INSTR(*t.impl, *f.impl, start) != want) Fail("INSTR", op);
        if (INSTR(t.impl->c_str(), f.impl->c_str(), start) != ModelInstr(CText(*t.model), CText(*f.model), start))
            Fail("INSTR of chars", op);
        break;
    }
    case 10: { // dst = FORMAT$(width, decimals, value)
        StrRef d = PickStr(s, in);
        double w = NumberOf(in), dec = NumberOf(in), v = NumberOf(in);
        std::string want = ModelFormat(w, dec, v);
        if (want.size() > static_cast<std::size_t>(kFormatMaxChars)) Fail("FORMAT$ bound", op);
        *d.impl = FORMAT_Str(w, dec, v);
        *d.model = want;
        break;
    }
    case 11: { // dst = UCASE$ / LCASE$ (src)
        StrRef d = PickStr(s, in), a = PickStr(s, in);
        if (in.Next() & 1) {
            std::string want = ModelCase(*a.model, 'a', 'A');
            *d.impl = UCASE_Str(*a.impl);
            *d.model = want;
        } else {
            std::string want = ModelCase(*a.model, 'A', 'a');
            *d.impl = LCASE_Str(*a.impl);
            *d.model = want;
        }
        break;
    }
    case 12: { // ReverseSlashes(dst)
        StrRef d = PickStr(s, in);
        ReverseSlashes(*d.impl);
        for (char& c : *d.model) {
            if (c == '\0') break; // up to the first NUL
            if (c == '\\') c = '/';
        }
        break;
    }
    case 13:
    case 14: { // DIM / REDIM of a string array
        int a = in.Next() % kArrays;
        int sz[4];
        PickShape(in, sz);
        DimBoth(s.sarr[a], s.msarr[a], sz, code % 18 == 14);
        break;
    }
    case 15: { // DIMPUSH(array, value), the value maybe one of its elements
        int a = in.Next() % kArrays;
        StrRef v = PickStr(s, in);
        Model<std::string>& m = s.msarr[a];
        if (m.size[1] != 0) break; // error 8: a second dimension
        std::string want = *v.model;
        DIMPUSH(s.sarr[a], *v.impl);
        m.Redim(m.size[0] + 1, 0, 0, 0);
        m.el[Index{m.size[0] - 1, 0, 0, 0}] = want;
        break;
    }
    case 16: { // whole string array assignment, possibly onto itself
        int x = in.Next() % kArrays, y = in.Next() % kArrays;
        s.sarr[x] = s.sarr[y];
        s.msarr[x] = s.msarr[y];
        break;
    }
    case 17: { // comparisons of two strings
        StrRef a = PickStr(s, in), b = PickStr(s, in);
        // == of two strings compares lengths and every byte; the others
        // compare the texts as C strings.
        bool same = *a.model == *b.model;
        int c = CText(*a.model).compare(CText(*b.model));
        const DGStr& x = *a.impl;
        const DGStr& y = *b.impl;
        if ((x == y) != same || (x != y) != (c != 0) || (x < y) != (c < 0) || (x > y) != (c > 0) ||
            (x <= y) != (c <= 0) || (x >= y) != (c >= 0))
            Fail("comparison", op);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // VALUES_TRACE=1 in the environment lists every operation's first bytes
    // on standard error: the way to read a reproducer.
    static const bool trace = std::getenv("VALUES_TRACE") != nullptr;
    Bytes in{data, size};
    State s;
    for (int op = 0; op < kMaxOps && !in.Empty(); ++op) {
        if (trace) std::fprintf(stderr, "operation %d: kind %d, code %d\n", op, in.p[0], in.n > 1 ? in.p[1] : 0);
        std::uint8_t kind = in.Next();
        if (kind < 200)
            StringOp(s, in, op);
        else if (kind < 228)
            NumberArrayOp(s.narr, s.mnarr, in);
        else
            NumberArrayOp(s.iarr, s.miarr, in);
        CheckAll(s, op);
    }
    return 0;
}
