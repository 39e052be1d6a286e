// Milliseconds per call of the drawing built-ins that do the most work, on
// a real window the size of the test display: a full-screen gradient (256
// brushes), a full-screen ellipse, a paragraph, a 640 x 480 photo-like
// picture on a true-colour display and on a 256-colour one (where every
// call converts a copy to the fixed palette), and a saved and restored area.
#include <cstdio>
#include <string>

#include "drawing_applet.h"
#include "imaging/dib.h"
#include "support/test_support.h"
#include "bench_clock.h"

using namespace testing_support;

namespace {

// A picture whose colours change at every pixel, as a photograph's do.
Bytes Photo(int width, int height) {
    Bytes dib = TestDib(width, height, 24);
    const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *p = &dib[sizeof(BITMAPINFOHEADER) + size_t(y) * row + size_t(x) * 3];
            p[0] = uint8_t(x * 7 + y), p[1] = uint8_t(x ^ y), p[2] = uint8_t(y * 5 + x / 3);
        }
    return dib;
}

// Runs `statement` `calls` times in one applet; milliseconds per call.
double PerCall(DrawingApplet &canvas, const std::string &statement, int calls) {
    std::string script = "declareint(@i)\r\n:again\r\n" + statement + "\r\ninc(@i)\r\nif(islessthan(@i," +
                         std::to_string(calls) + "),:again)\r\n";
    const double from = Now();
    const int result = canvas.Run(script);
    const double elapsed = Now() - from;
    if (result != -1) std::printf("  (%s stopped: %s)\n", statement.c_str(), APPLETError(&canvas.applet()));
    return elapsed / calls;
}

}  // namespace

int main() {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    DrawingApplet canvas(width, height);
    const Bytes photo = Photo(640, 480);
    canvas.runner().AddPicture(1, photo.data(), photo.size());
    const std::string w = std::to_string(width), h = std::to_string(height);
    std::printf("drawing built-ins on %sx%s, ms per call:\n", w.c_str(), h.c_str());
    std::printf("  drawgradient full screen   %.2f\n",
                PerCall(canvas, "drawgradient(0,16777215,0,0," + w + "," + h + ",1)", 100));
    std::printf("  fillellipse full screen    %.2f\n", PerCall(canvas, "fillellipse(0,0," + w + "," + h + ")", 100));
    std::string words;
    for (int i = 0; i < 60; ++i) words += "words ";
    std::printf("  paragraphtext 60 words     %.2f\n",
                PerCall(canvas, "paragraphtext(\"" + words + "\",0,0,400,0,4)", 100));
    std::printf("  drawpicture 640x480, 24-bit display  %.2f\n", PerCall(canvas, "drawpicture(1,10,10)", 50));
    std::printf("  drawpicture 640x480, transparent     %.2f\n", PerCall(canvas, "drawpicture(1,10,10,0,0)", 50));
    devicebits = 8;
    std::printf("  drawpicture 640x480, 8-bit dithered  %.2f\n", PerCall(canvas, "drawpicture(1,10,10)", 20));
    std::printf("  drawpicture 640x480, 8-bit remapped  %.2f\n", PerCall(canvas, "drawpicture(1,10,10,1)", 20));
    devicebits = 24;
    std::printf("  save and restore 200x200 area        %.2f\n",
                PerCall(canvas, "savescreenarea(0,0,199,199)\r\nrestorescreenarea(10,10)", 200));
    return 0;
}
