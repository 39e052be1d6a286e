// The drawing state built-ins on a real window: colour values, the screen's
// size, positions and offsets, pens and brushes as GDI sees them, saving and
// restoring the whole state on the value stack, and how each of them answers
// wrong argument counts and arguments of the wrong kind.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "applet/applet.h"
#include "applet/builtins/drawing_applet.h"
#include "applet/builtins/wrong_arguments.h"

using namespace testing_support;

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

// The value of `expression` as the script assigns it to an integer.
int Value(DrawingApplet &applet, const std::string &expression) {
    applet.Run(Script({"declareint(@r)", "@r=" + expression}));
    EXPECT_EQ(applet.applet().error, 0) << expression;
    int value = -12345;
    EXPECT_TRUE(applet.runner().Int("r", &value)) << expression;
    return value;
}

// What a statement that fails leaves behind: its code and the result the
// built-in delivered all the same.
struct Failure {
    int error;
    int result;
};

Failure Fail(DrawingApplet &applet, const std::string &statement) {
    applet.Run(Script({statement}));
    return Failure{applet.applet().error, int(returnvalue.value)};
}

LOGPEN PenOf(HPEN pen) {
    LOGPEN description = {};
    EXPECT_EQ(GetObjectA(pen, sizeof description, &description), int(sizeof description));
    return description;
}

LOGBRUSH BrushOf(HBRUSH brush) {
    LOGBRUSH description = {};
    EXPECT_EQ(GetObjectA(brush, sizeof description, &description), int(sizeof description));
    return description;
}

bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

// The fixed 3-3-2 colour table, computed independently.
COLORREF FixedTableColour(int n) {
    static const int levels8[] = {0, 36, 72, 108, 144, 180, 216, 255};
    static const int levels4[] = {0, 85, 170, 255};
    return RGB(levels8[n >> 5], levels8[(n >> 2) & 7], levels4[n & 3]);
}

// ---- colour values and the screen ----

TEST(ColourValues, MakeColourKeepsTheLowEightBitsOfEachComponent) {
    DrawingApplet applet;
    EXPECT_EQ(Value(applet, "makecolor(255,128,0)"), 0x0080FF);
    EXPECT_EQ(Value(applet, "makecolor(256,0,0)"), 0);
    EXPECT_EQ(Value(applet, "makecolor(0,0,255)"), 0xFF0000);
    EXPECT_EQ(Value(applet, "makecolor(-1,0,0)"), 0xFF);
    EXPECT_EQ(Value(applet, "makecolor(511,683,973)"), 0xCDABFF);
    EXPECT_EQ(Value(applet, "makecolor(-2147483648,2147483647,-1)"), 0xFFFF00);
}

TEST(ColourValues, FixedColourEdgesAndClampedIndices) {
    DrawingApplet applet;
    EXPECT_EQ(Value(applet, "getfixedcolor(0)"), 0x000000);
    EXPECT_EQ(Value(applet, "getfixedcolor(1)"), 0x550000);
    EXPECT_EQ(Value(applet, "getfixedcolor(4)"), 0x002400);
    EXPECT_EQ(Value(applet, "getfixedcolor(32)"), 0x000024);
    EXPECT_EQ(Value(applet, "getfixedcolor(255)"), 0xFFFFFF);
    EXPECT_EQ(Value(applet, "getfixedcolor(-5)"), 0x000000);
    EXPECT_EQ(Value(applet, "getfixedcolor(300)"), 0xFFFFFF);
    EXPECT_EQ(Value(applet, "getfixedcolor(-2147483648)"), 0x000000);
    EXPECT_EQ(Value(applet, "getfixedcolor(2147483647)"), 0xFFFFFF);
}

TEST(ColourValues, FixedColourTableHasEveryEntryLaidOut332) {
    DrawingApplet applet;
    std::string script = Script({"declarearray(&c,256)"});
    for (int i = 0; i < 256; ++i) script += "setarrayvalue(&c," + N(i) + ",getfixedcolor(" + N(i) + "))\r\n";
    applet.Run(script);
    ASSERT_EQ(applet.applet().error, 0);
    for (int i = 0; i < 256; ++i) {
        int colour = -1;
        ASSERT_TRUE(applet.runner().Element("c", i, &colour));
        EXPECT_EQ(COLORREF(colour), FixedTableColour(i)) << "entry " << i;
    }
}

TEST(ColourValues, SysColourTakesIndicesAbove23As24AndPassesNegativesOn) {
    DrawingApplet applet;
    EXPECT_EQ(COLORREF(Value(applet, "getsyscolor(5)")), GetSysColor(5));
    EXPECT_EQ(COLORREF(Value(applet, "getsyscolor(23)")), GetSysColor(23));
    EXPECT_EQ(COLORREF(Value(applet, "getsyscolor(30)")), GetSysColor(24));
    EXPECT_EQ(COLORREF(Value(applet, "getsyscolor(2147483647)")), GetSysColor(24));
    EXPECT_EQ(COLORREF(Value(applet, "getsyscolor(-1)")), GetSysColor(-1));
}

TEST(ColourValues, SaverColourIsTheApplets) {
    DrawingApplet applet;
    ASSERT_TRUE(applet.runner().Start(Script({"declareint(@r)", "@r=getsavercolor()"})));
    applet.applet().savercolour = RGB(12, 34, 56);
    applet.runner().Run();
    int colour = 0;
    ASSERT_TRUE(applet.runner().Int("r", &colour));
    EXPECT_EQ(COLORREF(colour), RGB(12, 34, 56));
}

TEST(ScreenValues, WidthDepthAndBitsAreTheDisplays) {
    DrawingApplet applet;
    EXPECT_EQ(Value(applet, "getscreenwidth()"), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(Value(applet, "getscreendepth()"), GetSystemMetrics(SM_CYSCREEN));
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(Value(applet, "getscreenbits()"), bits);
    EXPECT_GE(bits, 8);
}

// ---- positions, offsets and text settings ----

TEST(DrawingState, PositionTakesNegativeValuesAndReadsBack) {
    DrawingApplet applet;
    applet.Run(Script({"declareint(@h)", "declareint(@v)", "setposition(-5,-2147483648)", "@h=gethorizontalpos()",
                       "@v=getverticalpos()"}));
    ASSERT_EQ(applet.applet().error, 0);
    int h = 0, v = 0;
    ASSERT_TRUE(applet.runner().Int("h", &h));
    ASSERT_TRUE(applet.runner().Int("v", &v));
    EXPECT_EQ(h, -5);
    EXPECT_EQ(v, INT32_MIN);
}

TEST(DrawingState, NegativeDrawingOffsetMovesShapesUpAndLeft) {
    DrawingApplet applet;
    applet.Run(Script({"setbrushcolor(" + N(kRed) + ")", "setdrawingoffset(-30,-40)", "fillrect(40,50,50,60)"}));
    ASSERT_EQ(applet.applet().error, 0);
    EXPECT_EQ(applet.applet().xoffset, -30);
    EXPECT_EQ(applet.applet().yoffset, -40);
    EXPECT_EQ(applet.Pixel(10, 10), kRed);
    EXPECT_EQ(applet.Pixel(18, 18), kRed);
    EXPECT_EQ(applet.Pixel(9, 9), RGB(0, 0, 0));
    EXPECT_EQ(applet.Pixel(20, 20), RGB(0, 0, 0));
    EXPECT_EQ(applet.Pixel(45, 55), RGB(0, 0, 0));
}

TEST(DrawingState, TextColoursAndTransparency) {
    DrawingApplet applet;
    applet.Run(
        Script({"settextforecolor(" + N(kGreen) + ")", "settextbackcolor(" + N(kBlue) + ")", "settexttransparent(5)"}));
    ASSERT_EQ(applet.applet().error, 0);
    EXPECT_EQ(applet.applet().textforecolour, kGreen);
    EXPECT_EQ(applet.applet().textbackcolour, kBlue);
    EXPECT_EQ(applet.applet().textmode, 1);
    applet.Run(Script({"settexttransparent(1)", "settexttransparent(0)"}));
    EXPECT_EQ(applet.applet().textmode, 2);
    applet.Run(Script({"settexttransparent(-1)"}));
    EXPECT_EQ(applet.applet().textmode, 1);
}

// ---- pens and brushes ----

TEST(PensAndBrushes, PenIsInsideFrameWithTheGivenWidthAndColour) {
    DrawingApplet applet;
    applet.Run(Script({"setpencolor(" + N(kBlue) + ",7)"}));
    ASSERT_EQ(applet.applet().error, 0);
    LOGPEN pen = PenOf(applet.applet().pen);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_INSIDEFRAME));
    EXPECT_EQ(pen.lopnWidth.x, 7);
    EXPECT_EQ(pen.lopnColor, kBlue);

    applet.Run(Script({"setpencolor(" + N(kGreen) + ",0)"}));
    pen = PenOf(applet.applet().pen);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_INSIDEFRAME));
    EXPECT_EQ(pen.lopnWidth.x, 0);
    EXPECT_EQ(pen.lopnColor, kGreen);
}

TEST(PensAndBrushes, WidthThatIsNotANumberCountsAsOne) {
    DrawingApplet applet;
    applet.Run(Script({"setpencolor(" + N(kRed) + ",\"wide\")"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_BADVALUE);
    LOGPEN pen = PenOf(applet.applet().pen);
    EXPECT_EQ(pen.lopnWidth.x, 1);
    EXPECT_EQ(pen.lopnColor, kRed);

    applet.Run(Script({"setpencolor(" + N(kRed) + ",@nothing)"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_NOVARIABLE);
    EXPECT_EQ(PenOf(applet.applet().pen).lopnWidth.x, 1);
}

TEST(PensAndBrushes, SettersReplaceAndDeleteThePreviousHandles) {
    DrawingApplet applet;
    ASSERT_TRUE(applet.runner().Start(Script({"setpencolor(255,3)", "setbrushcolor(" + N(kGreen) + ")"})));
    const HPEN firstpen = applet.applet().pen;
    const HBRUSH firstbrush = applet.applet().brush;
    ASSERT_TRUE(Alive(firstpen));
    ASSERT_TRUE(Alive(firstbrush));
    applet.runner().Run();
    ASSERT_EQ(applet.applet().error, 0);
    EXPECT_NE(applet.applet().pen, firstpen);
    EXPECT_NE(applet.applet().brush, firstbrush);
    EXPECT_FALSE(Alive(firstpen));
    EXPECT_FALSE(Alive(firstbrush));
    const LOGBRUSH brush = BrushOf(applet.applet().brush);
    EXPECT_EQ(brush.lbStyle, UINT(BS_SOLID));
    EXPECT_EQ(brush.lbColor, kGreen);
}

// ---- saving and restoring ----

TEST(SavedState, SaveGivesTheAppletCopiesAndKeepsTheOriginals) {
    DrawingApplet applet;
    ASSERT_TRUE(applet.runner().Start(Script({"setpencolor(255,4)", "savegraphicstate()", "end()"})));
    applet.runner().Run(1);
    const HPEN pen = applet.applet().pen;
    const HBRUSH brush = applet.applet().brush;
    const HFONT font = applet.applet().font;
    applet.runner().Run(2);
    ASSERT_EQ(applet.applet().error, 0);
    EXPECT_EQ(applet.applet().stackdepth, 1);
    EXPECT_NE(applet.applet().pen, pen);
    EXPECT_NE(applet.applet().brush, brush);
    EXPECT_NE(applet.applet().font, font);
    EXPECT_TRUE(Alive(pen));
    EXPECT_TRUE(Alive(brush));
    EXPECT_TRUE(Alive(font));
    const LOGPEN copy = PenOf(applet.applet().pen), original = PenOf(pen);
    EXPECT_EQ(copy.lopnStyle, original.lopnStyle);
    EXPECT_EQ(copy.lopnWidth.x, 4);
    EXPECT_EQ(copy.lopnColor, original.lopnColor);
    EXPECT_EQ(BrushOf(applet.applet().brush).lbColor, BrushOf(brush).lbColor);

    // A state still saved when the applet goes is released with it.
    applet.runner().Stop();
    EXPECT_FALSE(Alive(pen));
    EXPECT_FALSE(Alive(brush));
    EXPECT_FALSE(Alive(font));
}

TEST(SavedState, RestoreBringsBackTheOriginalBrushAndDeletesTheOneBetween) {
    DrawingApplet applet;
    ASSERT_TRUE(applet.runner().Start(Script({"savegraphicstate()", "setbrushcolor(" + N(kRed) + ")",
                                              "setpencolor(" + N(kRed) + ",9)", "restoregraphicstate()"})));
    const HBRUSH original = applet.applet().brush;
    const HPEN originalpen = applet.applet().pen;
    applet.runner().Run(3);
    const HBRUSH between = applet.applet().brush;
    const HPEN betweenpen = applet.applet().pen;
    ASSERT_NE(between, original);
    ASSERT_TRUE(Alive(between));
    applet.runner().Run();
    ASSERT_EQ(applet.applet().error, 0);
    EXPECT_EQ(applet.applet().brush, original);
    EXPECT_EQ(applet.applet().pen, originalpen);
    EXPECT_FALSE(Alive(between));
    EXPECT_FALSE(Alive(betweenpen));
    EXPECT_EQ(BrushOf(original).lbColor, RGB(255, 255, 255));
    EXPECT_EQ(applet.applet().stackdepth, 0);
}

TEST(SavedState, TwoSavesComeBackInReverseOrder) {
    DrawingApplet applet;
    applet.Run(Script({
        "setbrushcolor(" + N(kRed) + ")",
        "setdrawingoffset(0,0)",
        "setposition(1,2)",
        "settextforecolor(11)",
        "settexttransparent(1)",
        "savegraphicstate()",  // state A
        "setbrushcolor(" + N(kGreen) + ")",
        "setdrawingoffset(20,0)",
        "setposition(3,4)",
        "settextforecolor(22)",
        "settexttransparent(0)",
        "savegraphicstate()",  // state B
        "setbrushcolor(" + N(kBlue) + ")",
        "setdrawingoffset(40,0)",
        "setposition(5,6)",
        "settextforecolor(33)",
        "restoregraphicstate()",
        "fillrect(0,0,10,10)",  // drawn in B
        "restoregraphicstate()",
        "fillrect(0,20,10,30)",  // drawn in A
    }));
    ASSERT_EQ(applet.applet().error, 0);
    EXPECT_EQ(applet.applet().stackdepth, 0);
    EXPECT_EQ(applet.Pixel(25, 5), kGreen);
    EXPECT_EQ(applet.Pixel(5, 5), RGB(0, 0, 0));
    EXPECT_EQ(applet.Pixel(45, 5), RGB(0, 0, 0));
    EXPECT_EQ(applet.Pixel(5, 25), kRed);
    EXPECT_EQ(applet.Pixel(25, 25), RGB(0, 0, 0));
    EXPECT_EQ(applet.applet().xpos, 1);
    EXPECT_EQ(applet.applet().ypos, 2);
    EXPECT_EQ(applet.applet().textforecolour, COLORREF(11));
    EXPECT_EQ(applet.applet().textmode, 1);
    EXPECT_EQ(applet.applet().xoffset, 0);
}

TEST(SavedState, RestoreWithNothingSavedFailsAsAnEmptyPop) {
    DrawingApplet applet;
    applet.Run(Script({"restoregraphicstate()"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_STACKOVERFLOW);
    EXPECT_EQ(applet.applet().stackdepth, 0);
}

TEST(SavedState, RestoreMeetingAnotherEntryRaisesStackCorruptedAndDropsIt) {
    DrawingApplet applet;
    applet.Run(Script({"savescreenarea(0,0,9,9)", "restoregraphicstate()"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_STACKCORRUPT);
    EXPECT_EQ(applet.applet().errorline, 1);
    EXPECT_EQ(applet.applet().stackdepth, 0);

    // A saved state below the saved screen area stays where it was.
    applet.Run(Script({"savegraphicstate()", "savescreenarea(0,0,9,9)", "restoregraphicstate()"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_STACKCORRUPT);
    EXPECT_EQ(applet.applet().stackdepth, 1);

    applet.Run(Script({"do()", "restoregraphicstate()"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_STACKCORRUPT);
    EXPECT_EQ(applet.applet().stackdepth, 0);
}

// ---- wrong argument counts and kinds ----

// A built-in of the family with fitting arguments, and what it delivers
// all the same when refused for their count.
struct CountCase {
    const char *keyword;
    std::vector<std::string> arguments;
    int result;
};

TEST(WrongArguments, CountsRaise11AndDeliverTheDocumentedResult) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const CountCase cases[] = {
        {"setposition", {"1", "2"}, 1},       {"setdrawingoffset", {"1", "2"}, 1},
        {"setpencolor", {"1", "2"}, 1},       {"setbrushcolor", {"1"}, 1},
        {"settextforecolor", {"1"}, 1},       {"settextbackcolor", {"1"}, 1},
        {"settexttransparent", {"1"}, 1},     {"savegraphicstate", {}, 1},
        {"restoregraphicstate", {}, 1},       {"makecolor", {"1", "2", "3"}, 0},
        {"getfixedcolor", {"255"}, 0},        {"getsyscolor", {"5"}, 0},
        {"getscreenwidth", {}, width},        {"getscreendepth", {}, height},
        {"getsavercolor", {}, 0},             {"gethorizontalpos", {}, 0},
        {"getverticalpos", {}, 0},
    };
    DrawingApplet applet;
    for (const CountCase &c : cases)
        for (const std::string &statement : WrongCounts(BUILTINCALL{c.keyword, c.arguments})) {
            const Failure failure = Fail(applet, statement);
            EXPECT_EQ(failure.error, APPLETERR_ARGCOUNT) << statement;
            EXPECT_EQ(failure.result, c.result) << statement;
            EXPECT_EQ(applet.applet().stackdepth, 0) << statement;
        }
}

TEST(WrongArguments, GettersDeliverTheirValueEvenWithAWrongCount) {
    DrawingApplet applet;
    Fail(applet, "getscreenbits(1)");
    const int bits = int(returnvalue.value);
    EXPECT_EQ(applet.applet().error, APPLETERR_ARGCOUNT);
    EXPECT_EQ(bits, Value(applet, "getscreenbits()"));

    applet.Run(Script({"setposition(-8,9)", "gethorizontalpos(1)"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_ARGCOUNT);
    EXPECT_EQ(int(returnvalue.value), -8);
    applet.Run(Script({"setposition(-8,9)", "getverticalpos(1,2)"}));
    EXPECT_EQ(int(returnvalue.value), 9);
}

TEST(WrongArguments, SettersWithAWrongCountChangeNothing) {
    DrawingApplet applet;
    ASSERT_TRUE(applet.runner().Start(
        Script({"setposition(4,5)", "setdrawingoffset(6,7)", "settexttransparent(1)", "setposition(1,2,3)"})));
    const HPEN pen = applet.applet().pen;
    const HBRUSH brush = applet.applet().brush;
    applet.runner().Run();
    EXPECT_EQ(applet.applet().error, APPLETERR_ARGCOUNT);
    EXPECT_EQ(applet.applet().xpos, 4);
    EXPECT_EQ(applet.applet().ypos, 5);
    const char *more[] = {"setdrawingoffset(1)", "settexttransparent()", "setpencolor(255)", "setbrushcolor(1,2)"};
    for (const char *statement : more) {
        ASSERT_TRUE(applet.runner().Start(Script({"setdrawingoffset(6,7)", statement})));
        const HPEN before = applet.applet().pen;
        const HBRUSH brushbefore = applet.applet().brush;
        applet.runner().Run();
        EXPECT_EQ(applet.applet().error, APPLETERR_ARGCOUNT) << statement;
        EXPECT_EQ(applet.applet().xoffset, 6) << statement;
        EXPECT_EQ(applet.applet().textmode, 2) << statement;
        EXPECT_EQ(applet.applet().pen, before) << statement;
        EXPECT_EQ(applet.applet().brush, brushbefore) << statement;
    }
    (void)pen, (void)brush;
}

TEST(WrongArguments, AStringInAnyArgumentRaises4AndCountsAsZero) {
    const char *statements[] = {
        "setposition(\"a\",5)",      "setposition(5,\"a\")", "setdrawingoffset(\"a\",5)", "setdrawingoffset(5,\"a\")",
        "setpencolor(\"a\",5)",      "setbrushcolor(\"a\")", "settextforecolor(\"a\")",   "settextbackcolor(\"a\")",
        "settexttransparent(\"a\")", "makecolor(\"a\",5,5)", "makecolor(5,\"a\",5)",      "makecolor(5,5,\"a\")",
        "getfixedcolor(\"a\")",      "getsyscolor(\"a\")",
    };
    DrawingApplet applet;
    for (const char *statement : statements) {
        Fail(applet, statement);
        EXPECT_EQ(applet.applet().error, APPLETERR_BADVALUE) << statement;
        EXPECT_EQ(applet.applet().errorline, 0) << statement;
    }
    // The built-ins complete with 0 in place of the refused argument.
    Fail(applet, "setposition(\"a\",5)");
    EXPECT_EQ(applet.applet().xpos, 0);
    EXPECT_EQ(applet.applet().ypos, 5);
    Fail(applet, "setdrawingoffset(5,\"a\")");
    EXPECT_EQ(applet.applet().xoffset, 5);
    EXPECT_EQ(applet.applet().yoffset, 0);
    EXPECT_EQ(Fail(applet, "makecolor(\"a\",255,0)").result, 0x00FF00);
    EXPECT_EQ(Fail(applet, "getfixedcolor(\"a\")").result, 0);
    Fail(applet, "settexttransparent(\"a\")");
    EXPECT_EQ(applet.applet().textmode, 2);
    Fail(applet, "setbrushcolor(\"a\")");
    EXPECT_EQ(BrushOf(applet.applet().brush).lbColor, COLORREF(0));
    Fail(applet, "setpencolor(@none,3)");
    EXPECT_EQ(applet.applet().error, APPLETERR_NOVARIABLE);
    EXPECT_EQ(PenOf(applet.applet().pen).lopnColor, COLORREF(0));
    EXPECT_EQ(PenOf(applet.applet().pen).lopnWidth.x, 3);
}

TEST(WrongArguments, AnErrorEndsTheAppletAfterTheStatement) {
    DrawingApplet applet;
    applet.Run(Script({"setposition(\"a\",5)", "setposition(7,7)"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_BADVALUE);
    EXPECT_EQ(applet.applet().xpos, 0);
    EXPECT_EQ(applet.applet().ypos, 5);
}

}  // namespace
