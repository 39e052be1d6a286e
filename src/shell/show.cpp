// The show engine of the saver window.
//
// Every step is requested by a posted message, so each handler returns
// before the next runs. The BLOCKSET is locked for the length of one handler.
// An item that cannot be started stops the show where it is: nothing more
// is posted, and input still ends the saver. A JPEG picture that does not
// decode is the exception: it is passed over. Pictures are made ready on a
// worker thread, the next one while the current one holds; an item whose
// picture is not ready yet starts when the worker says it is.
#include "shell/show.h"

#include <cstring>

#include "animation/animation.h"
#include "applet/applet.h"
#include "applet/builtins/sound.h"
#include "applet/objects.h"
#include "content/blockstore.h"
#include "content/loader.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/placement.h"
#include "imaging/scale.h"
#include "imaging/window_dc.h"
#include "shell/caption.h"
#include "shell/messages.h"
#include "shell/play_order.h"
#include "shell/prepare.h"
#include "shell/saver_window.h"

namespace {

constexpr DWORD kNoClearEffect = 3;
constexpr UINT kLongestTimer = 0x7FFFFFFF;  // the longest period SetTimer takes

// Items started since the show last passed its header: -1 in the first lap.
// A lap in which nothing was started makes the show pause a second at its
// header instead of spinning through the blocks.
int itemsThisLap = -1;

// Locks the window's BLOCKSET for one handler and unlocks it on every path.
class LockedShow {
public:
    explicit LockedShow(HWND window) : window_(window), set_(LockBlockSet(window)) {}
    ~LockedShow() {
        if (set_) UnlockBlockSet(window_);
    }
    LockedShow(const LockedShow &) = delete;
    LockedShow &operator=(const LockedShow &) = delete;
    BLOCKSET *get() const { return set_; }
    BLOCKSET *operator->() const { return set_; }
    explicit operator bool() const { return set_ != nullptr; }

private:
    HWND window_;
    BLOCKSET *set_;
};

void PostAdvance(HWND window) { PostMessageA(window, WM_TIMER, IDT_ADVANCE, 0); }

UINT DisplayMilliseconds(DWORD seconds) { return seconds >= kLongestTimer / 1000 ? kLongestTimer : seconds * 1000; }

HWND Store(HWND window) { return GetDlgItem(window, IDC_BLOCKSTORE); }

// Puts the screen under the item that ends back, when the item asks for it.
void ClearItemArea(HWND window, BLOCKSET *set) {
    const BLOCK &block = set->block;
    const bool clear = (block.type == TAG_IMAG && block.image.disappeareffect != kNoClearEffect) ||
                       (block.type == TAG_TEXT && (block.text.flags & SCRF_RESTORE));
    if (!clear) return;
    WindowDC dc(window);
    const RECT &r = set->savedrect;
    if (block.type == TAG_IMAG && block.image.appeareffect == CROSSFADE_EFFECT) {
        // A Crossfade brought the picture on over the whole window, or was
        // cut short on the way: what was under it is gone, so the whole
        // window goes to the background.
        RECT all = {};
        GetClientRect(window, &all);
        if (set->backgroundbrush) FillRect(dc, &all, set->backgroundbrush);
    } else if (set->savedscreen) {
        BlitBitmap(dc, r.left, r.top, RectWidth(&r), RectDepth(&r), set->savedscreen, SRCCOPY);
    } else if (set->backgroundbrush) {
        FillRect(dc, &r, set->backgroundbrush);
    }
    DestroyAllAnimations(window, SCRF_ENDWITHITEM);
}

void KillItemTimer(HWND window, UINT_PTR *timer) {
    if (*timer) KillTimer(window, *timer);
    *timer = 0;
}

void ReleaseItem(HWND window, BLOCKSET *set) {
    KillItemTimer(window, &set->block.secondtimer);
    KillItemTimer(window, &set->block.steptimer);
    KillItemTimer(window, &set->block.durationtimer);
    if (set->status.picture) GlobalFree(set->status.picture);
    set->status.picture = nullptr;
    if (set->status.font) DeleteObject(set->status.font);
    set->status.font = nullptr;
    DestroyStatus(&set->status);
    if (set->applet) {
        APPLETFreeApplet(set->applet);
        std::memset(set->applet, 0, sizeof(APPLET));
    }
    if (set->savedscreen) DeleteObject(set->savedscreen);
    set->savedscreen = nullptr;
    DropCaption();
}

// The store index of the block that plays as the current item: a
// random-order folder plays another photo than the one at `current`.
int playedIndex = -1;
// A picture that is being made for the current item, which starts when it
// is ready (its block's store index; -1: none).
int waitingForPicture = -1;
// Whether the next picture is being made for the picture on screen.
bool lookingAhead = false;

// What the worker needs to make the picture of `block`: copies only.
PICTUREJOB JobFor(const BLOCKSET *set, const BLOCK &block) {
    PICTUREJOB job;
    std::memset(&job, 0, sizeof job);
    job.block = block;
    lstrcpynA(job.path, set->path, sizeof job.path);
    job.screenwide = set->screenwide;
    job.screendeep = set->screendeep;
    job.devicebits = devicebits;
    return job;
}

// The store index of the picture block that plays next after the current
// item, or -1 when the show has none. The folder orders are only peeked at:
// they move on when the picture really starts.
int NextPictureIndex(HWND window, const BLOCKSET *set) {
    BLOCK block;
    for (int step = 1; step <= set->count; ++step) {
        const int index = PlayedBlockIndex((set->current + step) % set->count);
        if (GetBlock(Store(window), index, &block) && block.type == TAG_IMAG) return index;
    }
    return -1;
}

// While a picture holds, the next one is made ready on the worker.
void PrepareNextPicture(HWND window, const BLOCKSET *set) {
    lookingAhead = true;
    const int index = NextPictureIndex(window, set);
    BLOCK block;
    if (index >= 0 && GetBlock(Store(window), index, &block))
        BeginPreparing(window, WM_PICTUREREADY, index, JobFor(set, block));
}

// The picture of the current block, made ready ahead or now on the worker.
// False while it is still being made: its ready message starts the item.
bool TakePicture(HWND window, BLOCKSET *set, HGLOBAL *picture) {
    PREPARED state = TakePrepared(playedIndex, picture);
    if (state == PREPARED_NONE) {
        BeginPreparing(window, WM_PICTUREREADY, playedIndex, JobFor(set, set->block));
        state = TakePrepared(playedIndex, picture);
    }
    if (state == PREPARED_READY) return true;
    waitingForPicture = playedIndex;
    return false;
}

// The size the picture's place on the screen comes from: a fitted
// picture's own, else the stored picture's (also when cropped to the screen).
bool PlacedSize(const BLOCKSET *set, int *w, int *h) {
    if (PictureFit(set->block.image.flags)) return GetBitmapDimensions(set->status.picture, w, h, nullptr, nullptr);
    return GetStoredPictureSize(&set->block, w, h);
}

void PictureOrigin(const BLOCKSET *set, int *x, int *y) {
    int w = 0, h = 0;
    *x = *y = 0;
    if (PlacedSize(set, &w, &h)) GetImageOriginForSize(x, y, &set->block, w, h);
}

void StartItemTimers(HWND window, BLOCK &block, DWORD speed, bool timed, DWORD seconds) {
    block.steptimer = SetTimer(window, IDT_STEP, StepInterval(speed), nullptr);
    block.secondtimer = SetTimer(window, IDT_SECOND, IDT_SECOND_MS, nullptr);
    block.durationtimer = timed ? SetTimer(window, IDT_DURATION, DisplayMilliseconds(seconds), nullptr) : 0;
}

// Saves the screen under `rect` so the area can be put back at the advance.
// Only the part on the screen is kept, and it goes back where it was taken
// from: an item at the top or left edge asks for an area that starts above
// or left of the screen.
void SaveScreenArea(HWND window, BLOCKSET *set, const RECT &rect) {
    WindowDC dc(window);
    set->savedrect = DeviceArea(dc, rect);
    set->savedscreen = CopyScreenToBitmap(dc, &set->savedrect);
}

bool StartPicture(HWND window, BLOCKSET *set) {
    BLOCK &block = set->block;
    HGLOBAL picture = 0;
    if (!TakePicture(window, set, &picture)) return false;
    lookingAhead = false;
    if (!picture) {
        // One photo that does not decode must not stop a show of many.
        if (block.image.flags & SCRF_JPEG) PostAdvance(window);
        return false;
    }
    const SCRIMAGE &image = block.image;
    if (!InitImageStatus(&set->status, picture, int(image.appeareffect), int(image.disappeareffect),
                         int(image.speed), int(image.holdtime), set->backgroundbrush))
        return false;  // the status holds the picture; the next release frees it
    set->status.fade = int(image.fade > 0x7FFFFFFF ? 0x7FFFFFFF : image.fade);
    set->status.panzoom = (image.flags & SCRF_PANZOOM) ? 1 : 0;
    int w = 0, h = 0, x = 0, y = 0;
    // The area saved is that of the stored picture, before any crop, or
    // that of the fitted one.
    // A Crossfade clears the whole window as it comes on: nothing to keep.
    if (PlacedSize(set, &w, &h) && image.appeareffect != CROSSFADE_EFFECT) {
        PictureOrigin(set, &x, &y);
        SaveScreenArea(window, set, RECT{x - 1, y - 1, x + w + 1, y + h + 1});
    }
    StartItemTimers(window, block, image.speed, image.duration > 1, image.duration);
    return true;
}

bool StartText(HWND window, BLOCKSET *set) {
    BLOCK &block = set->block;
    const SCRTEXT &text = block.text;
    char face[LF_FACESIZE];
    lstrcpynA(face, text.facename, sizeof face);
    HFONT font = CreateFontA(text.fontheight, 0, 0, 0, (text.flags & SCRF_BOLD) ? FW_BOLD : 0,
                             (text.flags & SCRF_ITALIC) ? 1 : 0, (text.flags & SCRF_UNDERLINE) ? 1 : 0, 0,
                             DEFAULT_CHARSET, 0, 0, 0, 0, face);
    if (!InitTextStatus(&set->status, font, set->backgroundbrush, block.data, window, int(text.style),
                        int(text.alignment), int(text.boxwide), int(text.boxdeep), int(text.margin))) {
        if (font && set->status.font != font) DeleteObject(font);
        return false;
    }
    RECT area = set->status.boxrect;
    int x = 0, y = 0;
    GetTextOrigin(&x, &y, &block, &set->status);
    OffsetRect(&area, x, y);
    const int margin = set->status.margin;
    InflateRect(&area, (text.style == 1 || text.style == 3) ? 0 : margin, margin);
    SaveScreenArea(window, set, area);
    StartItemTimers(window, block, text.speed, text.duration != 0, text.duration);
    return true;
}

// The one applet record; the show points at it from its first applet on.
APPLET theApplet;

// An applet runs one line per posted WM_APPLETSTEP. A start that fails
// shows why and leaves the show standing at this block.
void StartApplet(HWND window, BLOCKSET *set) {
    set->applet = &theApplet;
    BLOCK &block = set->block;
    if (APPLETInitApplet(set->applet, window, &block, long(set->backgroundcolour), long(block.applet.stacksize),
                         block.pictures, block.picturecount, block.sounds, block.soundcount)) {
        ++itemsThisLap;
        PostMessageA(window, WM_APPLETSTEP, 0, 0);
        return;
    }
    MessageBoxA(window, APPLETError(set->applet), "Message", MB_ICONINFORMATION);
}

// The show has come round to its header: the start of a lap.
void StartLap(HWND window) {
    DestroyAllAnimations(window, SCRF_ENDWITHROUND);
    if (itemsThisLap == 0)
        SetTimer(window, IDT_IDLELAP, IDT_IDLELAP_MS, nullptr);
    else
        PostAdvance(window);
    itemsThisLap = 0;
}

// The show goes on at once, unless the sound asks it to stay at this block
// until input ends the saver.
void StartSound(HWND window, BLOCK &block) {
    APPLETPlaySound(window, block.data, block.sound.kind);
    if (!(block.sound.flags & SCRF_WAIT)) PostAdvance(window);
}

// The animation plays on in its own window; the show goes on shortly. It
// counts as an item of the lap, as the show waits for it.
void StartAnimation(HWND window, BLOCKSET *set) {
    AddAnimBlock(window, set, &set->block);
    SetTimer(window, IDT_ANIMSTART, IDT_ANIMSTART_MS, nullptr);
    ++itemsThisLap;
}

void StartBlock(HWND window, BLOCKSET *set) {
    switch (set->block.type) {
        case TAG_HEAD: StartLap(window); return;
        case TAG_IMAG:
            if (StartPicture(window, set)) ++itemsThisLap;
            return;
        case TAG_TEXT:
            if (StartText(window, set)) ++itemsThisLap;
            return;
        case TAG_SOND: StartSound(window, set->block); return;
        case TAG_ANIM: StartAnimation(window, set); return;
        case TAG_APPL: StartApplet(window, set); return;
        default: PostAdvance(window); return;
    }
}

void Advance(HWND window) {
    LockedShow set(window);
    if (!set) return;
    HideCaption(window);
    waitingForPicture = -1;
    ClearItemArea(window, set.get());
    ReleaseItem(window, set.get());
    set->current = set->current + 1 >= set->count ? 0 : set->current + 1;
    // `current` is the show's place; a random-order folder plays the next
    // photo of its order there.
    playedIndex = PlayedBlockIndex(set->current);
    CommitPlayedBlock(set->current);
    if (!GetBlock(Store(window), playedIndex, &set->block)) return;
    StartBlock(window, set.get());
}

void StepPicture(HWND window, BLOCKSET *set) {
    const STATUS &status = set->status;
    if (!lookingAhead && status.phase >= PHASE_HOLD) PrepareNextPicture(window, set);
    // While hold time remains every effect's Wait only answers "not yet":
    // the tick has nothing to draw, so it skips the device context. A
    // pan-zoom picture moves on instead, the caption drawn again over it.
    if (status.phase == PHASE_HOLD && status.activeeffect != NOACTIVEEFFECT && status.holdcount > 0 && !status.motion)
        return;
    if (status.phase == PHASE_HOLD && status.motion) HideCaption(window);
    int x = 0, y = 0;
    PictureOrigin(set, &x, &y);
    set->status.x = x;
    set->status.y = y;
    WindowDC dc(window);
    HandleOnceCell(window, dc, &set->status);
    // The caption lies over the whole picture while it holds.
    if (status.phase == PHASE_HOLD) {
        RECT picture = {x, y, x + status.width, y + status.height};
        const RECT screen = {0, 0, set->screenwide, set->screendeep};
        IntersectRect(&picture, &picture, &screen);
        ShowCaption(window, set->block, picture, set->screendeep);
    } else {
        HideCaption(window);
    }
}

void StepText(HWND window, BLOCKSET *set) {
    const SCRTEXT &text = set->block.text;
    STATUS &status = set->status;
    int x = 0, y = 0;
    GetTextOrigin(&x, &y, &set->block, &status);
    WindowDC dc(window);
    HGDIOBJ oldfont = SelectObject(dc, status.font);
    const int textdeep = status.textrect.bottom - status.textrect.top;
    switch (text.style) {
        case 0: case 2: case 5: status.width = int(text.boxwide), status.height = textdeep; break;
        case 1: case 3: x = 0, status.width = set->screenwide, status.height = textdeep; break;
        case 4: status.width = int(text.boxwide), status.height = int(text.boxdeep); break;
    }
    status.x = x;
    status.y = y;
    HandleOnceTextCell(window, dc, &status, &text);
    SelectObject(dc, oldfont);
}

void CycleDone(HWND window, BLOCKSET *set) {
    const BLOCK &block = set->block;
    if (block.type == TAG_IMAG) {
        if (block.image.duration == 1) PostMessageA(window, WM_TIMER, block.durationtimer, 0);
        DestroyStatus(&set->status);
        set->status.activeeffect = NOACTIVEEFFECT;
    } else if (block.type == TAG_TEXT) {
        if (block.text.duration == 0) PostMessageA(window, WM_TIMER, block.durationtimer, 0);
        DestroyStatus(&set->status);
    }
}

// The timers in their order of precedence; false when none matched.
bool ItemTimer(HWND window, UINT_PTR id) {
    LockedShow set(window);
    if (!set) return false;
    BLOCK &block = set->block;
    const bool picture = block.type == TAG_IMAG, text = block.type == TAG_TEXT;
    if (id == block.steptimer && (picture || text)) {
        if (picture) StepPicture(window, set.get());
        if (text) StepText(window, set.get());
    } else if (id == block.secondtimer && picture) {
        if (set->status.holdcount > 0 && set->status.phase == PHASE_HOLD) --set->status.holdcount;
    } else if (id == block.durationtimer && (picture || text)) {
        KillItemTimer(window, &block.durationtimer);
        PostAdvance(window);
    } else if (id == IDT_CYCLEDONE) {
        CycleDone(window, set.get());
    } else {
        return false;
    }
    return true;
}

}  // namespace

void OnContentLoaded(HWND window) {
    {
        LockedShow set(window);
        BLOCK header;
        if (set && GetHeaderBlock(Store(window), set.get(), &header)) {
            set->backgroundcolour = header.head.backgroundcolour;
            set->backgroundbrush = CreateSolidBrush(set->backgroundcolour);
            set->screenwide = GetSystemMetrics(SM_CXSCREEN);
            set->screendeep = GetSystemMetrics(SM_CYSCREEN);
            set->count = (int)SendMessageA(Store(window), LB_GETCOUNT, 0, 0);
            LoadPlayOrder(Store(window), header.head);
            set->savedscreen = nullptr;
            set->current = -1;
            StopPreparing();
            waitingForPicture = playedIndex = -1;
            lookingAhead = false;
            std::memset(&set->block, 0, sizeof set->block);
            std::memset(&set->status, 0, sizeof set->status);
            itemsThisLap = -1;
            PostAdvance(window);
        }
    }
    // The screen turns to the background colour before the first item.
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

bool OnShowTimer(HWND window, UINT_PTR id) {
    switch (id) {
        case IDT_ANIMSTART:
        case IDT_IDLELAP:
            KillTimer(window, id);
            PostAdvance(window);
            return true;
        case IDT_ADVANCE: Advance(window); return true;
        default: return ItemTimer(window, id);
    }
}

// Runs one line; the applet ends at the end of its text, at an error, or
// when input ends the show, and the show then goes on.
void OnAppletStep(HWND window) {
    int result = -1;
    {
        LockedShow set(window);
        if (!set || set->block.type != TAG_APPL || !set->applet || !set->applet->stack) return;
        // Running animations are served between applet lines.
        EnumChildWindows(window, UpdateAllAnimationsProc, 0);
        result = APPLETProcessLine(set->applet, window);
    }
    if (result == 0 && !CheckForAbort(window))
        PostMessageA(window, WM_APPLETSTEP, 0, 0);
    else
        PostAdvance(window);
}

void OnPictureReady(HWND window, int index) {
    LockedShow set(window);
    if (!set || index != waitingForPicture || index != playedIndex || set->block.type != TAG_IMAG) return;
    waitingForPicture = -1;
    if (StartPicture(window, set.get())) ++itemsThisLap;
}

void ReleaseCurrentItem(HWND window) {
    // The worker may be reading the store's data: it ends before the store goes.
    StopPreparing();
    waitingForPicture = -1;
    lookingAhead = false;
    LockedShow set(window);
    if (set) ReleaseItem(window, set.get());
    ForgetPlayOrder();
}
