// The host's screen-saver password check.
#include "shell/password.h"

namespace {

typedef BOOL(WINAPI *VerifyScreenSavePwdProc)(HWND);

// The host keeps the setting as a number or as the text "1" or "0".
bool SettingIsOn(DWORD type, const BYTE *value, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) return size > 0 && value[0] != 0 && value[0] != '0';
    DWORD number = 0;
    CopyMemory(&number, value, size < sizeof number ? size : sizeof number);
    return number != 0;
}

bool PasswordRequired() {
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) return false;
    BYTE value[16] = {};
    DWORD size = sizeof value - 1;  // a text value always ends inside the buffer
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, &type, value, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && SettingIsOn(type, value, size);
}

}  // namespace

// Every failure counts as no password: the saver may close.
int VerifyPassword(HWND window) {
    if (!PasswordRequired()) return 1;
    HMODULE library = LoadLibraryA("PASSWORD.CPL");
    if (!library) return 1;
    auto verify = (VerifyScreenSavePwdProc)(void *)GetProcAddress(library, "VerifyScreenSavePwd");
    int result = verify ? verify(window) : 1;
    FreeLibrary(library);
    return result;
}
