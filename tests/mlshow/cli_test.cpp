// The command line: help, exit statuses, and errors on stderr.
#include <gtest/gtest.h>

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
