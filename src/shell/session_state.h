// What every monitor's show shares: the show loaded once, the mode the
// monitors play in and the one applet record. There is one show session in
// the saver process; shell/session.h loads, spreads and ends it, and each
// monitor's show (shell/monitor_show.h) reads it.
#pragma once

#include <windows.h>

#include "applet/applet.h"
#include "content/blockstore.h"
#include "photos/library.h"

struct SHOWSESSION {
    BLOCKSET show;  // what was loaded: the show file's path and the block count
    HWND host;      // the saver window on the primary monitor; its child holds the store
    HWND store;     // the block store
    DWORD mode;     // the header's monitor bits: 0 (primary only), SCRF_EACHMONITOR or SCRF_MIRRORMONITORS
    DWORD extras;   // the header's SCRF_CLOCKTIME, SCRF_CLOCKDATE and SCRF_BROWSEKEYS
    COLORREF background;
    bool playing;   // the show is set up and plays
    APPLET applet;  // one applet at a time, on the primary monitor
    // The applet's input check: serves the other monitors' shows while the
    // applet keeps the thread, then looks for input that ends the saver.
    int (*checkinput)(HWND window);
    // The bare player's live folders (shell/live_show.h): the library whose
    // photos play at the store's live slot; null for a packed show.
    PHOTOLIBRARY *library;
    int liveslot;      // store index of the live slot; -1 for a packed show
    int librarystate;  // the library's LIBRARYSTATE as last told
    ULONGLONG librarysince;  // when the library was opened (GetTickCount64)
    bool searchsaid;   // the screens say the photos are being looked for
};

// The saver process's one session.
extern SHOWSESSION theSession;

inline bool EachMonitorPlays() { return theSession.mode == SCRF_EACHMONITOR; }
inline bool MonitorsMirror() { return theSession.mode == SCRF_MIRRORMONITORS; }
// Applets, sounds and animations play on the primary monitor only.
inline bool ShowsClock() { return (theSession.extras & SCRF_CLOCKTIME) != 0; }
inline bool BrowsesWithKeys() { return (theSession.extras & SCRF_BROWSEKEYS) != 0; }
inline bool PlaysOnPrimaryOnly(DWORD type) { return type == TAG_APPL || type == TAG_SOND || type == TAG_ANIM; }
