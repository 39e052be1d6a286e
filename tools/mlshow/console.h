// The console window mlshow runs in. Windows opens one for a console
// program started from Explorer (a folder dropped onto mlshow.exe) and
// closes it when the program ends, before anyone could read it. And where
// mlshow's own program file lies, which each system tells its own way.
#pragma once

#include <string>

namespace mlshow {

// The full path of mlshow's own program file (UTF-8); empty when the
// system does not tell. Never the command line's first argument, which may
// be a bare name found on the PATH or anything its starter chose.
std::string OwnProgramPath();

// Whether the console is mlshow's alone: no terminal or script shares it.
bool ConsoleIsOursAlone();
// Waits until a key is pressed in the console.
void WaitForKey();

}  // namespace mlshow
