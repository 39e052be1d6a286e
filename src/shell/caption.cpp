// Captions over photos: white letters with a black outline, which read on
// any picture, light or dark.
#include "shell/caption.h"

#include <algorithm>
#include <cstdint>

#include "applet/objects.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/window_dc.h"

namespace {

constexpr UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_BOTTOM | DT_END_ELLIPSIS;

constexpr int kDateRoom = 128;

// The day as the user writes it in long form; its length, 0 for none.
int DateText(uint32_t yyyymmdd, wchar_t *text) {
    const uint32_t year = yyyymmdd / 10000, month = yyyymmdd / 100 % 100, day = yyyymmdd % 100;
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return 0;
    SYSTEMTIME date = {};
    date.wYear = WORD(year), date.wMonth = WORD(month), date.wDay = WORD(day);
    // A day the month does not have (the 30th of February) makes this fail.
    const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &date, nullptr, text, kDateRoom);
    return length > 1 ? length - 1 : 0;
}

// The name kept with the block, UTF-8 turned to UTF-16 (at most
// MAXCAPTIONLENGTH units); control characters become spaces.
int NameText(const BLOCK &block, wchar_t *text) {
    const char *bytes = block.auxhandle2 ? (const char *)GlobalLock(block.auxhandle2) : nullptr;
    if (!bytes) return 0;
    SIZE_T size = GlobalSize(block.auxhandle2);
    size = std::min<SIZE_T>(std::min<SIZE_T>(size, block.image.captionlength), MAXCAPTIONLENGTH);
    const int length = size ? MultiByteToWideChar(CP_UTF8, 0, bytes, int(size), text, int(MAXCAPTIONLENGTH)) : 0;
    GlobalUnlock(block.auxhandle2);
    for (int i = 0; i < length; ++i)
        if (text[i] < 32) text[i] = L' ';
    return length > 0 ? length : 0;
}

// Where the caption goes: the bottom-left corner of the picture's visible
// part, inside a margin as deep as the letters; empty when it does not fit.
RECT CaptionPlace(HDC dc, const wchar_t *text, int length, const RECT &picture, int deep) {
    RECT box = picture, measured = {0, 0, 0, 0};
    InflateRect(&box, -deep, -deep);
    if (box.right <= box.left || box.bottom - box.top < deep) return RECT{0, 0, 0, 0};
    DrawTextW(dc, text, length, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int wide = std::min<LONG>(measured.right, box.right - box.left);
    const int high = std::min<LONG>(measured.bottom, box.bottom - box.top);
    return RECT{box.left, box.bottom - high, box.left + wide, box.bottom};
}

}  // namespace

int CaptionText(const BLOCK &block, wchar_t *text) {
    if (block.type != TAG_IMAG) return 0;
    int length = (block.image.flags & SCRF_CAPTIONDATE) ? DateText(block.image.takendate, text) : 0;
    if (block.image.flags & SCRF_CAPTIONNAME) {
        const int gap = length ? 2 : 0;  // two spaces between the date and the name
        const int name = NameText(block, text + length + gap);
        if (name && gap) text[length] = text[length + 1] = L' ';
        if (name) length += gap + name;
    }
    text[length] = 0;
    return length;
}

void ShowCaption(CAPTIONSTATE *caption, HWND window, const BLOCK &block, const RECT &picture, int monitorDeep) {
    if (caption->drawn) return;
    caption->drawn = TRUE;
    wchar_t text[kCaptionRoom];
    const int length = CaptionText(block, text);
    WindowDC dc(window);
    if (!length || !dc) return;
    const int deep = std::max(10, monitorDeep * 25 / 1000), edge = std::max(1, deep / 12);
    HFONT font = CreateFontA(-deep, 0, 0, 0, FW_SEMIBOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             devicebits <= 8 ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY, 0, "Arial");
    HGDIOBJ oldfont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    const RECT place = CaptionPlace(dc, text, length, picture, deep);
    if (!IsRectEmpty(&place)) {
        RECT area = place;
        InflateRect(&area, edge, edge);
        IntersectRect(&area, &area, &picture);
        // Without the screen under it the caption could not be taken off.
        if (KeepScreenUnder(caption, dc, area)) DrawOutlinedText(dc, text, length, place, edge, kTextFormat);
    }
    SelectObject(dc, oldfont);
    if (font) DeleteObject(font);
}

void HideCaption(CAPTIONSTATE *caption, HWND window) { HideOverlay(caption, window); }

void DropCaption(CAPTIONSTATE *caption) { DropOverlay(caption); }
