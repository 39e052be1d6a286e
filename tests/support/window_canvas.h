// A real window on the test display to draw in and read pixels back from.
#pragma once

#include <windows.h>

#include <vector>

#include "content/writer.h"

namespace testing_support {

class TestWindow {
public:
    TestWindow(int width, int height, COLORREF background);
    ~TestWindow();
    TestWindow(const TestWindow &) = delete;
    TestWindow &operator=(const TestWindow &) = delete;
    HWND window() const { return window_; }
    HDC dc() const { return dc_; }
    HBRUSH brush() const { return brush_; }
    void Clear();
    // The window's pixels in the area, row by row.
    std::vector<COLORREF> Capture(int x, int y, int w, int h) const;
    // Removes the posted IDT_CYCLEDONE messages; how many there were.
    int TakeCycleDone();

private:
    HWND window_;
    HDC dc_;
    HBRUSH brush_;
    int width_, height_;
};

// The pixels of an area of a device context, row by row.
std::vector<COLORREF> CaptureArea(HDC dc, int x, int y, int w, int h);

// The colour of pixel (x, y) of a 24-bit packed bitmap held in bytes.
COLORREF DibColour(const Bytes &dib, int x, int y);
// The pixels of a 24-bit packed bitmap, row by row from the top.
std::vector<COLORREF> DibColours(const Bytes &dib);
// A 24-bit packed bitmap held in bytes, repacked at 16 (5-5-5), 24 or 32
// bits behind a header of `headersize` bytes (40, or 108 and 124 for the
// longer ones), as GDI draws pictures.
Bytes RepackedDib(const Bytes &dib, unsigned bits, uint32_t headersize);
// Whether every channel of every pixel differs by no more than `tolerance`.
bool ColoursNear(const std::vector<COLORREF> &a, const std::vector<COLORREF> &b, int tolerance);
// A movable block holding the bytes.
HGLOBAL GlobalCopy(const Bytes &bytes);

}  // namespace testing_support
