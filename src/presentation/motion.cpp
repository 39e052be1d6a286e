// Pan and zoom of a holding picture. The picture's visible part is copied
// once into a 32-bit buffer when the cycle is set up; each step zooms it
// into a second buffer for the time elapsed since the hold began (by the
// clock, so a slow machine shows fewer steps and the motion still lasts
// the hold) and blits that over the picture. The zoom is about a point inside the picture and never
// less than 100 %, so every frame covers exactly the picture's area.
#include "presentation/motion.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

#include "imaging/dib.h"
#include "presentation/effect_common.h"
#include "presentation/resample.h"
#include "presentation/timers.h"

namespace {

struct MOTION {
    RECT area;  // the picture's part on the window, in picture coordinates
    int w, h;
    HDC memory;   // holds `out`, for the blits
    HGDIOBJ old;  // the memory context's own bitmap
    Surface source, out;
    void *work;
    double focusx, focusy;  // in `area`
    bool zoomin;            // 100 % -> 112 %, else 112 % -> 100 %
    bool started, made, faster;
    LONGLONG start, length;
    HGLOBAL picture, first;  // while the appear is set up: the show's picture, and the first frame in its place
};

double lastScale = 1;

void Make(MOTION *motion, double scale) {
    Zoom(motion->source.bits, motion->out.bits, motion->w, motion->h, scale, motion->focusx, motion->focusy,
         motion->work);
    motion->made = true;
    lastScale = scale;
}

// The whole picture as a bottom-up 32-bit DIB section, laid out as a
// packed 32-bit picture's rows are; null when it cannot be made.
HBITMAP WholePicture(HDC dc, HGLOBAL picture, DIBLAYOUT *layout, uint32_t **bits) {
    const void *locked = picture ? GlobalLock(picture) : nullptr;
    HBITMAP whole = nullptr;
    if (locked && GetDibLayout(locked, GlobalSize(picture), layout)) {
        BITMAPINFO info = {};
        info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), layout->width, layout->height, 1, 32, BI_RGB,
                                          0, 0, 0, 0, 0};
        void *pixels = nullptr;
        whole = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (whole && SetDIBits(dc, whole, 0, UINT(layout->height), (const BYTE *)locked + layout->pixels,
                               (const BITMAPINFO *)locked, DIB_RGB_COLORS) != layout->height) {
            DeleteObject(whole);
            whole = nullptr;
        }
        *bits = (uint32_t *)pixels;
    }
    if (locked) GlobalUnlock(picture);
    return whole;
}

// A packed 32-bit picture of the pixels of `whole`.
HGLOBAL PackedPicture(const DIBLAYOUT &layout, const uint32_t *bits) {
    const SIZE_T pixels = SIZE_T(layout.width) * SIZE_T(layout.height) * 4;
    HGLOBAL packed = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + pixels);
    BYTE *target = packed ? (BYTE *)GlobalLock(packed) : nullptr;
    if (!target) {
        if (packed) GlobalFree(packed);
        return nullptr;
    }
    const BITMAPINFOHEADER header = {sizeof header, layout.width, layout.height, 1, 32, BI_RGB, DWORD(pixels), 0, 0, 0, 0};
    std::memcpy(target, &header, sizeof header);
    std::memcpy(target + sizeof header, bits, pixels);
    GlobalUnlock(packed);
    return packed;
}

// Copies the frame made into the picture's bitmap, over its visible part.
void IntoBitmap(STATUS *status, MOTION *motion) {
    HDC picture = CreateCompatibleDC(status->dc);
    HGDIOBJ old = picture && status->bitmap ? SelectObject(picture, status->bitmap) : nullptr;
    if (old) {
        BitBlt(picture, motion->area.left, motion->area.top, motion->w, motion->h, motion->memory, 0, 0, SRCCOPY);
        SelectObject(picture, old);
    }
    if (picture) DeleteDC(picture);
}

// The buffers for the picture's part inside the window, `source` filled
// from `whole`, the picture in memory context `from`.
MOTION *NewMotion(STATUS *status, const RECT &area, HDC from) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    const size_t workbytes = ZoomWorkBytes(w, h);
    void *memory = workbytes ? std::calloc(1, sizeof(MOTION)) : nullptr;
    if (!memory) return nullptr;
    MOTION *motion = new (memory) MOTION{};
    status->motion = motion;
    motion->area = area;
    motion->w = w;
    motion->h = h;
    motion->work = std::calloc(1, workbytes);
    motion->memory = CreateCompatibleDC(status->dc);
    if (!motion->work || !motion->memory || !MakeSurface(status->dc, w, h, &motion->source) ||
        !MakeSurface(status->dc, w, h, &motion->out))
        return nullptr;
    motion->old = SelectObject(motion->memory, motion->source.bitmap);
    BitBlt(motion->memory, 0, 0, w, h, from, area.left, area.top, SRCCOPY);
    SelectObject(motion->memory, motion->out.bitmap);
    GdiFlush();  // the buffers are read directly from here on
    return motion;
}

// Animations play in child windows over the picture: the blits leave
// their areas out, so they are not painted over 60 times a second.
BOOL CALLBACK LeaveOutChild(HWND child, LPARAM dc) {
    if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) return TRUE;
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), (POINT *)&r, 2);
    ExcludeClipRect((HDC)dc, r.left, r.top, r.right, r.bottom);
    return TRUE;
}

double RandomShare() { return double(std::rand()) / double(RAND_MAX); }

// Draws where the zoom goes and which way; zooming out, the first frame
// (at 112 %) goes into `whole` and from there into the picture that the
// appear effect is set up from.
void ChooseMotion(STATUS *status, MOTION *motion, HDC whole, const DIBLAYOUT &layout, const uint32_t *bits) {
    // The point lies in the middle three fifths, so the motion is seen to go somewhere.
    motion->focusx = motion->w * (0.2 + 0.6 * RandomShare());
    motion->focusy = motion->h * (0.2 + 0.6 * RandomShare());
    motion->zoomin = std::rand() % 2 == 0;
    lastScale = 1;
    if (motion->zoomin) return;
    Make(motion, MOTION_ZOOM);
    BitBlt(whole, motion->area.left, motion->area.top, motion->w, motion->h, motion->memory, 0, 0, SRCCOPY);
    GdiFlush();
    motion->first = PackedPicture(layout, bits);
    if (!motion->first) return;  // the appear brings the picture itself on: a small jump, not a failure
    motion->picture = status->picture;
    status->picture = motion->first;
}

}  // namespace

void BeginMotion(STATUS *status) {
    ReleaseMotion(status);
    if (!status->panzoom || status->holdtime <= 0 || !status->picture) return;
    if (GetDeviceCaps(status->dc, BITSPIXEL) * GetDeviceCaps(status->dc, PLANES) <= 8) return;
    DIBLAYOUT layout = {};
    uint32_t *bits = nullptr;
    HBITMAP whole = WholePicture(status->dc, status->picture, &layout, &bits);
    HDC from = whole ? CreateCompatibleDC(status->dc) : nullptr;
    HGDIOBJ old = from ? SelectObject(from, whole) : nullptr;
    RECT window = {}, area = {status->x, status->y, status->x + layout.width, status->y + layout.height};
    GetClientRect(status->window, &window);
    if (old && IntersectRect(&area, &area, &window)) {
        OffsetRect(&area, -status->x, -status->y);
        if (MOTION *motion = NewMotion(status, area, from))
            ChooseMotion(status, motion, from, layout, bits);
        else
            ReleaseMotion(status);
    }
    if (old) SelectObject(from, old);
    if (from) DeleteDC(from);
    if (whole) DeleteObject(whole);
}

void MotionSetUp(STATUS *status) {
    MOTION *motion = (MOTION *)status->motion;
    if (!motion || !motion->first) return;
    status->picture = motion->picture;
    GlobalFree(motion->first);
    motion->first = motion->picture = nullptr;
}

void StepMotion(STATUS *status) {
    MOTION *motion = (MOTION *)status->motion;
    if (!motion) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (!motion->started) {
        // The appear has just put the first frame on the screen.
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        motion->start = now.QuadPart;
        motion->length = LONGLONG(status->holdtime) * (frequency.QuadPart > 0 ? frequency.QuadPart : 1);
        motion->started = true;
        motion->faster = StepInterval(unsigned(status->speed)) > MOTION_STEP_MS;
        if (motion->faster) SetTimer(status->window, IDT_STEP, MOTION_STEP_MS, nullptr);
        return;
    }
    const LONGLONG elapsed = now.QuadPart - motion->start;
    const double progress = elapsed >= motion->length ? 1.0 : double(elapsed) / double(motion->length);
    Make(motion, motion->zoomin ? 1 + (MOTION_ZOOM - 1) * progress : MOTION_ZOOM - (MOTION_ZOOM - 1) * progress);
    EnumChildWindows(status->window, LeaveOutChild, LPARAM(status->dc));
    BitBlt(status->dc, status->x + motion->area.left, status->y + motion->area.top, motion->w, motion->h,
           motion->memory, 0, 0, SRCCOPY);
    SelectClipRgn(status->dc, nullptr);
}

void EndMotion(STATUS *status) {
    MOTION *motion = (MOTION *)status->motion;
    if (!motion) return;
    if (motion->made) IntoBitmap(status, motion);
    if (motion->faster) SetTimer(status->window, IDT_STEP, StepInterval(unsigned(status->speed)), nullptr);
    ReleaseMotion(status);
}

void ReleaseMotion(STATUS *status) {
    MOTION *motion = (MOTION *)status->motion;
    if (!motion) return;
    MotionSetUp(status);
    if (motion->old) SelectObject(motion->memory, motion->old);
    if (motion->memory) DeleteDC(motion->memory);
    for (Surface *surface : {&motion->source, &motion->out})
        if (surface->bitmap) DeleteObject(surface->bitmap);
    std::free(motion->work);
    motion->~MOTION();
    std::free(motion);
    status->motion = nullptr;
}

double MotionLastScale() { return lastScale; }
