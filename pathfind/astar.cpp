#include "pathfind/astar.h"

#include <cstdlib>

namespace __VELTRIC__ {

namespace {

struct Step {
    int dx;
    int dy;
    bool diagonal;
};

// The fixed neighbour order; it decides among paths of equal priority.
const Step kAllSteps[8] = {
    {-1, -1, true}, {0, -1, false}, {1, -1, true}, {1, 0, false},
    {-1, 0, false}, {-1, 1, true},  {0, 1, false}, {1, 1, true},
};
// The same order without the diagonal steps.
const Step kStraightSteps[4] = {{0, -1, false}, {1, 0, false}, {-1, 0, false}, {0, 1, false}};

} // namespace

void AStarPlanner::initialize()
{
    Planner::initialize();
    if (!hasMap()) return;
    Node* start = m_pool.take();
    if (!start) return;
    start->parent = nullptr;
    start->x = m_desc.startX;
    start->y = m_desc.startY;
    start->f = 0.0f;
    start->g = 0.0f;
    start->next = nullptr;
    m_sets.push(cellIndex(start->x, start->y), m_pool.nextFree(), 0.0f);
}

unsigned int AStarPlanner::run()
{
    ++m_runs;
    if (!hasMap()) {
        m_state = 1;
        return 1;
    }
    const int goalX = m_desc.goalX;
    const int goalY = m_desc.goalY;
    const int width = m_desc.width;
    const int height = m_desc.height;
    const float w = m_desc.heuristicWeight;
    const float diagonal = m_desc.diagonalCost ? kDiagonalFactor : 1.0f;
    const Step* const steps = m_desc.allowDiagonals ? kAllSteps : kStraightSteps;
    const Step* const stepsEnd = m_desc.allowDiagonals ? kAllSteps + 8 : kStraightSteps + 4;

    while (!m_sets.openEmpty()) {
        const std::size_t cell = m_sets.popMin();
        Node* n = m_pool.node(m_sets.nodeOf(cell) - 1);
        if (n->x == goalX && n->y == goalY) {
            m_sets.close(cell);
            m_path = n;
            m_state = 1;
            return 1;
        }
        for (const Step* s = steps; s != stepsEnd; ++s) {
            const int nx = n->x + s->dx;
            const int ny = n->y + s->dy;
            if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
            const std::size_t ncell = cellIndex(nx, ny);
            const float c = m_grid[ncell];
            // Only the target cell counts: a diagonal step may pass between
            // two walls.
            if (c == kBlocked) continue;
            const float g = s->diagonal ? n->g + diagonal * c : n->g + c;
            const int h = std::abs(goalX - nx) + std::abs(goalY - ny);
            const float f = g + (static_cast<float>(h) - g) * w;

            const unsigned int known = m_sets.nodeOf(ncell);
            if (known) {
                Node* m = m_pool.node(known - 1);
                if (g >= m->g) continue;
                m->parent = n;
                m->g = g;
                m->f = f;
                if (m_sets.isOpen(ncell)) {
                    m_sets.requeue(ncell, f);
                } else {
                    m_sets.reopenable(ncell);
                    m_sets.push(ncell, known, f);
                }
                continue;
            }
            Node* m = m_pool.take();
            if (!m) {
                // The pool ran dry (only with a pool smaller than the grid):
                // the search cannot go on soundly, so it ends without a path.
                m_state = 1;
                return 1;
            }
            m->parent = n;
            m->x = nx;
            m->y = ny;
            m->g = g;
            m->f = f;
            m->next = nullptr;
            m_sets.push(ncell, m_pool.nextFree(), f);
        }
        m_sets.close(cell);
    }
    m_state = 1;
    return 1;
}

} // namespace __VELTRIC__
