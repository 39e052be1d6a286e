// "Plummet": strips 16 pixels wide drop in from the top, bottom row first,
// one strip at a time in random order; they fall out at the bottom.
#include <algorithm>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
constexpr int kStripWide = 16;
constexpr int kRowsPerStep = 16;
PictureSize size;
int strips;  // strips still to do; worklist holds their left edges
int c;       // rows done of the current strip
int k;       // the current strip's place in the list

// The list of every strip's left edge; false when memory runs out.
bool BuildStrips(STATUS *status) {
    strips = size.w / kStripWide + (size.w % kStripWide ? 1 : 0);
    int *edges = (int *)std::malloc(sizeof(int) * (strips ? strips : 1));
    if (!edges) return false;
    for (int i = 0; i < strips; ++i) edges[i] = i * kStripWide;
    status->worklist = edges;
    c = 0;
    SeedRandom();
    return true;
}

// The current strip is done: the last one takes its place.
void FinishStrip(STATUS *status) {
    int *edges = (int *)status->worklist;
    edges[k] = edges[strips - 1];
    --strips;
    c = 0;
}

// The last strip is cut at the picture's edge, so nothing is drawn beside it.
int StripWide(int x) { return std::min(kStripWide, size.w - x); }

WORD AllStripsDone(STATUS *status) {
    std::free(status->worklist);
    status->worklist = nullptr;
    return EFFECT_NEXTPHASE;
}
}  // namespace

WORD SetupPlummet(STATUS *status) {
    const WORD result = SetupBitmap(status, &size, true);
    if (result == EFFECT_END) return result;
    return BuildStrips(status) ? result : EFFECT_END;
}

WORD AppearPlummet(STATUS *status) {
    if (strips == 0 || !status->worklist) return AllStripsDone(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    if (c == 0) k = std::rand() % strips;
    const int x = ((int *)status->worklist)[k], h = size.h, wide = StripWide(x);
    for (int step = 0; step < kRowsPerStep && c < h; ++step, ++c) {
        MoveArea(status, x, 0, wide, c, 0, 1);
        source.Draw(x, 0, wide, 1, x, h - c - 1);
    }
    // A strip is done once every row is in: its top row comes last.
    if (c >= h) FinishStrip(status);
    return 0;
}

WORD WaitPlummet(STATUS *status) { return HoldIsOver(status); }

WORD DisappearPlummet(STATUS *status) {
    if (!status->worklist) {
        if (!ReadPictureSize(status, &size) || !BuildStrips(status)) return EFFECT_END;
    }
    if (strips == 0) return AllStripsDone(status);
    if (c == 0) k = std::rand() % strips;
    const int x = ((int *)status->worklist)[k], h = size.h, wide = StripWide(x);
    for (int step = 0; step < kRowsPerStep && c < h; ++step, ++c) {
        MoveArea(status, x, c, wide, h - 1 - c, 0, 1);
        FillArea(status, x, c, x + wide - 1, c);
    }
    if (c >= h) FinishStrip(status);
    return 0;
}

WORD ClosePlummet(STATUS *status) { return ReleaseEffect(status); }
