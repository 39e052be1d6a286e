// mlshow check: what a script reveals without running, one case a row.
#include <gtest/gtest.h>

#include <sstream>

#include "script_check.h"
#include "support.h"

namespace {

std::string Report(const std::string &script) {
    std::ostringstream out;
    mlshow::ReportScriptProblems("s.mla", script, out);
    return out.str();
}

}  // namespace

TEST(ScriptCheck, ReportsWhatCanBeKnownStatically) {
    struct Case {
        const char *script, *report, *why;
    } cases[] = {
        {"declareint(@x)\r\ndo()\r\ninc(@x)\r\nwhile(islessthan(@x,3))\r\n", "", "a sound script"},
        {"frobnicate(1)\n", "s.mla:1: unknown keyword 'frobnicate'\n", "unknown keyword"},
        {"PRINT(\"a\")\n", "", "keywords ignore case"},
        {"add(1)\n", "s.mla:1: 'add' takes 2 arguments, not 1\n", "too few"},
        {"declareint(@x,1,2)\n", "s.mla:1: 'declareint' takes 1 to 2 arguments, not 3\n", "too many"},
        {"print()\n", "s.mla:1: 'print' takes 1 or more arguments, not 0\n", "one or more"},
        {"\n\ndeclarestring($s,\"abc)\n", "s.mla:3: unterminated string\n", "unterminated"},
        {"declarestring($s,\"a;b\")\n", "s.mla:1: unterminated string\n", "a ';' ends the line in a string too"},
        {"add(1,2\n", "s.mla:1: missing ')' after the arguments of 'add'\n", "missing )"},
        {"add(1,foo)\n", "s.mla:1: 'foo' is not a call: '(' expected after it\n", "bare word"},
        {"@x\n", "s.mla:1: assignment without '='\n", "assignment"},
        {":loop1\n:loop2\n", "s.mla:2: label ':loop2' has the same first four characters as the label of line 1\n",
         "duplicate label"},
        {"goto(:nowhere)\nif(1,:there)\n:ther\n", "s.mla:1: label ':nowhere' is not declared\n",
         "undeclared label; labels count by four characters"},
        {"@x=add(1,sub(2))\n", "s.mla:1: 'sub' takes 2 arguments, not 1\n", "nested calls"},
        {"; only a comment\n\n   \n", "", "empty lines"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Report(c.script), c.report);
    }
}

TEST(ScriptCheck, TheCommandReportsAndFails) {
    testing_mlshow::TempDir dir;
    dir.Write("good.mla", std::string("declareint(@x)\n"));
    dir.Write("bad.mla", std::string("add(1)\n"));
    std::string output;
    EXPECT_EQ(testing_mlshow::RunMlshow("check " + dir.Path("good.mla"), &output), 0) << output;
    EXPECT_EQ(testing_mlshow::RunMlshow("check " + dir.Path("bad.mla"), &output), 1);
    EXPECT_NE(output.find("bad.mla:1: 'add' takes 2 arguments, not 1"), std::string::npos) << output;
}
