// An applet drawing on a real window on the test display: scripts run in
// it line by line and the window's pixels are read back.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "script_runner.h"
#include "support/window_canvas.h"

namespace testing_support {

// Script lines joined as the engine reads them.
inline std::string Script(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string &line : lines) text += line + "\r\n";
    return text;
}

// A number as a script writes it.
inline std::string N(long long value) { return std::to_string(value); }

// What the last built-in delivered, also when it raised an error.
inline int Delivered() { return int(returnvalue.value); }

class DrawingApplet {
public:
    explicit DrawingApplet(int width = 320, int height = 240, COLORREF background = RGB(0, 0, 0))
        : canvas_(width, height, background), runner_(canvas_.window()) {}

    // Starts the script and runs it to its end, error or `limit` lines; the
    // last line's result (-1 at the end).
    int Run(const std::string &script, int limit = 100000) {
        if (!runner_.Start(script)) return -2;
        return runner_.Run(limit);
    }
    APPLET &applet() { return runner_.applet(); }
    ScriptRunner &runner() { return runner_; }
    TestWindow &canvas() { return canvas_; }
    HWND window() const { return canvas_.window(); }

    // Paints the whole window in its background colour again.
    void Clear() { canvas_.Clear(); }
    COLORREF Pixel(int x, int y) const { return canvas_.Capture(x, y, 1, 1)[0]; }
    std::vector<COLORREF> Area(int x, int y, int w, int h) const { return canvas_.Capture(x, y, w, h); }

private:
    TestWindow canvas_;
    ScriptRunner runner_;
};

}  // namespace testing_support
