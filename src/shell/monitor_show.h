// The show as one monitor plays it: the same engine for the saver window on
// the primary monitor and the window of every other monitor the show plays
// on. It advances from block to block in a circle, starts each block by its
// type and drives pictures and texts on their timers. What the monitors
// share (the store, the mode, the applet record) is the session's
// (shell/session_state.h); what is each monitor's own is its MONITORSHOW,
// whose handle is its window's user data.
#pragma once

#include <windows.h>

#include "content/blockstore.h"
#include "presentation/status.h"
#include "shell/caption.h"
#include "shell/prepare.h"

struct APPLET;

// How many pictures a monitor remembers for the key that steps back.
constexpr int kRememberedPictures = 32;

// A picture a monitor played: where in the show, and which block or photo.
struct PLAYEDPLACE {
    int slot;
    int played;
};

struct MONITORSHOW {
    HWND window;
    BOOL primary;  // on the primary monitor: applets, sounds and animations play here, and mirrors follow it
    int screenwide;
    int screendeep;
    int current;  // the show's place: index of the current block, -1 before the first
    BLOCK block;  // copy of the current block
    HBRUSH backgroundbrush;
    STATUS status;
    APPLET *applet;
    HBITMAP savedscreen;
    RECT savedrect;
    int itemsthislap;       // items started since the header: -1 in the first lap
    int playedindex;        // store index of the block playing at `current`
    int waitingforpicture;  // store index of a picture the item waits for; -1 none
    BOOL lookingahead;      // the next picture is being made for the one on screen
    int reserved;           // a folder's photo taken ahead for this monitor's next picture; -1 none
    HGLOBAL livename;       // the caption name of the live folders' photo on screen (shell/live_show.h)
    PREPARING preparing;
    CAPTIONSTATE caption;
    OVERLAY clock;      // the clock, when the show has one
    OVERLAY pausemark;  // the mark of a paused hold
    BOOL paused;        // the hold does not count down
    BOOL skipping;      // the picture on screen is cut short: its cycle's end goes on
    PLAYEDPLACE remembered[kRememberedPictures];  // the pictures played last, the newest last
    int rememberedcount;
    // Portraits in pairs: the photos offered to stand beside the picture
    // being made, and the one beside the picture on screen, with its own caption.
    int preparedpartners[kPartnerChoices];  // played indices
    int preparedpartnercount;
    int partner;  // played index; -1 when the picture on screen stands alone
    BLOCK partnerblock;
    HGLOBAL partnername;
    CAPTIONSTATE partnercaption;
    RECT photorect;    // where the photo lies in the picture on screen; empty: all of it
    RECT partnerrect;  // where its partner lies
};

// The window's show, locked for the length of one handler; null when the
// window plays none.
MONITORSHOW *LockMonitorShow(HWND window);
void UnlockMonitorShow(HWND window);

// Gives `window` a show of its own, as monitor `number` of `monitors`
// (the primary monitor is 0), and starts it. False when it cannot be made.
bool StartMonitorShow(HWND window, int number, int monitors);
// The window's monitor changed its size: the show takes it.
void ResizeMonitorShow(HWND window);
// The window goes or the saver ends: its item is released, the next picture
// stops being made and the show's record is freed.
void EndMonitorShow(HWND window);

// The keys that browse: the next picture now (the one on screen leaves
// through its disappear), the one played before it, or the hold paused and
// resumed.
void ShowNextPicture(HWND window);
void ShowPreviousPicture(HWND window);
void PauseOrResume(HWND window);

// The show's own messages, for every monitor's window: true when `message`
// was one, with the window procedure's *result.
bool ShowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
