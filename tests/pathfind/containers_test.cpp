// The search's containers: the ring-buffer deque, the chained node table and
// the node pool.
#include <gtest/gtest.h>

#include <vector>

#include "pathfind/fixed_deque.h"
#include "pathfind/node_factory.h"
#include "pathfind/node_hash_table.h"

using namespace __VELTRIC__;

namespace {

std::vector<int> Contents(const FixedDeque<int>& d)
{
    std::vector<int> out;
    for (unsigned int i = 0; i < d.size(); ++i) out.push_back(d[i]);
    return out;
}

// A deque of capacity 4 whose head sits at slot `head`, holding `values`.
void Fill(FixedDeque<int>& d, unsigned int head, const std::vector<int>& values)
{
    ASSERT_TRUE(d.resize(4));
    // Walk head and tail round together: two appends, then one element off
    // the front and one off the back.
    for (unsigned int i = 0; i < head; ++i) {
        ASSERT_EQ(1, d.insert(d.size(), -1));
        ASSERT_EQ(1, d.insert(d.size(), -1));
        ASSERT_EQ(1, d.remove(0));
        ASSERT_EQ(1, d.popBack());
    }
    ASSERT_EQ(head, d.head());
    for (int v : values) ASSERT_EQ(1, d.insert(d.size(), v));
}

} // namespace

TEST(FixedDeque, FullListRefusesEveryInsertUntilTheBackIsRemoved)
{
    FixedDeque<int> d;
    Fill(d, 0, {1, 2, 3, 4});
    ASSERT_TRUE(d.isFull());
    for (unsigned int i = 0; i <= 4; ++i) EXPECT_EQ(0, d.insert(i, 9)) << "index " << i;
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Contents(d));

    ASSERT_EQ(1, d.popBack());
    EXPECT_EQ(3u, d.tail());
    ASSERT_EQ(1, d.insert(3, 5));
    EXPECT_EQ(0u, d.tail());  // the tail wrapped round
    EXPECT_TRUE(d.isFull());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 5}), Contents(d));
}

TEST(FixedDeque, InsertInsideAWrappedListRebuildsItFromSlotZero)
{
    FixedDeque<int> d;
    Fill(d, 3, {10, 20, 30});
    ASSERT_EQ(3u, d.head());
    ASSERT_EQ(2u, d.tail());
    ASSERT_EQ(1, d.insert(1, 15));
    EXPECT_EQ(0u, d.head());
    EXPECT_EQ(0u, d.tail());
    EXPECT_TRUE(d.isFull());
    EXPECT_EQ((std::vector<int>{10, 15, 20, 30}), Contents(d));
}

TEST(FixedDeque, RemovingAtTheEndsMovesHeadAndTail)
{
    FixedDeque<int> d;
    Fill(d, 3, {10, 20, 30});
    ASSERT_EQ(1, d.remove(0));
    EXPECT_EQ(0u, d.head());  // from the buffer's last slot round to slot 0
    ASSERT_EQ(1, d.remove(d.size() - 1));
    EXPECT_EQ(1u, d.tail());
    EXPECT_EQ((std::vector<int>{20}), Contents(d));
    ASSERT_EQ(1, d.remove(0));
    EXPECT_TRUE(d.isEmpty());
    EXPECT_EQ(0, d.popBack());
}

TEST(FixedDeque, InsertAndRemoveAtEveryPositionKeepTheOrder)
{
    // Against a plain vector, from every head position.
    for (unsigned int head = 0; head < 5; ++head) {
        for (unsigned int at = 0; at <= 3; ++at) {
            FixedDeque<int> d;
            ASSERT_TRUE(d.resize(5));
            for (unsigned int i = 0; i < head; ++i) {
                d.insert(d.size(), 0);
                d.insert(d.size(), 0);
                d.remove(0);
                d.popBack();
            }
            ASSERT_EQ(head, d.head());
            std::vector<int> model{1, 2, 3};
            for (int v : model) d.insert(d.size(), v);
            ASSERT_EQ(1, d.insert(at, 7));
            model.insert(model.begin() + at, 7);
            EXPECT_EQ(model, Contents(d)) << "head " << head << " insert at " << at;
            ASSERT_EQ(1, d.remove(at == 0 ? 1 : at - 1));
            model.erase(model.begin() + (at == 0 ? 1 : at - 1));
            EXPECT_EQ(model, Contents(d)) << "head " << head << " remove near " << at;
        }
    }
}

TEST(FixedDeque, OutOfRangeIndicesAndZeroCapacityAreRefused)
{
    FixedDeque<int> none;
    ASSERT_TRUE(none.resize(0));
    EXPECT_EQ(0, none.insert(0, 1));  // no modulo by a zero capacity
    EXPECT_EQ(0, none.remove(0));
    EXPECT_EQ(0, none.popBack());

    FixedDeque<int> d;
    Fill(d, 2, {1, 2});
    // One past the size would land on an occupied or wrapped slot.
    EXPECT_EQ(0, d.insert(3, 9));
    EXPECT_EQ(0, d.insert(6, 9));
    EXPECT_EQ(0, d.remove(2));
    EXPECT_EQ(0, d.remove(5));
    EXPECT_EQ((std::vector<int>{1, 2}), Contents(d));

    FixedDeque<int> empty;
    ASSERT_TRUE(empty.resize(3));
    EXPECT_EQ(0, empty.insert(1, 9));
    EXPECT_EQ(0, empty.remove(0));
    EXPECT_EQ(1, empty.insert(0, 9));
    EXPECT_EQ((std::vector<int>{9}), Contents(empty));
}

TEST(NodeHashTable, CreateRoundsAndCapsTheBits)
{
    const struct {
        unsigned int asked, used;
    } cases[] = {{9, 8}, {8, 8}, {31, 24}, {24, 24}, {25, 24}, {1, 0}, {0, 0}};
    for (const auto& c : cases) {
        NodeHashTable t;
        EXPECT_EQ(c.used, t.create(c.asked)) << c.asked;
        EXPECT_EQ(1u << c.used, t.bucketCount()) << c.asked;
    }
}

TEST(NodeHashTable, HashTakesTheLowBitsOfBothCoordinates)
{
    NodeHashTable t;
    t.create(8);
    EXPECT_EQ(83u, t.hash(3, 5));
    EXPECT_EQ(83u, t.hash(19, 21));
    EXPECT_EQ(255u, t.hash(-1, -1));
    NodeHashTable one;
    EXPECT_EQ(0u, one.hash(123, 456));
}

TEST(NodeHashTable, AddFindAndRemoveInOneBucket)
{
    NodeHashTable t;
    t.create(8);
    Node a{nullptr, 3, 5, 0, 1, nullptr}, b{nullptr, 19, 21, 0, 2, nullptr}, c{nullptr, 4, 5, 0, 3, nullptr};
    EXPECT_EQ(0, t.add(nullptr));
    EXPECT_EQ(1, t.add(&a));
    EXPECT_EQ(1, t.add(&b));
    EXPECT_EQ(1, t.add(&c));
    EXPECT_EQ(0, t.add(&a));  // already held: nothing changes
    EXPECT_EQ(3u, t.size());

    NodeHashIterator it(&t);
    EXPECT_EQ(&a, it.find(3, 5));  // behind b in the shared bucket
    EXPECT_EQ(83u, it.bucket());
    EXPECT_EQ(nullptr, it.find(35, 5));
    EXPECT_EQ(&a, it.find(3, 5));
    EXPECT_EQ(&a, it.remove());
    EXPECT_EQ(nullptr, it.find(3, 5));
    EXPECT_EQ(&b, it.find(19, 21));
    EXPECT_EQ(2u, t.size());
}

TEST(NodeHashTable, IterationVisitsEveryNodeAndRemoveValidKeepsGoing)
{
    NodeHashTable t;
    t.create(4);
    std::vector<Node> nodes;
    for (int i = 0; i < 12; ++i) nodes.push_back(Node{nullptr, i % 5, i / 5, 0, 0, nullptr});
    for (Node& n : nodes) ASSERT_EQ(1, t.add(&n));

    NodeHashIterator it(&t);
    unsigned int seen = 0;
    for (Node* n = it.begin(); n; n = it.next()) ++seen;
    EXPECT_EQ(12u, seen);

    // Remove every node with an even x while walking.
    unsigned int removed = 0;
    Node* n = it.begin();
    while (n) {
        if (n->x % 2 == 0) {
            it.removeValid();
            ++removed;
            n = it.current();
        } else {
            n = it.next();
        }
    }
    EXPECT_EQ(7u, removed);
    EXPECT_EQ(5u, t.size());
    for (Node* m = it.begin(); m; m = it.next()) EXPECT_EQ(1, m->x % 2);

    // next() after a plain remove() goes on past the removed node.
    Node* first = it.begin();
    it.remove();
    unsigned int rest = 0;
    for (Node* m = it.next(); m; m = it.next()) {
        EXPECT_NE(first, m);
        ++rest;
    }
    EXPECT_EQ(4u, rest);
}

TEST(NodeHashTable, CopiesShareTheNodesAndReleaseAllReturnsThePool)
{
    NodeFactory pool;
    ASSERT_EQ(1, pool.allocate(6));
    NodeHashTable t;
    t.create(8);
    for (int i = 0; i < 6; ++i) {
        Node* n = pool.take();
        ASSERT_NE(nullptr, n);
        *n = Node{nullptr, i, 0, 0, 0, nullptr};
        t.add(n);
    }
    EXPECT_EQ(nullptr, pool.take());

    NodeHashTable copy(t);
    EXPECT_EQ(6u, copy.size());
    NodeHashTable assigned;
    assigned = t;
    NodeHashTable& same = assigned; // self-assignment, through a reference
    assigned = same;
    EXPECT_EQ(6u, assigned.size());
    EXPECT_EQ(8u, assigned.bits());

    t.releaseAll(pool);
    EXPECT_EQ(0u, pool.nextFree());
    EXPECT_EQ(0u, t.size());
    EXPECT_EQ(6u, copy.size());  // its own bucket heads
}

TEST(NodeFactory, HandsOutInOrderAndRefusesAnEmptyAllocation)
{
    NodeFactory pool;
    EXPECT_EQ(nullptr, pool.take());
    EXPECT_EQ(0, pool.allocate(0));
    ASSERT_EQ(1, pool.allocate(3));
    Node* a = pool.take();
    Node* b = pool.take();
    EXPECT_EQ(pool.node(0), a);
    EXPECT_EQ(pool.node(1), b);
    EXPECT_EQ(0, pool.allocate(0));  // keeps the pool
    EXPECT_EQ(3u, pool.count());
    EXPECT_EQ(2u, pool.nextFree());
    pool.giveBack();
    pool.giveBack();
    pool.giveBack();  // never below the first node
    EXPECT_EQ(0u, pool.nextFree());
}
