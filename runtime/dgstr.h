#pragma once
// DGStr, the dialect's string value, and CGStr, a literal of the translated
// program. Every arithmetic operator on strings concatenates; every
// comparison of a string with a number compares numbers.
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "runtime/number_text.h"

namespace __VELTRIC__ {

// The shared empty text of every unallocated DGStr: never written, never freed.
extern const char* const DGSTR_NULL;

class CGStr {
public:
    CGStr(const char* s = "") : m_str(s ? s : "") {}
    const char* c_str() const { return m_str; }
    double Number() const;
    int Natural() const;

private:
    const char* m_str;
};

class DGStr {
public:
    DGStr();
    DGStr(const char* s);
    DGStr(CGStr s);
    DGStr(const DGStr& s);
    DGStr(DGStr&& s) noexcept;
    explicit DGStr(int n);
    explicit DGStr(float n);
    explicit DGStr(double n);
    ~DGStr();

    DGStr& operator=(const DGStr& s);
    DGStr& operator=(DGStr&& s) noexcept;
    DGStr& operator=(const char* s);
    DGStr& operator=(CGStr s) { return *this = s.c_str(); }
    DGStr& operator=(int n);
    DGStr& operator=(float n) { return *this = static_cast<double>(n); }
    DGStr& operator=(double n);
    DGStr& Assign(const char* s) { return *this = s; }
    // Frees first, then owns exactly strlen + 1 bytes: the one form that does
    // not round the capacity up.
    void AssignLowMem(const char* s);

    // Makes room for n characters plus the terminator (capacity > n). Grows to
    // the smallest multiple of 16 above n; never shrinks; keeps the text. The
    // room of a new buffer after the text holds NULs.
    void Alloc(std::uint32_t n);

    std::uint32_t Len() const { return m_len; }
    std::uint32_t Capacity() const { return m_capacity; }
    const char* c_str() const { return m_len ? m_text : ""; }
    // Room for n characters; the caller writes the text and calls CalcLen.
    char* GetStrData(std::uint32_t n);
    void CalcLen();
    // The byte at i as a signed char; 0 for an empty string or i outside the buffer.
    int GetAt(int i) const;
    // Stores c at i inside the text. A byte other than NUL at or past the end
    // (still inside the buffer) extends the text to end with it, the room
    // between holding NULs; an index outside the buffer is ignored.
    void SetAt(int i, char c);
    // Cuts the text at position n (nothing happens at or past the end).
    void Left(int n);
    // Drops trailing control characters (bytes 0 to 31); blanks and bytes of
    // 128 and above stay.
    void TrimRight();

    int Compare(const char* s) const;
    int Compare(const int& n) const;
    int Compare(const double& d) const;
    double Number() const;
    int Natural() const;

    // Appending: all five operators append the operand's text.
    DGStr& Append(const char* s, std::uint32_t n);
    DGStr& operator+=(const DGStr& s) { return Append(s.m_text, s.m_len); }
    DGStr& operator+=(const char* s);
    DGStr& operator+=(CGStr s) { return *this += s.c_str(); }
    DGStr& operator+=(int n);
    DGStr& operator+=(float n) { return *this += static_cast<double>(n); }
    DGStr& operator+=(double n);
#define VELTRIC_DGSTR_APPEND_ALIAS(op)                                   \
    DGStr& operator op(const DGStr& s) { return *this += s; }            \
    DGStr& operator op(CGStr s) { return *this += s; }                   \
    DGStr& operator op(int n) { return *this += n; }                     \
    DGStr& operator op(float n) { return *this += n; }                   \
    DGStr& operator op(double n) { return *this += n; }
    VELTRIC_DGSTR_APPEND_ALIAS(-=)
    VELTRIC_DGSTR_APPEND_ALIAS(*=)
    VELTRIC_DGSTR_APPEND_ALIAS(/=)
    VELTRIC_DGSTR_APPEND_ALIAS(^=)
#undef VELTRIC_DGSTR_APPEND_ALIAS

private:
    char* m_text;
    std::uint32_t m_capacity;
    std::uint32_t m_len;
};

// ---- operator families --------------------------------------------------
// Operands are DGStr, CGStr, int, float or double, at least one a string:
// the 16 pairs of the dialect, all served by one body per family.
namespace strop {

template <class T> constexpr bool is_str = std::is_same_v<T, DGStr> || std::is_same_v<T, CGStr>;
template <class T> constexpr bool is_num =
    std::is_same_v<T, int> || std::is_same_v<T, float> || std::is_same_v<T, double>;
template <class L, class R>
using Enable = std::enable_if_t<(is_str<L> || is_str<R>) && (is_str<L> || is_num<L>) &&
                                    (is_str<R> || is_num<R>),
                                int>;

// An operand's text without copying strings: a string's own characters, a
// number's text formatted into the piece itself.
struct Piece {
    const char* text;
    std::uint32_t len;
    char buf[kNumberTextMax];

    explicit Piece(const DGStr& s) : text(s.c_str()), len(s.Len()) {}
    explicit Piece(CGStr s) : text(s.c_str()), len(static_cast<std::uint32_t>(std::strlen(s.c_str()))) {}
    explicit Piece(int n) : text(buf), len(static_cast<std::uint32_t>(FormatInteger(n, buf))) {}
    explicit Piece(float n) : Piece(static_cast<double>(n)) {}
    explicit Piece(double n) : text(buf), len(static_cast<std::uint32_t>(FormatNumber(n, buf))) {}
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;
};

// One allocation for the result: room for both texts is made first.
template <class L, class R> DGStr Concat(const L& a, const R& b)
{
    Piece pa(a), pb(b);
    DGStr r;
    r.Alloc(pa.len + pb.len);
    r.Append(pa.text, pa.len);
    r.Append(pb.text, pb.len);
    return r;
}

inline const char* Chars(const DGStr& s) { return s.c_str(); }
inline const char* Chars(CGStr s) { return s.c_str(); }

// Three-way comparison with the operand order kept; unordered when a NaN
// takes part (then only != holds).
enum class Order { Less, Equal, Greater, Unordered };
Order CompareText(const char* a, const char* b);
Order CompareDouble(double a, double b);
inline Order CompareInt(int a, int b)
{
    return a < b ? Order::Less : (a > b ? Order::Greater : Order::Equal);
}

template <class L, class R> Order Compare(const L& a, const R& b)
{
    if constexpr (is_str<L> && is_str<R>) {
        return CompareText(Chars(a), Chars(b));
    } else if constexpr (std::is_same_v<L, int>) {
        return CompareInt(a, b.Natural());
    } else if constexpr (std::is_same_v<R, int>) {
        return CompareInt(a.Natural(), b);
    } else if constexpr (is_num<L>) {
        return CompareDouble(static_cast<double>(a), b.Number());
    } else {
        return CompareDouble(a.Number(), static_cast<double>(b));
    }
}

} // namespace strop

// A temporary on the left (the middle of a + b + c) is grown in place
// instead of being copied once more.
#define VELTRIC_STR_CONCAT_OP(op)                                         \
    template <class L, class R, strop::Enable<L, R> = 0>                  \
    DGStr operator op(const L& a, const R& b) { return strop::Concat(a, b); } \
    template <class R, strop::Enable<DGStr, R> = 0>                       \
    DGStr operator op(DGStr&& a, const R& b)                              \
    {                                                                     \
        a += b;                                                           \
        return std::move(a);                                              \
    }
VELTRIC_STR_CONCAT_OP(+)
VELTRIC_STR_CONCAT_OP(-)
VELTRIC_STR_CONCAT_OP(*)
VELTRIC_STR_CONCAT_OP(/)
VELTRIC_STR_CONCAT_OP(^)
#undef VELTRIC_STR_CONCAT_OP

#define VELTRIC_STR_COMPARE_OP(op, test)                                  \
    template <class L, class R, strop::Enable<L, R> = 0>                  \
    int operator op(const L& a, const R& b)                               \
    {                                                                     \
        strop::Order o = strop::Compare(a, b);                            \
        return (test) ? 1 : 0;                                            \
    }
VELTRIC_STR_COMPARE_OP(<, o == strop::Order::Less)
VELTRIC_STR_COMPARE_OP(>, o == strop::Order::Greater)
VELTRIC_STR_COMPARE_OP(<=, o == strop::Order::Less || o == strop::Order::Equal)
VELTRIC_STR_COMPARE_OP(>=, o == strop::Order::Greater || o == strop::Order::Equal)
VELTRIC_STR_COMPARE_OP(!=, o != strop::Order::Equal)
#undef VELTRIC_STR_COMPARE_OP

// Equality of two strings answers from the lengths first.
int StrEquals(const DGStr& a, const DGStr& b);
template <class L, class R, strop::Enable<L, R> = 0> int operator==(const L& a, const R& b)
{
    if constexpr (std::is_same_v<L, DGStr> && std::is_same_v<R, DGStr>)
        return StrEquals(a, b);
    else
        return strop::Compare(a, b) == strop::Order::Equal ? 1 : 0;
}

} // namespace __VELTRIC__
