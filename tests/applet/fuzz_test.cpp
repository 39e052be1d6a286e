// Generated and mutated scripts: every one runs to its end or to an error,
// nothing crashes (whatever they draw), and repeated runs of the same scripts do not grow the
// process. ML_FUZZ_ITERATIONS sets how many scripts a run makes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "script_runner.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace testing_support;

namespace {

class ScriptMaker {
public:
    explicit ScriptMaker(uint32_t seed) : random_(seed) {}

    std::string Script() {
        std::string script;
        const int lines = Below(40) + 1;
        for (int i = 0; i < lines; ++i) script += Line() + (Below(4) ? "\r\n" : "\n");
        if (Below(3) == 0) Mutate(&script);
        TamePauses(&script);
        return script;
    }

private:
    int Below(int n) { return int(random_() % uint32_t(n)); }

    std::string Name() {
        static const char *const names[] = {"a", "b", "cnt", "counter", "s", "t", "loop", "_OWN", "x", ""};
        return names[Below(10)];
    }

    std::string Number() {
        static const char *const numbers[] = {"0", "1", "-1", "2147483647", "-2147483648", "99999999999999",
                                              "-", "7", "32768", "40000"};
        return numbers[Below(10)];
    }

    std::string Text() {
        static const char *const pieces[] = {"abc", " ", "\\n", "\\\\", "\\065", "\\000", "\\9", "\\;", ";",
                                             "\\\"", "\xE9", "\\300", "\\"};
        std::string text = "\"";
        for (int n = Below(6); n > 0; --n) text += pieces[Below(13)];
        if (Below(8)) text += "\"";
        return text;
    }

    std::string Argument(int depth) {
        switch (Below(depth > 4 ? 6 : 8)) {
            case 0: return Number();
            case 1: return "@" + Name();
            case 2: return "$" + Name();
            case 3: return "&" + Name();
            case 4: return ":" + Name();
            case 5: return Text();
            default: return Call(depth + 1);
        }
    }

    std::string Call(int depth) {
        std::string keyword = function[Below(APPLETFUNCTIONCOUNT)].keyword;
        if (keyword == "sleep") return "sleep(" + std::to_string(Below(3)) + ")";
        if (Below(20) == 0) keyword[0] = char(keyword[0] - 'a' + 'A');
        std::string call = keyword + "(";
        for (int n = Below(8); n > 0; --n) call += Argument(depth) + (n > 1 ? "," : "");
        if (Below(30)) call += ")";
        return call;
    }

    std::string Line() {
        switch (Below(10)) {
            case 0: return ":" + Name() + (Below(2) ? " ; a label" : "");
            case 1: return "@" + Name() + "=" + Argument(0);
            case 2: return "declareint(@" + Name() + "," + Number() + ")";
            case 3: return "declarestring($" + Name() + "," + Text() + ")";
            case 4: return "declarearray(&" + Name() + "," + Number() + ")";
            case 5: return Below(2) ? "do()" : "while(" + Argument(3) + ")";
            case 6: return std::string(size_t(Below(3000)), char('a' + Below(26)));
            default: return Call(0);
        }
    }

    void Mutate(std::string *script) {
        for (int n = Below(8) + 1; n > 0 && !script->empty(); --n) {
            const size_t at = size_t(Below(int(script->size())));
            switch (Below(3)) {
                case 0: (*script)[at] = char(Below(256)); break;
                case 1: script->erase(at, size_t(Below(8))); break;
                default: script->insert(at, script->substr(size_t(Below(int(script->size()))), 16)); break;
            }
        }
    }

    // Only the short pauses the maker writes may stay: a mutation could
    // otherwise ask for days.
    static void TamePauses(std::string *script) {
        for (size_t at = 0; at + 5 <= script->size(); ++at) {
            if (_strnicmp(script->c_str() + at, "sleep", 5) != 0) continue;
            const bool tame = at + 8 <= script->size() && (*script)[at + 5] == '(' &&
                              (*script)[at + 6] >= '0' && (*script)[at + 6] <= '2' && (*script)[at + 7] == ')';
            if (!tame) (*script)[at] = 'z';
        }
    }

    std::mt19937 random_;
};

int Iterations() {
    const char *text = std::getenv("ML_FUZZ_ITERATIONS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 3000;
}

// Runs every script; how many ended at an error.
int RunAll(ScriptRunner &runner, const std::vector<std::string> &scripts) {
    int errors = 0;
    for (const std::string &script : scripts) {
        if (!runner.Start(script, 64)) continue;
        const int result = runner.Run(3000);
        if (result > 0) ++errors;
        runner.Stop();
    }
    return errors;
}

}  // namespace

TEST(AppletFuzz, ScriptsEndOrFailAndNeverGrowTheProcess) {
    ScriptMaker maker(20261208);
    std::vector<std::string> scripts;
    const int iterations = Iterations();
    for (int i = 0; i < iterations; ++i) scripts.push_back(maker.Script());
    // A window on the display, so that what the scripts draw really is drawn.
    TestWindow canvas(200, 200, RGB(0, 0, 0));
    ScriptRunner runner(canvas.window());
    const int errors = RunAll(runner, scripts);
    EXPECT_GT(errors, 0);
    // The memory rounds repeat the first scripts, which cover every kind.
    scripts.resize(scripts.size() < 400 ? scripts.size() : 400);
    RunAll(runner, scripts);
    const size_t before = CommittedPrivateBytes();
    for (int round = 0; round < 3; ++round) RunAll(runner, scripts);
    const size_t after = CommittedPrivateBytes();
    EXPECT_LT(after, before + 1024 * 1024) << before << " -> " << after;
}
