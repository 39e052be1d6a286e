// The block store: the loaded show as BLOCK records held by a hidden list box
// (item index = block index, item data = the record's memory handle), and the
// BLOCKSET record of what was loaded.
//
// Records and the data the loader reads into them are fixed global memory
// (GMEM_FIXED): a process has at most 65,536 movable handles (Windows
// documents it; Wine 8 fails the 65,537th), and a show of tens of thousands
// of blocks would use them all up. GlobalLock, GlobalSize and GlobalFree
// work on fixed blocks as on movable ones.
#pragma once

#include <windows.h>

#include "content/format.h"

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

// The loaded show as the container knows it: the file it was read from and
// how many blocks its store holds.
struct BLOCKSET {
    char path[269];
    HWND window;  // the window whose child holds the store
    int count;
    DWORD reserved[8];
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
