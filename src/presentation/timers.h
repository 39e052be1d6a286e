// The timer ids of the display status: it steps on the window's IDT_STEP
// timer (a pan-zoom hold sets it faster and back) and says that a cycle has
// ended by posting IDT_CYCLEDONE. The window that shows the item owns the
// rest of its timers.
#pragma once

#include <windows.h>

constexpr UINT_PTR IDT_STEP = 1;  // 81 - speed ms: one display step
// A WM_TIMER id that is only ever posted, never set as a timer.
constexpr UINT_PTR IDT_CYCLEDONE = 0xFFFFFFFF;  // the item finished one cycle

// The step period of an item of `speed` 1..80 (80..1 ms); speeds outside
// that range are taken as the nearest end rather than as a period of days.
inline UINT StepInterval(unsigned speed) { return 81 - (speed < 1 ? 1 : speed > 80 ? 80 : speed); }
