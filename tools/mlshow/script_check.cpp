// Static checks of applet scripts, on the player's own line cleaning and
// keyword list.
#include "script_check.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "applet/keywords.h"
#include "applet/lines.h"
#include "commands.h"
#include "errors.h"
#include "fileio.h"

namespace mlshow {

namespace {

bool IsDelimiter(char c) { return c == ',' || c == ')' || c == 0; }

// The first four characters are all that tell names apart.
std::string Packed(const std::string &name) { return name.substr(0, 4); }

struct LabelUse {
    std::string name;
    int line;
};

// Walks one cleaned statement as the player evaluates it; the first
// problem found ends the walk.
class StatementCheck {
public:
    StatementCheck(const char *text, int line, std::vector<LabelUse> *jumps) : p_(text), line_(line), jumps_(jumps) {}
    std::string problem;

    void Expression() {
        if (!problem.empty() || !*p_) return;
        if (*p_ == '"') {
            while (*p_ && *p_ != '\x01') ++p_;
            if (*p_) ++p_;
            return;
        }
        if (*p_ == ':' ) {
            const char *start = ++p_;
            while (!IsDelimiter(*p_)) ++p_;
            label_ = std::string(start, p_);
            return;
        }
        if (*p_ == '-' || (*p_ >= '0' && *p_ <= '9') || *p_ == '@' || *p_ == '$' || *p_ == '&') {
            while (!IsDelimiter(*p_)) ++p_;
            return;
        }
        Call();
    }

private:
    void Call() {
        const char *start = p_;
        while (*p_ && *p_ != '(' && *p_ != ',' && *p_ != ')') ++p_;
        const std::string word(start, p_);
        if (*p_ != '(') {
            problem = "'" + word + "' is not a call: '(' expected after it";
            return;
        }
        ++p_;
        int count = 0;
        while (*p_ != ')') {
            label_.clear();
            Expression();
            if (!problem.empty()) return;
            if (!label_.empty()) jumps_->push_back({label_, line_});
            ++count;
            if (!*p_) {
                problem = "missing ')' after the arguments of '" + word + "'";
                return;
            }
            if (*p_ == ',') ++p_;
        }
        ++p_;
        label_.clear();
        const int index = APPLETFindKeyword(word.c_str());
        if (index < 0) {
            problem = "unknown keyword '" + word + "'";
            return;
        }
        const APPLETKEYWORD &k = appletkeywords[index];
        if (count < k.minargs || count > k.maxargs) problem = "'" + std::string(k.keyword) + "' " + Takes(k) +
                                                              ", not " + std::to_string(count);
    }

    static std::string Takes(const APPLETKEYWORD &k) {
        if (k.maxargs == APPLETMANYARGS) return "takes " + std::to_string(k.minargs) + " or more arguments";
        if (k.minargs == k.maxargs) return "takes " + std::to_string(k.minargs) + " argument" + (k.minargs == 1 ? "" : "s");
        return "takes " + std::to_string(k.minargs) + " to " + std::to_string(k.maxargs) + " arguments";
    }

    const char *p_;
    int line_;
    std::vector<LabelUse> *jumps_;
    std::string label_;
};

std::string CheckStatement(const char *clean, int line, std::vector<LabelUse> *jumps) {
    size_t quotes = 0, closes = 0;
    for (const char *p = clean; *p; ++p) quotes += *p == '"', closes += *p == '\x01';
    if (quotes > closes) return "unterminated string";
    StatementCheck check(clean, line, jumps);
    if (*clean == '@') {
        const char *equals = clean;
        while (*equals && *equals != '=') ++equals;
        if (!*equals) return "assignment without '='";
        StatementCheck value(equals + 1, line, jumps);
        value.Expression();
        return value.problem;
    }
    check.Expression();
    return check.problem;
}

}  // namespace

std::vector<ScriptProblem> CheckScript(const std::string &text) {
    std::vector<ScriptProblem> problems;
    std::map<std::string, int> labels;
    std::vector<LabelUse> jumps;
    std::string copy = text;
    copy.push_back(0);
    static char raw[APPLETMAXLINE + 1], clean[APPLETMAXLINE + 1];
    int line = 0;
    for (char *p = &copy[0]; (p = APPLETGetLine(raw, p)) != nullptr;) {
        ++line;
        APPLETCleanLine(clean, raw);
        if (clean[0] == ':') {
            const std::string name = Packed(clean + 1);
            const auto found = labels.find(name);
            if (found != labels.end())
                problems.push_back({line, "label ':" + std::string(clean + 1) +
                                              "' has the same first four characters as the label of line " +
                                              std::to_string(found->second)});
            else
                labels[name] = line;
            continue;
        }
        if (!clean[0]) continue;
        const std::string problem = CheckStatement(clean, line, &jumps);
        if (!problem.empty()) problems.push_back({line, problem});
    }
    for (const LabelUse &jump : jumps)
        if (!labels.count(Packed(jump.name))) problems.push_back({jump.line, "label ':" + jump.name + "' is not declared"});
    return problems;
}

int ReportScriptProblems(const std::string &name, const std::string &text, std::ostream &out) {
    std::vector<ScriptProblem> problems = CheckScript(text);
    std::stable_sort(problems.begin(), problems.end(),
                     [](const ScriptProblem &a, const ScriptProblem &b) { return a.line < b.line; });
    for (const ScriptProblem &problem : problems) out << name << ":" << problem.line << ": " << problem.message << "\n";
    return problems.empty() ? 0 : 1;
}

int RunCheck(const std::string &path, std::ostream &out) {
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) throw InputError(path + ": cannot be read");
    std::stringstream text;
    text << in.rdbuf();
    return ReportScriptProblems(path, text.str(), out);
}

}  // namespace mlshow
