// zlib streams inflated into global memory, in memory and from a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "content/compress.h"
#include "support/test_support.h"

using testing_support::TempFile;

namespace {

Bytes Pattern(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t((i * 7) ^ (i >> 9));
    return bytes;
}

Bytes Contents(HGLOBAL memory) {
    Bytes bytes(GlobalSize(memory));
    std::memcpy(bytes.data(), GlobalLock(memory), bytes.size());
    GlobalUnlock(memory);
    return bytes;
}

HGLOBAL FromFile(const Bytes &stored, unsigned long *count) {
    TempFile file(".z");
    file.Write(stored);
    HFILE handle = _lopen(file.path(), OF_READ);
    HGLOBAL result = UncompressDataFromFile(handle, count, 1);
    _lclose(handle);
    return result;
}

}  // namespace

TEST(UncompressData, RestoresTheBytesOfEverySize) {
    for (size_t size : {1u, 100u, 8191u, 8192u, 8193u, 3u * 8192u, 65536u, 65537u, 1000000u}) {
        SCOPED_TRACE(size);
        const Bytes original = Pattern(size);
        const Bytes stored = CompressStream(original);
        unsigned long count = (unsigned long)stored.size();
        HGLOBAL memory = UncompressData(stored.data(), &count, 1);
        ASSERT_NE(memory, nullptr);
        EXPECT_EQ(count, size);
        EXPECT_EQ(GlobalSize(memory), size);  // exactly the inflated bytes
        EXPECT_EQ(Contents(memory), original);
        GlobalFree(memory);

        count = (unsigned long)stored.size();
        memory = FromFile(stored, &count);
        ASSERT_NE(memory, nullptr);
        EXPECT_EQ(count, size);
        EXPECT_EQ(Contents(memory), original);
        GlobalFree(memory);
    }
}

TEST(UncompressData, FailuresLeaveTheCountAlone) {
    const Bytes stored = CompressStream(Pattern(50000));
    Bytes corrupt = stored;
    for (size_t i = 10; i < corrupt.size(); i += 3) corrupt[i] ^= 0x5A;
    struct Case {
        const char *what;
        Bytes bytes;
        unsigned long count;
    } cases[] = {
        {"a stored count of 0", stored, 0},
        {"corrupt deflate data", corrupt, (unsigned long)corrupt.size()},
        {"not a zlib header", Bytes(100, 0xFF), 100},
        {"only the zlib header", stored, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        unsigned long count = c.count;
        EXPECT_EQ(UncompressData(c.bytes.data(), &count, 1), nullptr);
        EXPECT_EQ(count, c.count);
        count = c.count;
        EXPECT_EQ(FromFile(c.bytes, &count), nullptr);
        EXPECT_EQ(count, c.count);
    }
}

TEST(UncompressData, SurplusStoredBytesAreIgnored) {
    const Bytes original = Pattern(20000);
    Bytes stored = CompressStream(original);
    const size_t streamSize = stored.size();
    stored.resize(streamSize + 500, 0xEE);
    unsigned long count = (unsigned long)stored.size();
    HGLOBAL memory = UncompressData(stored.data(), &count, 1);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(Contents(memory), original);
    GlobalFree(memory);
}

TEST(UncompressData, AStreamCutShortYieldsWhatCameBeforeTheCut) {
    const Bytes original = Pattern(200000);
    const Bytes stored = CompressStream(original, 0);  // stored blocks: output follows input closely
    unsigned long count = (unsigned long)stored.size() / 2;
    HGLOBAL memory = FromFile(Bytes(stored.begin(), stored.begin() + count), &count);
    ASSERT_NE(memory, nullptr);
    const Bytes part = Contents(memory);
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), original.size());
    EXPECT_TRUE(std::equal(part.begin(), part.end(), original.begin()));
    GlobalFree(memory);
}
