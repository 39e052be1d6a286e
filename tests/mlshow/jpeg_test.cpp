// JPEG pictures: how the build stores a JPEG (as it is, encoded again, as a bitmap, or refused
// with the reason), and how the reader and verify treat JPEG blocks.
#include <gtest/gtest.h>

#include <algorithm>

#include "build.h"
#include "checks.h"
#include "commands.h"
#include "content/exif.h"
#include "content/jpeg.h"
#include "dib.h"
#include "errors.h"
#include "image.h"
#include "memory.h"
#include "reader.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::Cut;
using testing_mlshow::DataFile;
using testing_mlshow::Jpeg;
using testing_mlshow::Patched;
using testing_mlshow::Quadrants;
using testing_mlshow::TempDir;
using testing_mlshow::WithExif;

namespace {

// Where the payload of the first segment with `marker` starts (after its length).
size_t SegmentAt(const Bytes &jpeg, uint8_t marker) {
    for (size_t at = 2; at + 4 <= jpeg.size(); at += 2 + (size_t(jpeg[at + 2]) << 8 | jpeg[at + 3]))
        if (jpeg[at + 1] == marker) return at + 4;
    return 0;
}

Bytes Inserted(Bytes file, size_t at, std::initializer_list<uint8_t> bytes) {
    file.insert(file.begin() + long(at), bytes);
    return file;
}

// Bytes the decoder passes over: zeros after the first segment, which no
// marker starts (the player's check refuses the file for them).
Bytes Padded(const Bytes &jpeg) { return Inserted(jpeg, 4 + (size_t(jpeg[4]) << 8 | jpeg[5]), {0, 0, 0}); }

// The colours at the centres of the four quadrants: top left, top right,
// bottom left, bottom right.
std::string Corners(const Image &image) {
    std::string corners;
    for (uint32_t y : {image.height / 4, image.height * 3 / 4})
        for (uint32_t x : {image.width / 4, image.width * 3 / 4}) corners += testing_mlshow::QuadrantColour(image.Pixel(x, y));
    return corners;
}

const Bytes &Picture() {
    static const Bytes jpeg = Jpeg(Quadrants(64, 32));
    return jpeg;
}

// The scan data replaced by all-ones codes, which no Huffman table holds.
Bytes BadScan(const Bytes &jpeg) {
    Bytes bad = jpeg;
    const size_t scan = SegmentAt(jpeg, 0xDA);
    for (size_t at = scan + 10; at + 4 < bad.size(); at += 2) bad[at] = 0xFF, bad[at + 1] = 0;
    return bad;
}

}  // namespace

TEST(JpegStore, EachJpegGetsItsForm) {
    enum Form { AS_IT_IS, ENCODED, BITMAP, REFUSED };
    PictureOptions plain, small, large, bitmap;
    small.maxWidth = small.maxHeight = 32;
    large.maxWidth = large.maxHeight = 100;
    bitmap.store = PictureStore::Bitmap;
    PictureOptions few, fewSmall = small, fewBitmap = bitmap;
    few.playerPixels = fewSmall.playerPixels = fewBitmap.playerPixels = 1000;
    const Bytes progressive = DataFile("progressive.jpg");
    const size_t frame = SegmentAt(Picture(), 0xC0), table = SegmentAt(Picture(), 0xC4);
    struct Case {
        const char *description;
        Bytes file;
        PictureOptions options;
        Form form;
        uint32_t width, height;
        const char *detail;  // the corners' colours, or the error
    };
    const Case cases[] = {
        {"baseline", Picture(), plain, AS_IT_IS, 64, 32, "rgby"},
        {"progressive", progressive, plain, AS_IT_IS, 48, 32, "rgby"},
        {"grey", DataFile("grey.jpg"), plain, AS_IT_IS, 48, 32, ""},
        {"1x1", Jpeg(Quadrants(1, 1)), plain, AS_IT_IS, 1, 1, ""},
        {"16384 wide", Jpeg(Quadrants(16384, 8)), plain, AS_IT_IS, 16384, 8, ""},
        {"fits max_size", Picture(), large, AS_IT_IS, 64, 32, "rgby"},
        {"larger than max_size", Picture(), small, ENCODED, 32, 16, "rgby"},
        {"orientation 6", WithExif(Picture(), 6, true), plain, ENCODED, 32, 64, "bryg"},
        {"orientation 3", WithExif(Picture(), 3, false), plain, ENCODED, 64, 32, "ybgr"},
        {"orientation 8 and max_size", WithExif(Picture(), 8, false), small, ENCODED, 16, 32, "gyrb"},
        {"orientation 1", WithExif(Picture(), 1, true), plain, AS_IT_IS, 64, 32, "rgby"},
        {"store bitmap", Picture(), bitmap, BITMAP, 64, 32, "rgby"},
        {"store bitmap, orientation 6", WithExif(Picture(), 6, false), bitmap, BITMAP, 32, 64, "bryg"},
        {"CMYK", DataFile("cmyk.jpg"), plain, BITMAP, 48, 32, ""},
        {"CMYK larger than max_size", DataFile("cmyk.jpg"), PictureOptions{0, 24, 24, PictureStore::Auto, 90}, ENCODED, 24, 16, ""},
        {"CMYK turned", WithExif(DataFile("cmyk.jpg"), 6, true), plain, ENCODED, 32, 48, ""},
        {"a PNG", testing_mlshow::Png(Quadrants(8, 8)), plain, BITMAP, 8, 8, "rgby"},
        {"16385 wide", Jpeg(Quadrants(16385, 8)), plain, REFUSED, 0, 0, "16385x8 pixels"},
        // Past the pixels the player decodes (40 M, here 1000): scaled to
        // the most it takes, never a bitmap as large as the photo.
        {"more pixels than the player's", Picture(), few, ENCODED, 44, 22, "rgby"},
        {"more pixels than the player's, turned", WithExif(Picture(), 6, true), few, ENCODED, 22, 44, "bryg"},
        {"more pixels than the player's and max_size", Picture(), fewSmall, ENCODED, 32, 16, "rgby"},
        {"CMYK, more pixels than the player's", DataFile("cmyk.jpg"), few, ENCODED, 38, 25, ""},
        {"more pixels than the player's, as a bitmap", Picture(), fewBitmap, BITMAP, 64, 32, "rgby"},
        {"padding, more pixels than the player's", Padded(Picture()), few, ENCODED, 44, 22, "rgby"},
        {"arithmetic", DataFile("arithmetic.jpg"), plain, REFUSED, 0, 0, "arithmetic-coded JPEG, which neither mlshow nor the player decodes: re-save it with ordinary Huffman coding"},
        {"arithmetic as a bitmap", DataFile("arithmetic.jpg"), bitmap, REFUSED, 0, 0, "arithmetic-coded JPEG"},
        {"lossless", Patched(Picture(), frame - 3, {0xC3}), plain, REFUSED, 0, 0, "a lossless or hierarchical JPEG"},
        {"fill bytes before the start of the image", Inserted(Picture(), 0, {0xFF, 0xFF}), plain, AS_IT_IS, 64, 32, "rgby"},
        {"fill bytes, larger than max_size", Inserted(Picture(), 0, {0xFF}), small, ENCODED, 32, 16, "rgby"},
        {"padding the player's check refuses", Padded(Picture()), plain, BITMAP, 64, 32, "rgby"},
        {"padding, larger than max_size", Padded(Picture()), small, ENCODED, 32, 16, "rgby"},
        {"padding, larger than max_size, as a bitmap", Padded(Picture()), PictureOptions{0, 32, 32, PictureStore::Bitmap, 90}, BITMAP, 32, 16, "rgby"},
        {"12 bits", Patched(Picture(), frame, {12}), plain, REFUSED, 0, 0, "other than 8 bits per sample"},
        {"cut in the tables", Cut(Picture(), 100), plain, REFUSED, 0, 0, "not a sound JPEG file"},
        {"cut after the tables", Cut(Picture(), 200), plain, REFUSED, 0, 0, "a JPEG cut short"},
        {"no end marker", Cut(Picture(), Picture().size() - 2), plain, REFUSED, 0, 0, "a JPEG cut short"},
        {"cut in the scan", Cut(Picture(), Picture().size() / 2), plain, REFUSED, 0, 0, "a JPEG cut short"},
        {"scan that does not decode", BadScan(progressive), bitmap, REFUSED, 0, 0, "cannot be decoded"},
        {"Huffman table of 510 codes", Patched(Picture(), table + 15, {255, 255}), plain, REFUSED, 0, 0, "Huffman table"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        StoredPicture stored;
        try {
            stored = StorePicture(c.file, c.options);
        } catch (const InputError &error) {
            EXPECT_EQ(c.form, REFUSED);
            EXPECT_NE(std::string(error.what()).find(c.detail), std::string::npos) << error.what();
            continue;
        }
        ASSERT_NE(c.form, REFUSED);
        EXPECT_EQ(stored.jpeg, c.form != BITMAP);
        if (c.form == AS_IT_IS) EXPECT_TRUE(stored.data == c.file);
        Image image;
        if (stored.jpeg) {
            ml::JPEGINFO info;
            EXPECT_EQ(ml::CheckJpeg(stored.data.data(), stored.data.size(), &info), ml::JPEG_OK);
            EXPECT_EQ(ml::ExifOrientation(stored.data.data(), stored.data.size()), 1u);
            image = DecodeImage(stored.data);
        } else {
            EXPECT_EQ(CheckPackedDib(stored.data.data(), stored.data.size()), "");
            image = UnpackDib(stored.data);
        }
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        if (*c.detail) EXPECT_EQ(Corners(image), c.detail);
    }
}

TEST(JpegStore, QualityDecidesTheSizeOfEncodedPictures) {
    PictureOptions low, high;
    low.quality = 10;
    high.quality = 100;
    const Bytes turned = WithExif(Jpeg(testing_mlshow::Pattern(64, 64, {0x102030, 0xF0E0D0, 0x808080, 0x00FF00})), 6, true);
    EXPECT_LT(StorePicture(turned, low).data.size(), StorePicture(turned, high).data.size() / 2);
}

TEST(JpegStore, TheEndMarkerIsLookedForAfterTheScan) {
    const Bytes progressive = DataFile("progressive.jpg");
    Bytes thumbnailEnd = Picture();  // an end marker inside a segment before the scan
    thumbnailEnd.insert(thumbnailEnd.begin() + 2, {0xFF, 0xE1, 0, 4, 0xFF, 0xD9});
    struct Case {
        const char *description;
        Bytes file;
        bool whole;
    };
    const Case cases[] = {
        {"baseline", Picture(), true},
        {"progressive", progressive, true},
        {"progressive cut between scans", Cut(progressive, SegmentAt(progressive, 0xDA) + 40), false},
        {"cut before the scan", Cut(Picture(), SegmentAt(Picture(), 0xDA) - 4), false},
        {"end only in an earlier segment", Cut(thumbnailEnd, thumbnailEnd.size() - 2), false},
        {"bytes after the end", [] { Bytes b = Picture(); b.insert(b.end(), {1, 2, 3}); return b; }(), true},
        {"nothing", Bytes(), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(JpegHasEnd(c.file), c.whole);
    }
}

TEST(JpegBlocks, TheReaderRefusesWhatThePlayersCheckRefuses) {
    struct Case {
        const char *description;
        Bytes jpeg;
        const char *detail;  // nullptr: loads
    };
    const Case cases[] = {
        {"baseline", Picture(), nullptr},
        {"progressive", DataFile("progressive.jpg"), nullptr},
        {"CMYK", DataFile("cmyk.jpg"), "CMYK"},
        {"arithmetic", DataFile("arithmetic.jpg"), "arithmetic"},
        {"a PNG", testing_mlshow::Png(Quadrants(4, 4)), "not a sound JPEG"},
        {"empty", Bytes(), "not a sound JPEG"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        ShowWriter writer(SCRHEAD{});
        SCRIMAGE image{};
        image.speed = 40;
        writer.AddJpegPicture(image, c.jpeg);
        const ShowFile show = ReadShowFile(writer.Build(testing_mlshow::FakePlayer()));
        EXPECT_EQ(show.loads, c.detail == nullptr) << show.failure;
        if (!c.detail) {
            EXPECT_TRUE(show.blocks.at(0).data == c.jpeg);
            EXPECT_EQ(BlockProblems(show.blocks[0]), std::vector<std::string>());
            EXPECT_EQ(PictureForm(show.blocks[0]), "jpeg");
            continue;
        }
        EXPECT_NE(show.failure.find("JPEG picture the player refuses"), std::string::npos) << show.failure;
        EXPECT_NE(show.checks.back().detail.find(c.detail), std::string::npos) << show.checks.back().detail;
    }
}

TEST(JpegBlocks, VerifyDecodesEveryJpegAndNamesTheOneThatFails) {
    ShowWriter writer(SCRHEAD{});
    SCRIMAGE image{};
    image.speed = 40;
    writer.AddJpegPicture(image, Picture());
    writer.AddJpegPicture(image, BadScan(DataFile("progressive.jpg")));
    writer.AddStoredPicture(image, Picture(), true);  // COMPRESSED with data that is no zlib stream
    TempDir dir;
    ShowLayout layout;
    Bytes file = writer.Build(testing_mlshow::FakePlayer(), &layout);
    WriteU32(file, layout.blockOffsets[2] + 8, SCRF_VALID | SCRF_JPEG | SCRF_COMPRESSED);
    SealContainer(file, layout.contentStart);
    dir.Write("three.scr", file);
    std::ostringstream out;
    EXPECT_EQ(RunVerify(dir.Path("three.scr"), true, out), 1);
    const std::string report = out.str();
    EXPECT_NE(report.find("IMAG block at " + std::to_string(layout.blockOffsets[1]) + " (item 2): the JPEG picture does not decode ("),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("): the player will pass it over"), std::string::npos) << report;
    EXPECT_EQ(report.find("(item 1)"), std::string::npos) << report;
    EXPECT_NE(report.find("(item 3): a JPEG picture marked COMPRESSED too"), std::string::npos) << report;
    out.str("");
    ASSERT_EQ(RunInfo(dir.Path("three.scr"), true, out), 0);
    EXPECT_NE(out.str().find("\"form\": \"jpeg\""), std::string::npos);
    // Only one is on the screen at a time: the largest, with two decoded copies.
    const uint64_t jpegs = std::max(JpegOnScreen(Picture()), JpegOnScreen(BadScan(DataFile("progressive.jpg"))));
    EXPECT_NE(out.str().find("\"jpegs\": " + std::to_string(jpegs)), std::string::npos) << out.str();
}

TEST(JpegBlocks, BuildStoresJpegsAsTheyAreAndExtractGivesThemBack) {
    TempDir dir;
    dir.Write("photo.jpg", Picture());
    dir.Write("sideways.jpg", WithExif(Picture(), 6, true));
    dir.Write("show.toml", std::string("[show]\ntitle = \"J\"\ncreated = 0\n"
                                       "[[item]]\ntype = \"picture\"\nfile = \"photo.jpg\"\nremap = true\n"
                                       "[[item]]\ntype = \"picture\"\nfile = \"sideways.jpg\"\nquality = 75\n"
                                       "[[item]]\ntype = \"picture\"\nfile = \"photo.jpg\"\nstore = \"bitmap\"\n"));
    const Bytes first = testing_mlshow::Built(dir.Path("show.toml"));
    const ShowFile show = ReadShowFile(first);
    ASSERT_TRUE(show.loads) << show.failure;
    ASSERT_EQ(show.blocks.size(), 4u);
    EXPECT_EQ(show.blocks[0].flags, SCRF_VALID | SCRF_REMAP | SCRF_JPEG);
    EXPECT_TRUE(show.blocks[0].data == Picture());
    EXPECT_EQ(show.blocks[1].flags, SCRF_VALID | SCRF_JPEG);
    EXPECT_EQ(DecodeImage(show.blocks[1].data).width, 32u);
    EXPECT_EQ(show.blocks[2].flags, SCRF_VALID | SCRF_COMPRESSED);
    ASSERT_TRUE(testing_mlshow::ComesBack(dir, first));
    EXPECT_TRUE(testing_mlshow::ReadBytes(dir.Path("back/01-picture.jpg")) == Picture());
}

// The player holds the JPEG on the screen: its file and, at the most, what
// the decoder holds (samples padded to whole MCUs, for a progressive file a
// two-byte coefficient for each as well, and the RGB output) or the
// bitmap made of it with one converted copy.
TEST(JpegBlocks, TheJpegOnTheScreenCountsWhatTheDecoderHolds) {
    const struct {
        const char *description;
        uint32_t width, height;
        int quality;  // above 90 stb keeps full colour resolution, else halves it both ways
        bool progressive;
        uint64_t held;
    } cases[] = {
        {"baseline: the bitmap and its copy", 64, 32, 95, false, 2 * (40 + 192 * 32)},
        {"progressive, full colour", 64, 32, 95, true, 3 * 64 * 32 * 3 + 64 * 32 * 3},
        {"progressive, colour halved", 64, 32, 90, true, (64 * 32 + 2 * 32 * 16) * 3 + 64 * 32 * 3},
        {"progressive, MCUs padded", 33, 17, 90, true, (48 * 32 + 2 * 24 * 16) * 3 + 33 * 17 * 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        Bytes jpeg = Jpeg(Quadrants(c.width, c.height), c.quality);
        if (c.progressive) jpeg[SegmentAt(jpeg, 0xC0) - 3] = 0xC2;  // the header is all that is read
        EXPECT_EQ(JpegOnScreen(jpeg), jpeg.size() + c.held);
    }
}
