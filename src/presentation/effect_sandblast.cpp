// "Sandstorm": the picture appears pixel by pixel in random order, 1024 per
// step, and goes the same way.
#include <cstdint>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
constexpr int kPixelsPerStep = 1024;
PictureSize size;
uint32_t pixels;              // pixels still to do; the list holds their y * w + x
uint32_t *ownList = nullptr;  // the list this effect made
uint32_t ownCapacity = 0;     // entries it holds
bool clearing = false;        // Disappear has filled the list for this cycle

// Fills the list with every pixel, in rows. A list this effect already holds
// is refilled in place: allocating a fresh 1080p list costs more than a step
// may take under Wine, where first touching new pages is slow. So Appear
// keeps its list when it is done, and Disappear reuses it.
bool BuildPixels(STATUS *status) {
    const uint64_t count = uint64_t(size.w) * uint64_t(size.h);
    if (count > 0x3FFFFFFF) return false;
    uint32_t *list = ownList && status->worklist == ownList && count <= ownCapacity ? ownList : nullptr;
    if (!list) {
        std::free(status->worklist);
        status->worklist = nullptr;
        list = (uint32_t *)std::malloc(sizeof(uint32_t) * (count ? count : 1));
        if (!list) return false;
        ownCapacity = uint32_t(count);
    }
    for (uint32_t i = 0; i < count; ++i) list[i] = i;
    pixels = uint32_t(count);
    status->worklist = ownList = list;
    SeedRandom();
    return true;
}

// Takes a random pixel off the list: two draws make a 30-bit number.
uint32_t TakePixel(STATUS *status) {
    uint32_t *list = (uint32_t *)status->worklist;
    const uint32_t low = uint32_t(std::rand() % 32767);
    const uint32_t high = uint32_t(std::rand() % 32767) << 15;
    const uint32_t i = (low | high) % pixels;
    const uint32_t taken = list[i];
    list[i] = list[--pixels];
    return taken;
}
}  // namespace

WORD SetupSandblast(STATUS *status) {
    clearing = false;
    const WORD result = SetupBitmap(status, &size, true);
    ownList = nullptr;  // SetupBitmap freed any list
    if (result == EFFECT_END) return result;
    return BuildPixels(status) ? result : EFFECT_END;
}

WORD AppearSandblast(STATUS *status) {
    if (!status->worklist) return EFFECT_END;
    if (pixels == 0) return EFFECT_NEXTPHASE;
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    for (int step = 0; step < kPixelsPerStep && pixels > 0; ++step) {
        const uint32_t p = TakePixel(status);
        const int x = int(p % uint32_t(size.w)), y = int(p / uint32_t(size.w));
        source.Draw(x, y, 1, 1, x, y);
    }
    return pixels == 0 ? EFFECT_NEXTPHASE : 0;
}

WORD WaitSandblast(STATUS *status) { return HoldIsOver(status); }

WORD DisappearSandblast(STATUS *status) {
    LOGBRUSH brush = {};
    GetObjectA(status->backgroundbrush, sizeof brush, &brush);
    if (!clearing) {
        if (!ReadPictureSize(status, &size) || !BuildPixels(status)) return EFFECT_END;
        clearing = true;
    }
    for (int step = 0; step < kPixelsPerStep && pixels > 0; ++step) {
        const uint32_t p = TakePixel(status);
        SetPixel(status->dc, status->x + int(p % uint32_t(size.w)), status->y + int(p / uint32_t(size.w)),
                 brush.lbColor);
    }
    return pixels == 0 ? EFFECT_NEXTPHASE : 0;  // the list stays until Close
}

WORD CloseSandblast(STATUS *status) {
    clearing = false;
    ownList = nullptr;
    ownCapacity = 0;
    return ReleaseEffect(status);
}
