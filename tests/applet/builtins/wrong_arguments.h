// Calls of a built-in with wrong arguments, for the robustness checks of
// every drawing family: each family names its built-ins and an argument
// that fits each place; the counts come from the keyword table.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "applet/keywords.h"

namespace testing_support {

// A built-in of a family: its keyword and, for each place, the kind of
// argument it takes and one that fits it in the family's scripts. Kinds:
// 'i' an integer, 'r' a variable it sets, 's' a string, 'p' a print item.
struct BUILTINCALL {
    const char *keyword;
    std::vector<std::string> arguments;
    const char *kinds = "";
};

inline std::string Statement(const char *keyword, const std::vector<std::string> &arguments) {
    std::string text = std::string(keyword) + "(";
    for (size_t i = 0; i < arguments.size(); ++i) text += (i ? "," : "") + arguments[i];
    return text + ")";
}

// The call with 0 to 8 fitting arguments for every count the keyword table
// refuses it (past the last place, the last argument again).
inline std::vector<std::string> WrongCounts(const BUILTINCALL &call) {
    const int index = APPLETFindKeyword(call.keyword);
    std::vector<std::string> statements;
    if (index < 0) return {std::string("unknown keyword ") + call.keyword};
    const APPLETKEYWORD &keyword = appletkeywords[index];
    for (int count = 0; count <= 8; ++count) {
        if (count >= keyword.minargs && count <= keyword.maxargs) continue;
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i)
            arguments.push_back(call.arguments.empty() ? "1" : call.arguments[std::min<size_t>(size_t(i), call.arguments.size() - 1)]);
        statements.push_back(Statement(call.keyword, arguments));
    }
    return statements;
}

// What does not fit a place of each kind, in scripts that declare the
// variables and the label named here.
inline std::vector<std::string> Misfits(char kind) {
    switch (kind) {
        case 'r': return {"5", "\"text\"", "$s", "&a", ":here"};
        case 's': return {"5", "@n", "&a", ":here"};
        case 'p': return {"&a", ":here"};
        default: return {"\"text\"", "$s", "&a", ":here"};
    }
}

// The call with one argument at a time replaced by each misfit of its
// kind; `place` says which.
struct MISFITCALL {
    size_t place;
    std::string statement;
};
inline std::vector<MISFITCALL> WrongKinds(const BUILTINCALL &call) {
    std::vector<MISFITCALL> calls;
    for (size_t place = 0; place < call.arguments.size(); ++place)
        for (const std::string &misfit : Misfits(call.kinds[place])) {
            std::vector<std::string> arguments = call.arguments;
            arguments[place] = misfit;
            calls.push_back(MISFITCALL{place, Statement(call.keyword, arguments)});
        }
    return calls;
}

}  // namespace testing_support
