// The program's one-at-a-time sound player: PCM sound through the wave-out
// device, MIDI songs through the MCI sequencer. The show's sound items and
// the applets' sounds share it, so each replaces the other.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// Process-wide state of the one sound. A wave sound plays while
// APPLETwavehandle is set, a MIDI song while APPLETid is not APPLETNOSOUNDID.
constexpr MCIDEVICEID APPLETNOSOUNDID = (MCIDEVICEID)-1;
extern HGLOBAL APPLETwavehandle;        // our copy of the wave data, locked while it plays
extern PCMWAVEFORMAT *APPLETwaveformat;  // the format record at its start
extern char *APPLETwavepointer;         // its first sample byte
extern HGLOBAL APPLETwaveheader;        // the device's buffer header, locked while it plays
extern WAVEHDR *APPLETpwaveheader;
extern HWAVEOUT APPLEThwaveout;          // the open wave-out device, 0 when none
extern MCIDEVICEID APPLETid;             // the open sequencer of the playing song
extern char APPLETtemppath[MAX_PATH];    // the song's temporary file, empty when none

// Stops what plays, then starts `data` of `kind` (TAG_WAVE or TAG_MIDI);
// completions arrive as messages at `window`. 1 when it started or the kind
// is neither (nothing to play); 0 on failure, with nothing left held.
int APPLETPlaySound(HWND window, HGLOBAL data, unsigned long kind);
// Stops the playing sound, if any, and releases what it held; 1.
int APPLETKillSound(HWND window);
// 1 while a wave sound or a MIDI song plays.
int APPLETIsPlaying();

// The saver window offers every message here first; it finishes playback at
// MM_WOM_DONE and MM_MCINOTIFY. Always 0: the window goes on as usual.
int APPLETHandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
