// Screen positions of pictures and texts from their anchors and offsets.
#include "imaging/placement.h"

#include <climits>

#include "imaging/rect.h"
#include "content/loader.h"
#include "imaging/dib.h"

namespace {

enum : DWORD { PLACE_TOPLEFT = 1, PLACE_TOPRIGHT = 2, PLACE_BOTTOMLEFT = 3, PLACE_BOTTOMRIGHT = 4 };

// Positions are worked out in 64 bits, since offsets come from the content
// and may be anything, and brought back into the range of an int.
int ToInt(long long value) { return int(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value); }

void SetOrigin(int *x, int *y, long long left, long long top) {
    *x = ToInt(left);
    *y = ToInt(top);
}

// The size of the screen an item is placed on: the monitor's given, else
// the primary monitor's.
void ScreenSize(const SIZE *screen, long long *cx, long long *cy) {
    *cx = screen ? screen->cx : GetSystemMetrics(SM_CXSCREEN);
    *cy = screen ? screen->cy : GetSystemMetrics(SM_CYSCREEN);
}

}  // namespace

int GetStoredPictureSize(const BLOCK *block, int *width, int *height) {
    if (block->type != TAG_IMAG) return 0;
    if (!(block->image.flags & SCRF_JPEG)) return GetBitmapDimensions(block->data, width, height, nullptr, nullptr);
    JPEGPLACE place;
    if (!GetJpegPlace(block, &place)) return 0;
    *width = int(place.width), *height = int(place.height);
    return 1;
}

int GetImageOrigin(int *x, int *y, const BLOCK *block) {
    SetOrigin(x, y, 0, 0);
    int w = 0, h = 0;
    if (!GetStoredPictureSize(block, &w, &h)) return 0;
    return GetImageOriginForSize(x, y, block, w, h);
}

int GetImageOriginForSize(int *x, int *y, const BLOCK *block, int w, int h, const SIZE *screen) {
    SetOrigin(x, y, 0, 0);
    if (block->type != TAG_IMAG) return 0;
    long long cx = 0, cy = 0;
    ScreenSize(screen, &cx, &cy);
    const SCRIMAGE &image = block->image;
    long long left, top;
    switch (image.placement) {
    case PLACE_TOPLEFT: left = image.x, top = image.y; break;
    case PLACE_TOPRIGHT: left = cx + image.x - w - 2, top = image.y; break;
    case PLACE_BOTTOMLEFT: left = image.x, top = cy + image.y - h - 2; break;
    case PLACE_BOTTOMRIGHT: left = cx + image.x - w - 2, top = cy + image.y - h - 2; break;
    default: left = cx / 2 + image.x - w / 2, top = cy / 2 + image.y - h / 2; break;
    }
    // Raised to the top-left edges only: a picture may run off the others.
    SetOrigin(x, y, left < 0 ? 0 : left, top < 0 ? 0 : top);
    return 1;
}

int GetTextOrigin(int *x, int *y, const BLOCK *block, const RECT *textrect, const SIZE *screen) {
    SetOrigin(x, y, 0, 0);
    if (block->type != TAG_TEXT) return 0;
    long long cx = 0, cy = 0;
    ScreenSize(screen, &cx, &cy);
    const long long w = RectWidth(textrect), h = RectDepth(textrect);
    const SCRTEXT &text = block->text;
    const long long margin = text.margin;
    long long left, top;
    switch (text.placement) {
    case PLACE_TOPLEFT: left = text.x + margin, top = text.y + margin; break;
    case PLACE_TOPRIGHT: left = cx + text.x - 2 - w - margin, top = text.y + margin; break;
    case PLACE_BOTTOMLEFT: left = text.x + margin, top = cy + text.y - 2 - h - margin; break;
    case PLACE_BOTTOMRIGHT: left = cx + text.x - 2 - w - margin, top = cy + text.y - 2 - h - margin; break;
    default: left = cx / 2 + text.x - w / 2, top = cy / 2 + text.y - h / 2; break;
    }
    // Styles 1 and 3 run across the whole screen width.
    if (text.style == 1 || text.style == 3) left = 0;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    // Kept on the screen where it fits; a text larger than the screen goes
    // to a negative position.
    if (left > cx - w) left = cx - w;
    if (top > cy - h) top = cy - h;
    SetOrigin(x, y, left, top);
    return 1;
}
