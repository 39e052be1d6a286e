// "None": the picture appears whole and goes in one step.
#include "presentation/effect_common.h"

WORD SetupNone(STATUS *status) { return SetupBitmap(status, &status->effects.none); }
WORD AppearNone(STATUS *status) { return DrawWholePicture(status, status->effects.none); }
WORD WaitNone(STATUS *status) { return HoldIsOver(status); }
WORD DisappearNone(STATUS *status) { return ClearWholePicture(status); }
WORD CloseNone(STATUS *status) { return ReleaseEffect(status); }
