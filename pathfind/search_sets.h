#pragma once
// SearchSets: the open list and the closed set of the grid search, indexed
// by cell. Each cell records its node (a pool index) and whether that node is
// open, closed or neither; the open nodes sit in a four-way min-heap ordered
// by priority and then by the order in which they were queued. Taking the
// smallest (f, order) is the same choice as taking the back of a list kept
// sorted by descending f with each node inserted in front of its equals, so
// the search visits cells in exactly that order, with O(1) lookups and
// O(log n) queue changes instead of linear scans.
#include <cstddef>
#include <cstdint>

namespace __VELTRIC__ {

class SearchSets {
public:
    SearchSets() = default;
    ~SearchSets();
    SearchSets(const SearchSets&) = delete;
    SearchSets& operator=(const SearchSets&) = delete;

    // Room for `cells` cells and an open list of `capacity` nodes; every
    // cell without a node. False, with nothing held, when allocation fails.
    bool create(std::size_t cells, unsigned int capacity);
    void release();

    // Node of a cell: its pool index + 1, 0 for none.
    unsigned int nodeOf(std::size_t cell) const { return m_cells[cell].node; }
    bool isOpen(std::size_t cell) const { return m_cells[cell].where >= kOpenBase; }
    bool isClosed(std::size_t cell) const { return m_cells[cell].where == kClosed; }

    // ---- open list ----
    unsigned int openSize() const { return m_size; }
    unsigned int openCapacity() const { return m_capacity; }
    bool openEmpty() const { return m_size == 0; }
    // Queues the cell's node (pool index + 1) with priority f: false when the
    // list is full, the cell then keeps no node.
    bool push(std::size_t cell, unsigned int node, float f);
    // Takes out the open node with the smallest (f, order) and returns its
    // cell, which keeps its node but is neither open nor closed.
    std::size_t popMin();
    // Gives an open cell a new priority and queues it anew behind its equals.
    void requeue(std::size_t cell, float f);

    // ---- closed set ----
    unsigned int closedSize() const { return m_closed; }
    void close(std::size_t cell);
    // Takes a closed cell out of the closed set (its node stays recorded).
    void reopenable(std::size_t cell);

    // Makes a cell hold no node.
    void forget(std::size_t cell);
    // Empties the open list and the closed count; cells touched must be
    // forgotten one by one by the caller (cheaper than clearing the grid).
    void reset();

private:
    // where: 0 neither open nor closed, 1 closed, k + 2 open at heap slot k.
    static const std::uint32_t kNowhere = 0;
    static const std::uint32_t kClosed = 1;
    static const std::uint32_t kOpenBase = 2;
    static const unsigned int kWays = 4;

    struct Cell {
        std::uint32_t node;
        std::uint32_t where;
    };
    // Priority and queueing order packed into one number that sorts the
    // same way: the bits of a non-negative float grow with its value, and the
    // order fills the low half. Orders restart (keeping their ranks) before
    // they outgrow 32 bits.
    struct Entry {
        std::uint64_t key;
        std::uint32_t cell;
    };
    static std::uint64_t keyOf(float f, std::uint32_t order);
    // Renumbers the queued orders 0, 1, ... in their present sequence.
    void renumber();
    std::uint32_t nextOrder()
    {
        if (m_order == kOrderLimit) renumber();
        return m_order++;
    }

    void place(unsigned int slot, const Entry& e)
    {
        m_heap[slot] = e;
        m_cells[e.cell].where = kOpenBase + slot;
    }
    void siftUp(unsigned int slot, Entry e);
    void siftDown(unsigned int slot, Entry e);

    Cell* m_cells = nullptr;
    Entry* m_heap = nullptr;
    unsigned int m_capacity = 0;
    unsigned int m_size = 0;
    unsigned int m_closed = 0;
    std::uint32_t m_order = 0;

public:
    // The last order number used before the orders are renumbered.
    static const std::uint32_t kOrderLimit = 0xFFFFFFFFu;
    // Lets a test start the order numbers close to the limit.
    void setNextOrder(std::uint32_t order) { m_order = order; }
};

} // namespace __VELTRIC__
