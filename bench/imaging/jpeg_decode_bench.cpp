// Milliseconds to decode a photo-like JPEG into the packed bitmap the show
// draws, as a picture's item starts: 1080p and 4K.
#include <algorithm>
#include <cstdio>

#include "imaging/jpeg_decode.h"
#include "support/test_jpeg.h"
#include "support/window_canvas.h"

using namespace testing_support;

int main() {
    for (auto size : {std::pair<int, int>{1920, 1080}, {3840, 2160}}) {
        HGLOBAL jpeg = GlobalCopy(TestJpeg(size.first, size.second, 90));
        double best = 1e9, total = 0;
        const int runs = 10;
        for (int i = 0; i < runs; ++i) {
            LARGE_INTEGER from, to, frequency;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&from);
            HGLOBAL dib = DecodeJpegToDib(jpeg);
            QueryPerformanceCounter(&to);
            GlobalFree(dib);
            const double ms = double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
            best = std::min(best, ms);
            total += ms;
        }
        std::printf("decode %dx%d JPEG (%lu KB): %.1f ms mean, %.1f ms best (goal for 1080p: 60 ms)\n", size.first,
                    size.second, (unsigned long)(GlobalSize(jpeg) / 1024), total / runs, best);
        GlobalFree(jpeg);
    }
    return 0;
}
