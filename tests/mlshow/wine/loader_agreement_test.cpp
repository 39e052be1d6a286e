// mlshow and the player agree: a show built by mlshow loads in the player,
// and on damaged files the loader accepts exactly what mlshow's container
// reader (behind verify) accepts.
#include <gtest/gtest.h>

#include "build.h"
#include "content/loader.h"
#include "manifest.h"
#include "reader.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// The demo show, built in-process on the program part of the real player.
const Bytes &DemoShow() {
    static const Bytes show = [] {
        mlshow::BuildSettings settings;
        settings.quiet = true;
        return mlshow::BuildShow(mlshow::LoadManifest(ML_DEMO_MANIFEST),
                                 mlshow::ProgramPart(ReadFileBytes(PlayerPath())), settings);
    }();
    return show;
}

int Load(const Bytes &file) {
    TempFile scr;
    scr.Write(file);
    TestStore store;
    const int loaded = LoadScrFile(store.list(), store.set(), scr.path());
    store.Clear();
    return loaded;
}

// Deterministic damage: truncations, flipped bytes and rewritten fields,
// with the trailer's checks left stale or made to match again.
std::vector<std::pair<std::string, Bytes>> Damaged(const Bytes &good) {
    const mlshow::ShowFile show = mlshow::ReadShowFile(good);
    std::vector<std::pair<std::string, Bytes>> files;
    const size_t s = show.contentStart;
    for (size_t cut : {size_t(10), size_t(60), good.size() / 2, good.size() - 53, good.size() - 1})
        files.push_back({"cut to " + std::to_string(cut), Bytes(good.begin(), good.begin() + long(cut))});
    std::vector<size_t> starts = {s};
    for (const mlshow::ReadBlock &block : show.blocks) starts.push_back(block.offset);
    uint32_t random = 12345;
    for (size_t start : starts) {
        for (size_t field : {4, 8, 12, 16, 20, 24, 40, 56, 60, 64, 84, 90}) {
            for (bool seal : {false, true}) {
                random = random * 1103515245 + 12345;
                const uint32_t values[] = {0, 4, 20, 0xFFFFFFFF, random >> 8, 0x7FFFFFFF};
                Bytes file = good;
                if (start + field + 4 > file.size()) continue;
                const uint32_t value = values[random % 6];
                WriteU32(file, start + field, value);
                if (seal) SealContainer(file, s);
                files.push_back({"field " + std::to_string(field) + " of block at " + std::to_string(start) + " := " +
                                     std::to_string(value) + (seal ? ", sealed" : ""),
                                 file});
            }
        }
        Bytes flipped = good;
        flipped[start + 100 < good.size() ? start + 100 : start] ^= 0x55;
        SealContainer(flipped, s);
        files.push_back({"byte flipped in block at " + std::to_string(start), flipped});
    }
    return files;
}

}  // namespace

TEST(MlshowLoader, TheDemoShowBuiltByMlshowLoads) {
    const Bytes &show = DemoShow();
    const mlshow::ShowFile read = mlshow::ReadShowFile(show);
    ASSERT_TRUE(read.loads) << read.failure;
    TempFile scr;
    scr.Write(show);
    TestStore store;
    ASSERT_EQ(LoadScrFile(store.list(), store.set(), scr.path()), 1);
    // The header and every content block, in file order.
    EXPECT_EQ(size_t(store.Count()), read.blocks.size());
    EXPECT_EQ(store.Block(0).type, TAG_HEAD);
    EXPECT_EQ(store.Block(1).type, read.blocks[0].type);
    store.Clear();
}

TEST(MlshowLoader, VerifyRejectsExactlyWhatTheLoaderRejects) {
    size_t rejected = 0;
    for (const auto &[description, file] : Damaged(DemoShow())) {
        SCOPED_TRACE(description);
        const mlshow::ShowFile read = mlshow::ReadShowFile(file);
        EXPECT_EQ(read.loads ? 1 : 0, Load(file)) << read.failure;
        rejected += read.loads ? 0 : 1;
    }
    EXPECT_GT(rejected, 50u);
}
