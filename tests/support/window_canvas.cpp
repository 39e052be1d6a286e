// A real window on the test display to draw in and read pixels back from.
#include "support/window_canvas.h"

#include <cstring>

#include "shell/messages.h"

namespace testing_support {

namespace {

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;  // the test paints the background itself
    return DefWindowProcA(window, message, wParam, lParam);
}

const char *CanvasClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = CanvasProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "MarrowlightTestCanvas";
        RegisterClassA(&cls);
        registered = true;
    }
    return "MarrowlightTestCanvas";
}

}  // namespace

TestWindow::TestWindow(int width, int height, COLORREF background) : width_(width), height_(height) {
    window_ = CreateWindowExA(WS_EX_TOPMOST, CanvasClass(), "canvas", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    dc_ = GetDC(window_);
    brush_ = CreateSolidBrush(background);
    Clear();
}

TestWindow::~TestWindow() {
    ReleaseDC(window_, dc_);
    DeleteObject(brush_);
    DestroyWindow(window_);
}

void TestWindow::Clear() {
    RECT all = {0, 0, width_, height_};
    FillRect(dc_, &all, brush_);
}

std::vector<COLORREF> TestWindow::Capture(int x, int y, int w, int h) const { return CaptureArea(dc_, x, y, w, h); }

int TestWindow::TakeCycleDone() {
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE))
        if (msg.wParam == IDT_CYCLEDONE) ++count;
    return count;
}

std::vector<COLORREF> CaptureArea(HDC dc, int x, int y, int w, int h) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD *bits = nullptr;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void **)&bits, nullptr, 0);
    // When GDI has no room left, every pixel reads as invalid.
    std::vector<COLORREF> pixels(size_t(w) * h, CLR_INVALID);
    HGDIOBJ old = memory && section ? SelectObject(memory, section) : nullptr;
    if (old) {
        BitBlt(memory, 0, 0, w, h, dc, x, y, SRCCOPY);
        GdiFlush();
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = RGB(GetBValue(bits[i]), GetGValue(bits[i]), GetRValue(bits[i]));
        SelectObject(memory, old);
    }
    if (section) DeleteObject(section);
    if (memory) DeleteDC(memory);
    return pixels;
}

COLORREF DibColour(const Bytes &dib, int x, int y) {
    DIBHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    const size_t row = DibRowBytes(header.biWidth, 24);
    const uint8_t *p = &dib[DIBHEADER_SIZE + (header.biHeight - 1 - y) * row + 3 * x];
    return RGB(p[2], p[1], p[0]);
}

std::vector<COLORREF> DibColours(const Bytes &dib) {
    DIBHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < header.biHeight; ++y)
        for (int x = 0; x < header.biWidth; ++x) pixels.push_back(DibColour(dib, x, y));
    return pixels;
}

Bytes RepackedDib(const Bytes &dib, unsigned bits, uint32_t headersize) {
    DIBHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    const uint32_t row = DibRowBytes(header.biWidth, bits);
    Bytes out(headersize + size_t(row) * header.biHeight, 0);
    header.biSize = headersize;
    header.biBitCount = uint16_t(bits);
    header.biSizeImage = row * header.biHeight;
    header.biClrUsed = header.biClrImportant = 0;
    std::memcpy(out.data(), &header, sizeof header);
    for (int y = 0; y < header.biHeight; ++y)
        for (int x = 0; x < header.biWidth; ++x) {
            const COLORREF c = DibColour(dib, x, y);
            uint8_t *p = &out[headersize + size_t(header.biHeight - 1 - y) * row + size_t(x) * bits / 8];
            if (bits == 16) {
                const unsigned v = (GetRValue(c) >> 3) << 10 | (GetGValue(c) >> 3) << 5 | GetBValue(c) >> 3;
                p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
            } else {
                p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
            }
        }
    return out;
}

bool ColoursNear(const std::vector<COLORREF> &a, const std::vector<COLORREF> &b, int tolerance) {
    if (a.size() != b.size()) return false;
    auto within = [tolerance](int u, int v) { return u - v <= tolerance && v - u <= tolerance; };
    for (size_t i = 0; i < a.size(); ++i)
        if (!within(GetRValue(a[i]), GetRValue(b[i])) || !within(GetGValue(a[i]), GetGValue(b[i])) ||
            !within(GetBValue(a[i]), GetBValue(b[i])))
            return false;
    return true;
}

HGLOBAL GlobalCopy(const Bytes &bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

}  // namespace testing_support
