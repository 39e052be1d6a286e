// Applet object lists: arrays of 32-byte records in global memory (fixed
// blocks, which grow by moving: a show may hold many lists).
#include "applet/objects.h"

#include <cstdio>
#include <cstring>

namespace {

// The index of the first record that carries `number`, -1 when none does,
// -2 when the list cannot be read.
int IndexOfNumber(void *list, int count, unsigned long number) {
    if (count <= 0) return -1;
    const APPLETOBJECT *records = list ? (const APPLETOBJECT *)GlobalLock(list) : nullptr;
    if (!records) return -2;
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i)
        if (records[i].number == number) found = i;
    GlobalUnlock(list);
    return found;
}


}  // namespace

int MakeNewAppletObject(APPLETOBJECT *out, void *list, int count, void *data, unsigned long kind) {
    std::memset(out, 0, sizeof *out);
    unsigned long number = 1;
    // Smallest number no record carries; each hit restarts the scan.
    for (;;) {
        if (number > MAXOBJECTNUMBER) return 0;
        int found = IndexOfNumber(list, count, number);
        if (found == -2) return 0;
        if (found == -1) break;
        ++number;
    }
    out->kind = kind;
    out->size = (DWORD)GlobalSize(data);
    out->number = number;
    return SetObjectData(*out, data) ? 1 : 0;
}

int FindNumberedAppletObject(APPLETOBJECT *out, void *list, int count, unsigned long number) {
    std::memset(out, 0, sizeof *out);
    if (count <= 0) return 0;
    int found = IndexOfNumber(list, count, number);
    if (found < 0) return 0;
    GetAppletObject(list, found, out);
    return 1;
}
