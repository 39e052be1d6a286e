// Process-wide state of the saver shell.
#pragma once

#include <windows.h>

extern HINSTANCE hInst;
extern HWND hMainWindow;
extern const char szSaverAppName[];

// Resource ids shared by the program and its resource script.
#define IDI_SAVER 100
#define IDC_INVISIBLE 100
#define IDD_INFORMATION 2003
