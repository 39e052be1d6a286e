// Runs independent jobs on all cores.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

namespace mlshow {

// Calls job(0) .. job(count - 1), each once, on up to `threads` threads
// (0: one per core). Jobs must not throw.
void RunParallel(size_t count, unsigned threads, const std::function<void(size_t)> &job);

// A pipeline: prepare(i) runs on up to `threads` worker threads (0: one per
// core), never more than `ahead` items past the last one consumed, and
// consume(i) runs on the calling thread in order 0 .. count - 1, each once
// its item is prepared. So at most `ahead` prepared items wait at any time.
// prepare must not throw; when consume throws, the workers stop after the
// items in hand and the exception goes on to the caller.
void RunOrdered(size_t count, unsigned threads, size_t ahead, const std::function<void(size_t)> &prepare,
                const std::function<void(size_t)> &consume);

// The number of threads `threads` stands for: itself, or one per core for 0.
unsigned ThreadCount(unsigned threads);

// Memory shared out among threads: a share waits while the shares held
// would pass the budget with it. A share larger than the whole budget is
// given when no other is held, so it runs alone and never waits for ever.
class MemoryBudget {
public:
    explicit MemoryBudget(uint64_t bytes) : limit_(bytes) {}
    void Take(uint64_t bytes);
    void Give(uint64_t bytes);

private:
    std::mutex mutex_;
    std::condition_variable given_;
    const uint64_t limit_;
    uint64_t held_ = 0;
};

// A share of a budget held for the life of the object.
class BudgetShare {
public:
    BudgetShare(MemoryBudget &budget, uint64_t bytes) : budget_(budget), bytes_(bytes) { budget_.Take(bytes_); }
    ~BudgetShare() { budget_.Give(bytes_); }
    BudgetShare(const BudgetShare &) = delete;
    BudgetShare &operator=(const BudgetShare &) = delete;

private:
    MemoryBudget &budget_;
    const uint64_t bytes_;
};

}  // namespace mlshow
