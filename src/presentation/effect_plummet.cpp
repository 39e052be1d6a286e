// "Plummet": strips 16 pixels wide drop in from the top, bottom row first,
// one strip at a time in random order; they fall out at the bottom.
#include <algorithm>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
constexpr int kStripWide = 16;
constexpr int kRowsPerStep = 16;

// A list of every strip's left edge.
WORKLIST *BuildStrips(STATUS *status, ListPhase phase) {
    PLUMMETSTATE &state = status->effects.plummet;
    const uint32_t strips = uint32_t(state.size.w / kStripWide + (state.size.w % kStripWide ? 1 : 0));
    WORKLIST *list = NewWorkList(status, ListOwner::Plummet, phase, state.size, strips, sizeof(int));
    if (!list) return nullptr;
    int *edges = ListEntries<int>(list);
    for (uint32_t i = 0; i < strips; ++i) edges[i] = int(i) * kStripWide;
    list->count = strips;
    state.c = 0;
    SeedRandom();
    return list;
}

// The current strip is done: the last one takes its place.
void FinishStrip(PLUMMETSTATE *state, WORKLIST *list) {
    int *edges = ListEntries<int>(list);
    edges[state->k] = edges[list->count - 1];
    --list->count;
    state->c = 0;
}

// The last strip is cut at the picture's edge, so nothing is drawn beside it.
int StripWide(const PLUMMETSTATE &state, int x) { return std::min(kStripWide, state.size.w - x); }

// The strip to work on: a new one chosen at random when the last is done.
int CurrentStrip(PLUMMETSTATE *state, WORKLIST *list) {
    if (state->c == 0) state->k = int(uint32_t(std::rand()) % list->count);
    return ListEntries<int>(list)[state->k];
}

WORD AllStripsDone(STATUS *status) {
    FreeWorkList(status);
    return EFFECT_NEXTPHASE;
}
}  // namespace

WORD SetupPlummet(STATUS *status) {
    const WORD result = SetupBitmap(status, &status->effects.plummet.size);
    if (result == EFFECT_END) return result;
    return BuildStrips(status, ListPhase::Appear) ? result : EFFECT_END;
}

WORD AppearPlummet(STATUS *status) {
    PLUMMETSTATE &state = status->effects.plummet;
    WORKLIST *list = OwnWorkList(status, ListOwner::Plummet, ListPhase::Appear, state.size);
    if (!list || list->count == 0) return AllStripsDone(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int x = CurrentStrip(&state, list), h = state.size.h, wide = StripWide(state, x);
    for (int step = 0; step < kRowsPerStep && state.c < h; ++step, ++state.c) {
        MoveArea(status, x, 0, wide, state.c, 0, 1);
        source.Draw(x, 0, wide, 1, x, h - state.c - 1);
    }
    // A strip is done once every row is in: its top row comes last.
    if (state.c >= h) FinishStrip(&state, list);
    return 0;
}

WORD WaitPlummet(STATUS *status) { return HoldIsOver(status); }

WORD DisappearPlummet(STATUS *status) {
    PLUMMETSTATE &state = status->effects.plummet;
    WORKLIST *list = DisappearList(status, ListOwner::Plummet, &state.size, BuildStrips);
    if (!list) return EFFECT_END;
    if (list->count == 0) return AllStripsDone(status);
    const int x = CurrentStrip(&state, list), h = state.size.h, wide = StripWide(state, x);
    for (int step = 0; step < kRowsPerStep && state.c < h; ++step, ++state.c) {
        MoveArea(status, x, state.c, wide, h - 1 - state.c, 0, 1);
        FillArea(status, x, state.c, x + wide - 1, state.c);
    }
    if (state.c >= h) FinishStrip(&state, list);
    return 0;
}

WORD ClosePlummet(STATUS *status) { return ReleaseEffect(status); }
