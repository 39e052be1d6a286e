// The real player run as the host runs it: a copy with a show appended,
// started with a switch, its saver window found, its exit code read, and
// the screen it paints read back.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"
#include "support/window_canvas.h"

namespace testing_support {

constexpr DWORD kPatience = 10000;  // ms a process may take to answer
inline const int kScreenWide = GetSystemMetrics(SM_CXSCREEN);
inline const int kScreenDeep = GetSystemMetrics(SM_CYSCREEN);

// Serves what the player's windows send to this thread's windows (an owner
// is disabled and enabled again) until `condition` holds or `ms` pass.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD ms = kPatience) {
    for (DWORD waited = 0; waited < ms; waited += 10) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (condition()) return true;
        Sleep(10);
    }
    return condition();
}

inline std::string WindowText(HWND window) {
    char text[1200] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

// A copy of the player, with or without a show appended to it.
class Player {
public:
    explicit Player(const Bytes &show = Bytes()) {
        Bytes program = ReadFileBytes(PlayerPath());
        file_.Write(show.empty() ? program : show);
    }
    static Bytes WithShow(ShowWriter writer) { return writer.Build(ReadFileBytes(PlayerPath())); }
    const char *path() const { return file_.path(); }

private:
    TempFile file_;
};

class Process {
public:
    Process(const char *program, const std::string &tail) {
        // An empty tail gives the bare quoted name, as the host's "Configure" runs it.
        std::string line = std::string("\"") + program + "\"" + (tail.empty() ? "" : " " + tail);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
    }
    ~Process() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    bool started() const { return started_; }
    DWORD id() const { return info_.dwProcessId; }
    // The exit code, or -1 when the process is still running after `ms`.
    long ExitCode(DWORD ms = kPatience) const {
        if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return long(code);
    }
    // Processor time the process has used so far, in milliseconds.
    double CpuMilliseconds() const {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(info_.hProcess, &created, &exited, &kernel, &user);
        auto ms = [](FILETIME t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0; };
        return ms(kernel) + ms(user);
    }
    // The process's saver window, once it exists.
    HWND SaverWindow(DWORD ms = kPatience) const { return Window("WindowsScreenSaverClass", nullptr, ms); }
    // A visible top-level window of the class `cls` ("#32770": a dialog) of
    // the process, owned by `owner` when one is given; none once the process
    // has ended. A first start in a fresh Wine prefix may take long.
    HWND Window(const char *cls, HWND owner = nullptr, DWORD ms = 3 * kPatience) const {
        HWND found = nullptr;
        PumpUntil([&] {
            for (HWND window = nullptr; !found && (window = FindWindowExA(nullptr, window, cls, nullptr));) {
                DWORD id = 0;
                GetWindowThreadProcessId(window, &id);
                if (id == info_.dwProcessId && IsWindowVisible(window) && (!owner || GetWindow(window, GW_OWNER) == owner))
                    found = window;
            }
            return found || ExitCode(0) != -1;
        }, ms);
        return found;
    }

private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

// The player playing with /s, the bare one or one with a show, ended with a
// key when the object goes.
class Playing {
public:
    explicit Playing(const Bytes &program = Bytes()) : player_(program), process_(player_.path(), "/s") {
        window_ = process_.SaverWindow();
    }
    explicit Playing(ShowWriter writer) : Playing(Player::WithShow(std::move(writer))) {}
    ~Playing() {
        if (window_) PostMessageA(window_, WM_KEYDOWN, VK_SPACE, 0);
        process_.ExitCode();
    }
    HWND window() const { return window_; }
    const Process &process() const { return process_; }

private:
    Player player_;
    Process process_;
    HWND window_ = nullptr;
};

inline COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD ms = kPatience) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}

// Waits until the screen's centre shows `colour`.
inline bool CentreTurns(COLORREF colour, DWORD ms = kPatience) {
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    return WaitFor([&] { return ScreenPixel(x, y) == colour; }, ms);
}

// The screen's pixels in the area, row by row.
inline std::vector<COLORREF> ScreenArea(int x, int y, int w, int h) {
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels = CaptureArea(screen, x, y, w, h);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace testing_support
