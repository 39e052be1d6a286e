// Mutated containers fed to both loaders: they never crash, and the memory
// of the process stays flat. ML_FUZZ_ITERATIONS sets the length of the run
// (short in the test suite, long under `make fuzz`).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "content/loader.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// The show every mutation starts from, with the places worth breaking.
struct Seed {
    Bytes file;
    ShowLayout layout;
    std::vector<size_t> fields;  // length, count and size fields
    std::vector<size_t> boundaries;
};

Seed MakeSeed() {
    Seed seed;
    ShowWriter writer = RichShow();
    writer.AddRawBlock(Bytes{'X', 'T', 'R', 'A', 12, 0, 0, 0, 0, 0, 0, 0});
    writer.AddPicture(SCRIMAGE{}, TestDib(33, 17, 4), false);
    seed.file = writer.Build(FakeProgram(2048), &seed.layout);
    const size_t head = seed.layout.contentStart;
    const size_t preview = head + SCRHEAD_SIZE;
    seed.fields = {head + 4, preview + 4, preview + 8, preview + 14, preview + 32};
    seed.boundaries = {head, preview, preview + 40, seed.layout.trailerOffset};
    for (size_t block : seed.layout.blockOffsets) {
        seed.fields.push_back(block + 4);
        seed.boundaries.push_back(block);
        if (ReadU32(seed.file, block) == TAG_APPL) {
            seed.fields.push_back(block + 16);
            seed.fields.push_back(block + 20);
            seed.fields.push_back(block + SCRAPPLET_SIZE + 4);  // the first object's size
        }
    }
    return seed;
}

class Mutator {
public:
    Mutator(const Seed &seed, unsigned seedValue) : seed_(seed), random_(seedValue) {}

    Bytes Next() {
        Bytes file = seed_.file;
        switch (Pick(5)) {
            case 0: FlipBytes(file); break;
            case 1: Truncate(file); break;
            case 2: BreakField(file); break;
            case 3: CorruptTail(file); break;
            case 4: BreakField(file); FlipBytes(file); break;
        }
        // Half the files get valid checks, so the damage reaches the chain.
        if (Pick(2) && file.size() >= seed_.layout.contentStart + SCRHEAD_SIZE + SCREND_SIZE &&
            ReadU32(file, file.size() - SCREND_SIZE) == TAG_ENDB)
            SealContainer(file, seed_.layout.contentStart);
        return file;
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

    void FlipBytes(Bytes &file) {
        const size_t start = seed_.layout.contentStart;
        for (size_t n = 1 + Pick(8); n > 0; --n) file[start + Pick(file.size() - start)] ^= uint8_t(1 + Pick(255));
    }

    void Truncate(Bytes &file) {
        const size_t at = seed_.boundaries[Pick(seed_.boundaries.size())] + Pick(3) - 1;
        file.resize(std::min(at, file.size()));
        if (Pick(2)) {  // keep a trailer at the new end
            Bytes trailer(seed_.file.end() - SCREND_SIZE, seed_.file.end());
            file.insert(file.end(), trailer.begin(), trailer.end());
        }
    }

    void BreakField(Bytes &file) {
        static const uint32_t values[] = {0,          1,          7,          8,          0x7FFFFFFF, 0x80000000,
                                          0xFFFFFFFF, 0xFFFFFFF0, 0x40000000, 0x10000000, 65536,      2148};
        const size_t at = seed_.fields[Pick(seed_.fields.size())];
        uint32_t value = values[Pick(sizeof values / sizeof values[0])];
        if (Pick(4) == 0) value = ReadU32(file, at) + uint32_t(Pick(64)) - 32;
        WriteU32(file, at, value);
    }

    // Damage near the end of a block: compressed streams fail late.
    void CorruptTail(Bytes &file) {
        const size_t block = Pick(seed_.layout.blockOffsets.size() + 1);
        const size_t end = block < seed_.layout.blockOffsets.size() - 1 ? seed_.layout.blockOffsets[block + 1]
                                                                          : seed_.layout.trailerOffset;
        const size_t at = end - 1 - Pick(16);
        file[at] ^= uint8_t(1 + Pick(255));
    }

    const Seed &seed_;
    std::mt19937 random_;
};

int Iterations() {
    const char *text = std::getenv("ML_FUZZ_ITERATIONS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 1500;
}

}  // namespace

TEST(LoaderFuzz, MutatedContainersNeverCrashOrLeak) {
    const Seed seed = MakeSeed();
    Mutator mutator(seed, 20261208);
    TempFile temp;
    TestStore store;
    int accepted = 0;
    auto loadOnce = [&] {
        temp.Write(mutator.Next());
        accepted += LoadScrFile(store.list(), store.set(), temp.path());
        store.Clear();
        BLOCK header;
        if (LoadHeaderBlock(nullptr, &header, temp.path(), nullptr)) DestroyBlock(&header);
    };
    const int iterations = Iterations();
    const int warmup = iterations / 10;
    for (int i = 0; i < warmup; ++i) loadOnce();
    const size_t before = CommittedPrivateBytes();
    for (int i = warmup; i < iterations; ++i) loadOnce();
    const size_t after = CommittedPrivateBytes();
    EXPECT_LT(after, before + 4 * 1024 * 1024) << "grew by " << (after - before) << " bytes";
    std::printf("%d mutated files, %d accepted\n", iterations, accepted);
    EXPECT_GT(accepted, 0);  // some damage is harmless: the run reaches success paths too
    EXPECT_LT(accepted, iterations);
}
