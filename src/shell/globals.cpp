// Process-wide state of the saver shell.
#include "shell/globals.h"

HINSTANCE hInst;
HWND hMainWindow;
const char szSaverAppName[] = "Screen Saver.Marrowlight Screen Saver";
