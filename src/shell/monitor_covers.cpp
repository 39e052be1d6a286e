// The windows of the monitors other than the primary one.
#include "shell/monitor_covers.h"

#include "shell/globals.h"
#include "shell/saver_window.h"
#include "shell/show.h"

const char kMonitorCoverClass[] = "MarrowlightMonitorCover";

namespace {

constexpr int kMaxCovers = 32;  // monitors past this many stay uncovered
constexpr UINT kMouseLast = 0x0209;
constexpr UINT kKeyLast = 0x0108;

struct MonitorList {
    RECT rects[kMaxCovers];
    int count;
};

HWND covers[kMaxCovers];
int coverCount = 0;
bool registered = false;

BOOL CALLBACK CollectOtherMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto *list = (MonitorList *)data;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY) && list->count < kMaxCovers)
        list->rects[list->count++] = info.rcMonitor;
    return TRUE;
}

bool RegisterCoverClass(HINSTANCE instance) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = MonitorCoverProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_INVISIBLE));
    cls.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    cls.lpszClassName = kMonitorCoverClass;
    return RegisterClassA(&cls) != 0;
}

// Shown without the activation, so that keys and the input watch's
// remembered cursor stay with the saver window.
void PlaceCover(HWND cover, const RECT &r) {
    SetWindowPos(cover, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool CreateCover(HINSTANCE instance, HWND saver, const RECT &r) {
    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMonitorCoverClass, szSaverAppName, WS_POPUP,
                                 r.left, r.top, r.right - r.left, r.bottom - r.top, saver, nullptr, instance,
                                 nullptr);
    if (!cover) return false;
    covers[coverCount++] = cover;
    PlaceCover(cover, r);
    return true;
}

void Forget(HWND cover) {
    for (int i = 0; i < coverCount; ++i) {
        if (covers[i] != cover) continue;
        covers[i] = covers[--coverCount];
        return;
    }
}

// A cover forgets itself as it is destroyed (WM_NCDESTROY).
void DestroyLastCover() {
    HWND cover = covers[coverCount - 1];
    if (!DestroyWindow(cover)) Forget(cover);
}

// Input over a cover goes to the saver window as if it had arrived there;
// mouse positions are moved into the saver window's client coordinates.
LRESULT PassToSaver(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND saver = GetWindow(cover, GW_OWNER);
    if (!saver) return DefWindowProcA(cover, message, wParam, lParam);
    if (message >= WM_MOUSEFIRST) {
        POINT p = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        MapWindowPoints(cover, saver, &p, 1);
        lParam = MAKELPARAM(p.x, p.y);
    }
    return SendMessageA(saver, message, wParam, lParam);
}

// At most this many messages of one monitor at a time, so that a show that
// keeps posting cannot hold the applet up.
constexpr int kServedAtOnce = 16;

// Dispatches what waits for a playing monitor's window, its input left in
// the queue for the input watch: nothing else of this thread runs while an
// applet works or sleeps on the saver window.
void ServeMonitor(HWND cover) {
    MSG msg;
    for (int served = 0; served < kServedAtOnce; ++served) {
        if (!PeekMessageA(&msg, cover, 0, WM_KEYFIRST - 1, PM_REMOVE) &&
            !PeekMessageA(&msg, cover, kKeyLast + 1, WM_MOUSEFIRST - 1, PM_REMOVE) &&
            !PeekMessageA(&msg, cover, kMouseLast + 1, 0xFFFFFFFF, PM_REMOVE))
            return;
        DispatchMessageA(&msg);
    }
}

}  // namespace

int LayOutMonitors(HWND saver) {
    SetWindowPos(saver, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    MonitorList others = {};
    EnumDisplayMonitors(nullptr, nullptr, CollectOtherMonitor, (LPARAM)&others);
    while (coverCount > others.count) DestroyLastCover();
    for (int i = 0; i < coverCount; ++i) PlaceCover(covers[i], others.rects[i]);
    const auto instance = (HINSTANCE)GetWindowLongPtrA(saver, GWLP_HINSTANCE);
    if (coverCount < others.count && !registered) registered = RegisterCoverClass(instance);
    while (registered && coverCount < others.count)
        if (!CreateCover(instance, saver, others.rects[coverCount])) break;
    return coverCount;
}

void ReleaseMonitorCovers(HINSTANCE instance) {
    if (registered) UnregisterClassA(kMonitorCoverClass, instance);
    registered = false;
}

void ServeMonitorShows() {
    for (int i = 0; i < coverCount; ++i)
        if (GetWindowLongPtrA(covers[i], GWLP_USERDATA)) ServeMonitor(covers[i]);
}

int MonitorCoverCount() { return coverCount; }

HWND MonitorCover(int index) { return index >= 0 && index < coverCount ? covers[index] : nullptr; }

LRESULT CALLBACK MonitorCoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message >= WM_KEYFIRST && message <= kKeyLast) || (message >= WM_MOUSEFIRST && message <= kMouseLast))
        return PassToSaver(window, message, wParam, lParam);
    LRESULT result = 0;
    if (ShowMessage(window, message, wParam, lParam, &result)) return result;
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE || wParam == SC_CLOSE) return 0;
            break;
        case WM_CLOSE:
            return 0;  // a cover goes only with the saver window
        case WM_DESTROY:
            LeaveShow(window);
            break;
        case WM_NCDESTROY:
            Forget(window);
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
