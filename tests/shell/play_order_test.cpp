// The run-time order of a random-order folder: its permutations and its
// stored state.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "shell/play_order.h"

using namespace playorder;

// Two whole orders in a row for folders of many sizes: each order holds
// every photo once, and the second does not start with the last of the
// first. Seeds draw different orders.
TEST(PlayOrder, EveryPhotoOncePerOrderAndNoRepeatAtTheBoundary) {
    std::set<std::vector<uint32_t>> orders;  // the first of ten photos, one for each seed
    std::vector<uint32_t> seeds = {0xDEADBEEFu, 12345u};
    for (uint32_t seed = 0; seed < 20; ++seed) seeds.push_back(seed);
    for (uint32_t count : {1u, 2u, 3u, 4u, 5u, 10u, 17u, 64u, 1000u}) {
        for (uint32_t seed : seeds) {
            SCOPED_TRACE(testing::Message() << count << " photos, seed " << seed);
            OrderState state = NewOrder(seed);
            std::vector<uint32_t> played;
            for (uint32_t i = 0; i < 2 * count; ++i) {
                played.push_back(OrderMember(count, state, state.position));
                state = Advanced(count, state);
                ASSERT_EQ(state.last, played.back());
            }
            for (uint32_t half : {0u, count}) {
                const std::set<uint32_t> order(played.begin() + half, played.begin() + half + count);
                EXPECT_EQ(order.size(), count);
                EXPECT_LT(*order.rbegin(), count);
            }
            EXPECT_TRUE(count == 1 || played[count] != played[count - 1]);
            if (count == 10) orders.emplace(played.begin(), played.begin() + 10);
        }
    }
    EXPECT_GE(orders.size(), seeds.size() - 1);
}

// The stored state reads back; a changed field, another folder's size or a
// position past the folder is refused.
TEST(PlayOrder, StoredStateReadsBackAndDamageIsRefused) {
    const ORDERRECORD good = Encode(8, OrderState{0x1234, 3, 2, 7});
    OrderState read = {};
    ASSERT_TRUE(Decode(&good, sizeof good, 8, &read));
    EXPECT_TRUE(read.seed == 0x1234 && read.position == 3 && read.avoid == 2 && read.last == 7);
    ORDERRECORD changed = good;
    changed.seed ^= 0x40;
    const ORDERRECORD past = Encode(8, OrderState{1, 8, kNone, kNone});
    EXPECT_FALSE(Decode(&changed, sizeof changed, 8, &read));
    EXPECT_FALSE(Decode(&good, sizeof good, 9, &read));
    EXPECT_FALSE(Decode(&past, sizeof past, 8, &read));
}
