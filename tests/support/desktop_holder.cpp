// Holds Wine's desktop for a whole run of tests. Wine starts its desktop
// process (explorer.exe /desktop) for the first program that needs the
// desktop window and ends it a moment after the last such program ends. A
// desktop started by a test inherits that test's output pipe and holds it
// open, so CTest waits for it as if the test still ran. scripts/with-display
// starts this program with its output elsewhere before the tests: the
// desktop starts here, "ready" is printed once it is up, and it stays up
// until the wineserver ends this program.
#include <windows.h>

#include <cstdio>

int main() {
    if (!GetDesktopWindow()) return 1;  // Wine returns once the desktop is up
    std::puts("ready");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
