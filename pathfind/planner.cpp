#include "pathfind/planner.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <new>

namespace __VELTRIC__ {

namespace {

bool onGrid(int x, int y, int w, int h) { return x >= 0 && x < w && y >= 0 && y < h; }

// Node indices are stored + 1 in 32 bits, 0 meaning none.
const std::uint64_t kMaxNodes = 0xFFFFFFFEu;

} // namespace

Planner::Planner() = default;

Planner::~Planner()
{
    Planner::cleanup();
    delete[] m_grid;
}

bool Planner::createMap(const Description& d)
{
    if (!onGrid(d.startX, d.startY, d.width, d.height) || !onGrid(d.goalX, d.goalY, d.width, d.height))
        return false;
    if (d.startX == d.goalX && d.startY == d.goalY) return false;
    const std::uint64_t cells = static_cast<std::uint64_t>(d.width) * static_cast<std::uint64_t>(d.height);
    if (!d.costs || cells > kMaxNodes) return false;

    unloadMap();
    m_grid = new (std::nothrow) float[cells];
    if (!m_grid) return false;

    // The maximum is taken in double: a cost beyond the float range must not
    // become infinity (which would turn every grid value into NaN and stop
    // the cost comparisons from ever ending the search). NaN and infinite
    // costs are walls like the non-positive ones.
    double maximum = 0.0;
    for (std::uint64_t i = 0; i < cells; ++i) {
        const double v = d.costs[i];
        if (v > 0.0 && v <= DBL_MAX) {
            m_grid[i] = 0.0f;
            if (v > maximum) maximum = v;
        } else {
            m_grid[i] = kBlocked;
        }
    }
    if (maximum == 0.0) {
        // Leave no half-built map behind that a search could run on.
        unloadMap();
        return false;
    }
    // Scale into (1, 2]: the cheapest step costs just over 1, the dearest 2.
    for (std::uint64_t i = 0; i < cells; ++i)
        if (m_grid[i] != kBlocked) m_grid[i] = static_cast<float>(d.costs[i] / maximum + 1.0);

    std::uint64_t poolSize = d.nodePoolSize ? d.nodePoolSize : cells;
    if (poolSize > kMaxNodes) poolSize = kMaxNodes;
    const unsigned int openCapacity = d.openListCapacity ? d.openListCapacity : static_cast<unsigned int>(cells);
    if (!m_pool.allocate(static_cast<unsigned int>(poolSize)) ||
        !m_sets.create(static_cast<std::size_t>(cells), openCapacity)) {
        unloadMap();
        return false;
    }

    m_path = nullptr;
    m_desc = d;
    // NaN would leave the priorities unordered; it counts as 0.
    float& w = m_desc.heuristicWeight;
    if (!(w > 0.0f)) w = 0.0f;
    if (w > 1.0f) w = 1.0f;
    m_runs = 0;
    m_state = 1;
    return true;
}

int Planner::unloadMap()
{
    returnNodes();
    delete[] m_grid;
    m_grid = nullptr;
    m_runs = 0;
    m_path = nullptr;
    m_desc = Description{};
    m_state = 1;
    return 0;
}

void Planner::initialize()
{
    // A search left running is wound up first, so its nodes cannot linger
    // in the open list of the new one.
    if (m_pool.nextFree() || !m_sets.openEmpty() || m_sets.closedSize()) returnNodes();
    m_state = 0;
    m_runs = 0;
    m_path = nullptr;
}

void Planner::returnNodes()
{
    if (m_grid) {
        for (unsigned int i = 0; i < m_pool.nextFree(); ++i) {
            const Node* n = m_pool.node(i);
            m_sets.forget(cellIndex(n->x, n->y));
        }
    }
    m_sets.reset();
    // Back to the first node, whatever was lost on the way (a node whose
    // queueing was refused is in neither set and would never be counted).
    m_pool.reset();
}

void Planner::cleanup()
{
    returnNodes();
    m_path = nullptr;
    m_state = 1;
}

float Planner::getPathCost() const { return m_path ? m_path->g : -1.0f; }

unsigned int Planner::getPathSize() const
{
    // No chain can be longer than the nodes handed out; the bound keeps a
    // damaged chain from looping.
    const unsigned int limit = m_pool.nextFree();
    unsigned int n = 0;
    for (const Node* p = m_path; p && n < limit; p = p->parent) ++n;
    return n;
}

} // namespace __VELTRIC__
