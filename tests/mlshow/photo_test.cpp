// Photo shows: the fit, order and caption keys, caption text in picture blocks, and what info and extract make of them,
// a Crossfade's length and the pan-and-zoom motion among them.
#include <gtest/gtest.h>

#include <sstream>

#include "checks.h"
#include "commands.h"
#include "errors.h"
#include "exif.h"
#include "manifest.h"
#include "reader.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::TempDir;

namespace {

const char kShow[] = "[show]\ntitle = \"P\"\ncreated = 0\n[[item]]\n";
const uint32_t kBits = SCRF_FITMASK | SCRF_CAPTIONDATE | SCRF_CAPTIONNAME | SCRF_RANDOMORDER | SCRF_PANZOOM | SCRF_BACKDROP |
                       SCRF_PORTRAITPAIRS;

const Bytes &Photo() {
    static const Bytes jpeg = testing_mlshow::Jpeg(testing_mlshow::Quadrants(48, 32));
    return jpeg;
}

}  // namespace

TEST(PhotoManifest, KeysGiveFlagsAndTheirMistakesArePlaced) {
    using Order = PictureOrderKind;
    const std::tuple<const char *, uint32_t, Order> keys[] = {  // a folder's order: name unless given
        {"type = \"picture\"\nfile = \"a\"\n", 0, Order::Name},
        {"type = \"picture\"\nfile = \"a\"\nfit = \"fill\"\ncaption = \"date\"\n", SCRF_FILL | SCRF_CAPTIONDATE, Order::Name},
        {"type = \"picture\"\nfile = \"a\"\nmotion = \"pan-zoom\"\n", SCRF_PANZOOM, Order::Name},
        {"type = \"picture\"\nfile = \"a\"\nmotion = \"none\"\n", 0, Order::Name},
        {"type = \"pictures\"\nfolder = \"p\"\nmotion = \"pan-zoom\"\n", SCRF_FIT | SCRF_PANZOOM, Order::Name},
        {"type = \"pictures\"\nfolder = \"p\"\n", SCRF_FIT, Order::Name},
        {"type = \"pictures\"\nfolder = \"p\"\nfit = \"none\"\ncaption = \"date and name\"\n", SCRF_CAPTIONDATE | SCRF_CAPTIONNAME, Order::Name},
        {"type = \"pictures\"\nfolder = \"p\"\nshuffle = true\n", SCRF_FIT, Order::Shuffle},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"shuffle\"\nshuffle = true\n", SCRF_FIT, Order::Shuffle},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"random\"\nshuffle = false\n", SCRF_FIT, Order::Random},
        {"type = \"picture\"\nfile = \"a\"\nfit = \"fit\"\nbackdrop = \"blur\"\n", SCRF_FIT | SCRF_BACKDROP, Order::Name},
        {"type = \"picture\"\nfile = \"a\"\nbackdrop = \"none\"\npair = \"none\"\n", 0, Order::Name},
        {"type = \"pictures\"\nfolder = \"p\"\nbackdrop = \"blur\"\n", SCRF_FIT | SCRF_BACKDROP, Order::Name},
        {"type = \"pictures\"\nfolder = \"p\"\npair = \"portraits\"\nfit = \"fill\"\n", SCRF_FILL | SCRF_PORTRAITPAIRS, Order::Name},
        // a picture pairs beside another item that pairs
        {"type = \"picture\"\nfile = \"a\"\npair = \"portraits\"\n[[item]]\ntype = \"pictures\"\nfolder = \"p\"\npair = \"portraits\"\n",
         SCRF_PORTRAITPAIRS, Order::Name},
    };
    for (const auto &[text, flags, order] : keys) {
        const Item item = ParseManifest(std::string(kShow) + text, "show.toml", ".").items.at(0);
        const auto *folder = std::get_if<PictureFolderItem>(&item);
        EXPECT_EQ((folder ? folder->picture.header.flags : std::get<PictureItem>(item).header.flags) & kBits, flags) << text;
        EXPECT_EQ(folder ? folder->order : Order::Name, order) << text;
    }
    const std::pair<const char *, const char *> mistakes[] = {
        {"type = \"picture\"\nfile = \"a\"\nfit = \"zoom\"\n", "show.toml:7:7: unknown fit \"zoom\"; expected \"none\", \"fit\" or \"fill\""},
        {"type = \"picture\"\nfile = \"a\"\ncaption = \"title\"\n", "show.toml:7:11: unknown caption \"title\""},
        {"type = \"picture\"\nfile = \"a\"\nmotion = \"zoom\"\n", "show.toml:7:10: unknown motion \"zoom\"; expected \"none\" or \"pan-zoom\""},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"date\"\n", "show.toml:7:9: unknown order \"date\"; expected \"name\", \"shuffle\" or \"random\""},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"random\"\nshuffle = true\n", "show.toml:4:1: \"shuffle\" = true and \"order\" = \"random\" disagree"},
        {"type = \"picture\"\nfile = \"a\"\norder = \"random\"\n", "show.toml:7:1: unknown key \"order\" in item 1"},
        {"type = \"pictures\"\nfolder = \"p\"\nname = \"x\"\n", "show.toml:7:1: unknown key \"name\" in item 1"},
        {"type = \"picture\"\nfile = \"a\"\ntaken = 2023-02-28T10:00:00\n", "show.toml:7:9: \"taken\" must be a date written 2024-06-01"},
        {"type = \"picture\"\nfile = \"a\"\nname = 5\n", "show.toml:7:8: \"name\" must be a string of at most 1024 bytes"},
        {"type = \"picture\"\nfile = \"a\"\nrandom_group = 0\n", "\"random_group\" is 0, out of range 1..4294967295"},
        {"type = \"text\"\nmessage = \"m\"\ncaption = \"date\"\n", "unknown key \"caption\" in item 1"},
        {"type = \"picture\"\nfile = \"a\"\nbackdrop = \"blur\"\n",
         "show.toml:7:12: \"backdrop\" = \"blur\" fills the monitor around a fitted picture: it needs \"fit\" = \"fit\""},
        {"type = \"pictures\"\nfolder = \"p\"\nfit = \"fill\"\nbackdrop = \"blur\"\n", "show.toml:8:12: \"backdrop\" = \"blur\" fills"},
        {"type = \"pictures\"\nfolder = \"p\"\nbackdrop = \"gauss\"\n", "show.toml:7:12: unknown backdrop \"gauss\"; expected \"none\" or \"blur\""},
        {"type = \"pictures\"\nfolder = \"p\"\npair = \"landscapes\"\n", "show.toml:7:8: unknown pairing \"landscapes\"; expected \"none\" or \"portraits\""},
        {"type = \"picture\"\nfile = \"a\"\npair = \"portraits\"\n",
         "show.toml:7:8: \"pair\" on a single picture, which has no other to pair with: give it to a \"pictures\" folder"},
        {"type = \"picture\"\nfile = \"a\"\n[[item]]\ntype = \"picture\"\nfile = \"b\"\npair = \"portraits\"\n[[item]]\ntype = \"text\"\n"
         "message = \"m\"\n", "show.toml:10:8: \"pair\" on a single picture"},
        {"type = \"text\"\nmessage = \"m\"\nbackdrop = \"blur\"\n",
         "show.toml:7:12: \"backdrop\" is a key of \"picture\" and \"pictures\" items, not of a \"text\" item"},
        {"type = \"pictures\"\nfolder = \"p\"\nclock = \"time\"\n", "show.toml:7:9: \"clock\" is a key of the [show] table, not of a \"pictures\" item"},
    };
    for (const auto &mistake : mistakes) {
        const auto errors = testing_mlshow::ErrorsOf([&] { ParseManifest(kShow + std::string(mistake.first), "show.toml", "."); });
        EXPECT_NE(errors.empty() ? std::string::npos : errors.front().find(mistake.second), std::string::npos) << mistake.first;
    }
}

TEST(PhotoShow, BuildExtractBuildGivesTheSameBytesAndInfoTellsFitOrderCaption) {
    testing_mlshow::TempDir dir;
    dir.Write("photos/Beach day.jpg", WithExifTaken(Photo(), "2024:06:01 10:20:30", false));
    dir.Write("photos/b.png", testing_mlshow::Png(testing_mlshow::Quadrants(20, 10)));
    dir.Write("more/x.jpg", Photo());
    dir.Write("one.jpg", WithExifTaken(Photo(), "2020:01:02 00:00:00", true));
    dir.Write("show.toml", std::string(kShow) +
                               "type = \"pictures\"\nfolder = \"photos\"\norder = \"random\"\ncaption = \"date and name\"\nfit = \"fill\"\n"
                               "pair = \"portraits\"\n"
                               "[[item]]\ntype = \"pictures\"\nfolder = \"more\"\norder = \"random\"\nbackdrop = \"blur\"\n"
                               "[[item]]\ntype = \"picture\"\nfile = \"one.jpg\"\ncaption = \"name\"\ntaken = 2021-03-04\n"
                               "appear = \"Crossfade\"\nfade = 2.25\nmotion = \"pan-zoom\"\n"
                               // a folder of one picture, with no neighbour that pairs, has none to pair with
                               "[[item]]\ntype = \"pictures\"\nfolder = \"more\"\npair = \"portraits\"\n");
    const Bytes first = testing_mlshow::Built(dir.Path("show.toml"));
    const ShowFile show = ReadShowFile(first);
    ASSERT_TRUE(show.loads) << show.failure;
    const uint32_t both = SCRF_CAPTIONDATE | SCRF_CAPTIONNAME, random = SCRF_FILL | both | SCRF_RANDOMORDER | SCRF_PORTRAITPAIRS;
    const std::tuple<uint32_t, std::string, uint32_t, uint32_t> expected[] = {  // flags, caption, taken, group
        {random, "Beach day", 20240601, 1}, {random, "b", 0, 1}, {SCRF_FIT | SCRF_RANDOMORDER | SCRF_BACKDROP, "", 0, 2},
        {SCRF_CAPTIONNAME | SCRF_PANZOOM, "one", 20210304, 0}, {SCRF_FIT, "", 0, 0}};
    ASSERT_EQ(show.blocks.size(), 6u);
    for (size_t i = 0; i < 5; ++i) {
        const SCRIMAGE h = show.blocks[i].As<SCRIMAGE>();
        EXPECT_EQ(std::make_tuple(h.flags & kBits, show.blocks[i].caption, h.takendate, h.group), expected[i]) << i;
    }
    EXPECT_TRUE(show.blocks[0].data == WithExifTaken(Photo(), "2024:06:01 10:20:30", false));  // stored as it is
    EXPECT_TRUE(testing_mlshow::ComesBack(dir, first));  // verify finds no problem
    std::ostringstream text, json;
    ASSERT_EQ(RunInfo(dir.Path("show.scr"), false, text), 0);
    EXPECT_NE(text.str().find("JPEG|FILL|CAPTIONDATE|CAPTIONNAME|RANDOMORDER|PORTRAITPAIRS"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find(", fit fill, order random (group 1), caption date and name \"Beach day\", pair portraits, taken 2024-06-01\n"),
              std::string::npos);
    EXPECT_NE(text.str().find("JPEG|FIT|RANDOMORDER|BACKDROP"), std::string::npos);
    EXPECT_NE(text.str().find(", fit fit, order random (group 2), caption none, backdrop blur\n"), std::string::npos);
    EXPECT_NE(text.str().find(", fit none, order as stored, caption name \"one\", motion pan-zoom, taken 2021-03-04\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Crossfade / None, fade 2.25 s"), std::string::npos);
    const Bytes toml = testing_mlshow::ReadBytes(dir.Path("back/show.toml"));
    for (const char *line : {"\nfade = 2.25\n", "\nmotion = \"pan-zoom\"\n", "\nbackdrop = \"blur\"\n", "\npair = \"portraits\"\n"})
        EXPECT_NE(std::string(toml.begin(), toml.end()).find(line), std::string::npos) << line;
    ASSERT_EQ(RunInfo(dir.Path("show.scr"), true, json), 0);
    EXPECT_NE(json.str().find("\"fit\": \"fit\", \"order\": \"random\", \"group\": 2, \"caption\": \"none\", \"captionText\": \"\", \"taken\": null, "
                              "\"fade\": 1.5, \"motion\": \"none\", \"backdrop\": \"blur\", \"pair\": \"none\""),
              std::string::npos) << json.str();
}

TEST(PhotoShow, CaptionBytesLieBetweenHeaderAndPictureAndAreChecked) {
    SCRIMAGE header{};
    header.speed = 40;
    header.flags = SCRF_CAPTIONNAME;
    ShowWriter writer(SCRHEAD{});
    writer.AddJpegPicture(header, Photo(), "Ünïcode");
    EXPECT_THROW(writer.AddJpegPicture(header, Photo(), std::string(MAXCAPTIONLENGTH + 1, 'x')), std::invalid_argument);
    ShowLayout layout;
    const Bytes good = writer.Build(testing_mlshow::FakePlayer(), &layout);
    const size_t at = layout.blockOffsets.at(0);
    EXPECT_TRUE(Bytes(good.begin() + long(at + SCRIMAGE_SIZE + 9), good.begin() + long(at + SCRIMAGE_SIZE + 9 + Photo().size())) == Photo());
    // Stored fields changed one at a time: the loader's verdict, then the problem found.
    const std::tuple<size_t, uint32_t, const char *> cases[] = {
        {offsetof(SCRIMAGE, captionlength), 9, ""},
        {offsetof(SCRIMAGE, captionlength), uint32_t(9 + Photo().size() + 1), "caption longer than its block or than 1024 bytes"},
        {offsetof(SCRIMAGE, captionlength), MAXCAPTIONLENGTH + 1, "caption longer than its block or than 1024 bytes"},
        {offsetof(SCRIMAGE, flags), SCRF_VALID | SCRF_JPEG | SCRF_FITMASK, "both FIT and FILL are set"},
        {offsetof(SCRIMAGE, takendate), 20230229, "the day taken 20230229 is no date"},
        {offsetof(SCRIMAGE, flags), SCRF_VALID | SCRF_JPEG | SCRF_RANDOMORDER, "a picture of a random order without its group number"},
        {offsetof(SCRIMAGE, group), 4, "group 4 without RANDOMORDER"},
        {offsetof(SCRIMAGE, flags), SCRF_VALID | SCRF_JPEG | SCRF_FILL | SCRF_BACKDROP, "BACKDROP without FIT: the picture shows no backdrop"},
    };
    // A caption of 1000 bytes in no encoding (Latin-1 here), extracted as
    // UTF-8 and cut to what a manifest's name may hold, builds again.
    ShowWriter latin(SCRHEAD{});
    latin.AddJpegPicture(header, Photo(), std::string(1000, '\xE9'));
    TempDir dir;
    dir.Write("latin.scr", latin.Build(testing_mlshow::FakePlayer()));
    std::ostringstream out;
    RunExtract(dir.Path("latin.scr"), dir.Path("out"), true, out);
    const Manifest manifest = LoadManifest(dir.Path("out/show.toml"));
    std::string cut;
    for (int i = 0; i < 512; ++i) cut += "\xC3\xA9";
    EXPECT_EQ(std::get<PictureItem>(manifest.items.at(0)).name.value_or(""), cut);
    for (const auto &[offset, value, expected] : cases) {
        Bytes file = good;
        WriteU32(file, at + offset, value);
        const ShowFile show = ReadShowFile(file);
        std::string found = show.failure;
        for (const std::string &problem : show.loads ? BlockProblems(show.blocks[0]) : std::vector<std::string>()) found += problem;
        EXPECT_EQ(show.loads, std::string(expected).find("caption longer") == std::string::npos) << expected;
        EXPECT_NE(found.find(expected), std::string::npos) << found;
        if (*expected == 0) EXPECT_EQ(show.blocks[0].caption, "Ünïcode");
    }
}
