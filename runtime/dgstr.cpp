#include "runtime/dgstr.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/number_text.h"

namespace __VELTRIC__ {

namespace {
const char kEmpty[1] = {0};

double TextToNumber(const char* s) { return std::strtod(s, nullptr); }

bool IsUnallocated(const char* p) { return p == DGSTR_NULL || p == nullptr; }
} // namespace

const char* const DGSTR_NULL = kEmpty;

double CGStr::Number() const { return TextToNumber(m_str); }
int CGStr::Natural() const { return TextToInteger(m_str); }

DGStr::DGStr() : m_text(const_cast<char*>(DGSTR_NULL)), m_capacity(0), m_len(0) {}

DGStr::DGStr(const char* s) : DGStr() { *this = s ? s : ""; }
DGStr::DGStr(CGStr s) : DGStr() { *this = s.c_str(); }

DGStr::DGStr(const DGStr& s) : DGStr()
{
    Alloc(s.m_len);
    std::memcpy(m_text, s.m_text, s.m_len);
    m_text[s.m_len] = '\0';
    m_len = s.m_len;
}

DGStr::DGStr(DGStr&& s) noexcept : m_text(s.m_text), m_capacity(s.m_capacity), m_len(s.m_len)
{
    s.m_text = const_cast<char*>(DGSTR_NULL);
    s.m_capacity = 0;
    s.m_len = 0;
}

DGStr::DGStr(int n) : DGStr() { *this = n; }
DGStr::DGStr(float n) : DGStr() { *this = static_cast<double>(n); }
DGStr::DGStr(double n) : DGStr() { *this = n; }

DGStr::~DGStr()
{
    if (!IsUnallocated(m_text))
        delete[] m_text;
    m_text = nullptr;
    m_capacity = 0;
    m_len = 0;
}

void DGStr::Alloc(std::uint32_t n)
{
    if (m_capacity > n)
        return;
    if (n > UINT32_MAX - 16)
        throw std::bad_alloc();
    std::uint32_t cap = (n & ~std::uint32_t(15)) + 16;
    char* p = new char[cap];
    std::uint32_t keep = 0;
    if (!IsUnallocated(m_text)) {
        keep = m_len;
        std::memcpy(p, m_text, keep);
        delete[] m_text;
    }
    // The new room reads as NULs: a caller that fills it from GetStrData
    // and leaves out the terminator, or reads it with GetAt, never meets
    // bytes that were not written.
    std::memset(p + keep, 0, cap - keep);
    m_text = p;
    m_capacity = cap;
}

DGStr& DGStr::operator=(const DGStr& s)
{
    if (this != &s) {
        Alloc(s.m_len);
        std::memcpy(m_text, s.m_text, s.m_len);
        m_text[s.m_len] = '\0';
        m_len = s.m_len;
    }
    return *this;
}

DGStr& DGStr::operator=(DGStr&& s) noexcept
{
    if (this != &s) {
        if (!IsUnallocated(m_text))
            delete[] m_text;
        m_text = s.m_text;
        m_capacity = s.m_capacity;
        m_len = s.m_len;
        s.m_text = const_cast<char*>(DGSTR_NULL);
        s.m_capacity = 0;
        s.m_len = 0;
    }
    return *this;
}

DGStr& DGStr::operator=(const char* s)
{
    if (!s) s = "";
    std::size_t n = std::strlen(s);
    // The source may lie inside our own buffer; it then fits the capacity,
    // so Alloc keeps the buffer and memmove copies it safely.
    Alloc(static_cast<std::uint32_t>(n));
    std::memmove(m_text, s, n);
    m_text[n] = '\0';
    m_len = static_cast<std::uint32_t>(n);
    return *this;
}

DGStr& DGStr::operator=(int n)
{
    Alloc(kNumberTextMax);
    m_len = static_cast<std::uint32_t>(FormatInteger(n, m_text));
    return *this;
}

DGStr& DGStr::operator=(double n)
{
    Alloc(kNumberTextMax);
    m_len = static_cast<std::uint32_t>(FormatNumber(n, m_text));
    return *this;
}

void DGStr::AssignLowMem(const char* s)
{
    if (!s) s = "";
    std::size_t n = std::strlen(s);
    // Copy before freeing: the source may be our own text.
    char* p = new char[n + 1];
    std::memcpy(p, s, n + 1);
    if (!IsUnallocated(m_text))
        delete[] m_text;
    m_text = p;
    m_capacity = static_cast<std::uint32_t>(n + 1);
    m_len = static_cast<std::uint32_t>(n);
}

char* DGStr::GetStrData(std::uint32_t n)
{
    Alloc(n);
    return m_text;
}

void DGStr::CalcLen()
{
    if (m_capacity == 0 || IsUnallocated(m_text)) {
        m_len = 0;
        return;
    }
    const void* z = std::memchr(m_text, 0, m_capacity);
    if (z) {
        m_len = static_cast<std::uint32_t>(static_cast<const char*>(z) - m_text);
    } else {
        // No terminator inside the buffer: keep the invariant by cutting.
        m_len = m_capacity - 1;
        m_text[m_len] = '\0';
    }
}

int DGStr::GetAt(int i) const
{
    if (m_len == 0 || i < 0 || static_cast<std::uint32_t>(i) >= m_capacity)
        return 0;
    return static_cast<signed char>(m_text[i]);
}

void DGStr::SetAt(int i, char c)
{
    if (i < 0 || static_cast<std::uint32_t>(i) >= m_capacity || IsUnallocated(m_text))
        return;
    const std::uint32_t at = static_cast<std::uint32_t>(i);
    // Inside the text, and any NUL (past the end it only stores a
    // terminator a later CalcLen may find): stored as it is, the length
    // kept.
    if (at < m_len || c == '\0') {
        m_text[at] = c;
        return;
    }
    // A byte at or past the end would overwrite the terminator, and every
    // reader of the text as a C string would run on past the buffer.
    // Instead the text grows to end with that byte: the room between reads
    // as NULs (as a buffer filled from GetStrData does before CalcLen), and
    // the terminator follows it, in a grown buffer when the byte takes the
    // last place.
    Alloc(at + 1);
    std::memset(m_text + m_len, 0, at - m_len);
    m_text[at] = c;
    m_text[at + 1] = '\0';
    m_len = at + 1;
}

void DGStr::Left(int n)
{
    if (n < 0) n = 0;
    if (static_cast<std::uint32_t>(n) >= m_len)
        return; // also leaves the shared empty buffer untouched
    m_text[n] = '\0';
    CalcLen();
}

void DGStr::TrimRight()
{
    while (m_len > 0 && static_cast<unsigned char>(m_text[m_len - 1]) < 32) {
        m_text[--m_len] = '\0';
    }
}

int DGStr::Compare(const char* s) const { return std::strcmp(c_str(), s ? s : ""); }

int DGStr::Compare(const int& n) const
{
    int v = Natural();
    return v < n ? -1 : (v > n ? 1 : 0);
}

int DGStr::Compare(const double& d) const
{
    double v = Number();
    if (d > v) return -1;
    if (v > d) return 1;
    return 0;
}

double DGStr::Number() const { return TextToNumber(c_str()); }
int DGStr::Natural() const { return TextToInteger(c_str()); }

DGStr& DGStr::Append(const char* s, std::uint32_t n)
{
    std::uint64_t total = std::uint64_t(m_len) + n;
    if (total > UINT32_MAX - 16)
        throw std::bad_alloc();
    // Appending our own text: remember where it sits, the buffer may move.
    bool own = !IsUnallocated(m_text) && s >= m_text && s < m_text + m_capacity;
    std::size_t offset = own ? static_cast<std::size_t>(s - m_text) : 0;
    Alloc(static_cast<std::uint32_t>(total));
    if (own) s = m_text + offset;
    std::memmove(m_text + m_len, s, n);
    m_len = static_cast<std::uint32_t>(total);
    m_text[m_len] = '\0';
    return *this;
}

DGStr& DGStr::operator+=(const char* s)
{
    if (!s) return *this;
    return Append(s, static_cast<std::uint32_t>(std::strlen(s)));
}

DGStr& DGStr::operator+=(int n)
{
    char buf[kNumberTextMax];
    std::size_t len = FormatInteger(n, buf);
    return Append(buf, static_cast<std::uint32_t>(len));
}

DGStr& DGStr::operator+=(double n)
{
    char buf[kNumberTextMax];
    std::size_t len = FormatNumber(n, buf);
    return Append(buf, static_cast<std::uint32_t>(len));
}

namespace strop {

Order CompareText(const char* a, const char* b)
{
    int c = std::strcmp(a, b);
    return c < 0 ? Order::Less : (c > 0 ? Order::Greater : Order::Equal);
}

Order CompareDouble(double a, double b)
{
    if (std::isnan(a) || std::isnan(b)) return Order::Unordered;
    return a < b ? Order::Less : (a > b ? Order::Greater : Order::Equal);
}

} // namespace strop

int StrEquals(const DGStr& a, const DGStr& b)
{
    if (a.Len() != b.Len()) return 0;
    return std::memcmp(a.c_str(), b.c_str(), a.Len()) == 0 ? 1 : 0;
}

} // namespace __VELTRIC__
