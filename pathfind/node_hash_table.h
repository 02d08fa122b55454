#pragma once
// NodeHashTable: a set of search nodes keyed by cell, chained through the
// nodes' own next fields, so adding and removing never allocate.
// NodeHashIterator walks it and finds and unlinks single nodes.
#include "pathfind/node.h"

namespace __VELTRIC__ {

class NodeFactory;

class NodeHashTable {
public:
    static const unsigned int kMaxBits = 24;

    NodeHashTable();  // one bucket, into which every cell hashes
    NodeHashTable(const NodeHashTable& other);
    NodeHashTable& operator=(const NodeHashTable& other);
    virtual ~NodeHashTable();

    // 2^bits empty buckets; bits above 24 become 24, odd bits are rounded
    // down. Returns the bits in use (the old ones when allocation fails).
    unsigned int create(unsigned int bits);

    // The low bits/2 bits of x, with those of y above them.
    unsigned int hash(int x, int y) const
    {
        const unsigned int k = m_bits / 2;
        const unsigned int m = (1u << k) - 1u;
        return (static_cast<unsigned int>(x) & m) | ((static_cast<unsigned int>(y) & m) << k);
    }

    // Makes the node the head of its bucket: 1, or 0 for null or a node
    // already chained there.
    int add(Node* node);
    unsigned int size() const;
    // Forgets every node (the nodes themselves are not touched).
    void empty();
    // Gives one node back to the factory for every node held, then forgets
    // them all.
    void releaseAll(NodeFactory& factory);

    unsigned int bits() const { return m_bits; }
    unsigned int bucketCount() const { return 1u << m_bits; }

private:
    friend class NodeHashIterator;

    Node** m_buckets;
    unsigned int m_bits;
};

class NodeHashIterator {
public:
    NodeHashIterator() = default;
    explicit NodeHashIterator(NodeHashTable* table) { attach(table); }
    void attach(NodeHashTable* table);

    // The first node of cell (x, y), or null; remembers where it is linked.
    Node* find(int x, int y);
    // The first node of the lowest non-empty bucket, or null.
    Node* begin();
    // The next node in the chain, else the first of the next non-empty
    // bucket, else null.
    Node* next();
    // Unlinks the current node and returns it; the iterator still names it.
    Node* remove();
    // Unlinks the current node and moves on to the following one, so that a
    // walk can go on; returns the removed node.
    Node* removeValid();

    Node* current() const { return m_node; }
    unsigned int bucket() const { return m_bucket; }

private:
    // Moves to the head of the first non-empty bucket from b on.
    Node* seekBucket(unsigned int b);

    NodeHashTable* m_table = nullptr;
    unsigned int m_bucket = 0;
    Node* m_node = nullptr;
    Node** m_link = nullptr;  // the pointer that points at m_node
};

} // namespace __VELTRIC__
