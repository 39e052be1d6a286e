// Pictures made ready for the display, on the calling thread or on a worker.
#include "shell/prepare.h"

#include <process.h>

#include <cstdlib>

#include "applet/objects.h"
#include "content/loader.h"
#include "imaging/colour_reduction.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/jpeg_decode.h"
#include "imaging/palette.h"
#include "imaging/photo_file.h"
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

// The photo file of the live folders, decoded upright and fitted.
HGLOBAL DecodedPhoto(const PICTUREJOB &job, DWORD fit, volatile LONG *stop, DWORD *taken) {
    PHOTOFACTS facts = {};
    HGLOBAL dib = DecodePhotoFile(job.photo, fit ? fit : SCRF_FIT, job.screenwide, job.screendeep, stop, &facts);
    if (taken) *taken = facts.takendate;
    return dib;
}

// As PreparePicture; gives up between its stages once *stop is set.
HGLOBAL Prepare(const PICTUREJOB &job, volatile LONG *stop, DWORD *taken) {
    const BLOCK &block = job.block;
    const bool decoded = OffStore(job);
    const DWORD fit = PictureFit(block.image.flags);
    // `made` is a copy of our own; the store's data is never freed here. A
    // JPEG or a photo file comes from its decoder fitted already.
    HGLOBAL made = job.photo[0] ? DecodedPhoto(job, fit, stop, taken)
                   : decoded    ? DecodedJpeg(job, fit, stop)
                                : WidenedPicture(block.data);
    if ((decoded && !made) || Stopped(stop)) {
        if (made) GlobalFree(made);
        return 0;
    }
    if (fit && !decoded) {
        HGLOBAL fitted = FittedPicture(made ? made : block.data, fit, job.screenwide, job.screendeep);
        // The full-size copy goes as soon as the fitted one exists.
        if (made && fitted != made) GlobalFree(made);
        made = fitted != block.data ? fitted : 0;
        if (!fitted || Stopped(stop)) {
            if (made) GlobalFree(made);
            return 0;
        }
    }
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
    DWORD taken;         // a photo file's day taken, likewise
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
    if (OffStore(w->job)) InterlockedCompareExchange(&w->owner, WORK_OFFSTORE, WORK_SHARED);
    w->picture = Prepare(w->job, &w->stop, &w->taken);
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

HGLOBAL PreparePicture(const PICTUREJOB &job, DWORD *taken) { return Prepare(job, nullptr, taken); }

void BeginPreparing(PREPARING *preparing, HWND window, UINT message, int index, const PICTUREJOB &job) {
    if (preparing->work && preparing->work->index == index) return;
    StopPreparing(preparing);
    // From the C heap: the C++ allocation would link the run-time's
    // exception machinery, and its imports, into the player.
    PICTUREWORK *work = static_cast<PICTUREWORK *>(std::calloc(1, sizeof(PICTUREWORK)));
    if (!work) return;
    work->job = job, work->window = window, work->message = message, work->index = index;
    preparing->work = work;
    preparing->worker = (HANDLE)_beginthreadex(nullptr, 0, RunWork, work, 0, nullptr);
    // Without a thread the picture is made here, and is ready at once.
    if (!preparing->worker) RunWork(work);
}

PREPARED TakePrepared(PREPARING *preparing, int index, HGLOBAL *picture, DWORD *taken) {
    PICTUREWORK *work = preparing->work;
    if (!work || work->index != index) return PREPARED_NONE;
    // Its message can arrive before the thread has ended: `done` decides.
    if (!InterlockedCompareExchange(&work->done, 0, 0)) return PREPARED_BUSY;
    JoinWorker(preparing);
    *picture = work->picture;
    if (taken) *taken = work->taken;
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
