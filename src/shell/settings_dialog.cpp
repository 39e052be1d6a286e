// The bare player's settings dialog: the photo folders and how they play,
// read from the registry as it opens and written whole by OK. Preview plays
// the choices before they are kept.
#include "shell/settings_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <cwchar>

#include "content/effects.h"
#include "ml_version.h"
#include "shell/photo_settings.h"

namespace {

constexpr wchar_t kTitle[] = L"Marrowlight settings";
constexpr wchar_t kPreviewSubkey[] = L"\\Preview";
constexpr DWORD kKeyLength = 256;
constexpr DWORD kPathLength = 1024;  // the program's own path, a folder's in the list
constexpr int kNameLength = 32;      // an effect's name
constexpr int kDigits = 5;           // the numbers' most digits
constexpr int kExtentMargin = 8;     // pixels after the widest folder in the list

// The dialog is modal and there is one at a time.
wchar_t settingsKey[kKeyLength];

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

void Complain(HWND dialog, const wchar_t *text) { MessageBoxW(dialog, text, kTitle, MB_OK | MB_ICONWARNING); }

// Drop lists hold their choices' values as item data.
void AddChoice(HWND dialog, int id, const wchar_t *label, DWORD value) {
    const LRESULT at = Send(dialog, id, CB_ADDSTRING, 0, (LPARAM)label);
    if (at >= 0) Send(dialog, id, CB_SETITEMDATA, WPARAM(at), LPARAM(value));
}

void SelectChoice(HWND dialog, int id, DWORD value) {
    const LRESULT count = Send(dialog, id, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i)
        if (DWORD(Send(dialog, id, CB_GETITEMDATA, WPARAM(i))) == value) Send(dialog, id, CB_SETCURSEL, WPARAM(i));
}

void FillChoices(HWND dialog, int id, const PHOTOCHOICES &choices, DWORD selected) {
    for (DWORD i = 0; i < choices.count; ++i) AddChoice(dialog, id, choices.choices[i].label, choices.choices[i].value);
    SelectChoice(dialog, id, selected);
}

void FillTransitions(HWND dialog, DWORD selected) {
    for (DWORD effect = 0; effect < EFFECTCOUNT; ++effect) {
        wchar_t name[kNameLength];
        PhotoEffectName(effect, name, kNameLength);
        AddChoice(dialog, IDC_TRANSITION, name, effect);
    }
    SelectChoice(dialog, IDC_TRANSITION, selected);
}

DWORD ChosenValue(HWND dialog, int id) {
    const LRESULT at = Send(dialog, id, CB_GETCURSEL);
    return DWORD(Send(dialog, id, CB_GETITEMDATA, WPARAM(at > 0 ? at : 0)));
}

void SetNumber(HWND dialog, int edit, int spin, DWORD least, DWORD most, DWORD value) {
    Send(dialog, edit, EM_LIMITTEXT, kDigits);
    Send(dialog, spin, UDM_SETRANGE32, least, most);
    Send(dialog, spin, UDM_SETPOS32, 0, LPARAM(value));
    SetDlgItemInt(dialog, edit, value, FALSE);
}

// The number in the field when it lies in least..most.
bool NumberIn(HWND dialog, int edit, DWORD least, DWORD most, DWORD *value) {
    BOOL read = FALSE;
    const UINT number = GetDlgItemInt(dialog, edit, &read, FALSE);
    if (!read || number < least || number > most) return false;
    *value = number;
    return true;
}

// Says which numbers the field takes and gives it the focus; false.
bool RefuseNumber(HWND dialog, int edit, const wchar_t *unit, DWORD least, DWORD most) {
    wchar_t text[128];
    wsprintfW(text, L"Enter a number of %s from %lu to %lu.", unit, least, most);
    Complain(dialog, text);
    SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, edit), TRUE);
    Send(dialog, edit, EM_SETSEL, 0, -1);
    return false;
}

// Long paths scroll sideways: the list is as wide as its widest entry.
void WidenFor(HWND list, const wchar_t *path) {
    HDC dc = GetDC(list);
    if (!dc) return;
    HFONT font = (HFONT)SendMessageW(list, WM_GETFONT, 0, 0);
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SIZE size = {};
    if (GetTextExtentPoint32W(dc, path, int(std::wcslen(path)), &size) &&
        size.cx + kExtentMargin > SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0))
        SendMessageW(list, LB_SETHORIZONTALEXTENT, WPARAM(size.cx + kExtentMargin), 0);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(list, dc);
}

// Adds a folder that is not listed yet (compared without regard to case)
// and selects it.
void AddFolder(HWND dialog, const wchar_t *path) {
    LRESULT at = Send(dialog, IDC_FOLDERS, LB_FINDSTRINGEXACT, WPARAM(-1), (LPARAM)path);
    if (at == LB_ERR) {
        at = Send(dialog, IDC_FOLDERS, LB_ADDSTRING, 0, (LPARAM)path);
        WidenFor(GetDlgItem(dialog, IDC_FOLDERS), path);
    }
    Send(dialog, IDC_FOLDERS, LB_SETCURSEL, WPARAM(at));
}

// The listed folders as a list ending in an empty string; null without memory.
wchar_t *ChosenFolders(HWND dialog) {
    const LRESULT count = Send(dialog, IDC_FOLDERS, LB_GETCOUNT);
    size_t total = 1;
    for (LRESULT i = 0; i < count; ++i) total += size_t(Send(dialog, IDC_FOLDERS, LB_GETTEXTLEN, WPARAM(i))) + 1;
    wchar_t *folders = (wchar_t *)std::calloc(total + 1, sizeof(wchar_t));
    if (!folders) return nullptr;
    wchar_t *end = folders;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = Send(dialog, IDC_FOLDERS, LB_GETTEXTLEN, WPARAM(i));
        if (length <= 0 || size_t(end - folders) + size_t(length) + 1 >= total) continue;
        Send(dialog, IDC_FOLDERS, LB_GETTEXT, WPARAM(i), (LPARAM)end);
        end += length + 1;
    }
    return folders;
}

bool FadeApplies(DWORD effect) { return effect == CROSSFADE_EFFECT || effect == RANDOM_EFFECT; }

// The controls' choices; false when a number is wrong (the dialog said so)
// or there is no memory. FreePhotoSettings frees them.
bool ReadChoices(HWND dialog, PHOTOSETTINGS *choices) {
    choices->folders = nullptr;
    choices->transition = ChosenValue(dialog, IDC_TRANSITION);
    if (!NumberIn(dialog, IDC_HOLD, kPhotoHoldLeast, kPhotoHoldMost, &choices->hold))
        return RefuseNumber(dialog, IDC_HOLD, L"seconds", kPhotoHoldLeast, kPhotoHoldMost);
    // A length switched off keeps the default in place of a wrong number.
    choices->fade = kPhotoFadeDefault;
    if (!NumberIn(dialog, IDC_FADE, kPhotoFadeLeast, kPhotoFadeMost, &choices->fade) &&
        FadeApplies(choices->transition))
        return RefuseNumber(dialog, IDC_FADE, L"milliseconds", kPhotoFadeLeast, kPhotoFadeMost);
    choices->subfolders = IsDlgButtonChecked(dialog, IDC_SUBFOLDERS) == BST_CHECKED;
    choices->panzoom = IsDlgButtonChecked(dialog, IDC_PANZOOM) == BST_CHECKED;
    choices->fit = ChosenValue(dialog, IDC_FIT);
    choices->order = ChosenValue(dialog, IDC_ORDER);
    choices->caption = ChosenValue(dialog, IDC_CAPTION);
    choices->monitors = ChosenValue(dialog, IDC_MONITORS);
    choices->backdrop = IsDlgButtonChecked(dialog, IDC_BACKDROP) == BST_CHECKED ? SCRF_BACKDROP : 0;
    choices->pair = IsDlgButtonChecked(dialog, IDC_PAIR) == BST_CHECKED ? SCRF_PORTRAITPAIRS : 0;
    choices->clock = ChosenValue(dialog, IDC_CLOCK);
    choices->keys = IsDlgButtonChecked(dialog, IDC_KEYS) == BST_CHECKED ? SCRF_BROWSEKEYS : 0;
    choices->folders = ChosenFolders(dialog);
    if (choices->folders) return true;
    Complain(dialog, L"There is not enough memory for the settings.");
    return false;
}

// Remove works on the selected folder; the focus leaves it when it stops.
void UpdateRemove(HWND dialog) {
    const bool selected = Send(dialog, IDC_FOLDERS, LB_GETCURSEL) >= 0;
    HWND remove = GetDlgItem(dialog, IDC_REMOVEFOLDER);
    if (!selected && GetFocus() == remove)
        SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_ADDFOLDER), TRUE);
    EnableWindow(remove, selected);
}

// The Crossfade's length matters only where a Crossfade can play.
void UpdateFade(HWND dialog) {
    const bool applies = FadeApplies(ChosenValue(dialog, IDC_TRANSITION));
    static const int kFadeControls[] = {IDC_FADELABEL, IDC_FADE, IDC_FADESPIN, IDC_FADEUNIT};
    for (int id : kFadeControls) EnableWindow(GetDlgItem(dialog, id), applies);
}

int CALLBACK BrowseStarted(HWND browser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

// The system's folder picker, opened at the selected folder.
void OnAdd(HWND dialog) {
    wchar_t start[kPathLength] = {}, name[MAX_PATH] = {}, path[MAX_PATH] = {};
    const LRESULT selected = Send(dialog, IDC_FOLDERS, LB_GETCURSEL);
    if (selected >= 0 && Send(dialog, IDC_FOLDERS, LB_GETTEXTLEN, WPARAM(selected)) < LRESULT(kPathLength))
        Send(dialog, IDC_FOLDERS, LB_GETTEXT, WPARAM(selected), (LPARAM)start);
    BROWSEINFOW browse = {};
    browse.hwndOwner = dialog;
    browse.pszDisplayName = name;
    browse.lpszTitle = L"Choose a folder of photos.";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseStarted;
    browse.lParam = start[0] ? (LPARAM)start : 0;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return;
    if (SHGetPathFromIDListW(chosen, path) && path[0]) AddFolder(dialog, path);
    CoTaskMemFree(chosen);
    UpdateRemove(dialog);
}

void OnRemove(HWND dialog) {
    const LRESULT at = Send(dialog, IDC_FOLDERS, LB_GETCURSEL);
    if (at >= 0) {
        const LRESULT left = Send(dialog, IDC_FOLDERS, LB_DELETESTRING, WPARAM(at));
        if (left > 0) Send(dialog, IDC_FOLDERS, LB_SETCURSEL, WPARAM(at < left ? at : left - 1));
    }
    UpdateRemove(dialog);
}

// A copy of the variable's value, null when it is not set (or no memory).
wchar_t *CopyOfVariable() {
    const DWORD size = GetEnvironmentVariableW(kPhotoSettingsKeyVariable, nullptr, 0);
    wchar_t *value = size ? (wchar_t *)std::calloc(size + 1, sizeof(wchar_t)) : nullptr;
    if (value && GetEnvironmentVariableW(kPhotoSettingsKeyVariable, value, size + 1) > size) {
        std::free(value);
        return nullptr;
    }
    return value;
}

// This program started with /s, reading its settings under `key`: the child
// takes the variable with this process's environment, which is put back at
// once. The process's handle, or null.
HANDLE StartPreview(const wchar_t *key) {
    wchar_t program[kPathLength], line[kPathLength + 8];
    const DWORD length = GetModuleFileNameW(nullptr, program, kPathLength);
    if (length == 0 || length >= kPathLength) return nullptr;
    std::wcscpy(line, L"\"");
    std::wcscat(std::wcscat(line, program), L"\" /s");
    wchar_t *saved = CopyOfVariable();
    SetEnvironmentVariableW(kPhotoSettingsKeyVariable, key);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    const BOOL started = CreateProcessW(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(kPhotoSettingsKeyVariable, saved);  // null: removed again
    std::free(saved);
    if (!started) return nullptr;
    CloseHandle(child.hThread);
    return child.hProcess;
}

// Serves this thread's messages until the process ends, so the disabled
// dialog still paints. A quit message ends the wait and is posted again for
// the dialog's own loop.
void WaitServingMessages(HANDLE process) {
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// The choices written under the Preview key, played by this program with
// /s while the dialog waits; the key goes again afterwards.
void OnPreview(HWND dialog) {
    PHOTOSETTINGS choices = {};
    if (!ReadChoices(dialog, &choices)) return;
    wchar_t key[kKeyLength + ARRAYSIZE(kPreviewSubkey)];
    std::wcscat(std::wcscpy(key, settingsKey), kPreviewSubkey);
    const bool written = WritePhotoSettings(key, choices);
    FreePhotoSettings(&choices);
    HANDLE process = written ? StartPreview(key) : nullptr;
    if (process) {
        EnableWindow(dialog, FALSE);
        WaitServingMessages(process);
        EnableWindow(dialog, TRUE);
        CloseHandle(process);
        SetForegroundWindow(dialog);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, key);
    if (!process) Complain(dialog, written ? L"The preview could not be started." : L"The preview could not be written.");
}

void OnOK(HWND dialog) {
    PHOTOSETTINGS choices = {};
    if (!ReadChoices(dialog, &choices)) return;
    const bool written = WritePhotoSettings(settingsKey, choices);
    FreePhotoSettings(&choices);
    if (written)
        EndDialog(dialog, IDOK);
    else
        Complain(dialog, L"The settings could not be saved.");
}

void OnInitDialog(HWND dialog) {
    PhotoSettingsKey(settingsKey, kKeyLength);
    PHOTOSETTINGS settings = {};
    ReadPhotoSettings(settingsKey, &settings);
    for (const wchar_t *folder = settings.folders; *folder; folder += std::wcslen(folder) + 1)
        AddFolder(dialog, folder);
    Send(dialog, IDC_FOLDERS, LB_SETCURSEL, 0);
    CheckDlgButton(dialog, IDC_SUBFOLDERS, settings.subfolders ? BST_CHECKED : BST_UNCHECKED);
    SetNumber(dialog, IDC_HOLD, IDC_HOLDSPIN, kPhotoHoldLeast, kPhotoHoldMost, settings.hold);
    FillTransitions(dialog, settings.transition);
    SetNumber(dialog, IDC_FADE, IDC_FADESPIN, kPhotoFadeLeast, kPhotoFadeMost, settings.fade);
    UDACCEL steps = {0, 100};  // the Crossfade's arrows step a tenth of a second
    Send(dialog, IDC_FADESPIN, UDM_SETACCEL, 1, (LPARAM)&steps);
    FillChoices(dialog, IDC_FIT, kPhotoFits, settings.fit);
    FillChoices(dialog, IDC_ORDER, kPhotoOrders, settings.order);
    FillChoices(dialog, IDC_CAPTION, kPhotoCaptions, settings.caption);
    CheckDlgButton(dialog, IDC_PANZOOM, settings.panzoom ? BST_CHECKED : BST_UNCHECKED);
    FillChoices(dialog, IDC_MONITORS, kPhotoMonitors, settings.monitors);
    CheckDlgButton(dialog, IDC_BACKDROP, settings.backdrop ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_PAIR, settings.pair ? BST_CHECKED : BST_UNCHECKED);
    FillChoices(dialog, IDC_CLOCK, kPhotoClocks, settings.clock);
    CheckDlgButton(dialog, IDC_KEYS, settings.keys ? BST_CHECKED : BST_UNCHECKED);
    FreePhotoSettings(&settings);
    SetDlgItemTextW(dialog, IDC_VERSION, L"Marrowlight " ML_VERSION_TEXT);
    UpdateRemove(dialog);
    UpdateFade(dialog);
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
    switch (id) {
        case IDC_FOLDERS:
            if (code == LBN_SELCHANGE) UpdateRemove(dialog);
            return TRUE;
        case IDC_TRANSITION:
            if (code == CBN_SELCHANGE) UpdateFade(dialog);
            return TRUE;
        case IDC_ADDFOLDER: OnAdd(dialog); return TRUE;
        case IDC_REMOVEFOLDER: OnRemove(dialog); return TRUE;
        case IDC_PREVIEW: OnPreview(dialog); return TRUE;
        case IDOK: OnOK(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;  // the focus goes to the folder list
        case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_VKEYTOITEM:  // Delete in the folder list removes the selected one
            if (LOWORD(wParam) != VK_DELETE || GetDlgCtrlID((HWND)lParam) != IDC_FOLDERS) return -1;
            OnRemove(dialog);
            return -2;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunSettingsDialog(HINSTANCE instance, HWND owner) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);  // without it the controls are only unthemed
    // The folder picker is a shell object: it needs COM in this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), owner, SettingsDialogProc, 0);
    if (SUCCEEDED(com)) CoUninitialize();
    return result > 0 ? result : 0;
}
