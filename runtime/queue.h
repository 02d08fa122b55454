#pragma once
// Queue<T>: the growable array of the engine objects (items, count, capacity,
// growth step, minimum capacity). Plain records are moved with realloc;
// records that own storage (mesh frames, world objects) live in an array made
// with new[], so their constructors and destructors run, and are carried over
// to a grown array with their own assignment.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace __VELTRIC__ {

template <class T> class Queue {
    static constexpr bool kPlain = std::is_trivially_copyable<T>::value;

public:
    Queue(int step = 128, int minimum = 512) : m_step(step > 0 ? step : 1), m_min(minimum) {}
    ~Queue() { Free(); }
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    // Keeps the storage when the capacity exceeds n; otherwise grows to
    // step * (n / step + 1) elements above the minimum, to the minimum below.
    bool AllocAtLeast(int n)
    {
        if (m_capacity > n) return true;
        long long want = n > m_min ? static_cast<long long>(m_step) * (n / m_step + 1) : m_min;
        if (want < n || want > INT_MAX) return false; // no capacity for n fits an int
        int cap = static_cast<int>(want);
        if constexpr (kPlain) {
            T* p = static_cast<T*>(std::realloc(m_items, sizeof(T) * static_cast<std::size_t>(cap)));
            if (!p) return false;
            m_items = p;
        } else {
            T* p = new (std::nothrow) T[static_cast<std::size_t>(cap)];
            if (!p) return false;
            for (int i = 0; i < m_count; ++i) p[i] = m_items[i];
            delete[] m_items;
            m_items = p;
        }
        m_capacity = cap;
        return true;
    }
    bool Push(const T& v)
    {
        if (!AllocAtLeast(m_count + 1)) return false;
        m_items[m_count++] = v;
        return true;
    }
    void Clear() { m_count = 0; }
    // Empties the queue and releases its array (capacity 0).
    void Free()
    {
        if constexpr (kPlain) std::free(m_items);
        else delete[] m_items;
        m_items = nullptr;
        m_count = 0;
        m_capacity = 0;
    }
    // Sets the count within the capacity (the owner fills the elements).
    bool SetCount(int n)
    {
        if (n < 0 || n > m_capacity) return false;
        m_count = n;
        return true;
    }
    // Changes the growth step and the minimum used by later growth.
    void SetGrowth(int step, int minimum)
    {
        m_step = step > 0 ? step : 1;
        m_min = minimum;
    }
    int Count() const { return m_count; }
    int Capacity() const { return m_capacity; }
    int Step() const { return m_step; }
    int Minimum() const { return m_min; }
    T* Items() { return m_items; }
    const T* Items() const { return m_items; }
    T& operator[](int i) { return m_items[i]; }
    const T& operator[](int i) const { return m_items[i]; }

private:
    T* m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
    int m_step;
    int m_min;
};

} // namespace __VELTRIC__
