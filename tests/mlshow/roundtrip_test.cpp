// Build -> extract -> build gives the same bytes; a player that carries a
// show is stripped of it; failed builds write nothing.
#include <gtest/gtest.h>

#include "build.h"
#include "commands.h"
#include "errors.h"
#include "fileio.h"
#include "manifest.h"
#include "reader.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::TempDir;

using testing_mlshow::Built;
using testing_mlshow::ComesBack;

TEST(RoundTrip, TheDemoShowComesBackByteForByte) {
    const Bytes player = testing_mlshow::FakePlayer();
    const Bytes first = Built(testing_mlshow::SourcePath("examples/demo/show.toml"), player);
    TempDir dir;
    EXPECT_TRUE(ComesBack(dir, first, player));
    // Building on a player that already carries a show replaces that show.
    EXPECT_TRUE(Built(dir.Path("back/show.toml"), ProgramPart(first)) == first);
}

TEST(RoundTrip, ANewShowBuildsVerifiesAndComesBack) {
    TempDir dir;
    std::ostringstream out;
    ASSERT_EQ(RunNew(dir.Path("new"), true, out), 0);
    EXPECT_THROW(RunNew(dir.Path("new"), true, out), InputError);  // never overwrites
    const Bytes first = Built(dir.Path("new/show.toml"));
    // Its photos fit the monitor, play in a drawn order and are captioned with their EXIF dates.
    const SCRIMAGE dusk = ReadShowFile(first).blocks.at(5).As<SCRIMAGE>();
    const uint32_t photo = SCRF_FIT | SCRF_BACKDROP | SCRF_RANDOMORDER | SCRF_CAPTIONDATE | SCRF_CAPTIONNAME;
    EXPECT_EQ(dusk.flags & photo, photo);
    EXPECT_EQ(dusk.takendate, 20240602u);
    EXPECT_TRUE(ComesBack(dir, first));
}

// The monitors mode, the clock and the keys are stored beside VALID (a
// preview's), shown by info and written back by extract.
TEST(RoundTrip, TheHeadersModesComeBack) {
    TempDir dir;
    dir.Write("p.png", testing_mlshow::Png(testing_mlshow::Pattern(8, 8, {0})));
    const std::tuple<std::string, uint32_t, std::string> modes[] = {{"", 0, "primary"}, {"monitors = \"primary\"", 0, "primary"},
        {"monitors = \"each\"", SCRF_EACHMONITOR, "each"},
        {"monitors = \"mirror\"\npreview = \"p.png\"", SCRF_MIRRORMONITORS | SCRF_VALID, "mirror"},
        {"clock = \"none\"\nkeys = \"none\"", 0, "primary"},
        {"clock = \"time\"", SCRF_CLOCKTIME, "primary, clock time"},
        {"clock = \"date and time\"", SCRF_CLOCKTIME | SCRF_CLOCKDATE, "primary, clock date and time"},
        {"keys = \"browse\"", SCRF_BROWSEKEYS, "primary, keys browse"},
        {"monitors = \"each\"\nclock = \"time\"\nkeys = \"browse\"", SCRF_EACHMONITOR | SCRF_CLOCKTIME | SCRF_BROWSEKEYS,
         "each, clock time, keys browse"}};
    for (const auto &[keys, flags, name] : modes) {
        dir.Write("show.toml", "[show]\ntitle = \"M\"\n" + keys + "\n[[item]]\ntype = \"text\"\nmessage = \"m\"\n");
        const Bytes first = Built(dir.Path("show.toml"));
        std::ostringstream info, json;
        EXPECT_EQ(ReadShowFile(first).head.flags, flags) << keys;
        EXPECT_TRUE(ComesBack(dir, first)) << keys;
        ASSERT_EQ(RunInfo(dir.Path("show.scr"), false, info), 0);
        EXPECT_NE(info.str().find(", monitors " + name + "\n"), std::string::npos) << info.str();
        ASSERT_EQ(RunInfo(dir.Path("show.scr"), true, json), 0);
        EXPECT_NE(json.str().find("\"clock\": \"" + ClockName(flags) + "\", \"keys\": \"" + KeysName(flags) + "\""), std::string::npos);
    }
}

TEST(RoundTrip, IdenticalInputsGiveIdenticalOutput) {
    TempDir dir;
    std::ostringstream out;
    RunNew(dir.path(), true, out);
    EXPECT_TRUE(Built(dir.Path("show.toml")) == Built(dir.Path("show.toml")));
}

TEST(RoundTrip, RejectedInputsLeaveNoOutput) {
    TempDir dir;
    dir.Write("player.scr", testing_mlshow::FakePlayer());
    dir.Write("bad.png", std::string("not a picture"));
    dir.Write("float.wav", testing_mlshow::Wav(3, 1, 8000, 32, 16));
    struct Case {
        const char *description;
        std::string manifest;
        const char *message;
    };
    const Case cases[] = {
        {"unsupported picture", "[show]\ntitle = \"T\"\n[[item]]\ntype = \"picture\"\nfile = \"bad.png\"\n",
         ":5:8: bad.png: not a picture"},
        {"missing file", "[show]\ntitle = \"T\"\n[[item]]\ntype = \"picture\"\nfile = \"none.png\"\n", ":5:8: file not found: none.png"},
        {"non-PCM sound", "[show]\ntitle = \"T\"\n[[item]]\ntype = \"sound\"\nfile = \"float.wav\"\n", "IEEE float"},
        {"bad key", "[show]\ntitle = \"T\"\nspeed = 3\n", ":3:1: unknown key"},
        {"bad picture after a written item",
         "[show]\ntitle = \"T\"\n[[item]]\ntype = \"text\"\nmessage = \"m\"\n[[item]]\ntype = \"picture\"\nfile = \"bad.png\"\n",
         ":8:8: bad.png: not a picture"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        dir.Write("show.toml", c.manifest);
        BuildOptions options;
        options.manifest = dir.Path("show.toml");
        options.output = dir.Path("out.scr");
        options.player = dir.Path("player.scr");
        options.quiet = true;
        std::ostringstream out;
        const auto errors = testing_mlshow::ErrorsOf([&] { RunBuild(options, out); });
        ASSERT_FALSE(errors.empty()) << "built";
        EXPECT_NE(errors.front().find(c.message), std::string::npos) << errors.front();
        EXPECT_FALSE(testing_mlshow::Exists(dir.Path("out.scr")));
        EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.path(), ".mlshow-tmp"), std::vector<std::string>());
    }
}

TEST(RoundTrip, CreationTimeComesFromTheManifestOrTheEnvironment) {
    Manifest manifest;
    EXPECT_EQ(CreationTime(manifest, 77), 77u);
    setenv("SOURCE_DATE_EPOCH", "1000", 1);
    EXPECT_EQ(CreationTime(manifest, 77), 1000u);
    manifest.show.created = 5;
    EXPECT_EQ(CreationTime(manifest, 77), 5u);
    unsetenv("SOURCE_DATE_EPOCH");
}

TEST(RoundTrip, OutputIsNamedAfterTheTitle) {
    const struct {
        std::string title, name;
    } cases[] = {
        {"My Show!", "My Show!.scr"},
        {"../../etc/passwd", "_.._etc_passwd.scr"},
        {"", "show.scr"},
        {"a<b>c:d\"e/f\\g|h?i*j", "a_b_c_d_e_f_g_h_i_j.scr"},
        {"tab\there\x7f", "tab_here_.scr"},
        {"Garden. ", "Garden.scr"},
        {" .. ", "show.scr"},
        {"Caf\xc3\xa9 \xce\xa9", "Caf\xc3\xa9 \xce\xa9.scr"},
        {"CON", "CON_.scr"},
        {"nul.txt", "nul_.txt.scr"},
        {"Com7 ", "Com7_.scr"},
        {"COMET", "COMET.scr"},
        {"COM\xc2\xb9", "COM\xc2\xb9_.scr"},
        {"lpt\xc2\xb3.holiday", "lpt\xc2\xb3_.holiday.scr"},
        {"COM\xc2\xb2x", "COM\xc2\xb2x.scr"},
        {"COM\xc2\xbd", "COM\xc2\xbd.scr"},
        {std::string(198, 'x') + "\xce\xa9\xce\xa9", std::string(198, 'x') + "\xce\xa9.scr"},
    };
    for (const auto &c : cases) EXPECT_EQ(DefaultOutputName(c.title), c.name) << c.title;
    EXPECT_EQ(CrLfLines("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
}
