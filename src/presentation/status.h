// The display status: the state of the picture or text on screen as it runs
// through its phases (set-up, appear, hold, disappear).
#pragma once

#include <windows.h>

#include "content/format.h"
#include "presentation/effect_state.h"

// Phases of a picture's display cycle; each waits for its effect operation
// to report EFFECT_NEXTPHASE.
enum : WORD {
    PHASE_SETUP = 0,      // the appear effect prepares its working state
    PHASE_APPEAR = 1,     // the picture comes onto the screen step by step
    PHASE_HOLD = 2,       // the whole picture stays until holdcount runs out
    PHASE_DISAPPEAR = 3,  // the disappear effect takes it off again
};

struct STATUS {
    HDC dc;
    HWND window;
    HGLOBAL picture;  // not owned: the saver window frees it
    int x, y;
    int appeareffect;
    int disappeareffect;
    int activeeffect;  // 0xFFFF: set a new cycle up at the next tick
    int speed;
    int holdtime;
    int fade;  // ms a Crossfade lasts; 0: the default
    int panzoom;  // non-zero: the picture zooms slowly while it holds
    WORD phase;
    int holdcount;
    int width, height;
    int bits;
    BYTE palette[768];
    HBITMAP bitmap;   // owned
    void *worklist;   // owned
    void *order;      // owned
    HBRUSH backgroundbrush;
    HFONT font;       // the saver window deletes it
    HGLOBAL text;     // owned
    void *blend;      // owned: a Crossfade's buffers while it runs
    void *motion;     // owned: a pan-zoom picture's buffers from its set-up to the end of its hold
    int margin;
    int drawn;
    int boxfilled;
    int scroll;
    int alignment;
    RECT textrect;
    RECT boxrect;
    EFFECTSTATE effects;  // the appear and disappear effects' working state
};

// Results of an effect operation.
constexpr WORD EFFECT_NEXTPHASE = 0x1;  // the current phase is complete
constexpr WORD EFFECT_END = 0x2;        // end the cycle now

// activeeffect while no cycle runs: the next tick sets one up.
constexpr int NOACTIVEEFFECT = 0xFFFF;

WORD InitImageStatus(STATUS *status, HGLOBAL picture, int appeareffect, int disappeareffect, int speed,
                     int holdtime, HBRUSH backgroundbrush);
// A text measured for a screen `screenwide` wide (0: the primary monitor's
// width), which the band styles span.
WORD InitTextStatus(STATUS *status, HFONT font, HBRUSH backgroundbrush, HGLOBAL text, HWND window, int style,
                    int alignment, int boxwide, int boxdeep, int margin, int screenwide = 0);
void ChangePhase(STATUS *status);
WORD GetImage(HWND window, STATUS *status);
WORD DestroyStatus(STATUS *status);
// Frees a Crossfade's buffers, if any (DestroyStatus does it too).
void ReleaseBlend(STATUS *status);
// Frees a pan-zoom picture's buffers, if any (DestroyStatus does it too).
void ReleaseMotion(STATUS *status);
void HandleOnceCell(HWND window, HDC dc, STATUS *status);
void HandleOnceTextCell(HWND window, HDC dc, STATUS *status, const SCRTEXT *text);
