// The clock over the monitors' shows.
#include "shell/clock.h"

#include <algorithm>

#include "content/format.h"
#include "imaging/dib.h"
#include "imaging/window_dc.h"

namespace {

constexpr int kClockRoom = 160;
constexpr UINT kClockFormat = DT_SINGLELINE | DT_NOPREFIX | DT_RIGHT | DT_TOP;

// The length after GetDateFormatW or GetTimeFormatW wrote `written` units (its null included).
int Append(int length, int written) { return written > 1 ? length + written - 1 : length; }

}  // namespace

int ClockText(DWORD flags, const SYSTEMTIME &now, wchar_t *text, int room) {
    int length = 0;
    text[0] = 0;
    if (flags & SCRF_CLOCKDATE) {
        length = Append(length, GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &now, nullptr, text, room));
        if (length && length + 3 < room) text[length++] = L' ', text[length++] = L' ';
    }
    length = Append(length, GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &now, nullptr, text + length, room - length));
    text[length] = 0;
    return length;
}

RECT ClockPlace(int wide, int textwide, int textdeep, int minute) {
    // Nine places on a 3 x 3 grid, 3 pixels apart, visited in a scattered order.
    const int step = 3, cell = (minute * 5) % 9;
    const int margin = std::max(8, textdeep / 2);
    const int right = wide - margin - (cell % 3) * step, top = margin + (cell / 3) * step;
    return RECT{right - textwide, top, right, top + textdeep};
}

void ShowClock(OVERLAY *clock, HWND window, int wide, int deep, DWORD flags) {
    if (clock->drawn || !(flags & SCRF_CLOCKTIME)) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[kClockRoom];
    if (!ClockText(flags, now, text, kClockRoom)) return;
    WindowDC dc(window);
    if (!dc) return;
    const int letters = std::max(10, deep * 4 / 100), edge = std::max(1, letters / 12);
    HFONT font = CreateFontA(-letters, 0, 0, 0, FW_SEMIBOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             devicebits <= 8 ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY, 0, "Arial");
    HGDIOBJ oldfont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT measured = {0, 0, 0, 0};
    DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const RECT place = ClockPlace(wide, measured.right, measured.bottom, now.wHour * 60 + now.wMinute);
    RECT area = place;
    InflateRect(&area, edge, edge);
    ShowOverlay(clock, dc, area, [&](HDC into) { DrawOutlinedText(into, text, -1, place, edge, kClockFormat); });
    SelectObject(dc, oldfont);
    if (font) DeleteObject(font);
}

void ScheduleClock(HWND window) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const UINT ms = (60 - now.wSecond) * 1000 - now.wMilliseconds;
    SetTimer(window, IDT_CLOCK, ms + 50, nullptr);
}
