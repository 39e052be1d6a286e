// The windows of the monitors other than the primary one.
#include "shell/monitor_windows.h"

#include "shell/globals.h"

const char kMonitorWindowClass[] = "MarrowlightMonitorCover";

namespace {

constexpr int kMaxWindows = 32;  // monitors past this many stay uncovered

struct MonitorList {
    RECT rects[kMaxWindows];
    int count;
};

HWND windows[kMaxWindows];
int windowCount = 0;
bool registered = false;

BOOL CALLBACK CollectOtherMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto *list = (MonitorList *)data;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY) && list->count < kMaxWindows)
        list->rects[list->count++] = info.rcMonitor;
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

bool CreateMonitorWindow(HINSTANCE instance, HWND saver, const RECT &r) {
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMonitorWindowClass, szSaverAppName, WS_POPUP,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, saver, nullptr, instance,
                                  nullptr);
    if (!window) return false;
    windows[windowCount++] = window;
    PlaceWindow(window, r);
    return true;
}

// A window forgets itself as it is destroyed (WM_NCDESTROY).
void DestroyLastWindow() {
    HWND window = windows[windowCount - 1];
    if (!DestroyWindow(window)) ForgetMonitorWindow(window);
}

}  // namespace

int LayOutMonitors(HWND saver, WNDPROC windowproc) {
    SetWindowPos(saver, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    MonitorList others = {};
    EnumDisplayMonitors(nullptr, nullptr, CollectOtherMonitor, (LPARAM)&others);
    while (windowCount > others.count) DestroyLastWindow();
    for (int i = 0; i < windowCount; ++i) PlaceWindow(windows[i], others.rects[i]);
    const auto instance = (HINSTANCE)GetWindowLongPtrA(saver, GWLP_HINSTANCE);
    if (windowCount < others.count && !registered) registered = RegisterWindowClass(instance, windowproc);
    while (registered && windowCount < others.count)
        if (!CreateMonitorWindow(instance, saver, others.rects[windowCount])) break;
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
        windows[i] = windows[--windowCount];
        return;
    }
}
