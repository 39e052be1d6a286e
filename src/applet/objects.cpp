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

void ReadRegistryText(HKEY root, const char *key, const char *value, char *text) {
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
    char buffer[260];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegQueryValueExA(handle, value, nullptr, &type, (BYTE *)buffer, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        buffer[size < sizeof buffer ? size : sizeof buffer - 1] = 0;
        std::strcpy(text, buffer);
    }
    RegCloseKey(handle);
}

}  // namespace

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

int GetMachineName(char *owner, char *organisation) {
    static const char kWindows[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    static const char kWindowsNT[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    static const char kWinlogon[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    owner[0] = organisation[0] = 0;
    ReadRegistryText(HKEY_LOCAL_MACHINE, kWindows, "RegisteredOwner", owner);
    ReadRegistryText(HKEY_LOCAL_MACHINE, kWindows, "RegisteredOrganization", organisation);
    if (!owner[0] || !organisation[0]) {
        ReadRegistryText(HKEY_LOCAL_MACHINE, kWindowsNT, "RegisteredOwner", owner);
        ReadRegistryText(HKEY_LOCAL_MACHINE, kWindowsNT, "RegisteredOrganization", organisation);
    }
    if (!owner[0]) ReadRegistryText(HKEY_LOCAL_MACHINE, kWinlogon, "DefaultUserName", owner);
    if (!owner[0]) ReadRegistryText(HKEY_LOCAL_MACHINE, kWinlogon, "AltDefaultUserName", owner);
    if (!owner[0]) {
        char windows[MAX_PATH];
        DWORD serial = 0;
        if (GetWindowsDirectoryA(windows, sizeof windows)) {
            char root[8];
            std::snprintf(root, sizeof root, "%c:\\", windows[0]);
            if (GetVolumeInformationA(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
                std::snprintf(owner, 260, "User %lu", (unsigned long)serial);
        }
    }
    if (!owner[0]) std::strcpy(owner, "Unknown user");
    return owner[0] != 0;
}
