// Photo shows: the fit, order and caption keys, the day taken from EXIF,
// caption text in picture blocks, and what info, verify and extract make
// of them.
#include <gtest/gtest.h>

#include <sstream>

#include "build.h"
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

const Bytes &Photo() {
    static const Bytes jpeg = testing_mlshow::Jpeg(testing_mlshow::Quadrants(48, 32));
    return jpeg;
}

std::string FirstError(const std::string &text) {
    try {
        ParseManifest(text, "show.toml", ".");
    } catch (const InputErrors &errors) {
        return errors.messages().front();
    }
    return "";
}

Bytes Build(const std::string &manifest) {
    BuildSettings settings;
    settings.quiet = true;
    return BuildShow(LoadManifest(manifest), testing_mlshow::FakePlayer(), settings);
}

std::vector<ReadBlock> Pictures(const ShowFile &show) {
    std::vector<ReadBlock> pictures;
    for (const ReadBlock &block : show.blocks)
        if (block.type == TAG_IMAG) pictures.push_back(block);
    return pictures;
}

// A show of one JPEG picture with `caption` text, and where that block starts.
Bytes CaptionedShow(const std::string &caption, size_t *block) {
    ShowWriter writer(SCRHEAD{});
    SCRIMAGE header{};
    header.speed = 40;
    header.flags = SCRF_CAPTIONNAME;
    writer.AddJpegPicture(header, Photo(), caption);
    ShowLayout layout;
    Bytes file = writer.Build(testing_mlshow::FakePlayer(), &layout);
    *block = layout.blockOffsets.at(0);
    return file;
}

}  // namespace

TEST(PhotoManifest, KeysGiveFlagsAndFields) {
    struct Case {
        const char *keys;
        uint32_t flags;  // of the fit, caption and order bits
        PictureOrderKind order;
    };
    const uint32_t bits = SCRF_FITMASK | SCRF_CAPTIONDATE | SCRF_CAPTIONNAME;
    const Case cases[] = {
        {"type = \"picture\"\nfile = \"a.jpg\"\n", 0, PictureOrderKind::Name},
        {"type = \"picture\"\nfile = \"a.jpg\"\nfit = \"fill\"\ncaption = \"date\"\n", SCRF_FILL | SCRF_CAPTIONDATE, PictureOrderKind::Name},
        {"type = \"pictures\"\nfolder = \"p\"\n", SCRF_FIT, PictureOrderKind::Name},
        {"type = \"pictures\"\nfolder = \"p\"\nfit = \"none\"\ncaption = \"name\"\norder = \"random\"\n", SCRF_CAPTIONNAME,
         PictureOrderKind::Random},
        {"type = \"pictures\"\nfolder = \"p\"\ncaption = \"date and name\"\nshuffle = true\n",
         SCRF_FIT | SCRF_CAPTIONDATE | SCRF_CAPTIONNAME, PictureOrderKind::Shuffle},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"shuffle\"\nshuffle = true\n", SCRF_FIT, PictureOrderKind::Shuffle},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"random\"\nshuffle = false\n", SCRF_FIT, PictureOrderKind::Random},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keys);
        const Manifest manifest = ParseManifest(std::string(kShow) + c.keys, "show.toml", ".");
        const Item &item = manifest.items.at(0);
        if (const auto *folder = std::get_if<PictureFolderItem>(&item)) {
            EXPECT_EQ(folder->picture.header.flags & bits, c.flags);
            EXPECT_EQ(folder->order, c.order);
        } else {
            EXPECT_EQ(std::get<PictureItem>(item).header.flags & bits, c.flags);
        }
    }
    const Manifest one = ParseManifest(std::string(kShow) + "type = \"picture\"\nfile = \"a.jpg\"\nname = \"Strand\"\n"
                                                            "taken = 2024-02-29\nrandom_group = 3\n",
                                       "show.toml", ".");
    const auto &picture = std::get<PictureItem>(one.items[0]);
    EXPECT_EQ(picture.name, "Strand");
    EXPECT_EQ(picture.taken, 20240229u);
    EXPECT_EQ(picture.randomRun, 3u);
    EXPECT_EQ(std::get<PictureItem>(ParseManifest(std::string(kShow) + "type = \"picture\"\nfile = \"a\"\ntaken = 0\n", "s", ".")
                                        .items[0]).taken, 0u);
}

TEST(PhotoManifest, MistakesCarryTheirPositions) {
    const std::pair<const char *, const char *> cases[] = {
        {"type = \"picture\"\nfile = \"a\"\nfit = \"stretch\"\n", "show.toml:7:7: unknown fit \"stretch\"; expected \"none\", \"fit\" or \"fill\""},
        {"type = \"picture\"\nfile = \"a\"\ncaption = \"title\"\n", "show.toml:7:11: unknown caption \"title\""},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"date\"\n", "show.toml:7:9: unknown order \"date\"; expected \"name\", \"shuffle\" or \"random\""},
        {"type = \"pictures\"\nfolder = \"p\"\norder = \"random\"\nshuffle = true\n", "show.toml:4:1: \"shuffle\" = true and \"order\" = \"random\" disagree"},
        {"type = \"picture\"\nfile = \"a\"\norder = \"random\"\n", "show.toml:7:1: unknown key \"order\" in item 1"},
        {"type = \"pictures\"\nfolder = \"p\"\nname = \"x\"\n", "show.toml:7:1: unknown key \"name\" in item 1"},
        {"type = \"picture\"\nfile = \"a\"\ntaken = 2023-02-28T10:00:00\n", "show.toml:7:9: \"taken\" must be a date written 2024-06-01"},
        {"type = \"picture\"\nfile = \"a\"\ntaken = -1\n", "show.toml:7:9: \"taken\" is -1, out of range"},
        {"type = \"picture\"\nfile = \"a\"\ntaken = \"yesterday\"\n", "show.toml:7:9: \"taken\" must be a date"},
        {"type = \"picture\"\nfile = \"a\"\nname = 5\n", "show.toml:7:8: \"name\" must be a string of at most 1024 bytes"},
        {"type = \"picture\"\nfile = \"a\"\nrandom_group = 0\n", "\"random_group\" is 0, out of range 1..4294967295"},
        {"type = \"text\"\nmessage = \"m\"\ncaption = \"date\"\n", "unknown key \"caption\" in item 1"},
    };
    for (const auto &[keys, expected] : cases) {
        SCOPED_TRACE(keys);
        EXPECT_NE(FirstError(std::string(kShow) + keys).find(expected), std::string::npos) << FirstError(std::string(kShow) + keys);
    }
    const std::string longName = "type = \"picture\"\nfile = \"a\"\nname = \"" + std::string(1025, 'n') + "\"\n";
    EXPECT_NE(FirstError(std::string(kShow) + longName).find("at most 1024 bytes"), std::string::npos);
}

TEST(PhotoExif, TheDayTakenComesFromDateTimeOriginal) {
    const Bytes plain = Photo();
    struct Case {
        const char *description;
        Bytes jpeg;
        uint32_t taken;
    };
    const Case cases[] = {
        {"Intel order", testing_mlshow::WithExifTaken(plain, "2024:06:01 10:20:30", false), 20240601},
        {"Motorola order", testing_mlshow::WithExifTaken(plain, "1999:12:31 23:59:59", true), 19991231},
        {"a leap day", testing_mlshow::WithExifTaken(plain, "2000:02:29 00:00:00", true), 20000229},
        {"no EXIF", plain, 0},
        {"EXIF without the date", testing_mlshow::WithExif(plain, 6, false), 0},
        {"blank date", testing_mlshow::WithExifTaken(plain, "0000:00:00 00:00:00", false), 0},
        {"no such day", testing_mlshow::WithExifTaken(plain, "2023:02:29 12:00:00", false), 0},
        {"not a date", testing_mlshow::WithExifTaken(plain, "2024-06-01 10:20:30", false), 0},
        {"cut inside the segment", Bytes(plain.begin(), plain.begin() + 40), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(ExifTakenDate(c.jpeg.data(), c.jpeg.size()), c.taken);
    }
    // The walk stays inside the bytes it is given, wherever they end: the
    // date counts only once the whole EXIF segment is there.
    const Bytes dated = testing_mlshow::WithExifTaken(plain, "2024:06:01 10:20:30", false);
    const size_t segmentEnd = 2 + 10 + 64;  // start of image, segment header, TIFF data
    for (size_t size = 0; size < segmentEnd; ++size) EXPECT_EQ(ExifTakenDate(dated.data(), size), 0u) << size;
    EXPECT_EQ(ExifTakenDate(dated.data(), segmentEnd), 20240601u);
}

TEST(PhotoShow, BuildExtractBuildGivesTheSameBytes) {
    TempDir dir;
    dir.Write("photos/Beach day.jpg", testing_mlshow::WithExifTaken(Photo(), "2024:06:01 10:20:30", false));
    dir.Write("photos/b.png", testing_mlshow::Png(testing_mlshow::Quadrants(20, 10)));
    dir.Write("photos/c.jpg", Photo());
    dir.Write("more/x.jpg", Photo());
    dir.Write("one.jpg", testing_mlshow::WithExifTaken(Photo(), "2020:01:02 00:00:00", true));
    dir.Write("show.toml", std::string(kShow) +
                               "type = \"pictures\"\nfolder = \"photos\"\norder = \"random\"\ncaption = \"date and name\"\nfit = \"fill\"\n"
                               "[[item]]\ntype = \"pictures\"\nfolder = \"more\"\norder = \"random\"\n"
                               "[[item]]\ntype = \"picture\"\nfile = \"one.jpg\"\ncaption = \"name\"\ntaken = 2021-03-04\n"
                               "[[item]]\ntype = \"pictures\"\nfolder = \"more\"\n");
    const Bytes first = Build(dir.Path("show.toml"));
    const ShowFile show = ReadShowFile(first);
    ASSERT_TRUE(show.loads) << show.failure;
    const std::vector<ReadBlock> pictures = Pictures(show);
    ASSERT_EQ(pictures.size(), 6u);
    struct Expected {
        uint32_t flags;
        const char *caption;
        uint32_t taken, group;
    };
    const uint32_t bits = SCRF_FITMASK | SCRF_CAPTIONDATE | SCRF_CAPTIONNAME | SCRF_RANDOMORDER;
    const uint32_t both = SCRF_CAPTIONDATE | SCRF_CAPTIONNAME;
    const Expected expected[] = {
        {SCRF_FILL | both | SCRF_RANDOMORDER, "Beach day", 20240601, 1},
        {SCRF_FILL | both | SCRF_RANDOMORDER, "b", 0, 1},
        {SCRF_FILL | both | SCRF_RANDOMORDER, "c", 0, 1},
        {SCRF_FIT | SCRF_RANDOMORDER, "", 0, 2},
        {SCRF_CAPTIONNAME, "one", 20210304, 0},
        {SCRF_FIT, "", 0, 0},
    };
    for (size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE(i);
        const SCRIMAGE h = pictures[i].As<SCRIMAGE>();
        EXPECT_EQ(h.flags & bits, expected[i].flags);
        EXPECT_EQ(pictures[i].caption, expected[i].caption);
        EXPECT_EQ(h.captionlength, pictures[i].caption.size());
        EXPECT_EQ(h.takendate, expected[i].taken);
        EXPECT_EQ(h.group, expected[i].group);
        EXPECT_TRUE(BlockProblems(pictures[i]).empty());
    }
    EXPECT_TRUE(pictures[0].data == testing_mlshow::WithExifTaken(Photo(), "2024:06:01 10:20:30", false));  // stored as it is
    EXPECT_TRUE(ShowProblems(show).empty());
    dir.Write("photos.scr", first);
    std::ostringstream out;
    EXPECT_EQ(RunVerify(dir.Path("photos.scr"), true, out), 0) << out.str();
    ASSERT_EQ(RunExtract(dir.Path("photos.scr"), dir.Path("back"), true, out), 0);
    EXPECT_TRUE(Build(dir.Path("back/show.toml")) == first);
}

TEST(PhotoShow, InfoShowsFitOrderAndCaption) {
    TempDir dir;
    dir.Write("photos/Beach.jpg", testing_mlshow::WithExifTaken(Photo(), "2024:06:01 10:20:30", false));
    dir.Write("show.toml", std::string(kShow) + "type = \"pictures\"\nfolder = \"photos\"\norder = \"random\"\ncaption = \"date and name\"\n"
                                                "[[item]]\ntype = \"picture\"\nfile = \"photos/Beach.jpg\"\n");
    dir.Write("show.scr", Build(dir.Path("show.toml")));
    std::ostringstream text, json;
    ASSERT_EQ(RunInfo(dir.Path("show.scr"), false, text), 0);
    EXPECT_NE(text.str().find("JPEG|FIT|CAPTIONDATE|CAPTIONNAME|RANDOMORDER"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find(", fit fit, order random (group 1), caption date and name \"Beach\", taken 2024-06-01\n"), std::string::npos);
    EXPECT_NE(text.str().find(", fit none, order as stored, caption none, taken 2024-06-01\n"), std::string::npos);
    ASSERT_EQ(RunInfo(dir.Path("show.scr"), true, json), 0);
    EXPECT_NE(json.str().find("\"fit\": \"fit\", \"order\": \"random\", \"group\": 1, \"caption\": \"date and name\", "
                              "\"captionText\": \"Beach\", \"taken\": \"2024-06-01\""),
              std::string::npos)
        << json.str();
}

TEST(PhotoShow, CaptionTextLiesBetweenTheHeaderAndThePicture) {
    size_t at = 0;
    const Bytes file = CaptionedShow("Ünïcode name", &at);
    EXPECT_EQ(ReadU32(file, at + offsetof(SCRIMAGE, captionlength)), 14u);
    EXPECT_EQ(ReadU32(file, at + 4), SCRIMAGE_SIZE + 14 + Photo().size());
    EXPECT_TRUE(Bytes(file.begin() + long(at + SCRIMAGE_SIZE + 14), file.begin() + long(at + SCRIMAGE_SIZE + 14 + Photo().size())) == Photo());
    const ShowFile show = ReadShowFile(file);
    ASSERT_TRUE(show.loads) << show.failure;
    EXPECT_EQ(show.blocks[0].caption, "Ünïcode name");
    EXPECT_TRUE(show.blocks[0].data == Photo());
    EXPECT_THROW(CaptionedShow(std::string(MAXCAPTIONLENGTH + 1, 'x'), &at), std::invalid_argument);
    EXPECT_NO_THROW(CaptionedShow(std::string(MAXCAPTIONLENGTH, 'x'), &at));
}

TEST(PhotoShow, TheReaderRefusesACaptionItCannotHold) {
    struct Case {
        uint32_t captionlength;
        const char *failure;
    };
    size_t at = 0;
    const Bytes good = CaptionedShow("abc", &at);
    const uint32_t length = ReadU32(good, at + 4);
    const Case cases[] = {
        {length - SCRIMAGE_SIZE + 1, "caption longer than its block"},
        {MAXCAPTIONLENGTH + 1, "than 1024 bytes"},
        {0xFFFFFFFF, "caption longer"},
        {length - SCRIMAGE_SIZE, "JPEG picture the player refuses"},  // all caption, no picture
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.captionlength);
        Bytes file = good;
        WriteU32(file, at + offsetof(SCRIMAGE, captionlength), c.captionlength);
        const ShowFile show = ReadShowFile(file);
        EXPECT_FALSE(show.loads);
        EXPECT_NE(show.failure.find(c.failure), std::string::npos) << show.failure;
    }
}

TEST(PhotoShow, ProblemsOfStoredFields) {
    struct Case {
        uint32_t flags, takendate, group;
        const char *problem;
    };
    const Case cases[] = {
        {SCRF_FIT | SCRF_FILL, 0, 0, "both FIT and FILL are set"},
        {0, 20230229, 0, "the day taken 20230229 is no date"},
        {SCRF_RANDOMORDER, 0, 0, "without its group number"},
        {0, 0, 4, "group 4 without RANDOMORDER"},
        {SCRF_RANDOMORDER, 0, 2, "random-order group 2 at"},  // the first run must be 1
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.problem);
        ShowWriter writer(SCRHEAD{});
        SCRIMAGE header{};
        header.speed = 40;
        header.flags = c.flags;
        header.takendate = c.takendate;
        header.group = c.group;
        writer.AddJpegPicture(header, Photo());
        const ShowFile show = ReadShowFile(writer.Build(testing_mlshow::FakePlayer()));
        ASSERT_TRUE(show.loads);
        std::string all;
        for (const std::string &problem : BlockProblems(show.blocks[0])) all += problem + "\n";
        for (const std::string &problem : ShowProblems(show)) all += problem + "\n";
        EXPECT_NE(all.find(c.problem), std::string::npos) << all;
    }
}
