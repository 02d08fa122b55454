#include "pathfind/search_sets.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace __VELTRIC__ {

SearchSets::~SearchSets() { release(); }

void SearchSets::release()
{
    std::free(m_cells);
    delete[] m_heap;
    m_cells = nullptr;
    m_heap = nullptr;
    m_capacity = 0;
    reset();
}

bool SearchSets::create(std::size_t cells, unsigned int capacity)
{
    release();
    // calloc: a large grid's zero pages are only mapped where the search goes.
    m_cells = static_cast<Cell*>(std::calloc(cells ? cells : 1, sizeof(Cell)));
    if (capacity) m_heap = new (std::nothrow) Entry[capacity];
    if (!m_cells || (capacity && !m_heap)) {
        release();
        return false;
    }
    m_capacity = capacity;
    return true;
}

void SearchSets::reset()
{
    m_size = 0;
    m_closed = 0;
    m_order = 0;
}

std::uint64_t SearchSets::keyOf(float f, std::uint32_t order)
{
    // Priorities are never negative (g > 0, h >= 0, 0 <= w <= 1); -0 is
    // folded into +0 so that equal priorities give equal bits.
    if (f == 0.0f) f = 0.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return (static_cast<std::uint64_t>(bits) << 32) | order;
}

void SearchSets::renumber()
{
    std::vector<std::pair<std::uint32_t, unsigned int>> byOrder(m_size);
    for (unsigned int i = 0; i < m_size; ++i) byOrder[i] = {static_cast<std::uint32_t>(m_heap[i].key), i};
    std::sort(byOrder.begin(), byOrder.end());
    for (unsigned int rank = 0; rank < m_size; ++rank) {
        std::uint64_t& key = m_heap[byOrder[rank].second].key;
        key = (key & 0xFFFFFFFF00000000ull) | rank;
    }
    m_order = m_size;
}

// A four-way heap: half the levels of a binary one, so half the moves (each
// of which also updates the moved cell's slot), and the four children of a
// node share a cache line.
void SearchSets::siftUp(unsigned int slot, Entry e)
{
    while (slot > 0) {
        const unsigned int parent = (slot - 1) / kWays;
        if (e.key >= m_heap[parent].key) break;
        place(slot, m_heap[parent]);
        slot = parent;
    }
    place(slot, e);
}

void SearchSets::siftDown(unsigned int slot, Entry e)
{
    for (;;) {
        const unsigned int first = kWays * slot + 1;
        if (first >= m_size) break;
        const unsigned int last = first + kWays < m_size ? first + kWays : m_size;
        unsigned int best = first;
        for (unsigned int c = first + 1; c < last; ++c)
            if (m_heap[c].key < m_heap[best].key) best = c;
        if (m_heap[best].key >= e.key) break;
        place(slot, m_heap[best]);
        slot = best;
    }
    place(slot, e);
}

bool SearchSets::push(std::size_t cell, unsigned int node, float f)
{
    if (m_size >= m_capacity) {
        forget(cell);
        return false;
    }
    m_cells[cell].node = node;
    const std::uint64_t key = keyOf(f, nextOrder());
    siftUp(m_size++, Entry{key, static_cast<std::uint32_t>(cell)});
    return true;
}

std::size_t SearchSets::popMin()
{
    const std::size_t cell = m_heap[0].cell;
    m_cells[cell].where = kNowhere;
    if (--m_size > 0) siftDown(0, m_heap[m_size]);
    return cell;
}

void SearchSets::requeue(std::size_t cell, float f)
{
    const unsigned int slot = m_cells[cell].where - kOpenBase;
    const Entry e{keyOf(f, nextOrder()), static_cast<std::uint32_t>(cell)};
    if (slot > 0 && e.key < m_heap[(slot - 1) / kWays].key)
        siftUp(slot, e);
    else
        siftDown(slot, e);
}

void SearchSets::close(std::size_t cell)
{
    m_cells[cell].where = kClosed;
    ++m_closed;
}

void SearchSets::reopenable(std::size_t cell)
{
    if (m_cells[cell].where == kClosed) {
        m_cells[cell].where = kNowhere;
        --m_closed;
    }
}

void SearchSets::forget(std::size_t cell)
{
    if (m_cells[cell].where == kClosed) --m_closed;
    m_cells[cell].node = 0;
    m_cells[cell].where = kNowhere;
}

} // namespace __VELTRIC__
