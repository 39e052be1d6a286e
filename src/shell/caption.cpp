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

HBITMAP under;     // the screen under the caption while it shows
RECT underRect;    // where that was
bool drawn;        // drawn in this hold (also when there was nothing to draw)

std::wstring DateText(uint32_t yyyymmdd) {
    const uint32_t year = yyyymmdd / 10000, month = yyyymmdd / 100 % 100, day = yyyymmdd % 100;
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return {};
    SYSTEMTIME date = {};
    date.wYear = WORD(year), date.wMonth = WORD(month), date.wDay = WORD(day);
    wchar_t text[128];
    // A day the month does not have (the 30th of February) makes this fail.
    const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &date, nullptr, text, 128);
    return length > 1 ? std::wstring(text, size_t(length - 1)) : std::wstring();
}

// The name kept with the block, UTF-8 turned to UTF-16 (which never needs
// more units than the bytes); control characters become spaces.
std::wstring NameText(const BLOCK &block) {
    if (!block.auxhandle2) return {};
    const char *bytes = (const char *)GlobalLock(block.auxhandle2);
    if (!bytes) return {};
    const int length = int(std::min<SIZE_T>(block.image.captionlength, GlobalSize(block.auxhandle2)));
    std::wstring text(size_t(length), L'\0');
    const int n = length ? MultiByteToWideChar(CP_UTF8, 0, bytes, length, &text[0], length) : 0;
    GlobalUnlock(block.auxhandle2);
    text.resize(size_t(n > 0 ? n : 0));
    for (wchar_t &c : text)
        if (c < 32) c = L' ';
    return text;
}

// Where the caption goes: the bottom-left corner of the picture's visible
// part, inside a margin as deep as the letters; empty when it does not fit.
RECT CaptionPlace(HDC dc, const std::wstring &text, const RECT &picture, int deep) {
    RECT box = picture, measured = {0, 0, 0, 0};
    InflateRect(&box, -deep, -deep);
    if (box.right <= box.left || box.bottom - box.top < deep) return RECT{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int wide = std::min<LONG>(measured.right, box.right - box.left);
    const int high = std::min<LONG>(measured.bottom, box.bottom - box.top);
    return RECT{box.left, box.bottom - high, box.left + wide, box.bottom};
}

void DrawOutlined(HDC dc, const std::wstring &text, const RECT &place, int edge) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    for (int dy = -edge; dy <= edge; dy += edge)
        for (int dx = -edge; dx <= edge; dx += edge) {
            RECT r = place;
            OffsetRect(&r, dx, dy);
            if (dx || dy) DrawTextW(dc, text.c_str(), int(text.size()), &r, kTextFormat);
        }
    SetTextColor(dc, RGB(255, 255, 255));
    RECT r = place;
    DrawTextW(dc, text.c_str(), int(text.size()), &r, kTextFormat);
}

}  // namespace

std::wstring CaptionText(const BLOCK &block) {
    if (block.type != TAG_IMAG) return {};
    const std::wstring date = (block.image.flags & SCRF_CAPTIONDATE) ? DateText(block.image.takendate) : L"";
    const std::wstring name = (block.image.flags & SCRF_CAPTIONNAME) ? NameText(block) : L"";
    return date.empty() || name.empty() ? date + name : date + L"  " + name;
}

void ShowCaption(HWND window, const BLOCK &block, const RECT &picture, int monitorDeep) {
    if (drawn) return;
    drawn = true;
    const std::wstring text = CaptionText(block);
    WindowDC dc(window);
    if (text.empty() || !dc) return;
    const int deep = std::max(10, monitorDeep * 25 / 1000), edge = std::max(1, deep / 12);
    HFONT font = CreateFontA(-deep, 0, 0, 0, FW_SEMIBOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             devicebits <= 8 ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY, 0, "Arial");
    HGDIOBJ oldfont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    const RECT place = CaptionPlace(dc, text, picture, deep);
    if (!IsRectEmpty(&place)) {
        RECT area = place;
        InflateRect(&area, edge, edge);
        IntersectRect(&area, &area, &picture);
        underRect = DeviceArea(dc, area);
        under = CopyScreenToBitmap(dc, &area);
        // Without the screen under it the caption could not be taken off.
        if (under) DrawOutlined(dc, text, place, edge);
    }
    SelectObject(dc, oldfont);
    if (font) DeleteObject(font);
}

void HideCaption(HWND window) {
    drawn = false;
    if (!under) return;
    WindowDC dc(window);
    BlitBitmap(dc, underRect.left, underRect.top, RectWidth(&underRect), RectDepth(&underRect), under, SRCCOPY);
    DeleteObject(under);
    under = nullptr;
}

void DropCaption() {
    drawn = false;
    if (under) DeleteObject(under);
    under = nullptr;
}
