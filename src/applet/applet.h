// The applet interpreter: the record of the one running applet, the value
// record every value, variable, label and stack entry shares, and the
// engine that runs a script one line at a time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "applet/keywords.h"
#include "applet/lines.h"
#include "content/blockstore.h"

// Kind bits and ownership flags of VALUE::type.
constexpr uint32_t VALUE_INT = 0x1;
constexpr uint32_t VALUE_STRING = 0x2;
constexpr uint32_t VALUE_LABEL = 0x4;
constexpr uint32_t VALUE_ARGCOUNT = 0x8;
constexpr uint32_t VALUE_RETURN = 0x10;
constexpr uint32_t VALUE_INTREF = 0x20;
constexpr uint32_t VALUE_STRINGVAR = 0x40;
constexpr uint32_t VALUE_DOMARK = 0x80;
constexpr uint32_t VALUE_ARRAY = 0x100;
constexpr uint32_t VALUE_GRAPHICSTATE = 0x200;
constexpr uint32_t VALUE_ALLOCATED = 0x8000;
constexpr uint32_t VALUE_GDIOBJECT = 0x10000;

// `value` holds a 32-bit integer, or a pointer or handle of the machine's width.
struct VALUE {
    uint32_t type;
    UINT_PTR value;
    uint32_t name;  // packed name, 0 for unnamed values
};

enum {
    APPLETERR_END = -1,
    APPLETERR_OK = 0,
    APPLETERR_STACKOVERFLOW = 1,
    APPLETERR_NOMEMORY = 2,
    APPLETERR_VARIABLEEXISTS = 3,
    APPLETERR_BADVALUE = 4,
    APPLETERR_SYNTAX = 5,
    APPLETERR_TERMINATED = 6,
    APPLETERR_STACKCORRUPT = 7,
    APPLETERR_NOFUNCTION = 8,
    APPLETERR_NOVARIABLE = 9,
    APPLETERR_BADASSIGN = 10,
    APPLETERR_ARGCOUNT = 11,
    APPLETERR_DIVZERO = 12,
    APPLETERR_LABELEXISTS = 13,
    APPLETERR_NOLABEL = 14,
    APPLETERR_WHILEBEFOREDO = 15,
    APPLETERR_NOOBJECT = 16,
    APPLETERR_TOOMANYANIMS = 17,
};

constexpr int APPLETMINSTACK = 8192;

struct APPLET {
    HWND window;
    HFONT font;
    HBRUSH brush;
    HBRUSH saverbrush;
    HPEN pen;
    int xpos;
    int ypos;
    COLORREF textforecolour;
    COLORREF textbackcolour;
    int textmode;  // 2 opaque, 1 transparent
    HGLOBAL stack;
    int stackdepth;
    int stacksize;
    HGLOBAL variables;
    int variablecount;
    HGLOBAL labels;
    int labelcount;
    int screenwide;
    int screendeep;
    HGLOBAL script;  // owned by the block
    int line;        // next line to run
    int errorline;
    int error;  // pending code
    int *lineoffsets;
    int linecount;
    void *pictures;
    int picturecount;
    void *sounds;
    int soundcount;
    COLORREF savercolour;
    int xoffset;
    int yoffset;
    // Set by whoever runs the applet: serves what waits while the applet
    // keeps the thread, and returns non-zero when input ends the saver.
    // Called between lines and inside a pause; null: nothing ends it.
    int (*checkinput)(HWND window);
};
#ifndef _WIN64
static_assert(sizeof(APPLET) == 132, "the applet record is 33 machine words");
#endif

// A graphic state saved on the value stack: the handles that were current
// (the stack entry owns them) and the numbers of the drawing state.
struct GRAPHICSTATE {
    HFONT font;
    HPEN pen;
    HBRUSH brush;
    int xpos;
    int ypos;
    COLORREF textforecolour;
    COLORREF textbackcolour;
    int textmode;
    int xoffset;
    int yoffset;
};
#ifndef _WIN64
static_assert(sizeof(GRAPHICSTATE) == 40, "a saved graphic state is ten 32-bit fields");
#endif

typedef int (*APPLETHANDLER)(APPLET *applet, HWND window);
struct APPLETFUNCTION {
    const char *keyword;
    APPLETHANDLER handler;
};
extern APPLETFUNCTION function[APPLETFUNCTIONCOUNT];
// The entry of `function` whose keyword is `text`, whatever the case of its
// letters; null when none is.
const APPLETFUNCTION *APPLETFindFunction(const char *text);
// Built-ins of the families' slices whose keyword is not in the list: 0.
int APPLETUnplacedBuiltins();

extern VALUE returnvalue;

// Life cycle, driven by the saver window.
int APPLETInitApplet(APPLET *applet, HWND window, BLOCK *block, long savercolour, long stacksize, void *pictures,
                     int picturecount, void *sounds, int soundcount);
int APPLETProcessLine(APPLET *applet, HWND window);
int APPLETFreeApplet(APPLET *applet);
const char *APPLETError(APPLET *applet);

// Statements and expressions.
int APPLETInterpretLine(APPLET *applet, HWND window, char *statement);
char *APPLETEvaluateExpression(APPLET *applet, HWND window, char *expression);
int APPLETExecuteFunction(APPLET *applet, HWND window, char *keyword);
char *APPLETGetArgument(char *dst, char *src);
int APPLETGetStringFromString(char *dst, char *src);
int APPLETGetStringLength(const char *s);
inline UINT_PTR APPLETGetIntFromValue(const VALUE *v) { return v->value; }
inline void APPLETMakeValue(VALUE *v, unsigned long type, UINT_PTR value, unsigned long name) {
    v->type = (uint32_t)type;
    v->value = value;
    v->name = (uint32_t)name;
}
unsigned long APPLETMakeVariableName(const char *name);
// The packed name of the `length` bytes at `name` (only the first four count).
unsigned long APPLETPackName(const char *name, size_t length);

// Raising: sets `error` and `errorline` and returns the code.
int APPLETRaise(APPLET *applet, int code);

// Value stack, variables and labels; each returns the pending code.
int APPLETPush(APPLET *applet, const VALUE *value);
int APPLETPop(APPLET *applet, VALUE *value);
// Pops the top `n` entries as `n` pops would, with one lock: the top entry
// into values[n - 1]. Fewer entries than `n`: those there, then code 1.
int APPLETPopEntries(APPLET *applet, VALUE *values, int n);
// Pops the entry a keyword expects, one of the kinds `kinds`: 0 when it is
// one. An entry of another kind is thrown away, and what it owned released
// with it; `wrongkind` is then raised and returned. On an empty stack, the
// pending code.
int APPLETPopExpected(APPLET *applet, VALUE *value, uint32_t kinds, int wrongkind);
// Frees what a value taken off the stack owns: its memory, the handles of a
// saved graphic state, a saved screen area's bitmap.
void APPLETReleaseValue(VALUE *value);
int APPLETAddVariable(APPLET *applet, const VALUE *entry);
int APPLETGetVariable(APPLET *applet, VALUE *out, int index);
int APPLETPutVariable(APPLET *applet, const VALUE *entry, int index);
int APPLETFindVariable(APPLET *applet, VALUE *out, unsigned long name);
int APPLETAssignVariable(APPLET *applet, unsigned long name, const VALUE *newvalue);
int APPLETAddLabel(APPLET *applet, const VALUE *entry);
int APPLETGetLabel(APPLET *applet, VALUE *out, int index);
int APPLETPutLabel(APPLET *applet, const VALUE *entry, int index);
int APPLETFindLabel(APPLET *applet, VALUE *out, unsigned long name);
// The index of the first variable called `name`, -1 when none is.
int APPLETFindVariableIndex(APPLET *applet, unsigned long name);
