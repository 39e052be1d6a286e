// Benchmark: build a show of 50 photo-like 1920x1080 JPEG pictures stored
// as bitmaps (store = "bitmap") and compare the time with what zlib alone
// needs to deflate the same bitmaps on one core. The goal is at most 0.7 of
// that single-core time.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "build.h"
#include "dib.h"
#include "fileio.h"
#include "image.h"
#include "manifest.h"
#include "photo.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPictures = 50;
constexpr double kGoal = 0.7;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / "mlshow-bench";
    fs::create_directories(dir);
    std::string manifest = "[show]\ntitle = \"Bench\"\ncreated = 0\n";
    std::printf("making %d photo-like %dx%d JPEG pictures...\n", kPictures, bench::PHOTO_WIDTH, bench::PHOTO_HEIGHT);
    for (int i = 0; i < kPictures; ++i) {
        const std::string name = "photo" + std::to_string(i) + ".jpg";
        if (!fs::exists(dir / name)) mlshow::WriteFileAtomic((dir / name).string(), mlshow::EncodeJpeg(bench::Photo(i), 92));
        manifest += "[[item]]\ntype = \"picture\"\nfile = \"" + name + "\"\nstore = \"bitmap\"\n";
    }
    mlshow::WriteFileAtomic((dir / "show.toml").string(), Bytes(manifest.begin(), manifest.end()));

    const auto buildStart = Clock::now();
    const mlshow::Manifest show = mlshow::LoadManifest((dir / "show.toml").string());
    mlshow::BuildSettings settings;
    settings.quiet = true;
    const Bytes file = mlshow::BuildShow(show, Bytes(4096, 0), settings);
    mlshow::WriteFileAtomic((dir / "bench.scr").string(), file);
    const double build = Seconds(buildStart);

    // The same bitmaps, deflated one after another on one core.
    std::vector<Bytes> bitmaps;
    for (int i = 0; i < kPictures; ++i)
        bitmaps.push_back(mlshow::ImportPicture(mlshow::ReadWholeFile((dir / ("photo" + std::to_string(i) + ".jpg")).string()), 0, 0, 0));
    const auto deflateStart = Clock::now();
    size_t compressed = 0, raw = 0;
    for (const Bytes &bitmap : bitmaps) {
        compressed += CompressStream(bitmap).size();
        raw += bitmap.size();
    }
    const double deflate = Seconds(deflateStart);

    const double ratio = build / deflate;
    std::printf("build of %d pictures: %.2f s (%zu bytes written)\n", kPictures, build, file.size());
    std::printf("zlib alone, one core: %.2f s (%zu -> %zu bytes)\n", deflate, raw, compressed);
    std::printf("ratio: %.2f (goal: at most %.2f) on %u cores: %s\n", ratio, kGoal,
                std::thread::hardware_concurrency(), ratio <= kGoal ? "goal met" : "GOAL MISSED");
    fs::remove(dir / "bench.scr");
    return 0;  // a benchmark reports; the figures are read, not asserted
}
