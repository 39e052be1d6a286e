// The bare player's photo settings in the registry: read softly, value by
// value, and written whole.
#include "shell/photo_settings.h"

#include <shlobj.h>

#include <cstdlib>
#include <cwchar>
#include <iterator>

#include "content/effects.h"
#include "content/format.h"

namespace {

const PHOTOCHOICE kFitRows[] = {{L"fit", L"Show the whole photo", SCRF_FIT},
                                {L"fill", L"Fill the screen", SCRF_FILL}};
const PHOTOCHOICE kOrderRows[] = {{L"random", L"Random", PHOTOORDER_RANDOM},
                                  {L"name", L"By name", PHOTOORDER_NAME},
                                  {L"date", L"By date taken", PHOTOORDER_DATE},
                                  {L"newest", L"Newest first", PHOTOORDER_NEWEST}};
const PHOTOCHOICE kCaptionRows[] = {{L"none", L"None", 0},
                                    {L"date", L"Date", SCRF_CAPTIONDATE},
                                    {L"name", L"Name", SCRF_CAPTIONNAME},
                                    {L"date and name", L"Date and name", SCRF_CAPTIONDATE | SCRF_CAPTIONNAME}};
const PHOTOCHOICE kMonitorRows[] = {{L"primary", L"Primary only", 0},
                                    {L"each", L"Each its own photo", SCRF_EACHMONITOR},
                                    {L"mirror", L"All show the same", SCRF_MIRRORMONITORS}};
// `Motion` is a check box in the dialog: its labels are not shown.
const PHOTOCHOICE kMotionRows[] = {{L"none", L"", FALSE}, {L"pan-zoom", L"", TRUE}};
const PHOTOCHOICES kPhotoMotions = {kMotionRows, DWORD(std::size(kMotionRows))};
const PHOTOCHOICE kClockRows[] = {{L"none", L"None", 0},
                                  {L"time", L"Time", SCRF_CLOCKTIME},
                                  {L"date and time", L"Date and time", SCRF_CLOCKTIME | SCRF_CLOCKDATE}};
// Check boxes in the dialog too.
const PHOTOCHOICE kBackdropRows[] = {{L"none", L"", 0}, {L"blur", L"", SCRF_BACKDROP}};
const PHOTOCHOICES kPhotoBackdrops = {kBackdropRows, DWORD(std::size(kBackdropRows))};
const PHOTOCHOICE kPairRows[] = {{L"none", L"", 0}, {L"portraits", L"", SCRF_PORTRAITPAIRS}};
const PHOTOCHOICES kPhotoPairs = {kPairRows, DWORD(std::size(kPairRows))};
const PHOTOCHOICE kKeyRows[] = {{L"none", L"", 0}, {L"browse", L"", SCRF_BROWSEKEYS}};
const PHOTOCHOICES kPhotoKeys = {kKeyRows, DWORD(std::size(kKeyRows))};

constexpr DWORD kNameLength = 32;               // longer than every name of a choice or effect
constexpr DWORD kFoldersMost = 1024 * 1024;     // bytes of `Folders` read at most
wchar_t noFolders[2] = {};                      // the list when even two characters cannot be had

// Upper case to lower in ASCII only: the names are ASCII, and a user's
// locale must not make two of them equal.
wchar_t Folded(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

template <typename Char>
bool SameName(const wchar_t *text, const Char *name) {
    for (; *text && *name; ++text, ++name)
        if (Folded(*text) != Folded(wchar_t((unsigned char)*name))) return false;
    return *text == 0 && *name == 0;
}

bool ReadNumber(HKEY key, const wchar_t *name, DWORD least, DWORD most, DWORD *value) {
    DWORD type = 0, number = 0, size = sizeof number;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE *)&number, &size) != ERROR_SUCCESS) return false;
    if (type != REG_DWORD || size != sizeof number || number < least || number > most) return false;
    *value = number;
    return true;
}

// A REG_SZ value that fits `text`, ended there whether or not it was stored so.
bool ReadName(HKEY key, const wchar_t *name, wchar_t (&text)[kNameLength]) {
    DWORD type = 0, size = (kNameLength - 1) * sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE *)text, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    text[size / sizeof(wchar_t)] = 0;
    return true;
}

// The value of the choice the value `name` names, else `*value` stays.
void ReadChoice(HKEY key, const wchar_t *name, const PHOTOCHOICES &choices, DWORD *value) {
    wchar_t text[kNameLength];
    if (!ReadName(key, name, text)) return;
    for (DWORD i = 0; i < choices.count; ++i)
        if (SameName(text, choices.choices[i].name)) *value = choices.choices[i].value;
}

void ReadTransition(HKEY key, DWORD *effect) {
    wchar_t text[kNameLength];
    if (!ReadName(key, L"Transition", text)) return;
    for (DWORD i = 0; i < EFFECTCOUNT; ++i)
        if (SameName(text, EFFECTNAMES[i])) *effect = i;
}

bool IsFullPath(const wchar_t *path) {
    const wchar_t letter = Folded(path[0]);
    if (letter >= L'a' && letter <= L'z' && path[1] == L':') return path[2] == L'\\' || path[2] == L'/';
    return path[0] == L'\\' && path[1] == L'\\';
}

// A list of `chars` characters and its end, zeroed; null when there is no memory.
wchar_t *NewList(size_t chars) { return (wchar_t *)std::calloc(chars + 1, sizeof(wchar_t)); }

// The entries of `raw` with their environment variables expanded, those
// that are then no full path left out; null when none is left.
wchar_t *ExpandedFolders(const wchar_t *raw) {
    size_t total = 0;
    for (const wchar_t *entry = raw; *entry; entry += std::wcslen(entry) + 1)
        total += ExpandEnvironmentStringsW(entry, nullptr, 0);
    wchar_t *list = total ? NewList(total) : nullptr;
    if (!list) return nullptr;
    wchar_t *end = list;
    for (const wchar_t *entry = raw; *entry; entry += std::wcslen(entry) + 1) {
        const size_t room = total - size_t(end - list);
        const DWORD length = ExpandEnvironmentStringsW(entry, end, DWORD(room));
        if (length != 0 && length <= room && IsFullPath(end))
            end += length;
        else
            std::wmemset(end, 0, room);  // left out, and the list still ends there
    }
    if (end != list) return list;
    std::free(list);
    return nullptr;
}

// `Folders`, expanded; null when it is missing, of another type, too long or
// names no full path.
wchar_t *ReadFolders(HKEY key) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, L"Folders", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ ||
        size > kFoldersMost)
        return nullptr;
    // Three characters more: the list's two ends even after a value cut
    // short inside a character.
    wchar_t *raw = NewList(size / sizeof(wchar_t) + 2);
    if (!raw) return nullptr;
    wchar_t *list = nullptr;
    if (RegQueryValueExW(key, L"Folders", nullptr, &type, (BYTE *)raw, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ)
        list = ExpandedFolders(raw);
    std::free(raw);
    return list;
}

// The user's Pictures folder as a list of one, else an empty list.
wchar_t *PicturesFolder() {
    wchar_t path[MAX_PATH] = {};
    const bool named = SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, path));
    wchar_t *list = NewList(named ? std::wcslen(path) + 1 : 1);
    if (!list) return noFolders;
    if (named) std::wcscpy(list, path);
    return list;
}

// The characters of a list up to and with its final empty string.
DWORD ListLength(const wchar_t *list) {
    const wchar_t *entry = list;
    while (*entry) entry += std::wcslen(entry) + 1;
    return DWORD(entry - list + 1);
}

bool WriteValue(HKEY key, const wchar_t *name, DWORD type, const void *data, DWORD size) {
    return RegSetValueExW(key, name, 0, type, (const BYTE *)data, size) == ERROR_SUCCESS;
}

bool WriteNumber(HKEY key, const wchar_t *name, DWORD number) {
    return WriteValue(key, name, REG_DWORD, &number, sizeof number);
}

bool WriteText(HKEY key, const wchar_t *name, const wchar_t *text) {
    return WriteValue(key, name, REG_SZ, text, DWORD((std::wcslen(text) + 1) * sizeof(wchar_t)));
}

// The name of the choice of `value`; a value no choice has writes the first.
bool WriteChoice(HKEY key, const wchar_t *name, const PHOTOCHOICES &choices, DWORD value) {
    const wchar_t *text = choices.choices[0].name;
    for (DWORD i = 0; i < choices.count; ++i)
        if (choices.choices[i].value == value) text = choices.choices[i].name;
    return WriteText(key, name, text);
}

bool WriteTransition(HKEY key, DWORD effect) {
    wchar_t text[kNameLength];
    PhotoEffectName(effect, text, kNameLength);
    return WriteText(key, L"Transition", text);
}

void SetDefaults(PHOTOSETTINGS *settings, wchar_t *folders) {
    settings->folders = folders;
    settings->subfolders = TRUE;
    settings->hold = kPhotoHoldDefault;
    settings->transition = CROSSFADE_EFFECT;
    settings->fade = kPhotoFadeDefault;
    settings->fit = SCRF_FIT;
    settings->order = PHOTOORDER_RANDOM;
    settings->caption = SCRF_CAPTIONDATE;
    settings->panzoom = TRUE;
    settings->monitors = SCRF_EACHMONITOR;
    settings->backdrop = SCRF_BACKDROP;
    settings->pair = 0;
    settings->clock = 0;
    settings->keys = 0;
}

}  // namespace

const PHOTOCHOICES kPhotoFits = {kFitRows, DWORD(std::size(kFitRows))};
const PHOTOCHOICES kPhotoOrders = {kOrderRows, DWORD(std::size(kOrderRows))};
const PHOTOCHOICES kPhotoCaptions = {kCaptionRows, DWORD(std::size(kCaptionRows))};
const PHOTOCHOICES kPhotoMonitors = {kMonitorRows, DWORD(std::size(kMonitorRows))};
const PHOTOCHOICES kPhotoClocks = {kClockRows, DWORD(std::size(kClockRows))};

void PhotoEffectName(DWORD effect, wchar_t *name, DWORD size) {
    if (size == 0) return;
    const char *ascii = EFFECTNAMES[effect < EFFECTCOUNT ? effect : CROSSFADE_EFFECT];
    DWORD i = 0;
    for (; ascii[i] && i + 1 < size; ++i) name[i] = wchar_t((unsigned char)ascii[i]);
    name[i] = 0;
}

void DefaultPhotoSettings(PHOTOSETTINGS *settings) { SetDefaults(settings, PicturesFolder()); }

void ReadPhotoSettings(const wchar_t *key, PHOTOSETTINGS *settings) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        DefaultPhotoSettings(settings);
        return;
    }
    wchar_t *folders = ReadFolders(opened);
    SetDefaults(settings, folders ? folders : PicturesFolder());
    DWORD subfolders = settings->subfolders, panzoom = settings->panzoom;
    ReadNumber(opened, L"Subfolders", 0, 1, &subfolders);
    settings->subfolders = BOOL(subfolders);
    ReadNumber(opened, L"Hold", kPhotoHoldLeast, kPhotoHoldMost, &settings->hold);
    ReadTransition(opened, &settings->transition);
    ReadNumber(opened, L"Fade", kPhotoFadeLeast, kPhotoFadeMost, &settings->fade);
    ReadChoice(opened, L"Fit", kPhotoFits, &settings->fit);
    ReadChoice(opened, L"Order", kPhotoOrders, &settings->order);
    ReadChoice(opened, L"Caption", kPhotoCaptions, &settings->caption);
    ReadChoice(opened, L"Motion", kPhotoMotions, &panzoom);
    settings->panzoom = BOOL(panzoom);
    ReadChoice(opened, L"Monitors", kPhotoMonitors, &settings->monitors);
    ReadChoice(opened, L"Backdrop", kPhotoBackdrops, &settings->backdrop);
    ReadChoice(opened, L"Pair", kPhotoPairs, &settings->pair);
    ReadChoice(opened, L"Clock", kPhotoClocks, &settings->clock);
    ReadChoice(opened, L"Keys", kPhotoKeys, &settings->keys);
    RegCloseKey(opened);
}

bool WritePhotoSettings(const wchar_t *key, const PHOTOSETTINGS &settings) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const wchar_t *folders = settings.folders ? settings.folders : noFolders;
    bool written = WriteValue(created, L"Folders", REG_MULTI_SZ, folders, ListLength(folders) * sizeof(wchar_t));
    written &= WriteNumber(created, L"Subfolders", settings.subfolders ? 1 : 0);
    written &= WriteNumber(created, L"Hold", settings.hold);
    written &= WriteTransition(created, settings.transition);
    written &= WriteNumber(created, L"Fade", settings.fade);
    written &= WriteChoice(created, L"Fit", kPhotoFits, settings.fit);
    written &= WriteChoice(created, L"Order", kPhotoOrders, settings.order);
    written &= WriteChoice(created, L"Caption", kPhotoCaptions, settings.caption);
    written &= WriteChoice(created, L"Motion", kPhotoMotions, settings.panzoom ? TRUE : FALSE);
    written &= WriteChoice(created, L"Monitors", kPhotoMonitors, settings.monitors);
    written &= WriteChoice(created, L"Backdrop", kPhotoBackdrops, settings.backdrop);
    written &= WriteChoice(created, L"Pair", kPhotoPairs, settings.pair);
    written &= WriteChoice(created, L"Clock", kPhotoClocks, settings.clock);
    written &= WriteChoice(created, L"Keys", kPhotoKeys, settings.keys);
    RegCloseKey(created);
    return written;
}

void PhotoSettingsKey(wchar_t *key, DWORD size) {
    const DWORD length = GetEnvironmentVariableW(kPhotoSettingsKeyVariable, key, size);
    if (length == 0 || length >= size) lstrcpynW(key, kPhotoSettingsKey, int(size));
}

void FreePhotoSettings(PHOTOSETTINGS *settings) {
    if (settings->folders != noFolders) std::free(settings->folders);
    settings->folders = nullptr;
}
