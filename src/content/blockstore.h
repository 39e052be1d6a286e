// The block store: the loaded show as BLOCK records held by a hidden list box
// (item index = block index, item data = the record's memory handle), and the
// BLOCKSET record with the state of the show.
//
// Records and the data the loader reads into them are fixed global memory
// (GMEM_FIXED): a process has at most 65,536 movable handles (Windows
// documents it; Wine 8 fails the 65,537th), and a show of tens of thousands
// of blocks would use them all up. GlobalLock, GlobalSize and GlobalFree
// work on fixed blocks as on movable ones.
#pragma once

#include <windows.h>

#include "content/format.h"
#include "presentation/status.h"

struct APPLET;
struct BLOCKSET;

// Control id of the store; animation windows take ids above 0xFFFF
// (animation/animation.h), so the two never meet.
constexpr int IDC_BLOCKSTORE = 10;

#pragma pack(push, 1)

struct BLOCK {
    DWORD type;  // tag of the block
    HGLOBAL data;
    HGLOBAL auxhandle;
    DWORD headerlength;
    WORD sequence;     // number among the non-HEAD blocks, in file order (its low 16 bits)
    WORD animrunning;  // result cell of the animation search
    HGLOBAL auxhandle2;
    SCRHEAD head;
    SCRIMAGE image;
    SCRTEXT text;
    SCRAPPLET applet;
    SCRSOUND sound;
    SCRANIM anim;
    SCREND trailer;
    BLOCKSET *blockset;
    HGLOBAL pictures;  // APPLETOBJECT array
    int picturecount;
    HGLOBAL sounds;  // APPLETOBJECT array
    int soundcount;
    UINT_PTR steptimer;  // timer ids, only in the BLOCKSET's current copy
    UINT_PTR secondtimer;
    UINT_PTR durationtimer;
};

struct PICTUREWORK;  // a picture being made on a worker thread (shell/prepare.cpp)

// The next picture of a monitor, being made on a worker thread or made.
struct PREPARING {
    PICTUREWORK *work;
    HANDLE worker;  // the thread making `work`, until it is joined
};

// The caption over a monitor's photo while it shows.
struct CAPTIONSTATE {
    HBITMAP under;  // the screen under it
    RECT underrect;  // where that was
    BOOL drawn;      // drawn in this hold (also when there was nothing to draw)
};

// The show as one monitor plays it: the saver window on the primary monitor
// holds one, and so does the window of every other monitor the show plays on.
// The blocks themselves are loaded once, into the primary window's store.
struct BLOCKSET {
    char path[269];
    HWND window;
    COLORREF backgroundcolour;
    int screenwide;
    int screendeep;
    int current;  // index of the current block, -1 before the first
    int count;
    BLOCK block;  // copy of the current block
    HBRUSH backgroundbrush;
    DWORD reserved[8];
    STATUS status;
    APPLET *applet;
    HBITMAP savedscreen;
    RECT savedrect;
    // Where the show stands on this monitor.
    HWND store;     // the block store, a child of the primary monitor's saver window
    HWND lead;      // the primary monitor's saver window; null on that window itself
    DWORD monitors;  // the header's monitor bits: 0, SCRF_EACHMONITOR or SCRF_MIRRORMONITORS
    int itemsthislap;       // items started since the header: -1 in the first lap
    int playedindex;        // store index of the block playing at `current`
    int waitingforpicture;  // store index of a picture the item waits for; -1 none
    BOOL lookingahead;      // the next picture is being made for the one on screen
    PREPARING preparing;
    CAPTIONSTATE caption;
};

#pragma pack(pop)

#ifndef _WIN64
static_assert(sizeof(BLOCK) == 3136, "BLOCK is the byte-packed record of the store");
#endif

// Creates the hidden list box that holds the store, as child `id` of `parent`.
HWND CreateBlockStore(HWND parent, int id = IDC_BLOCKSTORE);

HGLOBAL AllocateBlock(HWND list, unsigned index, const BLOCK *initial);
int AppendBlock(HWND list, BLOCKSET *set, const BLOCK *block);
int GetBlock(HWND list, int index, BLOCK *out);
int PutBlock(HWND list, int index, const BLOCK *in);
int FreeBlock(HWND list, int index);
int FreeBlocks(HWND window, BLOCKSET *set);
int DestroyBlock(BLOCK *block);
BLOCKSET *LockBlockSet(HWND window);
int UnlockBlockSet(HWND window);
