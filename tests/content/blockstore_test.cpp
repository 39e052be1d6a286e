// The block store on a real list box.
#include <gtest/gtest.h>

#include <cstring>

#include "applet/objects.h"
#include "support/test_support.h"

using testing_support::TestStore;

namespace {

HGLOBAL Memory(size_t size) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size); }

// A fixed block (GMEM_FIXED) is a block of the process heap while it lives.
bool IsFixed(HGLOBAL memory) { return HeapValidate(GetProcessHeap(), 0, memory) != FALSE; }
// Whether `memory`, of the kind `fixed` said while it lived, has been freed:
// a movable handle then reads as invalid, a fixed block leaves the heap.
bool IsFreed(HGLOBAL memory, bool fixed = false) {
    return fixed ? !IsFixed(memory) : GlobalFlags(memory) == GMEM_INVALID_HANDLE;
}

BLOCK TextBlock(WORD sequence) {
    BLOCK block{};
    block.type = TAG_TEXT;
    block.sequence = sequence;
    block.text.fontheight = 20 + sequence;
    return block;
}

}  // namespace

TEST(BlockStore, AppendReturnsTheOneBasedIndex) {
    TestStore store;
    for (WORD n = 1; n <= 5; ++n) {
        BLOCK block = TextBlock(n);
        EXPECT_EQ(AppendBlock(store.list(), store.set(), &block), n);
    }
    EXPECT_EQ(store.Count(), 5);
}

TEST(BlockStore, AppendWithoutABlockSetStoresNothing) {
    TestStore store;
    BLOCK block = TextBlock(1);
    EXPECT_EQ(AppendBlock(store.list(), nullptr, &block), 0);
    EXPECT_EQ(store.Count(), 0);
}

TEST(BlockStore, ReadsBackTheSameBytes) {
    TestStore store;
    BLOCK block = TextBlock(3);
    for (size_t i = 0; i < sizeof block.head.description; ++i) block.head.description[i] = char(i);
    ASSERT_EQ(AppendBlock(store.list(), store.set(), &block), 1);
    BLOCK copy;
    ASSERT_EQ(GetBlock(store.list(), 0, &copy), 1);
    EXPECT_EQ(std::memcmp(&copy, &block, sizeof block), 0);

    block.text.fontheight = 99;
    EXPECT_EQ(PutBlock(store.list(), 0, &block), 1);
    EXPECT_EQ(store.Block(0).text.fontheight, 99);
}

TEST(BlockStore, IndexWithoutARecordIsRefused) {
    TestStore store;
    BLOCK block = TextBlock(1);
    AppendBlock(store.list(), store.set(), &block);
    BLOCK untouched;
    std::memset(&untouched, 0xAB, sizeof untouched);
    for (int index : {1, 7, -1}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(GetBlock(store.list(), index, &untouched), 0);
        EXPECT_EQ(PutBlock(store.list(), index, &block), 0);
        EXPECT_EQ(((BYTE *)&untouched)[0], 0xAB);
    }
}

TEST(BlockStore, FreeBlocksReleasesEverythingTheRecordsOwn) {
    TestStore store;
    BLOCK applet{};
    applet.type = TAG_APPL;
    applet.data = Memory(100);
    HGLOBAL objectData[3] = {Memory(10), Memory(20), Memory(30)};
    for (int i = 0; i < 3; ++i) {
        APPLETOBJECT object{};
        object.kind = i < 2 ? TAG_PICT : TAG_WAVE;
        object.number = i + 1;
        ASSERT_TRUE(SetObjectData(object, objectData[i]));
        if (i < 2)
            ASSERT_EQ(AddAppletObject((void **)&applet.pictures, &applet.picturecount, &object), 1);
        else
            ASSERT_EQ(AddAppletObject((void **)&applet.sounds, &applet.soundcount, &object), 1);
    }
    BLOCK picture{};
    picture.type = TAG_IMAG;
    picture.data = Memory(1000);
    picture.auxhandle = Memory(10);
    const HGLOBAL owned[] = {applet.data, applet.pictures, applet.sounds, picture.data, picture.auxhandle,
                             objectData[0], objectData[1], objectData[2]};
    bool fixed[8];
    for (int i = 0; i < 8; ++i) fixed[i] = IsFixed(owned[i]);
    EXPECT_TRUE(fixed[1] && fixed[2]) << "object lists are fixed memory";
    AppendBlock(store.list(), store.set(), &applet);
    AppendBlock(store.list(), store.set(), &picture);
    store.set()->path[0] = 'x';
    store.set()->count = 2;

    FreeBlocks(store.window(), store.set());

    EXPECT_EQ(store.Count(), 0);
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(IsFreed(owned[i], fixed[i])) << i;
    const BYTE *set = (const BYTE *)store.set();
    EXPECT_TRUE(std::all_of(set, set + sizeof(BLOCKSET), [](BYTE b) { return b == 0; }));
}

TEST(BlockStore, FreeBlocksWithoutABlockSetLeavesTheStore) {
    TestStore store;
    BLOCK block = TextBlock(1);
    block.data = Memory(10);
    AppendBlock(store.list(), store.set(), &block);
    EXPECT_EQ(FreeBlocks(store.window(), nullptr), 0);
    EXPECT_EQ(store.Count(), 1);
    EXPECT_FALSE(IsFreed(block.data));
}
