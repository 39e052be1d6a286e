// Starting, stepping and releasing the one applet, and the error messages.
#include <cstdlib>
#include <cstring>

#include "applet/applet.h"
#include "applet/objects.h"

namespace {

const char *const kMessages[] = {
    "Ok",
    "Stack overflow",
    "Error allocating memory",
    "Variable previously declared",
    "Inappropriate value",
    "Syntax error",
    "Terminated",
    "Stack corrupted",
    "No function by that name",
    "Variable not declared",
    "Invalid assignment",
    "Incorrect number of arguments",
    "Attempt to divide by zero",
    "Label previously declared",
    "Label not declared",
    "While encountered before Do",
    "Sound or picture not found",
    "Too many animations running",
};

void CreateDrawingObjects(APPLET *applet) {
    applet->font = CreateFontA(16, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "ARIAL");
    applet->brush = CreateSolidBrush(0xFFFFFF);
    applet->saverbrush = CreateSolidBrush(applet->savercolour);
    applet->pen = CreatePen(PS_SOLID, 1, 0xFFFFFF);
}

// Counts the lines, records where each begins and declares the labels.
bool ScanLines(APPLET *applet, char *text) {
    static char raw[APPLETMAXLINE + 1], clean[APPLETMAXLINE + 1];
    int count = 0;
    for (char *p = text; (p = APPLETGetLine(raw, p)) != nullptr;) ++count;
    applet->linecount = count;
    applet->lineoffsets = (int *)std::calloc(count ? count : 1, sizeof(int));
    if (!applet->lineoffsets) return APPLETRaise(applet, APPLETERR_NOMEMORY), false;
    char *p = text;
    for (int i = 0; i < count; ++i) {
        applet->lineoffsets[i] = int(p - text);
        p = APPLETGetLine(raw, p);
        APPLETCleanLine(clean, raw);
        if (clean[0] != ':') continue;
        VALUE label;
        APPLETMakeValue(&label, VALUE_LABEL, (UINT_PTR)i, APPLETMakeVariableName(clean + 1));
        if (APPLETAddLabel(applet, &label)) return false;
    }
    return true;
}

// "_OWN" or "_ORG": the text, then 0x01, in a buffer 16 bytes longer.
bool AddSpecialString(APPLET *applet, const char *name, const char *text) {
    if (!*text) text = "UNKNOWN USER";
    const size_t length = std::strlen(text);
    char *buffer = (char *)std::calloc(length + 16, 1);
    if (!buffer) return APPLETRaise(applet, APPLETERR_NOMEMORY), false;
    std::memcpy(buffer, text, length);
    buffer[length] = '\x01';
    VALUE entry;
    APPLETMakeValue(&entry, VALUE_STRING | VALUE_ALLOCATED, (UINT_PTR)buffer, APPLETMakeVariableName(name));
    if (APPLETAddVariable(applet, &entry)) {
        std::free(buffer);
        return false;
    }
    return true;
}

bool AddSpecialVariables(APPLET *applet) {
    char owner[260], organisation[260];
    GetMachineName(owner, organisation);
    owner[259] = organisation[259] = 0;
    return AddSpecialString(applet, "_OWN", owner) && AddSpecialString(applet, "_ORG", organisation);
}

void DeleteGdi(HGDIOBJ *object) {
    if (*object) DeleteObject(*object);
    *object = nullptr;
}

// Frees what the stack entries still own, whatever code is pending.
void EmptyStack(APPLET *applet) {
    const int error = applet->error, errorline = applet->errorline;
    // A pop answers with the pending code, which is not its own failure.
    applet->error = 0;
    VALUE entry;
    while (applet->stackdepth > 0) {
        if (APPLETPop(applet, &entry)) break;
        APPLETReleaseValue(&entry);
    }
    applet->stackdepth = 0;
    applet->error = error;
    applet->errorline = errorline;
}

void FreeVariables(APPLET *applet) {
    VALUE *entries = applet->variables ? (VALUE *)GlobalLock(applet->variables) : nullptr;
    if (entries) {
        for (int i = 0; i < applet->variablecount; ++i)
            if ((entries[i].type & VALUE_ALLOCATED) && entries[i].value) std::free((void *)entries[i].value);
        GlobalUnlock(applet->variables);
    }
    if (applet->variables) GlobalFree(applet->variables);
    applet->variables = nullptr;
    applet->variablecount = 0;
}

}  // namespace

void APPLETReleaseValue(VALUE *value) {
    if ((value->type & VALUE_GRAPHICSTATE) && value->value) {
        GRAPHICSTATE *state = (GRAPHICSTATE *)value->value;
        DeleteGdi((HGDIOBJ *)&state->font);
        DeleteGdi((HGDIOBJ *)&state->pen);
        DeleteGdi((HGDIOBJ *)&state->brush);
    }
    if ((value->type & VALUE_ALLOCATED) && value->value) std::free((void *)value->value);
    if ((value->type & VALUE_GDIOBJECT) && value->value) DeleteObject((HGDIOBJ)value->value);
    value->value = 0;
}

int APPLETInitApplet(APPLET *applet, HWND window, BLOCK *block, long savercolour, long stacksize, void *pictures,
                     int picturecount, void *sounds, int soundcount) {
    std::memset(applet, 0, sizeof *applet);
    std::memset(&returnvalue, 0, sizeof returnvalue);
    applet->stacksize = stacksize > APPLETMINSTACK ? int(stacksize) : APPLETMINSTACK;
    applet->window = window;
    applet->savercolour = COLORREF(savercolour);
    CreateDrawingObjects(applet);
    applet->pictures = pictures, applet->picturecount = picturecount;
    applet->sounds = sounds, applet->soundcount = soundcount;
    // A size whose byte count does not fit the address space is refused.
    const SIZE_T entries = SIZE_T(applet->stacksize);
    if (entries <= SIZE_T(-1) / sizeof(VALUE))
        applet->stack = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, entries * sizeof(VALUE));
    applet->textforecolour = 0xFFFFFF;
    applet->textmode = 2;
    applet->screenwide = GetSystemMetrics(SM_CXSCREEN);
    applet->screendeep = GetSystemMetrics(SM_CYSCREEN);
    applet->errorline = -1;
    applet->script = block ? block->data : nullptr;
    if (!applet->stack) APPLETRaise(applet, APPLETERR_NOMEMORY);
    char *text = applet->stack && applet->script ? (char *)GlobalLock(applet->script) : nullptr;
    if (!text) return APPLETFreeApplet(applet), 0;
    // A text without its terminating zero would be read past its memory.
    const bool terminated = std::memchr(text, 0, GlobalSize(applet->script)) != nullptr;
    if (!terminated) APPLETRaise(applet, APPLETERR_BADVALUE);
    const bool scanned = terminated && ScanLines(applet, text);
    GlobalUnlock(applet->script);
    if (!scanned || !AddSpecialVariables(applet)) return APPLETFreeApplet(applet), 0;
    return 1;
}

int APPLETProcessLine(APPLET *applet, HWND window) {
    static char raw[APPLETMAXLINE + 1], statement[APPLETMAXLINE + 1];
    if (applet->line < 0 || applet->line >= applet->linecount || !applet->lineoffsets) return -1;
    char *text = applet->script ? (char *)GlobalLock(applet->script) : nullptr;
    if (!text) return APPLETERR_NOMEMORY;
    if (!APPLETGetLine(raw, text + applet->lineoffsets[applet->line])) {
        GlobalUnlock(applet->script);
        return -1;
    }
    APPLETCleanLine(statement, raw);
    const int result = APPLETInterpretLine(applet, window, statement);
    GlobalUnlock(applet->script);
    return result;
}

int APPLETFreeApplet(APPLET *applet) {
    DeleteGdi((HGDIOBJ *)&applet->font);
    DeleteGdi((HGDIOBJ *)&applet->brush);
    DeleteGdi((HGDIOBJ *)&applet->saverbrush);
    DeleteGdi((HGDIOBJ *)&applet->pen);
    if (applet->stack) {
        EmptyStack(applet);
        GlobalFree(applet->stack);
    }
    applet->stack = nullptr;
    FreeVariables(applet);
    if (applet->labels) GlobalFree(applet->labels);
    applet->labels = nullptr;
    applet->labelcount = 0;
    std::free(applet->lineoffsets);
    applet->lineoffsets = nullptr;
    applet->linecount = 0;
    // The last result may point into what was just freed.
    std::memset(&returnvalue, 0, sizeof returnvalue);
    return 1;
}

const char *APPLETError(APPLET *applet) {
    const int code = applet->error;
    return code >= 0 && code <= APPLETERR_NOOBJECT ? kMessages[code] : "Unknown error";
}
