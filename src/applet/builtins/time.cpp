// The clock and the pause.
#include <ctime>

#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"

namespace {

constexpr DWORD kLookEveryMs = 100;  // the longest a pause goes without looking for input

// Non-zero when input ends the pause; the show's check also serves what
// waits for the other monitors while the applet keeps the thread.
int InputEnds(APPLET *applet, HWND window) { return applet->checkinput ? applet->checkinput(window) : 0; }

// Sleeps until a message arrives or `ms` pass. Messages sent by other
// threads or programs are answered first. The look at the queue also marks
// everything in it as seen, so the wait sleeps until something new comes:
// a timer of this thread that nothing serves during the pause (an
// animation's frame), a paint or a sent message would otherwise wake it at
// once, again and again, and spin a core for the whole pause.
void WaitForMessage(DWORD ms) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

}  // namespace

int APPLETGetSystemTime(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    return call.Finish(int(std::time(nullptr)));
}

// Pauses for the time asked by the clock, ending early on input. It looks
// for input at least every 100 ms and whenever a message arrives, which
// lets the other monitors' shows go on while it waits.
int APPLETSleep(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const int total = call.Int(0);
    const ULONGLONG end = GetTickCount64() + ULONGLONG(total > 0 ? total : 0);
    while (total > 0 && IsWindow(window) && !InputEnds(applet, window)) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) break;
        WaitForMessage(DWORD(end - now < kLookEveryMs ? end - now : kLookEveryMs));
    }
    return call.Finish(1);
}

// This family's slice of the keyword table.
const APPLETFUNCTION timefunctions[] = {
    {"getsystemtime", APPLETGetSystemTime},
    {"sleep", APPLETSleep},
};
const int timefunctioncount = int(sizeof timefunctions / sizeof timefunctions[0]);
