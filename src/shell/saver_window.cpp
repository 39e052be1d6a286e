// The window procedures of the saver: each routes a message to its handler.
// The show's messages are routed the same way for every monitor's window;
// input over another monitor's window goes to the saver window, so there is
// one input watch and one password check.
#include "shell/saver_window.h"

#include "shell/browse_keys.h"
#include "shell/input_watch.h"
#include "shell/live_show.h"
#include "shell/monitor_show.h"
#include "shell/monitor_windows.h"
#include "shell/session.h"
#include "sound/player.h"

namespace {

void OnCreate() {
    BOOL old;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &old, 0);
}

// A monitor came or went, or a resolution changed: the windows follow the
// monitors as they are now, and the shows take the new sizes.
void OnDisplayChange(HWND window) {
    LayOutMonitors(window, MonitorWindowProc);
    SpreadSession();
}

// Input that arrived while the window was closing is dropped.
void FlushInput(HWND window) {
    MSG msg;
    while (PeekMessageA(&msg, window, WM_MOUSEFIRST, kSaverMouseLast, PM_REMOVE)) {}
    while (PeekMessageA(&msg, window, WM_KEYFIRST, kSaverKeyLast, PM_REMOVE)) {}
}

// Releases what the show holds and tells the system the saver has ended.
void OnDestroy(HWND window) {
    EndSession();
    FlushInput(window);
    BOOL old;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &old, 0);
}

// Input over another monitor's window goes to the saver window as if it had
// arrived there; mouse positions are moved into the saver window's client
// coordinates.
LRESULT PassToSaver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND saver = GetWindow(window, GW_OWNER);
    if (!saver) return DefWindowProcA(window, message, wParam, lParam);
    if (message >= WM_MOUSEFIRST) {
        POINT p = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        MapWindowPoints(window, saver, &p, 1);
        lParam = MAKELPARAM(p.x, p.y);
    }
    return SendMessageA(saver, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Sound completions are finished first, whatever the window does next.
    if (APPLETHandleMessage(window, message, wParam, lParam)) return 0;
    LRESULT result = 0;
    if (ShowMessage(window, message, wParam, lParam, &result)) return result;
    switch (message) {
        case WM_CREATE:
            OnCreate();
            break;
        case WM_CONTENTLOADED:
            StartSession(window);
            return 0;
        case WM_LIBRARYCHANGED:
            OnLibraryChanged(int(wParam));
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            break;
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE || wParam == SC_CLOSE) return 0;
            break;
        case WM_DISPLAYCHANGE:
            OnDisplayChange(window);
            break;
        case WM_KEYDOWN:
            if (BrowseWithKey(window, wParam)) return 0;
            break;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsSaverInput(message)) return PassToSaver(window, message, wParam, lParam);
    LRESULT result = 0;
    if (ShowMessage(window, message, wParam, lParam, &result)) return result;
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE || wParam == SC_CLOSE) return 0;
            break;
        case WM_CLOSE:
            return 0;  // a monitor's window goes only with the saver window
        case WM_DESTROY:
            LeaveSession(window);
            break;
        case WM_NCDESTROY:
            ForgetMonitorWindow(window);
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
