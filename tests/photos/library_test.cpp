// The photo library on real folders: what the search finds and passes
// over, the states it ends in, the orders across starts, and a damaged
// catalogue rebuilt.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "photos/library.h"
#include "photos/library_fixtures.h"
#include "support/test_photos.h"

using namespace photos_testing;

namespace {

const Bytes kPhoto = {0xFF, 0xD8, 0xFF, 0xD9};  // never decoded here: any bytes do

// What the search finds, with subfolders and without: every photo
// extension in any case, non-ASCII names, a path longer than MAX_PATH;
// not hidden or system files or folders, other extensions, nor what a
// symbolic link loop leads to.
TEST(PhotoLibrary, FindsPhotosAndPassesOverTheRest) {
    Tree tree;
    const std::wstring deep = L"d1234567890123456789012345678901234567890123456789\\";
    const std::wstring longfolder = deep + deep + deep + deep + deep + L"e";
    for (const wchar_t *name : {L"a.jpg", L"b.JPG", L"c.Jpeg", L"d.png", L"e.BMP", L"f.gif", L"g.txt",
                                L"h.jpg.txt", L"ijpg", L"sub\\\u00FCn\u00EFc\u00F8d\u00E9 \u5199\u771F.jpg",
                                L"sub\\deeper\\y.png"})
        tree.File(name, kPhoto);
    tree.File(L"hidden.jpg", kPhoto, FILE_ATTRIBUTE_HIDDEN);
    tree.File(L"system.jpg", kPhoto, FILE_ATTRIBUTE_SYSTEM);
    tree.File(L"secret\\x.jpg", kPhoto);
    tree.Folder(L"secret", FILE_ATTRIBUTE_HIDDEN);
    tree.File(longfolder + L"\\z.jpg", kPhoto);
    ASSERT_GT(tree.Path(longfolder + L"\\z.jpg").size(), size_t(MAX_PATH));
    const bool loop = tree.Link(L"sub\\loop", L"");
    if (!loop) std::printf("This Wine makes no symbolic links: the loop is not tried.\n");

    const std::set<std::wstring> top = {L"a.jpg", L"b.JPG", L"c.Jpeg", L"d.png", L"e.BMP", L"f.gif"};
    std::set<std::wstring> all = top;
    all.insert({L"sub\\\u00FCn\u00EFc\u00F8d\u00E9 \u5199\u771F.jpg", L"sub\\deeper\\y.png", longfolder + L"\\z.jpg"});
    for (BOOL subfolders : {TRUE, FALSE}) {
        Session session(List({tree.Path(L"")}), subfolders, PHOTOORDER_RANDOM);
        EXPECT_EQ(session.Wait(), LIBRARY_READY);
        EXPECT_EQ(session.Found(tree), subfolders ? all : top);
    }
    // The long path in the \\?\ form; the name as UTF-8, cut at a whole character.
    Session session(List({tree.Path(L"")}), TRUE, PHOTOORDER_NAME);
    session.Wait();
    const std::string unicode = "\xC3\xBCn\xC3\xAF" "c\xC3\xB8" "d\xC3\xA9 \xE5\x86\x99\xE7\x9C\x9F";
    const int deepest = session.Id("z"), named = session.Id(unicode);
    wchar_t path[40000];
    ASSERT_TRUE(LibraryPhotoPath(session.library, deepest, path, 40000));
    EXPECT_EQ(std::wstring(path, 4), L"\\\\?\\");
    EXPECT_FALSE(LibraryPhotoPath(session.library, deepest, path, MAX_PATH));
    char name[4];
    EXPECT_EQ(LibraryPhotoName(session.library, named, name, sizeof name), 3);
    EXPECT_STREQ(name, "\xC3\xBCn");
}

// The state a search ends in when it finds nothing, posted once.
TEST(PhotoLibrary, TellsWhyThereIsNothingToPlay) {
    Tree tree;
    tree.Folder(L"empty");
    const std::tuple<const char *, std::wstring, LIBRARYSTATE> cases[] = {  // what, the folders, the state
        {"no folder", List({}), LIBRARY_NOFOLDERS},
        {"missing folders", List({tree.Path(L"gone"), L"Q:\\nowhere"}), LIBRARY_FOLDERSMISSING},
        {"an empty folder and a missing one", List({tree.Path(L"empty"), tree.Path(L"gone")}), LIBRARY_NOPHOTOS},
    };
    for (const auto &[description, folders, state] : cases) {
        SCOPED_TRACE(description);
        Session session(folders, TRUE, PHOTOORDER_RANDOM);
        EXPECT_EQ(session.Wait(), state);
        EXPECT_EQ(session.posted, std::vector<WPARAM>{WPARAM(state)});
        EXPECT_EQ(TakeLibraryPhoto(session.library, nullptr, 0), -1);
    }
}

// Random order across starts: no photo plays twice before every one has;
// a photo added between starts joins the round under way, a removed one is
// passed over, and the next round holds every photo once, not starting with
// the last one shown. An excluded photo is not taken while another may be.
TEST(PhotoLibrary, RandomRoundsHoldEveryPhotoOnceAcrossStarts) {
    Tree tree;
    std::set<std::string> photos;
    for (char c = 'a'; c <= 'f'; ++c) {
        tree.File(std::wstring(L"photos\\") + wchar_t(c) + L".jpg", kPhoto);
        photos.insert(std::string(1, c));
    }
    const std::wstring folders = List({tree.Path(L"photos")}), store = tree.Path(L"store\\below");
    std::set<std::string> played;
    {
        Session first(folders, TRUE, PHOTOORDER_RANDOM, store);
        first.Wait();
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(played.insert(first.Play()).second);
    }
    std::vector<std::string> left;
    for (const std::string &photo : photos)
        if (!played.count(photo)) left.push_back(photo);
    ASSERT_EQ(left.size(), 2u);
    tree.Remove(L"photos\\" + Wide(left[0]) + L".jpg");
    tree.File(L"photos\\new.jpg", kPhoto);
    photos.erase(left[0]);
    photos.insert("new");

    Session second(folders, TRUE, PHOTOORDER_RANDOM, store);
    ASSERT_EQ(second.Wait(), LIBRARY_READY);
    const int excluded = second.Id(left[1]);
    EXPECT_EQ(second.Name(TakeLibraryPhoto(second.library, &excluded, 1)), "new");
    EXPECT_EQ((std::set<std::string>{second.Play(), second.Play()}), (std::set<std::string>{left[1], "new"}));
    // Rounds enough that a round starting with the last photo shown would be seen.
    for (int rounds = 0; rounds < 30; ++rounds) {
        const std::string last = second.Name(second.lastplayed);
        std::set<std::string> round;
        for (size_t i = 0; i < photos.size(); ++i) {
            const std::string photo = second.Play();
            EXPECT_TRUE(i > 0 || photo != last) << "round " << rounds;
            round.insert(photo);
        }
        ASSERT_EQ(round, photos) << "round " << rounds;
    }
}

// The sorted orders: by path without regard to case, by day taken (EXIF,
// else the last write time) oldest or newest first; each goes on after
// the last photo started, across starts and past a photo removed between.
TEST(PhotoLibrary, SortedOrdersGoOnWhereTheyStood) {
    const struct {
        DWORD order;
        std::vector<std::string> sequence;  // the third is removed after the second has played
        const wchar_t *removed;
    } cases[] = {
        {PHOTOORDER_NAME, {"a b", "A", "b", "c", "a"}, L"b.jpg"},
        {PHOTOORDER_DATE, {"a", "A", "a b", "b", "c"}, L"a b.png"},
        {PHOTOORDER_NEWEST, {"c", "b", "a b", "A", "a"}, L"a b.png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.order);
        Tree tree;
        tree.File(L"b.jpg", testing_support::WithExif(kPhoto, 1, "2001:02:03 10:00:00"), 0, 2005);
        tree.File(L"A.jpg", testing_support::WithExif(kPhoto, 1, "1999:12:31 23:59:59"), 0, 2005);
        tree.File(L"a b.png", kPhoto, 0, 2000);
        tree.File(L"sub\\a.jpg", kPhoto, 0, 1998);
        tree.File(L"c.JPG", testing_support::WithExif(kPhoto, 1, "2003:13:01 00:00:00"), 0, 2002);  // no real day: its file's
        const std::wstring folders = List({tree.Path(L"")}), store = tree.Path(L"store");
        {
            Session first(folders, TRUE, c.order, store);
            first.Wait();
            for (int i : {0, 1}) EXPECT_EQ(first.Play(), c.sequence[i]) << i;
            EXPECT_EQ(LibraryPhotoDate(first.library, first.Id("A")), c.order == PHOTOORDER_NAME ? 0u : 19991231u);
        }
        tree.Remove(c.removed);
        Session second(folders, TRUE, c.order, store);
        second.Wait();
        for (int i : {3, 4, 0}) EXPECT_EQ(second.Play(), c.sequence[i]) << i;
    }
}

// A catalogue plays before the search ends; photos whose folders went
// leave when it does. A damaged catalogue is rebuilt from the search.
TEST(PhotoLibrary, CatalogueFirstAndRebuiltWhenDamaged) {
    Tree tree;
    tree.File(L"photos\\a.jpg", kPhoto);
    tree.File(L"photos\\b.png", kPhoto);
    const std::wstring folders = List({tree.Path(L"photos")}), store = tree.Path(L"store");
    Session(folders, FALSE, PHOTOORDER_NAME, store).Wait();
    const std::wstring file = CatalogueFile(store);
    ASSERT_FALSE(file.empty());
    Bytes damaged = ReadWide(file);
    damaged.resize(damaged.size() / 2);
    WriteWide(file, damaged);
    {
        Session rebuilt(folders, FALSE, PHOTOORDER_NAME, store);
        EXPECT_EQ(rebuilt.Wait(), LIBRARY_READY);
        EXPECT_EQ(rebuilt.Found(tree), (std::set<std::wstring>{L"photos\\a.jpg", L"photos\\b.png"}));
    }
    EXPECT_TRUE(Catalogue().Read(file, photos::FolderPrint(folders.c_str(), FALSE)));
    tree.Remove(L"photos\\a.jpg");
    tree.Remove(L"photos\\b.png");
    tree.Remove(L"photos");
    Session gone(folders, FALSE, PHOTOORDER_NAME, store);
    EXPECT_EQ(gone.Wait(), LIBRARY_FOLDERSMISSING);
    EXPECT_EQ(gone.posted, (std::vector<WPARAM>{LIBRARY_READY, LIBRARY_FOLDERSMISSING}));
    EXPECT_EQ(LibraryCount(gone.library), 0);
}

}  // namespace
