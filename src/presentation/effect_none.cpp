// "None": the picture appears whole and goes in one step.
#include "presentation/effect_common.h"

namespace {
PictureSize size;
}

WORD SetupNone(STATUS *status) { return SetupBitmap(status, &size); }

WORD AppearNone(STATUS *status) {
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    source.DrawAll(size.w, size.h);
    return EFFECT_NEXTPHASE;
}

WORD WaitNone(STATUS *status) { return HoldIsOver(status); }

// The size is read again: this may be the disappear effect of a picture
// whose appear effect was another one.
WORD DisappearNone(STATUS *status) {
    PictureSize now;
    if (ReadPictureSize(status, &now)) FillArea(status, 0, 0, now.w - 1, now.h - 1);
    return EFFECT_NEXTPHASE;
}

WORD CloseNone(STATUS *status) { return ReleaseEffect(status); }
