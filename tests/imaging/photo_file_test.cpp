// Photo files made into pictures for the screen: every format fitted with
// its colours, every EXIF orientation upright, files that give nothing and
// leave nothing behind. The files lie in a folder named outside ASCII.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "content/format.h"
#include "imaging/dib.h"
#include "imaging/photo_file.h"
#include "imaging_fixtures.h"
#include "photos/library_fixtures.h"
#include "support/test_jpeg.h"
#include "support/test_photos.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// Files in a folder named outside ASCII, in a tree of its own that goes at the end.
struct PhotoFolder : photos_testing::Tree {
    std::wstring Write(const std::wstring &name, const Bytes &bytes) const {
        return File(L"ml photos \u00D8rsted \u6771\u4EAC\\" + name, bytes);
    }
};

// What a decode gave: its size and the quadrant colours at the centres of
// its quarters ("rgby": the quadrant picture upright); none when it failed.
// Beside it the upright size the file's header alone gives, as w * 10000 + h.
struct Shown {
    int wide = 0, deep = 0;
    std::string quarters;
    PHOTOFACTS facts = {};
    int header = 0;
};

Shown Decode(const std::wstring &path, DWORD fit, int wide, int deep, int tolerance = 24,
             const volatile LONG *stop = nullptr) {
    Shown shown;
    int w = 0, h = 0;
    if (ReadPhotoSize(path.c_str(), &w, &h)) shown.header = w * 10000 + h;
    const imaging_fixtures::Dib picture(DecodePhotoFile(path.c_str(), fit, wide, deep, stop, &shown.facts));
    const imaging_fixtures::Locked dib(picture.get());
    DIBLAYOUT layout;
    if (dib.get() && GetDibLayout(dib.get(), GlobalSize(picture.get()), &layout) && layout.bits == 24) {
        shown.wide = layout.width, shown.deep = layout.height;
        for (int q = 0; q < 4; ++q) {
            const int x = layout.width * (1 + 2 * (q % 2)) / 4, y = layout.height * (1 + 2 * (q / 2)) / 4;
            shown.quarters += QuadrantOf(COLORREF(GetDibPixel(dib.get(), x, y)), tolerance);
        }
    }
    return shown;
}

// `jpeg`, whose first segment is its EXIF one, with that segment grown to
// the largest size a segment has and a JFIF segment before it, as cameras
// that store a large thumbnail write it.
Bytes WithLargestExif(const Bytes &jpeg) {
    Bytes out = jpeg;
    const size_t length = size_t(out[4]) << 8 | out[5], grown = 0xFFFF;
    out.insert(out.begin() + long(4 + length), grown - length, 0);
    out[4] = uint8_t(grown >> 8), out[5] = uint8_t(grown);
    return WithSegment(out, 0xE0, 14);
}

}  // namespace

TEST(DecodePhotoFile, EachFormatIsFittedWithItsColours) {
    PhotoFolder folder;
    const TestPixels pixels = Quadrants(64, 48);
    const Bytes png = PhotoFile(PhotoFormat::PNG, pixels);
    const struct {
        const char *description;
        std::wstring name;
        Bytes file;
        DWORD fit;
        int screenwide, screendeep, wide, deep;
        const char *quarters;
    } cases[] = {
        {"JPEG made smaller", L"a.jpg", PhotoFile(PhotoFormat::JPEG, pixels), SCRF_FIT, 32, 32, 32, 24, "rgby"},
        {"PNG made larger", L"b.png", png, SCRF_FIT, 200, 96, 128, 96, "rgby"},
        {"BMP filling a square", L"c.bmp", PhotoFile(PhotoFormat::BMP, pixels), SCRF_FILL, 40, 40, 40, 40, "rgby"},
        {"GIF", L"d.gif", PhotoFile(PhotoFormat::GIF, pixels), SCRF_FIT, 640, 480, 640, 480, "rgby"},
        {"PNG, transparent yellow on black", L"e.png", PhotoFile(PhotoFormat::PNG, Quadrants(64, 48, true)), SCRF_FIT,
         64, 48, 64, 48, "rgbk"},
        {"a PNG named .jpg", L"f.jpg", png, SCRF_FIT, 64, 48, 64, 48, "rgby"},
        {"a name outside ASCII", L"\u0444\u043E\u0442\u043E \u5199\u771F.png", png, SCRF_FIT, 64, 48, 64, 48, "rgby"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        const Shown shown = Decode(folder.Write(c.name, c.file), c.fit, c.screenwide, c.screendeep);
        EXPECT_EQ(shown.wide * 10000 + shown.deep, c.wide * 10000 + c.deep);
        EXPECT_EQ(shown.quarters, c.quarters);
        EXPECT_EQ(shown.facts.wide * 10000 + shown.facts.deep, 640048);
        EXPECT_EQ(shown.header, 640048);
        EXPECT_EQ(shown.facts.takendate, 0u);
    }
}

// A 64 x 32 quadrant picture stored as each orientation says it was taken
// comes out upright, fitted to a landscape screen by its upright size.
TEST(DecodePhotoFile, EveryExifOrientationComesOutUpright) {
    PhotoFolder folder;
    const Bytes jpeg = PhotoFile(PhotoFormat::JPEG, Quadrants(64, 32));
    // The stored quadrants that the upright picture's quarters show.
    const char *upright[9] = {"", "rgby", "gryb", "ybgr", "byrg", "rbgy", "bryg", "ygbr", "gyrb"};
    // The frame header far behind the EXIF segment, past what is read first;
    // and the EXIF segment as large as a segment is.
    const Bytes padded = WithSegment(WithSegment(jpeg, 0xE2, 65000), 0xE3, 65000);
    for (uint16_t orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const bool turned = orientation >= 5;
        const Bytes exif = WithExif(orientation % 2 ? jpeg : padded, orientation, "2024:06:01 10:20:30");
        const Bytes file = orientation % 4 == 2 ? WithLargestExif(exif) : exif;
        const Shown shown = Decode(folder.Write(L"o" + std::to_wstring(orientation) + L".jpg", file), SCRF_FIT, 160, 90);
        EXPECT_EQ(shown.wide * 10000 + shown.deep, turned ? 450090 : 1600080);
        EXPECT_EQ(shown.quarters, upright[orientation]);
        EXPECT_EQ(shown.facts.wide * 10000 + shown.facts.deep, turned ? 320064 : 640032);
        EXPECT_EQ(shown.header, shown.facts.wide * 10000 + shown.facts.deep);
        EXPECT_EQ(shown.facts.takendate, 20240601u);
    }
}

TEST(DecodePhotoFile, BadFilesGiveNothing) {
    PhotoFolder folder;
    const TestPixels pixels = Quadrants(64, 48);
    const Bytes jpeg = PhotoFile(PhotoFormat::JPEG, pixels), png = PhotoFile(PhotoFormat::PNG, pixels);
    const Bytes bmp = PhotoFile(PhotoFormat::BMP, pixels), gif = PhotoFile(PhotoFormat::GIF, pixels);
    // Sizes of 16000 x 16000 (BMP: 15000) where each header keeps them.
    Bytes hugePng = png, hugeBmp = bmp, hugeGif = gif, hugeJpeg = jpeg;
    hugePng[18] = hugePng[22] = 0x3E, hugePng[19] = hugePng[23] = 0x80;
    hugeBmp[19] = hugeBmp[23] = 0x3A, hugeBmp[18] = hugeBmp[22] = 0x98;
    hugeGif[6] = hugeGif[8] = 0x80, hugeGif[7] = hugeGif[9] = 0x3E;
    const size_t frame = JpegSegment(jpeg, 0xC0);  // its length, precision, height, width
    hugeJpeg[frame + 3] = hugeJpeg[frame + 5] = 0x3E, hugeJpeg[frame + 4] = hugeJpeg[frame + 6] = 0x80;
    Bytes garbage(5000), pngHead(png.begin(), png.begin() + 8);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 7919 >> 3);
    pngHead.insert(pngHead.end(), garbage.begin(), garbage.end());
    const char text[] = "not a picture at all\r\n";
    const std::pair<std::wstring, Bytes> cases[] = {
        {L"zero bytes.jpg", Bytes()},
        {L"JPEG cut in its headers.jpg", Bytes(jpeg.begin(), jpeg.begin() + 100)},
        {L"PNG cut in half.png", Bytes(png.begin(), png.begin() + long(png.size() / 2))},
        {L"GIF cut in its colour table.gif", Bytes(gif.begin(), gif.begin() + 40)},
        {L"garbage.jpg", garbage},
        {L"garbage after a PNG signature.png", pngHead},
        {L"text.png", Bytes(text, text + sizeof text - 1)},
        {L"huge.jpg", hugeJpeg},
        {L"huge.png", hugePng},
        {L"huge.bmp", hugeBmp},
        {L"huge.gif", hugeGif},
        {L"a PNG bomb of 8000 x 6000.png", BlackPng(8000, 6000)},
    };
    for (const auto &c : cases) {
        const Shown shown = Decode(folder.Write(c.first, c.second), SCRF_FIT, 640, 480);
        EXPECT_EQ(shown.wide + shown.facts.wide + shown.facts.deep + int(shown.facts.takendate), 0) << c.first.c_str();
        // A header at fault gives no size either; one cut later still does.
        const bool cutlater = c.first.find(L"cut") != std::wstring::npos || c.first.find(L"signature") != std::wstring::npos;
        EXPECT_TRUE(cutlater || shown.header == 0) << c.first.c_str();
    }
    // Black inflates to a picture when it stays within the bound.
    EXPECT_EQ(Decode(folder.Write(L"large.png", BlackPng(4000, 3000)), SCRF_FIT, 600, 600, 0).quarters, "kkkk");
    // A good file asked for wrongly, and paths that name no file.
    const std::wstring good = folder.Write(L"good.jpg", jpeg);
    ASSERT_EQ(Decode(good, SCRF_FIT, 640, 480).quarters, "rgby");
    volatile LONG stop = 1;
    EXPECT_EQ(Decode(good, SCRF_FIT, 640, 480, 0, &stop).wide + Decode(good, 0, 640, 480).wide +
                  Decode(good, SCRF_FIT, 0, 480).wide + Decode(good + L"x", SCRF_FIT, 640, 480).wide +
                  Decode(folder.Path(L""), SCRF_FIT, 640, 480).wide,
              0) << "stopped, no fit, no screen, a missing file, a folder";
    // Cut anywhere, each format gives its picture (the decoders make up
    // what is missing) or none, never a crash.
    for (const Bytes *file : {&jpeg, &png, &bmp, &gif})
        for (size_t cut = 1; cut < file->size(); cut += 1 + file->size() / 40) {
            const Shown shown = Decode(folder.Write(L"cut", Bytes(file->begin(), file->begin() + long(cut))), SCRF_FIT,
                                       64, 48, 255);
            EXPECT_TRUE(shown.wide == 0 || shown.wide * 10000 + shown.deep == 640048) << cut;
        }
}

// Each round reads files of 100 KB or more and makes pictures of 1 MB, so a
// block left behind shows; a handle left open keeps its file from opening
// for this process alone.
TEST(DecodePhotoFile, LeavesNothingBehind) {
    PhotoFolder folder;
    const Bytes jpeg = TestJpeg(640, 480, 100);
    ASSERT_GT(jpeg.size(), 100u << 10);
    const std::wstring paths[] = {
        folder.Write(L"turned.jpg", WithExif(jpeg, 6)),
        folder.Write(L"clear.png", PhotoFile(PhotoFormat::PNG, Quadrants(200, 150, true))),
        folder.Write(L"garbage.jpg", Bytes(jpeg.begin() + 1, jpeg.end())),
        folder.Write(L"cut.jpg", Bytes(jpeg.begin(), jpeg.end() - long(jpeg.size() / 2))),
        folder.Write(L"bomb.png", BlackPng(8000, 6000)),
    };
    auto round = [&] {
        int made = 0;
        for (const std::wstring &path : paths) made += Decode(path, SCRF_FILL, 640, 480).wide ? 1 : 0;
        return made;
    };
    const int made = round();  // the JPEG, the PNG, and the cut JPEG if its decoder makes up the rest
    ASSERT_GE(made, 2);
    const size_t before = CommittedPrivateBytes();
    for (int i = 0; i < 50; ++i) ASSERT_EQ(round(), made) << i;
    EXPECT_LT(CommittedPrivateBytes(), before + (3 << 20));
    for (const std::wstring &path : paths) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
}

// Wine reads long paths in any form, Windows 7 only in the \\?\ form.
TEST(DecodePhotoFile, LongPathsTakeTheLongForm) {
    PhotoFolder folder;
    const std::wstring part(100, L'\u00E9'), fits(MAX_PATH - 4, L'f'), over(MAX_PATH - 3, L'o');
    const std::wstring path = folder.Write(part + L"\\" + part + L"\\" + part + L".png",
                                           PhotoFile(PhotoFormat::PNG, Quadrants(8, 8)));
    EXPECT_EQ(Decode(path, SCRF_FIT, 8, 8, 0).quarters, "rgby");
    EXPECT_EQ(Decode(photos_testing::Long(path), SCRF_FIT, 8, 8, 0).quarters, "rgby");
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\" + fits, L"C:\\" + fits},  // MAX_PATH - 1 characters
        {L"C:\\" + over, L"\\\\?\\C:\\" + over},
        {L"\\\\server\\share\\" + over, L"\\\\?\\UNC\\server\\share\\" + over},
        {L"\\\\?\\C:\\" + over, L"\\\\?\\C:\\" + over},
        {L"\\\\.\\C:\\" + over, L"\\\\.\\C:\\" + over},
        {L"photos\\" + over, L"photos\\" + over},
    };
    for (const auto &c : cases) {
        wchar_t *full = FullLengthPath(c.first.c_str());
        EXPECT_EQ(std::wstring(full ? full : L"(none)"), c.second) << c.first.size();
        std::free(full);
    }
}
