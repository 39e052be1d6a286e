// A library that loads but exports nothing: stands in for a host library
// that lacks the function the player looks for.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
