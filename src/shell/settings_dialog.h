// The bare player's settings dialog: which photo folders it plays and how.
// The resource script includes this header for the control ids.
#pragma once

#include <windows.h>

#define IDD_SETTINGS 2004

#define IDC_FOLDERS 201
#define IDC_ADDFOLDER 202
#define IDC_REMOVEFOLDER 203
#define IDC_SUBFOLDERS 204
#define IDC_HOLD 205
#define IDC_HOLDSPIN 206
#define IDC_TRANSITION 207
#define IDC_FADELABEL 208
#define IDC_FADE 209
#define IDC_FADESPIN 210
#define IDC_FADEUNIT 211
#define IDC_FIT 212
#define IDC_ORDER 213
#define IDC_CAPTION 214
#define IDC_MONITORS 215
#define IDC_PANZOOM 216
#define IDC_PREVIEW 217
#define IDC_VERSION 218
#define IDC_BACKDROP 219
#define IDC_PAIR 220
#define IDC_CLOCK 221
#define IDC_KEYS 222

#ifndef RC_INVOKED
// Shows the modal dialog, owned by `owner` (null: no owner), over the
// settings of PhotoSettingsKey. OK writes them all; Cancel changes nothing.
// Returns IDOK or IDCANCEL, or 0 when the dialog could not be shown.
INT_PTR RunSettingsDialog(HINSTANCE instance, HWND owner);
#endif
