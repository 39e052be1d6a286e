// The table of built-in functions, assembled once from the families'
// slices in the order of the keyword list, which is the order of the search.
// A keyword no family claims would answer as an unknown one does.
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

// The slices are constant data, ready before this runs.
struct Assembly {
    Assembly() {
        for (int i = 0; i < APPLETFUNCTIONCOUNT; ++i)
            function[i] = {appletkeywords[i].keyword, HandlerOf(appletkeywords[i].keyword)};
    }
};

}  // namespace

APPLETFUNCTION function[APPLETFUNCTIONCOUNT];
static Assembly assembly;

int APPLETUnplacedBuiltins() {
    int total = 0;
    for (const FAMILY &family : kFamilies) total += *family.count;
    return total - placed;
}
