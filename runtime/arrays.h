#pragma once
// The dialect's arrays: DGIntArray (numbers), DGNatArray (32-bit integers)
// and DGArray<T> (strings, bytes, records). Up to four dimensions, the first
// index running fastest; every element access is checked and a bad index,
// a failed allocation or a DIMPUSH on a multi-dimensional array ends the
// program (errors 9, 7 and 8).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "runtime/dgstr.h"

namespace __VELTRIC__ {

namespace arrays_detail {

// Fatal array errors: record the number and end the program.
[[noreturn]] void IndexError();   // 9
[[noreturn]] void StorageError(); // 7
[[noreturn]] void PushError();    // 8

// Positions a size of dimension 2 to 4 takes in the layout: an absent (0)
// or negative size takes one, like a size of 1.
inline int Span(int s) { return s > 1 ? s : 1; }

// Product of the sizes with absent or negative sizes counting as 1,
// saturated so that no size combination can wrap.
std::int64_t ElementCount(int s1, int s2, int s3, int s4);

// Storage granted for a count: whole granules with one granule to spare, so
// a count that is already a multiple still gets one more. -1 when the storage
// could never be held: its bytes exceed the machine's memory. Refusing those
// up front gives a clean error 7 instead of the allocator or the kernel
// ending the process.
std::int64_t CapacityFor(std::int64_t count, int granule, std::size_t elementSize);

// The shape of an array: strides, sizes and dimension count, in that order.
// Strides are 64-bit: the offset of any admitted index fits, whatever sizes
// were asked for.
struct Shape {
    std::int64_t stride[3];
    int size[4];
    int dims;

    void Clear()
    {
        stride[0] = stride[1] = stride[2] = 0;
        size[0] = size[1] = size[2] = size[3] = 0;
        dims = 0;
    }
    // Stores the sizes (s1 below 1 as 0), their strides and the dimension count.
    void Set(int s1, int s2, int s3, int s4);
    std::int64_t Count() const { return ElementCount(size[0], size[1], size[2], size[3]); }

    // Offset of element (i1, i2, i3, i4) or -1 when an index is out of range.
    // A negative first index counts from the end. A dimension the array does
    // not have admits only index 0, so a stray index can never reach past the
    // storage.
    std::int64_t Offset(int i1, int i2, int i3, int i4) const
    {
        if (i1 < 0)
            i1 += size[0];
        if ((i1 | i2 | i3 | i4) < 0 || i1 >= size[0])
            return -1;
        if (i2 >= (size[1] ? size[1] : 1) || i3 >= (size[2] ? size[2] : 1) ||
            i4 >= (size[3] ? size[3] : 1))
            return -1;
        return i1 + i2 * stride[0] + i3 * stride[1] + i4 * stride[2];
    }

    // Offset of flat element i of the first dimension, or -1.
    std::int64_t Offset1(int i) const
    {
        if (i < 0)
            i += size[0];
        if (i < 0 || i >= size[0])
            return -1;
        return i;
    }
};

// Calls f(from, to) for every element index whose four indices fit both
// shapes: the part that survives a REDIM.
template <class F> void ForEachOverlap(const Shape& a, const Shape& b, F f)
{
    if (a.dims < 1)
        return;
    const int n1 = a.size[0] < b.size[0] ? a.size[0] : b.size[0];
    if (n1 <= 0)
        return;
    // Indices a dimension admits: its size, only 0 when it is absent, none
    // when its size is negative. The overlap of a dimension is the smaller of
    // the two counts, so an absent dimension in either shape keeps index 0 of
    // it and every index of the dimensions beyond it that both shapes admit.
    auto admits = [](int s) { return s > 0 ? s : (s == 0 ? 1 : 0); };
    auto common = [&](int k) {
        int x = admits(a.size[k]), y = admits(b.size[k]);
        return x < y ? x : y;
    };
    int n2 = common(1);
    int n3 = common(2);
    int n4 = common(3);
    for (int i4 = 0; i4 < n4; ++i4)
        for (int i3 = 0; i3 < n3; ++i3)
            for (int i2 = 0; i2 < n2; ++i2) {
                std::int64_t oa = i2 * a.stride[0] + i3 * a.stride[1] + i4 * a.stride[2];
                std::int64_t ob = i2 * b.stride[0] + i3 * b.stride[1] + i4 * b.stride[2];
                for (int i1 = 0; i1 < n1; ++i1)
                    f(oa + i1, ob + i1);
            }
}

// Storage of the number arrays: inline room for 16 elements, used while the
// capacity is at most InlineUse; larger storage comes from the heap.
template <class E, int InlineUse> class NumericArray {
public:
    static constexpr int kGranule = 8;

    NumericArray() : m_pData(nullptr), m_Capacity(0) { m_Shape.Clear(); }
    // Copies own their storage: the copy is DIMmed to the source's sizes and
    // gets its elements.
    NumericArray(const NumericArray& s) : NumericArray() { CopyFrom(s); }
    NumericArray& operator=(const NumericArray& s)
    {
        CopyFrom(s);
        return *this;
    }
    ~NumericArray() { Release(); }

    // Every element 0. Storage is reused (and cleared whole) when it is large
    // enough and s1 is at least 1; otherwise it is replaced.
    void Dim(int s1, int s2, int s3, int s4)
    {
        if (s1 < 1)
            s1 = 0;
        std::int64_t cap = CapacityFor(ElementCount(s1, s2, s3, s4), kGranule, sizeof(E));
        if (cap < 0)
            StorageError();
        if (cap <= m_Capacity && s1 >= 1) {
            std::memset(static_cast<void*>(m_pData), 0, static_cast<std::size_t>(m_Capacity) * sizeof(E));
        } else {
            Release();
            if (cap <= InlineUse) {
                std::memset(static_cast<void*>(m_Inline), 0, sizeof(m_Inline));
                m_pData = m_Inline;
            } else {
                m_pData = static_cast<E*>(std::calloc(static_cast<std::size_t>(cap), sizeof(E)));
                if (!m_pData) {
                    m_Capacity = 0;
                    m_Shape.Clear();
                    StorageError();
                }
            }
            m_Capacity = cap;
        }
        m_Shape.Set(s1, s2, s3, s4);
    }

    // New sizes; elements whose indices fit both the old and the new sizes
    // keep their values, all others are 0.
    void Redim(int s1, int s2, int s3, int s4)
    {
        NumericArray t;
        t.Dim(s1, s2, s3, s4);
        ForEachOverlap(m_Shape, t.m_Shape,
                       [&](std::int64_t from, std::int64_t to) { t.m_pData[to] = m_pData[from]; });
        if (!IsInline() && !t.IsInline()) {
            Release();
            m_pData = t.m_pData;
            m_Capacity = t.m_Capacity;
            m_Shape = t.m_Shape;
            t.m_pData = nullptr;
            t.m_Capacity = 0;
        } else {
            CopyFrom(t);
        }
    }

    E& operator()(int i1, int i2 = 0, int i3 = 0, int i4 = 0)
    {
        std::int64_t o = m_Shape.Offset(i1, i2, i3, i4);
        if (o < 0 || !m_pData)
            IndexError();
        return m_pData[o];
    }
    const E& operator()(int i1, int i2 = 0, int i3 = 0, int i4 = 0) const
    {
        return const_cast<NumericArray&>(*this)(i1, i2, i3, i4);
    }

    // Sizes of dimensions 0..3; 0 for any other number.
    int Bounds(int d) const { return d >= 0 && d < 4 ? m_Shape.size[d] : 0; }
    int Dims() const { return m_Shape.dims; }
    std::int64_t Count() const { return m_Shape.Count(); }
    std::int64_t Capacity() const { return m_Capacity; }
    bool IsInline() const { return m_pData == m_Inline; }
    // The elements, first index fastest (null before the first DIM).
    E* Data() { return m_pData; }
    const E* Data() const { return m_pData; }
    const Shape& GetShape() const { return m_Shape; }

protected:
    // DIM to the source's sizes, then copy its elements. Copying onto itself
    // changes nothing.
    void CopyFrom(const NumericArray& s)
    {
        if (&s == this)
            return;
        Dim(s.m_Shape.size[0], s.m_Shape.size[1], s.m_Shape.size[2], s.m_Shape.size[3]);
        if (s.m_pData) {
            std::int64_t n = m_Shape.Count();
            if (m_Shape.size[0] > 0 && n > 0)
                std::memcpy(static_cast<void*>(m_pData), s.m_pData, static_cast<std::size_t>(n) * sizeof(E));
        }
    }

private:
    void Release()
    {
        if (m_pData && m_pData != m_Inline)
            std::free(m_pData);
        m_pData = nullptr;
        m_Capacity = 0;
    }

    E* m_pData;
    E m_Inline[16];
    Shape m_Shape;
    std::int64_t m_Capacity;
};

} // namespace arrays_detail

// Numbers (8-byte doubles); inline storage while the capacity is at most 16.
class DGIntArray : public arrays_detail::NumericArray<double, 16> {};

// 32-bit integers; the inline room holds 16 but is used only while the
// capacity is at most 8.
class DGNatArray : public arrays_detail::NumericArray<int, 8> {};

// Storage granule of a generic array's element type.
template <class T> struct DGArrayGranule { static constexpr int value = 8; };
template <> struct DGArrayGranule<DGStr> { static constexpr int value = 64; };
template <> struct DGArrayGranule<unsigned char> { static constexpr int value = 64; };
template <> struct DGArrayGranule<char> { static constexpr int value = 64; };

// An array of any element type. Elements are built with T() (the empty
// value: "", 0, a freshly built record) and owned by the array.
template <class T> class DGArray {
public:
    static constexpr int kGranule = DGArrayGranule<T>::value;

    DGArray() : m_pData(nullptr), m_Capacity(0) { m_Shape.Clear(); }
    DGArray(const DGArray& s) : DGArray() { CopyFrom(s); }
    DGArray& operator=(const DGArray& s)
    {
        CopyFrom(s);
        return *this;
    }
    ~DGArray() { Release(); }

    // Every element T's empty value. Storage is reused (every element of it
    // reset) when large enough and s1 is at least 1; otherwise replaced.
    void Dim(int s1, int s2, int s3, int s4)
    {
        if (s1 < 1)
            s1 = 0;
        std::int64_t cap = CapacityFor(arrays_detail::ElementCount(s1, s2, s3, s4));
        if (cap <= m_Capacity && s1 >= 1) {
            for (std::int64_t i = 0; i < m_Capacity; ++i)
                m_pData[i] = T();
        } else {
            Release();
            m_pData = Allocate(cap);
            m_Capacity = cap;
        }
        m_Shape.Set(s1, s2, s3, s4);
    }

    // New sizes; elements whose four indices fit both the old and the new
    // sizes keep their values, all others are empty.
    void Redim(int s1, int s2, int s3, int s4)
    {
        DGArray t;
        t.Dim(s1, s2, s3, s4);
        ForEachOverlap(m_Shape, t.m_Shape, [&](std::int64_t from, std::int64_t to) {
            t.m_pData[to] = std::move(m_pData[from]);
        });
        Release();
        m_pData = t.m_pData;
        m_Capacity = t.m_Capacity;
        m_Shape = t.m_Shape;
        t.m_pData = nullptr;
        t.m_Capacity = 0;
    }

    // Appends one element to a one-dimensional (or empty) array. The storage
    // grows geometrically, so a run of pushes costs constant time per element.
    void Push(T&& value)
    {
        int n = m_Shape.size[0];
        if ((m_Shape.size[1] | m_Shape.size[2] | m_Shape.size[3]) != 0 || n == 0x7fffffff) {
            PushSlow(std::move(value));
            return;
        }
        if (n + 1 >= m_Capacity)
            Grow(std::int64_t(n) + 1 + m_Capacity);
        m_pData[n] = std::move(value);
        // The shape of one dimension of n + 1 elements.
        m_Shape.size[0] = n + 1;
        m_Shape.stride[0] = m_Shape.stride[1] = m_Shape.stride[2] = n + 1;
        m_Shape.dims = 1;
    }

    // Pushes that leave the one-dimensional fast path: a second dimension
    // (error 8), a third or fourth one (re-dimensioned to one dimension
    // first), or a full first dimension (error 7).
    void PushSlow(T&& value)
    {
        if (m_Shape.size[1] != 0)
            arrays_detail::PushError();
        int n = m_Shape.size[0];
        if (n == 0x7fffffff)
            arrays_detail::StorageError();
        Redim(n + 1, 0, 0, 0);
        m_pData[n] = std::move(value);
    }

    // Drops every element from the shape, keeping the storage (and the
    // elements' buffers for reuse).
    void Empty() { m_Shape.Clear(); }

    T& operator()(int i1, int i2, int i3 = 0, int i4 = 0)
    {
        std::int64_t o = m_Shape.Offset(i1, i2, i3, i4);
        if (o < 0 || !m_pData)
            arrays_detail::IndexError();
        return m_pData[o];
    }
    const T& operator()(int i1, int i2, int i3 = 0, int i4 = 0) const
    {
        return const_cast<DGArray&>(*this)(i1, i2, i3, i4);
    }
    // Element i of the first dimension.
    T& operator()(int i)
    {
        std::int64_t o = m_Shape.Offset1(i);
        if (o < 0 || !m_pData)
            arrays_detail::IndexError();
        return m_pData[o];
    }
    const T& operator()(int i) const { return const_cast<DGArray&>(*this)(i); }

    int Bounds(int d) const { return d >= 0 && d < 4 ? m_Shape.size[d] : 0; }
    int Dims() const { return m_Shape.dims; }
    std::int64_t Count() const { return m_Shape.Count(); }
    std::int64_t Capacity() const { return m_Capacity; }
    T* Data() { return m_pData; }
    const T* Data() const { return m_pData; }
    const arrays_detail::Shape& GetShape() const { return m_Shape; }

private:
    static std::int64_t CapacityFor(std::int64_t count)
    {
        std::int64_t cap = arrays_detail::CapacityFor(count, kGranule, sizeof(T));
        if (cap < 0)
            arrays_detail::StorageError();
        return cap;
    }
    // Moves the elements of the first dimension onto storage for at least
    // count elements. Plain element types skip building the new storage: its
    // slots past the count are written before they are ever read.
    void Grow(std::int64_t count)
    {
        std::int64_t cap = CapacityFor(count);
        const int n = m_Shape.size[0];
        T* p;
        if constexpr (std::is_trivially_copyable_v<T> && std::is_trivially_default_constructible_v<T>) {
            p = new (std::nothrow) T[static_cast<std::size_t>(cap)];
            if (!p)
                arrays_detail::StorageError();
            if (n > 0)
                std::memcpy(static_cast<void*>(p), m_pData, static_cast<std::size_t>(n) * sizeof(T));
        } else {
            p = Allocate(cap);
            for (int i = 0; i < n; ++i)
                p[i] = std::move(m_pData[i]);
        }
        Release();
        m_pData = p;
        m_Capacity = cap;
    }
    static T* Allocate(std::int64_t cap)
    {
        T* p = new (std::nothrow) T[static_cast<std::size_t>(cap)]();
        if (!p)
            arrays_detail::StorageError();
        return p;
    }
    void Release()
    {
        delete[] m_pData;
        m_pData = nullptr;
        m_Capacity = 0;
    }
    void CopyFrom(const DGArray& s)
    {
        if (&s == this)
            return;
        Dim(s.m_Shape.size[0], s.m_Shape.size[1], s.m_Shape.size[2], s.m_Shape.size[3]);
        if (s.m_pData && m_Shape.size[0] > 0) {
            std::int64_t n = m_Shape.Count();
            for (std::int64_t i = 0; i < n; ++i)
                m_pData[i] = s.m_pData[i];
        }
    }

    T* m_pData;
    arrays_detail::Shape m_Shape;
    std::int64_t m_Capacity;
};

// ---- commands -------------------------------------------------------------

inline void DIM(DGIntArray& a, int s1, int s2 = 0, int s3 = 0, int s4 = 0) { a.Dim(s1, s2, s3, s4); }
inline void DIM(DGNatArray& a, int s1, int s2 = 0, int s3 = 0, int s4 = 0) { a.Dim(s1, s2, s3, s4); }
template <class T> void DIM(DGArray<T>& a, int s1, int s2 = 0, int s3 = 0, int s4 = 0)
{
    a.Dim(s1, s2, s3, s4);
}

inline void REDIM(DGIntArray& a, int s1, int s2 = 0, int s3 = 0, int s4 = 0) { a.Redim(s1, s2, s3, s4); }
inline void REDIM(DGNatArray& a, int s1, int s2 = 0, int s3 = 0, int s4 = 0) { a.Redim(s1, s2, s3, s4); }
template <class T> void REDIM(DGArray<T>& a, int s1, int s2 = 0, int s3 = 0, int s4 = 0)
{
    a.Redim(s1, s2, s3, s4);
}

// Appends a copy of value to a one-dimensional array; error 8 when the
// array has a second dimension.
template <class T> void DIMPUSH(DGArray<T>& a, T value) { a.Push(std::move(value)); }

// One dimension of n elements, element i = values[i].
void DIMDATA(DGNatArray& a, int n, int* values);
void DIMDATA(DGIntArray& a, int n, double* values);

// Size of dimension d (0 = first .. 3 = fourth); 0 for any other d.
inline int BOUNDS(DGIntArray& a, int d) { return a.Bounds(d); }
inline int BOUNDS(DGNatArray& a, int d) { return a.Bounds(d); }

} // namespace __VELTRIC__
