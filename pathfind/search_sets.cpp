#include "pathfind/search_sets.h"

#include <cstdlib>
#include <new>

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

void SearchSets::siftUp(unsigned int slot, Entry e)
{
    while (slot > 0) {
        const unsigned int parent = (slot - 1) / 2;
        if (!before(e, m_heap[parent])) break;
        place(slot, m_heap[parent]);
        slot = parent;
    }
    place(slot, e);
}

void SearchSets::siftDown(unsigned int slot, Entry e)
{
    for (;;) {
        unsigned int child = 2 * slot + 1;
        if (child >= m_size) break;
        if (child + 1 < m_size && before(m_heap[child + 1], m_heap[child])) ++child;
        if (!before(m_heap[child], e)) break;
        place(slot, m_heap[child]);
        slot = child;
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
    siftUp(m_size++, Entry{f, static_cast<std::uint32_t>(cell), m_order++});
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
    const Entry e{f, static_cast<std::uint32_t>(cell), m_order++};
    // The new entry comes after every queued one of equal priority, so it
    // can only move down when f did not drop.
    if (slot > 0 && before(e, m_heap[(slot - 1) / 2]))
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
