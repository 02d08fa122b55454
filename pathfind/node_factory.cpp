#include "pathfind/node_factory.h"

#include <new>

namespace __VELTRIC__ {

NodeFactory::~NodeFactory() { release(); }

void NodeFactory::release()
{
    delete[] m_nodes;
    m_nodes = nullptr;
    m_count = 0;
    m_nextFree = 0;
}

int NodeFactory::allocate(unsigned int n)
{
    if (n == 0) return 0;
    release();
    // Left uninitialised: pages of a large pool are only touched when the
    // search reaches them.
    m_nodes = new (std::nothrow) Node[n];
    if (!m_nodes) return 0;
    m_count = n;
    return 1;
}

} // namespace __VELTRIC__
