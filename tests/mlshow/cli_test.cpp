// The command line: help, exit statuses, and errors on stderr.
#include <gtest/gtest.h>

#include <vector>

#include "ml_version.h"
#include "drop_cases.h"
#include "support.h"

using testing_mlshow::RunMlshow;
using testing_mlshow::TempDir;

TEST(CommandLine, ExitStatusesFollowTheConvention) {
    TempDir dir;
    dir.Write("player.scr", testing_mlshow::FakePlayer());
    dir.Write("bad.toml", std::string("[show]\ntitle = 3\n"));
    dir.Write("junk.scr", std::string("not a show"));
    dir.Write("nofolder.toml", std::string("[show]\ntitle = \"N\"\n[[item]]\ntype = \"pictures\"\nfolder = \"gone\"\n"));
    dir.Write("taken/rings.bmp", std::string("mine"));
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
        {"new " + dir.Path("taken"), 1, "taken/rings.bmp exists already; nothing was written"},
        {"new " + dir.Path("fresh"), 0, "made a new show"},
        {"new " + dir.Path("fresh"), 1, "fresh/photos/3-dusk.jpg exist already; nothing was written"},
        // A selection dropped onto mlshow.exe, as Explorer passes it.
        {dir.Path("junk.scr") + " " + dir.Path("bad.toml"), 2, "2 items were dropped onto mlshow at once: drop one folder or one manifest"},
        {"frobnicate " + dir.Path("bad.toml"), 2, ""},
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
    EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.Path("taken"), ""), std::vector<std::string>{"rings.bmp"});
    EXPECT_TRUE(testing_mlshow::ReadBytes(dir.Path("taken/rings.bmp")) == Bytes({'m', 'i', 'n', 'e'}));
}

// A folder or a manifest alone on the command line, as Explorer passes one
// dropped onto mlshow.exe: the show is built beside it, named after its
// title; a failure says what to do and leaves nothing.
TEST(CommandLine, DroppedFolderOrManifestBuildsBesideIt) {
    TempDir dir;
    dir.Write("player.scr", testing_mlshow::FakePlayer());
    for (const DROPFILE &file : kDropFiles) {
        if (file.text) dir.Write(file.path, std::string(file.text));
        else dir.Write(file.path, testing_mlshow::Jpeg(testing_mlshow::Quadrants(40, 30)));
    }
    dir.Write("bad/show.toml", std::string("[show]\ntitle = 3\n"));
    auto drop = [&](const DROPCASE &c) {
        SCOPED_TRACE(c.dropped);
        std::string output;
        EXPECT_EQ(RunMlshow("'" + dir.Path(c.dropped) + "'", &output), c.status) << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
        if (c.made) EXPECT_TRUE(testing_mlshow::Exists(dir.Path(c.made)));
    };
    setenv("MLSHOW_PLAYER", dir.Path("player.scr").c_str(), 1);
    for (const DROPCASE &c : kDropCases) drop(c);
    drop({"bad/show.toml", 1, "must be a string\nmend the manifest as said above", nullptr, 0});
    setenv("MLSHOW_PLAYER", dir.Path("gone.scr").c_str(), 1);
    drop({u8"Fotos Caf\u00e9 \u03a9", 1, "keep marrowlight.scr beside mlshow", nullptr, 0});
    EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.Path("Empty"), "").size() + testing_mlshow::FilesEndingIn(dir.Path("bad"), "").size(), 2u);
    // nothing left by the failures
    EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.path(), ".scr"),
              (std::vector<std::string>{u8"Fotos Caf\u00e9 \u03a9.scr", "player.scr"}));

    // Never the player itself, nor a file that is no show; an earlier show is
    // replaced, saying so. A folder named in bytes that are not UTF-8, and
    // photos scaled to fit a 4K monitor.
    dir.Write("Holiday 2024/a.jpg", testing_mlshow::Jpeg(testing_mlshow::Quadrants(40, 30)));
    dir.Write("marrowlight/a.jpg", testing_mlshow::Jpeg(testing_mlshow::Quadrants(40, 30)));
    dir.Write("marrowlight.scr", testing_mlshow::FakePlayer());
    dir.Write("Notes/a.jpg", testing_mlshow::Jpeg(testing_mlshow::Quadrants(40, 30)));
    dir.Write("Notes.scr", std::string("my notes"));
    dir.Write("Caf\xe9/a.jpg", testing_mlshow::Jpeg(testing_mlshow::Quadrants(40, 30)));  // Latin-1, not UTF-8
    dir.Write("Wide/a.jpg", testing_mlshow::Jpeg(testing_mlshow::Quadrants(4000, 100)));
    struct Case {
        std::string argument;
        std::string output;
        const char *made, *player = "player.scr";
    } cases[] = {
        {dir.Path("marrowlight"), "Made the screen saver marrowlight (2).scr in", "marrowlight (2).scr", "marrowlight.scr"},
        {dir.Path("Notes"), "Made the screen saver Notes (2).scr in", "Notes (2).scr"},
        {dir.Path("Holiday 2024"), "Made the screen saver Holiday 2024.scr", "Holiday 2024.scr"},
        {dir.Path("Holiday 2024"), "Holiday 2024.scr in " + dir.path() + " (it replaced the earlier show of that name).", "Holiday 2024.scr"},
        {dir.Path("Notes"), "Notes (2).scr in " + dir.path() + " (it replaced the earlier show of that name).", "Notes (2).scr"},
        {dir.Path("Caf\xe9"), "Made the screen saver Caf\xc3\xa9.scr", "Caf\xc3\xa9.scr"},
        {dir.Path("Wide"), "Made the screen saver Wide.scr", "Wide.scr"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.argument);
        setenv("MLSHOW_PLAYER", dir.Path(c.player).c_str(), 1);
        std::string output;
        EXPECT_EQ(RunMlshow("'" + c.argument + "'", &output), 0) << output;
        EXPECT_NE(output.find(c.output), std::string::npos) << output;
        if (c.made) EXPECT_TRUE(testing_mlshow::Exists(dir.Path(c.made)));
    }
    EXPECT_TRUE(testing_mlshow::ReadBytes(dir.Path("marrowlight.scr")) == testing_mlshow::FakePlayer());
    EXPECT_TRUE(testing_mlshow::ReadBytes(dir.Path("Notes.scr")) == Bytes({'m', 'y', ' ', 'n', 'o', 't', 'e', 's'}));
    std::string info;
    EXPECT_EQ(RunMlshow("info '" + dir.Path("Wide.scr") + "'", &info), 0);
    EXPECT_NE(info.find("JPEG 3840x96"), std::string::npos) << info;
    EXPECT_NE(info.find(", fit fit, order random (group 1), caption none, backdrop blur\n"), std::string::npos) << info;
    unsetenv("MLSHOW_PLAYER");
}
