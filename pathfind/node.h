#pragma once
// Node: one cell reached by the grid search. The path is the chain of
// parents from the goal back to the start.

namespace __VELTRIC__ {

struct Node {
    Node* parent;  // the node this one was reached from; null for the start
    int x;
    int y;
    float f;       // search priority
    float g;       // accumulated cost from the start
    Node* next;    // next node in the same bucket of a NodeHashTable
};

} // namespace __VELTRIC__
