// The applet keywords and their argument counts.
#include "applet/keywords.h"

namespace {
constexpr int N = APPLETMANYARGS;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
}  // namespace

const APPLETKEYWORD appletkeywords[APPLETFUNCTIONCOUNT] = {
    {"abs", 1, 1}, {"add", 2, 2}, {"and", 2, 2}, {"arc", 6, 6}, {"beep", 0, 1}, {"beziercurve", 2, 2},
    {"bitand", 2, 2}, {"bitor", 2, 2}, {"bitxor", 2, 2}, {"clearscreen", 0, 1}, {"copyscreenarea", 6, 6},
    {"dec", 1, 2}, {"declarearray", 2, 2}, {"declareint", 1, 2}, {"declarestring", 1, 2}, {"div", 2, 2},
    {"do", 0, 0}, {"drawedge", 6, 6}, {"drawgradient", 7, 7}, {"drawpicture", 3, 5}, {"end", 0, 0},
    {"fillrect", 4, 4}, {"fillroundrect", 6, 6}, {"fillellipse", 4, 4}, {"fillpie", 6, 6},
    {"fillpolygon", 2, 2}, {"frameellipse", 4, 4}, {"framepie", 6, 6}, {"framepolygon", 2, 2},
    {"framerect", 4, 4}, {"frameroundrect", 6, 6}, {"getarrayvalue", 2, 2}, {"getfixedcolor", 1, 1},
    {"gethorizontalpos", 0, 0}, {"getpicturedimensions", 4, 4}, {"getpixel", 2, 2}, {"getsavercolor", 0, 0},
    {"getscreenbits", 0, 0}, {"getscreendepth", 0, 0}, {"getscreenwidth", 0, 0}, {"getsyscolor", 1, 1},
    {"getsystemtime", 0, 0}, {"gettextdepth", 1, 1}, {"gettextlength", 1, 1}, {"getverticalpos", 0, 0},
    {"gosub", 1, 1}, {"goto", 1, 1}, {"if", 2, 2}, {"inc", 1, 2}, {"isequal", 2, 2}, {"isgreaterthan", 2, 2},
    {"isgreaterthanorequalto", 2, 2}, {"islessthan", 2, 2}, {"islessthanorequalto", 2, 2},
    {"isnotequal", 2, 2}, {"issoundplaying", 0, 0}, {"killsound", 0, 0}, {"line", 4, 4}, {"makecolor", 3, 3},
    {"max", 2, 2}, {"min", 2, 2}, {"mod", 2, 2}, {"mul", 2, 2}, {"not", 1, 1}, {"or", 2, 2},
    {"paragraphtext", 5, 6}, {"playsound", 1, 1}, {"pow", 2, 2}, {"print", 1, N}, {"random", 1, 1},
    {"restoregraphicstate", 0, 0}, {"restorescreenarea", 2, 2}, {"return", 0, 0}, {"savegraphicstate", 0, 0},
    {"savescreenarea", 4, 4}, {"setarrayvalue", 3, 3}, {"setbrushcolor", 1, 1}, {"setdrawingoffset", 2, 2},
    {"setfont", 5, N}, {"setpencolor", 2, 2}, {"setpixel", 3, 3}, {"setposition", 2, 2},
    {"settextbackcolor", 1, 1}, {"settextforecolor", 1, 1}, {"settexttransparent", 1, 1}, {"shiftleft", 2, 2},
    {"shiftright", 2, 2}, {"sleep", 1, 1}, {"strcat", 2, 2}, {"strcmp", 2, 2}, {"strcmpi", 2, 2},
    {"strcpy", 2, 2}, {"strfromchar", 2, 2}, {"strfromint", 2, 2}, {"strgetchar", 2, 2}, {"strgettime", 1, 1},
    {"strlen", 1, 1}, {"strlwr", 1, 1}, {"strsub", 4, 4}, {"strupr", 1, 1}, {"sub", 2, 2}, {"while", 1, 1},
};

int APPLETFindKeyword(const char *text) {
    for (int i = 0; i < APPLETFUNCTIONCOUNT; ++i) {
        const char *k = appletkeywords[i].keyword, *t = text;
        while (*k && *k == Lower(*t)) ++k, ++t;
        if (!*k && !*t) return i;
    }
    return -1;
}
