// Makes Wine read the monitors again after xrandr changed them, as a display
// settings panel does: it sets the display settings again (the saved ones,
// else the primary monitor's current mode), after which Wine takes the
// monitors from the X server and sends every top-level window
// WM_DISPLAYCHANGE. Prints the result, the monitor count and the width of
// the virtual screen.
#include <windows.h>

#include <cstdio>

int main() {
    LONG result = ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
    if (result != DISP_CHANGE_SUCCESSFUL) {  // a monitor that went leaves saved settings that fail
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        result = ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr);
    }
    std::printf("%ld %d %d\n", result, GetSystemMetrics(SM_CMONITORS), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}
