// The host's screen-saver switches on the command line.
#include "shell/commandline.h"

#include <cctype>
#include <cstdlib>

char SaverSwitch(const char *tail) {
    if (!tail) return 0;
    if (!*tail) return 'c';  // the host's "Configure" runs the file with no arguments
    char c = tail[0];
    if (c == '/' || c == '-') c = tail[1];
    c = char(std::tolower((unsigned char)c));
    switch (c) {
        case 's': case 'c': case 'p': case 'l': case 'a': return c;
        default: return 0;
    }
}

HWND WindowFromCommandLine(const char *tail) {
    if (!tail) return nullptr;
    while (*tail && !std::isdigit((unsigned char)*tail)) ++tail;
    return (HWND)(UINT_PTR)(DWORD)std::strtoul(tail, nullptr, 10);
}
