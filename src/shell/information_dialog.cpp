// The information dialog: the show's title as the caption, its description in
// a read-only field, and the fixed notice.
#include "shell/information_dialog.h"

#include "content/blockstore.h"

namespace {

constexpr int IDC_DESCRIPTION = 101;
constexpr int IDC_NOTICE = 102;
constexpr int kDescriptionFontHeight = 16;  // pixels at 96 dots per inch
constexpr int kNoticeFontHeight = 12;
constexpr int kBaseDpi = 96;

// The dialog is modal and there is one at a time.
const BLOCK *header = nullptr;
HFONT descriptionFont = nullptr;
HFONT noticeFont = nullptr;

// The dots per inch the dialog is laid out for: its monitor's where the
// system tells (Windows 10 and later), else the display's.
int DialogDpi(HWND dialog) {
    typedef UINT(WINAPI * GetDpiForWindowProc)(HWND);
    auto forWindow = (GetDpiForWindowProc)(void *)GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    if (const UINT dpi = forWindow ? forWindow(dialog) : 0) return int(dpi);
    HDC dc = GetDC(dialog);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(dialog, dc);
    return dpi > 0 ? dpi : kBaseDpi;
}

// The player is DPI-aware, so the system no longer enlarges its fonts on a
// scaled display: the heights grow with the dialog's scale themselves.
HFONT CreateArial(int height, int dpi) {
    return CreateFontA(MulDiv(height, dpi, kBaseDpi), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                       "ARIAL");
}

void DeleteFonts() {
    if (descriptionFont) DeleteObject(descriptionFont);
    if (noticeFont) DeleteObject(noticeFont);
    descriptionFont = noticeFont = nullptr;
}

// A field of the header as a string that surely ends inside the field.
template <size_t N>
void SetTextFromField(HWND window, const char (&field)[N]) {
    char text[N + 1];
    CopyMemory(text, field, N);
    text[N] = 0;
    SetWindowTextA(window, text);
}

void OnInitDialog(HWND dialog, const BLOCK *block) {
    header = block;
    DeleteFonts();  // none are left unless a dialog ended without "Done"
    const int dpi = DialogDpi(dialog);
    descriptionFont = CreateArial(kDescriptionFontHeight, dpi);
    noticeFont = CreateArial(kNoticeFontHeight, dpi);
    SendDlgItemMessageA(dialog, IDC_DESCRIPTION, WM_SETFONT, (WPARAM)descriptionFont, FALSE);
    SendDlgItemMessageA(dialog, IDC_NOTICE, WM_SETFONT, (WPARAM)noticeFont, FALSE);
    if (header) {
        SetTextFromField(GetDlgItem(dialog, IDC_DESCRIPTION), header->head.description);
        SetTextFromField(dialog, header->head.title);
    }
    CentreWindow(dialog);
}

void OnCommand(HWND dialog, WPARAM wParam) {
    // Escape (IDCANCEL) is ignored on purpose: only "Done" or Enter closes.
    if (LOWORD(wParam) != IDOK) return;
    EndDialog(dialog, INT_PTR(wParam));
}

}  // namespace

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(dialog, (const BLOCK *)lParam); break;
        case WM_COMMAND: OnCommand(dialog, wParam); break;
        // The controls hold the fonts until they are gone with the dialog.
        case WM_NCDESTROY: DeleteFonts(); break;
    }
    return 0;
}

void CentreWindow(HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, HWND_TOP, x, y, width, height, SWP_NOSIZE);
}
