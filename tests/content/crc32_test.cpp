// CRC-32 check values.
#include <gtest/gtest.h>

#include <cstring>

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

TEST(Crc32, TableIsTheReflectedPolynomial) {
    EXPECT_EQ(ml::crc_table[0], 0u);
    EXPECT_EQ(ml::crc_table[1], 0x77073096u);
    EXPECT_EQ(ml::crc_table[128], 0xEDB88320u);
    EXPECT_EQ(ml::crc_table[255], 0x2D02EF8Du);
}
