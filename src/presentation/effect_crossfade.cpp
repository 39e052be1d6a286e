// "Crossfade": as an appear, the whole window blends from what is on it to
// the picture placed on the show's background; as a disappear, the
// picture's area blends to the background. So a picture that stays ("No
// Clear") dissolves straight into the next one that comes on this way.
//
// Each step is composed in memory and put on the screen with one blit: the
// "from" image is captured once, the "to" image composed once, and every
// tick blends them into a third buffer for the time elapsed since the fade
// began, so a slow machine shows fewer steps and the fade still lasts as
// long. The buffers live in STATUS.blend and go when the phase ends or the
// status is released.
#include <cstdlib>
#include <initializer_list>
#include <new>

#include "imaging/blend.h"
#include "presentation/effect_common.h"

namespace {

constexpr int kDefaultFadeMs = 1500, kLongestFadeMs = 10000;

int lastWeight = -1;  // of the last step any Crossfade drew, for the tests

struct BLEND {
    ListPhase phase;
    uint32_t cycle;
    RECT area;  // on the window
    int w, h;
    HDC memory;
    HGDIOBJ old;  // the memory context's own bitmap, while one of ours is selected
    Surface from, to, out;
    LONGLONG start, frequency;
};

void Select(BLEND *blend, const Surface &surface) {
    HGDIOBJ previous = SelectObject(blend->memory, surface.bitmap);
    if (!blend->old) blend->old = previous;
}

int FadeMilliseconds(const STATUS *status) {
    if (status->fade <= 0) return kDefaultFadeMs;
    return status->fade < kLongestFadeMs ? status->fade : kLongestFadeMs;
}

// The buffers for `area`, "from" captured from the screen and "to" filled
// with the background (the picture goes on it for an appear); null when
// the area is empty or memory runs out.
BLEND *Begin(STATUS *status, ListPhase phase, const RECT &area) {
    // The fade starts now: making the buffers is part of its time, so that
    // it ends when `fade` says however long that takes.
    LARGE_INTEGER start, frequency;
    QueryPerformanceCounter(&start);
    QueryPerformanceFrequency(&frequency);
    ReleaseBlend(status);
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return nullptr;
    void *memory = std::calloc(1, sizeof(BLEND));
    if (!memory) return nullptr;
    BLEND *blend = new (memory) BLEND{};
    status->blend = blend;
    blend->phase = phase;
    blend->cycle = status->effects.cycle;
    blend->area = area;
    blend->w = w;
    blend->h = h;
    blend->memory = CreateCompatibleDC(status->dc);
    if (!blend->memory || !MakeSurface(status->dc, w, h, &blend->from) || !MakeSurface(status->dc, w, h, &blend->to) ||
        !MakeSurface(status->dc, w, h, &blend->out)) {
        ReleaseBlend(status);
        return nullptr;
    }
    Select(blend, blend->from);
    BitBlt(blend->memory, 0, 0, w, h, status->dc, area.left, area.top, SRCCOPY);
    Select(blend, blend->to);
    RECT all = {0, 0, w, h};
    FillRect(blend->memory, &all, status->backgroundbrush);
    if (phase == ListPhase::Appear) {
        HDC picture = CreateCompatibleDC(status->dc);
        HGDIOBJ old = picture ? SelectObject(picture, status->bitmap) : nullptr;
        if (old) {
            const PictureSize &size = status->effects.crossfade;
            BitBlt(blend->memory, status->x - area.left, status->y - area.top, size.w, size.h, picture, 0, 0,
                   SRCCOPY);
            SelectObject(picture, old);
        }
        if (picture) DeleteDC(picture);
    }
    Select(blend, blend->out);
    GdiFlush();  // the buffers are read directly from here on
    blend->start = start.QuadPart;
    blend->frequency = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    lastWeight = 0;  // the screen shows "from" as it is
    return blend;
}

// The status's buffers when this cycle's `phase` made them.
BLEND *Current(const STATUS *status, ListPhase phase) {
    BLEND *blend = (BLEND *)status->blend;
    return blend && blend->phase == phase && blend->cycle == status->effects.cycle ? blend : nullptr;
}

// Draws the blend for the time elapsed; EFFECT_NEXTPHASE once it is whole.
WORD Step(STATUS *status, BLEND *blend) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const LONGLONG elapsed = now.QuadPart - blend->start;
    const LONGLONG length = LONGLONG(FadeMilliseconds(status)) * blend->frequency / 1000;
    const int t = elapsed >= length ? BLEND_WHOLE : int(elapsed * BLEND_WHOLE / length);
    BlendPixels(blend->from.bits, blend->to.bits, blend->out.bits, size_t(blend->w) * size_t(blend->h), t);
    BitBlt(status->dc, blend->area.left, blend->area.top, blend->w, blend->h, blend->memory, 0, 0, SRCCOPY);
    lastWeight = t;
    if (t < BLEND_WHOLE) return 0;
    ReleaseBlend(status);
    return EFFECT_NEXTPHASE;
}

}  // namespace

void ReleaseBlend(STATUS *status) {
    BLEND *blend = (BLEND *)status->blend;
    if (!blend) return;
    if (blend->old) SelectObject(blend->memory, blend->old);
    if (blend->memory) DeleteDC(blend->memory);
    for (Surface *surface : {&blend->from, &blend->to, &blend->out})
        if (surface->bitmap) DeleteObject(surface->bitmap);
    blend->~BLEND();
    std::free(blend);
    status->blend = nullptr;
}

int CrossfadeLastWeight() { return lastWeight; }

WORD SetupCrossfade(STATUS *status) { return SetupBitmap(status, &status->effects.crossfade); }

WORD AppearCrossfade(STATUS *status) {
    if (BLEND *blend = Current(status, ListPhase::Appear)) return Step(status, blend);
    RECT area = {};
    GetClientRect(status->window, &area);
    if (Begin(status, ListPhase::Appear, area)) return 0;
    // No room for the buffers: the picture comes on at once, as it would have ended.
    FillRect(status->dc, &area, status->backgroundbrush);
    return DrawWholePicture(status, status->effects.crossfade);
}

WORD WaitCrossfade(STATUS *status) { return HoldIsOver(status); }

WORD DisappearCrossfade(STATUS *status) {
    if (BLEND *blend = Current(status, ListPhase::Disappear)) return Step(status, blend);
    PictureSize now = {};
    if (!ReadPictureSize(status, &now)) return EFFECT_NEXTPHASE;
    RECT window = {}, area = {status->x, status->y, status->x + now.w, status->y + now.h};
    GetClientRect(status->window, &window);
    IntersectRect(&area, &area, &window);
    if (Begin(status, ListPhase::Disappear, area)) return 0;
    return ClearWholePicture(status);
}

WORD CloseCrossfade(STATUS *status) { return ReleaseEffect(status); }
