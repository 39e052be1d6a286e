// Pictures made ready for the display, on the calling thread or on a worker.
#include "shell/prepare.h"

#include <process.h>

#include <cstdlib>

#include "applet/objects.h"
#include "content/loader.h"
#include "imaging/backdrop.h"
#include "imaging/colour_reduction.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/jpeg_decode.h"
#include "imaging/pair.h"
#include "imaging/palette.h"
#include "imaging/photo_file.h"
#include "imaging/placement.h"
#include "imaging/scale.h"

namespace {

// GDI draws 16- and 32-bit pictures, but the colour reduction and the crop
// work on the depths a packed bitmap has: such a picture becomes a 24-bit
// copy first. 0 for the other depths, which need no copy.
HGLOBAL WidenedPicture(HGLOBAL stored) {
    int w = 0, h = 0, bits = 0;
    if (!GetBitmapDimensions(stored, &w, &h, &bits, nullptr) || (bits != 16 && bits != 32)) return 0;
    const RECT whole = {0, 0, w, h};
    return CropImage(stored, &whole);
}

// The picture of a JPEG block, read from the show file, decoded and fitted;
// it gives up between the decode and the scale once *stop is set.
HGLOBAL DecodedJpeg(const PICTUREJOB &job, DWORD fit, volatile LONG *stop) {
    HGLOBAL jpeg = ReadJpegPicture(&job.block, job.path);
    HGLOBAL dib = jpeg ? DecodeJpegToFittedDib(jpeg, fit, job.screenwide, job.screendeep, stop) : 0;
    if (jpeg) GlobalFree(jpeg);
    return dib;
}

// A fitted or filled picture scaled from `stored` (a copy made here that
// the caller may free, or the store's data). 0 when it cannot be made;
// `stored` itself when it already has the size asked for.
HGLOBAL FittedPicture(HGLOBAL stored, DWORD fit, int screenwide, int screendeep) {
    int w = 0, h = 0;
    RECT part;
    SIZE size;
    if (!GetBitmapDimensions(stored, &w, &h, nullptr, nullptr) ||
        !FitPicture(w, h, screenwide, screendeep, fit, &part, &size))
        return 0;
    if (size.cx == w && size.cy == h && part.right - part.left == w && part.bottom - part.top == h) return stored;
    return ScaleDib(stored, &part, int(size.cx), int(size.cy));
}

bool Stopped(volatile LONG *stop) { return stop && *stop; }

// Whether the job's picture comes from outside the store: a JPEG read from
// the show file, or a photo file of the live folders.
bool OffStore(const PICTUREJOB &job) { return job.photo[0] || (job.block.image.flags & SCRF_JPEG); }

// Whether every job of `count` comes from outside the store.
bool AllOffStore(const PICTUREJOB *jobs, int count) {
    for (int i = 0; i < count; ++i)
        if (!OffStore(jobs[i])) return false;
    return true;
}

// The photo file of the live folders, decoded upright and fitted.
HGLOBAL DecodedPhoto(const PICTUREJOB &job, DWORD fit, volatile LONG *stop, DWORD *taken) {
    PHOTOFACTS facts = {};
    HGLOBAL dib = DecodePhotoFile(job.photo, fit ? fit : SCRF_FIT, job.screenwide, job.screendeep, stop, &facts);
    if (taken) *taken = facts.takendate;
    return dib;
}

// The picture fitted to the job's screen: in *made a copy of our own, or 0
// when the store's data serves as it is. False when there is nothing to
// show or *stop was set.
bool FittedStage(const PICTUREJOB &job, volatile LONG *stop, DWORD *taken, HGLOBAL *made) {
    const BLOCK &block = job.block;
    const bool decoded = OffStore(job);
    const DWORD fit = PictureFit(block.image.flags);
    // The store's data is never freed here. A JPEG or a photo file comes
    // from its decoder fitted already.
    *made = job.photo[0] ? DecodedPhoto(job, fit, stop, taken)
            : decoded    ? DecodedJpeg(job, fit, stop)
                         : WidenedPicture(block.data);
    if ((decoded && !*made) || Stopped(stop)) {
        if (*made) GlobalFree(*made);
        *made = 0;
        return false;
    }
    if (fit && !decoded) {
        HGLOBAL fitted = FittedPicture(*made ? *made : block.data, fit, job.screenwide, job.screendeep);
        // The full-size copy goes as soon as the fitted one exists.
        if (*made && fitted != *made) GlobalFree(*made);
        *made = fitted != block.data ? fitted : 0;
        if (!fitted || Stopped(stop)) {
            if (*made) GlobalFree(*made);
            *made = 0;
            return false;
        }
    }
    return true;
}

// The job of the same picture fitted into `size`.
PICTUREJOB *ResizedJob(const PICTUREJOB &job, SIZE size) {
    PICTUREJOB *copy = static_cast<PICTUREJOB *>(std::malloc(sizeof(PICTUREJOB)));
    if (!copy) return nullptr;
    *copy = job;
    copy->screenwide = int(size.cx), copy->screendeep = int(size.cy);
    return copy;
}

bool IsPortraitPicture(HGLOBAL picture) {
    int w = 0, h = 0;
    return GetBitmapDimensions(picture, &w, &h, nullptr, nullptr) && IsPortrait(w, h);
}

// Where MakePair centres a picture in half `index` of the screen.
RECT PlaceInHalf(HGLOBAL picture, int index, SIZE half, int screenwide, int screendeep) {
    int w = 0, h = 0;
    GetBitmapDimensions(picture, &w, &h, nullptr, nullptr);
    const int left = index == 0 ? 0 : screenwide - int(half.cx);
    const int x = left + int(half.cx) / 2 - w / 2, y = screendeep / 2 - h / 2;
    return RECT{x, y, x + w, y + h};
}

// Whether the partner offered is a portrait: a photo file by its header, a
// stored picture by its size; a JPEG of the show file is found out when made.
bool OffersPortrait(const PICTUREJOB &partner) {
    int w = 0, h = 0;
    if (partner.photo[0]) return ReadPhotoSize(partner.photo, &w, &h) && IsPortrait(w, h);
    return (partner.block.image.flags & SCRF_JPEG) || !GetStoredPictureSize(&partner.block, &w, &h) ||
           IsPortrait(w, h);
}

// The first portrait of the partners offered; -1 for none.
int ChoosePartner(const PICTUREJOB *partners, int count, volatile LONG *stop) {
    for (int i = 0; i < count && !Stopped(stop); ++i)
        if (OffersPortrait(partners[i])) return i;
    return -1;
}

// A portrait photo beside the first portrait of its partners: both fitted
// into their halves and composed. 0 when no partner is a portrait or can
// be made; `main` (the photo fitted to the whole screen) is left to the caller.
HGLOBAL PairedPicture(const PICTUREJOB &job, const PICTUREJOB *partners, int count, HGLOBAL main, volatile LONG *stop,
                      PICTUREFACTS *facts) {
    SIZE half;
    if (!IsPortraitPicture(main) || !GetPairHalf(job.screenwide, job.screendeep, &half)) return 0;
    const int choice = ChoosePartner(partners, count, stop);
    if (choice < 0) return 0;
    PICTUREJOB *halves[2] = {ResizedJob(job, half), ResizedJob(partners[choice], half)};
    HGLOBAL made[2] = {0, 0}, pictures[2] = {0, 0};
    DWORD taken = 0;
    HGLOBAL result = 0;
    // A portrait fitted to the whole screen that fits its half already is
    // what fitting it to the half would make: it is not decoded again.
    int w = 0, h = 0;
    const bool reuse = PictureFit(job.block.image.flags) == SCRF_FIT &&
                       GetBitmapDimensions(main, &w, &h, nullptr, nullptr) && w <= half.cx && h <= half.cy;
    if (reuse) pictures[0] = main;
    for (int i = reuse ? 1 : 0; i < 2 && halves[0] && halves[1]; ++i) {
        halves[i]->block.image.flags &= ~(SCRF_BACKDROP | SCRF_PORTRAITPAIRS);
        if (!FittedStage(*halves[i], stop, i ? &facts->partnertaken : &taken, &made[i])) break;
        pictures[i] = made[i] ? made[i] : halves[i]->block.data;
    }
    if (pictures[0] && pictures[1] && IsPortraitPicture(pictures[1])) {
        const bool backdrop = (job.block.image.flags & SCRF_BACKDROP) != 0;
        result = MakePair(pictures[0], pictures[1], job.screenwide, job.screendeep, backdrop, job.background);
        if (result) {
            facts->paired = TRUE;
            facts->partnerchoice = choice;
            facts->photo = PlaceInHalf(pictures[0], 0, half, job.screenwide, job.screendeep);
            facts->partner = PlaceInHalf(pictures[1], 1, half, job.screenwide, job.screendeep);
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (made[i]) GlobalFree(made[i]);
        std::free(halves[i]);
    }
    return result;
}

// A fitted photo on its blurred backdrop, filling the screen; 0 when it
// cannot be made.
HGLOBAL BackdropPicture(const PICTUREJOB &job, HGLOBAL fitted, PICTUREFACTS *facts) {
    int w = 0, h = 0, x = 0, y = 0;
    const SIZE screen = {job.screenwide, job.screendeep};
    if (!GetBitmapDimensions(fitted, &w, &h, nullptr, nullptr) || (w >= job.screenwide && h >= job.screendeep) ||
        !GetImageOriginForSize(&x, &y, &job.block, w, h, &screen))
        return 0;
    HGLOBAL made = MakeBackdrop(fitted, job.screenwide, job.screendeep, x, y);
    if (made) facts->photo = RECT{x, y, x + w, y + h};
    return made;
}

// The fitted picture as the screen shows it: beside a partner, or on its
// backdrop, when the block asks and it can be made; else as it is.
HGLOBAL ComposedPicture(const PICTUREJOB &job, const PICTUREJOB *partners, int partnercount, HGLOBAL made,
                        volatile LONG *stop, PICTUREFACTS *facts) {
    const DWORD flags = job.block.image.flags;
    HGLOBAL fitted = made ? made : job.block.data;
    HGLOBAL composed = 0;
    if (partnercount > 0 && (flags & SCRF_PORTRAITPAIRS) && PictureFit(flags) &&
        ShowsPairs(job.screenwide, job.screendeep))
        composed = PairedPicture(job, partners, partnercount, fitted, stop, facts);
    if (!composed && (flags & SCRF_BACKDROP) && PictureFit(flags) == SCRF_FIT)
        composed = BackdropPicture(job, fitted, facts);
    if (!composed) return made;
    if (made) GlobalFree(made);
    return composed;
}

// The picture reduced to the display's palette when it has one, and cut to
// the screen when larger. Takes `made` (0: the store's data serves).
HGLOBAL DisplayedPicture(const PICTUREJOB &job, HGLOBAL made) {
    const BLOCK &block = job.block;
    HGLOBAL stored = made ? made : block.data;
    BYTE palette[768];
    int bits = 0;
    GetDefaultPalette(palette, &bits, PALETTE_DISPLAY);
    HGLOBAL picture = job.devicebits > 8 ? (made ? made : DuplicateObject(stored))
                      : (block.image.flags & SCRF_REMAP) ? RemapDib(stored, palette, bits, 0)
                                                          : DitherDib(stored, palette, bits, 0);
    if (made && picture != made) GlobalFree(made);
    // A picture at its own size shows the screen's worth of its centre.
    int w = 0, h = 0;
    const int sw = job.screenwide, sh = job.screendeep;
    if (picture && GetBitmapDimensions(picture, &w, &h, nullptr, nullptr) && (w > sw || h > sh)) {
        RECT crop = {0, 0, w, h};
        if (w > sw) crop.left = (w - sw) / 2, crop.right = crop.left + sw;
        if (h > sh) crop.top = (h - sh) / 2, crop.bottom = crop.top + sh;
        if (HGLOBAL cropped = CropImage(picture, &crop)) {
            GlobalFree(picture);
            picture = cropped;
        }
    }
    return picture;
}

// As PreparePicture; gives up between its stages once *stop is set.
HGLOBAL Prepare(const PICTUREJOB &job, volatile LONG *stop, PICTUREFACTS *facts, const PICTUREJOB *partners,
                int partnercount) {
    HGLOBAL made = 0;
    if (!FittedStage(job, stop, &facts->taken, &made)) return 0;
    made = ComposedPicture(job, partners, partnercount, made, stop, facts);
    if (!Stopped(stop)) return DisplayedPicture(job, made);
    if (made) GlobalFree(made);
    return 0;
}

}  // namespace

// Who answers for a PICTUREWORK. A JPEG's worker reads the show file (a photo
// file's worker its file), never
// the store's memory, so a stop need not wait for its decode: the window
// thread lets go of the work and the worker frees it when it ends.
enum : LONG {
    WORK_SHARED = 0,     // the window thread frees it after the worker ends
    WORK_OFFSTORE = 1,   // the worker touches nothing of the store's: it may be let go
    WORK_LETGO = 2,      // let go: the worker frees it
    WORK_FINISHED = 3,   // the worker has ended its work
};

// The picture in hand: being made by the worker, or ready.
struct PICTUREWORK {
    PICTUREJOB job;
    HWND window;
    UINT message;
    int index;
    volatile LONG stop;
    HGLOBAL picture;     // written by the worker before it sets `done`
    PICTUREFACTS facts;  // likewise
    int partnercount;    // of `partners`, offered to stand beside the picture
    PICTUREJOB partners[kPartnerChoices];
    volatile LONG done;  // set before the worker posts its message
    volatile LONG owner;  // WORK_*
};

namespace {

void FreeWorkOf(PICTUREWORK *w) {
    if (w->picture) GlobalFree(w->picture);
    std::free(w);
}

unsigned __stdcall RunWork(void *argument) {
    PICTUREWORK *w = static_cast<PICTUREWORK *>(argument);
    if (OffStore(w->job) && AllOffStore(w->partners, w->partnercount))
        InterlockedCompareExchange(&w->owner, WORK_OFFSTORE, WORK_SHARED);
    w->picture = Prepare(w->job, &w->stop, &w->facts, w->partners, w->partnercount);
    if (InterlockedExchange(&w->owner, WORK_FINISHED) == WORK_LETGO) {
        FreeWorkOf(w);
        return 0;
    }
    InterlockedExchange(&w->done, 1);
    if (!w->stop) PostMessageA(w->window, w->message, WPARAM(w->index), 0);
    return 0;
}

// Waits for the worker to end; it has then written the picture. Once it
// has said it is done, this waits only for its last instructions.
void JoinWorker(PREPARING *preparing) {
    if (!preparing->worker) return;
    WaitForSingleObject(preparing->worker, INFINITE);
    CloseHandle(preparing->worker);
    preparing->worker = nullptr;
}

void FreeWork(PREPARING *preparing) {
    std::free(preparing->work);
    preparing->work = nullptr;
}

}  // namespace

HGLOBAL PreparePicture(const PICTUREJOB &job, PICTUREFACTS *facts, const PICTUREJOB *partners, int partnercount) {
    PICTUREFACTS learnt = {};
    HGLOBAL picture = Prepare(job, nullptr, &learnt, partners, partners ? partnercount : 0);
    if (facts) *facts = learnt;
    return picture;
}

void BeginPreparing(PREPARING *preparing, HWND window, UINT message, int index, const PICTUREJOB &job,
                    const PICTUREJOB *partners, int partnercount) {
    if (preparing->work && preparing->work->index == index) return;
    StopPreparing(preparing);
    // From the C heap: the C++ allocation would link the run-time's
    // exception machinery, and its imports, into the player.
    PICTUREWORK *work = static_cast<PICTUREWORK *>(std::calloc(1, sizeof(PICTUREWORK)));
    if (!work) return;
    work->job = job, work->window = window, work->message = message, work->index = index;
    work->partnercount = partners ? (partnercount < kPartnerChoices ? partnercount : kPartnerChoices) : 0;
    for (int i = 0; i < work->partnercount; ++i) work->partners[i] = partners[i];
    preparing->work = work;
    preparing->worker = (HANDLE)_beginthreadex(nullptr, 0, RunWork, work, 0, nullptr);
    // Without a thread the picture is made here, and is ready at once.
    if (!preparing->worker) RunWork(work);
}

bool IsPreparing(const PREPARING *preparing, int index) { return preparing->work && preparing->work->index == index; }

PREPARED TakePrepared(PREPARING *preparing, int index, HGLOBAL *picture, PICTUREFACTS *facts) {
    PICTUREWORK *work = preparing->work;
    if (!work || work->index != index) return PREPARED_NONE;
    // Its message can arrive before the thread has ended: `done` decides.
    if (!InterlockedCompareExchange(&work->done, 0, 0)) return PREPARED_BUSY;
    JoinWorker(preparing);
    *picture = work->picture;
    if (facts) *facts = work->facts;
    FreeWork(preparing);
    return PREPARED_READY;
}

void StopPreparing(PREPARING *preparing) {
    PICTUREWORK *work = preparing->work;
    if (!work) return;
    InterlockedExchange(&work->stop, 1);
    if (preparing->worker &&
        InterlockedCompareExchange(&work->owner, WORK_LETGO, WORK_OFFSTORE) == WORK_OFFSTORE) {
        // Decoding still, off the store: it ends and frees the work by itself.
        CloseHandle(preparing->worker);
        preparing->worker = nullptr;
        preparing->work = nullptr;
        return;
    }
    JoinWorker(preparing);
    if (work->picture) GlobalFree(work->picture);
    FreeWork(preparing);
}
