// A pool of threads taking the next job from a shared counter, so a long job
// never holds up the short ones queued behind it; the ordered pipeline adds
// a window that keeps the workers a few items ahead of the consumer.
#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace mlshow {

void MemoryBudget::Take(uint64_t bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    given_.wait(lock, [&] { return held_ == 0 || (held_ + bytes <= limit_ && held_ + bytes >= held_); });
    held_ += bytes;
}

void MemoryBudget::Give(uint64_t bytes) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held_ -= bytes;
    }
    given_.notify_all();
}

unsigned ThreadCount(unsigned threads) { return threads ? threads : std::max(1u, std::thread::hardware_concurrency()); }

void RunParallel(size_t count, unsigned threads, const std::function<void(size_t)> &job) {
    threads = ThreadCount(threads);
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

void RunOrdered(size_t count, unsigned threads, size_t ahead, const std::function<void(size_t)> &prepare,
                const std::function<void(size_t)> &consume) {
    threads = ThreadCount(threads);
    if (threads > count) threads = unsigned(count);
    if (ahead < 1) ahead = 1;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> ready(count);
    size_t next = 0, consumed = 0;
    bool stop = false;

    // Takes the next item while it is inside the window.
    auto worker = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || next >= count || next < consumed + ahead; });
            if (stop || next >= count) return;
            const size_t i = next++;
            lock.unlock();
            prepare(i);
            lock.lock();
            ready[i] = true;
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
    auto finish = [&] {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread &thread : pool) thread.join();
    };
    try {
        for (size_t i = 0; i < count; ++i) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return bool(ready[i]); });
            }
            consume(i);
            {
                std::lock_guard<std::mutex> lock(mutex);
                consumed = i + 1;
            }
            changed.notify_all();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

}  // namespace mlshow
