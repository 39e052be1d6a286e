// The lists of numbered picture and sound objects an applet block carries:
// APPLETOBJECT records in one global memory block, with the data of each
// record in a block of its own whose handle the record holds.
#pragma once

#include <windows.h>

#include "content/format.h"

// In memory the record's 32-bit `data` field carries the data's handle.
inline HGLOBAL ObjectData(const APPLETOBJECT &object) { return (HGLOBAL)(UINT_PTR)object.data; }
// False when the handle does not fit the field (possible only in 64-bit
// builds); the caller then treats it like an allocation that failed.
inline bool SetObjectData(APPLETOBJECT &object, HGLOBAL data) {
    object.data = (DWORD)(UINT_PTR)data;
    return ObjectData(object) == data;
}

int AddAppletObject(void **list, int *count, const APPLETOBJECT *object);
HGLOBAL GetAppletObject(void *list, int index, APPLETOBJECT *out);
int PutAppletObject(void *list, int index, const APPLETOBJECT *object);

// A copy of an object's data in a new movable block; 0 when it cannot be made.
HGLOBAL DuplicateObject(void *memory);
// Writes an object's data to the file `path`; 0, with the file deleted, when it cannot.
int WriteObject(HWND window, const char *path, void *memory);
