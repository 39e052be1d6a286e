// The container reader: the loader's checks on good and damaged files, and
// the deeper checks of verify.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "checks.h"
#include "dib.h"
#include "reader.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::Pattern;

namespace {

struct Sample {
    Bytes file;
    ShowLayout layout;
};

// A show with one block of every kind, the picture compressed.
Sample MakeSample() {
    SCRHEAD head{};
    SetField(head.title, "Sample");
    ShowWriter writer(head);
    writer.SetPreview(PackDib(Pattern(20, 10, {0x112233, 0x445566})));
    SCRIMAGE image{};
    image.speed = 40;
    writer.AddPicture(image, PackDib(Pattern(32, 16, {1, 2, 3, 4, 5})), true);
    SCRTEXT text{};
    text.speed = 40;
    SetField(text.facename, "Arial");
    writer.AddText(text, "Hello");
    SCRAPPLET applet{};
    Bytes wave = testing_mlshow::Wav(1, 1, 8000, 8, 50);
    writer.AddApplet(applet, {{TAG_PICT, 1, PackDib(Pattern(8, 8, {9}))}}, {{TAG_WAVE, 1, Bytes(wave.begin() + 20, wave.begin() + 36)}},
                     "end()\r\n", true);
    Sample sample;
    sample.file = writer.Build(testing_mlshow::FakePlayer(), &sample.layout);
    return sample;
}

}  // namespace

TEST(Reader, AGoodShowLoads) {
    const Sample sample = MakeSample();
    const ShowFile show = ReadShowFile(sample.file);
    EXPECT_TRUE(show.loads) << show.failure;
    EXPECT_EQ(show.contentStart, 3000u);
    ASSERT_EQ(show.blocks.size(), 4u);
    EXPECT_EQ(show.blocks[0].sequence, 0);
    EXPECT_EQ(show.blocks[2].type, TAG_APPL);
    EXPECT_EQ(show.blocks[2].pictures.size(), 1u);
    EXPECT_EQ(show.blocks[3].type, TAG_ENDB);
    EXPECT_TRUE(show.chainReachesTrailer);
    EXPECT_EQ(ShowProblems(show), std::vector<std::string>());
    EXPECT_EQ(ProgramPart(sample.file), testing_mlshow::FakePlayer());
}

// Every way the loader rejects a file, one row each.
TEST(Reader, MirrorsTheLoadersRejections) {
    const Sample sample = MakeSample();
    const size_t s = sample.layout.contentStart, picture = sample.layout.blockOffsets[0],
                 applet = sample.layout.blockOffsets[2], trailer = sample.layout.trailerOffset;
    struct Case {
        const char *description;
        std::function<void(Bytes &)> damage;
        const char *failure;  // nullptr: still loads
    };
    auto set32 = [](size_t at, uint32_t value) { return [=](Bytes &f) { WriteU32(f, at, value); }; };
    auto seal = [s](std::function<void(Bytes &)> damage) {
        return [=](Bytes &f) {
            damage(f);
            SealContainer(f, s);
        };
    };
    const Case cases[] = {
        {"too short", [](Bytes &f) { f.resize(40); }, "no trailer"},
        {"no trailer", [](Bytes &f) { f.resize(f.size() - 1); }, "no trailer"},
        {"content length past the start", [&](Bytes &f) { WriteU32(f, trailer + 12, uint32_t(f.size() + 1) ^ CONTENTLENGTH_MASK); }, "content length"},
        {"header byte changed", [&](Bytes &f) { f[s + 900] ^= 1; }, "header CRC"},
        {"preview without VALID", seal(set32(s + 8, 0)), "preview without VALID"},
        {"preview depth", seal([&](Bytes &f) { f[s + SCRHEAD_SIZE + 14] = 7; }), "bad preview"},
        {"picture without VALID", seal(set32(picture + 8, SCRF_COMPRESSED)), "without VALID"},
        {"block length 4", seal(set32(picture + 4, 4)), "impossible"},
        {"block past the end", seal(set32(picture + 4, 0x7FFFFFFF)), "impossible"},
        {"block shorter than its header", seal(set32(picture + 4, 20)), "shorter than its header"},
        {"data block of length 0", seal(set32(picture + 4, 0)), "shorter than its header"},
        {"stream damaged", seal([&](Bytes &f) { f[picture + SCRIMAGE_SIZE] ^= 0xFF; }), "does not inflate"},
        {"applet counts too large", seal(set32(applet + 16, 0x7FFFFFFF)), "object counts"},
        {"applet wrong kind", seal(set32(applet + SCRAPPLET_SIZE, TAG_WAVE)), "wrong kind"},
        {"program changed", [](Bytes &f) { f[10] ^= 1; }, "program part"},
        {"HEAD length past the end", seal(set32(s + 4, 0x7FFFFFFF)), "longer than the file"},
        {"unknown block type", seal(set32(picture, MakeTag("JUNK"))), nullptr},
        {"length 0 ends the chain", seal(set32(applet, MakeTag("JUNK"))), nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        Bytes file = sample.file;
        c.damage(file);
        const ShowFile show = ReadShowFile(file);
        if (!c.failure) {
            EXPECT_TRUE(show.loads) << show.failure;
            continue;
        }
        EXPECT_FALSE(show.loads);
        EXPECT_NE(show.failure.find(c.failure), std::string::npos) << show.failure;
    }
}

TEST(Reader, UnknownBlocksTakeNoSequenceNumber) {
    Sample sample = MakeSample();
    WriteU32(sample.file, sample.layout.blockOffsets[0], MakeTag("JUNK"));
    SealContainer(sample.file, sample.layout.contentStart);
    const ShowFile show = ReadShowFile(sample.file);
    ASSERT_TRUE(show.loads);
    EXPECT_EQ(show.blocks[0].sequence, -1);
    EXPECT_EQ(show.blocks[1].sequence, 0);
    EXPECT_EQ(BlockProblems(show.blocks[0]).size(), 1u);
}

TEST(Reader, DeeperChecksFindWhatThePlayerCannotPlay) {
    const Sample sample = MakeSample();
    const size_t picture = sample.layout.blockOffsets[0], text = sample.layout.blockOffsets[1];
    struct Case {
        const char *description;
        size_t offset;
        uint32_t value;
        const char *problem;
    };
    const Case cases[] = {
        {"effect index", picture + 24, 13, "appear effect 13 is outside 0..12"},
        {"fade", picture + 36, 50, "fade 50 ms is outside 200..10000"},
        {"speed", picture + 32, 0, "speed 0"},
        {"text style", text + 56, 6, "text style 6"},
        {"alignment", text + 60, 3, "alignment 3"},
        {"both monitor bits", sample.layout.contentStart + 8, SCRF_VALID | SCRF_MONITORMASK,
         "both EACHMONITOR and MIRRORMONITORS are set: the show plays on the primary monitor only"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        Bytes file = sample.file;
        WriteU32(file, c.offset, c.value);
        SealContainer(file, sample.layout.contentStart);  // the header's flags count in its CRC
        const ShowFile show = ReadShowFile(file);
        ASSERT_TRUE(show.loads) << show.failure;
        std::string all;
        for (const std::string &problem : ShowProblems(show)) all += problem + "; ";
        for (const ReadBlock &block : show.blocks)
            for (const std::string &problem : BlockProblems(block)) all += problem + "; ";
        EXPECT_NE(all.find(c.problem), std::string::npos) << all;
    }
}

TEST(Reader, AChainThatStopsEarlyIsAProblem) {
    Sample sample = MakeSample();
    WriteU32(sample.file, sample.layout.blockOffsets[2] + 4, 0);  // APPL length 0: the loader rejects it
    WriteU32(sample.file, sample.layout.blockOffsets[2], MakeTag("JUNK"));  // as an unknown block it ends the chain
    SealContainer(sample.file, sample.layout.contentStart);
    const ShowFile show = ReadShowFile(sample.file);
    ASSERT_TRUE(show.loads);
    EXPECT_FALSE(show.chainReachesTrailer);
    EXPECT_FALSE(ShowProblems(show).empty());
}

// A show file past 2 GB is read to its end; one past 4 GB (only the player's
// program part takes it there) is refused with the most a show file holds.
TEST(Reader, ShowFilesUpTo4GBAreRead) {
    ShowLayout layout;
    ShowWriter writer(SCRHEAD{});
    writer.AddRawBlock({'X', 'T', 'R', 'A', 8, 0, 0, 0});
    const Bytes small = writer.Build(testing_mlshow::FakePlayer(), &layout);
    const size_t at = layout.blockOffsets[0] + 8, lengthAt = layout.trailerOffset + offsetof(SCREND, contentlength);
    testing_mlshow::TempDir dir;
    for (const uint32_t hole : {0x86000000u, 0xFFFFFFFFu - uint32_t(small.size() - layout.contentStart)}) {
        Bytes file = small;  // the XTRA block and the content grow by a hole, which costs no disk
        WriteU32(file, at - 4, 8 + hole);
        WriteU32(file, lengthAt, ((ReadU32(file, lengthAt) ^ CONTENTLENGTH_MASK) + hole) ^ CONTENTLENGTH_MASK);
        std::ofstream(dir.Path("big.scr"), std::ios::binary).write((const char *)file.data(), std::streamsize(at))
            .seekp(hole, std::ios::cur).write((const char *)&file[at], std::streamsize(file.size() - at));
        const ShowFile show = ScanShowFile(dir.Path("big.scr"), nullptr);
        EXPECT_EQ(show.loads, show.size <= MAXSHOWFILE) << show.failure;
        EXPECT_EQ(show.size > MAXSHOWFILE, show.failure.find("holds at most 4294967295 bytes") != std::string::npos);
        EXPECT_EQ(show.size, file.size() + hole);
    }
}
