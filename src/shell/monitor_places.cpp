// Where each monitor stands in a show that plays on several.
#include "shell/monitor_places.h"

#include "shell/live_show.h"
#include "shell/monitor_show.h"
#include "shell/monitor_windows.h"
#include "shell/play_order.h"
#include "shell/session_state.h"

namespace {

bool IsItem(const BLOCK &block) { return block.type == TAG_IMAG || block.type == TAG_TEXT; }

// The window of monitor `index`: the primary monitor's at 0, then the others'.
HWND MonitorWindow(int index) { return index == 0 ? theSession.host : OtherMonitorWindow(index - 1); }

// Whether a monitor other than `window`'s shows the picture of store index
// `index` now, or waits for it.
bool ShownElsewhere(HWND window, int index) {
    bool shown = false;
    for (int i = 0; i <= OtherMonitorCount() && !shown; ++i) {
        HWND other = MonitorWindow(i);
        if (!other || other == window) continue;
        if (MONITORSHOW *them = LockMonitorShow(other)) {
            shown = them->block.type == TAG_IMAG && them->playedindex == index;
            UnlockMonitorShow(other);
        }
    }
    return shown;
}

// The header is never passed over, so a lap always ends. A folder's slot is
// not either: its photo is taken past those on the other screens.
bool PassesOver(HWND window, const MONITORSHOW *set, int slot) {
    BLOCK block;
    if (!GetBlock(theSession.store, slot, &block)) return false;
    if (block.type == TAG_IMAG && TakesAhead(slot)) return false;
    if (block.type == TAG_IMAG) return ShownElsewhere(window, PlayedBlockIndex(slot));
    return !set->primary && PlaysOnPrimaryOnly(block.type);
}

}  // namespace

bool SharingFolders() { return EachMonitorPlays() && OtherMonitorCount() > 0; }

bool TakesAhead(int slot) { return IsLiveSlot(slot) || (SharingFolders() && InSameFolder(slot, slot)); }

bool ReservedFor(int reserved, int slot) {
    if (IsLiveSlot(slot)) return IsLivePhoto(reserved);
    return reserved >= 0 && !IsLivePhoto(reserved) && InSameFolder(reserved, slot);
}

namespace {

// Each monitor holds its photo, its partner, the photo it took ahead and
// the partners it offered; this monitor's offers, and the photo they are
// offered for, are added after.
constexpr int kHeldByMonitor = 3 + kPartnerChoices;
constexpr int kExcludedRoom = kHeldByMonitor * (1 + 32) + kPartnerChoices + 1;

// The photos no monitor but `window`'s may take: those on a screen, this
// monitor's own included, and those taken ahead or offered as partners by
// the others. Their count.
int PhotosHeld(HWND window, const MONITORSHOW *set, int *excluded) {
    int count = 0;
    excluded[count++] = set->playedindex;
    excluded[count++] = set->partner;
    for (int i = 0; i <= OtherMonitorCount() && count + kHeldByMonitor <= kHeldByMonitor * (1 + 32); ++i) {
        HWND other = MonitorWindow(i);
        if (!other || other == window) continue;
        if (MONITORSHOW *them = LockMonitorShow(other)) {
            if (them->block.type == TAG_IMAG) excluded[count++] = them->playedindex, excluded[count++] = them->partner;
            excluded[count++] = them->reserved;
            for (int p = 0; p < them->preparedpartnercount && count < kExcludedRoom; ++p)
                excluded[count++] = them->preparedpartners[p];
            UnlockMonitorShow(other);
        }
    }
    return count;
}

}  // namespace

int TakePhoto(HWND window, const MONITORSHOW *set, int slot) {
    int excluded[kExcludedRoom];
    const int count = PhotosHeld(window, set, excluded);
    return IsLiveSlot(slot) ? TakeLivePhoto(excluded, count) : TakeFolderPhoto(slot, excluded, count);
}

int TakePartnerPhotos(HWND window, const MONITORSHOW *set, int beside, int *partners, int room) {
    int excluded[kExcludedRoom];
    int count = PhotosHeld(window, set, excluded);
    excluded[count++] = beside;
    if (!LivePhotosPlayOutOfTurn()) room = room < 1 ? room : 1;
    int taken = 0;
    while (taken < room && count < kExcludedRoom) {
        const int photo = TakeLivePhoto(excluded, count);
        // When every photo is held the library offers a held one: no partner.
        bool held = photo < 0;
        for (int i = 0; i < count && !held; ++i) held = excluded[i] == photo;
        if (held) break;
        partners[taken++] = excluded[count++] = photo;
    }
    return taken;
}

// Before the picture or text `number / monitors` of the way through the
// show, so that the monitors begin spread over it.
int StartingPlace(int number, int monitors) {
    if (!EachMonitorPlays() || number <= 0 || monitors <= 0) return -1;
    const int count = theSession.show.count;
    BLOCK block;
    int items = 0;
    for (int i = 0; i < count; ++i)
        if (GetBlock(theSession.store, i, &block) && IsItem(block)) ++items;
    const int wanted = int((long long)items * number / monitors);
    for (int i = 0, seen = 0; i < count; ++i) {
        if (!GetBlock(theSession.store, i, &block) || !IsItem(block)) continue;
        if (seen++ == wanted) return i - 1;
    }
    return -1;
}

int NextSlot(HWND window, const MONITORSHOW *set) {
    const int count = theSession.show.count;
    const int next = set->current + 1 >= count ? 0 : set->current + 1;
    if (!EachMonitorPlays()) return next;
    for (int step = 0; step < count; ++step) {
        const int slot = (next + step) % count;
        if (!PassesOver(window, set, slot)) return slot;
    }
    return next;
}
