// The command line: help, exit statuses, and errors on stderr.
#include <gtest/gtest.h>

#include "ml_version.h"
#include "support.h"

using testing_mlshow::RunMlshow;
using testing_mlshow::TempDir;

TEST(CommandLine, ExitStatusesFollowTheConvention) {
    TempDir dir;
    dir.Write("player.scr", testing_mlshow::FakePlayer());
    dir.Write("bad.toml", std::string("[show]\ntitle = 3\n"));
    dir.Write("junk.scr", std::string("not a show"));
    dir.Write("nofolder.toml", std::string("[show]\ntitle = \"N\"\n[[item]]\ntype = \"pictures\"\nfolder = \"gone\"\n"));
    struct Case {
        std::string arguments;
        int status;
        const char *output;
    };
    const Case cases[] = {
        {"", 2, "A subcommand is required"},
        {"--version", 0, "mlshow " ML_VERSION_TEXT "\n"},
        {"--help", 0, "build"},
        {"build --help", 0, "--player"},
        {"info --help", 0, "--json"},
        {"verify --help", 0, "FILE"},
        {"extract --help", 0, "--output"},
        {"new --help", 0, "DIR"},
        {"frobnicate", 2, ""},
        {"build", 2, "MANIFEST is required"},
        {"build " + dir.Path("bad.toml") + " --player " + dir.Path("player.scr") + " -o " + dir.Path("x.scr"), 1,
         "bad.toml:2:9: \"title\" must be a string"},
        {"build " + dir.Path("none.toml") + " --player " + dir.Path("player.scr"), 1, "cannot read"},
        {"verify " + dir.Path("junk.scr"), 1, "the player rejects this file"},
        {"info " + dir.Path("junk.scr"), 1, "trailer"},
        {"extract " + dir.Path("junk.scr") + " -o " + dir.Path("out"), 1, "rejects"},
        {"new " + dir.Path("fresh"), 0, "made a new show"},
        {"build -q " + dir.Path("fresh/show.toml") + " --player " + dir.Path("player.scr") + " -o " + dir.Path("fresh.scr"), 0, ""},
        {"verify " + dir.Path("fresh.scr"), 0, "plays every block"},
        {"info --json " + dir.Path("fresh.scr"), 0, "\"loads\": true"},
        {"info " + dir.Path("fresh.scr"), 0, "picture, JPEG 640x400, baseline"},
        {"verify " + dir.Path("fresh.scr"), 0, "it holds about 2.3 MB (bitmaps 838 KB, JPEG on the screen 1.5 MB"},
        {"build " + dir.Path("nofolder.toml") + " --player " + dir.Path("player.scr"), 1, "nofolder.toml:5:10: folder not found: gone"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string output;
        EXPECT_EQ(RunMlshow(c.arguments, &output), c.status) << output;
        EXPECT_NE(output.find(c.output), std::string::npos) << output;
    }
    EXPECT_FALSE(testing_mlshow::Exists(dir.Path("x.scr")));
}

// A folder or a manifest alone on the command line, as Explorer passes one
// dropped onto mlshow.exe: the show is built beside it, named after its
// title; a failure says what to do and leaves nothing.
TEST(CommandLine, DroppedFolderOrManifestBuildsBesideIt) {
    TempDir dir;
    dir.Write("player.scr", testing_mlshow::FakePlayer());
    dir.Write("Holiday 2024/a.jpg", testing_mlshow::Jpeg(testing_mlshow::Quadrants(40, 30)));
    dir.Write("Holiday 2024/b.png", testing_mlshow::Png(testing_mlshow::Quadrants(20, 10)));
    dir.Write("Empty/notes.txt", std::string("no pictures"));
    dir.Write("garden/show.toml", std::string("[show]\ntitle = \"Garden: Spring\"\n[[item]]\ntype = \"text\"\nmessage = \"hi\"\n"));
    dir.Write("bad/show.toml", std::string("[show]\ntitle = 3\n"));
    struct Case {
        std::string argument;
        int status;
        const char *output, *made, *player = "player.scr";
    } cases[] = {
        {dir.Path("Holiday 2024") + "/", 0, "right-click Holiday 2024.scr and choose Install", "Holiday 2024.scr"},
        {dir.Path("garden/show.toml"), 0, "Made the screen saver Garden_ Spring.scr", "garden/Garden_ Spring.scr"},
        {dir.Path("Empty"), 1, "holds no pictures (.jpg, .jpeg, .png, .bmp or .gif files): put the photos", nullptr},
        {dir.Path("bad/show.toml"), 1, "must be a string\nmend the manifest as said above", nullptr},
        {dir.Path("Empty/notes.txt"), 2, "is neither a folder nor a show's .toml manifest", nullptr},
        {dir.Path("Holiday 2024"), 1, "keep marrowlight.scr beside mlshow", nullptr, "gone.scr"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.argument);
        setenv("MLSHOW_PLAYER", dir.Path(c.player).c_str(), 1);
        std::string output;
        EXPECT_EQ(RunMlshow("'" + c.argument + "'", &output), c.status) << output;
        EXPECT_NE(output.find(c.output), std::string::npos) << output;
        if (c.made) EXPECT_TRUE(testing_mlshow::Exists(dir.Path(c.made)));
    }
    EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.Path("Empty"), "").size() + testing_mlshow::FilesEndingIn(dir.Path("bad"), "").size(), 2u);
    // nothing left by the failures
    EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.path(), ".scr"), (std::vector<std::string>{"Holiday 2024.scr", "player.scr"}));
    unsetenv("MLSHOW_PLAYER");
}
