// The loader against shows written by the container writer: what loads, what
// is rejected, and that failures free what they built.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "applet/objects.h"
#include "content/compress.h"
#include "content/loader.h"
#include "content/scrfile.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

const Bytes kProgram = FakeProgram();

// Loads `file` into a fresh store; the store and the file (pictures are read
// from it) outlive the call for checks.
struct Loaded {
    TempFile temp;
    TestStore store;
    int result = 0;
    explicit Loaded(const Bytes &file) {
        temp.Write(file);
        result = LoadScrFile(store.list(), store.set(), temp.path());
    }
};

int LoadHeader(const Bytes &file, BLOCK *header) {
    TempFile temp;
    temp.Write(file);
    return LoadHeaderBlock(nullptr, header, temp.path(), nullptr);
}

Bytes Contents(HGLOBAL memory) {
    Bytes bytes(GlobalSize(memory));
    if (!bytes.empty()) std::memcpy(bytes.data(), GlobalLock(memory), bytes.size());
    GlobalUnlock(memory);
    return bytes;
}

Bytes TextShow(std::initializer_list<const char *> texts, ShowLayout *layout = nullptr) {
    ShowWriter writer(TestHead());
    for (const char *text : texts) writer.AddText(SCRTEXT{}, text);
    return writer.Build(kProgram, layout);
}

Bytes RawBlock(const char (&tag)[5], uint32_t length) {
    Bytes block(length, 0);
    WriteU32(block, 0, MakeTag(tag));
    WriteU32(block, 4, length);
    return block;
}

// Writes `file` with a hole of `hole` bytes (reading as zeros, costing no
// disk) before its byte `at`; false when it cannot.
bool WriteWithHole(const char *path, const Bytes &file, DWORD at, LONGLONG hole) {
    HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD first = 0, rest = 0;
    const bool ok = WriteFile(out, file.data(), at, &first, nullptr) &&
                    SetFilePointerEx(out, {{DWORD(hole), LONG(hole >> 32)}}, nullptr, FILE_CURRENT) &&
                    WriteFile(out, &file[at], DWORD(file.size() - at), &rest, nullptr) && first + rest == file.size();
    return CloseHandle(out) && ok;
}

}  // namespace

TEST(LoadScrFile, ReadsEveryBlockTypeInFileOrder) {
    ShowLayout layout;
    Bytes file = RichShow().Build(kProgram, &layout);
    Loaded loaded(file);
    ASSERT_EQ(loaded.result, 1);
    ASSERT_EQ(loaded.store.Count(), 6);

    const DWORD types[] = {TAG_HEAD, TAG_IMAG, TAG_TEXT, TAG_APPL, TAG_SOND, TAG_ANIM};
    const DWORD headers[] = {2148, 84, 362, 56, 314, 64};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        BLOCK block = loaded.store.Block(i);
        EXPECT_EQ(block.type, types[i]);
        EXPECT_EQ(block.headerlength, headers[i]);
        EXPECT_EQ(block.sequence, i == 0 ? 0 : i - 1);
        EXPECT_EQ(block.blockset, loaded.store.set());
    }
    EXPECT_STREQ(loaded.store.set()->path + std::strlen(loaded.store.set()->path) - 4, ".scr");

    BLOCK head = loaded.store.Block(0);
    EXPECT_STREQ(head.head.title, "Test show");
    EXPECT_EQ(Contents(head.data), TestDib(40, 30, 8));
    EXPECT_EQ(Contents(loaded.store.Block(1).data), TestDib(64, 48, 24));  // inflated
    EXPECT_EQ(loaded.store.Block(1).image.speed, 40u);

    // A text is followed by 16 zero bytes in memory.
    Bytes text = Contents(loaded.store.Block(2).data);
    EXPECT_EQ(text.size(), 13u + 16u);
    EXPECT_EQ(std::string((const char *)text.data()), "Hello,\r\nworld");

    BLOCK applet = loaded.store.Block(3);
    EXPECT_EQ(applet.picturecount, 2);
    EXPECT_EQ(applet.soundcount, 1);
    EXPECT_EQ(std::string((const char *)Contents(applet.data).data()), "print(\"hi\")\r\n");
    APPLETOBJECT picture;
    ASSERT_EQ(FindNumberedAppletObject(&picture, applet.pictures, applet.picturecount, 1), 1);
    EXPECT_EQ(picture.size, TestDib(16, 16, 4).size());  // the inflated size, not the stored one
    EXPECT_EQ(Contents(ObjectData(picture)), TestDib(16, 16, 4));
    APPLETOBJECT sound;
    ASSERT_EQ(FindNumberedAppletObject(&sound, applet.sounds, applet.soundcount, 1), 1);
    EXPECT_EQ(sound.kind, TAG_WAVE);
    EXPECT_EQ(Contents(ObjectData(sound)).size(), 80u);

    EXPECT_EQ(Contents(loaded.store.Block(4).data), Bytes(80, 0x80));
    EXPECT_EQ(Contents(loaded.store.Block(5).data), Bytes(300, 7));

    BLOCK header;
    ASSERT_EQ(GetHeaderBlock(loaded.store.list(), loaded.store.set(), &header), 1);
    EXPECT_EQ(std::memcmp(&header, &head, sizeof header), 0);
}

TEST(LoadScrFile, RejectsABadTrailer) {
    const Bytes good = TextShow({"a"});
    Bytes notEndb = good;
    WriteU32(notEndb, notEndb.size() - 52, MakeTag("XNDB"));
    Bytes wrongLength = good;
    WriteU32(wrongLength, wrongLength.size() - 40, 0x12345678);
    Bytes longerThanFile = good;
    WriteU32(longerThanFile, longerThanFile.size() - 40, uint32_t(good.size() + 1) ^ CONTENTLENGTH_MASK);
    Bytes trailerLengthIgnored = good;
    WriteU32(trailerLengthIgnored, trailerLengthIgnored.size() - 48, 999);
    struct Case {
        const char *what;
        Bytes file;
        int expected;
    } cases[] = {
        {"last 52 bytes not ENDB", notEndb, 0},
        {"shorter than a trailer", Bytes(good.end() - 51, good.end()), 0},
        {"empty file", Bytes(), 0},
        {"content length wrong", wrongLength, 0},
        {"content longer than the file", longerThanFile, 0},
        {"the trailer's own length plays no part", trailerLengthIgnored, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Loaded(c.file).result, c.expected);
    }
}

TEST(LoadScrFile, MissingFileIsRejected) {
    TestStore store;
    EXPECT_EQ(LoadScrFile(store.list(), store.set(), "C:\\no\\such.scr"), 0);
    EXPECT_EQ(store.Count(), 0);
}

TEST(LoadScrFile, EveryByteOfTheHeadHeaderIsCovered) {
    ShowWriter writer(TestHead());
    writer.SetPreview(TestDib(10, 10, 24));
    ShowLayout layout;
    const Bytes good = writer.Build(kProgram, &layout);
    for (size_t offset : {size_t(0), size_t(13), size_t(24), size_t(900), size_t(2147)}) {
        SCOPED_TRACE(offset);
        Bytes changed = good;
        changed[layout.contentStart + offset] ^= 0x01;
        EXPECT_EQ(Loaded(changed).result, 0);
        BLOCK header;
        EXPECT_EQ(LoadHeader(changed, &header), 0);
    }
    Bytes previewChanged = good;
    previewChanged[layout.contentStart + 2148 + 40 + 5] ^= 0xFF;
    EXPECT_EQ(Loaded(previewChanged).result, 1);
}

TEST(LoadScrFile, ProgramPartMustMatchItsCheck) {
    ShowLayout layout;
    Bytes file = TextShow({"a"}, &layout);
    file[100] ^= 0x10;
    EXPECT_EQ(Loaded(file).result, 0);
    SealContainer(file, layout.contentStart);
    EXPECT_EQ(Loaded(file).result, 1);
}

TEST(LoadScrFile, PreviewLayouts) {
    ShowWriter writer(TestHead());
    writer.SetPreview(TestDib(101, 82, 24));
    ShowLayout layout;
    const Bytes file = writer.Build(kProgram, &layout);
    EXPECT_EQ(ReadU32(file, layout.contentStart + 4), 27116u);  // 2148 + 40 + 304 x 82
    Loaded loaded(file);
    ASSERT_EQ(loaded.result, 1);
    const Bytes preview = Contents(loaded.store.Block(0).data);
    EXPECT_EQ(preview, TestDib(101, 82, 24));

    // An 8-bit preview that claims 16 colours in use still carries 256 entries.
    Bytes dib = TestDib(8, 4, 8);
    WriteU32(dib, offsetof(DIBHEADER, biClrUsed), 16);
    ShowWriter eight(TestHead());
    eight.SetPreview(dib);
    BLOCK header;
    ASSERT_EQ(LoadHeader(eight.Build(kProgram), &header), 1);
    Bytes loadedDib = Contents(header.data);
    EXPECT_EQ(loadedDib.size(), dib.size());
    EXPECT_TRUE(std::equal(loadedDib.begin() + 40, loadedDib.end(), dib.begin() + 40));
    DestroyBlock(&header);
}

TEST(LoadScrFile, HeaderWithoutPreview) {
    ShowLayout layout;
    const Bytes file = TextShow({"after the header"}, &layout);
    EXPECT_EQ(ReadU32(file, layout.contentStart + 4), 2148u);
    Loaded loaded(file);
    ASSERT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.store.Block(0).data, nullptr);
    EXPECT_EQ(loaded.store.Block(1).type, TAG_TEXT);
    BLOCK header;
    ASSERT_EQ(LoadHeader(file, &header), 1);
    EXPECT_EQ(header.data, nullptr);
    EXPECT_STREQ(header.head.title, "Test show");
}

TEST(LoadScrFile, PreviewMustBeMarkedValid) {
    ShowWriter writer(TestHead());
    writer.SetPreview(TestDib(4, 4, 1));
    ShowLayout layout;
    Bytes file = writer.Build(kProgram, &layout);
    WriteU32(file, layout.contentStart + 8, 0);  // clear SCRF_VALID
    SealContainer(file, layout.contentStart);
    EXPECT_EQ(Loaded(file).result, 0);
    BLOCK header;
    EXPECT_EQ(LoadHeader(file, &header), 0);
}

TEST(LoadScrFile, ImpossiblePreviewsAreRefused) {
    struct Case {
        const char *what;
        int32_t width, height;
        uint16_t bits;
    } cases[] = {
        {"zero width", 0, 10, 24},         {"negative height", 10, -10, 24},
        {"16 bits per pixel", 10, 10, 16}, {"32 bits per pixel", 10, 10, 32},
        {"huge", 100000, 100000, 24},      {"larger than the file", 2000, 2000, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes dib = TestDib(10, 10, 24);
        WriteU32(dib, 4, uint32_t(c.width));
        WriteU32(dib, 8, uint32_t(c.height));
        dib[14] = uint8_t(c.bits);
        dib[15] = uint8_t(c.bits >> 8);
        ShowWriter writer(TestHead());
        writer.SetPreview(dib);
        BLOCK header;
        EXPECT_EQ(LoadHeader(writer.Build(kProgram), &header), 0);
    }
}

TEST(LoadScrFile, EveryDataBlockMustBeMarkedValid) {
    ShowLayout layout;
    Bytes file = TextShow({"one", "two", "three"}, &layout);
    WriteU32(file, layout.blockOffsets[0] + 8, 0);
    Loaded loaded(file);
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.store.Count(), 1);  // the header stays in the store
}

TEST(LoadScrFile, UnknownBlocksAreSkippedWithoutANumber) {
    ShowWriter writer(TestHead());
    writer.AddText(SCRTEXT{}, "first");
    writer.AddRawBlock(RawBlock("XTRA", 40));
    writer.AddRawBlock(RawBlock("HEAD", 12));
    writer.AddText(SCRTEXT{}, "second");
    Loaded loaded(writer.Build(kProgram));
    ASSERT_EQ(loaded.result, 1);
    ASSERT_EQ(loaded.store.Count(), 3);
    EXPECT_EQ(loaded.store.Block(0).sequence, 0);
    EXPECT_EQ(loaded.store.Block(1).sequence, 0);
    EXPECT_EQ(loaded.store.Block(2).sequence, 1);
}

TEST(LoadScrFile, ABlockOfLengthZeroEndsTheChain) {
    ShowWriter writer(TestHead());
    writer.AddText(SCRTEXT{}, "shown");
    writer.AddRawBlock(RawBlock("XTRA", 16));
    writer.AddText(SCRTEXT{}, "never read");
    ShowLayout layout;
    Bytes file = writer.Build(kProgram, &layout);
    WriteU32(file, layout.blockOffsets[1] + 4, 0);
    Loaded loaded(file);
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.store.Count(), 2);
}

TEST(LoadScrFile, ChainsThatLeadNowhereAreRejected) {
    ShowLayout layout;
    const Bytes good = TextShow({"one", "two"}, &layout);
    const size_t second = layout.blockOffsets[1];
    const uint32_t secondLength = ReadU32(good, second + 4);
    struct Case {
        const char *what;
        size_t offset;
        uint32_t value;
    } cases[] = {
        {"into the trailer's last bytes", second + 4, uint32_t(good.size() - 4 - second)},
        {"past the end of the file", second + 4, uint32_t(good.size() - second + 1)},
        {"backwards by wrapping", second + 4, 0xFFFFFFFFu},
        {"shorter than type and length", second + 4, 7},
        {"shorter than its header", second + 4, 300},
        {"one byte short of the trailer", second + 4, secondLength - 1},
        {"the HEAD block past the end", layout.contentStart + 4, 0x7FFFFFFF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = good;
        WriteU32(file, c.offset, c.value);
        SealContainer(file, layout.contentStart);
        EXPECT_EQ(Loaded(file).result, 0);
    }
}

TEST(LoadScrFile, AppletObjectsMustBeOfTheirKindAndFitTheBlock) {
    SCRAPPLET header{};
    ShowWriter writer(TestHead());
    writer.AddApplet(header, {{TAG_PICT, 1, TestDib(4, 4, 8)}, {TAG_WAVE, 2, TestDib(4, 4, 8)}}, {}, "x", false);
    EXPECT_EQ(Loaded(writer.Build(kProgram)).result, 0);

    ShowWriter sounds(TestHead());
    sounds.AddApplet(header, {}, {{TAG_MIDI, 1, Bytes(30, 1)}, {TAG_PICT, 2, Bytes(3, 1)}}, "x", false);
    EXPECT_EQ(Loaded(sounds.Build(kProgram)).result, 0);

    ShowWriter good(TestHead());
    good.AddApplet(header, {{TAG_PICT, 1, TestDib(4, 4, 8)}}, {{TAG_MIDI, 1, Bytes(30, 1)}}, "script", false);
    ShowLayout layout;
    const Bytes file = good.Build(kProgram, &layout);
    ASSERT_EQ(Loaded(file).result, 1);

    const size_t block = layout.blockOffsets[0];
    const size_t firstObject = block + SCRAPPLET_SIZE;
    struct Case {
        const char *what;
        size_t offset;
        uint32_t value;
    } cases[] = {
        {"more pictures than the block holds", block + 16, 0xFFFFFFFFu},
        {"more sounds than the block holds", block + 20, 100000},
        {"object larger than the block", firstObject + 4, 0x7FFFFFF0},
        {"object size wraps", firstObject + 4, 0xFFFFFFFFu},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes broken = file;
        WriteU32(broken, c.offset, c.value);
        EXPECT_EQ(Loaded(broken).result, 0);
    }
}

TEST(LoadScrFile, BrokenCompressedDataIsRejected) {
    ShowWriter writer(TestHead());
    writer.AddPicture(SCRIMAGE{}, TestDib(50, 50, 24), true);
    ShowLayout layout;
    Bytes file = writer.Build(kProgram, &layout);
    for (size_t i = layout.blockOffsets[0] + SCRIMAGE_SIZE + 2; i < layout.trailerOffset; i += 2) file[i] ^= 0x33;
    EXPECT_EQ(Loaded(file).result, 0);

    SCRAPPLET applet{};
    ShowWriter objects(TestHead());
    objects.AddApplet(applet, {{TAG_PICT, 1, TestDib(20, 20, 24)}}, {}, "x", true);
    file = objects.Build(kProgram, &layout);
    const size_t data = layout.blockOffsets[0] + SCRAPPLET_SIZE + APPLETOBJECT_SIZE;
    file[data] ^= 0xFF;  // the zlib header
    EXPECT_EQ(Loaded(file).result, 0);
}

// A JPEG picture is kept as stored when its header is one the decoder takes;
// any other refuses the show, as damaged data does.
TEST(LoadScrFile, JpegPicturesAreKeptWhenTheDecoderTakesThem) {
    const Bytes good = TestJpeg(40, 30);
    const size_t frame = JpegSegment(good, 0xC0);  // length, precision, height, width, components
    ASSERT_NE(frame, 0u);
    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        Bytes jpeg = good;
        std::copy(bytes.begin(), bytes.end(), jpeg.begin() + long(at));
        return jpeg;
    };
    const struct {
        const char *what;
        Bytes jpeg;
        int loads;
    } rows[] = {
        {"baseline", good, 1},
        {"progressive", patched(frame - 1, {0xC2}), 1},
        {"1 x 1", TestJpeg(1, 1), 1},
        {"16384 wide", patched(frame + 5, {0x40, 0x00}), 1},
        {"16385 wide", patched(frame + 5, {0x40, 0x01}), 0},
        {"no height", patched(frame + 3, {0, 0}), 0},
        {"arithmetic coding", patched(frame - 1, {0xC9}), 0},
        {"12 bits a sample", patched(frame + 2, {12}), 0},
        {"CMYK", patched(frame + 7, {4}), 0},
        {"cut before its frame", Bytes(good.begin(), good.begin() + long(frame - 2)), 0},
        {"not a JPEG", TestDib(8, 8, 24), 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ShowWriter writer(TestHead());
        writer.AddJpegPicture(SCRIMAGE{}, row.jpeg);
        Loaded loaded(writer.Build(kProgram));
        ASSERT_EQ(loaded.result, row.loads);
        if (!row.loads) continue;
        // The picture stays in the file until its item starts.
        const BLOCK block = loaded.store.Block(1);
        JPEGPLACE place;
        ASSERT_EQ(GetJpegPlace(&block, &place), 1);
        EXPECT_EQ(block.data, nullptr);
        EXPECT_EQ(place.size, row.jpeg.size());
        EXPECT_EQ(place.width, uint32_t(row.jpeg[frame + 5] << 8 | row.jpeg[frame + 6]));
        HGLOBAL read = ReadJpegPicture(&block, loaded.temp.path());
        EXPECT_EQ(Contents(read), row.jpeg);
        GlobalFree(read);
    }
}

// The loader reads a JPEG only up to its frame header and steps over the
// segments before it, as a camera's 60 KB EXIF segment: with two system
// reads a photo, one for its block's headers and the JPEG's start and one
// for its frame header.
TEST(LoadScrFile, JpegsAreReadOnlyUpToTheirFrameHeader) {
    ShowWriter writer(TestHead());
    for (int i = 0; i < 100; ++i) writer.AddJpegPicture(SCRIMAGE{}, WithSegment(TestJpeg(40, 30), 0xE1, 60000));
    const ULONGLONG before = ScrFile::BytesRead(), readsBefore = ScrFile::SystemReads();
    Loaded loaded(writer.Build(kProgram));
    ASSERT_EQ(loaded.result, 1);
    EXPECT_LT(ScrFile::BytesRead() - before, kProgram.size() + 100 * 2048);  // 64 KB a photo once
    // The trailer, the header, the program part and the chain's end besides.
    EXPECT_LE(ScrFile::SystemReads() - readsBefore, 100 * 2 + 8u);
    JPEGPLACE place;
    const BLOCK last = loaded.store.Block(100);
    ASSERT_EQ(GetJpegPlace(&last, &place), 1);
    EXPECT_EQ(place.width * place.height, 40u * 30u);
}

// Shows past 2 GB and, by the program part before the content, past 4 GB:
// an unknown block grown by a hole puts the blocks after it that far in.
TEST(LoadScrFile, ShowsLargerThan2GBLoadEveryBlock) {
    ShowLayout layout;
    ShowWriter writer(TestHead());
    writer.AddRawBlock(RawBlock("XTRA", 8));
    writer.AddText(SCRTEXT{}, "after the hole");
    writer.AddJpegPicture(SCRIMAGE{}, TestJpeg(40, 30));
    const Bytes small = writer.Build(kProgram, &layout);
    const size_t lengthAt = layout.trailerOffset + offsetof(SCREND, contentlength);
    const uint32_t content = ReadU32(small, lengthAt) ^ CONTENTLENGTH_MASK;
    for (const uint32_t hole : {0x86000000u, 0xFFFFFFFFu - content}) {
        SCOPED_TRACE(hole);
        Bytes file = small;
        WriteU32(file, layout.blockOffsets[0] + 4, 8 + hole);
        WriteU32(file, lengthAt, (content + hole) ^ CONTENTLENGTH_MASK);
        TempFile temp;
        ASSERT_TRUE(WriteWithHole(temp.path(), file, DWORD(layout.blockOffsets[0] + 8), hole));
        TestStore store;
        ASSERT_EQ(LoadScrFile(store.list(), store.set(), temp.path()), 1);
        EXPECT_EQ(std::string((const char *)Contents(store.Block(1).data).data()), "after the hole");
        const BLOCK picture = store.Block(2);
        HGLOBAL read = ReadJpegPicture(&picture, temp.path());
        EXPECT_EQ(Contents(read), TestJpeg(40, 30));
        GlobalFree(read);
    }
}

// A compressed picture inflates once into a block of the size its header
// gives; a stream that would inflate past it, or is no picture, is refused.
TEST(LoadScrFile, CompressedPicturesInflateToTheirHeadersSize) {
    const Bytes dib = TestDib(30, 20, 24);
    Bytes bomb = TestDib(4, 4, 24);
    bomb.resize(bomb.size() + 50 * 1024 * 1024, 0);
    Bytes cut = dib;
    cut.resize(dib.size() - 100);
    const struct {
        const char *what;
        Bytes stored;  // before compression
        size_t size;   // what the block holds; 0 refused
    } rows[] = {
        {"exact", dib, dib.size()},
        {"more than its header says", bomb, 0},
        {"cut short", cut, cut.size()},
        {"no picture", Bytes(5000, 7), 0},
        {"shorter than a header", Bytes(dib.begin(), dib.begin() + 20), 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ShowWriter writer(TestHead());
        writer.AddPicture(SCRIMAGE{}, row.stored, true);
        Loaded loaded(writer.Build(kProgram));
        ASSERT_EQ(loaded.result, row.size ? 1 : 0);
        if (row.size) {
            EXPECT_EQ(Contents(loaded.store.Block(1).data), Bytes(row.stored.begin(), row.stored.begin() + long(row.size)));
        }
    }
}

TEST(LoadScrFile, UncompressedAndEmptyDataBlocks) {
    ShowWriter writer(TestHead());
    writer.AddPicture(SCRIMAGE{}, TestDib(3, 3, 1), false);
    writer.AddText(SCRTEXT{}, "");
    writer.AddSound(SCRSOUND{}, Bytes());
    Loaded loaded(writer.Build(kProgram));
    ASSERT_EQ(loaded.result, 1);
    EXPECT_EQ(Contents(loaded.store.Block(1).data), TestDib(3, 3, 1));
    EXPECT_EQ(Contents(loaded.store.Block(2).data), Bytes(16, 0));
    EXPECT_EQ(GlobalSize(loaded.store.Block(3).data), 0u);
}

TEST(GetHeaderBlock, EmptyStoreOrNoListHasNoHeader) {
    TestStore store;
    BLOCK header;
    EXPECT_EQ(GetHeaderBlock(store.list(), store.set(), &header), 0);
    EXPECT_EQ(GetHeaderBlock(nullptr, store.set(), &header), 0);
}

TEST(CreateBlock, SetsTheTypeAndHeaderSize) {
    BLOCKSET set{};
    struct Case {
        DWORD type;
        DWORD size;
    } cases[] = {{TAG_HEAD, 2148}, {TAG_IMAG, 84}, {TAG_TEXT, 362}, {TAG_APPL, 56},
                 {TAG_SOND, 314},  {TAG_ANIM, 64}, {TAG_ENDB, 52}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        BLOCK block;
        std::memset(&block, 0xFF, sizeof block);
        ASSERT_EQ(CreateBlock(nullptr, &set, &block, c.type, nullptr, 0), 1);
        EXPECT_EQ(block.type, c.type);
        EXPECT_EQ(block.headerlength, c.size);
        EXPECT_EQ(block.blockset, &set);
        EXPECT_EQ(block.data, nullptr);
        EXPECT_EQ(block.steptimer, 0u);
    }
    BLOCK head;
    CreateBlock(nullptr, nullptr, &head, TAG_HEAD, nullptr, 0);
    EXPECT_EQ(head.head.type, TAG_HEAD);
    EXPECT_EQ(head.head.length, 2148u);
    EXPECT_EQ(head.head.creatorversion, CREATORVERSION);
    EXPECT_EQ(int(head.head.screenwide), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_NE(head.head.owner[0], 0);

    HGLOBAL sound = GlobalAlloc(GMEM_MOVEABLE, 77);
    BLOCK block;
    CreateBlock(nullptr, nullptr, &block, TAG_SOND, sound, 0);
    EXPECT_EQ(block.data, sound);
    EXPECT_EQ(block.sound.datasize, 77u);
    GlobalFree(sound);

    std::memset(&block, 0xFF, sizeof block);
    EXPECT_EQ(CreateBlock(nullptr, &set, &block, MakeTag("XXXX"), nullptr, 0), 0);
    EXPECT_EQ(block.type, 0u);
    EXPECT_EQ(block.blockset, &set);
}

// Every failure path frees what it built: a broken file loaded many times
// leaves the process's memory where it was.
TEST(LoadScrFile, FailuresLeaveNoMemoryBehind) {
    ShowLayout layout;
    ShowWriter writer = RichShow();
    writer.AddPicture(SCRIMAGE{}, TestDib(300, 200, 24), true);
    Bytes file = writer.Build(kProgram, &layout);
    // The last block's checksum is damaged: everything before it is built
    // first, and the whole picture is inflated before the damage shows.
    file[layout.trailerOffset - 1] ^= 0xFF;
    TempFile temp;
    temp.Write(file);
    TestStore store;
    auto loadOnce = [&] {
        EXPECT_EQ(LoadScrFile(store.list(), store.set(), temp.path()), 0);
        store.Clear();
        BLOCK header;
        if (LoadHeaderBlock(nullptr, &header, temp.path(), nullptr)) DestroyBlock(&header);
    };
    for (int i = 0; i < 100; ++i) loadOnce();
    const size_t before = CommittedPrivateBytes();
    for (int i = 0; i < 1000; ++i) loadOnce();
    const size_t after = CommittedPrivateBytes();
    EXPECT_LT(after, before + 1024 * 1024) << "grew by " << (after - before) << " bytes";
}

// The photo's name between an IMAG header and its picture is kept with the
// block, and the picture is found after it; a name longer than its block
// or than the longest allowed is refused.
TEST(LoadScrFile, PictureCaptionsAreKeptBeforeTheirData) {
    const Bytes dib = TestDib(20, 10, 24), jpeg = TestJpeg(40, 30);
    SCRIMAGE jpegHeader{};
    jpegHeader.flags = SCRF_JPEG;
    Bytes pastBlock = CaptionedPicture(SCRIMAGE{}, "Beach", dib);
    WriteU32(pastBlock, 52, uint32_t(pastBlock.size()));  // captionlength
    const struct {
        Bytes block;
        std::string name;  // empty: the show is refused
    } rows[] = {{CaptionedPicture(SCRIMAGE{}, "Beach \xC3\xA9t\xC3\xA9", dib), "Beach \xC3\xA9t\xC3\xA9"},
                {CaptionedPicture(jpegHeader, "Dunes", jpeg), "Dunes"},
                {CaptionedPicture(SCRIMAGE{}, std::string(MAXCAPTIONLENGTH + 1, 'n'), dib), ""},
                {pastBlock, ""}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name.substr(0, 10));
        ShowWriter writer(TestHead());
        writer.AddRawBlock(row.block);
        Loaded loaded(writer.Build(kProgram));
        ASSERT_EQ(loaded.result, row.name.empty() ? 0 : 1);
        if (row.name.empty()) continue;
        const BLOCK block = loaded.store.Block(1);
        EXPECT_EQ(Contents(block.auxhandle2), Bytes(row.name.c_str(), row.name.c_str() + row.name.size() + 1));
        const bool isJpeg = block.image.flags & SCRF_JPEG;
        HGLOBAL read = isJpeg ? ReadJpegPicture(&block, loaded.temp.path()) : nullptr;
        EXPECT_EQ(Contents(isJpeg ? read : block.data), isJpeg ? jpeg : dib);
        if (read) GlobalFree(read);
    }
}

// The file's reads and seeks against its bytes: pieces inside and across
// what one read of the file brings, reads that run on, large reads, the
// end of the file, and the handle placed where the reads stopped.
TEST(ScrFile, ReadsGiveTheFilesBytesWhereverTheyLie) {
    Bytes bytes(300 * 1024);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = BYTE(i * 131 + (i >> 9));
    TempFile temp;
    temp.Write(bytes);
    struct Step {
        ULONGLONG at;  // ~0: on from the last read
        DWORD count;
    };
    const ULONGLONG on = ~ULONGLONG(0);
    const struct {
        const char *what;
        std::vector<Step> steps;
    } cases[] = {
        {"small pieces one after another", {{0, 8}, {on, 84}, {on, 512}, {on, 4000}, {on, 3}}},
        {"a piece across the end of what was read", {{4090, 4}, {on, 20}, {on, 9000}}},
        {"back inside what was read, then far on", {{1000, 100}, {10, 50}, {200000, 16}, {190000, 12000}}},
        {"reads that run on through the file", {{0, 30000}, {on, 30000}, {on, 30000}, {on, 30000}, {on, 7}}},
        {"large reads, after a small one", {{5, 1}, {on, 40000}, {on, 200000}}},
        {"up to the last byte", {{bytes.size() - 10, 10}, {bytes.size() - 70000, 70000}, {bytes.size(), 0}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ScrFile file(temp.path());
        ASSERT_TRUE(file.IsOpen());
        for (const Step &step : c.steps) {
            if (step.at != on) {
                ASSERT_TRUE(file.Seek(step.at));
            }
            const ULONGLONG from = file.Position();
            Bytes got(step.count);
            ASSERT_TRUE(file.Read(got.data(), step.count)) << from << " " << step.count;
            EXPECT_EQ(got, Bytes(bytes.begin() + from, bytes.begin() + from + step.count)) << from;
            EXPECT_EQ(file.Position(), from + step.count);
        }
        // The handle reads on from the position, as the inflating readers do.
        ASSERT_TRUE(file.Seek(bytes.size() / 2 + 3));  // within what was read, or not
        BYTE next[16];
        ASSERT_EQ(_lread(file.Handle(), next, sizeof next), sizeof next);
        const size_t middle = bytes.size() / 2 + 3;
        EXPECT_EQ(Bytes(next, next + sizeof next), Bytes(bytes.begin() + middle, bytes.begin() + middle + 16));
        file.Moved();
        EXPECT_EQ(file.Position(), middle + 16);
        // Past the end nothing is read, and the position stays.
        BYTE past[2];
        EXPECT_FALSE(file.Seek(bytes.size() + 1));
        ASSERT_TRUE(file.Seek(bytes.size() - 1));
        EXPECT_FALSE(file.Read(past, 2));
        EXPECT_EQ(file.Position(), bytes.size() - 1);
    }
}
