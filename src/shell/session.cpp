// The show session of the saver.
#include "shell/session.h"

#include <cstring>

#include "content/loader.h"
#include "shell/globals.h"
#include "shell/input_watch.h"
#include "shell/live_show.h"
#include "shell/messages.h"
#include "shell/monitor_show.h"
#include "shell/monitor_windows.h"
#include "shell/play_order.h"
#include "shell/session_state.h"
#include "sound/player.h"

SHOWSESSION theSession;

namespace {

// At most this many messages of one monitor at a time, so that a show that
// keeps posting cannot hold the applet up.
constexpr int kServedAtOnce = 16;

// Dispatches what waits for a playing monitor's window, its input left in
// the queue for the input watch: nothing else of this thread runs while an
// applet works or sleeps on the saver window.
void ServeMonitor(HWND window) {
    MSG msg;
    for (int served = 0; served < kServedAtOnce; ++served) {
        if (!PeekMessageA(&msg, window, 0, WM_KEYFIRST - 1, PM_REMOVE) &&
            !PeekMessageA(&msg, window, kSaverKeyLast + 1, WM_MOUSEFIRST - 1, PM_REMOVE) &&
            !PeekMessageA(&msg, window, kSaverMouseLast + 1, 0xFFFFFFFF, PM_REMOVE))
            return;
        DispatchMessageA(&msg);
    }
}

void ServeOtherMonitors() {
    for (int i = 0; i < OtherMonitorCount(); ++i)
        if (GetWindowLongPtrA(OtherMonitorWindow(i), GWLP_USERDATA)) ServeMonitor(OtherMonitorWindow(i));
}

// The applet's input check: an applet keeps the thread from its message
// loop, so the other monitors' shows go on whenever it looks for input.
int CheckInputServingMonitors(HWND window) {
    ServeOtherMonitors();
    return CheckForAbort(window);
}

int MonitorCount() { return 1 + OtherMonitorCount(); }

// Every other monitor gets a show of its own when the show plays on every
// monitor; one that has it takes its monitor's size.
void SpreadToOtherMonitors() {
    for (int i = 0; i < OtherMonitorCount(); ++i) {
        HWND window = OtherMonitorWindow(i);
        if (GetWindowLongPtrA(window, GWLP_USERDATA))
            ResizeMonitorShow(window);
        else if (theSession.mode)
            StartMonitorShow(window, i + 1, MonitorCount());
    }
}

}  // namespace

int LoadSession(HWND host, const char *path) {
    std::memset(&theSession, 0, sizeof theSession);
    theSession.host = host;
    theSession.show.window = host;
    theSession.liveslot = -1;
    theSession.store = CreateBlockStore(host);
    const int loaded = LoadScrFile(theSession.store, &theSession.show, path);
    // The program's cursor is fully transparent: the pointer stays hidden.
    SetCursor(LoadCursorA(hInst, MAKEINTRESOURCEA(IDC_INVISIBLE)));
    if (loaded) PostMessageA(host, WM_CONTENTLOADED, 0, 0);
    return loaded;
}

void StartSession(HWND host) {
    BLOCK header;
    if (host != theSession.host || !GetHeaderBlock(theSession.store, &theSession.show, &header)) return;
    const DWORD monitors = header.head.flags & SCRF_MONITORMASK;
    theSession.mode = monitors == SCRF_MONITORMASK ? 0 : monitors;
    theSession.background = header.head.backgroundcolour;
    theSession.extras = header.head.flags & (SCRF_CLOCKTIME | SCRF_CLOCKDATE | SCRF_BROWSEKEYS);
    theSession.show.count = (int)SendMessageA(theSession.store, LB_GETCOUNT, 0, 0);
    theSession.checkinput = CheckInputServingMonitors;
    theSession.playing = true;
    LoadPlayOrder(theSession.store, header.head);
    // The screen turns to the background colour before the first item.
    StartMonitorShow(host, 0, MonitorCount());
    SpreadToOtherMonitors();
}

void SpreadSession() {
    if (!theSession.playing) return;
    ResizeMonitorShow(theSession.host);
    SpreadToOtherMonitors();
}

void LeaveSession(HWND window) { EndMonitorShow(window); }

void EndSession() {
    HWND host = theSession.host;
    APPLETKillSound(host);
    // The other monitors' shows read the store: they end first.
    for (int i = 0; i < OtherMonitorCount(); ++i) EndMonitorShow(OtherMonitorWindow(i));
    EndMonitorShow(host);
    ForgetPlayOrder();
    CloseLiveSession();
    if (host) FreeBlocks(host, &theSession.show);
    std::memset(&theSession, 0, sizeof theSession);
}
