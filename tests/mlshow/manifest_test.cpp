// Manifest errors, each with its position.
#include <gtest/gtest.h>

#include "errors.h"
#include "manifest.h"
#include "names.h"
#include "support.h"

using namespace mlshow;

namespace {

std::vector<std::string> Errors(const std::string &text) {
    return testing_mlshow::ErrorsOf([&] { ParseManifest(text, "show.toml", "."); });
}

const char kShow[] = "[show]\ntitle = \"T\"\n";

}  // namespace

TEST(Manifest, ErrorsCarryTheirPositions) {
    struct Case {
        const char *description;
        std::string text;
        const char *expected;
    };
    const Case cases[] = {
        {"syntax error", "[show\n", "show.toml:1:"},
        {"no show table", "[[item]]\ntype = \"text\"\nmessage = \"x\"\n", "the manifest needs a [show] table"},
        {"no title", "[show]\nauthor = \"a\"\n", "show.toml:1:1: [show] needs \"title\""},
        {"unknown show key", std::string(kShow) + "colour = \"#000000\"\n", "show.toml:3:1: unknown key \"colour\" in [show]"},
        {"bad background", std::string(kShow) + "background = \"red\"\n", "show.toml:3:14: \"background\" must be a colour written \"#RRGGBB\""},
        {"unknown monitors mode", std::string(kShow) + "monitors = \"all\"\n",
         "show.toml:3:12: unknown monitors mode \"all\"; expected \"primary\", \"each\" or \"mirror\""},
        {"unknown clock", std::string(kShow) + "clock = \"analog\"\n",
         "show.toml:3:9: unknown clock \"analog\"; expected \"none\", \"time\" or \"date and time\""},
        {"unknown keys", std::string(kShow) + "keys = \"all\"\n", "show.toml:3:8: unknown set of keys \"all\"; expected \"none\" or \"browse\""},
        {"backdrop in the show", std::string(kShow) + "backdrop = \"blur\"\n", "show.toml:3:1: unknown key \"backdrop\" in [show]"},
        {"unknown top key", std::string(kShow) + "[extra]\n", "show.toml:3:2: unknown key \"extra\""},
        {"unknown item type", std::string(kShow) + "[[item]]\ntype = \"movie\"\n", "show.toml:4:8: unknown item type \"movie\""},
        {"item without type", std::string(kShow) + "[[item]]\nfile = \"a.png\"\n", "item 1 needs \"type\""},
        {"unknown effect", std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\nappear = \"Wipe\"\n",
         "show.toml:6:10: unknown effect \"Wipe\"; expected \"None\""},
        {"speed out of range", std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\nspeed = 81\n",
         "show.toml:6:9: \"speed\" is 81, out of range 1..80"},
        {"picture without file", std::string(kShow) + "[[item]]\ntype = \"picture\"\n", "show.toml:3:1: item 1 needs \"file\""},
        {"unknown picture key", std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\nzoom = 2\n",
         "show.toml:6:1: unknown key \"zoom\" in item 1"},
        {"wrong value type", std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\nhold = \"long\"\n",
         "show.toml:6:8: \"hold\" must be an integer"},
        {"unknown style", std::string(kShow) + "[[item]]\ntype = \"text\"\nmessage = \"m\"\nstyle = \"fancy\"\n",
         "unknown text style \"fancy\""},
        {"box style without box", std::string(kShow) + "[[item]]\ntype = \"text\"\nmessage = \"m\"\nstyle = \"box\"\n",
         "needs \"box\" = [width, height]"},
        {"text without message", std::string(kShow) + "[[item]]\ntype = \"text\"\n", "needs either \"message\" or \"file\""},
        {"title too long", "[show]\ntitle = \"" + std::string(300, 'x') + "\"\n", "show.toml:2:9: \"title\" is longer than 261 bytes"},
        {"duplicate applet number", std::string(kShow) +
             "[[item]]\ntype = \"applet\"\nscript = \"a.txt\"\npictures = [{number = 1, file = \"a.png\"}, {number = 1, file = \"b.png\"}]\n",
         "number 1 is used twice"},
        {"applet number out of range", std::string(kShow) +
             "[[item]]\ntype = \"applet\"\nscript = \"a.txt\"\nsounds = [{number = 0, file = \"a.wav\"}]\n",
         "\"number\" is 0, out of range 1..16383"},
        {"animation with both sources", std::string(kShow) +
             "[[item]]\ntype = \"animation\"\nfile = \"a.gif\"\nframes = [{file = \"a.png\"}]\n",
         "needs either \"file\" (a GIF) or \"frames\""},
        {"unknown frame key", std::string(kShow) + "[[item]]\ntype = \"animation\"\nframes = [{file = \"a.png\", wait = 3}]\n",
         "unknown key \"wait\" in a frame"},
        {"bad created", "[show]\ntitle = \"T\"\ncreated = -5\n", "show.toml:3:11: \"created\" must be seconds since 1970"},
        {"bad placement", std::string(kShow) + "[[item]]\ntype = \"sound\"\nfile = \"a.wav\"\nplacement = \"left\"\n",
         "unknown key \"placement\" in item 1"},
        {"folder without folder", std::string(kShow) + "[[item]]\ntype = \"pictures\"\n", "show.toml:3:1: item 1 needs \"folder\""},
        {"folder with a file", std::string(kShow) + "[[item]]\ntype = \"pictures\"\nfolder = \"p\"\nfile = \"a.jpg\"\n",
         "unknown key \"file\" in item 1"},
        {"unknown effect in a list", std::string(kShow) + "[[item]]\ntype = \"pictures\"\nfolder = \"p\"\nappear = [\"Tile\", \"Spin\"]\n",
         "show.toml:6:19: unknown effect \"Spin\""},
        {"empty effect list", std::string(kShow) + "[[item]]\ntype = \"pictures\"\nfolder = \"p\"\nappear = []\n",
         "\"appear\" must be a name or a list of names"},
        {"effect list of numbers", std::string(kShow) + "[[item]]\ntype = \"pictures\"\nfolder = \"p\"\ndisappear = [1]\n",
         "must be a name or a list of names"},
        {"effect list for one picture", std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.jpg\"\nappear = [\"Tile\"]\n",
         "\"appear\" must be a string"},
        {"seed below zero", std::string(kShow) + "[[item]]\ntype = \"pictures\"\nfolder = \"p\"\nseed = -1\n", "out of range 0..4294967295"},
        {"quality 0", std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.jpg\"\nquality = 0\n",
         "\"quality\" is 0, out of range 1..100"},
        {"unknown store", std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.jpg\"\nstore = \"png\"\n",
         "unknown way to store pictures \"png\"; expected \"auto\" or \"bitmap\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        const std::vector<std::string> errors = Errors(c.text);
        ASSERT_FALSE(errors.empty());
        bool found = false;
        for (const std::string &error : errors) found |= error.find(c.expected) != std::string::npos;
        EXPECT_TRUE(found) << "first error: " << errors.front();
    }
}

TEST(Manifest, ReportsEveryMistakeAtOnce) {
    const auto errors = Errors(std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\nspeed = 0\nhold = -1\nfoo = 1\n");
    EXPECT_EQ(errors.size(), 3u);
}

TEST(Manifest, ReadsEveryItemKind) {
    const Manifest manifest = ParseManifest(
        "[show]\ntitle = \"T\"\nbackground = \"#102030\"\ncreated = 1970-01-02T00:00:00Z\nscreen = [800, 600]\n"
        "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\nplacement = \"bottom-right\"\nappear = \"Wipe in from Left\"\n"
        "disappear = \"Sandstorm\"\nspeed = 80\nhold = 0\nduration = \"endless\"\nremap = true\nmax_size = [100, 50]\n"
        "[[item]]\ntype = \"text\"\nmessage = \"hi\"\nstyle = \"paragraph\"\nbox = [300, 0]\nalignment = \"right\"\nbold = true\n"
        "[[item]]\ntype = \"applet\"\nscript = \"s.txt\"\nstack = 100\npictures = [{number = 3, file = \"p.png\"}]\n"
        "[[item]]\ntype = \"sound\"\nfile = \"s.wav\"\nwait = true\n"
        "[[item]]\ntype = \"animation\"\nfile = \"a.gif\"\nend_with_item = true\nloops = 2\n",
        "show.toml", "/data");
    EXPECT_EQ(manifest.show.background, 0x302010u);
    EXPECT_EQ(manifest.show.created, 86400u);
    EXPECT_EQ(manifest.show.screenWide, 800u);
    ASSERT_EQ(manifest.items.size(), 5u);
    const auto &picture = std::get<PictureItem>(manifest.items[0]);
    EXPECT_EQ(picture.file.path, "/data/a.png");
    EXPECT_EQ(picture.header.placement, 4u);
    EXPECT_EQ(picture.header.appeareffect, 10u);
    EXPECT_EQ(picture.header.disappeareffect, 7u);
    EXPECT_EQ(picture.header.duration, 0u);
    EXPECT_EQ(picture.header.flags, SCRF_REMAP);
    EXPECT_EQ(picture.maxWidth, 100u);
    const auto &text = std::get<TextItem>(manifest.items[1]);
    EXPECT_EQ(text.header.style, 5u);
    EXPECT_EQ(text.header.alignment, 2u);
    EXPECT_EQ(text.header.flags, SCRF_BOLD);
    EXPECT_STREQ(text.header.facename, "Arial");
    EXPECT_EQ(std::get<AppletItem>(manifest.items[2]).pictures.at(0).number, 3u);
    EXPECT_EQ(std::get<SoundItem>(manifest.items[3]).header.flags, SCRF_WAIT);
    const auto &animation = std::get<AnimationItem>(manifest.items[4]);
    EXPECT_EQ(animation.header.flags, SCRF_ENDWITHITEM);
    EXPECT_EQ(animation.loops, 2u);
}

// A Crossfade's length in seconds is stored in milliseconds; 0 when not given.
TEST(Manifest, FadeIsSecondsFromAFifthToTen) {
    for (auto [value, stored] : {std::pair<const char *, uint32_t>{"0.2", 200}, {"2", 2000}, {"1.25", 1250}, {"10", 10000}}) {
        const Manifest manifest = ParseManifest(std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\n"
                                                "appear = \"Crossfade\"\nfade = " + value + "\n", "show.toml", "/data");
        EXPECT_EQ(std::get<PictureItem>(manifest.items.at(0)).header.fade, stored) << value;
    }
    for (const char *wrong : {"0.1", "10.5", "\"long\"", "nan"})
        EXPECT_EQ(Errors(std::string(kShow) + "[[item]]\ntype = \"picture\"\nfile = \"a.png\"\nfade = " + wrong + "\n"),
                  std::vector<std::string>{"show.toml:6:8: \"fade\" must be seconds from 0.2 to 10"}) << wrong;
}

TEST(Manifest, EffectNamesAreTheStoredOrder) {
    EXPECT_EQ(EffectNames().size(), 13u);
    EXPECT_EQ(FindName(EffectNames(), "Crossfade"), CROSSFADE_EFFECT);
    EXPECT_EQ(FindName(EffectNames(), "Chaos and Order"), 1u);
    EXPECT_EQ(FindName(EffectNames(), "Wipe in from Right"), 11u);
    EXPECT_EQ(FindName(EffectNames(), "wipe in from right"), std::nullopt);
    EXPECT_EQ(TextStyleNames().size(), 6u);
}

TEST(Manifest, ColoursAreWrittenRgbAndStoredBgr) {
    EXPECT_EQ(ParseColour("#FF0000"), 0x0000FFu);
    EXPECT_EQ(ParseColour("#00ff80"), 0x80FF00u);
    EXPECT_EQ(ParseColour("FF0000"), std::nullopt);
    EXPECT_EQ(ParseColour("#FF00G0"), std::nullopt);
    EXPECT_EQ(ColourText(0x80FF00), "#00FF80");
}
