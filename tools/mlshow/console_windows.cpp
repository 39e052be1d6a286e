// The console check on Windows: a console opened for mlshow alone lists one
// process, mlshow; a terminal's or a script's lists theirs as well.
#include <windows.h>

#include <conio.h>

#include <filesystem>
#include <vector>

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

std::string OwnProgramPath() {
    // The path may be longer than MAX_PATH: the buffer grows until it holds it.
    for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2) {
        std::vector<wchar_t> path(size);
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) return std::string();
        if (length < size) return std::filesystem::path(std::wstring(path.data(), length)).u8string();
    }
    return std::string();
}

}  // namespace mlshow
