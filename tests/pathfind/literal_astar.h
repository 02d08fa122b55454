#pragma once
// The search done the direct way, for reference: the open list kept sorted
// in a FixedDeque (descending f, each node inserted in front of its equals,
// looked up by a scan from the back) and the closed cells in a chained
// NodeHashTable. The planner's indexed heap must visit the cells in the same
// order, so both must give the same path and cost on every map. Slow on big
// maps: the scan and the chains grow with the search.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "pathfind/astar.h"
#include "pathfind/fixed_deque.h"
#include "pathfind/node_factory.h"
#include "pathfind/node_hash_table.h"

namespace pathfind_test {

struct LiteralResult {
    bool found = false;
    float cost = -1.0f;
    std::vector<std::pair<int, int>> cells;  // start first
    unsigned int expanded = 0;
};

// Searches the normalised grid of a planner on which createMap succeeded.
inline LiteralResult LiteralSearch(const __VELTRIC__::Planner& planner, unsigned int hashBits = 8)
{
    using namespace __VELTRIC__;
    const Planner::Description& d = planner.getDescription();
    const unsigned int cells = static_cast<unsigned int>(d.width) * static_cast<unsigned int>(d.height);
    LiteralResult r;

    NodeFactory pool;
    pool.allocate(d.nodePoolSize ? d.nodePoolSize : cells);
    FixedDeque<Node*> open;
    open.resize(d.openListCapacity ? d.openListCapacity : cells);
    NodeHashTable closed;
    closed.create(hashBits);
    NodeHashIterator it(&closed);

    auto queue = [&open](Node* m) {
        unsigned int lo = 0, hi = open.size();
        while (lo < hi) {
            const unsigned int mid = (lo + hi) / 2;
            if (open[mid]->f <= m->f)
                hi = mid;
            else
                lo = mid + 1;
        }
        open.insert(lo, m);
    };

    Node* start = pool.take();
    if (!start) return r;
    *start = Node{nullptr, d.startX, d.startY, 0.0f, 0.0f, nullptr};
    open.insert(open.size(), start);

    const float diagonal = d.diagonalCost ? AStarPlanner::kDiagonalFactor : 1.0f;
    const int steps[8][3] = {{-1, -1, 1}, {0, -1, 0}, {1, -1, 1}, {1, 0, 0},
                             {-1, 0, 0},  {-1, 1, 1}, {0, 1, 0},  {1, 1, 1}};
    while (!open.isEmpty()) {
        Node* n = open.back();
        open.popBack();
        if (n->x == d.goalX && n->y == d.goalY) {
            closed.add(n);
            r.found = true;
            r.cost = n->g;
            for (Node* p = n; p; p = p->parent) r.cells.push_back({p->x, p->y});
            std::reverse(r.cells.begin(), r.cells.end());
            return r;
        }
        ++r.expanded;
        for (const auto& s : steps) {
            if (s[2] && !d.allowDiagonals) continue;
            const int nx = n->x + s[0], ny = n->y + s[1];
            if (nx < 0 || nx >= d.width || ny < 0 || ny >= d.height) continue;
            const float c = planner.gridValue(nx, ny);
            if (c == Planner::kBlocked) continue;
            const float g = s[2] ? n->g + diagonal * c : n->g + c;
            const int h = std::abs(d.goalX - nx) + std::abs(d.goalY - ny);
            const float f = g + (static_cast<float>(h) - g) * d.heuristicWeight;

            if (Node* m = it.find(nx, ny)) {
                if (g >= m->g) continue;
                it.remove();
                *m = Node{n, nx, ny, f, g, nullptr};
                queue(m);
                continue;
            }
            int at = -1;
            for (unsigned int i = open.size(); i-- > 0;)
                if (open[i]->x == nx && open[i]->y == ny) {
                    at = static_cast<int>(i);
                    break;
                }
            if (at >= 0) {
                Node* m = open[static_cast<unsigned int>(at)];
                if (g >= m->g) continue;
                open.remove(static_cast<unsigned int>(at));
                *m = Node{n, nx, ny, f, g, nullptr};
                queue(m);
                continue;
            }
            Node* m = pool.take();
            if (!m) return r;
            *m = Node{n, nx, ny, f, g, nullptr};
            queue(m);
        }
        closed.add(n);
    }
    return r;
}

} // namespace pathfind_test
