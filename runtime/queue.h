#pragma once
// Queue<T>: the growable array of the engine objects (items, count, capacity,
// growth step, minimum capacity). Elements are trivially copyable records.
#include <cstdlib>
#include <cstring>
#include <new>

namespace __VELTRIC__ {

template <class T> class Queue {
public:
    Queue(int step = 128, int minimum = 512) : m_step(step > 0 ? step : 1), m_min(minimum) {}
    ~Queue() { std::free(m_items); }
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    // Keeps the storage when the capacity exceeds n; otherwise grows to
    // step * (n / step + 1) elements above the minimum, to the minimum below.
    bool AllocAtLeast(int n)
    {
        if (m_capacity > n) return true;
        int cap = n > m_min ? m_step * (n / m_step + 1) : m_min;
        T* p = static_cast<T*>(std::realloc(m_items, sizeof(T) * static_cast<std::size_t>(cap)));
        if (!p) return false;
        m_items = p;
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
    int Count() const { return m_count; }
    int Capacity() const { return m_capacity; }
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
