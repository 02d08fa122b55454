#pragma once
// NodeFactory: the pool of search nodes, allocated before a search and
// handed out in order, so that the search itself never allocates.
#include "pathfind/node.h"

namespace __VELTRIC__ {

class NodeFactory {
public:
    NodeFactory() = default;
    virtual ~NodeFactory();
    NodeFactory(const NodeFactory&) = delete;
    NodeFactory& operator=(const NodeFactory&) = delete;

    // Replaces the pool with n fresh nodes (contents undefined) and starts
    // handing out from the first. n = 0 keeps the old pool and returns 0; a
    // failed allocation leaves an empty pool and returns 0; else 1.
    int allocate(unsigned int n);

    // The next free node, or null when the pool is exhausted.
    Node* take()
    {
        return m_nextFree < m_count ? &m_nodes[m_nextFree++] : nullptr;
    }
    // Gives back the node handed out last (never below the first).
    void giveBack()
    {
        if (m_nextFree > 0) --m_nextFree;
    }
    // Makes the whole pool free again.
    void reset() { m_nextFree = 0; }

    unsigned int count() const { return m_count; }
    unsigned int nextFree() const { return m_nextFree; }
    // Node i of the pool (i < count()).
    Node* node(unsigned int i) const { return &m_nodes[i]; }

private:
    void release();

    unsigned int m_count = 0;
    // One block for the whole pool: one allocation instead of one per node,
    // and neighbouring cells' nodes share cache lines.
    Node* m_nodes = nullptr;
    unsigned int m_nextFree = 0;
};

} // namespace __VELTRIC__
