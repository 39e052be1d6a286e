// The program's entry: the process always ends with exit code 1.
#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "imaging/dib.h"
#include "shell/globals.h"
#include "shell/start.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show) {
    hInst = instance;
    std::srand(unsigned(std::time(nullptr)));
    devicebits = GetDisplayBits();
    CreateScreenSaverWindow(hInst, previous, tail, show);
    ExitProcess(1);
}
