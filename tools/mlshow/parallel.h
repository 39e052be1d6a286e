// Runs independent jobs on all cores.
#pragma once

#include <cstddef>
#include <functional>

namespace mlshow {

// Calls job(0) .. job(count - 1), each once, on up to `threads` threads
// (0: one per core). Jobs must not throw.
void RunParallel(size_t count, unsigned threads, const std::function<void(size_t)> &job);

}  // namespace mlshow
