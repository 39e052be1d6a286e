// The machine's identity as the host's registry records it: who owns the
// machine and for whom. A header block shows it, and an applet reads it.
#include "content/machine_identity.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

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
