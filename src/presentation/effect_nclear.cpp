// "No Clear": the picture appears whole and stays on the screen.
#include "presentation/effect_common.h"

WORD SetupNclear(STATUS *status) { return SetupBitmap(status, &status->effects.nclear); }
WORD AppearNclear(STATUS *status) { return DrawWholePicture(status, status->effects.nclear); }
WORD WaitNclear(STATUS *status) { return HoldIsOver(status); }
WORD DisappearNclear(STATUS *) { return EFFECT_NEXTPHASE; }
WORD CloseNclear(STATUS *status) { return ReleaseEffect(status); }
