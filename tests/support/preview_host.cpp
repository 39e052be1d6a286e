// A stand-in for the host's settings page: a window with a small "monitor"
// in which the player, started with /p and the monitor's handle, draws its
// preview. Closing the window ends the preview. Usage: preview_host PLAYER
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kMonitorWide = 152, kMonitorDeep = 112;  // the host's usual preview size

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHost(HINSTANCE instance) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = HostProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    cls.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    cls.lpszClassName = "MarrowlightPreviewHost";
    if (!RegisterClassA(&cls)) return nullptr;
    return CreateWindowExA(0, cls.lpszClassName, "Screen saver preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, 240, 200, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
    std::string player = tail;
    if (player.size() >= 2 && player.front() == '"' && player.back() == '"') player = player.substr(1, player.size() - 2);
    if (player.empty()) {
        MessageBoxA(nullptr, "Usage: preview_host PLAYER", "Preview host", MB_OK);
        return 2;
    }
    HWND host = CreateHost(instance);
    if (!host) return 1;
    HWND monitor = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 36, 20, kMonitorWide,
                                   kMonitorDeep, host, nullptr, instance, nullptr);
    char line[1024];
    std::snprintf(line, sizeof line, "\"%s\" /p %lu", player.c_str(), (unsigned long)(UINT_PTR)monitor);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(player.c_str(), line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        DestroyWindow(host);
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
