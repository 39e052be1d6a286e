// A pool of threads taking the next job from a shared counter, so a long job
// never holds up the short ones queued behind it.
#include "parallel.h"

#include <atomic>
#include <thread>
#include <vector>

namespace mlshow {

void RunParallel(size_t count, unsigned threads, const std::function<void(size_t)> &job) {
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    if (threads > count) threads = unsigned(count);
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < count; i = next++) job(i);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread &thread : pool) thread.join();
}

}  // namespace mlshow
