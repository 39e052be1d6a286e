// The saver's input watch: any mouse movement, key or button asks the host's
// password check and, when it agrees, closes the saver window.
#include "shell/input_watch.h"

#include "shell/browse_keys.h"
#include "shell/globals.h"
#include "shell/messages.h"
#include "shell/monitor_windows.h"
#include "shell/password.h"

namespace {

// A remembered cursor position. Whether one is held is a flag of its own:
// every pair of numbers, (-1, -1) included, is a real position on a monitor
// left of or above the primary one.
struct CursorMark {
    POINT at;
    bool known;
};

int verifying = 0;  // a password check is open: further input is ignored
CursorMark remembered = {};
CursorMark abortRemembered = {};

void RememberCursor(CursorMark *mark) {
    GetCursorPos(&mark->at);
    mark->known = true;
}

// The first look only remembers the position.
bool CursorMoved(CursorMark *mark) {
    POINT now;
    GetCursorPos(&now);
    if (!mark->known) {
        mark->at = now;
        mark->known = true;
        return false;
    }
    return now.x != mark->at.x || now.y != mark->at.y;
}

// A window of this process: the saver, a cover, the host's password dialog
// (run inside the process), a message box. Null counts as another's: the
// system may name no window when the one activated belongs to another thread.
bool IsOwnWindow(HWND other) {
    DWORD process = 0;
    return other && GetWindowThreadProcessId(other, &process) && process == GetCurrentProcessId();
}

// Takes the next message in the range that waits for the window or for one
// of the other monitors' windows, whose input counts as the saver window's.
bool TakeInput(HWND window, MSG *msg, UINT first, UINT last) {
    if (PeekMessageA(msg, window, first, last, PM_REMOVE)) return true;
    for (int i = 0; i < OtherMonitorCount(); ++i)
        if (PeekMessageA(msg, OtherMonitorWindow(i), first, last, PM_REMOVE)) return true;
    return false;
}

void DropPendingInput(HWND window) {
    MSG msg;
    while (TakeInput(window, &msg, WM_MOUSEFIRST, kSaverMouseLast)) {}
    while (TakeInput(window, &msg, WM_KEYFIRST, kSaverKeyLast)) {}
}

void OnRequestClose(HWND window) {
    if (verifying) return;
    verifying = 1;
    if (VerifyPassword(hMainWindow)) PostMessageA(window, WM_CLOSE, 0, 0);
    verifying = 0;
    DropPendingInput(window);
}

void RequestClose(HWND window) { PostMessageA(window, WM_REQUESTCLOSE, 0, 0); }

// The next input message of the window or a cover: mouse messages before keys.
bool NextInput(HWND window, MSG *msg) {
    return TakeInput(window, msg, WM_MOUSEFIRST, kSaverMouseLast) || TakeInput(window, msg, WM_KEYFIRST, kSaverKeyLast);
}

}  // namespace

LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATE:
            // Another program took the foreground: keys would go where the
            // user cannot see, so the saver ends as for input.
            if (LOWORD(wParam) != WA_INACTIVE || verifying)
                RememberCursor(&remembered);
            else if (!IsOwnWindow((HWND)lParam))
                RequestClose(window);
            break;
        case WM_MOUSEMOVE:
            if (verifying) break;
            SetCursor(nullptr);
            if (CursorMoved(&remembered)) RequestClose(window);
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (!verifying) RequestClose(window);
            break;
        case WM_REQUESTCLOSE:
            OnRequestClose(window);
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Windows 7 fails GetQueueStatus for any bit it does not know; QS_INPUT
// carries Windows 8's touch and pointer bits when built for a newer system.
static_assert(QS_INPUT == (QS_MOUSE | QS_KEY | QS_RAWINPUT), "QS_INPUT must be Windows 7's");

int CheckForAbort(HWND window) {
    // Almost every applet line finds nothing waiting: one look at the
    // queue's state spares the two filtered peeks (posted input included).
    // Both what came since the last look and what is there count: a pause
    // that sleeps marks the whole queue as seen (applet/builtins/time.cpp).
    const DWORD status = GetQueueStatus(QS_INPUT | QS_POSTMESSAGE);
    if (!HIWORD(status) && !LOWORD(status)) return 0;
    int abort = 0;
    MSG msg;
    while (NextInput(window, &msg)) {
        if (msg.message == WM_MOUSEMOVE) {
            if (!abortRemembered.known) {
                RememberCursor(&abortRemembered);
                continue;
            }
            if (CursorMoved(&abortRemembered)) {
                abort = 1;
                break;
            }
        }
        // The keys that browse the pictures wait for the applet's end: dropped.
        if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && IsBrowseKey(msg.wParam)) continue;
        if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) abort = 1;
        if (!IsWindow(window) || !IsWindow(hMainWindow)) {
            abort = 1;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (abort) RequestClose(window);
    return abort;
}
