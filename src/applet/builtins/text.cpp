// Text on the saver window: "print" writes items one after another from the
// current position, "paragraphtext" wraps a text into a box, two built-ins
// measure a string, and "setfont" chooses the font the writers use.
#include <cstdio>
#include <cstring>

#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"
#include "applet/builtins/canvas.h"

namespace {

// The applet's font and text colours on a device context, the previous font
// put back when it goes.
class TextSetting {
public:
    TextSetting(HDC dc, const APPLET *applet) : dc_(dc), oldfont_(SelectObject(dc, applet->font)) {
        SetTextColor(dc, applet->textforecolour);
        SetBkColor(dc, applet->textbackcolour);
        SetBkMode(dc, applet->textmode);
    }
    ~TextSetting() {
        if (oldfont_) SelectObject(dc_, oldfont_);
    }
    TextSetting(const TextSetting &) = delete;
    TextSetting &operator=(const TextSetting &) = delete;

private:
    HDC dc_;
    HGDIOBJ oldfont_;
};

// The characters of a text before its first 0x01 byte; -1 when it has none.
int MarkedLength(const char *text) {
    const char *mark = text ? std::strchr(text, '\x01') : nullptr;
    return mark ? int(mark - text) : -1;
}

// The characters one item of "print" writes: a text up to its 0x01, or an
// integer's digits; -1 for nothing, with the error raised where it is one.
int PrintItem(BuiltinCall &call, int i, char *digits, const char **text) {
    const VALUE &item = call.Arg(i);
    if (item.type & (VALUE_STRING | VALUE_STRINGVAR)) {
        *text = call.String(i);
        return MarkedLength(*text);
    }
    if (item.type & VALUE_INTREF) {
        VALUE variable;
        if (APPLETFindVariable(call.applet(), &variable, (unsigned long)item.value)) return -1;
        *text = digits;
        return std::snprintf(digits, 16, "%d", int(variable.value));
    }
    if (item.type & VALUE_INT) {
        *text = digits;
        return std::snprintf(digits, 16, "%d", int(item.value));
    }
    call.Raise(APPLETERR_BADVALUE);
    return -1;
}

// The number of an integer argument, `fallback` when it is not one.
int Number(BuiltinCall &call, int i, int fallback) { return i < call.count() ? call.Int(i, fallback) : fallback; }

// The width of the text's logical length on the device context's own font.
SIZE MeasureText(HWND window, const char *text) {
    SIZE size = {0, 0};
    WindowDC dc(window);
    if (dc && text) GetTextExtentPoint32A(dc.get(), text, APPLETGetStringLength(text), &size);
    return size;
}

int Measure(APPLET *applet, HWND window, bool width) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const char *text = call.String(0);
    if (!text) return call.Finish(0);
    const SIZE size = MeasureText(window, text);
    return call.Finish(width ? size.cx : size.cy);
}

// Fills `box` grown by `margin` on every side with the text background
// colour, the nearest one the device offers on palette displays.
void FillTextBackground(HDC dc, const APPLET *applet, RECT box, int margin) {
    box = RECT{Minus(box.left, margin), Minus(box.top, margin), Plus(box.right, margin), Plus(box.bottom, margin)};
    DisplayPalette palette(dc);
    HBRUSH brush = CreateSolidBrush(palette.Nearest(applet->textbackcolour));
    if (brush) {
        FillRect(dc, &box, brush);
        DeleteObject(brush);
    }
}

}  // namespace

// print(item, ...): writes the items in one run from the current position,
// which moves along; nothing starts a new line. The characters written.
int APPLETFunctionPrint(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCountsFrom(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    WindowDC dc(window);
    if (!dc) return call.Finish(0);
    TextSetting setting(dc.get(), applet);
    const UINT oldalign = SetTextAlign(dc.get(), TA_UPDATECP);
    MoveToEx(dc.get(), Plus(applet->xpos, applet->xoffset), Plus(applet->ypos, applet->yoffset), nullptr);
    int written = 0;
    for (int i = 0; i < call.count(); ++i) {
        char digits[16];
        const char *text = nullptr;
        const int length = PrintItem(call, i, digits, &text);
        if (length > 0 && TextOutA(dc.get(), 0, 0, text, length)) written += length;
        POINT at;
        GetCurrentPositionEx(dc.get(), &at);
        applet->xpos = Minus(at.x, applet->xoffset), applet->ypos = Minus(at.y, applet->yoffset);
    }
    if (oldalign != GDI_ERROR) SetTextAlign(dc.get(), oldalign);
    return call.Finish(written);
}

// paragraphtext(text, x, y, width, alignment[, margin]): the text wrapped
// at words into a box at least 10 wide, on its background when the text is
// opaque; the height used plus twice the margin.
int APPLETParagraphText(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(5, 6));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const char *text = call.String(0);
    const int x = call.Int(1), y = call.Int(2);
    int width = Number(call, 3, 10);
    const UINT alignment = UINT(call.Int(4)) & 3;
    const int margin = Number(call, 5, 0);
    if (width < 10) width = 10;
    if (!text) return call.Finish(0);
    WindowDC dc(window);
    if (!dc) return call.Finish(0);
    TextSetting setting(dc.get(), applet);
    const int left = Plus(x, applet->xoffset), top = Plus(y, applet->yoffset);
    RECT box = {left, top, Plus(left, width), Plus(top, 10)};
    const int length = APPLETGetStringLength(text);
    DrawTextA(dc.get(), text, length, &box, alignment | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    if (applet->textmode != TRANSPARENT) FillTextBackground(dc.get(), applet, box, margin);
    const int height = DrawTextA(dc.get(), text, length, &box, alignment | DT_WORDBREAK | DT_NOPREFIX);
    if (height == 0) return call.Finish(0);
    return call.Finish(Plus(Minus(box.bottom, box.top), Plus(margin, margin)));
}

int APPLETGetTextLength(APPLET *applet, HWND window) { return Measure(applet, window, true); }
int APPLETGetTextDepth(APPLET *applet, HWND window) { return Measure(applet, window, false); }

// setfont(face, height, bold, italic, underline[, angle]): angle in degrees.
int APPLETSetFont(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCountsFrom(5));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    char face[LF_FACESIZE] = "ARIAL";
    if (const char *text = call.String(0)) {
        const int length = APPLETGetStringLength(text);
        const int kept = length < LF_FACESIZE - 1 ? length : LF_FACESIZE - 1;
        std::memcpy(face, text, size_t(kept));
        face[kept] = 0;
    }
    const int height = call.Int(1, 16), bold = call.Int(2), italic = call.Int(3), underline = call.Int(4);
    const int angle = Number(call, 5, 0);
    if (applet->font) DeleteObject(applet->font);
    applet->font = CreateFontA(height, 0, int(unsigned(angle) * 10u), 0, bold ? FW_BOLD : FW_NORMAL, italic != 0,
                               underline != 0, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH, face);
    return call.Finish(1);
}

// This family's slice of the keyword table.
const APPLETFUNCTION textfunctions[] = {
    {"gettextdepth", APPLETGetTextDepth},
    {"gettextlength", APPLETGetTextLength},
    {"paragraphtext", APPLETParagraphText},
    {"print", APPLETFunctionPrint},
    {"setfont", APPLETSetFont},
};
const int textfunctioncount = int(sizeof textfunctions / sizeof textfunctions[0]);
