// The indexed open list: it must hand out cells in the order of a list kept
// sorted by priority with later arrivals behind earlier equals, also across
// the renumbering of its order counter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "pathfind/search_sets.h"

using namespace __VELTRIC__;

namespace {

// The reference: a plain list of (f, arrival, cell), smallest first.
struct Model {
    struct Item {
        float f;
        std::uint64_t arrival;
        std::size_t cell;
    };
    std::vector<Item> items;
    std::uint64_t clock = 0;

    void push(std::size_t cell, float f) { items.push_back({f, clock++, cell}); }
    void requeue(std::size_t cell, float f)
    {
        for (Item& i : items)
            if (i.cell == cell) i = {f, clock++, cell};
    }
    std::size_t pop()
    {
        auto best = std::min_element(items.begin(), items.end(), [](const Item& a, const Item& b) {
            return a.f < b.f || (a.f == b.f && a.arrival < b.arrival);
        });
        const std::size_t cell = best->cell;
        items.erase(best);
        return cell;
    }
};

void Exercise(std::uint32_t firstOrder)
{
    const std::size_t cells = 400;
    SearchSets sets;
    ASSERT_TRUE(sets.create(cells, 300));
    sets.setNextOrder(firstOrder);
    Model model;
    std::mt19937 rng(5);
    std::vector<std::size_t> open;
    std::size_t fresh = 0;
    for (int step = 0; step < 3000; ++step) {
        const unsigned int what = rng() % 10;
        const float f = static_cast<float>(rng() % 6) * 0.5f;  // many equal priorities
        if (what < 4 && fresh < cells && sets.openSize() < sets.openCapacity()) {
            ASSERT_TRUE(sets.push(fresh, static_cast<unsigned int>(fresh + 1), f));
            model.push(fresh, f);
            open.push_back(fresh++);
        } else if (what < 7 && !open.empty()) {
            const std::size_t cell = open[rng() % open.size()];
            sets.requeue(cell, f);
            model.requeue(cell, f);
        } else if (!open.empty()) {
            const std::size_t cell = sets.popMin();
            ASSERT_EQ(model.pop(), cell) << "step " << step;
            ASSERT_FALSE(sets.isOpen(cell));
            open.erase(std::find(open.begin(), open.end(), cell));
        }
    }
    while (!open.empty()) {
        const std::size_t cell = sets.popMin();
        ASSERT_EQ(model.pop(), cell);
        open.erase(std::find(open.begin(), open.end(), cell));
    }
    EXPECT_TRUE(sets.openEmpty());
}

} // namespace

TEST(SearchSets, PopsInSortedListOrderThroughQueueChanges) { Exercise(0); }

TEST(SearchSets, OrderSurvivesTheCounterRenumbering)
{
    // The counter passes its limit after a few hundred arrivals.
    Exercise(SearchSets::kOrderLimit - 500);
}

TEST(SearchSets, FullOpenListRefusesAndForgetsTheCell)
{
    SearchSets sets;
    ASSERT_TRUE(sets.create(4, 2));
    EXPECT_TRUE(sets.push(0, 1, 1.0f));
    EXPECT_TRUE(sets.push(1, 2, 1.0f));
    EXPECT_FALSE(sets.push(2, 3, 0.5f));
    EXPECT_EQ(0u, sets.nodeOf(2));
    EXPECT_EQ(2u, sets.openSize());
    EXPECT_EQ(0u, sets.popMin());  // the earlier of two equals

    sets.close(0);
    EXPECT_TRUE(sets.isClosed(0));
    EXPECT_EQ(1u, sets.closedSize());
    sets.reopenable(0);
    EXPECT_EQ(0u, sets.closedSize());
    EXPECT_EQ(1u, sets.nodeOf(0));

    SearchSets none;
    ASSERT_TRUE(none.create(2, 0));
    EXPECT_FALSE(none.push(0, 1, 0.0f));
}
