// The run-time order of a random-order folder: its permutations and its
// stored state.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "shell/play_order.h"
#include "support/test_support.h"

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

// A monitor's next photo of a folder the monitors share: never the one it
// shows nor one another monitor shows or has taken ahead, as long as the
// folder has another; else still a photo, so no monitor waits a lap on the
// background. Outside the folders a slot plays itself and nothing moves.
TEST(PlayOrder, ATakenPhotoIsNoneThatAMonitorHolds) {
    testing_support::TestStore store;
    BLOCK block{};
    block.type = TAG_HEAD;
    AppendBlock(store.list(), store.set(), &block);
    block.type = TAG_IMAG;
    AppendBlock(store.list(), store.set(), &block);  // a fixed picture at 1
    block.image.flags = SCRF_RANDOMORDER, block.image.group = 1;
    for (int i = 0; i < 4; ++i) AppendBlock(store.list(), store.set(), &block);  // the folder at 2..5
    const SCRHEAD head = testing_support::TestHead("Photos shared by monitors");
    char key[300];
    PlayOrderKey(head, key, sizeof key);
    LoadPlayOrder(store.list(), head);
    EXPECT_EQ(TakeFolderPhoto(1, nullptr, 0), 1);
    EXPECT_TRUE(InSameFolder(2, 5));
    EXPECT_FALSE(InSameFolder(1, 2));
    int shown = -1;
    for (int turn = 0; turn < 40; ++turn) {
        SCOPED_TRACE(turn);
        // This monitor's photo, and two other monitors' photos.
        const int held[] = {shown, 2 + turn % 4, 2 + (turn + 1) % 4};
        const int taken = TakeFolderPhoto(3, held, 3);
        EXPECT_TRUE(taken >= 2 && taken <= 5) << taken;
        for (int h : held) EXPECT_NE(taken, h);
        shown = taken;
    }
    const int all[] = {2, 3, 4, 5};
    const int taken = TakeFolderPhoto(2, all, 4);
    EXPECT_TRUE(taken >= 2 && taken <= 5) << taken;
    ForgetPlayOrder();
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}
