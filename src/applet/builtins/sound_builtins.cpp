// The applets' sound built-ins, on the program's one-at-a-time player.
#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"
#include "sound/player.h"
#include "applet/objects.h"

// playsound(number): plays the applet's sound object with that number.
int APPLETPlaySoundFunction(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int number = call.Int(0);
    APPLETOBJECT sound;
    if (number <= 0 || !FindNumberedAppletObject(&sound, applet->sounds, applet->soundcount, (unsigned long)number)) {
        call.Raise(APPLETERR_NOOBJECT);
        return call.Finish(0);
    }
    return call.Finish(APPLETPlaySound(window, ObjectData(sound), sound.kind));
}

int APPLETKillSoundFunction(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    if (call.accepted()) APPLETKillSound(window);
    return call.Finish(1);
}

// The answer is given even when the count is wrong.
int APPLETIsSoundPlaying(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    return call.Finish(APPLETIsPlaying());
}

// beep([type]): the platform's message sound of that type (0 when absent).
int APPLETBeep(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0, 1));
    if (!call.ok()) return call.code();
    if (call.accepted()) MessageBeep(UINT(call.count() == 1 ? call.Int(0) : 0));
    return call.Finish(1);
}

// This family's slice of the keyword table.
const APPLETFUNCTION soundfunctions[] = {
    {"beep", APPLETBeep},
    {"issoundplaying", APPLETIsSoundPlaying},
    {"killsound", APPLETKillSoundFunction},
    {"playsound", APPLETPlaySoundFunction},
};
const int soundfunctioncount = int(sizeof soundfunctions / sizeof soundfunctions[0]);
