// The show engine of a monitor's window: the saver window on the primary
// monitor, and the window of every other monitor the show plays on.
//
// Every step is requested by a posted message, so each handler returns
// before the next runs. The MONITORSHOW is locked for the length of one
// handler. An item that cannot be started stops the show where it is:
// nothing more is posted, and input still ends the saver. A JPEG picture
// that does not decode is the exception: it is passed over. Pictures are
// made ready on a worker thread, the next one while the current one holds;
// an item whose picture is not ready yet starts when the worker says it is.
//
// Each monitor keeps where it stands in its own MONITORSHOW; the blocks are
// loaded once, into the session's store. In "each" mode every monitor walks
// the show by itself; in "mirror" mode the primary monitor leads and tells
// the others which block to start.
#include "shell/monitor_show.h"

#include <cstdlib>
#include <cstring>

#include "animation/animation.h"
#include "applet/applet.h"
#include "content/effects.h"
#include "content/loader.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/pair.h"
#include "imaging/palette.h"
#include "imaging/placement.h"
#include "imaging/rect.h"
#include "imaging/scale.h"
#include "imaging/window_dc.h"
#include "shell/clock.h"
#include "shell/live_show.h"
#include "shell/messages.h"
#include "shell/monitor_places.h"
#include "shell/monitor_windows.h"
#include "shell/play_order.h"
#include "shell/session_state.h"
#include "sound/player.h"

namespace {

constexpr UINT kLongestTimer = 0x7FFFFFFF;  // the longest period SetTimer takes

// Locks the window's show for one handler and unlocks it on every path.
class LockedShow {
public:
    explicit LockedShow(HWND window) : window_(window), set_(LockMonitorShow(window)) {}
    ~LockedShow() {
        if (set_) UnlockMonitorShow(window_);
    }
    LockedShow(const LockedShow &) = delete;
    LockedShow &operator=(const LockedShow &) = delete;
    MONITORSHOW *get() const { return set_; }
    MONITORSHOW *operator->() const { return set_; }
    explicit operator bool() const { return set_ != nullptr; }

private:
    HWND window_;
    MONITORSHOW *set_;
};

void PostAdvance(HWND window) { PostMessageA(window, WM_TIMER, IDT_ADVANCE, 0); }

// The pause mark: two white bars with a dark edge in the top left corner.
void ShowPauseMark(HWND window, MONITORSHOW *set) {
    const int bar = set->screendeep / 60 > 4 ? set->screendeep / 60 : 4, high = bar * 3, at = bar * 2;
    const RECT area = {at - 1, at - 1, at + bar * 3 + 1, at + high + 1};
    WindowDC dc(window);
    ShowOverlay(&set->pausemark, dc, area, [&](HDC into) {
        FillRect(into, &area, (HBRUSH)GetStockObject(BLACK_BRUSH));
        const RECT left = {at, at, at + bar, at + high}, right = {at + 2 * bar, at, at + 3 * bar, at + high};
        FillRect(into, &left, (HBRUSH)GetStockObject(WHITE_BRUSH));
        FillRect(into, &right, (HBRUSH)GetStockObject(WHITE_BRUSH));
    });
}

// The marks over the show (the clock, the pause mark) are taken off while
// a handler draws, so that what it draws and keeps never holds them, and
// drawn again over the result. An applet's screen is its own: no clock.
class MarksAside {
public:
    MarksAside(HWND window, MONITORSHOW *set) : window_(window), set_(set) {
        HideOverlay(&set->pausemark, window);
        HideOverlay(&set->clock, window);
    }
    ~MarksAside() {
        if (set_->block.type != TAG_APPL)
            ShowClock(&set_->clock, window_, set_->screenwide, set_->screendeep, theSession.extras);
        if (set_->paused) ShowPauseMark(window_, set_);
    }
    MarksAside(const MarksAside &) = delete;
    MarksAside &operator=(const MarksAside &) = delete;

private:
    HWND window_;
    MONITORSHOW *set_;
};

UINT DisplayMilliseconds(DWORD seconds) { return seconds >= kLongestTimer / 1000 ? kLongestTimer : seconds * 1000; }

SIZE Screen(const MONITORSHOW *set) { return SIZE{set->screenwide, set->screendeep}; }

// Puts the screen under the item that ends back, when the item asks for it.
void ClearItemArea(HWND window, MONITORSHOW *set) {
    const BLOCK &block = set->block;
    const bool clear = (block.type == TAG_IMAG && block.image.disappeareffect != NOCLEAR_EFFECT) ||
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

void HideCaptions(HWND window, MONITORSHOW *set) {
    HideCaption(&set->caption, window);
    HideCaption(&set->partnercaption, window);
}

// Remembers a picture as it starts, for the key that steps back; a picture
// started again (the same one, or one stepped back to) is not a new one.
void RememberPicture(MONITORSHOW *set) {
    int &count = set->rememberedcount;
    if (set->block.type != TAG_IMAG || set->playedindex < 0) return;
    if (count > 0 && set->remembered[count - 1].played == set->playedindex) return;
    if (count == kRememberedPictures) {
        std::memmove(set->remembered, set->remembered + 1, sizeof(PLAYEDPLACE) * (kRememberedPictures - 1));
        --count;
    }
    set->remembered[count++] = PLAYEDPLACE{set->current, set->playedindex};
}

void ReleaseItem(HWND window, MONITORSHOW *set) {
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
    DropCaption(&set->caption);
    DropCaption(&set->partnercaption);
    set->partner = -1;
    SetRectEmpty(&set->photorect);
}

// What the worker needs to make the picture of `block`: copies only.
PICTUREJOB JobFor(const MONITORSHOW *set, int index, const BLOCK &block) {
    PICTUREJOB job;
    std::memset(&job, 0, sizeof job);
    job.block = block;
    lstrcpynA(job.path, theSession.show.path, sizeof job.path);
    LivePhotoPath(index, job.photo, kPhotoPathRoom);
    job.screenwide = set->screenwide;
    job.screendeep = set->screendeep;
    job.devicebits = devicebits;
    job.background = theSession.background;
    return job;
}

// The next block of the show after `slot`, when it is a portrait picture
// that pairs too and no folder's; -1 else.
int NextPortraitBlock(int slot) {
    const int next = slot + 1;
    BLOCK other;
    int w = 0, h = 0;
    if (next >= theSession.show.count || !GetBlock(theSession.store, next, &other) || other.type != TAG_IMAG ||
        !(other.image.flags & SCRF_PORTRAITPAIRS) || InSameFolder(next, next) ||
        !GetStoredPictureSize(&other, &w, &h) || !IsPortrait(w, h))
        return -1;
    return next;
}

// The partners of a mirroring monitor's picture are the primary monitor's:
// the one beside its picture, else those it offered (its worker and this
// one's choose the same).
int MirroredPartners(int index, int *partners) {
    int count = 0;
    if (MONITORSHOW *lead = LockMonitorShow(theSession.host)) {
        if (lead->playedindex == index && lead->partner >= 0) partners[count++] = lead->partner;
        else if (lead->playedindex == index)
            for (; count < lead->preparedpartnercount; ++count) partners[count] = lead->preparedpartners[count];
        UnlockMonitorShow(theSession.host);
    }
    return count;
}

// The photos offered to stand beside the picture of played index `index`
// at `slot`, into `partners` (kPartnerChoices room), when the block pairs
// portraits and the monitor is wider than tall: the live folders' next
// photos, a random folder's next of its order (its own monitor's only,
// when the monitors share the folders: none), or the next block of the
// show when it is a portrait that pairs too. Whether the picture itself is
// a portrait the worker finds out. Their count.
int PartnersFor(HWND window, const MONITORSHOW *set, int slot, int index, const BLOCK &block, int *partners) {
    if (!(block.image.flags & SCRF_PORTRAITPAIRS) || !PictureFit(block.image.flags) ||
        !ShowsPairs(set->screenwide, set->screendeep))
        return 0;
    if (!set->primary && MonitorsMirror()) return MirroredPartners(index, partners);
    if (IsLiveSlot(slot)) return TakePartnerPhotos(window, set, index, partners, kPartnerChoices);
    partners[0] = InSameFolder(slot, slot) ? (TakesAhead(slot) ? -1 : FolderPhotoAfter(slot)) : NextPortraitBlock(slot);
    return partners[0] >= 0 ? 1 : 0;
}

// Starts making the picture of played index `index` at `slot`, with the
// partners offered beside it, unless it is being made already.
void BeginPicture(HWND window, MONITORSHOW *set, int slot, int index, const BLOCK &block) {
    if (IsPreparing(&set->preparing, index)) return;
    int offered[kPartnerChoices];
    const int count = PartnersFor(window, set, slot, index, block, offered);
    // Room from the C heap: a job holds a long path.
    PICTUREJOB *partners = count ? (PICTUREJOB *)std::calloc(size_t(count), sizeof(PICTUREJOB)) : nullptr;
    BLOCK other;
    set->preparedpartnercount = 0;
    for (int i = 0; i < count && partners; ++i)
        if (GetPlayedBlock(offered[i], &other)) {
            partners[set->preparedpartnercount] = JobFor(set, offered[i], other);
            set->preparedpartners[set->preparedpartnercount++] = offered[i];
        }
    BeginPreparing(&set->preparing, window, WM_PICTUREREADY, index, JobFor(set, index, block), partners,
                   set->preparedpartnercount);
    std::free(partners);
}

// The played index of the picture that plays next after the current item,
// at *slot, or -1 when the show has none. The folder orders are only
// peeked at: they move on when the picture really starts. When the
// monitors share the folders, a folder's photo is taken here for this
// monitor, so the picture made is the one it plays.
int NextPictureIndex(HWND window, MONITORSHOW *set, int *slot) {
    BLOCK block;
    for (int step = 1; step <= theSession.show.count; ++step) {
        *slot = (set->current + step) % theSession.show.count;
        const int index = PlayedBlockIndex(*slot);
        if (!GetBlock(theSession.store, index, &block) || block.type != TAG_IMAG) continue;
        if (!TakesAhead(*slot)) return index;
        if (!ReservedFor(set->reserved, *slot)) set->reserved = TakePhoto(window, set, *slot);
        return set->reserved;
    }
    return -1;
}

// While a picture holds, the next one is made ready on the worker.
void PrepareNextPicture(HWND window, MONITORSHOW *set) {
    set->lookingahead = TRUE;
    int slot = -1;
    const int index = NextPictureIndex(window, set, &slot);
    BLOCK block;
    if (index >= 0 && GetPlayedBlock(index, &block)) BeginPicture(window, set, slot, index, block);
}

// The picture of the current block, made ready ahead or now on the worker.
// False while it is still being made: its ready message starts the item.
bool TakePicture(HWND window, MONITORSHOW *set, HGLOBAL *picture, PICTUREFACTS *facts) {
    const int index = set->playedindex;
    PREPARED state = TakePrepared(&set->preparing, index, picture, facts);
    if (state == PREPARED_NONE) {
        BeginPicture(window, set, set->current, index, set->block);
        state = TakePrepared(&set->preparing, index, picture, facts);
    }
    if (state == PREPARED_NONE) {
        // The worker could not be given the work (no memory for it): the
        // picture is made here rather than waited for, and alone.
        set->preparedpartnercount = 0;
        *picture = PreparePicture(JobFor(set, index, set->block), facts);
        return true;
    }
    if (state == PREPARED_READY) return true;
    set->waitingforpicture = index;
    return false;
}

// The size the picture's place on the screen comes from: a fitted
// picture's own, else the stored picture's (also when cropped to the screen).
bool PlacedSize(const MONITORSHOW *set, int *w, int *h) {
    if (PictureFit(set->block.image.flags)) return GetBitmapDimensions(set->status.picture, w, h, nullptr, nullptr);
    return GetStoredPictureSize(&set->block, w, h);
}

void PictureOrigin(const MONITORSHOW *set, int *x, int *y) {
    int w = 0, h = 0;
    *x = *y = 0;
    const SIZE screen = Screen(set);
    if (PlacedSize(set, &w, &h)) GetImageOriginForSize(x, y, &set->block, w, h, &screen);
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
void SaveScreenArea(HWND window, MONITORSHOW *set, const RECT &rect) {
    WindowDC dc(window);
    set->savedrect = DeviceArea(dc, rect);
    set->savedscreen = CopyScreenToBitmap(dc, &set->savedrect);
}

// A photo of the live folders on screen: it counts as played, and its day
// taken, read by the worker, goes in its caption.
void NoteLivePhotoShown(int played, BLOCK *block, DWORD taken) {
    if (!IsLivePhoto(played)) return;
    CommitLivePhoto(played);
    if (!taken) return;
    block->image.takendate = taken;
    NoteLivePhotoDate(played, taken);
}

// The picture on screen as the worker made it: alone, on its backdrop, or
// beside its partner, which then counts as played too (a block of the show
// is passed over when the show comes to it).
void TakePartner(MONITORSHOW *set, const PICTUREFACTS &facts) {
    set->photorect = facts.photo;
    set->partnerrect = facts.partner;
    const bool offered = facts.paired && facts.partnerchoice >= 0 && facts.partnerchoice < set->preparedpartnercount;
    set->partner = offered ? set->preparedpartners[facts.partnerchoice] : -1;
    set->preparedpartnercount = 0;
    if (set->partner < 0 || !GetPlayedBlock(set->partner, &set->partnerblock)) {
        set->partner = -1;
        return;
    }
    if (IsLivePhoto(set->partner)) {
        set->partnerblock.image.captionlength = SetLivePhotoName(set->partner, &set->partnername);
        set->partnerblock.auxhandle2 = set->partnerblock.image.captionlength ? set->partnername : 0;
        NoteLivePhotoShown(set->partner, &set->partnerblock, facts.partnertaken);
    } else if (InSameFolder(set->current, set->current)) {
        if (set->primary || !MonitorsMirror()) CommitPlayedBlock(set->current);  // the order moves past the partner
    } else {
        set->current = set->partner;
    }
}

bool StartPicture(HWND window, MONITORSHOW *set) {
    BLOCK &block = set->block;
    HGLOBAL picture = 0;
    PICTUREFACTS facts = {};
    if (!TakePicture(window, set, &picture, &facts)) return false;
    set->lookingahead = FALSE;
    if (!picture) {
        // Not on screen: the other monitors may take it. One photo that
        // does not decode must not stop a show of many; a live one is
        // passed over from now on.
        const bool live = IsLivePhoto(set->playedindex);
        if (live) DropLivePhoto(set->playedindex);
        set->playedindex = -1;
        if (live || (block.image.flags & SCRF_JPEG)) PostAdvance(window);
        return false;
    }
    NoteLivePhotoShown(set->playedindex, &set->block, facts.taken);
    TakePartner(set, facts);
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

bool StartText(HWND window, MONITORSHOW *set) {
    BLOCK &block = set->block;
    const SCRTEXT &text = block.text;
    char face[LF_FACESIZE];
    lstrcpynA(face, text.facename, sizeof face);
    HFONT font = CreateFontA(text.fontheight, 0, 0, 0, (text.flags & SCRF_BOLD) ? FW_BOLD : 0,
                             (text.flags & SCRF_ITALIC) ? 1 : 0, (text.flags & SCRF_UNDERLINE) ? 1 : 0, 0,
                             DEFAULT_CHARSET, 0, 0, 0, 0, face);
    if (!InitTextStatus(&set->status, font, set->backgroundbrush, block.data, window, int(text.style),
                        int(text.alignment), int(text.boxwide), int(text.boxdeep), int(text.margin),
                        set->screenwide)) {
        if (font && set->status.font != font) DeleteObject(font);
        return false;
    }
    RECT area = set->status.boxrect;
    int x = 0, y = 0;
    const SIZE screen = Screen(set);
    GetTextOrigin(&x, &y, &block, &set->status.textrect, &screen);
    OffsetRect(&area, x, y);
    const int margin = set->status.margin;
    InflateRect(&area, (text.style == 1 || text.style == 3) ? 0 : margin, margin);
    SaveScreenArea(window, set, area);
    StartItemTimers(window, block, text.speed, text.duration != 0, text.duration);
    return true;
}

// An applet runs one line per posted WM_APPLETSTEP, in the session's one
// applet record. A start that fails shows why and leaves the show standing
// at this block.
void StartApplet(HWND window, MONITORSHOW *set) {
    set->applet = &theSession.applet;
    BLOCK &block = set->block;
    if (APPLETInitApplet(set->applet, window, &block, long(theSession.background), long(block.applet.stacksize),
                         block.pictures, block.picturecount, block.sounds, block.soundcount)) {
        set->applet->checkinput = theSession.checkinput;
        ++set->itemsthislap;
        PostMessageA(window, WM_APPLETSTEP, 0, 0);
        return;
    }
    MessageBoxA(window, APPLETError(set->applet), "Message", MB_ICONINFORMATION);
}

// The show has come round to its header: the start of a lap.
// A lap in which nothing was started makes the show pause a second at its
// header instead of spinning through the blocks.
void StartLap(HWND window, MONITORSHOW *set) {
    DestroyAllAnimations(window, SCRF_ENDWITHROUND);
    if (set->itemsthislap == 0) {
        SetTimer(window, IDT_IDLELAP, IDT_IDLELAP_MS, nullptr);
        NoteIdleLap();
    } else
        PostAdvance(window);
    set->itemsthislap = 0;
}

// The show goes on at once, unless the sound asks it to stay at this block
// until input ends the saver.
void StartSound(HWND window, BLOCK &block) {
    APPLETPlaySound(window, block.data, block.sound.kind);
    if (!(block.sound.flags & SCRF_WAIT)) PostAdvance(window);
}

// The animation plays on in its own window; the show goes on shortly. It
// counts as an item of the lap, as the show waits for it.
void StartAnimation(HWND window, MONITORSHOW *set) {
    AddAnimBlock(window, &theSession.show, &set->block);
    SetTimer(window, IDT_ANIMSTART, IDT_ANIMSTART_MS, nullptr);
    ++set->itemsthislap;
}

void StartBlock(HWND window, MONITORSHOW *set) {
    // The other monitors pass over what plays on the primary one.
    if (!set->primary && PlaysOnPrimaryOnly(set->block.type)) {
        PostAdvance(window);
        return;
    }
    switch (set->block.type) {
        case TAG_HEAD: StartLap(window, set); return;
        case TAG_IMAG:
            if (StartPicture(window, set)) ++set->itemsthislap;
            return;
        case TAG_TEXT:
            if (StartText(window, set)) ++set->itemsthislap;
            return;
        case TAG_SOND: StartSound(window, set->block); return;
        case TAG_ANIM: StartAnimation(window, set); return;
        case TAG_APPL: StartApplet(window, set); return;
        default: PostAdvance(window); return;
    }
}

// Takes the item on screen off and forgets it.
void EndItem(HWND window, MONITORSHOW *set) {
    HideOverlay(&set->pausemark, window);
    set->paused = set->skipping = FALSE;
    HideCaptions(window, set);
    set->waitingforpicture = -1;
    ClearItemArea(window, set);
    ReleaseItem(window, set);
}

// In "mirror" mode the other monitors start every block the primary one
// starts, at once.
void LeadMirrors(const MONITORSHOW *set) {
    if (!set->primary || !MonitorsMirror()) return;
    for (int i = 0; i < OtherMonitorCount(); ++i)
        PostMessageA(OtherMonitorWindow(i), WM_MIRRORBLOCK, WPARAM(set->current), LPARAM(set->playedindex));
}

// A photo of the live folders carries its name for the caption in the
// monitor's own memory block.
void NameLivePhoto(MONITORSHOW *set) {
    if (!IsLivePhoto(set->playedindex)) return;
    set->block.image.captionlength = SetLivePhotoName(set->playedindex, &set->livename);
    set->block.auxhandle2 = set->block.image.captionlength ? set->livename : 0;
}

// Starts the block of played index `played` at the show's place `slot`.
// The live slot without a photo yet goes on to the header, where the show
// rests until the library finds one.
void PlayAt(HWND window, MONITORSHOW *set, int slot, int played) {
    set->current = slot;
    set->playedindex = played;
    if (!GetPlayedBlock(played, &set->block)) {
        if (!IsLiveSlot(slot)) return;
        std::memset(&set->block, 0, sizeof set->block);
        PostAdvance(window);
        return;
    }
    NameLivePhoto(set);
    RememberPicture(set);
    LeadMirrors(set);
    StartBlock(window, set);
}

// The block that plays at `slot`, the folder's order moved on: the photo
// taken ahead for this monitor when there is one for that folder.
int PlayedAt(HWND window, MONITORSHOW *set, int slot) {
    if (TakesAhead(slot)) {
        const int reserved = set->reserved;
        set->reserved = -1;
        return ReservedFor(reserved, slot) ? reserved : TakePhoto(window, set, slot);
    }
    const int played = PlayedBlockIndex(slot);
    CommitPlayedBlock(slot);
    return played;
}

void Advance(HWND window) {
    LockedShow set(window);
    // A mirroring monitor goes on when the primary one does.
    if (!set || (!set->primary && MonitorsMirror())) return;
    MarksAside marks(window, set.get());
    EndItem(window, set.get());
    // `current` is the show's place; a random-order folder plays the next
    // photo of its order there.
    const int slot = NextSlot(window, set.get());
    PlayAt(window, set.get(), slot, PlayedAt(window, set.get(), slot));
}

// Where a photo lies on the screen: `inside` the picture at (x, y), or the
// whole picture when `inside` is empty; the part on the screen.
RECT PhotoArea(const MONITORSHOW *set, const RECT &inside, int x, int y) {
    RECT area = {0, 0, set->status.width, set->status.height};
    if (!IsRectEmpty(&inside)) area = inside;
    OffsetRect(&area, x, y);
    const RECT screen = {0, 0, set->screenwide, set->screendeep};
    IntersectRect(&area, &area, &screen);
    return area;
}

void StepPicture(HWND window, MONITORSHOW *set) {
    const STATUS &status = set->status;
    if (!set->lookingahead && status.phase >= PHASE_HOLD) PrepareNextPicture(window, set);
    // While hold time remains every effect's Wait only answers "not yet":
    // the tick has nothing to draw, so it skips the device context. A
    // pan-zoom picture moves on instead, the caption drawn again over it.
    if (status.phase == PHASE_HOLD && status.activeeffect != NOACTIVEEFFECT && status.holdcount > 0 && !status.motion)
        return;
    if (status.phase == PHASE_HOLD && status.motion) HideCaptions(window, set);
    MarksAside marks(window, set);
    int x = 0, y = 0;
    PictureOrigin(set, &x, &y);
    set->status.x = x;
    set->status.y = y;
    WindowDC dc(window);
    HandleOnceCell(window, dc, &set->status);
    // The caption lies over the photo while it holds, and a partner's over
    // the partner.
    if (status.phase == PHASE_HOLD) {
        ShowCaption(&set->caption, window, set->block, PhotoArea(set, set->photorect, x, y), set->screendeep);
        if (set->partner >= 0)
            ShowCaption(&set->partnercaption, window, set->partnerblock, PhotoArea(set, set->partnerrect, x, y),
                        set->screendeep);
    } else {
        HideCaptions(window, set);
    }
}

void StepText(HWND window, MONITORSHOW *set) {
    MarksAside marks(window, set);
    const SCRTEXT &text = set->block.text;
    STATUS &status = set->status;
    int x = 0, y = 0;
    const SIZE screen = Screen(set);
    GetTextOrigin(&x, &y, &set->block, &status.textrect, &screen);
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

void CycleDone(HWND window, MONITORSHOW *set) {
    const BLOCK &block = set->block;
    if (block.type == TAG_IMAG && set->skipping) {
        DestroyStatus(&set->status);
        set->status.activeeffect = NOACTIVEEFFECT;
        KillItemTimer(window, &set->block.steptimer);
        PostAdvance(window);
    } else if (block.type == TAG_IMAG) {
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
        if (set->status.holdcount > 0 && set->status.phase == PHASE_HOLD && !set->paused) --set->status.holdcount;
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

// A monitor's show before its first block: nothing on screen, nothing made.
void ResetPlace(MONITORSHOW *set, int current) {
    set->savedscreen = nullptr;
    set->current = current;
    set->waitingforpicture = set->playedindex = set->reserved = set->partner = -1;
    set->preparedpartnercount = 0;
    set->lookingahead = FALSE;
    set->itemsthislap = -1;
    std::memset(&set->block, 0, sizeof set->block);
    std::memset(&set->status, 0, sizeof set->status);
}

void TakeWindowSize(MONITORSHOW *set) {
    RECT client = {};
    GetClientRect(set->window, &client);
    set->screenwide = client.right, set->screendeep = client.bottom;
}

// Puts a monitor's window at the show's background and starts its show.
void Begin(HWND window) {
    PostAdvance(window);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void OnMirrorBlock(HWND window, int slot, int played) {
    LockedShow set(window);
    if (!set || set->primary || played < 0 || (played >= theSession.show.count && !IsLivePhoto(played))) return;
    MarksAside marks(window, set.get());
    EndItem(window, set.get());
    PlayAt(window, set.get(), slot, played);
}

// A new minute: the clock is drawn again, a few pixels from where it was.
void OnClockTimer(HWND window) {
    LockedShow set(window);
    if (!set) return;
    { MarksAside marks(window, set.get()); }
    ScheduleClock(window);
}

bool OnShowTimer(HWND window, UINT_PTR id) {
    switch (id) {
        case IDT_ANIMSTART:
        case IDT_IDLELAP:
            KillTimer(window, id);
            PostAdvance(window);
            return true;
        case IDT_ADVANCE: Advance(window); return true;
        case IDT_CLOCK: OnClockTimer(window); return true;
        default: return ItemTimer(window, id);
    }
}

// Runs one line; the applet ends at the end of its text, at an error, or
// when input ends the show, and the show then goes on.
void OnAppletStep(HWND window) {
    int result = -1;
    int (*checkinput)(HWND) = nullptr;
    {
        LockedShow set(window);
        if (!set || set->block.type != TAG_APPL || !set->applet || !set->applet->stack) return;
        // Running animations are served between applet lines.
        EnumChildWindows(window, UpdateAllAnimationsProc, 0);
        result = APPLETProcessLine(set->applet, window);
        checkinput = set->applet->checkinput;
    }
    if (result == 0 && !(checkinput && checkinput(window)))
        PostMessageA(window, WM_APPLETSTEP, 0, 0);
    else
        PostAdvance(window);
}

void OnPictureReady(HWND window, int index) {
    LockedShow set(window);
    if (!set || index != set->waitingforpicture || index != set->playedindex || set->block.type != TAG_IMAG) return;
    MarksAside marks(window, set.get());
    set->waitingforpicture = -1;
    if (StartPicture(window, set.get())) ++set->itemsthislap;
}

// A window without a show (no show loaded, or a monitor's window in
// "primary" mode) keeps its class's black.
bool OnEraseBackground(HWND window, HDC dc) {
    LockedShow set(window);
    if (!set) return false;
    RECT client;
    GetClientRect(window, &client);
    // The marks go under the fill: they are drawn again after it.
    DropOverlay(&set->clock);
    DropOverlay(&set->pausemark);
    if (set->backgroundbrush) FillRect(dc, &client, set->backgroundbrush);
    DrawNothingToPlay(dc, client);
    if (ShowsClock()) PostMessageA(window, WM_TIMER, IDT_CLOCK, 0);
    return true;
}

}  // namespace

MONITORSHOW *LockMonitorShow(HWND window) {
    HGLOBAL handle = (HGLOBAL)GetWindowLongPtrA(window, GWLP_USERDATA);
    MONITORSHOW *set = handle ? (MONITORSHOW *)GlobalLock(handle) : nullptr;
    if (set) set->window = window;
    return set;
}

void UnlockMonitorShow(HWND window) {
    if (HGLOBAL handle = (HGLOBAL)GetWindowLongPtrA(window, GWLP_USERDATA)) GlobalUnlock(handle);
}

bool StartMonitorShow(HWND window, int number, int monitors) {
    if (GetWindowLongPtrA(window, GWLP_USERDATA)) return true;
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(MONITORSHOW));
    if (!handle) return false;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)handle);
    int mirrored = -1, mirroredindex = -1;
    {
        LockedShow set(window);
        if (!set) return false;
        set->primary = window == theSession.host;
        set->backgroundbrush = CreateSolidBrush(theSession.background);
        TakeWindowSize(set.get());
        ResetPlace(set.get(), StartingPlace(number, monitors));
        // A monitor that comes while the show plays mirrors the item on screen.
        if (!set->primary && MonitorsMirror())
            if (MONITORSHOW *lead = LockMonitorShow(theSession.host)) {
                mirrored = lead->current, mirroredindex = lead->playedindex;
                UnlockMonitorShow(theSession.host);
            }
    }
    Begin(window);
    if (ShowsClock()) ScheduleClock(window);
    if (mirrored >= 0) PostMessageA(window, WM_MIRRORBLOCK, WPARAM(mirrored), LPARAM(mirroredindex));
    return true;
}

void ResizeMonitorShow(HWND window) {
    LockedShow set(window);
    if (!set) return;
    const int wide = set->screenwide, deep = set->screendeep;
    TakeWindowSize(set.get());
    if (set->screenwide == wide && set->screendeep == deep) return;
    // What was made for the old size goes: the next picture is made again,
    // and a picture or text on screen starts again at the new size.
    StopPreparing(&set->preparing);
    set->lookingahead = FALSE;
    const DWORD type = set->block.type;
    if ((type != TAG_IMAG && type != TAG_TEXT) || set->playedindex < 0) return;
    MarksAside marks(window, set.get());
    EndItem(window, set.get());
    PlayAt(window, set.get(), set->current, set->playedindex);
}

void EndMonitorShow(HWND window) {
    HGLOBAL handle = (HGLOBAL)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (!handle) return;
    if (MONITORSHOW *set = LockMonitorShow(window)) {
        // The worker may be reading the store's data: it ends before the store goes.
        StopPreparing(&set->preparing);
        ReleaseItem(window, set);
        KillTimer(window, IDT_CLOCK);
        DropOverlay(&set->clock);
        DropOverlay(&set->pausemark);
        if (set->backgroundbrush) DeleteObject(set->backgroundbrush);
        if (set->livename) GlobalFree(set->livename);
        if (set->partnername) GlobalFree(set->partnername);
        UnlockMonitorShow(window);
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    GlobalFree(handle);
}

void ShowNextPicture(HWND window) {
    LockedShow set(window);
    if (!set) return;
    STATUS &status = set->status;
    const bool cycling = set->block.type == TAG_IMAG && status.picture && status.phase < PHASE_DISAPPEAR &&
                         set->waitingforpicture < 0;
    if (!cycling) {
        PostAdvance(window);
        return;
    }
    // The hold ends at the next step: the disappear runs, and the cycle's end
    // goes on to the next block.
    MarksAside marks(window, set.get());
    set->paused = FALSE;
    HideOverlay(&set->pausemark, window);
    set->skipping = TRUE;
    status.holdtime = status.holdcount = 0;
}

void ShowPreviousPicture(HWND window) {
    LockedShow set(window);
    if (!set || (!set->primary && MonitorsMirror())) return;
    // The newest remembered picture is the one on screen (or just gone).
    int &count = set->rememberedcount;
    if (count < 2) return;
    --count;
    const PLAYEDPLACE back = set->remembered[count - 1];
    MarksAside marks(window, set.get());
    EndItem(window, set.get());
    PlayAt(window, set.get(), back.slot, back.played);
}

void PauseOrResume(HWND window) {
    LockedShow set(window);
    if (!set || set->block.type != TAG_IMAG || !set->status.picture) return;
    MarksAside marks(window, set.get());
    set->paused = !set->paused;
}

bool ShowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    *result = 0;
    switch (message) {
        case WM_ERASEBKGND:
            *result = 1;
            return OnEraseBackground(window, (HDC)wParam);
        case WM_TIMER: return OnShowTimer(window, wParam);
        case WM_APPLETSTEP: OnAppletStep(window); return true;
        case WM_PICTUREREADY: OnPictureReady(window, int(wParam)); return true;
        case WM_MIRRORBLOCK: OnMirrorBlock(window, int(wParam), int(lParam)); return true;
        default: return false;
    }
}
