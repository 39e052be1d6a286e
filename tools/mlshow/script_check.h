// What can be known about an applet script without running it: unknown
// keywords, wrong numbers of arguments, unterminated strings, missing ')',
// words that are no call, duplicate labels and jumps to undeclared labels.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mlshow {

struct ScriptProblem {
    int line;  // from 1, counted as the player counts lines
    std::string message;
};

std::vector<ScriptProblem> CheckScript(const std::string &text);

// Prints each problem as `name:LINE: message`; 0 when there is none, else 1.
int ReportScriptProblems(const std::string &name, const std::string &text, std::ostream &out);

}  // namespace mlshow
