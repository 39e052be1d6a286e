// "Sandstorm": the picture appears pixel by pixel in random order, 1024 per
// step, and goes the same way.
#include <cstdint>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
constexpr int kPixelsPerStep = 1024;

// A list of every pixel's y * w + x, in rows. Appear keeps its list when it
// is done, so that Disappear can refill the same block in place.
WORKLIST *BuildPixels(STATUS *status, ListPhase phase) {
    const PictureSize &size = status->effects.sandblast;
    const uint64_t count = uint64_t(size.w) * uint64_t(size.h);
    WORKLIST *list = NewWorkList(status, ListOwner::Sandstorm, phase, size, count, sizeof(uint32_t));
    if (!list) return nullptr;
    uint32_t *pixels = ListEntries<uint32_t>(list);
    for (uint32_t i = 0; i < count; ++i) pixels[i] = i;
    list->count = uint32_t(count);
    SeedRandom();
    return list;
}

// Takes a random pixel off the list: two draws make a 30-bit number.
uint32_t TakePixel(WORKLIST *list) {
    uint32_t *pixels = ListEntries<uint32_t>(list);
    const uint32_t low = uint32_t(std::rand() % 32767);
    const uint32_t high = uint32_t(std::rand() % 32767) << 15;
    const uint32_t i = (low | high) % list->count;
    const uint32_t taken = pixels[i];
    pixels[i] = pixels[--list->count];
    return taken;
}
}  // namespace

WORD SetupSandblast(STATUS *status) {
    const WORD result = SetupBitmap(status, &status->effects.sandblast);
    if (result == EFFECT_END) return result;
    return BuildPixels(status, ListPhase::Appear) ? result : EFFECT_END;
}

WORD AppearSandblast(STATUS *status) {
    const PictureSize &size = status->effects.sandblast;
    WORKLIST *list = OwnWorkList(status, ListOwner::Sandstorm, ListPhase::Appear, size);
    if (!list) return EFFECT_END;
    if (list->count == 0) return EFFECT_NEXTPHASE;
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    for (int step = 0; step < kPixelsPerStep && list->count > 0; ++step) {
        const uint32_t p = TakePixel(list);
        const int x = int(p % uint32_t(size.w)), y = int(p / uint32_t(size.w));
        source.Draw(x, y, 1, 1, x, y);
    }
    return list->count == 0 ? EFFECT_NEXTPHASE : 0;
}

WORD WaitSandblast(STATUS *status) { return HoldIsOver(status); }

WORD DisappearSandblast(STATUS *status) {
    PictureSize &size = status->effects.sandblast;
    LOGBRUSH brush = {};
    GetObjectA(status->backgroundbrush, sizeof brush, &brush);
    WORKLIST *list = DisappearList(status, ListOwner::Sandstorm, &size, BuildPixels);
    if (!list) return EFFECT_END;
    for (int step = 0; step < kPixelsPerStep && list->count > 0; ++step) {
        const uint32_t p = TakePixel(list);
        SetPixel(status->dc, status->x + int(p % uint32_t(size.w)), status->y + int(p / uint32_t(size.w)),
                 brush.lbColor);
    }
    return list->count == 0 ? EFFECT_NEXTPHASE : 0;  // the list stays until Close
}

WORD CloseSandblast(STATUS *status) { return ReleaseEffect(status); }
