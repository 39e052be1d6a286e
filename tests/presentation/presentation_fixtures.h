// Helpers of the presentation tests: a picture cycled through its effects
// in a real window, and what the window shows of it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

#include "presentation/effect.h"
#include "presentation/status.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

namespace presentation_fixtures {

using namespace testing_support;

constexpr COLORREF kBackground = RGB(0, 0, 80);
constexpr int kLeft = 30, kTop = 20;  // where the picture goes in the window
constexpr int kMaxTicks = 50000;
constexpr int kTestFadeMs = 20;  // Crossfades run by the clock: short ones keep the tests quick
constexpr int kHoldTicks = 3;    // RunTo past a hold ends it after these ticks, as the second timer would

// A picture being cycled through one appear and one disappear effect.
class Cycle {
public:
    Cycle(TestWindow &window, const Bytes &dib, int appear, int disappear, int holdtime = 0, int fade = kTestFadeMs,
          int left = kLeft, int top = kTop)
        : window_(window), dib_(dib), picture_(GlobalCopy(dib)) {
        ok_ = InitImageStatus(&status_, picture_, appear, disappear, 80, holdtime, window.brush()) == 1;
        status_.fade = fade;
        status_.x = left;
        status_.y = top;
    }
    ~Cycle() {
        DestroyStatus(&status_);
        GlobalFree(picture_);
    }
    bool ok() const { return ok_; }
    STATUS &status() { return status_; }
    void Tick() { HandleOnceCell(window_.window(), window_.dc(), &status_); }
    // One tick on the way to `phase`; true once it is there.
    bool TickTowards(WORD phase) {
        Tick();
        if (status_.phase != PHASE_HOLD) held_ = 0;
        if (status_.phase == PHASE_HOLD && phase != PHASE_HOLD && ++held_ >= kHoldTicks) status_.holdcount = 0;
        return status_.phase == phase;
    }
    // Ticks until the phase is `phase`; false if it never comes.
    bool RunTo(WORD phase) {
        for (int i = 0; i < kMaxTicks; ++i)
            if (TickTowards(phase)) return true;
        return false;
    }
    std::vector<COLORREF> Area() const {
        const DIBHEADER *h = (const DIBHEADER *)dib_.data();
        return window_.Capture(kLeft, kTop, h->biWidth, h->biHeight);
    }
    bool ShowsPicture() const { return Area() == DibColours(dib_); }
    bool ShowsNoBackground() const {
        const std::vector<COLORREF> area = Area();
        return std::find(area.begin(), area.end(), kBackground) == area.end();
    }
    bool ShowsBackground() const {
        const std::vector<COLORREF> area = Area();
        return std::all_of(area.begin(), area.end(), [](COLORREF c) { return c == kBackground; });
    }
    // Nothing was drawn two or more pixels outside the picture.
    bool SurroundingsClean() const {
        const DIBHEADER *h = (const DIBHEADER *)dib_.data();
        const std::vector<COLORREF> all = window_.Capture(0, 0, kLeft * 2 + h->biWidth, kTop * 2 + h->biHeight);
        const int wide = kLeft * 2 + h->biWidth;
        for (size_t i = 0; i < all.size(); ++i) {
            const int x = int(i % wide), y = int(i / wide);
            const bool nearPicture = x >= kLeft - 2 && x < kLeft + h->biWidth + 2 && y >= kTop - 2 &&
                              y < kTop + h->biHeight + 2;
            if (!nearPicture && all[i] != kBackground) return false;
        }
        return true;
    }

private:
    TestWindow &window_;
    Bytes dib_;
    HGLOBAL picture_;
    STATUS status_ = {};
    bool ok_ = false;
    int held_ = 0;  // hold ticks so far on the way to a phase past the hold
};

}  // namespace presentation_fixtures
