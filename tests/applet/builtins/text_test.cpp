// The text built-ins on a real window: print, paragraphtext, the two
// measures and setfont, checked through the pixels they leave and the
// positions and results they report. Glyph shapes belong to the platform's
// text services, so the checks compare two renderings with each other or
// look for ink in areas instead of expecting exact glyph pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "drawing_applet.h"
#include "wrong_arguments.h"

using namespace testing_support;

namespace {

const COLORREF kCanvas = RGB(0, 0, 96);
const int kWidth = 320, kHeight = 240;

// The smallest rectangle holding every pixel that differs from the canvas,
// right and bottom excluded; empty when nothing was drawn.
struct Ink {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

Ink InkOf(const std::vector<COLORREF> &pixels, int width, COLORREF background = kCanvas) {
    Ink ink;
    ink.left = width, ink.top = int(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == background) continue;
        const int x = int(i % width), y = int(i / width);
        if (x < ink.left) ink.left = x;
        if (y < ink.top) ink.top = y;
        if (x + 1 > ink.right) ink.right = x + 1;
        if (y + 1 > ink.bottom) ink.bottom = y + 1;
    }
    if (ink.right == 0) ink = Ink();
    return ink;
}

class TextTest : public ::testing::Test {
protected:
    TextTest() : applet_(kWidth, kHeight, kCanvas) {}

    // Runs the script on a cleared canvas; the error it ended with.
    int RunScript(const std::string &script) {
        applet_.Clear();
        applet_.Run(script);
        return applet_.applet().error;
    }
    std::vector<COLORREF> Screen() const { return applet_.Area(0, 0, kWidth, kHeight); }
    Ink ScreenInk() const { return InkOf(Screen(), kWidth); }
    Ink InkIn(int x, int y, int w, int h, COLORREF background = kCanvas) const {
        Ink ink = InkOf(applet_.Area(x, y, w, h), w, background);
        if (!ink.empty()) ink.left += x, ink.right += x, ink.top += y, ink.bottom += y;
        return ink;
    }
    int Variable(const char *name) {
        int value = -12345;
        EXPECT_TRUE(applet_.runner().Int(name, &value)) << name;
        return value;
    }
    // The pixels and end position a script leaves, for comparing two scripts
    // that should draw the same.
    struct Drawing {
        std::vector<COLORREF> pixels;
        int xpos, ypos, error;
    };
    Drawing Draw(const std::string &script) {
        const int error = RunScript(script);
        return Drawing{Screen(), applet_.applet().xpos, applet_.applet().ypos, error};
    }

    DrawingApplet applet_;
};

// --- print -----------------------------------------------------------------

TEST_F(TextTest, PrintWritesTextAndNumberInOneRunAndMovesAlong) {
    const Drawing joined = Draw(Script({"print(\"Marrow!10\")"}));
    const Drawing items = Draw(Script({"print(\"Marrow!\",10)"}));
    EXPECT_EQ(items.error, 0);
    EXPECT_EQ(Delivered(), 9);
    EXPECT_EQ(items.pixels, joined.pixels);
    EXPECT_EQ(items.xpos, joined.xpos);
    EXPECT_EQ(items.ypos, 0);

    // The opaque cell of the text runs from the start to the new position.
    const Ink ink = ScreenInk();
    EXPECT_EQ(ink.left, 0);
    EXPECT_EQ(ink.top, 0);
    EXPECT_EQ(ink.right, items.xpos);
    EXPECT_GT(ink.height(), 8);
}

TEST_F(TextTest, SecondPrintStartsWhereTheFirstEnded) {
    applet_.Clear();
    ASSERT_TRUE(applet_.runner().Start(Script({"print(\"Marrow!\",10)", "print(\"42\")"})));
    applet_.runner().Run(1);
    const int end = applet_.applet().xpos;
    const std::vector<COLORREF> first = Screen();
    EXPECT_EQ(applet_.runner().Run(), -1);
    EXPECT_EQ(applet_.applet().error, 0);
    const std::vector<COLORREF> both = Screen();

    // Pixels the second print changed all lie at or right of the first end.
    Ink added;
    added.left = kWidth;
    for (size_t i = 0; i < both.size(); ++i)
        if (both[i] != first[i]) added.left = std::min(added.left, int(i % kWidth));
    EXPECT_EQ(added.left, end);
    EXPECT_EQ(ScreenInk().right, applet_.applet().xpos);
    EXPECT_EQ(applet_.applet().ypos, 0);

    const Drawing joined = Draw(Script({"print(\"Marrow!1042\")"}));
    EXPECT_EQ(both, joined.pixels);
}

TEST_F(TextTest, PrintWithDrawingOffsetKeepsPositionInAppletCoordinates) {
    const Drawing plain = Draw(Script({"print(\"ab\")"}));
    const int wide = plain.xpos;
    ASSERT_GT(wide, 0);

    const Drawing moved = Draw(Script({"declareint(@x)", "declareint(@y)", "setdrawingoffset(100,50)", "print(\"ab\")",
                                       "@x=gethorizontalpos()", "@y=getverticalpos()", "print(\"cd\")"}));
    EXPECT_EQ(moved.error, 0);
    EXPECT_EQ(Variable("x"), wide);
    EXPECT_EQ(Variable("y"), 0);
    const Ink ink = ScreenInk();
    EXPECT_EQ(ink.left, 100);
    EXPECT_EQ(ink.top, 50);
    EXPECT_EQ(ink.right, 100 + moved.xpos);

    const Drawing joined = Draw(Script({"setposition(100,50)", "print(\"abcd\")"}));
    EXPECT_EQ(moved.pixels, joined.pixels);
    EXPECT_EQ(joined.xpos, 100 + moved.xpos);
}

TEST_F(TextTest, UndeclaredVariableIsSkippedAndTheOtherItemsWritten) {
    const Drawing joined = Draw(Script({"print(\"left\",\"right\")"}));
    const Drawing skipped = Draw(Script({"print(\"left\",@nope,\"right\")"}));
    EXPECT_EQ(skipped.error, 9);
    EXPECT_EQ(Delivered(), 9);
    EXPECT_EQ(skipped.pixels, joined.pixels);
    EXPECT_EQ(skipped.xpos, joined.xpos);
}

TEST_F(TextTest, VariablesPrintTheirValueAndText) {
    const Drawing literal = Draw(Script({"print(\"1234 word\")"}));
    const Drawing variables = Draw(Script({"declareint(@n,1234)", "declarestring($s,\" word\")", "@n=print(@n,$s)"}));
    EXPECT_EQ(variables.error, 0);
    EXPECT_EQ(Variable("n"), 9);
    EXPECT_EQ(variables.pixels, literal.pixels);
    EXPECT_EQ(variables.xpos, literal.xpos);
}

TEST_F(TextTest, ArrayItemRaisesInappropriateValueAndTheRestIsWritten) {
    const Drawing joined = Draw(Script({"print(\"xy\")"}));
    const Drawing wrong = Draw(Script({"declarearray(&a,3)", "print(\"x\",&a,\"y\")"}));
    EXPECT_EQ(wrong.error, 4);
    EXPECT_EQ(Delivered(), 2);
    EXPECT_EQ(wrong.pixels, joined.pixels);
}

TEST_F(TextTest, PrintNeverStartsANewLine) {
    const Drawing one = Draw(Script({"print(\"a\")"}));
    const Drawing broken = Draw(Script({"print(\"a\\nb\")", "print(\"c\")", "print(\"\\n\",1)"}));
    EXPECT_EQ(broken.error, 0);
    EXPECT_EQ(broken.ypos, 0);
    const Ink ink = InkOf(broken.pixels, kWidth);
    EXPECT_EQ(ink.top, 0);
    EXPECT_EQ(ink.height(), InkOf(one.pixels, kWidth).height());
    EXPECT_GT(broken.xpos, one.xpos);
}

TEST_F(TextTest, PrintWithoutArgumentsRaisesArgumentCountAndDrawsNothing) {
    EXPECT_EQ(RunScript(Script({"print()"})), 11);
    EXPECT_EQ(Delivered(), 0);
    EXPECT_TRUE(ScreenInk().empty());
}

// --- paragraphtext -----------------------------------------------------------

TEST_F(TextTest, ParagraphPutsOneWordOnEachLineOfANarrowBox) {
    EXPECT_EQ(RunScript(Script({"declareint(@h)", "@h=paragraphtext(\"alpha\",0,0,3,0)"})), 0);
    const int line = Variable("h");
    ASSERT_GT(line, 8);

    EXPECT_EQ(RunScript(Script({"declareint(@h)", "@h=paragraphtext(\"alpha bravo delta\",0,0,3,0)"})), 0);
    EXPECT_EQ(Variable("h"), 3 * line);
    // Opaque text: each line's cell starts at the left edge, and there are
    // exactly three of them.
    for (int row = 0; row < 3; ++row) {
        const Ink band = InkIn(0, row * line, kWidth, line);
        EXPECT_EQ(band.left, 0) << "line " << row;
        EXPECT_GT(band.width(), 10) << "line " << row;
    }
    EXPECT_TRUE(InkIn(0, 3 * line, kWidth, kHeight - 3 * line).empty());
    EXPECT_EQ(applet_.applet().xpos, 0);
    EXPECT_EQ(applet_.applet().ypos, 0);
}

TEST_F(TextTest, ParagraphLineHeightFollowsTheAppletFont) {
    EXPECT_EQ(RunScript(Script({"declareint(@h)", "declareint(@big)", "@h=paragraphtext(\"alpha\",0,0,100,0)",
                                "setfont(\"Arial\",40,0,0,0)", "@big=paragraphtext(\"alpha\",0,0,100,0)"})),
              0);
    EXPECT_GE(Variable("big"), 40);
    EXPECT_LT(Variable("h"), 30);
}

TEST_F(TextTest, TransparentParagraphFillsNoBackground) {
    EXPECT_EQ(RunScript(Script({"declareint(@h)", "settexttransparent(1)", "settextbackcolor(makecolor(255,0,0))",
                                "@h=paragraphtext(\"alpha\",20,20,100,0,4)"})),
              0);
    const std::vector<COLORREF> pixels = Screen();
    int red = 0, ink = 0;
    for (COLORREF pixel : pixels) red += pixel == RGB(255, 0, 0), ink += pixel != kCanvas;
    EXPECT_EQ(red, 0);
    EXPECT_GT(ink, 0);
    EXPECT_GT(Variable("h"), 8);
    // Nothing outside the text itself: its ink lies inside the text box.
    const Ink box = ScreenInk();
    EXPECT_GE(box.left, 20);
    EXPECT_GE(box.top, 20);
}

TEST_F(TextTest, OpaqueParagraphFillsTheBoxGrownByTheMargin) {
    EXPECT_EQ(RunScript(Script({"declareint(@h)", "@h=paragraphtext(\"alpha\",20,20,100,0)"})), 0);
    const int plain = Variable("h");

    EXPECT_EQ(RunScript(Script({"declareint(@h)", "settextforecolor(makecolor(255,255,0))",
                                "settextbackcolor(makecolor(255,0,0))", "@h=paragraphtext(\"alpha\",20,20,100,0,4)"})),
              0);
    const int height = Variable("h");
    EXPECT_EQ(height, plain + 8);
    const Ink box = ScreenInk();
    EXPECT_EQ(box.left, 16);
    EXPECT_EQ(box.top, 16);
    EXPECT_EQ(box.height(), height);
    // The margin all around is the text background colour.
    for (int x = box.left; x < box.right; ++x) {
        ASSERT_EQ(applet_.Pixel(x, box.top), RGB(255, 0, 0)) << x;
        ASSERT_EQ(applet_.Pixel(x, box.bottom - 1), RGB(255, 0, 0)) << x;
    }
    for (int y = box.top; y < box.bottom; ++y) {
        ASSERT_EQ(applet_.Pixel(box.left + 3, y), RGB(255, 0, 0)) << y;
        ASSERT_EQ(applet_.Pixel(box.right - 4, y), RGB(255, 0, 0)) << y;
    }
}

TEST_F(TextTest, ParagraphOfANonStringDeliversZeroAndDrawsNothing) {
    EXPECT_EQ(RunScript(Script({"paragraphtext(5,0,0,100,0)"})), 4);
    EXPECT_EQ(Delivered(), 0);
    EXPECT_TRUE(ScreenInk().empty());
    EXPECT_EQ(RunScript(Script({"paragraphtext($nope,0,0,100,0)"})), 9);
    EXPECT_EQ(Delivered(), 0);
    EXPECT_TRUE(ScreenInk().empty());
}

// --- measures ----------------------------------------------------------------

TEST_F(TextTest, MeasuresUseTheDefaultFontWhateverTheAppletsFont) {
    EXPECT_EQ(RunScript(Script({"declareint(@w)", "declareint(@d)", "declareint(@w2)", "declareint(@d2)",
                                "@w=gettextlength(\"Marrowlight\")", "@d=gettextdepth(\"Marrowlight\")",
                                "setfont(\"Courier\",40,1,0,0)", "@w2=gettextlength(\"Marrowlight\")",
                                "@d2=gettextdepth(\"Marrowlight\")"})),
              0);
    EXPECT_GT(Variable("w"), 20);
    EXPECT_GT(Variable("d"), 5);
    EXPECT_EQ(Variable("w2"), Variable("w"));
    EXPECT_EQ(Variable("d2"), Variable("d"));
    // The same as a device context of the window measures with its own font.
    SIZE size = {};
    HDC dc = GetDC(applet_.window());
    GetTextExtentPoint32A(dc, "Marrowlight", 11, &size);
    ReleaseDC(applet_.window(), dc);
    EXPECT_EQ(Variable("w"), size.cx);
    EXPECT_EQ(Variable("d"), size.cy);
    EXPECT_TRUE(ScreenInk().empty());
}

TEST_F(TextTest, MeasuresCountTheTextUpToItsEnd) {
    EXPECT_EQ(RunScript(Script({"declareint(@one)", "declareint(@two)", "declarestring($s,\"ab\")",
                                "@one=gettextlength(\"ab\")", "@two=gettextlength($s)"})),
              0);
    EXPECT_EQ(Variable("one"), Variable("two"));
    EXPECT_GT(Variable("one"), 0);
}

TEST_F(TextTest, MeasuringANonStringRaisesInappropriateValue) {
    for (const char *keyword : {"gettextlength", "gettextdepth"}) {
        for (const char *argument : {"5", "&a", "$n"}) {
            const std::string call = std::string(keyword) + "(" + argument + ")";
            EXPECT_EQ(RunScript(Script({"declarearray(&a,2)", "declareint(@n,3)", call})), 4) << call;
            EXPECT_EQ(Delivered(), 0) << call;
        }
    }
}

// --- setfont -----------------------------------------------------------------

TEST_F(TextTest, FontAtNinetyDegreesRunsUpwards) {
    const Drawing flat =
        Draw(Script({"setfont(\"Arial\",24,0,0,0)", "setposition(100,200)", "print(\"Marrowlight\")"}));
    const Ink across = InkOf(flat.pixels, kWidth);
    EXPECT_GT(across.width(), across.height());

    const Drawing upright =
        Draw(Script({"setfont(\"Arial\",24,0,0,0,90)", "setposition(100,200)", "print(\"Marrowlight\")"}));
    EXPECT_EQ(upright.error, 0);
    const Ink up = InkOf(upright.pixels, kWidth);
    EXPECT_GT(up.height(), up.width());
    EXPECT_LE(up.bottom, 201);
    EXPECT_LT(up.top, 200 - across.width() / 2);
    EXPECT_EQ(upright.xpos, 100);
    EXPECT_LT(upright.ypos, 200);
}

TEST_F(TextTest, FontChangesWhatPrintWrites) {
    const Drawing small = Draw(Script({"print(\"Marrow\")"}));
    const Drawing large = Draw(Script({"setfont(\"Arial\",40,1,0,0)", "print(\"Marrow\")"}));
    EXPECT_EQ(large.error, 0);
    EXPECT_EQ(Delivered(), 6);
    EXPECT_GT(InkOf(large.pixels, kWidth).height(), InkOf(small.pixels, kWidth).height() + 10);
    EXPECT_GT(large.xpos, small.xpos);
}

TEST_F(TextTest, SetfontTakesFiveArgumentsOrMore) {
    const Drawing before = Draw(Script({"print(\"Marrow\")"}));
    EXPECT_EQ(RunScript(Script({"setfont(\"Arial\",40,1,0)", "print(\"Marrow\")"})), 11);
    EXPECT_EQ(Delivered(), 1);
    EXPECT_TRUE(ScreenInk().empty());
    EXPECT_EQ(RunScript(Script({"setfont(\"Arial\",40,1,0,0,0,7,8)", "print(\"Marrow\")"})), 0);
    EXPECT_NE(Screen(), before.pixels);
}

TEST_F(TextTest, SetfontWithWrongKindsRaisesInappropriateValue) {
    EXPECT_EQ(RunScript(Script({"setfont(5,16,0,0,0)"})), 4);
    EXPECT_EQ(Delivered(), 1);
    EXPECT_EQ(RunScript(Script({"setfont(\"Arial\",\"big\",0,0,0)"})), 4);
    EXPECT_EQ(RunScript(Script({"declarearray(&a,2)", "setfont(\"Arial\",16,0,0,0,&a)"})), 4);
    EXPECT_EQ(RunScript(Script({"setfont(\"Arial\",16,@nope,0,0)"})), 9);
}

// --- robustness --------------------------------------------------------------

// The family's built-ins with arguments that fit the places they need.
const BUILTINCALL kTextBuiltins[] = {
    {"print", {"\"item\""}, "p"},
    {"paragraphtext", {"$s", "@n", "@n", "@n", "@n"}, "siiii"},
    {"gettextlength", {"$s"}, "s"},
    {"gettextdepth", {"$s"}, "s"},
    {"setfont", {"$s", "@n", "@n", "@n", "@n"}, "siiii"},
};

// Declarations every robustness script starts with, and a label to name.
std::string Prelude() {
    return Script({"declareint(@n,3)", "declarestring($s,\"text\")", "declarearray(&a,4)", ":here"});
}

TEST_F(TextTest, EveryWrongArgumentCountRaisesArgumentCount) {
    for (const BUILTINCALL &builtin : kTextBuiltins)
        for (const std::string &call : WrongCounts(builtin)) {
            EXPECT_EQ(RunScript(Prelude() + Script({call})), 11) << call;
            EXPECT_TRUE(ScreenInk().empty()) << call;
        }
}

TEST_F(TextTest, EveryWrongKindOfArgumentRaisesInappropriateValue) {
    for (const BUILTINCALL &builtin : kTextBuiltins)
        for (const MISFITCALL &call : WrongKinds(builtin))
            EXPECT_EQ(RunScript(Prelude() + Script({call.statement})), 4) << call.statement;
}

TEST_F(TextTest, ExtremeNumbersDrawHarmlesslyOrRaise) {
    const char *const calls[] = {
        "paragraphtext(\"alpha bravo\",2147483647,2147483647,2147483647,3,2147483647)",
        "paragraphtext(\"alpha bravo\",-2147483648,-2147483648,-2147483648,-1,-2147483648)",
        "paragraphtext(\"alpha bravo\",-10,-10,2147483647,1,1073741824)",
        "paragraphtext(\"alpha bravo\",100,100,20,2,-2147483648)",
        "setposition(2147483647,2147483647)",
        "setposition(-2147483648,-2147483648)",
        "setdrawingoffset(2147483647,-2147483648)",
        "setfont(\"Arial\",2147483647,1,1,1,2147483647)",
        "setfont(\"Arial\",-2147483648,-1,-1,-1,-2147483648)",
        "setfont(\"\",0,0,0,0,-90)",
    };
    for (const char *call : calls) {
        const int error = RunScript(
            Script({call, "print(\"x\",2147483647,-2147483648)", "print(\"y\")", "paragraphtext(\"alpha\",0,0,50,0)"}));
        EXPECT_EQ(error, 0) << call;
    }
    // The window still takes text afterwards.
    EXPECT_EQ(RunScript(Script({"print(\"still\")"})), 0);
    EXPECT_FALSE(ScreenInk().empty());
}

// A string of about 200,000 characters made by doubling a word.
std::string LongString() {
    return Script({"declarestring($s,\"Marrow light \")", "declarestring($t)", "declareint(@i)", "declareint(@r)",
                   ":grow", "strcpy($t,$s)", "strcat($s,$t)", "inc(@i)", "if(islessthan(@i,14),:grow)"});
}

TEST_F(TextTest, VeryLongStringsAreWrittenMeasuredOrRefused) {
    EXPECT_EQ(RunScript(LongString() + Script({"@r=strlen($s)"})), 0);
    const int length = Variable("r");
    EXPECT_EQ(length, 13 << 14);

    EXPECT_EQ(RunScript(LongString() + Script({"@r=print($s,$s)"})), 0);
    EXPECT_EQ(Variable("r"), 2 * length);
    EXPECT_EQ(applet_.applet().ypos, 0);
    EXPECT_FALSE(ScreenInk().empty());

    EXPECT_EQ(RunScript(LongString() + Script({"@r=paragraphtext($s,0,0,300,0)"})), 0);
    EXPECT_GT(Variable("r"), kHeight);
    EXPECT_FALSE(ScreenInk().empty());

    EXPECT_EQ(RunScript(LongString() + Script({"@r=gettextlength($s)"})), 0);
    EXPECT_GT(Variable("r"), 0);

    EXPECT_EQ(RunScript(LongString() + Script({"setfont($s,20,0,0,0)", "@r=print(\"after\")"})), 0);
    EXPECT_EQ(Variable("r"), 5);
    EXPECT_FALSE(ScreenInk().empty());
}

}  // namespace
