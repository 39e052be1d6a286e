// The saver window procedure: routes each message to its handler.
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

LRESULT OnEraseBackground(HWND window, HDC dc) {
    if (BLOCKSET *set = LockBlockSet(window)) {
        RECT client;
        GetClientRect(window, &client);
        if (set->backgroundbrush) FillRect(dc, &client, set->backgroundbrush);
        UnlockBlockSet(window);
    }
    return 1;
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

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Sound completions are finished first, whatever the window does next.
    if (APPLETHandleMessage(window, message, wParam, lParam)) return 0;
    switch (message) {
        case WM_CREATE:
            OnCreate();
            break;
        case WM_DESTROY:
            OnDestroy(window);
            break;
        case WM_ERASEBKGND:
            return OnEraseBackground(window, (HDC)wParam);
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE || wParam == SC_CLOSE) return 0;
            break;
        case WM_DISPLAYCHANGE:
            OnDisplayChange(window);
            break;
        case WM_TIMER:
            if (OnShowTimer(window, wParam)) return 0;
            break;
        case WM_APPLETSTEP:
            OnAppletStep(window);
            return 0;
        case WM_PICTUREREADY:
            OnPictureReady(window, int(wParam));
            return 0;
        case WM_CONTENTLOADED:
            OnContentLoaded(window);
            return 0;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}
