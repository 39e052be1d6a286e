// Benchmark: mlshow builds photo shows of 10, 100 and 1,000 photo-like
// 1920x1080 JPEG pictures from a folder (ten distinct files under many
// names), stored as they are. Reports the build's time and the mlshow
// process's peak memory, measured from outside, and the show's size against
// the JPEG bytes and the player; then the same for verify, which decodes
// every picture. Goals for 1,000 pictures: a build of at most 10 s and
// 300 MB, a show of at most 1.05 x (JPEG bytes + player).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "fileio.h"
#include "image.h"
#include "photo.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDistinct = 10, kQuality = 93;  // about 450 KB a picture
constexpr double kGoalSeconds = 10, kGoalMegabytes = 300, kGoalSizeRatio = 1.05;

struct Run {
    int status = -1;
    double seconds = 0;
    double megabytes = 0;  // peak resident memory
};

// Runs a program and waits for it, with its time and peak memory.
Run Measure(const std::vector<std::string> &arguments) {
    std::vector<char *> argv;
    for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Run run;
    const auto start = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.megabytes = double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

uint64_t FileSize(const fs::path &path) {
    std::error_code error;
    const uint64_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

// A folder of `count` pictures: the distinct files linked under new names.
uint64_t MakeFolder(const fs::path &dir, int count) {
    const fs::path folder = dir / ("photos" + std::to_string(count));
    fs::remove_all(folder);
    fs::create_directories(folder);
    uint64_t bytes = 0;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%04d.jpg", i);
        const fs::path source = dir / ("distinct" + std::to_string(i % kDistinct) + ".jpg");
        std::error_code error;
        fs::create_hard_link(source, folder / name, error);
        if (error) fs::copy_file(source, folder / name);
        bytes += FileSize(source);
    }
    const std::string manifest = "[show]\ntitle = \"Photos\"\ncreated = 0\n[[item]]\ntype = \"pictures\"\nfolder = \"" +
                                 folder.filename().string() + "\"\nappear = [\"Wipe in from Left\", \"Sandstorm\"]\n";
    mlshow::WriteFileAtomic((dir / ("show" + std::to_string(count) + ".toml")).string(), Bytes(manifest.begin(), manifest.end()));
    return bytes;
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / "mlshow-photo-bench";
    fs::create_directories(dir);
    std::string player = ML_PLAYER;
    if (!fs::exists(player)) {  // the player is built by `make build`; a stand-in of its size otherwise
        player = (dir / "player.scr").string();
        mlshow::WriteFileAtomic(player, Bytes(1 << 20, 0x90));
    }
    std::printf("making %d distinct photo-like %dx%d JPEG pictures (quality %d)...\n", kDistinct, bench::PHOTO_WIDTH,
                bench::PHOTO_HEIGHT, kQuality);
    for (int i = 0; i < kDistinct; ++i) {
        const fs::path file = dir / ("distinct" + std::to_string(i) + ".jpg");
        if (!fs::exists(file)) mlshow::WriteFileAtomic(file.string(), mlshow::EncodeJpeg(bench::Photo(100 + i), kQuality));
    }
    const uint64_t playerSize = FileSize(player);
    std::printf("on %u cores, player %llu bytes\n\n", std::thread::hardware_concurrency(), (unsigned long long)playerSize);
    std::printf("%9s %14s %14s %6s %9s %9s %11s %11s\n", "pictures", "JPEG bytes", ".scr bytes", "ratio", "build s",
                "build MB", "verify s", "verify MB");
    bool met = true;
    for (int count : {10, 100, 1000}) {
        const uint64_t jpegBytes = MakeFolder(dir, count);
        const fs::path show = dir / ("photos" + std::to_string(count) + ".scr");
        const Run build = Measure({ML_MLSHOW, "build", "-q", (dir / ("show" + std::to_string(count) + ".toml")).string(),
                                   "--player", player, "-o", show.string()});
        const Run verify = Measure({ML_MLSHOW, "verify", "-q", show.string()});
        const uint64_t size = FileSize(show);
        const double ratio = double(size) / double(jpegBytes + playerSize);
        std::printf("%9d %14llu %14llu %6.3f %9.2f %9.1f %11.2f %11.1f%s\n", count, (unsigned long long)jpegBytes,
                    (unsigned long long)size, ratio, build.seconds, build.megabytes, verify.seconds, verify.megabytes,
                    build.status || verify.status ? "  (FAILED)" : "");
        met = met && build.status == 0 && verify.status == 0 && ratio <= kGoalSizeRatio;
        if (count == 1000) met = met && build.seconds <= kGoalSeconds && build.megabytes <= kGoalMegabytes;
        fs::remove(show);
    }
    std::printf("\ngoals for 1000 pictures: build <= %.0f s and <= %.0f MB, .scr <= %.2f x (JPEG bytes + player): %s\n",
                kGoalSeconds, kGoalMegabytes, kGoalSizeRatio, met ? "goals met" : "GOAL MISSED");
    return 0;  // a benchmark reports; the figures are read, not asserted
}
