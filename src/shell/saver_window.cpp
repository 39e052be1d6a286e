// The saver window procedure: routes each message to its handler. The
// show's messages are routed the same way for every monitor's window.
#include "shell/saver_window.h"

#include "applet/builtins/sound.h"
#include "content/blockstore.h"
#include "shell/messages.h"
#include "shell/monitor_covers.h"
#include "shell/show.h"

namespace {

void OnCreate() {
    BOOL old;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &old, 0);
}

// A window without a show (no show loaded, or a monitor's window in
// "primary" mode) keeps its class's black.
bool OnEraseBackground(HWND window, HDC dc) {
    BLOCKSET *set = LockBlockSet(window);
    if (!set) return false;
    RECT client;
    GetClientRect(window, &client);
    if (set->backgroundbrush) FillRect(dc, &client, set->backgroundbrush);
    UnlockBlockSet(window);
    return true;
}

// A monitor came or went, or a resolution changed: the saver window and the
// covers follow the monitors as they are now, and the show takes the new
// screen size.
void OnDisplayChange(HWND window) {
    LayOutMonitors(window);
    if (BLOCKSET *set = LockBlockSet(window)) {
        set->screenwide = GetSystemMetrics(SM_CXSCREEN);
        set->screendeep = GetSystemMetrics(SM_CYSCREEN);
        UnlockBlockSet(window);
    }
    SpreadShow(window);
}

// Input that arrived while the window was closing is dropped.
void FlushInput(HWND window) {
    MSG msg;
    while (PeekMessageA(&msg, window, WM_MOUSEFIRST, 0x0209, PM_REMOVE)) {}
    while (PeekMessageA(&msg, window, WM_KEYFIRST, 0x0108, PM_REMOVE)) {}
}

// Releases what the show holds and tells the system the saver has ended.
void OnDestroy(HWND window) {
    APPLETKillSound(window);
    // The other monitors' shows read the store: they end first.
    for (int i = 0; i < MonitorCoverCount(); ++i) LeaveShow(MonitorCover(i));
    ReleaseCurrentItem(window);
    if (BLOCKSET *set = LockBlockSet(window)) {
        if (set->backgroundbrush) DeleteObject(set->backgroundbrush);
        FreeBlocks(window, set);
        UnlockBlockSet(window);
    }
    if (HGLOBAL handle = (HGLOBAL)GetWindowLongPtrA(window, GWLP_USERDATA)) GlobalFree(handle);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    FlushInput(window);
    BOOL old;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &old, 0);
}

}  // namespace

bool ShowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    *result = 0;
    switch (message) {
        case WM_ERASEBKGND:
            *result = 1;
            return OnEraseBackground(window, (HDC)wParam);
        case WM_TIMER: return OnShowTimer(window, wParam);
        case WM_APPLETSTEP: OnAppletStep(window); return true;
        case WM_PICTUREREADY: OnPictureReady(window, int(wParam)); return true;
        case WM_MIRRORBLOCK: OnMirrorBlock(window, int(wParam), int(lParam)); return true;
        case WM_CONTENTLOADED: OnContentLoaded(window); return true;
        default: return false;
    }
}

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Sound completions are finished first, whatever the window does next.
    if (APPLETHandleMessage(window, message, wParam, lParam)) return 0;
    LRESULT result = 0;
    if (ShowMessage(window, message, wParam, lParam, &result)) return result;
    switch (message) {
        case WM_CREATE:
            OnCreate();
            break;
        case WM_DESTROY:
            OnDestroy(window);
            break;
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE || wParam == SC_CLOSE) return 0;
            break;
        case WM_DISPLAYCHANGE:
            OnDisplayChange(window);
            break;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}
