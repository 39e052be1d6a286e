// CRC-32 check values.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "content/crc32.h"

TEST(Crc32, StandardCheckValue) {
    EXPECT_EQ(ml::crc32(0, "123456789", 9), 0xCBF43926u);
}

TEST(Crc32, ZeroBytesGiveTheStartValueBack) {
    EXPECT_EQ(ml::crc32(0, "", 0), 0u);
    EXPECT_EQ(ml::crc32(0x12345678, "x", 0), 0x12345678u);
}

TEST(Crc32, NullPointerGivesZero) {
    EXPECT_EQ(ml::crc32(0xDEADBEEF, nullptr, 10), 0u);
}

TEST(Crc32, ContinuesAcrossPiecesOfEveryLength) {
    char text[100];
    for (int i = 0; i < 100; ++i) text[i] = char(i * 37 + 11);
    const unsigned long whole = ml::crc32(0, text, sizeof text);
    for (unsigned cut = 0; cut <= sizeof text; ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(ml::crc32(ml::crc32(0, text, cut), text + cut, sizeof text - cut), whole);
    }
}

// Values the checks of stored shows were written with: whatever computes
// the CRC, these stay, or no show made before reads.
TEST(Crc32, KeepsTheValuesStoredChecksHave) {
    std::vector<unsigned char> ramp(1000), ones(64, 0xFF), zeros(37, 0);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = (unsigned char)(i * 131 + 7);
    const char *fox = "The quick brown fox jumps over the lazy dog";
    const struct {
        const char *description;
        unsigned long start;
        const void *bytes;
        size_t count;
        unsigned long crc;
    } rows[] = {
        {"one byte", 0, "a", 1, 0xE8B7BE43},
        {"a thousand bytes of every value", 0, ramp.data(), ramp.size(), 0x1ED57BB9},
        {"all bits set", 0, ones.data(), ones.size(), 0x0F6187BA},
        {"all bits clear", 0, zeros.data(), zeros.size(), 0x24D17F64},
        {"continued from a start value", 0xCBF43926, "123456789", 9, 0x4B837AE4},
        {"text", 0, fox, std::strlen(fox), 0x414FA339},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.description);
        EXPECT_EQ(ml::crc32(row.start, row.bytes, unsigned(row.count)), row.crc);
    }
}
