// The string commands: lengths, MID$, case, codes, INSTR in every overload,
// REPLACE$, SPLITSTR, FORMAT$ and the raw buffer helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "runtime/string_cmds.h"

using namespace __VELTRIC__;

namespace {

DGStr S(const char* s) { return DGStr(CGStr(s)); }

TEST(StringLen, TextAndNumberText)
{
    EXPECT_EQ(LEN(DGStr()), 0);
    EXPECT_EQ(LEN(S("abc")), 3);
    EXPECT_EQ(LEN(-12), 3);
    EXPECT_EQ(LEN(2.5), 3);
    EXPECT_EQ(LEN(0.25), 3);
    EXPECT_EQ(LEN(100.0), 3);
    EXPECT_EQ(LEN(0.5), 2);
    EXPECT_EQ(LEN(1e20), 15);
}

TEST(StringMid, PositionsInsideAndOutsideTheText)
{
    struct {
        const char* text;
        int start, count;
        const char* want;
    } cases[] = {
        {"Hello", 1, 3, "ell"},  {"Hello", 2, -1, "llo"},  {"Hello", 4, 10, "o"},
        {"Hello", 5, 1, ""},     {"Hello", -1, 2, ""},     {"Hello", 0, -1, "Hello"},
        {"Hello", 6, 1, ""},     {"Hello", 0, 0, ""},      {"Hello", 1, INT_MAX, "ello"},
        {"Hello", INT_MIN, 3, ""}, {"Hello", INT_MAX, -1, ""}, {"", 0, -1, ""},
    };
    for (const auto& c : cases) {
        DGStr r = MID_Str(S(c.text), c.start, c.count);
        EXPECT_STREQ(r.c_str(), c.want) << c.text << " " << c.start << " " << c.count;
        EXPECT_EQ(r.Len(), std::strlen(c.want));
    }
}

TEST(StringCase, OnlyAsciiLettersChange)
{
    EXPECT_STREQ(UCASE_Str(S("stra\xc3\x9f" "e 1a")).c_str(), "STRA\xc3\x9f" "E 1A");
    EXPECT_STREQ(LCASE_Str(S("\xc0" "BC[@Z]")).c_str(), "\xc0" "bc[@z]");
    EXPECT_STREQ(UCASE_Str(S("`az{")).c_str(), "`AZ{");
    DGStr src = S("Keep");
    LCASE_Str(src);
    EXPECT_STREQ(src.c_str(), "Keep");
}

TEST(StringCodes, AscAndChr)
{
    EXPECT_EQ(ASC(DGStr()), 0);
    EXPECT_EQ(ASC(S("\xe9x")), 233);
    EXPECT_EQ(ASC(S("A")), 65);
    EXPECT_STREQ(CHR_Str(321).c_str(), "A");
    EXPECT_EQ(CHR_Str(256).Len(), 0u);
    EXPECT_EQ(CHR_Str(0).Len(), 0u);
    EXPECT_EQ(ASC(CHR_Str(233)), 233);
    EXPECT_STREQ(CHR_Str(-191).c_str(), "A");
}

TEST(StringInstr, OneRuleForEveryOverload)
{
    struct {
        const char* text;
        const char* find;
        int start, want;
    } cases[] = {
        {"banana", "an", 0, 1}, {"banana", "an", 2, 3},  {"banana", "an", 4, -1},
        {"banana", "a", 5, 5},  {"abc", "", 3, 3},       {"abc", "", 4, -1},
        {"abc", "a", -1, -1},   {"abc", "", 0, 0},       {"", "", 0, 0},
        {"", "", 1, -1},        {"", "x", 0, -1},        {"abc", "c", 3, -1},
        {"abc", "abcd", 0, -1}, {"abc", "b", INT_MIN, -1}, {"abc", "b", INT_MAX, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.find + " / " + std::to_string(c.start));
        DGStr t = S(c.text), f = S(c.find);
        EXPECT_EQ(INSTR(c.text, c.find, c.start), c.want);
        EXPECT_EQ(INSTR(CGStr(c.text), CGStr(c.find), c.start), c.want);
        EXPECT_EQ(INSTR(CGStr(c.text), f, c.start), c.want);
        EXPECT_EQ(INSTR(t, CGStr(c.find), c.start), c.want);
        EXPECT_EQ(INSTR(t, f, c.start), c.want);
    }
}

// A text of any bytes, NULs included.
DGStr B(const std::string& s)
{
    DGStr r("");
    r.Append(s.data(), static_cast<std::uint32_t>(s.size()));
    return r;
}

TEST(StringReplace, EveryOccurrenceOnceLeftToRight)
{
    using namespace std::string_literals;
    struct {
        std::string text, find, repl, want;
    } cases[] = {
        {"aaa", "a", "aa", "aaaaaa"},   {"abab", "ab", "", ""},       {"a.b.c", ".", "::", "a::b::c"},
        {"abc", "x", "y", "abc"},       {"hello", "l", "L", "heLLo"}, {"aaaa", "aa", "b", "bb"},
        {"aaa", "aa", "b", "ba"},       {"", "a", "b", ""},           {"xabcx", "abc", "abc", "xabcx"},
        {"abc", "", "zz", "abc"},       {"ab", "ab", "xyz", "xyz"},   {"aXbXc", "X", "XX", "aXXbXXc"},
        // a NUL in the text or the replacement is kept, whatever the lengths
        {"a\0bc"s, "b", "XX", "a\0XXc"s}, {"a\0bc"s, "b", "Y", "a\0Yc"s}, {"abc", "b", "\0\0"s, "a\0\0c"s},
    };
    for (const auto& c : cases) {
        DGStr r = REPLACE_Str(B(c.text), B(c.find), B(c.repl));
        EXPECT_EQ(std::string(r.c_str(), r.Len()), c.want) << c.text << " / " << c.find << " / " << c.repl;
    }
    DGStr src = S("keep");
    REPLACE_Str(src, S("e"), S("E"));
    EXPECT_STREQ(src.c_str(), "keep");
}

std::vector<std::string> Pieces(DGArray<DGStr>& a)
{
    std::vector<std::string> v;
    for (int i = 0; i < a.Bounds(0); ++i)
        v.push_back(a(i).c_str());
    return v;
}

TEST(StringSplit, SeparatorsAreASetAndMakeNoEmptyPieces)
{
    using V = std::vector<std::string>;
    struct {
        const char *text, *seps;
        V want;
    } cases[] = {
        {"  a,,b ,c  ", " ,", {"a", "b", "c"}},
        {"", ",", {}},
        {"abc", "", {"abc"}},
        {",,,", ",", {}},
        {"one", ",", {"one"}},
        {"k=v;x=y", "=;", {"k", "v", "x", "y"}},
        {"\xe9|\xff", "|", {"\xe9", "\xff"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        DGArray<DGStr> a;
        DIM(a, 2, 3); // earlier shape and contents are dropped
        a(1, 2) = S("stale");
        int n = SPLITSTR(S(c.text), a, S(c.seps));
        EXPECT_EQ(n, static_cast<int>(c.want.size()));
        EXPECT_EQ(Pieces(a), c.want);
        EXPECT_EQ(a.Dims(), c.want.empty() ? 0 : 1);
    }
}

// The text or the separators are elements of the array being filled: the
// first piece overwrites the element and a long split moves the storage.
TEST(StringSplit, TextAndSeparatorsFromTheArrayItself)
{
    using V = std::vector<std::string>;
    std::string many;
    V manyPieces;
    for (int i = 0; i < 150; ++i) {
        many += "k" + std::to_string(i) + "=";
        manyPieces.push_back("k" + std::to_string(i));
    }
    struct {
        const char* name;
        V before;     // the array's elements before the split
        int text;     // index of the element split
        int seps;     // index of the element holding the separators, -1: "="
        V want;
    } cases[] = {
        {"first element", {"a=b=c"}, 0, -1, {"a", "b", "c"}},
        {"last of three", {"x", "y", "p=q"}, 2, -1, {"p", "q"}},
        {"separators from the array", {"a;b=c", "=;"}, 0, 1, {"a", "b", "c"}},
        {"separators overwritten by the first piece", {"=", "k=v"}, 1, 0, {"k", "v"}},
        {"storage grows during the split", {many}, 0, -1, manyPieces},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DGArray<DGStr> parts;
        for (const std::string& e : c.before)
            DIMPUSH(parts, S(e.c_str()));
        DGStr eq = S("=");
        const DGStr& seps = c.seps < 0 ? eq : parts(c.seps);
        int n = SPLITSTR(parts(c.text), parts, seps);
        EXPECT_EQ(n, static_cast<int>(c.want.size()));
        EXPECT_EQ(Pieces(parts), c.want);
    }
}

TEST(StringFormat, FixedPointOfAnyLength)
{
    struct {
        double width, decimals, value;
        const char* want;
    } cases[] = {
        {8, 3, 3.14159, "   3.142"}, {0, 2, 2.5, "2.50"}, {-6, 1, 2.5, "2.5   "},
        {8.9, 3.9, 3.14159, "   3.142"}, {0, -2, 3.7, "4"}, {3, 0, -1.5, " -2"},
        {NAN, 1, 1, "1.0"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FORMAT_Str(c.width, c.decimals, c.value).c_str(), c.want)
            << c.width << " " << c.decimals << " " << c.value;

    DGStr wide = FORMAT_Str(300, 0, 1);
    EXPECT_EQ(wide.Len(), 300u);
    EXPECT_EQ(wide.c_str()[299], '1');
    DGStr huge = FORMAT_Str(0, 2, 1e300); // 301 digits, the point and 2 decimals
    EXPECT_EQ(huge.Len(), 304u);
    EXPECT_STREQ(huge.c_str() + 301, ".00");
    DGStr left = FORMAT_Str(-1000, 1, 0.5);
    EXPECT_EQ(left.Len(), 1000u);
    EXPECT_EQ(std::string(left.c_str(), 3), "0.5");
}

// Widths and decimal counts from stray numbers (a timestamp, an infinity)
// give a bounded text at once; what a double can show is never cut.
TEST(StringFormat, HugeWidthsAndDecimalsAreBounded)
{
    struct {
        const char* name;
        double width, decimals, value;
        std::size_t len;   // expected length
        const char* start; // expected first characters
        const char* end;   // expected last characters
    } cases[] = {
        {"timestamp as width", 1e12, 2, 1.5, 4096, "    ", " 1.50"},
        {"timestamp as decimals", 0, 1e12, 1, 1076, "1.000", "000"},
        {"huge negative width", -1e12, 0, 7, 4096, "7   ", "    "},
        {"width at the bound", 4096, 0, 7, 4096, "    ", "   7"},
        {"width one past the bound", 4097, 0, 7, 4096, "    ", "   7"},
        {"infinite width", INFINITY, 1, 2, 4096, "    ", " 2.0"},
        {"negative infinite width", -INFINITY, 1, 2, 4096, "2.0 ", "    "},
        {"infinite decimals", 0, INFINITY, 0.5, 1076, "0.500", "000"},
        {"negative infinite decimals", 0, -INFINITY, 2.25, 1, "2", "2"},
        {"NaN width and decimals", NAN, NAN, 3.5, 1, "4", "4"},
        {"smallest denormal, every digit", 0, 1e9, 4.9406564584124654e-324, 1076, "0.000",
         "3447265625"}, // its last digit is the 1074th decimal
        {"largest double, every digit", 0, 1e9, -1.7976931348623157e308, 1385, "-17976931348623157",
         "000"},
        {"infinite value", 1e12, 2, INFINITY, 4096, "    ", " inf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DGStr r = FORMAT_Str(c.width, c.decimals, c.value);
        std::string t(r.c_str(), r.Len());
        ASSERT_EQ(t.size(), c.len);
        EXPECT_EQ(t.substr(0, std::strlen(c.start)), c.start);
        EXPECT_EQ(t.substr(t.size() - std::strlen(c.end)), c.end);
    }
}

TEST(StringBuffers, FindOneOfAndNotOf)
{
    char text[] = "  ab,c";
    EXPECT_EQ(__findOneOf(text, ",b"), text + 3);
    EXPECT_EQ(__findOneOf(text, "xyz"), nullptr);
    EXPECT_EQ(__findOneOf(text, ""), nullptr);
    EXPECT_EQ(__findOneNotOf(text, " "), text + 2);
    EXPECT_EQ(__findOneNotOf(text, ""), text);
    EXPECT_EQ(__findOneNotOf(text, " abc,"), nullptr);
    char empty[] = "";
    EXPECT_EQ(__findOneOf(empty, "a"), nullptr);
    EXPECT_EQ(__findOneNotOf(empty, "a"), nullptr);
}

TEST(StringBuffers, BytesToHexAndSlashes)
{
    const unsigned char bytes[] = {0, 171, 255, 0x1f};
    EXPECT_STREQ(__Bytes2Hex(bytes, 3).c_str(), "00ABFF");
    EXPECT_STREQ(__Bytes2Hex(bytes, 4).c_str(), "00ABFF1F");
    EXPECT_EQ(__Bytes2Hex(bytes, 0).Len(), 0u);
    EXPECT_EQ(__Bytes2Hex(bytes, -1).Len(), 0u);

    DGStr path = S("C:\\data\\\\x.png");
    ReverseSlashes(path);
    EXPECT_STREQ(path.c_str(), "C:/data//x.png");
    DGStr none;
    ReverseSlashes(none);
    EXPECT_EQ(none.Len(), 0u);
}

} // namespace
