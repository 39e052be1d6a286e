// Milliseconds to put a 12 MP photo's fitted picture on its blurred
// backdrop at 1920x1080 and 3840x2160, landscape and portrait, and to
// compose a pair of portraits at 1920x1080: the work a photo's item adds
// beyond the fit. Each is timed as the player calls it, making a new
// bitmap, and the backdrop also drawn into a bitmap already written once:
// the first touch of a new bitmap's pages, which some virtual machines make
// slow, is given on its own as the time to write a fresh bitmap once.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "imaging/backdrop.h"
#include "imaging/dib.h"
#include "imaging/pair.h"
#include "imaging/scale.h"

namespace {

constexpr int RUNS = 10;

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// The best and the mean time of `run`.
void Time(const char *what, double goal, const std::function<bool()> &run) {
    double best = 1e9, total = 0;
    for (int i = 0; i < RUNS; ++i) {
        const double from = NowMs();
        if (!run()) {
            std::printf("%s: FAILED\n", what);
            return;
        }
        const double ms = NowMs() - from;
        best = std::min(best, ms);
        total += ms;
    }
    std::printf("%s: %.1f ms best, %.1f ms mean", what, best, total / RUNS);
    if (goal > 0) std::printf(" (goal %.0f ms)", goal);
    std::printf("\n");
}

// A w x h photo-like picture: smooth shading with some grain.
HGLOBAL Photo(int w, int h) {
    HGLOBAL dib = CreateDib(w, h, nullptr, 24);
    BYTE *start = dib ? (BYTE *)GlobalLock(dib) : nullptr;
    DIBLAYOUT layout;
    if (start && GetDibLayout(start, GlobalSize(dib), &layout)) {
        unsigned grain = 12345;
        for (int y = 0; y < h; ++y) {
            BYTE *row = DibRow(start, layout, y);
            for (int x = 0; x < w; ++x) {
                grain = grain * 1103515245u + 12345u;
                const int noise = int(grain >> 28) - 8;
                row[3 * x] = BYTE(std::clamp(40 + 180 * x / w + noise, 0, 255));
                row[3 * x + 1] = BYTE(std::clamp(200 - 150 * y / h + noise, 0, 255));
                row[3 * x + 2] = BYTE(std::clamp(60 + 120 * (x + y) / (w + h) + noise, 0, 255));
            }
        }
    }
    if (start) GlobalUnlock(dib);
    return dib;
}

// The photo fitted into wide x deep, as the picture worker makes it.
HGLOBAL Fitted(HGLOBAL photo, int w, int h, int wide, int deep) {
    RECT part;
    SIZE size;
    return FitPicture(w, h, wide, deep, SCRF_FIT, &part, &size) ? ScaleDib(photo, &part, int(size.cx), int(size.cy)) : 0;
}

bool Made(HGLOBAL dib) {
    if (dib) GlobalFree(dib);
    return dib != 0;
}

// Writes a fresh screen-size bitmap once.
bool WriteFresh(int wide, int deep) {
    HGLOBAL dib = CreateDib(wide, deep, nullptr, 24);
    BYTE *bytes = dib ? (BYTE *)GlobalLock(dib) : nullptr;
    if (bytes) {
        FillMemory(bytes + sizeof(BITMAPINFOHEADER), GlobalSize(dib) - sizeof(BITMAPINFOHEADER), 7);
        GlobalUnlock(dib);
    }
    return Made(dib) && bytes;
}

void Backdrops(int pw, int ph, const char *shape, int wide, int deep) {
    HGLOBAL photo = Photo(pw, ph), fitted = photo ? Fitted(photo, pw, ph, wide, deep) : 0, screen = CreateDib(wide, deep, nullptr, 24);
    PICTUREROWS rows;
    BYTE *target = screen ? (BYTE *)GlobalLock(screen) : nullptr;
    DIBLAYOUT out;
    if (target && GetDibLayout(target, GlobalSize(screen), &out) && LockPictureRows(fitted, &rows)) {
        const int x = wide / 2 - rows.width / 2, y = deep / 2 - rows.height / 2;
        char what[160];
        std::snprintf(what, sizeof what, "backdrop of a 12 MP %s photo (%dx%d) at %dx%d, a new bitmap", shape, rows.width,
                      rows.height, wide, deep);
        Time(what, 0, [&] { return Made(MakeBackdrop(fitted, wide, deep, x, y)); });
        std::snprintf(what, sizeof what, "  the same drawn into a bitmap written before");
        Time(what, wide > 1920 ? 80 : 30, [&] {
            return DrawBackdrop(rows.top, rows.stride, rows.width, rows.height, DibRow(target, out, 0),
                                -ptrdiff_t(out.rowbytes), wide, deep, x, y) != 0;
        });
        UnlockPictureRows(&rows);
    }
    if (target) GlobalUnlock(screen);
    for (HGLOBAL dib : {photo, fitted, screen})
        if (dib) GlobalFree(dib);
}

}  // namespace

int main() {
    for (const SIZE screen : {SIZE{1920, 1080}, SIZE{3840, 2160}}) {
        const int wide = int(screen.cx), deep = int(screen.cy);
        char what[80];
        std::snprintf(what, sizeof what, "a fresh %dx%d bitmap written once", wide, deep);
        Time(what, 0, [&] { return WriteFresh(wide, deep); });
        Backdrops(4000, 3000, "landscape", wide, deep);
        Backdrops(3000, 4000, "portrait", wide, deep);
    }
    HGLOBAL portrait = Photo(3000, 4000);
    SIZE half = {0, 0};
    GetPairHalf(1920, 1080, &half);
    HGLOBAL left = portrait ? Fitted(portrait, 3000, 4000, int(half.cx), int(half.cy)) : 0;
    HGLOBAL right = portrait ? Fitted(portrait, 3000, 4000, int(half.cx), int(half.cy)) : 0;
    Time("pair of 12 MP portraits at 1920x1080 on backdrops, a new bitmap", 0,
         [&] { return Made(MakePair(left, right, 1920, 1080, true, 0)); });
    Time("pair of 12 MP portraits at 1920x1080 on black, a new bitmap", 0,
         [&] { return Made(MakePair(left, right, 1920, 1080, false, 0)); });
    for (HGLOBAL dib : {portrait, left, right})
        if (dib) GlobalFree(dib);
    return 0;
}
