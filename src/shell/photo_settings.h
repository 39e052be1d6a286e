// The bare player's photo settings: which folders it plays and how, kept in
// the user's registry as plain values an administrator can also deploy
// (docs/photo-saver.md lists them). A value that is missing, of the wrong
// type or out of range takes its default; none of them stops the saver.
#pragma once

#include <windows.h>

// Where the settings live, under HKEY_CURRENT_USER.
constexpr wchar_t kPhotoSettingsKey[] = L"Software\\Marrowlight\\Photos";
// The settings dialog's Preview plays its unsaved choices: it writes them
// under this key, names it in this environment variable and starts the
// player with /s; the player then reads its settings from there.
constexpr wchar_t kPhotoSettingsKeyVariable[] = L"MARROWLIGHT_PHOTOS_KEY";

// How the photos play one after another.
enum : DWORD { PHOTOORDER_RANDOM, PHOTOORDER_NAME, PHOTOORDER_DATE, PHOTOORDER_NEWEST };

// The ranges of the numbers and their defaults.
constexpr DWORD kPhotoHoldLeast = 1, kPhotoHoldMost = 86400, kPhotoHoldDefault = 8;
constexpr DWORD kPhotoFadeLeast = 100, kPhotoFadeMost = 60000, kPhotoFadeDefault = 1500;

// One choice of a setting kept as a name: the name in the registry (read
// without regard to case), its label in the settings dialog, its value.
struct PHOTOCHOICE {
    const wchar_t *name;
    const wchar_t *label;
    DWORD value;
};
struct PHOTOCHOICES {
    const PHOTOCHOICE *choices;
    DWORD count;
};
// `Fit`, `Order`, `Caption`, `Monitors` and `Clock`, in the dialog's order.
extern const PHOTOCHOICES kPhotoFits, kPhotoOrders, kPhotoCaptions, kPhotoMonitors, kPhotoClocks;
// The name of effect index `effect` (content/effects.h), wide; the
// Crossfade's for an index out of range.
void PhotoEffectName(DWORD effect, wchar_t *name, DWORD size);

struct PHOTOSETTINGS {
    // The folders: full paths, environment variables expanded, each ending
    // in a null and the list in an empty one (the registry's REG_MULTI_SZ
    // form). From calloc; FreePhotoSettings frees it. Never null after a read.
    wchar_t *folders;
    BOOL subfolders;   // the folders below them too
    DWORD hold;        // seconds each photo stays, 1..86400
    DWORD transition;  // effect index (content/effects.h)
    DWORD fade;        // milliseconds a Crossfade lasts, 100..60000
    DWORD fit;         // SCRF_FIT or SCRF_FILL
    DWORD order;       // PHOTOORDER_*
    DWORD caption;     // SCRF_CAPTIONDATE and/or SCRF_CAPTIONNAME, or 0
    BOOL panzoom;      // the photo drifts while it holds
    DWORD monitors;    // 0 (primary only), SCRF_EACHMONITOR or SCRF_MIRRORMONITORS
    DWORD backdrop;    // SCRF_BACKDROP: a fitted photo sits on a blurred copy of itself; or 0
    DWORD pair;        // SCRF_PORTRAITPAIRS: two portraits side by side on a wide monitor; or 0
    DWORD clock;       // 0, SCRF_CLOCKTIME, or SCRF_CLOCKTIME | SCRF_CLOCKDATE
    DWORD keys;        // SCRF_BROWSEKEYS: the arrows browse and Space pauses; or 0
};

// Every value at its default, the folders the user's Pictures folder (an
// empty list when the system names none).
// The record is filled afresh: it holds no folders that need freeing.
void DefaultPhotoSettings(PHOTOSETTINGS *settings);
// Reads the settings under HKEY_CURRENT_USER\`key`; what is missing or bad
// takes its default, and without `Folders` the Pictures folder is used.
// A missing key gives the defaults. `Folders` entries are expanded and
// those that are then no full path left out; a list left empty counts as
// missing. The record is filled afresh, as by DefaultPhotoSettings.
void ReadPhotoSettings(const wchar_t *key, PHOTOSETTINGS *settings);
// Writes every value under HKEY_CURRENT_USER\`key`; false when the key
// cannot be made or a value not written.
bool WritePhotoSettings(const wchar_t *key, const PHOTOSETTINGS &settings);
// The key the saver and the settings dialog read: the one the variable
// names when it is set and not empty (and fits `size`), else kPhotoSettingsKey.
void PhotoSettingsKey(wchar_t *key, DWORD size);
void FreePhotoSettings(PHOTOSETTINGS *settings);
