// The run-time order of a random-order folder: its permutations and its
// stored state.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "content/loader.h"
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
    PlayOrderKey(store.list(), head, key, sizeof key);
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

namespace {

// A show titled "Holiday": a fixed picture, then a random-order folder of
// photos of the given widths.
struct Show {
    SCRHEAD head;
    SCRIMAGE photo;
    std::vector<int> widths;
    int fixedWide;
    const char *firstName;  // the first photo's; the others are "Beach"
};

struct Build {
    const char *what;
    void (*change)(Show &show);
};

// The registry key of the show as `build` changes it.
std::string ShowKeyOf(const Build &build) {
    Show show = {testing_support::TestHead("Holiday"), SCRIMAGE{}, {16, 24, 32}, 8, "Harbour"};
    show.photo.flags = SCRF_RANDOMORDER, show.photo.group = 1, show.photo.holdtime = 4;
    show.photo.takendate = 20240612;
    if (build.change) build.change(show);
    ShowWriter writer(show.head);
    writer.AddPicture(SCRIMAGE{}, testing_support::TestDib(show.fixedWide, 8, 24), false);
    for (size_t i = 0; i < show.widths.size(); ++i)
        writer.AddPicture(show.photo, testing_support::TestDib(show.widths[i], 8, 24), false, i ? "Beach" : show.firstName);
    testing_support::TempFile file;
    file.Write(writer.Build(testing_support::FakeProgram()));
    testing_support::TestStore store;
    if (!LoadScrFile(store.list(), store.set(), file.path())) return "not loaded";
    char key[300];
    PlayOrderKey(store.list(), store.Block(0).head, key, sizeof key);
    return key;
}

}  // namespace

// A rebuild of the same show finds the same key; another title or other
// photos in the folder make another.
TEST(PlayOrder, AShowIsKnownByItsTitleAndItsFolderPhotos) {
    const std::string original = ShowKeyOf({"as built first", nullptr});
    EXPECT_EQ(original.rfind("Software\\Marrowlight\\Holiday ", 0), 0u) << original;
    const Build same[] = {
        {"built at another time", [](Show &s) { s.head.created += 86400; }},
        {"another description and author",
         [](Show &s) {
             lstrcpynA(s.head.description, "New words", sizeof s.head.description);
             lstrcpynA(s.head.author, "Someone", sizeof s.head.author);
         }},
        {"another hold and effect", [](Show &s) { s.photo.holdtime = 9, s.photo.appeareffect = 3; }},
        {"another picture outside the folder", [](Show &s) { s.fixedWide = 12; }},
    };
    const Build other[] = {
        {"another title", [](Show &s) { lstrcpynA(s.head.title, "Holiday 2", sizeof s.head.title); }},
        {"a photo more", [](Show &s) { s.widths.push_back(40); }},
        {"a photo changed", [](Show &s) { s.widths[1] = 28; }},
        {"a photo renamed (a name as long)", [](Show &s) { s.firstName = "Seaside"; }},
        {"photos of another day", [](Show &s) { s.photo.takendate = 20240613; }},
        {"the photos in another order", [](Show &s) { std::swap(s.widths[0], s.widths[2]); }},
    };
    for (const Build &b : same) EXPECT_EQ(ShowKeyOf(b), original) << b.what;
    for (const Build &b : other) EXPECT_NE(ShowKeyOf(b), original) << b.what;
}

namespace {

// Scratch shows' keys under a key of the test's own.
class ShowKeys {
public:
    ShowKeys() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kRoot);
        RegCreateKeyExA(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr);
    }
    ~ShowKeys() {
        RegCloseKey(root_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kRoot);
    }
    HKEY root() const { return root_; }
    // A show's key holding an order, written now.
    void Add(const std::string &name) {
        const ORDERRECORD record = Encode(3, NewOrder(1));
        RegSetKeyValueA(root_, name.c_str(), "Order 1", REG_BINARY, &record, sizeof record);
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        char name[256];
        for (DWORD i = 0, length = sizeof name; RegEnumKeyExA(root_, i, name, &length, nullptr, nullptr, nullptr,
                                                               nullptr) == ERROR_SUCCESS;
             ++i, length = sizeof name)
            names.insert(name);
        return names;
    }

private:
    static constexpr const char *kRoot = "Software\\Marrowlight tests\\play order keys";
    HKEY root_ = nullptr;
};

ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// A show's key as the player names it: its title and eight hexadecimal digits.
std::string Numbered(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "Show %08X", n);
    return name;
}

}  // namespace

// Keys unplayed for a year go, and all but the most recently played
// kKeptShows; the key of the show that plays stays whatever its age, and
// a key that is no show's (the bare player's settings) stays always.
TEST(PlayOrder, OldShowKeysAreDeleted) {
    const int made = int(kKeptShows) + 5;
    struct Case {
        const char *what;
        int keys;
        ULONGLONG later;  // how long after the keys were written the show starts
        int current;      // the playing show's key
        std::set<std::string> left;
    } cases[] = {
        {"a few keys played lately", 5, 0, 0, {}},
        {"a few keys, a year and a day on", 5, kKeptFor + 864000000000ULL, 3, {}},
        {"more keys than are kept", made, 0, 0, {}},
    };
    for (int n = 0; n < 5; ++n) cases[0].left.insert(Numbered(n));
    cases[1].left.insert(Numbered(3));
    for (int n = 0; n < made; ++n)
        if (n == 0 || n >= made - int(kKeptShows)) cases[2].left.insert(Numbered(n));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ShowKeys keys;
        keys.Add("Photos");
        for (int n = 0; n < c.keys; ++n) {
            keys.Add(Numbered(n));
            Sleep(2);  // each written at a time of its own
        }
        PruneShowKeys(keys.root(), Numbered(c.current).c_str(), Now() + c.later);
        std::set<std::string> left = c.left;
        left.insert("Photos");
        EXPECT_EQ(keys.Names(), left);
    }
}
