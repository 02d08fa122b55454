#pragma once
// Planner: the base of the grid path planners. It turns a map description
// (a grid of costs, a start and a goal) into a normalised cost grid, owns the
// node pool, the open list and the closed set of the search, and keeps the
// path found. The search itself is the run() of a derived class.
#include <cstddef>

#include "pathfind/node.h"
#include "pathfind/node_factory.h"
#include "pathfind/search_sets.h"

namespace __VELTRIC__ {

class Planner {
public:
    struct Description {
        int startX;
        int startY;
        int goalX;
        int goalY;
        unsigned char diagonalCost;    // non-zero: a diagonal step costs sqrt(2) x the cell's cost
        unsigned char allowDiagonals;  // non-zero: the four diagonal neighbours are searched
        unsigned int nodePoolSize;     // 0: width x height
        unsigned int openListCapacity; // 0: width x height
        unsigned int hashBits;         // accepted and stored; closed cells are indexed by cell
        float heuristicWeight;         // clamped into 0..1 when stored
        int width;
        int height;
        const double* costs;           // width x height, cell (x, y) at y x width + x; <= 0 is blocked
    };

    // Grid value of a blocked cell; open cells hold a cost in (1, 2].
    static constexpr float kBlocked = -1.0f;

    Planner();
    virtual ~Planner();
    Planner(const Planner&) = delete;
    Planner& operator=(const Planner&) = delete;

    // Builds the grid, pool, open list and closed set for a description.
    // False when start or goal is off the grid, they are the same cell, no
    // cell is open, or memory runs out; only the first two keep the old map.
    bool createMap(const Description& d);
    int unloadMap();

    // Starts a search: no path, run counter 0. Derived classes call it first.
    virtual void initialize();
    // Searches; 1 when the search has ended (with or without a path).
    virtual unsigned int run() = 0;
    // Returns every node to the pool and empties the open list and closed set.
    virtual void cleanup();

    // Cost g of the path's goal node; -1 without a path.
    float getPathCost() const;
    // Nodes on the path, goal and start included; 0 without a path.
    unsigned int getPathSize() const;
    unsigned int getOpenSize() const { return m_sets.openSize(); }
    unsigned int getClosedSize() const { return m_sets.closedSize(); }

    // The goal node of the last path found (follow the parents), or null.
    const Node* getPath() const { return m_path; }
    const Description& getDescription() const { return m_desc; }
    bool hasMap() const { return m_grid != nullptr; }
    // Normalised grid value of an on-grid cell (kBlocked for a wall).
    float gridValue(int x, int y) const
    {
        return m_grid[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_desc.width) +
                      static_cast<std::size_t>(x)];
    }
    unsigned int getState() const { return m_state; }
    unsigned int getRunCount() const { return m_runs; }

protected:
    // Forgets where every handed-out node was and makes the pool whole.
    void returnNodes();

    std::size_t cellIndex(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_desc.width) +
               static_cast<std::size_t>(x);
    }

    unsigned int m_state = 1;  // 1 idle or finished, 0 search initialised
    NodeFactory m_pool;
    Description m_desc{};
    float* m_grid = nullptr;
    unsigned int m_runs = 0;
    SearchSets m_sets;
    Node* m_path = nullptr;
};

} // namespace __VELTRIC__
