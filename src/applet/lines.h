// Lines of an applet's text: where one ends and what is left of it once
// cleaned (comments, spaces outside strings and escapes dealt with).
#pragma once

constexpr int APPLETMAXLINE = 2048;  // bytes of one raw line

// Copies one raw line into dst (APPLETMAXLINE + 1 bytes); where the next
// begins, null at the end of the text.
char *APPLETGetLine(char *dst, char *src);
// The cleaned statement; never longer than the raw line. Always 1.
int APPLETCleanLine(char *dst, char *src);
