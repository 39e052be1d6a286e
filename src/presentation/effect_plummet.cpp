// "Plummet": strips 16 pixels wide drop in from the top, bottom row first,
// one strip at a time in random order; they fall out at the bottom.
#include <algorithm>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
constexpr int kStripWide = 16;
constexpr int kRowsPerStep = 16;
PictureSize size;
int c;  // rows done of the current strip
int k;  // the current strip's place in the list

// A list of every strip's left edge.
WORKLIST *BuildStrips(STATUS *status, ListPhase phase) {
    const uint32_t strips = uint32_t(size.w / kStripWide + (size.w % kStripWide ? 1 : 0));
    WORKLIST *list = NewWorkList(status, ListOwner::Plummet, phase, size, strips, sizeof(int));
    if (!list) return nullptr;
    int *edges = ListEntries<int>(list);
    for (uint32_t i = 0; i < strips; ++i) edges[i] = int(i) * kStripWide;
    list->count = strips;
    c = 0;
    SeedRandom();
    return list;
}

// The current strip is done: the last one takes its place.
void FinishStrip(WORKLIST *list) {
    int *edges = ListEntries<int>(list);
    edges[k] = edges[list->count - 1];
    --list->count;
    c = 0;
}

// The last strip is cut at the picture's edge, so nothing is drawn beside it.
int StripWide(int x) { return std::min(kStripWide, size.w - x); }

// The strip to work on: a new one chosen at random when the last is done.
int CurrentStrip(WORKLIST *list) {
    if (c == 0) k = int(uint32_t(std::rand()) % list->count);
    return ListEntries<int>(list)[k];
}

WORD AllStripsDone(STATUS *status) {
    FreeWorkList(status);
    return EFFECT_NEXTPHASE;
}
}  // namespace

WORD SetupPlummet(STATUS *status) {
    const WORD result = SetupBitmap(status, &size);
    if (result == EFFECT_END) return result;
    return BuildStrips(status, ListPhase::Appear) ? result : EFFECT_END;
}

WORD AppearPlummet(STATUS *status) {
    WORKLIST *list = OwnWorkList(status, ListOwner::Plummet, ListPhase::Appear, size);
    if (!list || list->count == 0) return AllStripsDone(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int x = CurrentStrip(list), h = size.h, wide = StripWide(x);
    for (int step = 0; step < kRowsPerStep && c < h; ++step, ++c) {
        MoveArea(status, x, 0, wide, c, 0, 1);
        source.Draw(x, 0, wide, 1, x, h - c - 1);
    }
    // A strip is done once every row is in: its top row comes last.
    if (c >= h) FinishStrip(list);
    return 0;
}

WORD WaitPlummet(STATUS *status) { return HoldIsOver(status); }

WORD DisappearPlummet(STATUS *status) {
    WORKLIST *list = DisappearList(status, ListOwner::Plummet, &size, BuildStrips);
    if (!list) return EFFECT_END;
    if (list->count == 0) return AllStripsDone(status);
    const int x = CurrentStrip(list), h = size.h, wide = StripWide(x);
    for (int step = 0; step < kRowsPerStep && c < h; ++step, ++c) {
        MoveArea(status, x, c, wide, h - 1 - c, 0, 1);
        FillArea(status, x, c, x + wide - 1, c);
    }
    if (c >= h) FinishStrip(list);
    return 0;
}

WORD ClosePlummet(STATUS *status) { return ReleaseEffect(status); }
