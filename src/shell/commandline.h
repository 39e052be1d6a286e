// The host's screen-saver switches on the command line.
#pragma once

#include <windows.h>

// The mode letter, lower case ('s', 'c', 'p', 'l', 'a'), or 0 for none.
// A leading '/' or '-' is skipped: "/S", "-s" and "s" all give 's'. An
// empty tail gives 'c': the host's "Configure" command passes no switch.
char SaverSwitch(const char *tail);

// The window handle that follows the switch: the first run of decimal digits
// anywhere in the tail, so "/p 1234", "-P:1234" and "l1234" give 1234.
// 0 when there are no digits or the number is 0.
HWND WindowFromCommandLine(const char *tail);
