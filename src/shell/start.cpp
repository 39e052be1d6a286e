// Start-up: the four modes the host can ask for.
#include "shell/start.h"

#include "animation/animation.h"
#include "content/loader.h"
#include "shell/commandline.h"
#include "shell/globals.h"
#include "shell/information_dialog.h"
#include "shell/live_show.h"
#include "shell/monitor_windows.h"
#include "shell/preview.h"
#include "shell/saver_window.h"
#include "shell/session.h"
#include "shell/settings_dialog.h"

namespace {

const char kSaverClass[] = "WindowsScreenSaverClass";
constexpr DWORD kSaverStyle = WS_POPUP | WS_VISIBLE;

int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return int(msg.wParam);
}

bool RegisterSaverClass(HINSTANCE instance) {
    WNDCLASSA cls = {};
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = ScreenSaverProc;
    cls.hInstance = instance;
    cls.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SAVER));
    cls.hCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_INVISIBLE));
    cls.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    cls.lpszClassName = kSaverClass;
    return RegisterClassA(&cls) != 0;
}

// This program's own path in the code page the show's file functions take.
// A folder named outside that code page (an Ünïcødé or 写真 folder on a
// Western system) is reached by its short name, which is ASCII; without
// one the path is read as the system converts it.
void OwnPath(char (&path)[MAX_PATH]) {
    wchar_t wide[MAX_PATH] = {}, shortened[MAX_PATH] = {};
    BOOL lost = FALSE;
    const DWORD length = GetModuleFileNameW(hInst, wide, MAX_PATH);
    if (length > 0 && length < MAX_PATH &&
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, path, MAX_PATH, nullptr, &lost) && !lost)
        return;
    const DWORD shortlength = length > 0 && length < MAX_PATH ? GetShortPathNameW(wide, shortened, MAX_PATH) : 0;
    lost = FALSE;
    if (shortlength > 0 && shortlength < MAX_PATH &&
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortened, -1, path, MAX_PATH, nullptr, &lost) && !lost)
        return;
    GetModuleFileNameA(hInst, path, MAX_PATH);
}

// The show of this program's own file. When it cannot be loaded the window
// keeps no content and only waits for input. The bare player, with no show
// appended, plays the photo folders its settings name.
void LoadOwnShow(HWND window) {
    char path[MAX_PATH] = {};
    OwnPath(path);
    if (ShowAppended(path))
        LoadSession(window, path);
    else
        LoadLiveSession(window);
}

// 's': the show, full-screen and top-most on the primary monitor, the other
// monitors covered in black, until input closes it.
int RunSaver(HINSTANCE instance) {
    if (!RegisterSaverClass(instance)) return 0;
    InitializeAnimation();  // without it the show runs, only without animations
    HWND window = CreateWindowExA(0, kSaverClass, szSaverAppName, kSaverStyle, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                  nullptr, instance, nullptr);
    if (!window) {
        DeinitializeAnimation();
        UnregisterClassA(kSaverClass, instance);
        return 0;
    }
    hMainWindow = window;
    LayOutMonitors(window, MonitorWindowProc);
    LoadOwnShow(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    const int result = RunMessageLoop();
    ReleaseMonitorWindows(instance);  // the windows went with the saver window
    DeinitializeAnimation();
    UnregisterClassA(kSaverClass, instance);
    return result;
}

// The header alone, for the information dialog and the preview.
int LoadHeader(BLOCK *header) {
    char path[MAX_PATH] = {};
    OwnPath(path);
    return LoadHeaderBlock(nullptr, header, path, nullptr);
}

// 'c', and the empty command line of the host's "Configure": the information
// dialog; nothing shows when the header cannot be read.
int RunInformationDialog(HINSTANCE instance) {
    BLOCK header = {};
    if (!LoadHeader(&header)) {
        DestroyBlock(&header);  // whatever a half-read header holds
        return 0;
    }
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INFORMATION), nullptr, ScreenSaverConfigureDialog,
                    (LPARAM)&header);
    DestroyBlock(&header);
    return 0;
}

bool IsBarePlayer() {
    char path[MAX_PATH] = {};
    OwnPath(path);
    return !ShowAppended(path);
}

// 'c' and the empty command line: the bare player's photo settings, owned
// by the window the host names, else the foreground window; a player with a
// show keeps the show's information dialog.
int RunConfigure(HINSTANCE instance, const char *tail) {
    if (!IsBarePlayer()) return RunInformationDialog(instance);
    HWND owner = WindowFromCommandLine(tail);
    RunSettingsDialog(instance, owner && IsWindow(owner) ? owner : GetForegroundWindow());
    return 0;
}

// The bare player's preview: its photo folders play in the host's window.
int RunLivePreview(HINSTANCE instance, HWND parent, const RECT &r) {
    if (!RegisterPreviewClass(instance, LivePreviewProc)) return 0;
    HWND window = CreateWindowExA(0, PreviewClassName(), szSaverAppName, WS_CHILD | WS_VISIBLE, 0, 0,
                                  r.right - r.left, r.bottom - r.top, parent, nullptr, instance, nullptr);
    const int result = window ? RunMessageLoop() : 0;
    UnregisterPreviewClass(instance);
    return result;
}

// 'p' and 'l': a child filling the host's window, until the host destroys it.
int RunPreview(HINSTANCE instance, const char *tail) {
    HWND parent = WindowFromCommandLine(tail);
    if (!parent) return 0;
    RECT r = {};
    GetWindowRect(parent, &r);
    if (IsBarePlayer()) return RunLivePreview(instance, parent, r);
    if (!RegisterPreviewClass(instance)) return 0;
    BLOCK header = {};
    const int loaded = LoadHeader(&header);
    if (loaded) DitherPreviewForDisplay(&header);
    HWND window = CreateWindowExA(0, PreviewClassName(), szSaverAppName, WS_CHILD | WS_VISIBLE, 0, 0,
                                  r.right - r.left, r.bottom - r.top, parent, nullptr, instance,
                                  loaded ? &header : nullptr);
    const int result = window ? RunMessageLoop() : 0;
    DestroyBlock(&header);
    UnregisterPreviewClass(instance);
    return result;
}

// 'a': the host's password-change dialog, from MPR.DLL.
int RunPasswordChange(const char *tail) {
    typedef DWORD(WINAPI * PwdChangePasswordProc)(LPCSTR, HWND, DWORD, void *);
    HWND owner = WindowFromCommandLine(tail);
    if (!owner) owner = GetForegroundWindow();
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (!library) {
        MessageBoxA(owner, "Error loading library", "Message", MB_ICONINFORMATION);
        return 0;
    }
    auto change = (PwdChangePasswordProc)(void *)GetProcAddress(library, "PwdChangePasswordA");
    if (change)
        change("SCRSAVE", owner, 0, nullptr);
    else
        MessageBoxA(owner, "Damaged library", "Message", MB_ICONINFORMATION);
    FreeLibrary(library);
    return 0;
}

}  // namespace

int CreateScreenSaverWindow(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
    switch (SaverSwitch(tail)) {
        case 's': return RunSaver(instance);
        case 'c': return RunConfigure(instance, tail);
        case 'p':
        case 'l': return RunPreview(instance, tail);
        case 'a': return RunPasswordChange(tail);
        default: return 0;
    }
}
