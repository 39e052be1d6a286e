// The engine's pieces: reading and cleaning lines, the keyword and message
// tables, the stack's limits, and the life cycle's releases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "applet/applet.h"
#include "applet/builtins/builtins.h"
#include "script_runner.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

std::string Clean(const std::string &raw) {
    std::string in = raw;
    std::string out(raw.size() + 1, '\xFF');
    APPLETCleanLine(&out[0], &in[0]);
    return out.c_str();
}

}  // namespace

TEST(AppletCleanLine, QuotesEscapesCommentsAndSpaces) {
    struct Case {
        const char *raw, *clean, *why;
    } cases[] = {
        {"  :loop ; the loop", ":loop", "spaces and a comment go"},
        {"declare int ( @x )\r", "declareint(@x)", "spaces and CR vanish outside quotes"},
        {"print(\"a b\")", "print(\"a b\x01)", "spaces stay inside quotes, the close is 0x01"},
        {"print(\"a;b\")", "print(\"a", "a ';' inside quotes still ends the line"},
        {"print(\"a\\;b\")", "print(\"a;b\x01)", "an escaped ';' is kept"},
        {"print(\"a\\059b\")", "print(\"a;b\x01)", "three digits give their byte"},
        {"print(\"\\n\\N\")", "print(\"\r\n\r\n\x01)", "\\n gives CR LF"},
        {"print(\"\\\\\")", "print(\"\\\x01)", "two backslashes give one"},
        {"print(\"\\065\")", "print(\"A\x01)", "065 is A"},
        {"print(\"\\000\\001\\300x\")", "print(\"x\x01)", "0, 1 and above 255 give nothing"},
        {"print(\"\\7x\")", "print(\"x\x01)", "a lone digit and its backslash go"},
        {"print(\"a\\\"b\")",
         "print(\"a\x01"
         "b\")",
         "an escaped quote still closes"},
        {"print(\"ab\\", "print(\"ab", "a backslash at the end ends the line"},
        {"print(\"\\q\")", "print(\"q\x01)", "any other escaped character stands"},
        {"x\xE9y", "x\xE9y", "bytes above 0x7F are kept"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Clean(c.raw), c.clean);
    }
}

TEST(AppletGetLine, LinesEndAtLineFeedsAndAt2048Bytes) {
    std::string text = std::string(3000, 'a') + "\nb\n\nc";
    char line[APPLETMAXLINE + 1];
    char *p = &text[0];
    std::vector<size_t> lengths;
    while ((p = APPLETGetLine(line, p)) != nullptr) lengths.push_back(std::strlen(line));
    EXPECT_EQ(lengths, (std::vector<size_t>{2048, 952, 1, 0, 1}));
}

TEST(AppletTables, TheKeywordTableHoldsAll102InItsOrder) {
    const char *const first[] = {"abs", "add", "and", "arc", "beep"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(function[i].keyword, first[i]);
    EXPECT_STREQ(function[68].keyword, "print");
    EXPECT_STREQ(function[101].keyword, "while");
    for (int i = 1; i < APPLETFUNCTIONCOUNT; ++i) {
        SCOPED_TRACE(function[i].keyword);
        EXPECT_NE(function[i].handler, nullptr);
        // Sorted except where the table itself puts fillellipse after fillroundrect.
        if (std::strcmp(function[i].keyword, "fillellipse") && std::strcmp(function[i].keyword, "fillpie")) {
            EXPECT_LT(std::strcmp(function[i - 1].keyword, function[i].keyword), 0);
        }
    }
}

TEST(AppletTables, ErrorMessages) {
    APPLET applet = {};
    struct Case {
        int code;
        const char *text;
    } cases[] = {{0, "Ok"},
                 {1, "Stack overflow"},
                 {5, "Syntax error"},
                 {13, "Label previously declared"},
                 {16, "Sound or picture not found"},
                 {17, "Unknown error"},
                 {-1, "Unknown error"},
                 {99, "Unknown error"}};
    for (const Case &c : cases) {
        applet.error = c.code;
        EXPECT_STREQ(APPLETError(&applet), c.text) << c.code;
    }
}

TEST(AppletStack, ASmallRequestHolds8191Entries) {
    ScriptRunner runner;
    ASSERT_EQ(runner.Start("do()\n", 100), 1);
    EXPECT_EQ(runner.applet().stacksize, 8192);
    VALUE v = {VALUE_INT, 0, 0};
    for (int i = 0; i < 8191; ++i) ASSERT_EQ(APPLETPush(&runner.applet(), &v), 0) << i;
    EXPECT_EQ(APPLETPush(&runner.applet(), &v), APPLETERR_STACKOVERFLOW);
    EXPECT_EQ(runner.applet().stackdepth, 8191);
}

TEST(AppletStart, DuplicateLabelsFailTheStartAndReleaseEverything) {
    ScriptRunner runner;
    EXPECT_EQ(runner.Start(":loop1\n:loop2\n"), 0);
    EXPECT_STREQ(APPLETError(&runner.applet()), "Label previously declared");
    EXPECT_EQ(runner.applet().stack, nullptr);
    EXPECT_EQ(runner.applet().font, nullptr);
    EXPECT_EQ(runner.applet().labels, nullptr);
}

TEST(AppletStart, TheSpecialStringsExist) {
    ScriptRunner runner;
    ASSERT_EQ(runner.Start(""), 1);
    std::string owner, organisation;
    EXPECT_TRUE(runner.String("_OWN", &owner));
    EXPECT_TRUE(runner.String("_ORG", &organisation));
    EXPECT_FALSE(owner.empty());
    EXPECT_FALSE(organisation.empty());
    EXPECT_EQ(runner.Run(), -1);
}

// Repeated runs of a script that allocates, declares and fails must not
// grow the process.
TEST(AppletRelease, RunsDoNotGrowTheProcess) {
    const std::string script =
        "declarestring($s,\"abc\")\ndeclarearray(&a,1000)\ndeclarestring($t)\n@t=@s\nstrcat($s,$t)\n"
        "do()\ngosub(:sub)\nadd(1,unknown(2))\n:sub\nreturn()\n";
    ScriptRunner runner;
    auto round = [&] {
        for (int i = 0; i < 100; ++i) {
            runner.Start(script);
            runner.Run();
            runner.Stop();
        }
    };
    round();
    const size_t before = CommittedPrivateBytes();
    for (int i = 0; i < 5; ++i) round();
    const size_t after = CommittedPrivateBytes();
    EXPECT_LT(after, before + 512 * 1024) << before << " -> " << after;
}

// The player's table and the portable keyword list cannot drift apart: the
// same keywords in the same order, and every built-in of the player
// refuses exactly the argument counts the list does not accept.
TEST(AppletTables, BuiltinsAcceptTheCountsOfThePortableList) {
    ScriptRunner runner;
    for (int i = 0; i < APPLETFUNCTIONCOUNT; ++i) {
        const APPLETKEYWORD &k = appletkeywords[i];
        SCOPED_TRACE(k.keyword);
        ASSERT_STREQ(function[i].keyword, k.keyword);
        EXPECT_EQ(APPLETFindKeyword(k.keyword), i);
        ASSERT_NE(function[i].handler, APPLETNoFunction) << "no family has this keyword";
        ASSERT_EQ(runner.Start("", 0), 1);
        APPLET &applet = runner.applet();
        for (int n = 0; n <= 7; ++n) {
            for (VALUE left; applet.stackdepth > 0 && APPLETPop(&applet, &left) == 0;) APPLETReleaseValue(&left);
            applet.error = 0;
            VALUE argument = {VALUE_INT, 1, 0}, marker = {VALUE_ARGCOUNT, UINT_PTR(n), 0};
            for (int a = 0; a < n; ++a) APPLETPush(&applet, &argument);
            APPLETPush(&applet, &marker);
            function[i].handler(&applet, runner.window());
            const bool accepted = n >= k.minargs && n <= k.maxargs;
            EXPECT_EQ(applet.error == APPLETERR_ARGCOUNT, !accepted) << n << " arguments";
        }
    }
    EXPECT_EQ(APPLETUnplacedBuiltins(), 0) << "a family's slice names a keyword the list does not have";
    EXPECT_EQ(APPLETFindKeyword("PRINT"), 68);
    EXPECT_EQ(APPLETFindKeyword("prin"), -1);
}
