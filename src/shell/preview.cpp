// The preview: the header's picture centred, or the show's title scrolling
// from right to left in large type and changing colours.
#include "shell/preview.h"

#include <cstdlib>
#include <cstring>

#include "content/blockstore.h"
#include "imaging/colour_reduction.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/palette.h"
#include "shell/globals.h"
#include "shell/live_show.h"
#include "shell/messages.h"
#include "shell/monitor_show.h"
#include "shell/session.h"

namespace {

// The title's colours; blue comes twice.
const COLORREF kTitleColours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0x00FFFF, 0xFF0000, 0xFFFFFF};
constexpr int kColourCount = int(sizeof kTitleColours / sizeof kTitleColours[0]);
constexpr int kTitleHeight = 112;
// The spaces after the title wipe its old tail as it moves left.
const char kTitleGap[] = "      ";

// One preview window per process.
const BLOCK *header = nullptr;
int scrollOffset = 0;
int colourIndex = -1;  // -1: choose a new colour at the next paint

void OnCreate(HWND window, const CREATESTRUCTA *create) {
    header = (const BLOCK *)create->lpCreateParams;
    SetTimer(window, IDT_PREVIEW, IDT_PREVIEW_MS, nullptr);
    scrollOffset = 0;
    colourIndex = -1;
}

// Only the scrolling title needs repainting; a picture stays as drawn.
void OnTimer(HWND window, WPARAM id) {
    if (id == IDT_PREVIEW && header && !header->head.preview) InvalidateRect(window, nullptr, FALSE);
}

void PaintTitle(HDC dc, const RECT &client) {
    char text[sizeof header->head.title + sizeof kTitleGap];
    const size_t length = strnlen(header->head.title, sizeof header->head.title);
    memcpy(text, header->head.title, length);
    memcpy(text + length, kTitleGap, sizeof kTitleGap);
    const int count = int(length + sizeof kTitleGap - 1);

    HFONT font = CreateFontA(kTitleHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Times New Roman");
    if (colourIndex < 0) colourIndex = std::rand() % kColourCount;
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, kTitleColours[colourIndex]);
    SetBkColor(dc, header->head.backgroundcolour);
    TextOutA(dc, -scrollOffset, 0, text, count);
    scrollOffset += kPreviewScrollStep;
    SIZE extent = {};
    GetTextExtentPointA(dc, text, count, &extent);
    if (scrollOffset >= extent.cx) {
        // Start again just inside the right edge, in a new colour.
        scrollOffset = kPreviewScrollStep - (client.right - client.left);
        colourIndex = -1;
    }
    SelectObject(dc, oldFont);
    if (font) DeleteObject(font);
}

// Centred, and cut on all sides when larger than the window.
void PaintPicture(HDC dc, const RECT &client) {
    int width = 0, height = 0;
    if (!header->data || !GetBitmapDimensions(header->data, &width, &height, nullptr, nullptr)) return;
    DrawBitmap(dc, (client.right - width) / 2, (client.bottom - height) / 2, header->data, SRCCOPY);
}

void OnPaint(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc && header) {
        if (!header->head.preview)
            PaintTitle(dc, client);
        else
            PaintPicture(dc, client);
    }
    EndPaint(window, &paint);
}

}  // namespace

void DitherPreviewForDisplay(BLOCK *header) {
    if (devicebits > 8 || !header->data) return;
    BYTE palette[768];
    int bits = 0;
    GetDefaultPalette(palette, &bits, PALETTE_DISPLAY);
    HGLOBAL dithered = DitherDib(header->data, palette, bits, 0);
    if (!dithered) return;
    GlobalFree(header->data);
    header->data = dithered;
}

const char *PreviewClassName() {
    static char name[128];
    if (!name[0]) {
        strcpy(name, "WindowsScreenSaverPreviewClass");
        strcat(name, szSaverAppName);
    }
    return name;
}

int RegisterPreviewClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSA cls = {};
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = procedure;
    cls.hInstance = instance;
    cls.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SAVER));
    cls.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    cls.lpszClassName = PreviewClassName();
    return RegisterClassA(&cls) != 0;
}

void UnregisterPreviewClass(HINSTANCE instance) { UnregisterClassA(PreviewClassName(), instance); }

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(window, (const CREATESTRUCTA *)lParam); break;
        case WM_TIMER: OnTimer(window, wParam); break;
        case WM_PAINT: OnPaint(window); return 0;
        case WM_DESTROY:
            KillTimer(window, IDT_PREVIEW);
            header = nullptr;
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK LivePreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ShowMessage(window, message, wParam, lParam, &result)) return result;
    switch (message) {
        case WM_CREATE: LoadLiveSession(window, true); break;
        case WM_CONTENTLOADED: StartSession(window); return 0;
        case WM_LIBRARYCHANGED: OnLibraryChanged(int(wParam)); return 0;
        case WM_DESTROY:
            EndSession();
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
