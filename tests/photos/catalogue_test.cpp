// The catalogue file: written and read back whole; every damage refused
// before anything of it is used.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <tuple>

#include "content/crc32.h"
#include "photos/catalogue.h"
#include "photos/library_fixtures.h"

using namespace photos;
using namespace photos_testing;

namespace {

constexpr uint32_t kPrint = 0x12345678;

// A catalogue of three photos, one a long path, with its order's place.
std::wstring Written(const Tree &tree) {
    Catalogue made;
    const std::wstring paths[] = {L"C:\\photos\\a.jpg", L"C:\\photos\\\u5199.png", L"C:\\" + std::wstring(300, L'x')};
    for (uint32_t i = 0; i < 3; ++i) {
        PHOTORECORD fields = {0, 0, FOUND_DATED | FOUND_SEEN, SHOWN_DROPPED, i, 20240600 + i, 1000 + i};
        AppendPhoto(&made.records, paths[i].c_str(), uint32_t(paths[i].size()), fields);
    }
    made.place.round = 2, made.place.last = 1, made.place.lastmoment = 77;
    SetLastPath(&made.place, L"C:\\photos\\gone.jpg", 18);
    const std::wstring file = tree.Path(L"Catalogue-12345678.dat");
    EXPECT_TRUE(WriteCatalogue(file.c_str(), kPrint, made.records.records, 3, made.records.pool, made.place, 1, 3));
    return file;
}

TEST(PhotoCatalogue, ReadsBackWhatWasWritten) {
    Tree tree;
    const std::wstring file = Written(tree);
    Catalogue read;
    ASSERT_TRUE(read.Read(file, kPrint));
    ASSERT_EQ(read.records.count, 3u);
    EXPECT_EQ(std::wstring(PhotoPath(read.records, 1)), L"C:\\photos\\\u5199.png");
    EXPECT_EQ(read.records.records[2].length, 303u);
    // Only what is meant to last is kept: the day read, not the search's marks or a drop.
    EXPECT_EQ(read.records.records[1].found, FOUND_DATED);
    EXPECT_EQ(read.records.records[1].shown, 0);
    EXPECT_EQ(read.records.records[2].round, 2u);
    EXPECT_EQ(read.records.records[2].written, 1002u);
    EXPECT_TRUE(read.place.round == 2 && read.place.last == 1 && read.place.lastmoment == 77);
    EXPECT_EQ(std::wstring(read.place.lastpath), L"C:\\photos\\gone.jpg");
    EXPECT_TRUE(read.sortedby == 1 && read.sorted == 3);
    Catalogue foreign;
    EXPECT_FALSE(foreign.Read(file, kPrint + 1));
}

// Damage of every kind: cut short at every length, each byte changed,
// and fields out of range under a CRC that matches them.
TEST(PhotoCatalogue, RefusesEveryDamage) {
    Tree tree;
    const std::wstring file = Written(tree);
    const Bytes good = ReadWide(file);
    auto refused = [&](const Bytes &bytes) {
        WriteWide(file, bytes);
        Catalogue read;
        return !read.Read(file, kPrint);
    };
    for (size_t length = 0; length < good.size(); ++length)
        ASSERT_TRUE(refused(Bytes(good.begin(), good.begin() + length))) << "cut to " << length;
    for (size_t at = 0; at < good.size(); ++at) {
        Bytes changed = good;
        changed[at] ^= 0x5A;
        ASSERT_TRUE(refused(changed)) << "byte " << at;
    }
    const std::tuple<const char *, size_t, uint32_t> fields[] = {  // what, where, the value
        {"a path past the pool", sizeof(CATALOGUEHEAD) + offsetof(PHOTORECORD, path), 0x7FFFFFF0},
        {"a path without its null", sizeof(CATALOGUEHEAD) + offsetof(PHOTORECORD, path), 1},
        {"a round far ahead", sizeof(CATALOGUEHEAD) + offsetof(PHOTORECORD, round), 9},
        {"no round", offsetof(CATALOGUEHEAD, round), 0},
        {"a last photo past the records", offsetof(CATALOGUEHEAD, last), 3},
        {"more sorted than there are", offsetof(CATALOGUEHEAD, sorted), 4},
        {"another version", offsetof(CATALOGUEHEAD, version), photos::kCatalogueVersion - 1},
    };
    for (const auto &[description, at, value] : fields) {
        Bytes changed = good;
        std::memcpy(&changed[at], &value, 4);
        CATALOGUEHEAD head;
        std::memcpy(&head, changed.data(), sizeof head);
        unsigned long crc = ml::crc32(0, changed.data() + sizeof head, unsigned(changed.size() - sizeof head));
        head.check = uint32_t(ml::crc32(crc, &head, offsetof(CATALOGUEHEAD, check)));
        std::memcpy(changed.data(), &head, sizeof head);
        EXPECT_TRUE(refused(changed)) << description;
    }
    EXPECT_FALSE(refused(good));
}

}  // namespace
