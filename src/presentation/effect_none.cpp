// "None": the picture appears whole and goes in one step.
#include "presentation/effect_common.h"

namespace {
PictureSize size;
}

WORD SetupNone(STATUS *status) { return SetupBitmap(status, &size); }
WORD AppearNone(STATUS *status) { return DrawWholePicture(status, size); }
WORD WaitNone(STATUS *status) { return HoldIsOver(status); }
WORD DisappearNone(STATUS *status) { return ClearWholePicture(status); }
WORD CloseNone(STATUS *status) { return ReleaseEffect(status); }
