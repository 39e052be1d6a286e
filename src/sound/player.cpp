// The one-at-a-time sound player and the handling of its completions.
//
// Wave sound: our own copy of the data stays locked, with the device's
// buffer header, from the start until the completion or a stop. A stop
// resets the device first, so it has let go of the buffer before anything is
// released. MIDI: the song is written to a temporary file that the MCI
// sequencer plays; the file goes when the song ends or is stopped.
#include "sound/player.h"

#include <cstring>

#include "content/object_list.h"
#include "content/format.h"

HGLOBAL APPLETwavehandle = nullptr;
PCMWAVEFORMAT *APPLETwaveformat = nullptr;
char *APPLETwavepointer = nullptr;
HGLOBAL APPLETwaveheader = nullptr;
WAVEHDR *APPLETpwaveheader = nullptr;
HWAVEOUT APPLEThwaveout = nullptr;
MCIDEVICEID APPLETid = APPLETNOSOUNDID;
char APPLETtemppath[MAX_PATH] = "";

namespace {

const char kTempPrefix[] = "MIDI";
const char kFallbackTempName[] = "TEMP$$$.$$$";

// Unlocks and frees a block held locked, and clears its handle.
void ReleaseLocked(HGLOBAL *handle) {
    if (!*handle) return;
    GlobalUnlock(*handle);
    GlobalFree(*handle);
    *handle = nullptr;
}

void ReleaseWaveMemory() {
    ReleaseLocked(&APPLETwavehandle);
    ReleaseLocked(&APPLETwaveheader);
    APPLETwaveformat = nullptr;
    APPLETwavepointer = nullptr;
    APPLETpwaveheader = nullptr;
}

// Deletes the song's temporary file, once: the path is emptied with it.
void DeleteTempFile() {
    if (APPLETtemppath[0]) DeleteFileA(APPLETtemppath);
    APPLETtemppath[0] = 0;
}

// Releases what a start took before it failed; always 0.
int FailStart() {
    ReleaseWaveMemory();
    DeleteTempFile();
    APPLETid = APPLETNOSOUNDID;
    return 0;
}

// A new movable block of `size` bytes copied or zeroed, held locked.
void *LockNew(HGLOBAL *handle, HGLOBAL copyOf, SIZE_T size) {
    HGLOBAL block = copyOf ? DuplicateObject(copyOf) : GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size);
    void *locked = block ? GlobalLock(block) : nullptr;
    if (!locked) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    *handle = block;
    return locked;
}

// The device is done with the buffer (or was reset): give everything back.
void FinishWave() {
    if (APPLEThwaveout) {
        if (APPLETpwaveheader) waveOutUnprepareHeader(APPLEThwaveout, APPLETpwaveheader, sizeof(WAVEHDR));
        waveOutClose(APPLEThwaveout);
    }
    APPLEThwaveout = nullptr;
    ReleaseWaveMemory();
}

// Only the completion of the buffer now playing releases it: a device
// handle and header address can be reused by the next sound, but that
// sound's header is not marked done until its own completion.
bool IsCurrentCompletion(WPARAM device, LPARAM header) {
    return APPLEThwaveout && (HWAVEOUT)device == APPLEThwaveout && (WAVEHDR *)header == APPLETpwaveheader &&
           APPLETpwaveheader && (APPLETpwaveheader->dwFlags & WHDR_DONE);
}

// A PCM record whose numbers cannot describe a sample stream is refused here:
// some platforms' format converters stop the process on such records.
bool IsSoundPcmRecord(const PCMWAVEFORMAT &format) {
    if (format.wf.wFormatTag != WAVE_FORMAT_PCM) return true;  // the device judges other formats
    const WORD bits = format.wBitsPerSample;
    return format.wf.nChannels > 0 && format.wf.nSamplesPerSec > 0 && bits > 0 && bits % 8 == 0 && bits <= 32 &&
           format.wf.nBlockAlign == format.wf.nChannels * (bits / 8);
}

int StartWave(HWND window, HGLOBAL data) {
    const SIZE_T size = data ? GlobalSize(data) : 0;
    if (size <= SOUNDFORMAT_SIZE) return 0;  // not even a format record and one byte
    char *wave = (char *)LockNew(&APPLETwavehandle, data, 0);
    if (!wave) return FailStart();
    APPLETwaveformat = (PCMWAVEFORMAT *)wave;
    APPLETwavepointer = wave + SOUNDFORMAT_SIZE;
    if (!IsSoundPcmRecord(*APPLETwaveformat)) return FailStart();
    APPLETpwaveheader = (WAVEHDR *)LockNew(&APPLETwaveheader, nullptr, sizeof(WAVEHDR));
    if (!APPLETpwaveheader) return FailStart();
    // The device reads a WAVEFORMATEX; a PCM record has no size field, so
    // it gets one of its own rather than reading past the record.
    WAVEFORMATEX format = {};
    std::memcpy(&format, APPLETwaveformat, sizeof(PCMWAVEFORMAT));
    if (waveOutOpen(&APPLEThwaveout, WAVE_MAPPER, &format, (DWORD_PTR)window, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        APPLEThwaveout = nullptr;
        return FailStart();
    }
    DWORD bytes = DWORD(size - SOUNDFORMAT_SIZE);
    const WORD align = APPLETwaveformat->wf.nBlockAlign;
    if (align > 1) bytes -= bytes % align;  // a partial sample frame at the end is not played
    APPLETpwaveheader->lpData = APPLETwavepointer;
    APPLETpwaveheader->dwBufferLength = bytes;
    if (waveOutPrepareHeader(APPLEThwaveout, APPLETpwaveheader, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        waveOutClose(APPLEThwaveout);
        APPLEThwaveout = nullptr;
        return FailStart();
    }
    if (waveOutWrite(APPLEThwaveout, APPLETpwaveheader, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(APPLEThwaveout, APPLETpwaveheader, sizeof(WAVEHDR));
        waveOutClose(APPLEThwaveout);
        APPLEThwaveout = nullptr;
        return FailStart();
    }
    return 1;
}

// The temporary file for a song: a unique "MIDI" file in the temporary
// folder, else a fixed name in the current folder.
void ChooseTempPath() {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || !GetTempFileNameA(folder, kTempPrefix, 0, APPLETtemppath))
        lstrcpyA(APPLETtemppath, kFallbackTempName);
}

int StartMidi(HWND window, HGLOBAL data) {
    // Without an output device the sequencer opens but never plays nor
    // reports an end: such a start fails before any file is made.
    if (midiOutGetNumDevs() == 0 || !data) return FailStart();
    ChooseTempPath();
    if (!WriteObject(window, APPLETtemppath, data)) {
        APPLETtemppath[0] = 0;  // WriteObject has deleted it
        return FailStart();
    }
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "sequencer";
    open.lpstrElementName = APPLETtemppath;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&open)) return FailStart();
    APPLETid = open.wDeviceID;
    MCI_PLAY_PARMS play = {};
    play.dwCallback = (DWORD_PTR)window;
    if (mciSendCommandA(APPLETid, MCI_PLAY, MCI_NOTIFY, (DWORD_PTR)&play)) {
        mciSendCommandA(APPLETid, MCI_CLOSE, MCI_WAIT, 0);
        return FailStart();
    }
    return 1;
}

void StopWave(HWND window) {
    if (APPLEThwaveout) waveOutReset(APPLEThwaveout);  // marks the buffer done and lets go of it
    SendMessageA(window, MM_WOM_DONE, (WPARAM)APPLEThwaveout, (LPARAM)APPLETpwaveheader);
    // A window that does not route completions here still gets its sound released.
    if (APPLETwavehandle) FinishWave();
    // Completions the reset queued belong to the device just closed.
    MSG msg;
    while (window && PeekMessageA(&msg, window, MM_WOM_DONE, MM_WOM_DONE, PM_REMOVE)) {}
}

// The sequencer is stopped and closed at once, so that the file is free to
// delete now and no late notification has anything left to release.
void StopMidi(HWND window) {
    MCI_GENERIC_PARMS stop = {};
    stop.dwCallback = (DWORD_PTR)window;
    mciSendCommandA(APPLETid, MCI_STOP, MCI_WAIT, (DWORD_PTR)&stop);
    mciSendCommandA(APPLETid, MCI_CLOSE, MCI_WAIT, 0);
    APPLETid = APPLETNOSOUNDID;
    DeleteTempFile();
}

void OnSongNotify(WPARAM code, LPARAM lparam) {
    // A stopped song's play reports itself aborted or superseded; its device
    // is gone and its id may already be the next song's.
    if (code == MCI_NOTIFY_ABORTED || code == MCI_NOTIFY_SUPERSEDED) return;
    if (APPLETid == APPLETNOSOUNDID || LOWORD(lparam) != APPLETid) return;
    mciSendCommandA(APPLETid, MCI_CLOSE, MCI_WAIT, 0);
    APPLETid = APPLETNOSOUNDID;
    DeleteTempFile();
}

}  // namespace

int APPLETPlaySound(HWND window, HGLOBAL data, unsigned long kind) {
    APPLETKillSound(window);
    APPLETwaveheader = nullptr;
    APPLETpwaveheader = nullptr;
    APPLEThwaveout = nullptr;
    APPLETwaveformat = nullptr;
    APPLETtemppath[0] = 0;
    APPLETid = APPLETNOSOUNDID;
    if (kind == TAG_WAVE) return StartWave(window, data);
    if (kind == TAG_MIDI) return StartMidi(window, data);
    return 1;  // nothing of a kind we play
}

int APPLETKillSound(HWND window) {
    if (APPLETwavehandle) StopWave(window);
    if (APPLETid != APPLETNOSOUNDID) StopMidi(window);
    return 1;
}

int APPLETIsPlaying() { return APPLETwavehandle || APPLETid != APPLETNOSOUNDID ? 1 : 0; }

int APPLETHandleMessage(HWND, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == MM_WOM_DONE && IsCurrentCompletion(wparam, lparam)) FinishWave();
    if (message == MM_MCINOTIFY) OnSongNotify(wparam, lparam);
    return 0;
}
