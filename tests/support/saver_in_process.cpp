// The saver window run inside the test program.
#include "support/saver_in_process.h"

#include "shell/globals.h"
#include "shell/saver_window.h"
#include "shell/session.h"

namespace testing_support {

namespace {

const char *SaverClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = ScreenSaverProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
        cls.lpszClassName = "MarrowlightTestSaver";
        RegisterClassA(&cls);
        registered = true;
    }
    return "MarrowlightTestSaver";
}

}  // namespace

SaverInProcess::SaverInProcess(const Bytes &show) {
    hInst = GetModuleHandleA(nullptr);
    file_.Write(show);
    window_ = CreateWindowExA(0, SaverClass(), szSaverAppName, WS_POPUP | WS_VISIBLE, 0, 0,
                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                              hInst, nullptr);
    hMainWindow = window_;
    loaded_ = LoadSession(window_, file_.path()) == 1;
}

SaverInProcess::~SaverInProcess() {
    DestroyWindow(window_);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}  // the quit message the window posts
}

int SaverInProcess::Run(DWORD ms) {
    int advances = 0;
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (int(end - GetTickCount()) > 0) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_TIMER && msg.hwnd == window_ && msg.wParam == IDT_ADVANCE) ++advances;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return advances;
}

double SaverInProcess::ThreadCpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0; };
    return ms(kernel) + ms(user);
}

}  // namespace testing_support
