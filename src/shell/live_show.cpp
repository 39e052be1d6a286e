// The live folders' show: a store of two blocks made from the photo
// settings, and the library that says which photo plays at the live slot.
#include "shell/live_show.h"

#include <cstring>

#include "content/effects.h"
#include "content/loader.h"
#include "shell/globals.h"
#include "shell/messages.h"
#include "shell/monitor_show.h"
#include "shell/monitor_windows.h"
#include "shell/photo_settings.h"
#include "shell/session_state.h"

namespace {

constexpr DWORD kPictureSpeed = 40;  // the step of the effects other than the Crossfade, as mlshow's default
constexpr int kNameRoom = int(MAXCAPTIONLENGTH);
constexpr ULONGLONG kQuietSearch = 2000;  // ms a search may find nothing before the screens say so

// The folder of the catalogue: %LOCALAPPDATA%\Marrowlight; empty when the
// system names no such folder, and then nothing is kept between starts.
void CatalogueFolder(wchar_t *folder, DWORD size) {
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, size);
    if (length == 0 || length + 13 >= size) {
        folder[0] = 0;
        return;
    }
    lstrcatW(folder, L"\\Marrowlight");
}

// The header: the monitors as the settings say, on black.
bool AppendHeader(const PHOTOSETTINGS &settings) {
    BLOCK head;
    CreateBlock(nullptr, &theSession.show, &head, TAG_HEAD, 0, 0);
    head.head.flags = SCRF_VALID | settings.monitors | settings.clock | settings.keys;
    head.head.backgroundcolour = 0;
    lstrcpynA(head.head.title, szSaverAppName, sizeof head.head.title);
    return AppendBlock(theSession.store, &theSession.show, &head) != 0;
}

// The live slot: every photo plays as this picture block says. A Crossfade
// dissolves each photo into the next, so nothing is cleared between them.
bool AppendLiveSlot(const PHOTOSETTINGS &settings) {
    BLOCK slot;
    CreateBlock(nullptr, &theSession.show, &slot, TAG_IMAG, 0, 0);
    SCRIMAGE &image = slot.image;
    image.flags = SCRF_VALID | settings.fit | settings.caption | (settings.panzoom ? SCRF_PANZOOM : 0) |
                  settings.backdrop | settings.pair;
    image.appeareffect = settings.transition;
    image.disappeareffect = settings.transition == CROSSFADE_EFFECT ? NOCLEAR_EFFECT : settings.transition;
    image.speed = kPictureSpeed;
    image.fade = settings.fade;
    image.holdtime = settings.hold;
    image.duration = 1;  // one cycle: appear, hold, disappear
    // AppendBlock answers the new block's index plus one.
    theSession.liveslot = AppendBlock(theSession.store, &theSession.show, &slot) - 1;
    return theSession.liveslot >= 0;
}

bool OpenPhotoLibrary(HWND host, const PHOTOSETTINGS &settings) {
    wchar_t folder[MAX_PATH];
    CatalogueFolder(folder, MAX_PATH);
    LIBRARYOPTIONS options = {};
    options.folders = settings.folders;
    options.subfolders = settings.subfolders;
    options.order = settings.order;
    options.store = folder[0] ? folder : nullptr;
    options.notify = host;
    options.message = WM_LIBRARYCHANGED;
    theSession.library = OpenLibrary(options);
    theSession.librarysince = GetTickCount64();
    return theSession.library != nullptr;
}

int PhotoId(int index) { return index - kLivePhotoBase; }

HWND MonitorWindow(int index) { return index == 0 ? theSession.host : OtherMonitorWindow(index - 1); }

void InvalidateMonitors() {
    for (int i = 0; i <= OtherMonitorCount(); ++i) {
        HWND window = MonitorWindow(i);
        if (window && GetWindowLongPtrA(window, GWLP_USERDATA)) InvalidateRect(window, nullptr, TRUE);
    }
}

// The words for a library with nothing to play.
const wchar_t *NothingToPlay(int state) {
    switch (state) {
        case LIBRARY_SEARCHING:
            return theSession.searchsaid ? L"Looking for photos in the chosen folders..." : nullptr;
        case LIBRARY_NOFOLDERS: return L"No photo folder is chosen, and Windows names no Pictures folder.";
        case LIBRARY_FOLDERSMISSING: return L"The photo folders cannot be found: a disk may be unplugged or a network share offline.";
        case LIBRARY_NOPHOTOS: return L"The photo folders hold no photos (.jpg, .png, .bmp or .gif).";
        default: return nullptr;
    }
}

}  // namespace

int LoadLiveSession(HWND host, bool preview) {
    std::memset(&theSession, 0, sizeof theSession);
    theSession.host = host;
    theSession.show.window = host;
    theSession.liveslot = -1;
    theSession.store = CreateBlockStore(host);
    PHOTOSETTINGS settings = {};
    wchar_t key[256];
    PhotoSettingsKey(key, 256);
    ReadPhotoSettings(key, &settings);
    if (preview) settings.monitors = 0;
    const bool made = theSession.store && AppendHeader(settings) && AppendLiveSlot(settings) &&
                      OpenPhotoLibrary(host, settings);
    FreePhotoSettings(&settings);
    if (!preview) SetCursor(LoadCursorA(hInst, MAKEINTRESOURCEA(IDC_INVISIBLE)));
    if (made) PostMessageA(host, WM_CONTENTLOADED, 0, 0);
    return made ? 1 : 0;
}

void CloseLiveSession() {
    if (theSession.library) CloseLibrary(theSession.library);
    theSession.library = nullptr;
    theSession.liveslot = -1;
}

bool IsLiveSlot(int slot) { return theSession.library && slot == theSession.liveslot; }

bool GetPlayedBlock(int index, BLOCK *block) {
    if (!IsLivePhoto(index)) return GetBlock(theSession.store, index, block) != 0;
    if (!theSession.library || !GetBlock(theSession.store, theSession.liveslot, block)) return false;
    block->image.takendate = LibraryPhotoDate(theSession.library, PhotoId(index));
    return true;
}

int TakeLivePhoto(const int *excluded, int count) {
    if (!theSession.library) return -1;
    int ids[400];
    int known = 0;
    for (int i = 0; i < count && known < int(sizeof ids / sizeof *ids); ++i)
        if (IsLivePhoto(excluded[i])) ids[known++] = PhotoId(excluded[i]);
    const int id = TakeLibraryPhoto(theSession.library, ids, known);
    return id < 0 ? -1 : kLivePhotoBase + id;
}

bool LivePhotosPlayOutOfTurn() { return theSession.library && LibraryPlaysOutOfTurn(theSession.library); }

void CommitLivePhoto(int index) {
    if (theSession.library && IsLivePhoto(index)) CommitLibraryPhoto(theSession.library, PhotoId(index));
}

void DropLivePhoto(int index) {
    if (theSession.library && IsLivePhoto(index)) DropLibraryPhoto(theSession.library, PhotoId(index));
}

bool LivePhotoPath(int index, wchar_t *path, DWORD size) {
    return theSession.library && IsLivePhoto(index) && LibraryPhotoPath(theSession.library, PhotoId(index), path, size);
}

DWORD SetLivePhotoName(int index, HGLOBAL *name) {
    char text[kNameRoom];
    const int length = theSession.library && IsLivePhoto(index)
                           ? LibraryPhotoName(theSession.library, PhotoId(index), text, kNameRoom)
                           : 0;
    if (length <= 0) return 0;
    HGLOBAL resized = *name ? GlobalReAlloc(*name, SIZE_T(length), GMEM_MOVEABLE) : GlobalAlloc(GMEM_MOVEABLE, SIZE_T(length));
    if (!resized) return 0;
    *name = resized;
    char *bytes = (char *)GlobalLock(resized);
    if (!bytes) return 0;
    std::memcpy(bytes, text, size_t(length));
    GlobalUnlock(resized);
    return DWORD(length);
}

void NoteLivePhotoDate(int index, DWORD yyyymmdd) {
    if (theSession.library && IsLivePhoto(index) && yyyymmdd)
        NoteLibraryPhotoDate(theSession.library, PhotoId(index), yyyymmdd);
}

void OnLibraryChanged(int state) {
    if (!theSession.library) return;
    theSession.librarystate = state;
    // The words go, or say what is wrong, before a photo comes.
    if (theSession.searchsaid || NothingToPlay(state)) InvalidateMonitors();
    theSession.searchsaid = false;
    for (int i = 0; i <= OtherMonitorCount(); ++i) {
        HWND window = MonitorWindow(i);
        // A monitor resting at its header for want of a photo goes on now.
        if (window && GetWindowLongPtrA(window, GWLP_USERDATA) && KillTimer(window, IDT_IDLELAP))
            PostMessageA(window, WM_TIMER, IDT_ADVANCE, 0);
    }
}

void NoteIdleLap() {
    if (!theSession.library || theSession.searchsaid || theSession.librarystate != LIBRARY_SEARCHING ||
        LibraryCount(theSession.library) > 0 || GetTickCount64() - theSession.librarysince < kQuietSearch)
        return;
    theSession.searchsaid = true;
    InvalidateMonitors();
}

bool DrawNothingToPlay(HDC dc, const RECT &area) {
    const wchar_t *what = theSession.library ? NothingToPlay(theSession.librarystate) : nullptr;
    if (!what) return false;
    wchar_t text[512];
    lstrcpynW(text, what, 256);
    if (theSession.librarystate != LIBRARY_SEARCHING)
        lstrcatW(text, L"\r\n\r\nRight-click Marrowlight and choose Configure to choose your photos.");
    const int deep = area.bottom - area.top;
    HFONT font = CreateFontW(-(deep / 36 > 12 ? deep / 36 : 12), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             CLEARTYPE_QUALITY, 0, L"Segoe UI");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(200, 200, 200));
    RECT box = area;
    InflateRect(&box, -(area.right - area.left) / 8, 0);
    RECT measured = box;
    DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    OffsetRect(&measured, 0, (deep - (measured.bottom - measured.top)) / 2 - measured.top + area.top);
    measured.left = box.left, measured.right = box.right;
    DrawTextW(dc, text, -1, &measured, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    if (font) DeleteObject(font);
    return true;
}
