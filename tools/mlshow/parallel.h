// Runs independent jobs on all cores.
#pragma once

#include <cstddef>
#include <functional>

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

}  // namespace mlshow
