// The host's screen-saver password check.
#include "shell/saver_window.h"

namespace {

typedef BOOL(WINAPI *VerifyScreenSavePwdProc)(HWND);

bool PasswordRequired() {
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) return false;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG result = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, (BYTE *)&value, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && value != 0;
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
