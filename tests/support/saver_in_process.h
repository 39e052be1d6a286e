// The saver window run inside the test program, on a show written to a
// temporary file: its messages can be counted and its processor time read,
// which Wine does not report for other processes.
#pragma once

#include <windows.h>

#include "content/blockstore.h"
#include "support/test_support.h"

namespace testing_support {

class SaverInProcess {
public:
    explicit SaverInProcess(const Bytes &show);
    ~SaverInProcess();
    SaverInProcess(const SaverInProcess &) = delete;
    SaverInProcess &operator=(const SaverInProcess &) = delete;
    HWND window() const { return window_; }
    bool loaded() const { return loaded_; }
    // Dispatches the window's messages for `ms`; how many advances it saw.
    int Run(DWORD ms);
    // Processor time of this thread so far, in milliseconds.
    static double ThreadCpuMilliseconds();

private:
    TempFile file_;
    HWND window_ = nullptr;
    bool loaded_ = false;
};

}  // namespace testing_support
