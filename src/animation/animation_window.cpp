// The animation window class: creation at the block's placement, the frame
// timer, and the end that puts the screen back.
//
// States of a window: created -> reset (WM_ANIMRESET) -> armed (WM_ANIMARM,
// a frame timer pending) -> tick (draws the frame, re-arms) -> ... -> ended
// (destroyed after its last pass or by a stop), which restores the screen.
#include <cstring>

#include "animation/animation.h"
#include "applet/objects.h"
#include "imaging/colour_reduction.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/palette.h"

const char AnimationClassName[] = "MarrowlightAnimation";

namespace {

// The largest animation window made: anything claiming more is not played.
constexpr int kMaxAnimSide = 4096;

UINT Delay(DWORD delay) { return delay == 0 ? 1 : delay > 0x7FFFFFFF ? 0x7FFFFFFF : UINT(delay); }

const ANIMHEADER *Header(ANIMSTATE *state) { return (const ANIMHEADER *)AnimData(state); }

bool IsAnimationWindow(HWND window) {
    char name[sizeof AnimationClassName + 1] = {};
    return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, AnimationClassName) == 0;
}

// Sound animation data: a header, a window of sensible size, at least one
// frame, and the whole frame table inside the data.
bool IsPlayable(const void *data, SIZE_T size) {
    if (size < ANIMHEADER_SIZE) return false;
    ANIMHEADER head;
    std::memcpy(&head, data, sizeof head);
    if (head.wide <= 0 || head.deep <= 0 || head.wide > kMaxAnimSide || head.deep > kMaxAnimSide) return false;
    const unsigned long long table = ANIMHEADER_SIZE + (unsigned long long)head.framecount * OBJECTANIMFRAME_SIZE;
    return head.framecount > 0 && table <= size;
}

POINT Placement(const SCRANIM &anim, int w, int h) {
    const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
    switch (anim.placement) {
        case 1: return {anim.x, anim.y};
        case 2: return {W + anim.x - w - 2, anim.y};
        case 3: return {anim.x, H + anim.y - h - 2};
        case 4: return {W + anim.x - w - 2, H + anim.y - h - 2};
        default: return {W / 2 - w / 2 + anim.x, H / 2 - h / 2 + anim.y};
    }
}

// A new record holding a copy of the data; 0 when memory is short.
HGLOBAL NewState(HWND parent, const BLOCK *block, const void *data, SIZE_T size) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ANIMSTATE) + size);
    ANIMSTATE *state = handle ? (ANIMSTATE *)GlobalLock(handle) : nullptr;
    if (!state) {
        if (handle) GlobalFree(handle);
        return nullptr;
    }
    std::memcpy(AnimData(state), data, size);
    state->datasize = size;
    state->tag = TAG_ANIM;
    state->flags = block->anim.flags & ~ANIMF_REMAPPED;
    state->parent = parent;
    state->id = block->sequence;
    state->source = block->data;
    GlobalUnlock(handle);
    return handle;
}

HWND CreateAnimWindow(HWND parent, HGLOBAL handle, const BLOCK *block, const ANIMHEADER &head) {
    ANIMSTATE *state = (ANIMSTATE *)GlobalLock(handle);
    if (!state) return nullptr;
    const POINT at = Placement(block->anim, head.wide, head.deep);
    state->x = at.x;
    state->y = at.y;
    const WORD id = state->id;
    GlobalUnlock(handle);
    HWND window = CreateWindowExA(WS_EX_TRANSPARENT, AnimationClassName, "", WS_CHILD | WS_VISIBLE, at.x, at.y,
                                  head.wide, head.deep, parent, (HMENU)(INT_PTR)AnimationControlId(id),
                                  GetModuleHandleA(nullptr), nullptr);
    if (window) SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)handle);
    return window;
}

// Packed bytes of a bitmap as the conversion counts them.
unsigned long long PackedBytes(const BITMAPINFOHEADER *dib) {
    const unsigned bits = dib->biBitCount;
    return DIBHEADER_SIZE + 4ull * DibColourCount(bits) +
           (unsigned long long)DibRowBytes(uint32_t(dib->biWidth), bits) * uint32_t(dib->biHeight);
}

// The frame reduced to the display palette, with its transparent value
// matched to that palette. When the result fits in the frame's place it
// replaces the frame in the data, and no frame is converted again.
HGLOBAL ConvertForPalette(ANIMSTATE *state, BITMAPINFOHEADER *dib, DWORD index, OBJECTANIMFRAME *record,
                          unsigned long *transparent) {
    HGLOBAL copy = CopyBitmapToHandle(dib);
    if (!copy) return nullptr;
    BYTE palette[768];
    int bits = 0;
    GetDefaultPalette(palette, &bits, PALETTE_DISPLAY);
    HGLOBAL remapped = RemapDib(copy, palette, bits, 0);
    GlobalFree(copy);
    BITMAPINFOHEADER *converted = remapped ? (BITMAPINFOHEADER *)GlobalLock(remapped) : nullptr;
    if (!converted) {
        if (remapped) GlobalFree(remapped);
        return nullptr;
    }
    BYTE own[768];
    const unsigned long t = record->transparent;
    const bool indexed = dib->biBitCount <= 8;
    const int colours = indexed ? GetDibPalette(dib, own) : 0;
    const unsigned long i = indexed && t < (unsigned long)colours ? t : 0;
    const int r = indexed ? own[3 * i] : GetRValue(t), g = indexed ? own[3 * i + 1] : GetGValue(t),
              b = indexed ? own[3 * i + 2] : GetBValue(t);
    *transparent = (unsigned long)FindPaletteColour(r, g, b, palette, 1 << bits);
    DIBLAYOUT original;
    const unsigned long long size = PackedBytes(converted);
    if (GetDibLayout(dib, state->datasize - record->offset, &original) && size <= PackedBytes(dib) &&
        size <= original.bytes) {
        std::memcpy(dib, converted, size_t(size));
        record->transparent = *transparent;
        std::memcpy(AnimData(state) + ANIMHEADER_SIZE + SIZE_T(index) * OBJECTANIMFRAME_SIZE, record,
                    OBJECTANIMFRAME_SIZE);
        state->flags |= ANIMF_REMAPPED;
    }
    GlobalUnlock(remapped);
    return remapped;
}

void DrawFrame(HWND window, ANIMSTATE *state, BITMAPINFOHEADER *dib, OBJECTANIMFRAME *record) {
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    if (!dc) return;
    if (!state->background) state->background = CopyScreenToBitmap(dc, &client);
    if (state->underlay) DeleteObject(state->underlay);
    state->underlay = CopyScreenToBitmap(dc, &client);
    unsigned long transparent = record->transparent;
    HGLOBAL converted = nullptr;
    if (devicebits <= 8 && !(state->flags & ANIMF_REMAPPED))
        converted = ConvertForPalette(state, dib, state->frame, record, &transparent);
    BITMAPINFOHEADER *shown = converted ? (BITMAPINFOHEADER *)GlobalLock(converted) : dib;
    if (shown) {
        DrawAnimationCell(window, dc, shown, record->x, record->y, &client, &state->lastrect, record->flags,
                          transparent, state->background, state->underlay);
        SetRect(&state->lastrect, client.left + record->x, client.top + record->y,
                client.left + record->x + shown->biWidth, client.top + record->y + shown->biHeight);
    }
    if (converted) {
        if (shown) GlobalUnlock(converted);
        GlobalFree(converted);
    }
    ReleaseDC(window, dc);
}

// One tick: draws the next frame (a frame whose data is bad is skipped) and
// re-arms for the delay of the frame just drawn; true when the animation has
// played its last pass.
bool Tick(HWND window, ANIMSTATE *state) {
    OBJECTANIMFRAME record;
    if (BITMAPINFOHEADER *dib = FindAnimationImage(state, state->frame, &record))
        DrawFrame(window, state, dib, &record);
    const ANIMHEADER *head = Header(state);
    bool ends = false;
    if (++state->frame >= head->framecount) {
        state->frame = 0;
        ++state->loops;
        ends = head->loopcount != 0 && state->loops >= head->loopcount;
    }
    KillTimer(window, state->timer);
    state->timer = 0;
    if (!ends) state->timer = SetTimer(window, IDT_ANIMFRAME, Delay(record.delay), nullptr);
    return ends;
}

void OnReset(HWND window, ANIMSTATE *state) {
    if (state->background) DeleteObject(state->background);
    if (state->underlay) DeleteObject(state->underlay);
    if (state->timer) KillTimer(window, state->timer);
    state->frame = 0;
    state->background = state->underlay = nullptr;
    state->timer = 0;
    state->loops = 0;
    SetRectEmpty(&state->lastrect);
    PostMessageA(window, WM_ANIMARM, 1, 0);
}

void OnArm(HWND window, ANIMSTATE *state) {
    OBJECTANIMFRAME record;
    FindAnimationImage(state, state->frame, &record);
    if (state->timer) KillTimer(window, state->timer);
    state->timer = SetTimer(window, state->id + IDT_ANIMFRAME, Delay(record.delay), nullptr);
}

// Puts the screen captured before the first frame back at the window's
// origin. The window is already hidden when it is destroyed, so the copy
// goes through the parent, which must then not paint its background there.
void RestoreBackground(HWND window, ANIMSTATE *state) {
    HWND parent = state->parent;
    BITMAP size;
    if (!state->background || !IsWindow(parent) || !GetObjectA(state->background, sizeof size, &size)) return;
    POINT origin = {0, 0};
    MapWindowPoints(window, parent, &origin, 1);
    HDC dc = GetDC(parent);
    if (dc && BlitBitmap(dc, origin.x, origin.y, size.bmWidth, size.bmHeight, state->background, SRCCOPY)) {
        RECT area = {origin.x, origin.y, origin.x + size.bmWidth, origin.y + size.bmHeight};
        ValidateRect(parent, &area);
    }
    if (dc) ReleaseDC(parent, dc);
}

void OnDestroy(HWND window) {
    HGLOBAL handle = (HGLOBAL)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (!handle) return;
    if (ANIMSTATE *state = (ANIMSTATE *)GlobalLock(handle)) {
        RestoreBackground(window, state);
        if (state->background) DeleteObject(state->background);
        if (state->underlay) DeleteObject(state->underlay);
        if (state->timer) KillTimer(window, state->timer);
        GlobalUnlock(handle);
    }
    GlobalFree(handle);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

// Runs `handler` with the window's record locked; false when it has none.
template <typename Handler>
bool WithState(HWND window, Handler handler) {
    ANIMSTATE *state = LockAnimObject(window);
    if (!state) return false;
    handler(state);
    UnlockAnimObject(window);
    return true;
}

// False for a timer other than the pending frame timer.
bool OnTimer(HWND window, UINT_PTR id) {
    bool pending = false, ends = false;
    WithState(window, [&](ANIMSTATE *state) {
        pending = id != 0 && id == state->timer;
        if (pending) ends = Tick(window, state);
    });
    if (ends) DestroyWindow(window);
    return pending;
}

bool IsInput(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || (message >= WM_MOUSEMOVE && message <= 0x0209);
}

}  // namespace

int InitializeAnimation() {
    WNDCLASSA cls = {};
    cls.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    cls.lpfnWndProc = AnimProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = AnimationClassName;
    return RegisterClassA(&cls) ? 1 : 0;
}

void DeinitializeAnimation() { UnregisterClassA(AnimationClassName, GetModuleHandleA(nullptr)); }

int AddAnimBlock(HWND window, BLOCKSET *, BLOCK *block) {
    if (IsAnimationRunning(window, block)) return 0;
    const void *data = block->data ? GlobalLock(block->data) : nullptr;
    if (!data) return 0;
    const SIZE_T size = GlobalSize(block->data);
    ANIMHEADER head;
    HGLOBAL handle = nullptr;
    if (IsPlayable(data, size)) {
        std::memcpy(&head, data, sizeof head);
        handle = NewState(window, block, data, size);
    }
    GlobalUnlock(block->data);
    if (!handle) return 0;
    HWND animation = CreateAnimWindow(window, handle, block, head);
    if (!animation) {
        GlobalFree(handle);
        return 0;
    }
    ShowWindow(animation, SW_SHOW);
    BringWindowToTop(animation);
    SetFocus(window);
    return 1;
}

BOOL CALLBACK IsAnimationRunningProc(HWND child, LPARAM parameter) {
    BLOCK *block = (BLOCK *)parameter;
    bool match = false;
    if (IsAnimationWindow(child))
        WithState(child, [&](ANIMSTATE *state) { match = state->tag == TAG_ANIM && state->source == block->data; });
    if (match) block->animrunning = 1;
    return match ? FALSE : TRUE;
}

int IsAnimationRunning(HWND window, BLOCK *block) {
    block->animrunning = 0;
    EnumChildWindows(window, IsAnimationRunningProc, (LPARAM)block);
    return block->animrunning ? 1 : 0;
}

BOOL CALLBACK DestroyAllAnimationsProc(HWND child, LPARAM mask) {
    bool stop = false;
    if (IsAnimationWindow(child))
        WithState(child, [&](ANIMSTATE *state) { stop = state->tag == TAG_ANIM && (state->flags & DWORD(mask)); });
    if (stop) DestroyWindow(child);
    return TRUE;
}

void DestroyAllAnimations(HWND window, unsigned long mask) {
    EnumChildWindows(window, DestroyAllAnimationsProc, (LPARAM)mask);
}

BOOL CALLBACK UpdateAllAnimationsProc(HWND child, LPARAM) {
    if (!IsAnimationWindow(child)) return TRUE;
    MSG msg;
    while (IsWindow(child) && PeekMessageA(&msg, child, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));  // the main loop must still see it
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}

ANIMSTATE *LockAnimObject(HWND window) {
    HGLOBAL handle = (HGLOBAL)GetWindowLongPtrA(window, GWLP_USERDATA);
    return handle ? (ANIMSTATE *)GlobalLock(handle) : nullptr;
}

void UnlockAnimObject(HWND window) {
    if (HGLOBAL handle = (HGLOBAL)GetWindowLongPtrA(window, GWLP_USERDATA)) GlobalUnlock(handle);
}

LRESULT CALLBACK AnimProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (IsInput(message)) {
        PostMessageA(GetParent(window), message, wparam, lparam);
        return 0;
    }
    switch (message) {
        case WM_CREATE:
            PostMessageA(window, WM_ANIMRESET, 0, 0);  // the record is attached after creation returns
            return 0;
        case WM_ANIMRESET: WithState(window, [&](ANIMSTATE *state) { OnReset(window, state); }); return 0;
        case WM_ANIMARM: WithState(window, [&](ANIMSTATE *state) { OnArm(window, state); }); return 0;
        case WM_TIMER:
            if (OnTimer(window, wparam)) return 0;
            break;
        case WM_DESTROY: OnDestroy(window); break;
        case WM_SIZE: InvalidateRect(window, nullptr, FALSE); break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            break;
        }
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
