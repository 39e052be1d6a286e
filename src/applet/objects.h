// The numbered picture and sound objects an applet block carries, the small
// memory and rectangle helpers their users share, and the machine identity.
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

constexpr unsigned long MAXOBJECTNUMBER = 16383;

int AddAppletObject(void **list, int *count, const APPLETOBJECT *object);
HGLOBAL GetAppletObject(void *list, int index, APPLETOBJECT *out);
int PutAppletObject(void *list, int index, const APPLETOBJECT *object);
int MakeNewAppletObject(APPLETOBJECT *out, void *list, int count, void *data, unsigned long kind);
int FindNumberedAppletObject(APPLETOBJECT *out, void *list, int count, unsigned long number);

HGLOBAL DuplicateObject(void *memory);
int WriteObject(HWND window, const char *path, void *memory);
inline int RectWidth(const RECT *r) { return r->right - r->left; }
inline int RectDepth(const RECT *r) { return r->bottom - r->top; }

// Fills `owner` and `organisation` (each at least 260 bytes) from the registry.
int GetMachineName(char *owner, char *organisation);
