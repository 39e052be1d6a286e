// Elsewhere mlshow always runs in a terminal or a script that stays open.
#include "console.h"

namespace mlshow {

bool ConsoleIsOursAlone() { return false; }
void WaitForKey() {}

}  // namespace mlshow
