// The applet keywords in the order they are searched, with the numbers of
// arguments each accepts. Portable: the player's table of built-ins is
// tested against it, and the show builder checks scripts with it.
#pragma once

constexpr int APPLETFUNCTIONCOUNT = 102;
constexpr int APPLETMANYARGS = 255;  // "or more"

struct APPLETKEYWORD {
    const char *keyword;
    int minargs;
    int maxargs;
};

extern const APPLETKEYWORD appletkeywords[APPLETFUNCTIONCOUNT];

// The index of a keyword, whatever the case of its letters; -1 when none.
int APPLETFindKeyword(const char *text);
