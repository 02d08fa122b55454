#include "runtime/string_cmds.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/number_text.h"

namespace __VELTRIC__ {

namespace {

// First occurrence of find (n >= 1 bytes) in [p, end), or null: the first
// byte by memchr, then the rest compared.
const char* Find(const char* p, const char* end, const char* find, std::size_t n)
{
    const char first = find[0];
    while (static_cast<std::size_t>(end - p) >= n) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<std::size_t>(end - p) - n + 1));
        if (!p)
            return nullptr;
        if (std::memcmp(p + 1, find + 1, n - 1) == 0)
            return p;
        ++p;
    }
    return nullptr;
}

// The one search rule of INSTR and REPLACE$.
int Instr(const char* text, std::size_t len, const char* find, std::size_t findLen, int start)
{
    if (start != 0 && (len == 0 || start < 0 || static_cast<std::size_t>(start) > len))
        return -1;
    if (findLen == 0)
        return start;
    const char* p = Find(text + start, text + len, find, findLen);
    return p ? static_cast<int>(p - text) : -1;
}

std::size_t Length(CGStr s) { return std::strlen(s.c_str()); }
std::size_t Length(const DGStr& s) { return s.Len(); }

template <class A, class B> int InstrOf(const A& text, const B& find, int start)
{
    return Instr(text.c_str(), Length(text), find.c_str(), Length(find), start);
}

DGStr Piece(const char* p, std::size_t n)
{
    DGStr s;
    s.Alloc(static_cast<std::uint32_t>(n));
    s.Append(p, static_cast<std::uint32_t>(n));
    return s;
}

template <char From, char To> DGStr MapCase(const DGStr& text)
{
    DGStr r(text);
    if (r.Len() == 0)
        return r;
    char* p = r.GetStrData(r.Len());
    for (std::uint32_t i = 0; i < r.Len(); ++i)
        if (p[i] >= From && p[i] <= From + 25)
            p[i] = static_cast<char>(p[i] - From + To);
    return r;
}

// A whole-number argument given as a double, cut toward zero into int range.
int Truncate(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= INT_MAX)
        return INT_MAX;
    if (v <= -INT_MAX)
        return -INT_MAX;
    return static_cast<int>(v);
}

} // namespace

int LEN(const DGStr& text) { return static_cast<int>(text.Len()); }

int LEN(int n)
{
    char buf[kNumberTextMax];
    return static_cast<int>(FormatInteger(n, buf));
}

int LEN(double n)
{
    char buf[kNumberTextMax];
    return static_cast<int>(FormatNumber(n, buf));
}

DGStr MID_Str(const DGStr& text, int start, int count)
{
    const std::int64_t len = text.Len();
    // The start is tested before it is subtracted: no overflow for any start.
    if (start < 0 || start > len)
        return DGStr();
    std::int64_t n = count < 0 ? len : count;
    if (n > len - start)
        n = len - start;
    if (n < 1)
        return DGStr();
    return Piece(text.c_str() + start, static_cast<std::size_t>(n));
}

DGStr LCASE_Str(const DGStr& text) { return MapCase<'A', 'a'>(text); }
DGStr UCASE_Str(const DGStr& text) { return MapCase<'a', 'A'>(text); }

int ASC(const DGStr& text) { return static_cast<unsigned char>(text.c_str()[0]); }

DGStr CHR_Str(int code)
{
    char s[2] = {static_cast<char>(code & 255), 0};
    return DGStr(s);
}

int INSTR(CGStr text, CGStr find, int start) { return InstrOf(text, find, start); }
int INSTR(CGStr text, const DGStr& find, int start) { return InstrOf(text, find, start); }
int INSTR(const DGStr& text, CGStr find, int start) { return InstrOf(text, find, start); }
int INSTR(const DGStr& text, const DGStr& find, int start) { return InstrOf(text, find, start); }
int INSTR(const char* text, const char* find, int start)
{
    return InstrOf(CGStr(text), CGStr(find), start);
}

DGStr REPLACE_Str(DGStr text, const DGStr& find, const DGStr& replacement)
{
    const std::size_t f = find.Len(), r = replacement.Len(), len = text.Len();
    // An empty find would match at every position without ever advancing.
    if (f == 0 || len == 0)
        return text;
    const char* fp = find.c_str();
    const char* rp = replacement.c_str();
    if (f == r) {
        char* t = text.GetStrData(static_cast<std::uint32_t>(len));
        for (char* m = const_cast<char*>(Find(t, t + len, fp, f)); m;
             m = const_cast<char*>(Find(m + f, t + len, fp, f)))
            std::memcpy(m, rp, r);
        return text;
    }
    // Lengths differ: find every match first, then build the result in one
    // allocation. Matches are found left to right in the original text, each
    // search resuming behind the previous match, which is exactly where the
    // search resumes behind the inserted replacement.
    const char* t = text.c_str();
    const char* end = t + len;
    std::vector<std::size_t> at;
    for (const char* m = Find(t, end, fp, f); m; m = Find(m + f, end, fp, f))
        at.push_back(static_cast<std::size_t>(m - t));
    if (at.empty())
        return text;
    // The pieces are appended by their lengths, not measured again up to a
    // NUL: a NUL in the text or the replacement is kept, as it is when the
    // lengths are equal.
    const std::size_t outLen = len - at.size() * f + at.size() * r;
    DGStr out;
    out.Alloc(static_cast<std::uint32_t>(outLen));
    std::size_t from = 0;
    for (std::size_t m : at) {
        out.Append(t + from, static_cast<std::uint32_t>(m - from));
        out.Append(rp, static_cast<std::uint32_t>(r));
        from = m + f;
    }
    out.Append(t + from, static_cast<std::uint32_t>(len - from));
    return out;
}

int SPLITSTR(const DGStr& text, DGArray<DGStr>& array, const DGStr& separators)
{
    // The text and the separators may be elements of the array itself
    // (re-splitting a piece into the same array): read the separators and
    // copy the text before the first piece overwrites or moves them.
    bool isSep[256] = {};
    for (const unsigned char* s = reinterpret_cast<const unsigned char*>(separators.c_str()); *s; ++s)
        isSep[*s] = true;
    const DGStr copy(text);
    array.Empty();
    const char* p = copy.c_str();
    const char* end = p + strnlen(p, copy.Len());
    while (p < end) {
        while (p < end && isSep[static_cast<unsigned char>(*p)])
            ++p;
        if (p == end)
            break;
        const char* q = p;
        while (q < end && !isSep[static_cast<unsigned char>(*q)])
            ++q;
        array.Push(Piece(p, static_cast<std::size_t>(q - p)));
        p = q;
    }
    return static_cast<int>(array.Count());
}

DGStr FORMAT_Str(double width, double decimals, double value)
{
    // Bounded so that a stray argument (a timestamp passed as the width)
    // cannot ask for gigabytes: no double has a non-zero digit past its
    // 1074th decimal, and its fixed-point form has at most 309 digits before
    // the point, so every text stays within kFormatMaxChars.
    int w = Truncate(width);
    int d = Truncate(decimals);
    if (w > kFormatMaxChars)
        w = kFormatMaxChars;
    if (w < -kFormatMaxChars)
        w = -kFormatMaxChars;
    if (d < 0)
        d = 0;
    if (d > kFormatMaxDecimals)
        d = kFormatMaxDecimals;
    // Measure first: the text can be longer than any fixed buffer (a wide
    // field, many decimals, or a large value in fixed point).
    int n = std::snprintf(nullptr, 0, "%*.*f", w, d, value);
    DGStr r;
    if (n <= 0)
        return r;
    char* p = r.GetStrData(static_cast<std::uint32_t>(n));
    std::snprintf(p, static_cast<std::size_t>(n) + 1, "%*.*f", w, d, value);
    r.CalcLen();
    return r;
}

char* __findOneOf(char* text, const char* set)
{
    if (!text || !set)
        return nullptr;
    for (; *text; ++text)
        if (std::strchr(set, *text))
            return text;
    return nullptr;
}

char* __findOneNotOf(char* text, const char* set)
{
    if (!text)
        return nullptr;
    if (!set)
        set = "";
    for (; *text; ++text)
        if (!std::strchr(set, *text))
            return text;
    return nullptr;
}

DGStr __Bytes2Hex(const unsigned char* bytes, int count)
{
    DGStr r;
    if (count <= 0 || !bytes)
        return r;
    static const char kDigits[] = "0123456789ABCDEF";
    const std::uint32_t n = static_cast<std::uint32_t>(count);
    char* p = r.GetStrData(2 * n);
    for (std::uint32_t i = 0; i < n; ++i) {
        p[2 * i] = kDigits[bytes[i] >> 4];
        p[2 * i + 1] = kDigits[bytes[i] & 15];
    }
    p[2 * n] = '\0';
    r.CalcLen();
    return r;
}

void ReverseSlashes(DGStr& text)
{
    if (text.Len() == 0)
        return;
    for (char* p = text.GetStrData(text.Len()); *p; ++p)
        if (*p == '\\')
            *p = '/';
}

} // namespace __VELTRIC__
