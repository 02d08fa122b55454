// The string value: its storage rule, the operator families over every pair
// of operand types, appending a string to itself, and the accessors.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "runtime/dgstr.h"

using namespace __VELTRIC__;

namespace {

// ---- every operator exists for exactly the 16 operand pairs ---------------

#define DETECT_OP(name, op)                                                          \
    template <class L, class R, class = void> struct name : std::false_type {};     \
    template <class L, class R>                                                      \
    struct name<L, R, std::void_t<decltype(std::declval<const L&>() op std::declval<const R&>())>> \
        : std::true_type {};
DETECT_OP(HasPlus, +)
DETECT_OP(HasMinus, -)
DETECT_OP(HasTimes, *)
DETECT_OP(HasDivide, /)
DETECT_OP(HasPower, ^)
DETECT_OP(HasEq, ==)
DETECT_OP(HasNe, !=)
DETECT_OP(HasLt, <)
DETECT_OP(HasGt, >)
DETECT_OP(HasLe, <=)
DETECT_OP(HasGe, >=)
#undef DETECT_OP

template <class L, class R> constexpr bool AllOperators()
{
    using Cat = decltype(std::declval<const L&>() + std::declval<const R&>());
    using Cmp = decltype(std::declval<const L&>() < std::declval<const R&>());
    return HasPlus<L, R>::value && HasMinus<L, R>::value && HasTimes<L, R>::value &&
           HasDivide<L, R>::value && HasPower<L, R>::value && HasEq<L, R>::value &&
           HasNe<L, R>::value && HasLt<L, R>::value && HasGt<L, R>::value && HasLe<L, R>::value &&
           HasGe<L, R>::value && std::is_same_v<Cat, DGStr> && std::is_same_v<Cmp, int>;
}

static_assert(AllOperators<int, CGStr>() && AllOperators<int, DGStr>());
static_assert(AllOperators<float, CGStr>() && AllOperators<float, DGStr>());
static_assert(AllOperators<double, CGStr>() && AllOperators<double, DGStr>());
static_assert(AllOperators<CGStr, CGStr>() && AllOperators<CGStr, DGStr>());
static_assert(AllOperators<CGStr, int>() && AllOperators<CGStr, float>() && AllOperators<CGStr, double>());
static_assert(AllOperators<DGStr, CGStr>() && AllOperators<DGStr, DGStr>());
static_assert(AllOperators<DGStr, int>() && AllOperators<DGStr, float>() && AllOperators<DGStr, double>());
// A raw pointer is not an operand: "x" + 1 must stay pointer arithmetic of
// C++, never a silent string, and DGStr + "x" must wrap the literal.
static_assert(!HasPlus<DGStr, const char*>::value && !HasEq<const char*, DGStr>::value);

// ---- concatenation --------------------------------------------------------

struct ConcatCase {
    const char* what;
    DGStr (*make)();
    const char* text;
};

const ConcatCase kConcat[] = {
    {"CGStr - int", [] { return CGStr("a") - 1; }, "a1"},
    {"int * CGStr", [] { return 2 * CGStr("b"); }, "2b"},
    {"double + CGStr", [] { return 1.5 + CGStr("x"); }, "1.5x"},
    {"CGStr ^ double", [] { return CGStr("x") ^ 0.25; }, "x.25"},
    {"double + empty", [] { return 100.0 + CGStr(""); }, "100"},
    {"CGStr + CGStr", [] { return CGStr("a") + CGStr("b"); }, "ab"},
    {"CGStr / DGStr", [] { return CGStr("c") / DGStr("ab"); }, "cab"},
    {"CGStr + float", [] { return CGStr("k") + 2.5f; }, "k2.5"},
    {"DGStr + CGStr", [] { return DGStr("ab") + CGStr("c"); }, "abc"},
    {"DGStr * DGStr", [] { return DGStr("ab") * DGStr("cd"); }, "abcd"},
    {"DGStr - int", [] { return DGStr("v") - -3; }, "v-3"},
    {"DGStr + float", [] { return DGStr("n") + 0.1f; }, "n.1000000015"},
    {"DGStr ^ double", [] { return DGStr("d") ^ 1e20; }, "d1.000000000e+20"},
    {"int + DGStr", [] { return -3 + DGStr("v"); }, "-3v"},
    {"float + DGStr", [] { return 0.5f + DGStr("q"); }, ".5q"},
    {"double - DGStr", [] { return 2.0 - DGStr("w"); }, "2w"},
    {"empty + empty", [] { return DGStr() + DGStr(); }, ""},
    // the temporaries in the middle of a chain are grown in place
    {"chain", [] { return DGStr("a") + 1 + CGStr("b") + 2.5 + DGStr("c") - 0.5f; }, "a1b2.5c.5"},
    {"temporary plus itself", [] {
         DGStr s("ab");
         return std::move(s) + s;
     }, "abab"},
};

TEST(DGStrOperators, EveryArithmeticOperatorConcatenates)
{
    for (const ConcatCase& c : kConcat) {
        DGStr r = c.make();
        EXPECT_STREQ(r.c_str(), c.text) << c.what;
        EXPECT_EQ(r.Len(), std::strlen(c.text)) << c.what;
    }
}

TEST(DGStrOperators, CompoundAssignmentsAppend)
{
    DGStr s("a");
    s += 1;
    s -= 2.5;
    s *= 0.5f;
    s /= CGStr("b");
    s ^= DGStr("c");
    s += "d";
    EXPECT_STREQ(s.c_str(), "a12.5.5bcd");
    EXPECT_EQ(s.Len(), 10u);
}

// ---- comparisons ----------------------------------------------------------

struct CompareCase {
    const char* what;
    int (*test)();
    int expected;
};

const CompareCase kCompare[] = {
    {"\"10\" == 10", [] { return CGStr("10") == 10; }, 1},
    {"10 == DGStr 10", [] { return 10 == DGStr("10"); }, 1},
    {"\"10\" < 9.5", [] { return DGStr("10") < 9.5; }, 0},
    {"\"5\" < 10 compares numbers", [] { return CGStr("5") < 10; }, 1},
    {"10 < \"5\" keeps the sides", [] { return 10 < CGStr("5"); }, 0},
    {"\"abc\" == 0", [] { return DGStr("abc") == 0; }, 1},
    {"\"abc\" < \"abd\"", [] { return CGStr("abc") < CGStr("abd"); }, 1},
    {"\"\" < \"a\"", [] { return DGStr("") < CGStr("a"); }, 1},
    {"\"B\" < \"a\" (byte order)", [] { return CGStr("B") < DGStr("a"); }, 1},
    {"byte 233 sorts after 'z'", [] { return DGStr("\xe9") > DGStr("z"); }, 1},
    {"prefix is smaller", [] { return DGStr("ab") < DGStr("abc"); }, 1},
    {"lengths differ", [] { return DGStr("ab") == DGStr("abc"); }, 0},
    {"same text", [] { return DGStr("ab") == DGStr("ab"); }, 1},
    {"<= on equal", [] { return DGStr("ab") <= CGStr("ab"); }, 1},
    {">= on less", [] { return CGStr("a") >= DGStr("b"); }, 0},
    {"float widened", [] { return 0.5f == DGStr(".5"); }, 1},
    {"float on the right", [] { return DGStr("0.25") > 0.125f; }, 1},
    {"NaN: != holds", [] { return DGStr("nan") != 1.0; }, 1},
    {"NaN: == fails", [] { return DGStr("nan") == 1.0; }, 0},
    {"NaN: < fails", [] { return 1.0 < DGStr("nan"); }, 0},
    {"NaN: >= fails", [] { return DGStr("nan") >= 1.0; }, 0},
    {"NaN against itself", [] { return DGStr("nan") == CGStr("nan"); }, 1},
};

TEST(DGStrOperators, ComparisonsFollowTheOperandTypes)
{
    for (const CompareCase& c : kCompare) EXPECT_EQ(c.test(), c.expected) << c.what;
}

TEST(DGStrOperators, SixComparisonsOfOnePairAgree)
{
    DGStr a("a"), b("b");
    EXPECT_EQ((a < b) + (a <= b) + (a > b) * 10 + (a >= b) * 10, 2);
    EXPECT_EQ(a == b, 0);
    EXPECT_EQ(a != b, 1);
}

TEST(DGStrCompare, RawResultsAndNumberForms)
{
    EXPECT_LT(DGStr("a").Compare("b"), 0);
    EXPECT_GT(DGStr("b").Compare("a"), 0);
    EXPECT_EQ(DGStr("7").Compare(7), 0);
    EXPECT_EQ(DGStr("7").Compare(8), -1);
    EXPECT_EQ(DGStr("2.5").Compare(1.0), 1);
    EXPECT_EQ(DGStr("nan").Compare(1.0), 0);
    EXPECT_EQ(DGStr("  42abc").Natural(), 42);
    EXPECT_DOUBLE_EQ(CGStr(" 1.5e2x").Number(), 150.0);
    EXPECT_EQ(DGStr("99999999999").Natural(), 2147483647) << "out of range stays in int";
}

// ---- storage ----------------------------------------------------------------

TEST(DGStrStorage, CapacityIsTheNextMultipleOfSixteenAboveTheNeed)
{
    const struct {
        unsigned need, capacity;
    } cases[] = {{0, 16}, {1, 16}, {15, 16}, {16, 32}, {31, 32}, {32, 48}, {100, 112}};
    for (const auto& c : cases) {
        DGStr s;
        s.Alloc(c.need);
        EXPECT_EQ(s.Capacity(), c.capacity) << "need " << c.need;
        EXPECT_EQ(s.Len(), 0u);
        EXPECT_STREQ(s.c_str(), "");
    }
}

TEST(DGStrStorage, GrowsKeepingTheTextAndNeverShrinks)
{
    DGStr s("hello");
    s.Alloc(31);
    const char* buffer = s.c_str();
    s.Alloc(20); // fits: the buffer stays
    EXPECT_EQ(s.c_str(), buffer);
    EXPECT_EQ(s.Capacity(), 32u);
    s = "x";
    EXPECT_EQ(s.Capacity(), 32u);
    s.Alloc(40);
    EXPECT_EQ(s.Capacity(), 48u);
    EXPECT_STREQ(s.c_str(), "x");
}

TEST(DGStrStorage, EmptyStringsShareOneBufferUntilWritten)
{
    DGStr empty;
    EXPECT_EQ(empty.Capacity(), 0u);
    EXPECT_STREQ(empty.c_str(), "");
    empty.Left(0); // must not write the shared buffer
    EXPECT_EQ(DGSTR_NULL[0], '\0');
    DGStr copy(empty);
    EXPECT_EQ(copy.Capacity(), 16u);
    EXPECT_EQ(copy.Len(), 0u);
    DGStr fromLiteral("");
    EXPECT_EQ(fromLiteral.Capacity(), 16u);
    DGStr number(3);
    EXPECT_GT(number.Capacity(), 64u) << "numbers format into room for 64";
}

TEST(DGStrStorage, AssignLowMemOwnsExactlyTheText)
{
    DGStr s("a much longer text than three");
    s.AssignLowMem("abc");
    EXPECT_EQ(s.Capacity(), 4u);
    EXPECT_EQ(s.Len(), 3u);
    EXPECT_STREQ(s.c_str(), "abc");
}

// ---- a string as its own operand --------------------------------------------

TEST(DGStrSelfUse, AppendingToItselfGivesTheTextTwice)
{
    struct {
        const char* start;
        void (*op)(DGStr&);
        const char* text;
    } cases[] = {
        {"ab", [](DGStr& s) { s += s; }, "abab"},
        // 15 characters doubled: the buffer moves while its own text is read
        {"0123456789abcde", [](DGStr& s) { s += s; }, "0123456789abcde0123456789abcde"},
        {"0123456789abcde", [](DGStr& s) { s += s.c_str(); }, "0123456789abcde0123456789abcde"},
        {"0123456789abcde", [](DGStr& s) { DGStr& same = s; s ^= same; }, "0123456789abcde0123456789abcde"},
        {"0123456789abcde", [](DGStr& s) { s.Append(s.c_str() + 10, 5); }, "0123456789abcdeabcde"},
        {"xy", [](DGStr& s) { s = s + s; }, "xyxy"},
        {"", [](DGStr& s) { s += s; }, ""},
    };
    for (const auto& c : cases) {
        DGStr s(c.start);
        c.op(s);
        EXPECT_STREQ(s.c_str(), c.text) << c.start;
        EXPECT_EQ(s.Len(), std::strlen(c.text)) << c.start;
    }
}

TEST(DGStrSelfUse, AssigningItsOwnTextKeepsIt)
{
    DGStr s("command line ");
    s = s.c_str(); // the entry stores the command line into itself
    EXPECT_STREQ(s.c_str(), "command line ");
    s = s.c_str() + 8; // a tail of itself
    EXPECT_STREQ(s.c_str(), "line ");
    const DGStr& same = s;
    s = same;
    EXPECT_STREQ(s.c_str(), "line ");
    s.AssignLowMem(s.c_str());
    EXPECT_STREQ(s.c_str(), "line ");
    EXPECT_EQ(s.Capacity(), 6u);
}

// ---- accessors ----------------------------------------------------------------

TEST(DGStrAccess, GetAtGivesSignedBytesAndZeroForEmpty)
{
    DGStr empty;
    EXPECT_EQ(empty.GetAt(0), 0);
    EXPECT_EQ(empty.GetAt(1000), 0);
    DGStr e("\xe9");
    EXPECT_EQ(e.GetAt(0), -23);
    DGStr allocatedEmpty("");
    EXPECT_EQ(allocatedEmpty.GetAt(5), 0);
}

TEST(DGStrAccess, TrimRightDropsTrailingControlCharactersOnly)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"ab\r\n", "ab"},
        {"\r\n\t", ""},
        {"ab \t", "ab "},
        {"a\nb\n", "a\nb"},
        // bytes above 127 are text (a UTF-8 "é" at the end must survive)
        {"caf\xc3\xa9", "caf\xc3\xa9"},
        {"", ""},
    };
    for (const auto& c : cases) {
        DGStr s(c.in);
        s.TrimRight();
        EXPECT_STREQ(s.c_str(), c.out) << c.in;
        EXPECT_EQ(s.Len(), std::strlen(c.out)) << c.in;
    }
}

// Every member that writes by index or through the buffer pointer, at
// indices below, at and past the length and the capacity. Whatever it does,
// the text must end at its length inside its own buffer and hold only bytes
// that were written: a terminator stored over, or room never written, makes
// every command that reads the text as a C string run past the heap block.
struct WriteCase {
    const char* what;
    void (*op)(DGStr&);
    std::string text;        // every byte up to the length
    unsigned capacity;       // 0: any
};

void Fill(DGStr& s, const char* bytes, bool terminate)
{
    char* p = s.GetStrData(static_cast<std::uint32_t>(std::strlen(bytes)) + 4);
    std::memcpy(p, bytes, std::strlen(bytes) + (terminate ? 1 : 0));
    s.CalcLen();
}

const WriteCase kWrites[] = {
    // SetAt
    {"SetAt below the length", [](DGStr& s) { s = "abc"; s.SetAt(1, 'X'); }, "aXc", 16},
    {"SetAt of a NUL below the length keeps the length",
     [](DGStr& s) { s = "abc"; s.SetAt(1, '\0'); }, std::string("a\0c", 3), 16},
    {"SetAt at the length", [](DGStr& s) { s = "abc"; s.SetAt(3, 'x'); }, "abcx", 16},
    {"SetAt past the length: NULs between",
     [](DGStr& s) { s = "abc"; s.SetAt(5, 'x'); }, std::string("abc\0\0x", 6), 16},
    {"SetAt of a NUL at and past the length", [](DGStr& s) { s = "abc"; s.SetAt(3, '\0'); s.SetAt(9, '\0'); }, "abc", 16},
    {"SetAt in the last byte of the buffer grows it",
     [](DGStr& s) { s = "abc"; s.SetAt(15, 'x'); }, std::string("abc") + std::string(12, '\0') + "x", 32},
    {"SetAt at the capacity", [](DGStr& s) { s = "abc"; s.SetAt(16, 'x'); }, "abc", 16},
    {"SetAt at a negative index", [](DGStr& s) { s = "abc"; s.SetAt(-1, 'x'); }, "abc", 16},
    {"SetAt on a string never allocated", [](DGStr& s) { s.SetAt(0, 'x'); }, "", 0},
    {"SetAt at the length of an exact buffer",
     [](DGStr& s) { s.AssignLowMem("abc"); s.SetAt(3, 'x'); }, "abcx", 16},
    {"SetAt after Left: the cut bytes stay cut",
     [](DGStr& s) { s = "abcdef"; s.Left(2); s.SetAt(2, 'X'); }, "abX", 16},
    {"SetAt on a number's text", [](DGStr& s) { s = DGStr(12345); s.SetAt(5, '6'); }, "123456", 80},
    // GetStrData, then SetAt or the pointer, then CalcLen
    {"room filled by SetAt in order, then CalcLen", [](DGStr& s) {
         s.GetStrData(5);
         s.SetAt(0, 'a'); s.SetAt(1, 'b'); s.SetAt(2, 'c'); s.SetAt(3, '\0');
         s.CalcLen();
     }, "abc", 16},
    {"room filled by SetAt out of order, then CalcLen", [](DGStr& s) {
         s.GetStrData(5);
         s.SetAt(2, 'c'); s.SetAt(0, 'a'); s.SetAt(1, 'b');
         s.CalcLen();
     }, "abc", 16},
    {"room filled with its terminator", [](DGStr& s) { Fill(s, "abc", true); }, "abc", 16},
    {"new room filled without a terminator", [](DGStr& s) { Fill(s, "abc", false); }, "abc", 16},
    {"grown room keeps the text and its end", [](DGStr& s) { s = "hello"; s.GetStrData(40); s.CalcLen(); }, "hello", 48},
    {"text overwritten in place without a terminator",
     [](DGStr& s) { s = "abcdef"; std::memcpy(s.GetStrData(3), "XY", 2); s.CalcLen(); }, "XYcdef", 16},
    {"whole buffer filled without a terminator", [](DGStr& s) {
         std::memset(s.GetStrData(15), 'z', 16);
         s.CalcLen();
     }, std::string(15, 'z'), 16},
    // Left
    {"Left below the length", [](DGStr& s) { s = "abcdef"; s.Left(2); }, "ab", 16},
    {"Left at the length and past the capacity", [](DGStr& s) { s = "abcdef"; s.Left(6); s.Left(100); }, "abcdef", 16},
    {"Left at a negative count", [](DGStr& s) { s = "abcdef"; s.Left(-3); }, "", 16},
    {"Left on a string never allocated", [](DGStr& s) { s.Left(5); }, "", 0},
    // TrimRight
    {"TrimRight drops the NULs stored between",
     [](DGStr& s) { s = "abc"; s.SetAt(5, '\n'); s.TrimRight(); }, "abc", 16},
    // number constructors and assignments
    {"int at its low end", [](DGStr& s) { s = DGStr(-2147483647 - 1); }, "-2147483648", 80},
    {"double of many digits", [](DGStr& s) { s = DGStr(-1.7976931348623157e308); }, "-1.797693135e+308", 80},
    {"float widened", [](DGStr& s) { s = DGStr(0.1f); }, ".1000000015", 80},
    {"number into a short buffer", [](DGStr& s) { s = "ab"; s = 4.9406564584124654e-324; }, "4.940656458e-324", 80},
};

TEST(DGStrAccess, EveryWriteKeepsTheTextEndedInsideItsBuffer)
{
    for (const WriteCase& c : kWrites) {
        DGStr s;
        c.op(s);
        EXPECT_EQ(s.Len(), c.text.size()) << c.what;
        if (c.capacity) {
            EXPECT_EQ(s.Capacity(), c.capacity) << c.what;
        }
        if (s.Capacity() == 0) {
            EXPECT_EQ(DGSTR_NULL[0], '\0') << c.what;
            continue;
        }
        EXPECT_LT(s.Len(), s.Capacity()) << c.what;
        EXPECT_EQ(std::string(s.c_str(), s.Len()), c.text) << c.what;
        EXPECT_EQ(s.c_str()[s.Len()], '\0') << c.what << ": the terminator";
        // What every C-string reader of the text does.
        EXPECT_EQ(std::strlen(s.c_str()), std::strlen(c.text.c_str())) << c.what;
        // A copy carries every byte.
        DGStr copy(s);
        EXPECT_EQ(std::string(copy.c_str(), copy.Len()), c.text) << c.what;
    }
}

TEST(DGStrAccess, StrDataThenCalcLen)
{
    DGStr s;
    char* p = s.GetStrData(20);
    std::strcpy(p, "written");
    s.CalcLen();
    EXPECT_EQ(s.Len(), 7u);
    s.SetAt(3, '\0');
    s.CalcLen();
    EXPECT_STREQ(s.c_str(), "wri");
    s.Left(1);
    EXPECT_STREQ(s.c_str(), "w");
    s.Left(10); // past the end: nothing
    EXPECT_STREQ(s.c_str(), "w");
    // A buffer filled without a terminator is cut inside its capacity.
    char* q = s.GetStrData(15);
    std::memset(q, 'z', s.Capacity());
    s.CalcLen();
    EXPECT_EQ(s.Len(), s.Capacity() - 1);
}

} // namespace
