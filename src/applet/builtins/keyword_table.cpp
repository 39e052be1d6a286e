// The table of built-in functions, assembled once from the families'
// slices in the order of the keyword list. A keyword no family claims would
// answer as an unknown one does. Every call of a line looks its keyword up,
// so an index sorted by name finds it in a few comparisons.
#include <algorithm>
#include <cstring>

#include "applet/builtins/builtins.h"

namespace {

struct FAMILY {
    const APPLETFUNCTION *functions;
    const int *count;
};

const FAMILY kFamilies[] = {
    {controlfunctions, &controlfunctioncount},
    {arithmeticfunctions, &arithmeticfunctioncount},
    {timefunctions, &timefunctioncount},
    {stringfunctions, &stringfunctioncount},
    {soundfunctions, &soundfunctioncount},
    {graphicstatefunctions, &graphicstatefunctioncount},
    {shapefunctions, &shapefunctioncount},
    {textfunctions, &textfunctioncount},
    {picturefunctions, &picturefunctioncount},
};

int placed = 0;  // slice entries that found their keyword

APPLETHANDLER HandlerOf(const char *keyword) {
    for (const FAMILY &family : kFamilies)
        for (int i = 0; i < *family.count; ++i)
            if (std::strcmp(family.functions[i].keyword, keyword) == 0) return ++placed, family.functions[i].handler;
    return APPLETNoFunction;
}

const APPLETFUNCTION *byname[APPLETFUNCTIONCOUNT];  // `function`, sorted by keyword

bool Before(const APPLETFUNCTION *a, const char *b) { return std::strcmp(a->keyword, b) < 0; }

// The slices are constant data, ready before this runs.
struct Assembly {
    Assembly() {
        for (int i = 0; i < APPLETFUNCTIONCOUNT; ++i) {
            function[i] = {appletkeywords[i].keyword, HandlerOf(appletkeywords[i].keyword)};
            byname[i] = &function[i];
        }
        std::sort(byname, byname + APPLETFUNCTIONCOUNT,
                  [](const APPLETFUNCTION *a, const APPLETFUNCTION *b) { return Before(a, b->keyword); });
    }
};

}  // namespace

APPLETFUNCTION function[APPLETFUNCTIONCOUNT];
static Assembly assembly;

const APPLETFUNCTION *APPLETFindFunction(const char *text) {
    // Keywords are lower case: the text is lowered (ASCII only) to compare.
    char lowered[32];
    size_t n = 0;
    for (; text[n]; ++n) {
        if (n + 1 == sizeof lowered) return nullptr;  // longer than any keyword
        const char c = text[n];
        lowered[n] = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    lowered[n] = 0;
    const APPLETFUNCTION *const *found = std::lower_bound(byname, byname + APPLETFUNCTIONCOUNT, lowered, Before);
    return found != byname + APPLETFUNCTIONCOUNT && std::strcmp((*found)->keyword, lowered) == 0 ? *found : nullptr;
}

int APPLETUnplacedBuiltins() {
    int total = 0;
    for (const FAMILY &family : kFamilies) total += *family.count;
    return total - placed;
}
