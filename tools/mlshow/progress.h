// A progress bar on standard error, drawn only when standard error is a
// terminal; silent otherwise. Safe to advance from several threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace mlshow {

class Progress {
public:
    // `total` is the work in any unit (bytes of input); `enabled` false
    // makes every call do nothing.
    Progress(std::string label, uint64_t total, bool enabled);
    ~Progress();
    void Advance(uint64_t done);

    // Whether a bar is worth drawing: stderr is a terminal and the work is big.
    static bool Wanted(uint64_t total, bool quiet);

private:
    void Draw();

    std::mutex mutex_;
    std::string label_;
    uint64_t total_;
    uint64_t done_ = 0;
    int drawn_ = -1;  // percentage last drawn
    bool enabled_;
};

}  // namespace mlshow
