#pragma once
// FixedDeque<T>: a ring buffer of fixed capacity with insertion and removal
// at any position. The ends are O(1); a change inside rebuilds the list once
// into a spare array, so no element moves twice. Nothing is allocated after
// resize().
#include <new>
#include <utility>

namespace __VELTRIC__ {

template <typename T> class FixedDeque {
public:
    FixedDeque() = default;
    virtual ~FixedDeque() { release(); }
    FixedDeque(const FixedDeque&) = delete;
    FixedDeque& operator=(const FixedDeque&) = delete;

    // Drops the contents and makes room for n elements (none for n = 0).
    // False, with capacity 0, when the arrays cannot be had.
    bool resize(unsigned int n)
    {
        release();
        if (n == 0) return true;
        m_buffer = new (std::nothrow) T[n];
        m_spare = new (std::nothrow) T[n];
        if (!m_buffer || !m_spare) {
            release();
            return false;
        }
        m_capacity = n;
        return true;
    }

    void clear()
    {
        m_head = m_tail = 0;
        m_empty = true;
    }

    unsigned int capacity() const { return m_capacity; }
    unsigned int head() const { return m_head; }
    unsigned int tail() const { return m_tail; }
    bool isEmpty() const { return m_empty; }
    bool isFull() const { return !m_empty && m_head == m_tail; }
    unsigned int size() const
    {
        if (m_empty) return 0;
        return m_tail > m_head ? m_tail - m_head : m_tail + m_capacity - m_head;
    }

    // Element i, 0 being the front; i < size().
    T& operator[](unsigned int i) { return m_buffer[(m_head + i) % m_capacity]; }
    const T& operator[](unsigned int i) const { return m_buffer[(m_head + i) % m_capacity]; }
    // The back element; the list must not be empty.
    T& back() { return m_buffer[m_tail == 0 ? m_capacity - 1 : m_tail - 1]; }

    int popBack()
    {
        if (m_empty) return 0;
        m_tail = m_tail == 0 ? m_capacity - 1 : m_tail - 1;
        m_empty = m_head == m_tail;
        return 1;
    }

    // Puts v at index i (0 = front, size() = behind the back): 1, or 0 when
    // full or i > size().
    int insert(unsigned int i, const T& v)
    {
        if (m_capacity == 0 || i > size()) return 0;
        const unsigned int p = (m_head + i) % m_capacity;
        if (p == m_tail) {
            if (isFull()) return 0;
            m_buffer[p] = v;
            m_empty = false;
            m_tail = (m_tail + 1) % m_capacity;
            return 1;
        }
        if (p == m_head) {
            m_head = m_head == 0 ? m_capacity - 1 : m_head - 1;
            m_buffer[m_head] = v;
            m_empty = false;
            return 1;
        }
        if (isFull()) return 0;
        const unsigned int n = size();
        for (unsigned int k = 0; k < i; ++k) m_spare[k] = (*this)[k];
        m_spare[i] = v;
        for (unsigned int k = i; k < n; ++k) m_spare[k + 1] = (*this)[k];
        std::swap(m_buffer, m_spare);
        m_head = 0;
        m_tail = n + 1 == m_capacity ? 0 : n + 1;
        m_empty = false;
        return 1;
    }

    // Takes out element i: 1, or 0 when i >= size().
    int remove(unsigned int i)
    {
        if (m_capacity == 0 || i >= size()) return 0;
        const unsigned int p = (m_head + i) % m_capacity;
        const unsigned int last = m_tail == 0 ? m_capacity - 1 : m_tail - 1;
        if (p == last) {
            m_tail = last;
            m_empty = m_head == m_tail;
            return 1;
        }
        if (p == m_head) {
            m_head = (m_head + 1) % m_capacity;
            m_empty = m_head == m_tail;
            return 1;
        }
        const unsigned int n = size();
        unsigned int out = 0;
        for (unsigned int k = 0; k < n; ++k)
            if (k != i) m_spare[out++] = (*this)[k];
        std::swap(m_buffer, m_spare);
        m_head = 0;
        m_tail = n - 1;
        return 1;
    }

private:
    void release()
    {
        delete[] m_buffer;
        delete[] m_spare;
        m_buffer = m_spare = nullptr;
        m_capacity = 0;
        clear();
    }

    T* m_buffer = nullptr;
    T* m_spare = nullptr;
    unsigned int m_capacity = 0;
    unsigned int m_head = 0;
    unsigned int m_tail = 0;
    bool m_empty = true;
};

} // namespace __VELTRIC__
