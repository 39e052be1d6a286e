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

// What the worker needs to make one picture.
struct PICTUREJOB {
    BLOCK block;  // a copy of the store's record; its handles stay the store's
    char path[269];
    wchar_t photo[kPhotoPathRoom];  // a photo file of the live folders, else empty: the block's data
    int screenwide;
    int screendeep;
    int devicebits;  // the display's colour bits: 8 or fewer reduce to its palette
};

// The picture of an IMAG block (or of the job's photo file) as the display
// shows it, made on the calling thread: 0 when it cannot be made. *taken,
// when given, gets a photo file's day taken.
HGLOBAL PreparePicture(const PICTUREJOB &job, DWORD *taken = nullptr);

// Starts making the picture of store index `index` on the worker, unless it
// is already being made or ready; a picture in hand for another index is
// dropped. When done the worker posts `message` with wParam `index` to
// `window`.
void BeginPreparing(PREPARING *preparing, HWND window, UINT message, int index, const PICTUREJOB &job);

enum PREPARED { PREPARED_NONE, PREPARED_BUSY, PREPARED_READY };
// The state of the picture of store index `index`. PREPARED_READY hands the
// picture over in *picture (0 when it could not be made) and, for a photo
// file, the day it was taken (yyyymmdd, 0 unknown) in *taken when asked;
// PREPARED_NONE when no picture of that index is in hand or being made.
PREPARED TakePrepared(PREPARING *preparing, int index, HGLOBAL *picture, DWORD *taken = nullptr);

// Asks the worker to stop and frees what it made. A worker that reads the
// store's data is waited for; one decoding a JPEG, which reads only the show
// file, is let go and frees its work itself when it ends, so closing never
// waits for a decode.
void StopPreparing(PREPARING *preparing);
