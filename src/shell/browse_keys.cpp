// Browsing a show with the arrow keys and Space.
#include "shell/browse_keys.h"

#include "shell/monitor_show.h"
#include "shell/session_state.h"

namespace {

// The monitor the keys act on: in "each" mode the one under the pointer,
// when a show of ours plays there; else the primary monitor.
HWND BrowsedMonitor(HWND saver) {
    if (!EachMonitorPlays()) return saver;
    POINT at;
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    DWORD process = 0;
    if (under && GetWindowThreadProcessId(under, &process) && process == GetCurrentProcessId() &&
        GetWindowLongPtrA(under, GWLP_USERDATA) && (under == saver || GetWindow(under, GW_OWNER) == saver))
        return under;
    return saver;
}

}  // namespace

bool IsBrowseKey(WPARAM key) {
    return theSession.playing && BrowsesWithKeys() && (key == VK_RIGHT || key == VK_LEFT || key == VK_SPACE);
}

bool BrowseWithKey(HWND saver, WPARAM key) {
    if (!IsBrowseKey(key)) return false;
    HWND monitor = BrowsedMonitor(saver);
    switch (key) {
        case VK_RIGHT: ShowNextPicture(monitor); break;
        case VK_LEFT: ShowPreviousPicture(monitor); break;
        default: PauseOrResume(monitor); break;
    }
    return true;
}
