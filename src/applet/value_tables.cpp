// The applet's value stack and its variable and label tables: arrays of
// VALUE records in movable memory, locked only while one entry is copied.
#include <cstring>

#include "applet/applet.h"

namespace {

// Copies entry `index` out of (or into) a table; 2 when it cannot be locked.
int CopyEntry(HGLOBAL table, int index, VALUE *entry, bool out) {
    VALUE *entries = table ? (VALUE *)GlobalLock(table) : nullptr;
    if (!entries) return APPLETERR_NOMEMORY;
    if (out)
        *entry = entries[index];
    else
        entries[index] = *entry;
    GlobalUnlock(table);
    return 0;
}

int GetEntry(APPLET *applet, HGLOBAL table, int count, VALUE *out, int index) {
    if (index < 0 || index >= count) return APPLETRaise(applet, APPLETERR_BADVALUE);
    if (int code = CopyEntry(table, index, out, true)) return APPLETRaise(applet, code);
    return applet->error;
}

int PutEntry(APPLET *applet, HGLOBAL table, int count, const VALUE *entry, int index) {
    if (index < 0 || index >= count) return APPLETRaise(applet, APPLETERR_BADVALUE);
    VALUE copy = *entry;
    if (int code = CopyEntry(table, index, &copy, false)) return APPLETRaise(applet, code);
    return applet->error;
}

// Index of the first entry called `name`: -1 none, -2 unreadable table.
int IndexOf(HGLOBAL table, int count, unsigned long name) {
    if (count <= 0) return -1;
    const VALUE *entries = table ? (const VALUE *)GlobalLock(table) : nullptr;
    if (!entries) return -2;
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i)
        if (entries[i].name == name) found = i;
    GlobalUnlock(table);
    return found;
}

// Copies out the first entry called `name`: its index, -1 none, -2
// unreadable table. One lock for the search and the copy.
int FindEntry(HGLOBAL table, int count, unsigned long name, VALUE *out) {
    if (count <= 0) return -1;
    const VALUE *entries = table ? (const VALUE *)GlobalLock(table) : nullptr;
    if (!entries) return -2;
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i)
        if (entries[i].name == name) found = i, *out = entries[i];
    GlobalUnlock(table);
    return found;
}

// Appends `entry`, refusing a name already present with `exists`.
int AddEntry(APPLET *applet, HGLOBAL *table, int *count, const VALUE *entry, int exists) {
    if (entry->name == 0) return APPLETRaise(applet, APPLETERR_BADVALUE);
    const int found = IndexOf(*table, *count, entry->name);
    if (found == -2) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    if (found >= 0) return APPLETRaise(applet, exists);
    const SIZE_T bytes = SIZE_T(*count + 1) * sizeof(VALUE);
    HGLOBAL grown = *table ? GlobalReAlloc(*table, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT)
                           : GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!grown) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    *table = grown;
    VALUE copy = *entry;
    if (CopyEntry(grown, *count, &copy, false)) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    ++*count;
    return applet->error;
}

}  // namespace

int APPLETRaise(APPLET *applet, int code) {
    applet->error = code;
    applet->errorline = applet->line;
    return code;
}

// At most stacksize - 1 entries are ever held.
int APPLETPush(APPLET *applet, const VALUE *value) {
    if (applet->stackdepth + 1 >= applet->stacksize) return APPLETRaise(applet, APPLETERR_STACKOVERFLOW);
    VALUE copy = *value;
    if (CopyEntry(applet->stack, applet->stackdepth, &copy, false)) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    ++applet->stackdepth;
    return applet->error;
}

// Popping an empty stack is an overflow too, as the message table has it.
int APPLETPop(APPLET *applet, VALUE *value) {
    if (applet->stackdepth <= 0) return APPLETRaise(applet, APPLETERR_STACKOVERFLOW);
    if (CopyEntry(applet->stack, applet->stackdepth - 1, value, true)) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    --applet->stackdepth;
    return applet->error;
}

int APPLETPopEntries(APPLET *applet, VALUE *values, int n) {
    if (n <= 0) return applet->error;
    const int available = applet->stackdepth < n ? applet->stackdepth : n;
    const VALUE *entries = applet->stack ? (const VALUE *)GlobalLock(applet->stack) : nullptr;
    if (!entries) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    for (int i = 0; i < available; ++i) values[n - 1 - i] = entries[applet->stackdepth - 1 - i];
    GlobalUnlock(applet->stack);
    applet->stackdepth -= available;
    return available < n ? APPLETRaise(applet, APPLETERR_STACKOVERFLOW) : applet->error;
}

int APPLETPopExpected(APPLET *applet, VALUE *value, uint32_t kinds, int wrongkind) {
    const int code = APPLETPop(applet, value);
    if (code || (value->type & kinds)) return code;
    APPLETReleaseValue(value);
    return APPLETRaise(applet, wrongkind);
}

int APPLETAddVariable(APPLET *applet, const VALUE *entry) {
    return AddEntry(applet, &applet->variables, &applet->variablecount, entry, APPLETERR_VARIABLEEXISTS);
}

int APPLETGetVariable(APPLET *applet, VALUE *out, int index) {
    return GetEntry(applet, applet->variables, applet->variablecount, out, index);
}

int APPLETPutVariable(APPLET *applet, const VALUE *entry, int index) {
    return PutEntry(applet, applet->variables, applet->variablecount, entry, index);
}

int APPLETFindVariableIndex(APPLET *applet, unsigned long name) {
    return IndexOf(applet->variables, applet->variablecount, name);
}

int APPLETFindVariable(APPLET *applet, VALUE *out, unsigned long name) {
    const int index = FindEntry(applet->variables, applet->variablecount, name, out);
    if (index == -2) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    if (index < 0) return APPLETRaise(applet, APPLETERR_NOVARIABLE);
    return 0;
}

int APPLETAddLabel(APPLET *applet, const VALUE *entry) {
    return AddEntry(applet, &applet->labels, &applet->labelcount, entry, APPLETERR_LABELEXISTS);
}

int APPLETGetLabel(APPLET *applet, VALUE *out, int index) {
    return GetEntry(applet, applet->labels, applet->labelcount, out, index);
}

int APPLETPutLabel(APPLET *applet, const VALUE *entry, int index) {
    return PutEntry(applet, applet->labels, applet->labelcount, entry, index);
}

int APPLETFindLabel(APPLET *applet, VALUE *out, unsigned long name) {
    const int index = IndexOf(applet->labels, applet->labelcount, name);
    if (index == -2) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    if (index < 0) return APPLETRaise(applet, APPLETERR_NOLABEL);
    if (CopyEntry(applet->labels, index, out, true)) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    return applet->error;
}
