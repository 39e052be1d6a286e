// Picture folders: which files count, their order, the keys they share,
// the errors at the folder's place, and shows built from them.
#include <gtest/gtest.h>

#include <filesystem>

#include "build.h"
#include "errors.h"
#include "manifest.h"
#include "reader.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::TempDir;

namespace {

std::vector<std::string> LoadErrors(const std::string &manifest) {
    return testing_mlshow::ErrorsOf([&] { LoadManifest(manifest); });
}

std::string Joined(const std::vector<std::string> &names) {
    std::string all;
    for (const std::string &name : names) all += (all.empty() ? "" : " ") + name;
    return all;
}

const char kFolderShow[] = "[show]\ntitle = \"F\"\ncreated = 0\n[[item]]\ntype = \"pictures\"\nfolder = \"photos\"\n";

}  // namespace

TEST(PictureFolder, PicturesAreNamedByTheirExtension) {
    struct Case {
        const char *name;
        bool picture;
    };
    const Case cases[] = {{"a.jpg", true},   {"B.JPG", true},    {"c.jpeg", true},  {"d.Png", true},  {"e.bmp", true},
                          {"f.gif", true},   {"g.txt", false},   {"h.jpg.txt", false}, {"jpg", false}, {".jpg", false},
                          {".hidden.jpg", false}, {"", false}, {"i.tiff", false}, {"j.", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsPictureFileName(c.name), c.picture);
    }
}

TEST(PictureFolder, NamesAreSortedByteByByte) {
    const std::vector<std::string> names = {"b.jpg", "a.jpg", "\xC3\xA9t\xC3\xA9.jpg", "Z.png", "10.jpg", "9.jpg", "A.jpg"};
    EXPECT_EQ(Joined(PictureOrder(names, false, 0)), "10.jpg 9.jpg A.jpg Z.png a.jpg b.jpg \xC3\xA9t\xC3\xA9.jpg");
}

TEST(PictureFolder, TheShuffleIsFixedBySeedAlone) {
    const std::vector<std::string> names = {"a", "b", "c", "d", "e", "f", "g", "h"};
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    // Pinned (and checked against an independent MT19937): the order must
    // never change between versions or platforms.
    EXPECT_EQ(Joined(PictureOrder(names, true, 0)), Joined(PictureOrder(reversed, true, 0)));
    EXPECT_EQ(Joined(PictureOrder(names, true, 0)), "c b h g a f d e");
    EXPECT_EQ(Joined(PictureOrder(names, true, 4294967295u)), "g h b a e c f d");
    EXPECT_NE(Joined(PictureOrder(names, true, 1)), Joined(PictureOrder(names, true, 2)));
    EXPECT_EQ(Joined(PictureOrder({}, true, 3)), "");
    EXPECT_EQ(Joined(PictureOrder({"x"}, true, 3)), "x");
    // Every name once, whatever the seed.
    for (uint32_t seed = 0; seed < 50; ++seed) {
        std::vector<std::string> order = PictureOrder(names, true, seed);
        std::sort(order.begin(), order.end());
        EXPECT_EQ(order, names);
    }
}

TEST(PictureFolder, TheManifestsKeys) {
    const Manifest manifest = ParseManifest(std::string(kFolderShow) +
                                                "appear = [\"Tile\", \"Sandstorm\"]\ndisappear = \"Plummet\"\nshuffle = true\n"
                                                "seed = 99\nhold = 2\nfade = 3.5\nmax_size = [800, 600]\nstore = \"bitmap\"\nquality = 70\n",
                                            "show.toml", "/data");
    ASSERT_EQ(manifest.items.size(), 1u);
    const auto &folder = std::get<PictureFolderItem>(manifest.items[0]);
    EXPECT_EQ(folder.folder.path, "/data/photos");
    EXPECT_EQ(folder.appear, (std::vector<uint32_t>{8, 7}));
    EXPECT_EQ(folder.disappear, (std::vector<uint32_t>{4}));
    EXPECT_EQ(folder.order, PictureOrderKind::Shuffle);
    EXPECT_EQ(folder.seed, 99u);
    EXPECT_EQ(folder.picture.header.holdtime, 2u);
    EXPECT_EQ(folder.picture.header.fade, 3500u);
    EXPECT_EQ(folder.picture.maxWidth, 800u);
    EXPECT_EQ(folder.picture.store, PictureStore::Bitmap);
    EXPECT_EQ(folder.picture.quality, 70);
}

TEST(PictureFolder, EachPictureFileBecomesAnItemInOrder) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path("photos/sub.jpg"));  // a folder, not a picture
    for (const char *name : {"b.jpg", "A.PNG", "c.txt", ".hidden.jpg", "z.JPEG", "a.gif"}) dir.Write(std::string("photos/") + name, std::string("x"));
    dir.Write("show.toml", std::string(kFolderShow) + "appear = [\"Tile\", \"Sandstorm\"]\nspeed = 7\n"
                                                      "[[item]]\ntype = \"text\"\nmessage = \"end\"\n");
    const Manifest manifest = LoadManifest(dir.Path("show.toml"));
    ASSERT_EQ(manifest.items.size(), 5u);
    std::vector<std::string> given;
    for (size_t i = 0; i < 4; ++i) {
        const auto &picture = std::get<PictureItem>(manifest.items[i]);
        given.push_back(picture.file.given);
        EXPECT_EQ(picture.header.appeareffect, i % 2 ? 7u : 8u);
        EXPECT_EQ(picture.header.speed, 7u);
        EXPECT_EQ(picture.file.where.line, 6u);
        EXPECT_TRUE(testing_mlshow::Exists(picture.file.path));
    }
    EXPECT_EQ(Joined(given), "photos/A.PNG photos/a.gif photos/b.jpg photos/z.JPEG");
    EXPECT_TRUE(std::holds_alternative<TextItem>(manifest.items[4]));
}

TEST(PictureFolder, FoldersThatGiveNoPicturesAreErrorsAtTheirPlace) {
    TempDir dir;
    dir.Write("empty/notes.txt", std::string("x"));
    dir.Write("file.jpg", std::string("x"));
    struct Case {
        const char *folder;
        const char *expected;
    };
    const Case cases[] = {
        {"missing", "show.toml:6:10: folder not found: missing"},
        {"file.jpg", "show.toml:6:10: not a folder: file.jpg"},
        {"empty", "show.toml:6:10: the folder empty holds no pictures (.jpg, .jpeg, .png, .bmp or .gif files)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder);
        dir.Write("show.toml", "[show]\ntitle = \"F\"\ncreated = 0\n[[item]]\ntype = \"pictures\"\nfolder = \"" + std::string(c.folder) + "\"\n");
        const std::vector<std::string> errors = LoadErrors(dir.Path("show.toml"));
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find(c.expected), std::string::npos) << errors[0];
    }
}

TEST(PictureFolder, APictureThatFailsIsNamedWithItsFolder) {
    TempDir dir;
    dir.Write("photos/good.png", testing_mlshow::Png(testing_mlshow::Quadrants(8, 8)));
    dir.Write("photos/bad.jpg", std::string("\xFF\xD8\xFF not really"));
    dir.Write("show.toml", std::string(kFolderShow));
    const auto errors = testing_mlshow::ErrorsOf([&] { testing_mlshow::Built(dir.Path("show.toml")); });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("show.toml:6:10: photos/bad.jpg: not a sound JPEG file"), std::string::npos) << errors[0];
}

TEST(PictureFolder, TheSameFolderBuildsTheSameBytesOnAnyNumberOfThreads) {
    TempDir dir;
    for (int i = 0; i < 9; ++i) {
        mlshow::Image image = testing_mlshow::Quadrants(40 + i, 30);
        dir.Write("photos/" + std::to_string(i) + (i % 3 ? ".jpg" : ".png"), i % 3 ? testing_mlshow::Jpeg(image) : testing_mlshow::Png(image));
    }
    dir.Write("show.toml", std::string(kFolderShow) + "shuffle = true\nseed = 5\nappear = [\"Tile\", \"Plummet\", \"Quadrants\"]\n");
    const Manifest manifest = LoadManifest(dir.Path("show.toml"));
    Bytes first;
    for (unsigned threads : {1u, 2u, 5u}) {
        SCOPED_TRACE(threads);
        BuildSettings settings;
        settings.quiet = true;
        settings.threads = threads;
        const Bytes show = BuildShow(manifest, testing_mlshow::FakePlayer(), settings);
        if (first.empty()) first = show;
        EXPECT_TRUE(show == first);
    }
    const ShowFile show = ReadShowFile(first);
    ASSERT_TRUE(show.loads);
    EXPECT_EQ(show.blocks.size(), 10u);
}
