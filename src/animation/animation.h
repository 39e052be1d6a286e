// Animation windows: an ANIM block plays in a child window of its own over
// the saver window, on its own timers, while the show goes on.
#pragma once

#include <windows.h>

#include "content/blockstore.h"
#include "content/format.h"

extern const char AnimationClassName[];

// Private messages of an animation window.
constexpr UINT WM_ANIMARM = 0x0483;    // set the timer for the next frame
constexpr UINT WM_ANIMRESET = 0x0484;  // start again from the first frame

// Set in ANIMSTATE::flags once frames have been converted in place for a
// palette display; from then on no frame is converted again.
constexpr DWORD ANIMF_REMAPPED = 0x100;
// The frame timers: the first is `id` + this, every later one this.
constexpr UINT_PTR IDT_ANIMFRAME = 200;
// An animation window's control id is this plus its block's sequence: above
// every other child of the saver window (the store is 10), so looking the
// store up by its id never finds an animation, whatever the number of
// blocks.
constexpr int IDC_ANIMATIONFIRST = 0x10000;
static_assert(IDC_BLOCKSTORE < IDC_ANIMATIONFIRST);
inline int AnimationControlId(WORD sequence) { return IDC_ANIMATIONFIRST + sequence; }

// The state of one animation window, in a movable block that is the
// window's user data; a copy of the whole animation data follows it.
struct ANIMSTATE {
    DWORD tag;  // TAG_ANIM: the enumerations recognise their windows by it
    DWORD flags;  // the ANIM header's flags, SCRF_ENDWITH* and ANIMF_REMAPPED
    WORD id;      // the block's sequence; the control id is AnimationControlId(id)
    UINT_PTR timer;  // the pending frame timer, 0 when none
    HWND parent;
    DWORD frame;  // the next frame to draw
    HBITMAP background;  // the screen under the window before the first frame
    HBITMAP underlay;    // the window's area as shown now, taken before each frame
    RECT lastrect;       // the frame drawn last, empty before the first
    int x, y;            // the window's position on the screen
    DWORD loops;         // passes through all frames completed
    SIZE_T datasize;     // bytes of the animation data below
    // The block's data handle, which no other block shares: the search for a
    // block's animation matches it, since the 16-bit sequence repeats in a
    // show of more than 65,536 blocks.
    HGLOBAL source;
    // ANIMHEADER, the frame table and the frames' bitmaps follow.
};

inline char *AnimData(ANIMSTATE *state) { return (char *)(state + 1); }

int InitializeAnimation();
void DeinitializeAnimation();

// 1 when the animation window of `block` was created; 0 when one already
// runs for it, the data is not a playable animation or memory is short.
int AddAnimBlock(HWND window, BLOCKSET *set, BLOCK *block);
// 1 when a child of `window` plays the animation of `block` (or of a copy
// of it: copies share the data handle the search matches).
int IsAnimationRunning(HWND window, BLOCK *block);
BOOL CALLBACK IsAnimationRunningProc(HWND child, LPARAM block);
// Destroys the animation windows of `window` whose flags share a bit with `mask`.
void DestroyAllAnimations(HWND window, unsigned long mask);
BOOL CALLBACK DestroyAllAnimationsProc(HWND child, LPARAM mask);
// Serves the child window's queued messages; used before each applet line.
BOOL CALLBACK UpdateAllAnimationsProc(HWND child, LPARAM);

LRESULT CALLBACK AnimProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
ANIMSTATE *LockAnimObject(HWND window);
void UnlockAnimObject(HWND window);

// Copies frame record `index` to `out` and returns the frame's bitmap, or
// null when the record or its bitmap does not lie whole within the data.
BITMAPINFOHEADER *FindAnimationImage(ANIMSTATE *state, unsigned long index, OBJECTANIMFRAME *out);
// Draws one frame into the window, composed off-screen; 1 when drawn, 0
// when a drawing resource could not be had (nothing is drawn then).
int DrawAnimationCell(HWND window, HDC dc, BITMAPINFOHEADER *dib, int x, int y, RECT *client, RECT *lastrect,
                      unsigned long flags, unsigned long transparent, HBITMAP background, HBITMAP underlay);
