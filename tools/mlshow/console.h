// The console window mlshow runs in. Windows opens one for a console
// program started from Explorer (a folder dropped onto mlshow.exe) and
// closes it when the program ends, before anyone could read it.
#pragma once

namespace mlshow {

// Whether the console is mlshow's alone: no terminal or script shares it.
bool ConsoleIsOursAlone();
// Waits until a key is pressed in the console.
void WaitForKey();

}  // namespace mlshow
