// The progress bar.
#include "progress.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define ML_ISATTY _isatty
#define ML_FILENO _fileno
#else
#include <unistd.h>
#define ML_ISATTY isatty
#define ML_FILENO fileno
#endif

namespace mlshow {

namespace {
constexpr uint64_t kLargeShow = 32ull << 20;  // below this a build is quick enough to need no bar
}

Progress::Progress(std::string label, uint64_t total, bool enabled)
    : label_(std::move(label)), total_(total ? total : 1), enabled_(enabled) {
    if (enabled_) Draw();
}

Progress::~Progress() {
    if (enabled_ && drawn_ >= 0) std::fputc('\n', stderr);
}

bool Progress::Wanted(uint64_t total, bool quiet) {
    return !quiet && total >= kLargeShow && ML_ISATTY(ML_FILENO(stderr));
}

void Progress::Advance(uint64_t done) {
    if (!enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    done_ += done;
    Draw();
}

void Progress::Draw() {
    const int percent = int(done_ >= total_ ? 100 : done_ * 100 / total_);
    if (percent == drawn_) return;
    drawn_ = percent;
    char bar[41];
    for (int i = 0; i < 40; ++i) bar[i] = i < percent * 40 / 100 ? '#' : '.';
    bar[40] = 0;
    std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar, percent);
    std::fflush(stderr);
}

}  // namespace mlshow
