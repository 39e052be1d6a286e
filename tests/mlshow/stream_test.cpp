// Shows written and read as streams: the streaming writer gives the bytes
// the in-memory writer gives, the pipeline keeps order and its window, the
// output is atomic, the file reader agrees with the in-memory one, and the
// player's memory is estimated alike by build, info and verify.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "build.h"
#include "checks.h"
#include "commands.h"
#include "dib.h"
#include "errors.h"
#include "fileio.h"
#include "manifest.h"
#include "memory.h"
#include "parallel.h"
#include "reader.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::Pattern;
using testing_mlshow::TempDir;

namespace {

// Adds one block of every kind, some compressed.
void AddEveryKind(BlockWriter &writer) {
    SCRIMAGE image{};
    image.speed = 40;
    writer.AddPicture(image, PackDib(Pattern(32, 16, {1, 2, 3, 4, 5})), true);
    writer.AddPicture(image, PackDib(Pattern(3, 3, {7})), false);
    writer.AddJpegPicture(image, testing_mlshow::Jpeg(testing_mlshow::Quadrants(16, 16)));
    SCRTEXT text{};
    SetField(text.facename, "Arial");
    writer.AddText(text, "Hello\r\n");
    SCRAPPLET applet{};
    writer.AddApplet(applet, {{TAG_PICT, 1, PackDib(Pattern(8, 8, {9}))}}, {{TAG_MIDI, 2, Bytes{'M', 'T', 'h', 'd'}}}, "end()", true);
    SCRSOUND sound{};
    sound.kind = TAG_MIDI;
    writer.AddSound(sound, Bytes{'M', 'T', 'h', 'd'});
    writer.AddAnimation(SCRANIM{}, Bytes(100, 3), true);
    writer.AddRawBlock(Bytes{'J', 'U', 'N', 'K', 12, 0, 0, 0, 0, 0, 0, 0});
}

// Fails once `limit` bytes have been written.
class FailingSink : public ByteSink {
public:
    explicit FailingSink(size_t limit) : limit_(limit) {}
    void Write(const uint8_t *, size_t size) override {
        written_ += size;
        if (written_ > limit_) throw InputError("the disk is full");
    }

private:
    size_t limit_, written_ = 0;
};

// Leaves every write of more than 1 MB, taken to be zeros, as a hole: a
// large show costs no disk.
class SparseFile : public ByteSink {
public:
    explicit SparseFile(const std::string &path) : out_(path, std::ios::binary) {}
    void Write(const uint8_t *data, size_t size) override {
        if (size > (1u << 20)) out_.seekp(std::streamoff(size), std::ios::cur);
        else out_.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    }

private:
    std::ofstream out_;
};

Bytes DemoProgram() { return testing_mlshow::FakePlayer(70000); }

}  // namespace

TEST(ShowStream, GivesTheBytesAndLayoutOfTheWriter) {
    for (bool preview : {false, true}) {
        for (bool blocks : {false, true}) {
            SCOPED_TRACE(std::string(preview ? "preview" : "no preview") + (blocks ? ", blocks" : ", no blocks"));
            SCRHEAD head{};
            SetField(head.title, "Stream");
            const Bytes dib = preview ? PackDib(Pattern(20, 10, {0x112233, 0x445566})) : Bytes();
            ShowWriter writer(head);
            writer.SetPreview(dib);
            MemorySink sink;
            ShowStream stream(sink, DemoProgram(), head, dib);
            if (blocks) {
                AddEveryKind(writer);
                AddEveryKind(stream);
            }
            stream.Finish();
            stream.Finish();  // once only
            ShowLayout layout;
            const Bytes whole = writer.Build(DemoProgram(), &layout);
            EXPECT_TRUE(sink.bytes == whole);
            EXPECT_EQ(stream.Size(), whole.size());
            EXPECT_EQ(stream.Layout().blockOffsets, layout.blockOffsets);
            EXPECT_EQ(stream.Layout().trailerOffset, layout.trailerOffset);
            EXPECT_EQ(stream.Layout().contentStart, layout.contentStart);
            const ShowFile show = ReadShowFile(whole);
            EXPECT_TRUE(show.loads) << show.failure;
            EXPECT_THROW(stream.AddText(SCRTEXT{}, "late"), std::logic_error);
        }
    }
}

TEST(OrderedPipeline, ConsumesInOrderAndKeepsToItsWindow) {
    for (unsigned threads : {1u, 2u, 4u}) {
        for (size_t ahead : {size_t(1), size_t(3)}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(ahead) + " ahead");
            std::mutex mutex;
            size_t consumed = 0, widest = 0;
            std::vector<size_t> order;
            std::vector<int> prepared(40);
            RunOrdered(
                prepared.size(), threads, ahead,
                [&](size_t i) {
                    std::lock_guard<std::mutex> lock(mutex);
                    widest = std::max(widest, i + 1 - consumed);
                    ++prepared[i];
                },
                [&](size_t i) {
                    std::lock_guard<std::mutex> lock(mutex);
                    EXPECT_EQ(prepared[i], 1);
                    order.push_back(i);
                    consumed = i + 1;
                });
            EXPECT_EQ(order.size(), prepared.size());
            for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
            EXPECT_LE(widest, ahead);
        }
    }
    RunOrdered(0, 2, 2, [](size_t) { FAIL(); }, [](size_t) { FAIL(); });
}

// Shares of a budget held at once never pass it; one larger than the whole
// budget is held alone.
TEST(MemoryBudget, SharesHeldAtOnceStayWithinTheBudget) {
    const struct {
        uint64_t budget;
        std::vector<uint64_t> shares;
        uint64_t most;  // the most held at once, at most
    } cases[] = {
        {100, {60, 60, 60, 60}, 60},
        {100, {50, 50, 50, 50, 50, 50}, 100},
        {100, {10, 250, 10, 250, 10}, 250},
        {1000, {1, 2, 3, 4, 5, 6, 7, 8}, 36},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.budget);
        MemoryBudget budget(c.budget);
        std::mutex mutex;
        uint64_t held = 0, most = 0;
        bool alone = true;
        RunParallel(c.shares.size(), 4, [&](size_t i) {
            const BudgetShare share(budget, c.shares[i]);
            {
                std::lock_guard<std::mutex> lock(mutex);
                held += c.shares[i];
                most = std::max(most, held);
                if (c.shares[i] > c.budget && held != c.shares[i]) alone = false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::lock_guard<std::mutex> lock(mutex);
            held -= c.shares[i];
        });
        EXPECT_LE(most, c.most);
        EXPECT_TRUE(alone);
    }
}

TEST(OrderedPipeline, AFailingConsumerStopsTheWorkers) {
    std::atomic<size_t> prepared{0};
    EXPECT_THROW(RunOrdered(
                     1000, 3, 4, [&](size_t) { ++prepared; },
                     [](size_t i) {
                         if (i == 5) throw std::runtime_error("stop");
                     }),
                 std::runtime_error);
    EXPECT_LE(prepared.load(), 5u + 4u);
}

TEST(ShowStream, AFailedBuildLeavesNoFile) {
    TempDir dir;
    std::ostringstream out;
    RunNew(dir.Path("show"), true, out);
    const Manifest manifest = LoadManifest(dir.Path("show/show.toml"));
    BuildSettings settings;
    settings.quiet = true;
    for (size_t limit : {size_t(10), size_t(70000), size_t(200000)}) {
        SCOPED_TRACE(limit);
        FailingSink sink(limit);
        EXPECT_THROW(BuildShowTo(manifest, DemoProgram(), settings, sink), InputError);
    }
    {
        AtomicFile file(dir.Path("out.scr"));
        file.Write(reinterpret_cast<const uint8_t *>("abc"), 3);
        EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.path(), ".mlshow-tmp").size(), 1u);
    }
    EXPECT_FALSE(testing_mlshow::Exists(dir.Path("out.scr")));
    EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.path(), ".mlshow-tmp"), std::vector<std::string>());
    EXPECT_THROW(AtomicFile(dir.Path("no/such/folder/out.scr")), InputError);
}

// Two builds of one output write temporary files of their own, and one
// interrupted or terminated removes its own.
TEST(ShowStream, TemporaryFilesAreEachWritesOwn) {
    TempDir dir;
    const Bytes first(70000, 1), second(50, 2);
    AtomicFile firstFile(dir.Path("out.scr")), secondFile(dir.Path("out.scr"));
    firstFile.Write(first.data(), first.size());
    secondFile.Write(second.data(), second.size());
    secondFile.Commit();
    firstFile.Commit();
    EXPECT_TRUE(testing_mlshow::ReadBytes(dir.Path("out.scr")) == first);
    GTEST_FLAG_SET(death_test_style, "fast");  // the child writes into this test's folder
    for (int signal : {SIGINT, SIGTERM}) {
        EXPECT_EXIT((AtomicFile(dir.Path("out.scr")).Write(first.data(), 3), std::raise(signal)),
                    testing::KilledBySignal(signal), "");
    }
    EXPECT_EQ(testing_mlshow::FilesEndingIn(dir.path(), ""), std::vector<std::string>{"out.scr"});
}

TEST(ShowFileScan, ReadsTheFileAsTheInMemoryReaderDoes) {
    BuildSettings settings;
    settings.quiet = true;
    const Manifest manifest = LoadManifest(testing_mlshow::SourcePath("examples/demo/show.toml"));
    MemorySink sink;
    const BuildResult built = BuildShowTo(manifest, DemoProgram(), settings, sink);
    EXPECT_EQ(built.size, sink.bytes.size());
    EXPECT_EQ(built.items, manifest.items.size());
    TempDir dir;
    dir.Write("demo.scr", sink.bytes);
    const ShowFile whole = ReadShowFile(sink.bytes);
    size_t visited = 0;
    PlayerMemory memory;
    const ShowFile scanned = ScanShowFile(dir.Path("demo.scr"), [&](const ReadBlock &block) {
        const ReadBlock &same = whole.blocks.at(visited++);
        EXPECT_TRUE(block.data == same.data);
        EXPECT_EQ(block.pictures.size(), same.pictures.size());
        memory.AddBlock(block);
    });
    ASSERT_TRUE(scanned.loads);
    EXPECT_EQ(visited, whole.blocks.size());
    ASSERT_EQ(scanned.checks.size(), whole.checks.size());
    for (size_t i = 0; i < whole.checks.size(); ++i) EXPECT_EQ(scanned.checks[i].detail, whole.checks[i].detail);
    for (size_t i = 0; i < whole.blocks.size(); ++i) {
        EXPECT_EQ(scanned.blocks[i].offset, whole.blocks[i].offset);
        EXPECT_EQ(scanned.blocks[i].flags, whole.blocks[i].flags);
        EXPECT_EQ(scanned.blocks[i].header, whole.blocks[i].header);
        EXPECT_TRUE(scanned.blocks[i].data.empty());  // kept without data
    }
    // The build's estimate is what a reader finds.
    memory.bitmaps += scanned.preview.size();
    EXPECT_EQ(memory.bitmaps, built.memory.bitmaps);
    EXPECT_EQ(memory.jpegs, built.memory.jpegs);
    EXPECT_EQ(memory.applets, built.memory.applets);
    EXPECT_EQ(memory.other, built.memory.other);
    EXPECT_GT(memory.jpegs, 0u);
    EXPECT_THROW(ScanShowFile(dir.Path("none.scr"), nullptr), InputError);
}

TEST(ShowFileScan, ATrailerTagAtTheVeryEndOfTheChainLoads) {
    // The chain reaches an ENDB tag 8 bytes before the end of the file,
    // inside the trailer, with a length that runs past the end: the loader
    // stops at the tag, and so does the reader, reading nothing beyond.
    ShowWriter writer(SCRHEAD{});
    ShowLayout layout;
    writer.AddRawBlock(Bytes{'J', 'U', 'N', 'K', 12, 0, 0, 0, 0, 0, 0, 0});
    Bytes file = writer.Build(testing_mlshow::FakePlayer(), &layout);
    WriteU32(file, layout.blockOffsets[0] + 4, uint32_t(file.size() - 8 - layout.blockOffsets[0]));
    WriteU32(file, file.size() - 8, TAG_ENDB);
    WriteU32(file, file.size() - 4, 0xFFFFFFFF);
    SealContainer(file, layout.contentStart);
    const ShowFile show = ReadShowFile(file);
    EXPECT_TRUE(show.loads) << show.failure;
    EXPECT_EQ(show.blocks.back().type, TAG_ENDB);
    EXPECT_EQ(show.blocks.back().offset, file.size() - 8);
}

TEST(PlayerMemory, WarnsAboveTheLimitNamingBothFigures) {
    struct Case {
        uint64_t bitmaps, jpegs;
        bool tooMuch;
    };
    const Case cases[] = {{0, 0, false}, {PLAYER_CONTENT_LIMIT, 0, false}, {PLAYER_CONTENT_LIMIT - 5, 6, true},
                          {0, PLAYER_CONTENT_LIMIT + 1, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bitmaps + c.jpegs);
        PlayerMemory memory;
        memory.bitmaps = c.bitmaps;
        memory.jpegs = c.jpegs;
        EXPECT_EQ(memory.TooMuch(), c.tooMuch);
    }
    PlayerMemory memory;
    memory.bitmaps = uint64_t(1500) << 20;
    memory.jpegs = uint64_t(3) << 19;
    memory.other = 1000;
    EXPECT_EQ(memory.Text(), "about 1501.5 MB (bitmaps 1500.0 MB, JPEG on the screen 1.5 MB, applets 0 KB, other 1 KB)");
    EXPECT_NE(memory.Warning().find("more than the 1400.0 MB the 32-bit player can hold"), std::string::npos);
}

// A show the player cannot hold is not built: the saver would stay black.
TEST(PlayerMemory, BuildRefusesAShowThePlayerCannotHold) {
    TempDir dir;
    dir.Write("show.toml", std::string("[show]\ntitle = \"T\"\n[[item]]\ntype = \"text\"\nmessage = \"") +
                               std::string(2000, 'x') + "\"\n");
    const Manifest manifest = LoadManifest(dir.Path("show.toml"));
    BuildSettings settings;
    settings.playerLimit = 1000;
    const std::vector<std::string> errors =
        testing_mlshow::ErrorsOf([&] { BuildShow(manifest, testing_mlshow::FakePlayer(), settings); });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("show.toml: the player would hold about 2 KB"), std::string::npos) << errors[0];
    settings.playerLimit = 2000;
    EXPECT_NO_THROW(BuildShow(manifest, testing_mlshow::FakePlayer(), settings));
}

TEST(PlayerMemory, VerifyWarnsWhenAShowIsTooLargeToPlay) {
    // Six texts of 250 MB of zeros, the zeros left as holes in the file:
    // 1.5 GB in the player, read block by block.
    TempDir dir;
    {
        SparseFile file(dir.Path("large.scr"));
        ShowStream stream(file, testing_mlshow::FakePlayer(), SCRHEAD{}, Bytes());
        SCRTEXT text{};
        text.speed = 40;
        SetField(text.facename, "Arial");
        const std::string zeros(250u << 20, '\0');
        for (int i = 0; i < 6; ++i) stream.AddText(text, zeros);
        stream.Finish();
    }
    std::ostringstream out;
    EXPECT_EQ(RunVerify(dir.Path("large.scr"), true, out), 1);
    EXPECT_NE(out.str().find("the player would hold about 1500.0 MB"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("more than the 1400.0 MB the 32-bit player can hold"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("1 problem:"), std::string::npos) << out.str();
}

// The player numbers its items with 16 bits: a show of 65,536 one-pixel
// pictures has no problem, verify refuses one more with the reason, and a
// build of one more item is refused before any file is imported.
TEST(ShowItems, VerifyAndBuildRefuseMoreItemsThanThePlayerNumbers) {
    const Bytes pixel = PackDib(Pattern(1, 1, {0x102030}));
    SCRIMAGE picture{};
    picture.speed = 40;
    ShowWriter writer(SCRHEAD{});
    for (size_t i = 0; i < MAX_SHOW_ITEMS; ++i) writer.AddPicture(picture, pixel, false);
    EXPECT_TRUE(ShowProblems(ReadShowFile(writer.Build(testing_mlshow::FakePlayer()))).empty());
    writer.AddPicture(picture, pixel, false);
    TempDir dir;
    dir.Write("many.scr", writer.Build(testing_mlshow::FakePlayer()));
    std::ostringstream out;
    EXPECT_EQ(RunVerify(dir.Path("many.scr"), true, out), 1);
    EXPECT_NE(out.str().find("65537 items, more than the 65536 a show may hold"), std::string::npos) << out.str();

    Manifest manifest;
    manifest.name = "show.toml";
    manifest.items.assign(MAX_SHOW_ITEMS + 1, Item(PictureItem{}));  // no files: none is read
    EXPECT_EQ(testing_mlshow::ErrorsOf([&] { BuildShow(manifest, testing_mlshow::FakePlayer(), BuildSettings{}); }),
              std::vector<std::string>{"show.toml: 65537 items, more than the 65536 a show may hold: the player "
                                       "numbers its items with 16 bits"});
}
