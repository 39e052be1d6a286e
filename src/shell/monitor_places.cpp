// Where each monitor stands in a show that plays on several.
#include "shell/monitor_places.h"

#include "shell/monitor_covers.h"
#include "shell/play_order.h"

namespace {

bool IsItem(const BLOCK &block) { return block.type == TAG_IMAG || block.type == TAG_TEXT; }

// Whether a monitor other than `window`'s shows the picture of store index
// `index` now, or waits for it.
bool ShownElsewhere(HWND window, const BLOCKSET *set, int index) {
    bool shown = false;
    for (int i = 0; i < MonitorWindowCount() && !shown; ++i) {
        HWND other = MonitorWindow(set, window, i);
        if (!other || other == window) continue;
        if (BLOCKSET *them = LockBlockSet(other)) {
            shown = them->block.type == TAG_IMAG && them->playedindex == index;
            UnlockBlockSet(other);
        }
    }
    return shown;
}

// The header is never passed over, so a lap always ends.
bool PassesOver(HWND window, const BLOCKSET *set, int slot) {
    BLOCK block;
    if (!GetBlock(set->store, slot, &block)) return false;
    if (block.type == TAG_IMAG) return ShownElsewhere(window, set, PlayedBlockIndex(slot));
    return Follows(set) && PlaysOnPrimaryOnly(block.type);
}

}  // namespace

int MonitorWindowCount() { return 1 + MonitorCoverCount(); }

HWND MonitorWindow(const BLOCKSET *set, HWND window, int index) {
    if (index == 0) return Follows(set) ? set->lead : window;
    return MonitorCover(index - 1);
}

// Before the picture or text `number / monitors` of the way through the
// show, so that the monitors begin spread over it.
int StartingPlace(const BLOCKSET *set, int number, int monitors) {
    if (set->monitors != SCRF_EACHMONITOR || number <= 0 || monitors <= 0) return -1;
    BLOCK block;
    int items = 0;
    for (int i = 0; i < set->count; ++i)
        if (GetBlock(set->store, i, &block) && IsItem(block)) ++items;
    const int wanted = int((long long)items * number / monitors);
    for (int i = 0, seen = 0; i < set->count; ++i) {
        if (!GetBlock(set->store, i, &block) || !IsItem(block)) continue;
        if (seen++ == wanted) return i - 1;
    }
    return -1;
}

int NextSlot(HWND window, const BLOCKSET *set) {
    const int next = set->current + 1 >= set->count ? 0 : set->current + 1;
    if (set->monitors != SCRF_EACHMONITOR) return next;
    for (int step = 0; step < set->count; ++step) {
        const int slot = (next + step) % set->count;
        if (!PassesOver(window, set, slot)) return slot;
    }
    return next;
}
