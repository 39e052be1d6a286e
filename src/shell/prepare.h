// Pictures made ready for the display: read from the show file, decoded,
// fitted to the screen and reduced to the display palette. The picture of
// the item coming next is made on a worker thread while the show goes on,
// so neither input nor the picture on screen waits for a decode.
//
// The worker works on copies: the block record, the show file's path and the
// screen size. It never touches the monitor's show. It reads the block's
// stored data, which the store owns, so StopPreparing must run before the
// store is freed. Each monitor has its PREPARING: one picture at most is in
// hand beside the one on its screen.
#pragma once

#include <windows.h>

#include "content/blockstore.h"

struct PICTUREWORK;  // a picture being made on a worker thread

// The next picture of a monitor, being made on a worker thread or made.
struct PREPARING {
    PICTUREWORK *work;
    HANDLE worker;  // the thread making `work`, until it is joined
};

// Room for the path of a photo file of the live folders, \\?\ form included.
constexpr int kPhotoPathRoom = 4096;
// The most photos offered to stand beside a portrait: the first portrait
// among them is its partner.
constexpr int kPartnerChoices = 6;

// What the worker needs to make one picture.
struct PICTUREJOB {
    BLOCK block;  // a copy of the store's record; its handles stay the store's
    char path[269];
    wchar_t photo[kPhotoPathRoom];  // a photo file of the live folders, else empty: the block's data
    COLORREF background;            // the show's, around a pair of portraits
    int screenwide;
    int screendeep;
    int devicebits;  // the display's colour bits: 8 or fewer reduce to its palette
};

// What the making of a picture learnt beside it.
struct PICTUREFACTS {
    DWORD taken;         // a photo file's day taken (yyyymmdd); 0 unknown
    DWORD partnertaken;  // the same of the partner
    BOOL paired;         // a partner stands beside the photo in the picture
    int partnerchoice;   // which of the partners offered, when paired
    RECT photo;          // where the photo lies in the picture; empty: the whole picture
    RECT partner;        // where the partner lies, when paired
};

// The picture of an IMAG block (or of the job's photo file) as the display
// shows it, made on the calling thread: 0 when it cannot be made. With
// SCRF_BACKDROP a fitted photo sits on a blurred copy of itself filling the
// screen; with SCRF_PORTRAITPAIRS, on a screen wider than tall, a portrait
// photo stands beside the first portrait of the `partnercount` partners
// offered, each fitted into its half (a photo file's size is read from its
// header, so a landscape costs no decode). *facts, when given, says what
// was made.
HGLOBAL PreparePicture(const PICTUREJOB &job, PICTUREFACTS *facts = nullptr, const PICTUREJOB *partners = nullptr,
                       int partnercount = 0);

// Starts making the picture of store index `index` (beside one of the
// partners offered, as PreparePicture) on the worker, unless it is already
// being made or ready; a picture in hand for another index is dropped.
// When done the worker posts `message` with wParam `index` to `window`.
void BeginPreparing(PREPARING *preparing, HWND window, UINT message, int index, const PICTUREJOB &job,
                    const PICTUREJOB *partners = nullptr, int partnercount = 0);

// Whether the picture of store index `index` is being made or ready.
bool IsPreparing(const PREPARING *preparing, int index);

enum PREPARED { PREPARED_NONE, PREPARED_BUSY, PREPARED_READY };
// The state of the picture of store index `index`. PREPARED_READY hands the
// picture over in *picture (0 when it could not be made) and what was
// learnt in *facts when asked; PREPARED_NONE when no picture of that index
// is in hand or being made.
PREPARED TakePrepared(PREPARING *preparing, int index, HGLOBAL *picture, PICTUREFACTS *facts = nullptr);

// Asks the worker to stop and frees what it made. A worker that reads the
// store's data is waited for; one decoding a JPEG, which reads only the show
// file, is let go and frees its work itself when it ends, so closing never
// waits for a decode.
void StopPreparing(PREPARING *preparing);
