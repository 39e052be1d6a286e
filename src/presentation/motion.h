// Pan and zoom: while a picture flagged for it holds, it zooms slowly from
// its shown size to 112 % of it, towards a point drawn at random each
// cycle, or back from 112 % to its shown size, over the hold time.
#pragma once

#include "presentation/status.h"

constexpr double MOTION_ZOOM = 1.12;
// The step timer's period while a motion runs: about 60 steps a second.
constexpr UINT MOTION_STEP_MS = 16;

// Before the appear effect is set up: makes the motion's buffers and, when
// its first frame is not the picture itself, puts that frame in place of
// STATUS.picture, so whatever the effect, it brings that frame on. Without
// the flag, a hold, a true-colour display or the memory the picture holds
// still, as any other does.
void BeginMotion(STATUS *status);
// The appear effect is set up: the show's own picture is back in place.
void MotionSetUp(STATUS *status);
// One step of the hold: the frame for the time since the hold began, put on
// the screen in one blit, cropped to the picture's part of the window.
void StepMotion(STATUS *status);
// The hold is over: the frame last shown goes into the picture's bitmap,
// for the disappear effect; the step timer goes back to the item's period.
void EndMotion(STATUS *status);
// The zoom of the last frame made (1 before any).
double MotionLastScale();
