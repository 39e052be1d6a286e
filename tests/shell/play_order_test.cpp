// The run-time order of a random-order folder: its permutations and its
// stored state.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "shell/play_order.h"

using namespace playorder;

// Two whole orders in a row for folders of many sizes: each order holds
// every photo once, and the second does not start with the last of the first.
TEST(PlayOrder, EveryPhotoOncePerOrderAndNoRepeatAtTheBoundary) {
    for (uint32_t count : {1u, 2u, 3u, 4u, 5u, 17u, 64u, 1000u}) {
        for (uint32_t seed : {0u, 1u, 0xDEADBEEFu, 12345u}) {
            SCOPED_TRACE(testing::Message() << count << " photos, seed " << seed);
            OrderState state = NewOrder(seed);
            std::vector<uint32_t> played;
            for (uint32_t i = 0; i < 2 * count; ++i) {
                played.push_back(OrderMember(count, state, state.position));
                state = Advanced(count, state);
                ASSERT_EQ(state.last, played.back());
            }
            for (int half = 0; half < 2; ++half) {
                const std::set<uint32_t> order(played.begin() + half * count, played.begin() + (half + 1) * count);
                EXPECT_EQ(order.size(), count);
                EXPECT_LT(*order.rbegin(), count);
            }
            if (count > 1) {
                EXPECT_NE(played[count], played[count - 1]);
            }
        }
    }
}

TEST(PlayOrder, SeedsDrawDifferentOrders) {
    std::set<std::vector<uint32_t>> orders;
    for (uint32_t seed = 0; seed < 20; ++seed) {
        std::vector<uint32_t> order;
        for (uint32_t p = 0; p < 10; ++p) order.push_back(OrderMember(10, NewOrder(seed), p));
        orders.insert(order);
    }
    EXPECT_GE(orders.size(), 19u);
}

// The stored state reads back; anything else is refused, so a new order starts.
TEST(PlayOrder, StoredStateReadsBackAndDamageIsRefused) {
    const OrderState state = {0x1234, 3, 2, 7};
    const ORDERRECORD good = Encode(8, state);
    OrderState read = {};
    ASSERT_TRUE(Decode(&good, sizeof good, 8, &read));
    EXPECT_EQ(read.seed, 0x1234u);
    EXPECT_EQ(read.position, 3u);
    EXPECT_EQ(read.avoid, 2u);
    EXPECT_EQ(read.last, 7u);
    struct Case {
        const char *what;
        size_t offset;  // byte changed, or the size cut
        uint32_t count;
        bool cut;
    } cases[] = {
        {"magic", 0, 8, false},         {"seed without its check", 13, 8, false}, {"check", 29, 8, false},
        {"another folder size", 0, 9, false}, {"short", 31, 8, true},             {"empty", 0, 8, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ORDERRECORD bad = good;
        DWORD size = sizeof bad;
        if (c.cut)
            size = DWORD(c.offset);
        else if (c.count == 8)
            ((uint8_t *)&bad)[c.offset] ^= 0x40;
        EXPECT_FALSE(Decode(&bad, size, c.count, &read));
    }
    // A well-made record whose position lies past the folder is foreign too.
    const ORDERRECORD past = Encode(8, OrderState{1, 8, kNone, kNone});
    EXPECT_FALSE(Decode(&past, sizeof past, 8, &read));
}
