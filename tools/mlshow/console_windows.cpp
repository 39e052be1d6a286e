// The console check on Windows: a console opened for mlshow alone lists one
// process, mlshow; a terminal's or a script's lists theirs as well.
#include <windows.h>

#include <conio.h>

#include "console.h"

namespace mlshow {

bool ConsoleIsOursAlone() {
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

void WaitForKey() {
    FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
    _getwch();
}

}  // namespace mlshow
