// Applet object lists: arrays of 32-byte records in global memory (fixed
// blocks, which grow by moving: a show may hold many lists). The loader
// fills them and the store frees them; the applet reads and adds to them.
#include "content/object_list.h"

#include <cstring>

int AddAppletObject(void **list, int *count, const APPLETOBJECT *object) {
    int newcount = *count + 1;
    HGLOBAL memory = *list ? GlobalReAlloc(*list, newcount * sizeof(APPLETOBJECT), GMEM_MOVEABLE | GMEM_ZEROINIT)
                           : GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(APPLETOBJECT));
    if (!memory) return 0;
    if (!*list) newcount = 1;
    APPLETOBJECT *records = (APPLETOBJECT *)GlobalLock(memory);
    *list = memory;
    if (!records) return 0;
    records[newcount - 1] = *object;
    GlobalUnlock(memory);
    *count = newcount;
    return 1;
}

HGLOBAL GetAppletObject(void *list, int index, APPLETOBJECT *out) {
    if (!list) return 0;
    APPLETOBJECT *records = (APPLETOBJECT *)GlobalLock(list);
    if (!records) return 0;
    *out = records[index];
    GlobalUnlock(list);
    return ObjectData(*out);
}

int PutAppletObject(void *list, int index, const APPLETOBJECT *object) {
    if (!list) return 0;
    APPLETOBJECT *records = (APPLETOBJECT *)GlobalLock(list);
    if (!records) return 0;
    records[index] = *object;
    GlobalUnlock(list);
    return 1;
}

HGLOBAL DuplicateObject(void *memory) {
    SIZE_T size = memory ? GlobalSize(memory) : 0;
    if (size == 0) return 0;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    void *source = GlobalLock(memory);
    void *target = copy ? GlobalLock(copy) : nullptr;
    if (source && target) std::memcpy(target, source, size);
    if (target) GlobalUnlock(copy);
    if (source) GlobalUnlock(memory);
    if (source && target) return copy;
    if (copy) GlobalFree(copy);
    return 0;
}

int WriteObject(HWND, const char *path, void *memory) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(path);
        return 0;
    }
    SIZE_T size = memory ? GlobalSize(memory) : 0;
    void *bytes = memory ? GlobalLock(memory) : nullptr;
    DWORD written = 0;
    bool complete = bytes && WriteFile(file, bytes, DWORD(size), &written, nullptr) && written == size;
    CloseHandle(file);
    if (bytes) GlobalUnlock(memory);
    if (!complete) DeleteFileA(path);
    return complete ? 1 : 0;
}
