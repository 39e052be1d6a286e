// The windows of the monitors other than the primary one.
#include "shell/monitor_windows.h"

#include "shell/globals.h"

const char kMonitorWindowClass[] = "MarrowlightMonitorCover";

namespace {

constexpr int kMaxWindows = 32;  // monitors past this many stay uncovered

// A monitor as the system names it: its device ("\\.\DISPLAY2") stays
// the same when its resolution or place changes.
struct MONITOR {
    RECT rect;
    char device[CCHDEVICENAME];
};

struct MonitorList {
    MONITOR monitors[kMaxWindows];
    int count;
};

HWND windows[kMaxWindows];
char devices[kMaxWindows][CCHDEVICENAME];  // the monitor each window covers
int windowCount = 0;
bool registered = false;

BOOL CALLBACK CollectOtherMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto *list = (MonitorList *)data;
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY) && list->count < kMaxWindows) {
        MONITOR &m = list->monitors[list->count++];
        m.rect = info.rcMonitor;
        lstrcpynA(m.device, info.szDevice, sizeof m.device);
    }
    return TRUE;
}



bool RegisterWindowClass(HINSTANCE instance, WNDPROC windowproc) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = windowproc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_INVISIBLE));
    cls.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    cls.lpszClassName = kMonitorWindowClass;
    return RegisterClassA(&cls) != 0;
}

// Shown without the activation, so that keys and the input watch's
// remembered cursor stay with the saver window.
void PlaceWindow(HWND window, const RECT &r) {
    SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool CreateMonitorWindow(HINSTANCE instance, HWND saver, const MONITOR &monitor) {
    const RECT &r = monitor.rect;
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMonitorWindowClass, szSaverAppName, WS_POPUP,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, saver, nullptr, instance,
                                  nullptr);
    if (!window) return false;
    lstrcpynA(devices[windowCount], monitor.device, sizeof devices[windowCount]);
    windows[windowCount++] = window;
    PlaceWindow(window, r);
    return true;
}

// Which monitor each window covers now: the one whose place it has (the
// monitors that did not change), else the one of its device name (a monitor
// whose resolution or place changed); -1 for a monitor that went.
void MatchWindows(const MonitorList &others, int *match) {
    bool taken[kMaxWindows] = {};
    for (int i = 0; i < windowCount; ++i) {
        RECT now = {};
        GetWindowRect(windows[i], &now);
        match[i] = -1;
        for (int m = 0; m < others.count && match[i] < 0; ++m)
            if (!taken[m] && EqualRect(&now, &others.monitors[m].rect)) match[i] = m, taken[m] = true;
    }
    for (int i = 0; i < windowCount; ++i)
        for (int m = 0; m < others.count && match[i] < 0; ++m)
            if (!taken[m] && lstrcmpA(devices[i], others.monitors[m].device) == 0) match[i] = m, taken[m] = true;
}

// Each window stays with its own monitor, wherever that now is; the windows
// of monitors that went are destroyed (a window forgets itself as it is,
// at WM_NCDESTROY).
void FollowMonitors(const MonitorList &others) {
    int match[kMaxWindows];
    MatchWindows(others, match);
    HWND gone[kMaxWindows];
    int goneCount = 0;
    for (int i = 0; i < windowCount; ++i) {
        if (match[i] < 0) {
            gone[goneCount++] = windows[i];
            continue;
        }
        lstrcpynA(devices[i], others.monitors[match[i]].device, sizeof devices[i]);
        PlaceWindow(windows[i], others.monitors[match[i]].rect);
    }
    for (int i = 0; i < goneCount; ++i)
        if (!DestroyWindow(gone[i])) ForgetMonitorWindow(gone[i]);
}

bool Covered(const MONITOR &monitor) {
    for (int i = 0; i < windowCount; ++i)
        if (lstrcmpA(devices[i], monitor.device) == 0) return true;
    return false;
}

}  // namespace

int LayOutMonitors(HWND saver, WNDPROC windowproc) {
    SetWindowPos(saver, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    MonitorList others = {};
    EnumDisplayMonitors(nullptr, nullptr, CollectOtherMonitor, (LPARAM)&others);
    FollowMonitors(others);
    const auto instance = (HINSTANCE)GetWindowLongPtrA(saver, GWLP_HINSTANCE);
    if (windowCount < others.count && !registered) registered = RegisterWindowClass(instance, windowproc);
    for (int i = 0; registered && i < others.count; ++i)
        if (!Covered(others.monitors[i])) CreateMonitorWindow(instance, saver, others.monitors[i]);
    return windowCount;
}

void ReleaseMonitorWindows(HINSTANCE instance) {
    if (registered) UnregisterClassA(kMonitorWindowClass, instance);
    registered = false;
}

int OtherMonitorCount() { return windowCount; }

HWND OtherMonitorWindow(int index) { return index >= 0 && index < windowCount ? windows[index] : nullptr; }

void ForgetMonitorWindow(HWND window) {
    for (int i = 0; i < windowCount; ++i) {
        if (windows[i] != window) continue;
        --windowCount;
        windows[i] = windows[windowCount];
        lstrcpynA(devices[i], devices[windowCount], sizeof devices[i]);
        return;
    }
}
