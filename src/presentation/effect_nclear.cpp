// "No Clear": the picture appears whole and stays on the screen.
#include "presentation/effect_common.h"

namespace {
PictureSize size;
}

WORD SetupNclear(STATUS *status) { return SetupBitmap(status, &size); }
WORD AppearNclear(STATUS *status) { return DrawWholePicture(status, size); }
WORD WaitNclear(STATUS *status) { return HoldIsOver(status); }
WORD DisappearNclear(STATUS *) { return EFFECT_NEXTPHASE; }
WORD CloseNclear(STATUS *status) { return ReleaseEffect(status); }
