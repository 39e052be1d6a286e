// The saver window procedure: routes each message to its handler.
#include "shell/saver_window.h"

#include <cstring>

#include "content/blockstore.h"
#include "content/loader.h"

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

// Input that arrived while the window was closing is dropped.
void FlushInput(HWND window) {
    MSG msg;
    while (PeekMessageA(&msg, window, WM_MOUSEFIRST, 0x0209, PM_REMOVE)) {}
    while (PeekMessageA(&msg, window, WM_KEYFIRST, 0x0108, PM_REMOVE)) {}
}

// Releases what the show holds and tells the system the saver has ended.
void OnDestroy(HWND window) {
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

// The show is loaded: take its background and size, then start at block 0.
void OnContentLoaded(HWND window) {
    if (BLOCKSET *set = LockBlockSet(window)) {
        BLOCK header;
        HWND store = GetDlgItem(window, IDC_BLOCKSTORE);
        if (GetHeaderBlock(store, set, &header)) {
            set->backgroundcolour = header.head.backgroundcolour;
            set->backgroundbrush = CreateSolidBrush(set->backgroundcolour);
            set->screenwide = GetSystemMetrics(SM_CXSCREEN);
            set->screendeep = GetSystemMetrics(SM_CYSCREEN);
            set->count = (int)SendMessageA(store, LB_GETCOUNT, 0, 0);
            set->savedscreen = 0;
            set->current = -1;
            std::memset(&set->block, 0, sizeof set->block);
            std::memset(&set->status, 0, sizeof set->status);
            PostMessageA(window, WM_TIMER, IDT_ADVANCE, 0);
        }
        UnlockBlockSet(window);
    }
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

}  // namespace

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
        case WM_CONTENTLOADED:
            OnContentLoaded(window);
            return 0;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}
