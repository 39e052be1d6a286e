// The language, case by case: every script in scripts/ runs to its end and
// is checked against the expectations written in its own comments:
//   ;expect result R        what the last line returned (default -1, the end)
//   ;expect line N          the line (from 1) that raised the error
//   ;expect start 0         the start fails; ;expect error E gives its code
//   ;expect int NAME V      ;expect str NAME TEXT (escapes \r \n \xNN \\)   ;expect elem NAME I V
//   ;expect none NAME       no such variable
//   ;expect depth N         entries left on the value stack
//   ;expect limit N         stop after N lines (result 0: still running)
//   ;expect stack N         the stack size the block asks for
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "script_runner.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

struct Expectation {
    std::string what;
    std::vector<std::string> words;
    std::string rest;  // the text after the name, for str
};

std::vector<std::string> ScriptFiles() {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(ML_APPLET_SCRIPTS "\\*.mla", &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do files.push_back(found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    return files;
}

std::string ReadText(const std::string &name) {
    std::ifstream in(std::string(ML_APPLET_SCRIPTS "\\") + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<Expectation> Expectations(const std::string &script) {
    std::vector<Expectation> all;
    std::istringstream lines(script);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(";expect ", 0) != 0) continue;
        std::istringstream words(line.substr(8));
        Expectation e;
        words >> e.what;
        std::string word;
        while (words >> word) e.words.push_back(word);
        if (e.what == "str" && !e.words.empty()) {
            const size_t at = line.find(e.words[0], 8 + e.what.size()) + e.words[0].size() + 1;
            e.rest = at < line.size() ? line.substr(at) : "";
        }
        all.push_back(e);
    }
    return all;
}

// \r, \n, \\ and \xNN in an expected text.
std::string Unescape(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r') out += '\r';
        else if (c == 'n') out += '\n';
        else if (c == 'x' && i + 2 < text.size()) out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16)), i += 2;
        else out += c;
    }
    return out;
}

int Number(const Expectation &e, size_t i) { return i < e.words.size() ? std::stoi(e.words[i]) : 0; }

void Check(ScriptRunner &runner, const Expectation &e, int result, int started) {
    APPLET &applet = runner.applet();
    if (e.what == "result") {
        EXPECT_EQ(result, Number(e, 0)) << APPLETError(&applet);
    }
    if (e.what == "line") {
        EXPECT_EQ(applet.errorline + 1, Number(e, 0));
    }
    if (e.what == "start") {
        EXPECT_EQ(started, Number(e, 0));
    }
    if (e.what == "error") {
        EXPECT_EQ(applet.error, Number(e, 0));
    }
    if (e.what == "depth") {
        EXPECT_EQ(applet.stackdepth, Number(e, 0));
    }
    if (e.what == "int") {
        int value = 0;
        EXPECT_TRUE(runner.Int(e.words.at(0).c_str(), &value)) << e.words[0];
        EXPECT_EQ(value, Number(e, 1)) << e.words[0];
    }
    if (e.what == "str") {
        std::string text;
        EXPECT_TRUE(runner.String(e.words.at(0).c_str(), &text)) << e.words[0];
        EXPECT_EQ(text, Unescape(e.rest)) << e.words[0];
    }
    if (e.what == "elem") {
        int value = 0;
        EXPECT_TRUE(runner.Element(e.words.at(0).c_str(), Number(e, 1), &value)) << e.words[0];
        EXPECT_EQ(value, Number(e, 2)) << e.words[0];
    }
    if (e.what == "none") {
        int value = 0;
        std::string text;
        EXPECT_FALSE(runner.Int(e.words.at(0).c_str(), &value) || runner.String(e.words[0].c_str(), &text));
    }
}

int Setting(const std::vector<Expectation> &all, const char *what, int fallback) {
    for (const Expectation &e : all)
        if (e.what == what) return Number(e, 0);
    return fallback;
}

}  // namespace

TEST(AppletConformance, EveryScriptMeetsItsExpectations) {
    const std::vector<std::string> files = ScriptFiles();
    ASSERT_GE(files.size(), 20u) << "scripts not found in " << ML_APPLET_SCRIPTS;
    ScriptRunner runner;
    for (const std::string &file : files) {
        SCOPED_TRACE(file);
        const std::string script = ReadText(file);
        const std::vector<Expectation> all = Expectations(script);
        const int started = runner.Start(script, Setting(all, "stack", 0));
        const int expectedStart = Setting(all, "start", 1);
        ASSERT_EQ(started, expectedStart) << APPLETError(&runner.applet());
        const int result = started ? runner.Run(Setting(all, "limit", 100000)) : 0;
        bool resultGiven = false;
        for (const Expectation &e : all) {
            Check(runner, e, result, started);
            resultGiven = resultGiven || e.what == "result" || e.what == "start";
        }
        if (!resultGiven) {
            EXPECT_EQ(result, -1) << APPLETError(&runner.applet()) << " at line " << runner.applet().errorline + 1;
        }
        runner.Stop();
    }
}

// The examples of the authors' guide run to their end.
TEST(AppletConformance, TheGuidesExamplesRun) {
    std::ifstream in(ML_APPLET_GUIDE, std::ios::binary);
    ASSERT_TRUE(in) << ML_APPLET_GUIDE;
    std::vector<std::string> examples;
    std::string line, example;
    while (std::getline(in, line)) {
        if (line.rfind("    ", 0) == 0) {
            example += line.substr(4) + "\r\n";
        } else if (!example.empty()) {
            examples.push_back(example);
            example.clear();
        }
    }
    if (!example.empty()) examples.push_back(example);
    ASSERT_GE(examples.size(), 3u);
    ScriptRunner runner;
    // The examples draw picture 1, as an applet of a show would carry it.
    const Bytes picture = TestDib(16, 16, 24);
    runner.AddPicture(1, picture.data(), picture.size());
    for (const std::string &script : examples) {
        SCOPED_TRACE(script);
        ASSERT_EQ(runner.Start(script), 1);
        EXPECT_EQ(runner.Run(), -1) << APPLETError(&runner.applet());
        runner.Stop();
    }
}
