// Arrays: capacities and inline storage, index layout, REDIM, copies,
// DIMPUSH, DIMDATA, and the fatal errors 7, 8 and 9.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fatal_in_child.h"
#include "runtime/arrays.h"

using namespace __VELTRIC__;
using values_test::RunFatal;

namespace {

struct ShapeCase {
    const char* name;
    bool integers; // DGNatArray instead of DGIntArray
    int s[4];
    long capacity;
    bool inlineStorage;
    int dims;
};

TEST(ArrayDim, CapacityInlineStorageAndDimensions)
{
    const ShapeCase cases[] = {
        {"numbers 10", false, {10, 0, 0, 0}, 16, true, 1},
        {"numbers 8", false, {8, 0, 0, 0}, 16, true, 1},
        {"numbers 16", false, {16, 0, 0, 0}, 24, false, 1},
        {"numbers 3x2", false, {3, 2, 0, 0}, 8, true, 2},
        {"numbers 0", false, {0, 0, 0, 0}, 8, true, 0},
        {"numbers -5", false, {-5, 0, 0, 0}, 8, true, 0},
        {"numbers 2x0x3", false, {2, 0, 3, 0}, 8, true, 3},
        {"numbers 2x-1", false, {2, -1, 0, 0}, 8, true, 2},
        {"numbers 2x2x2x2", false, {2, 2, 2, 2}, 24, false, 4},
        {"integers 7", true, {7, 0, 0, 0}, 8, true, 1},
        {"integers 8", true, {8, 0, 0, 0}, 16, false, 1},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.integers) {
            DGNatArray a;
            DIM(a, c.s[0], c.s[1], c.s[2], c.s[3]);
            EXPECT_EQ(a.Capacity(), c.capacity);
            EXPECT_EQ(a.IsInline(), c.inlineStorage);
            EXPECT_EQ(a.Dims(), c.dims);
        } else {
            DGIntArray a;
            DIM(a, c.s[0], c.s[1], c.s[2], c.s[3]);
            EXPECT_EQ(a.Capacity(), c.capacity);
            EXPECT_EQ(a.IsInline(), c.inlineStorage);
            EXPECT_EQ(a.Dims(), c.dims);
            for (int d = 0; d < 4; ++d)
                EXPECT_EQ(BOUNDS(a, d), d == 0 && c.s[0] < 0 ? 0 : c.s[d]);
            EXPECT_EQ(BOUNDS(a, 4), 0);
            EXPECT_EQ(BOUNDS(a, -1), 0);
        }
    }
    DGArray<DGStr> s;
    DIM(s, 64);
    EXPECT_EQ(s.Capacity(), 128);
    DGArray<unsigned char> b;
    DIM(b, 10);
    EXPECT_EQ(b.Capacity(), 64);
}

TEST(ArrayDim, SmallerDimReusesAndClearsWholeStorage)
{
    DGIntArray a;
    DIM(a, 100);
    for (int i = 0; i < 100; ++i)
        a(i) = i + 1;
    const double* storage = a.Data();
    DIM(a, 10, 3);
    EXPECT_EQ(a.Data(), storage);
    EXPECT_EQ(a.Capacity(), 104);
    for (int i = 0; i < 104; ++i)
        EXPECT_EQ(a.Data()[i], 0) << i; // also the part beyond the new count
    DIM(a, 0); // gives the heap storage back
    EXPECT_TRUE(a.IsInline());
    EXPECT_EQ(a.Capacity(), 8);

    DGArray<DGStr> s;
    DIM(s, 5);
    s(4) = CGStr("old");
    DIM(s, 3);
    EXPECT_EQ(s(2).Len(), 0u);
    EXPECT_EQ(s.Data()[4].Len(), 0u);
}

TEST(ArrayAccess, FirstIndexRunsFastestAndNegativeCountsFromTheEnd)
{
    DGIntArray a;
    DIM(a, 3, 2);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 3; ++i)
            a(i, j) = i + 10 * j;
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(a.Data()[k], k % 3 + 10 * (k / 3));
    EXPECT_EQ(&a(-1, 1), &a(2, 1));
    EXPECT_EQ(&a(-3, 0), &a(0, 0));

    DGNatArray n;
    DIM(n, 2, 3, 4, 5);
    n(1, 2, 3, 4) = 77;
    EXPECT_EQ(n.Data()[1 + 2 * 2 + 3 * 6 + 4 * 24], 77);

    DGArray<DGStr> s;
    DIM(s, 4);
    s(3) = CGStr("last");
    EXPECT_STREQ(s(-1).c_str(), "last");
    EXPECT_EQ(&s(2, 0), &s(2));
}

template <class A> void FillCoords(A& a, int n1, int n2, int n3 = 1, int n4 = 1)
{
    for (int l = 0; l < n4; ++l)
        for (int k = 0; k < n3; ++k)
            for (int j = 0; j < n2; ++j)
                for (int i = 0; i < n1; ++i)
                    a(i, j, k, l) = i + 10 * j + 100 * k + 1000 * l;
}

TEST(ArrayRedim, KeepsTheOverlapOfNumberArrays)
{
    DGIntArray a;
    DIM(a, 3, 3);
    FillCoords(a, 3, 3);
    REDIM(a, 2, 2);
    EXPECT_EQ(a.Count(), 4);
    EXPECT_EQ(a(0, 0), 0);
    EXPECT_EQ(a(1, 0), 1);
    EXPECT_EQ(a(0, 1), 10);
    EXPECT_EQ(a(1, 1), 11);
    REDIM(a, 5, 5);
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(a(i, j), (i < 2 && j < 2) ? i + 10 * j : 0) << i << "," << j;

    DGNatArray v; // one dimension grows a second: old elements become (i, 0)
    DIM(v, 4);
    FillCoords(v, 4, 1);
    REDIM(v, 4, 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v(i, 0), i);
        EXPECT_EQ(v(i, 1), 0);
    }

    DGIntArray big; // heap to heap, and down into inline storage
    DIM(big, 40);
    FillCoords(big, 40, 1);
    REDIM(big, 60);
    EXPECT_EQ(big(39), 39);
    REDIM(big, 5);
    EXPECT_EQ(big(4), 4);
    EXPECT_EQ(big.Count(), 5);
}

TEST(ArrayRedim, StringArraysKeepAllFourDimensions)
{
    DGArray<DGStr> s;
    DIM(s, 2, 2, 2, 2);
    for (int l = 0; l < 2; ++l)
        for (int k = 0; k < 2; ++k)
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i)
                    s(i, j, k, l) = DGStr(i + 10 * j + 100 * k + 1000 * l);
    REDIM(s, 3, 3, 3, 3);
    for (int l = 0; l < 3; ++l)
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3; ++j)
                for (int i = 0; i < 3; ++i) {
                    bool kept = i < 2 && j < 2 && k < 2 && l < 2;
                    std::string want = kept ? std::to_string(i + 10 * j + 100 * k + 1000 * l) : "";
                    EXPECT_EQ(s(i, j, k, l).c_str(), want) << i << j << k << l;
                }
}

// Arrays with an absent (0) dimension before a present one: every element
// must have a place of its own, after DIM and after REDIM.
template <class E> E Code(int c) { return static_cast<E>(c); }
template <> DGStr Code<DGStr>(int c) { return DGStr(c); }
double Number(double v) { return v; }
double Number(int v) { return v; }
double Number(const DGStr& v) { return v.Number(); }

// Indices a dimension admits (an absent one only 0) and the code of an index.
int Admits(int size) { return size > 0 ? size : 1; }
int CodeOf(int i, int j, int k, int l) { return 1 + i + 10 * j + 100 * k + 1000 * l; }

template <class A, class F> void ForEachIndex(const int (&s)[4], F f)
{
    for (int l = 0; l < Admits(s[3]); ++l)
        for (int k = 0; k < Admits(s[2]); ++k)
            for (int j = 0; j < Admits(s[1]); ++j)
                for (int i = 0; i < s[0]; ++i)
                    f(i, j, k, l);
}

template <class E, class A> void WriteAllAndReadBack(A& a, const int (&s)[4])
{
    ForEachIndex<A>(s, [&](int i, int j, int k, int l) { a(i, j, k, l) = Code<E>(CodeOf(i, j, k, l)); });
    ForEachIndex<A>(s, [&](int i, int j, int k, int l) {
        EXPECT_EQ(Number(a(i, j, k, l)), CodeOf(i, j, k, l)) << i << "," << j << "," << k << "," << l;
    });
}

template <class E, class A> void CheckZeroSizedShape(const int (&from)[4], const int (&to)[4])
{
    A a;
    a.Dim(from[0], from[1], from[2], from[3]);
    for (int d = 0; d < 4; ++d)
        EXPECT_EQ(a.Bounds(d), from[d]); // sizes reported as given
    WriteAllAndReadBack<E>(a, from);

    a.Redim(to[0], to[1], to[2], to[3]);
    for (int d = 0; d < 4; ++d)
        EXPECT_EQ(a.Bounds(d), to[d]);
    // Kept: every index that both shapes admit; all others empty.
    ForEachIndex<A>(to, [&](int i, int j, int k, int l) {
        bool kept = i < from[0] && j < Admits(from[1]) && k < Admits(from[2]) && l < Admits(from[3]);
        EXPECT_EQ(Number(a(i, j, k, l)), kept ? CodeOf(i, j, k, l) : 0)
            << "after REDIM " << i << "," << j << "," << k << "," << l;
    });
    WriteAllAndReadBack<E>(a, to);
}

TEST(ArrayLayout, AbsentDimensionsBeforePresentOnesShareNoElement)
{
    struct {
        const char* name;
        int from[4];
        int to[4];
    } cases[] = {
        {"second absent", {2, 0, 3, 0}, {3, 0, 4, 0}},
        {"second and third absent", {3, 0, 0, 2}, {3, 0, 0, 3}},
        {"third absent", {2, 3, 0, 2}, {3, 2, 0, 2}},
        {"second absent, fourth present", {2, 0, 3, 4}, {2, 0, 2, 5}},
        {"absent second becomes present", {2, 0, 3, 0}, {2, 2, 3, 0}},
        {"present second becomes absent", {2, 2, 3, 0}, {3, 0, 3, 0}},
        {"one element wide", {1, 0, 0, 5}, {1, 0, 4, 5}},
        {"large, onto the heap", {9, 0, 7, 3}, {10, 0, 8, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            SCOPED_TRACE("numbers");
            CheckZeroSizedShape<double, DGIntArray>(c.from, c.to);
        }
        {
            SCOPED_TRACE("integers");
            CheckZeroSizedShape<int, DGNatArray>(c.from, c.to);
        }
        {
            SCOPED_TRACE("strings");
            CheckZeroSizedShape<DGStr, DGArray<DGStr>>(c.from, c.to);
        }
    }
}

TEST(ArrayCopy, CopiesAreIndependentAndSelfAssignmentKeepsTheElements)
{
    DGIntArray a;
    DIM(a, 30);
    FillCoords(a, 30, 1);
    DGIntArray b;
    b = a;
    a(5) = -1;
    EXPECT_EQ(b(5), 5);
    EXPECT_EQ(b.Count(), 30);
    DGIntArray c(b);
    EXPECT_EQ(c(29), 29);
    EXPECT_NE(c.Data(), b.Data());

    DGIntArray& alias = b;
    b = alias;
    EXPECT_EQ(b(5), 5);
    EXPECT_EQ(b(29), 29);

    DGNatArray n;
    DIM(n, 3);
    n(2) = 9;
    DGNatArray& nalias = n;
    n = nalias;
    EXPECT_EQ(n(2), 9);
    DGNatArray small(n); // inline storage copied, not shared
    small(2) = 1;
    EXPECT_EQ(n(2), 9);

    DGArray<DGStr> s;
    DIM(s, 2, 2);
    s(1, 1) = CGStr("kept");
    DGArray<DGStr>& salias = s;
    s = salias;
    EXPECT_STREQ(s(1, 1).c_str(), "kept");
    DGArray<DGStr> t(s);
    s(1, 1) = CGStr("changed");
    EXPECT_STREQ(t(1, 1).c_str(), "kept");
    EXPECT_EQ(t.Dims(), 2);
}

TEST(ArrayPush, AppendsToOneDimensionKeepingEveryElement)
{
    DGArray<DGStr> s;
    DIMPUSH(s, DGStr(CGStr("first")));
    EXPECT_EQ(s.Count(), 1);
    EXPECT_EQ(s.Dims(), 1);
    for (int i = 1; i < 1000; ++i)
        DIMPUSH(s, DGStr(i));
    EXPECT_EQ(s.Bounds(0), 1000);
    EXPECT_GT(s.Capacity(), s.Count());
    EXPECT_STREQ(s(0).c_str(), "first");
    EXPECT_STREQ(s(999).c_str(), "999");

    // Pushing one of its own elements while the storage moves.
    DGArray<DGStr> t;
    DIMPUSH(t, DGStr(CGStr("x")));
    for (int i = 0; i < 200; ++i)
        DIMPUSH(t, t(0));
    EXPECT_STREQ(t(200).c_str(), "x");

    DGArray<double> d; // onto a DIMmed array: grows it by one
    DIM(d, 3);
    d(2) = 2.5;
    DIMPUSH(d, 7.0);
    EXPECT_EQ(d.Count(), 4);
    EXPECT_EQ(d(2), 2.5);
    EXPECT_EQ(d(3), 7.0);
}

TEST(ArrayDimData, FillsOneDimension)
{
    int ints[] = {4, -5, 6};
    DGNatArray n;
    DIMDATA(n, 3, ints);
    EXPECT_EQ(n.Dims(), 1);
    EXPECT_EQ(n(0), 4);
    EXPECT_EQ(n(-2), -5);
    EXPECT_EQ(n(2), 6);
    double nums[] = {0.5, 1.5};
    DGIntArray a;
    DIMDATA(a, 2, nums);
    EXPECT_EQ(a(1), 1.5);
    DIMDATA(a, 0, nums);
    EXPECT_EQ(a.Dims(), 0);
    EXPECT_EQ(a.Count(), 0);
}

struct FatalCase {
    const char* name;
    int error;
    std::function<void()> code;
};

TEST(ArrayFatal, BadIndexFailedStorageAndPushEndTheProgram)
{
    const FatalCase cases[] = {
        {"second index past its size", 9, [] { DGIntArray a; DIM(a, 3, 2); a(0, 2) = 1; }},
        {"negative first index beyond the start", 9, [] { DGIntArray a; DIM(a, 3, 2); a(-4, 0) = 1; }},
        {"negative second index", 9, [] { DGIntArray a; DIM(a, 3, 2); a(0, -1) = 1; }},
        {"first index at its size", 9, [] { DGNatArray a; DIM(a, 3); a(3) = 1; }},
        {"array never dimensioned", 9, [] { DGIntArray a; a(0) = 1; }},
        {"after DIM to 0", 9, [] { DGIntArray a; DIM(a, 40); DIM(a, 0); a(0) = 1; }},
        {"negative size admits no index", 9, [] { DGIntArray a; DIM(a, 3, -2); a(0, 0) = 1; }},
        {"index on a dimension the array lacks", 9, [] { DGIntArray a; DIM(a, 3); a(0, 1) = 1; }},
        {"string array one past the end", 9, [] { DGArray<DGStr> s; DIM(s, 5); s(5) = CGStr("x"); }},
        {"string array never dimensioned", 9, [] { DGArray<DGStr> s; s(-1) = CGStr("x"); }},
        {"push onto two dimensions", 8,
         [] { DGArray<DGStr> s; DIM(s, 2, 3); DIMPUSH(s, DGStr(CGStr("x"))); }},
        {"numbers 65536 x 65536", 7, [] { DGIntArray a; DIM(a, 65536, 65536); a(65535, 65535) = 1; }},
        {"integers 65536 cubed", 7, [] { DGNatArray a; DIM(a, 65536, 65536, 65536); }},
        {"every size at its largest", 7, [] { DGNatArray a; DIM(a, 2147483647, 2147483647, 2147483647, 2147483647); }},
        {"strings 65536 x 65536", 7, [] { DGArray<DGStr> s; DIM(s, 65536, 65536); }},
        {"REDIM beyond memory", 7, [] { DGIntArray a; DIM(a, 4); REDIM(a, 65536, 65536); }},
    };
    for (const FatalCase& c : cases) {
        SCOPED_TRACE(c.name);
        values_test::FatalReport r = RunFatal(c.code);
        EXPECT_FALSE(r.returned);
        EXPECT_EQ(r.exitStatus, 0);
        EXPECT_EQ(r.Error(), c.error) << r.out;
    }
}

TEST(ArrayFatal, ReportNamesTheLineOfTheBadIndex)
{
    values_test::FatalReport r = RunFatal([] { DGIntArray a; DIM(a, 2); a(2) = 0; }, 12);
    ASSERT_GE(r.numbers.size(), 3u) << r.out;
    EXPECT_EQ(r.numbers[0], 9);
    EXPECT_EQ(r.numbers[1], 11);
    EXPECT_EQ(r.numbers[2], 12);
}

} // namespace
