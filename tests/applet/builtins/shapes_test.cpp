// The shape built-ins drawing on a real window, with the pixels read back:
// which pixels each family covers, the drawing offset, arrays of points,
// arcs and pies by angle, gradients band by band, clearing, and how every
// one of them answers wrong counts, wrong kinds and absurd coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "applet/applet.h"
#include "applet/builtins/drawing_applet.h"
#include "applet/builtins/wrong_arguments.h"

using namespace testing_support;

namespace {

const COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
const int kWidth = 320, kHeight = 240;

// Brush and pen colours set up front, so that fills and outlines can be
// told apart.
std::string Colours(COLORREF brush, COLORREF pen, int width = 1) {
    return Script({"setbrushcolor(" + N(brush) + ")", "setpencolor(" + N(pen) + "," + N(width) + ")"});
}

// Runs a script that must succeed.
void Draw(DrawingApplet &applet, const std::string &script) {
    applet.Run(script);
    ASSERT_EQ(applet.applet().error, 0) << "line " << applet.applet().errorline << " of\n" << script;
}

// The smallest box holding every pixel of a colour (right and bottom
// exclusive), and how many there are.
struct Coverage {
    int left = 0, top = 0, right = 0, bottom = 0, count = 0;
};

Coverage Covered(const DrawingApplet &applet, COLORREF colour) {
    const std::vector<COLORREF> pixels = applet.Area(0, 0, kWidth, kHeight);
    Coverage c;
    c.left = kWidth, c.top = kHeight;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (pixels[size_t(y) * kWidth + x] != colour) continue;
            ++c.count;
            c.left = std::min(c.left, x), c.top = std::min(c.top, y);
            c.right = std::max(c.right, x + 1), c.bottom = std::max(c.bottom, y + 1);
        }
    }
    return c;
}

void ExpectBox(const Coverage &c, int left, int top, int right, int bottom) {
    EXPECT_EQ(c.left, left);
    EXPECT_EQ(c.top, top);
    EXPECT_EQ(c.right, right);
    EXPECT_EQ(c.bottom, bottom);
}

// How many pixels of the window are not `background`.
int Painted(const DrawingApplet &applet, COLORREF background = kBlack) {
    int count = 0;
    for (COLORREF pixel : applet.Area(0, 0, kWidth, kHeight)) count += pixel != background;
    return count;
}

// Whether a pixel of the colour lies within `reach` of (x, y).
bool Near(const DrawingApplet &applet, int x, int y, COLORREF colour, int reach = 2) {
    for (COLORREF pixel : applet.Area(x - reach, y - reach, 2 * reach + 1, 2 * reach + 1))
        if (pixel == colour) return true;
    return false;
}

COLORREF BrushOf(DrawingApplet &applet) {
    LOGBRUSH brush = {};
    GetObjectA(applet.applet().brush, sizeof brush, &brush);
    return brush.lbColor;
}

int IntOf(DrawingApplet &applet, const char *name) {
    int value = -12345;
    EXPECT_TRUE(applet.runner().Int(name, &value)) << name;
    return value;
}

// ---- rectangles, ellipses, lines and pixels ----

TEST(Boxes, FillRectLeavesOutItsRightAndBottomEdgeAndHasNoOutline) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen, 5) + Script({"fillrect(10,10,20,20)"}));
    const Coverage red = Covered(applet, kRed);
    ExpectBox(red, 10, 10, 19, 19);
    EXPECT_EQ(red.count, 81);
    EXPECT_EQ(Covered(applet, kGreen).count, 0);
}

TEST(Boxes, FrameRectKeepsAWideOutlineInsideAndLeavesTheMiddle) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen, 5) + Script({"framerect(10,10,40,40)"}));
    const Coverage green = Covered(applet, kGreen);
    ExpectBox(green, 10, 10, 40, 40);
    EXPECT_LE(green.count, 30 * 30 - 20 * 20);
    EXPECT_GE(green.count, 30 * 30 - 20 * 20 - 4);  // the platform may round the corners
    EXPECT_EQ(applet.Pixel(14, 25), kGreen);
    EXPECT_EQ(applet.Pixel(15, 25), kBlack);
    EXPECT_EQ(applet.Pixel(25, 25), kBlack);
    EXPECT_EQ(Covered(applet, kRed).count, 0);
}

TEST(Boxes, DrawingOffsetMovesFillRectAndLineButNotThePosition) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) +
                     Script({"setdrawingoffset(10,20)", "fillrect(0,0,5,5)", "line(0,10,5,10)", "line(0,0,5,5)"}));
    ExpectBox(Covered(applet, kRed), 10, 20, 14, 24);
    EXPECT_EQ(applet.Pixel(10, 30), kGreen);
    EXPECT_EQ(applet.Pixel(14, 30), kGreen);
    EXPECT_EQ(applet.Pixel(15, 30), kBlack);  // a line leaves out its end point
    EXPECT_EQ(applet.Pixel(0, 10), kBlack);
    EXPECT_EQ(applet.applet().xpos, 5);
    EXPECT_EQ(applet.applet().ypos, 5);
}

TEST(Boxes, LineUsesThePenAndMovesThePosition) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) + Script({"setposition(1,1)", "line(20,100,120,100)", "line(-7,-9,-7,-9)"}));
    EXPECT_EQ(Covered(applet, kRed).count, 0);
    const Coverage green = Covered(applet, kGreen);
    ExpectBox(green, 20, 100, 120, 101);
    EXPECT_EQ(applet.applet().xpos, -7);
    EXPECT_EQ(applet.applet().ypos, -9);
}

TEST(Boxes, EllipsesCoverTheirCentreButNotTheirCorners) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen, 2) + Script({"fillellipse(100,100,140,140)", "frameellipse(10,10,50,50)"}));
    EXPECT_EQ(applet.Pixel(120, 120), kRed);
    EXPECT_EQ(applet.Pixel(100, 120), kRed);
    EXPECT_EQ(applet.Pixel(100, 100), kBlack);
    EXPECT_EQ(applet.Pixel(138, 138), kBlack);
    const Coverage red = Covered(applet, kRed);
    EXPECT_EQ(red.left, 100);
    EXPECT_EQ(red.top, 100);
    EXPECT_LE(red.right, 140);
    EXPECT_LE(red.bottom, 140);
    // The outline, not the inside.
    EXPECT_EQ(applet.Pixel(30, 30), kBlack);
    EXPECT_EQ(applet.Pixel(30, 10), kGreen);
    EXPECT_EQ(applet.Pixel(10, 10), kBlack);
    ExpectBox(Covered(applet, kGreen), 10, 10, 50, 50);
}

TEST(Boxes, RoundRectsCoverTheirCentreButNotTheirCorners) {
    DrawingApplet applet;
    Draw(applet,
         Colours(kRed, kGreen) + Script({"fillroundrect(100,100,160,140,20,20)", "frameroundrect(10,10,70,50,20,20)"}));
    EXPECT_EQ(applet.Pixel(130, 120), kRed);
    EXPECT_EQ(applet.Pixel(130, 100), kRed);
    EXPECT_EQ(applet.Pixel(100, 100), kBlack);
    EXPECT_EQ(applet.Pixel(158, 138), kBlack);
    EXPECT_EQ(applet.Pixel(40, 30), kBlack);
    EXPECT_EQ(applet.Pixel(40, 10), kGreen);
    EXPECT_EQ(applet.Pixel(10, 10), kBlack);
    ExpectBox(Covered(applet, kGreen), 10, 10, 70, 50);
}

TEST(Boxes, CornerSizesAreNotMovedByTheOffset) {
    DrawingApplet plain, moved;
    Draw(plain, Colours(kRed, kGreen) + Script({"fillroundrect(50,50,110,90,30,16)"}));
    Draw(moved, Colours(kRed, kGreen) + Script({"setdrawingoffset(40,40)", "fillroundrect(10,10,70,50,30,16)"}));
    EXPECT_EQ(plain.Area(0, 0, kWidth, kHeight), moved.Area(0, 0, kWidth, kHeight));
}

TEST(Pixels, SetPixelDeliversItsColourArgument) {
    DrawingApplet applet;
    Draw(applet, Script({"declareint(@r)", "declareint(@s)", "setdrawingoffset(3,4)", "@r=setpixel(1,1,65280)",
                         "@s=setpixel(2,2,2130771712)"}));
    EXPECT_EQ(IntOf(applet, "r"), 0x00FF00);
    EXPECT_EQ(IntOf(applet, "s"), 2130771712);
    EXPECT_EQ(applet.Pixel(4, 5), kGreen);
    EXPECT_EQ(applet.Pixel(1, 1), kBlack);
}

TEST(Pixels, GetPixelReadsTheWindowThroughTheOffset) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) + Script({"declareint(@a)", "declareint(@b)", "declareint(@c)",
                                                 "fillrect(10,10,20,20)", "@a=getpixel(12,12)", "@b=getpixel(30,30)",
                                                 "setdrawingoffset(10,10)", "@c=getpixel(2,2)"}));
    EXPECT_EQ(IntOf(applet, "a"), int(kRed));
    EXPECT_EQ(IntOf(applet, "b"), int(kBlack));
    EXPECT_EQ(IntOf(applet, "c"), int(kRed));
}

TEST(Edges, DrawEdgePaintsInsideItsRectangleOnly) {
    DrawingApplet applet;
    // EDGE_RAISED on every side with the middle filled.
    Draw(applet, Script({"setdrawingoffset(5,5)",
                         "drawedge(10,10,50,40," + N(EDGE_RAISED) + "," + N(BF_RECT | BF_MIDDLE) + ")"}));
    EXPECT_GT(Painted(applet), 0);
    const std::vector<COLORREF> all = applet.Area(0, 0, kWidth, kHeight);
    int outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (all[size_t(y) * kWidth + x] != kBlack && (x < 15 || x >= 55 || y < 15 || y >= 45)) ++outside;
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(applet.Pixel(35, 30), GetSysColor(COLOR_BTNFACE));
}

// ---- polygons and curves from arrays ----

// An array `name` holding the numbers.
std::string Array(const std::string &name, std::initializer_list<int> elements) {
    std::string text = "declarearray(&" + name + "," + N(elements.size()) + ")\r\n";
    int i = 0;
    for (int e : elements) text += "setarrayvalue(&" + name + "," + N(i++) + "," + N(e) + ")\r\n";
    return text;
}

TEST(Polygons, ACountBeyondTheArrayUsesTheWholePairs) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) + Array("p", {10, 10, 100, 10, 10, 100, 999}) +
                     Script({"declareint(@f)", "declareint(@g)", "@f=fillpolygon(&p,10)", "setdrawingoffset(150,0)",
                             "@g=framepolygon(&p,10)"}));
    EXPECT_EQ(IntOf(applet, "f"), 3);
    EXPECT_EQ(IntOf(applet, "g"), 3);
    EXPECT_EQ(applet.Pixel(30, 30), kRed);
    EXPECT_EQ(applet.Pixel(80, 80), kBlack);
    ExpectBox(Covered(applet, kRed), 10, 10, 100, 100);
    // The outline, moved by the offset, around an empty inside.
    EXPECT_EQ(applet.Pixel(180, 30), kBlack);
    EXPECT_EQ(applet.Pixel(160, 50), kGreen);
    ExpectBox(Covered(applet, kGreen), 160, 10, 251, 101);
}

TEST(Polygons, ACountBelowTheArrayUsesThatMany) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) + Array("p", {10, 10, 100, 10, 10, 100, 100, 100}) +
                     Script({"declareint(@f)", "@f=framepolygon(&p,2)"}));
    EXPECT_EQ(IntOf(applet, "f"), 2);
    ExpectBox(Covered(applet, kGreen), 10, 10, 101, 11);
}

TEST(Polygons, TooFewPointsOrNoArrayRaiseAndDrawNothing) {
    struct Case {
        const char *script;
        int error;
    } cases[] = {
        {"declarearray(&p,3)\r\nframepolygon(&p,10)", APPLETERR_BADVALUE},
        {"declarearray(&p,3)\r\nfillpolygon(&p,10)", APPLETERR_BADVALUE},
        {"declarearray(&p,8)\r\nfillpolygon(&p,1)", APPLETERR_BADVALUE},
        {"declarearray(&p,8)\r\nfillpolygon(&p,-5)", APPLETERR_BADVALUE},
        {"declarearray(&p,0)\r\nfillpolygon(&p,2)", APPLETERR_BADVALUE},
        {"declarearray(&p,6)\r\nbeziercurve(&p,3)", APPLETERR_BADVALUE},
        {"framepolygon(&q,3)", APPLETERR_NOVARIABLE},
        {"fillpolygon(&q,3)", APPLETERR_NOVARIABLE},
        {"beziercurve(&q,4)", APPLETERR_NOVARIABLE},
        {"framepolygon(5,3)", APPLETERR_BADVALUE},
        {"declareint(@p)\r\nfillpolygon(@p,3)", APPLETERR_BADVALUE},
        {"declarestring($p)\r\nbeziercurve($p,4)", APPLETERR_BADVALUE},
        {"fillpolygon(\"abcdefgh\",3)", APPLETERR_BADVALUE},
        {"declarearray(&p,8)\r\nfillpolygon(&p,\"x\")", APPLETERR_BADVALUE},
    };
    DrawingApplet applet;
    for (const Case &c : cases) {
        applet.Clear();
        applet.Run(c.script);
        EXPECT_EQ(applet.applet().error, c.error) << c.script;
        EXPECT_EQ(Painted(applet), 0) << c.script;
    }
}

TEST(Polygons, BezierDrawsWithFourPointsAndNothingWithFive) {
    DrawingApplet applet;
    const std::string points = Array("b", {10, 100, 40, 10, 80, 190, 110, 100, 150, 150});
    Draw(applet, Colours(kRed, kGreen) + points + Script({"declareint(@r)", "@r=beziercurve(&b,4)"}));
    EXPECT_EQ(IntOf(applet, "r"), 4);
    EXPECT_GT(Covered(applet, kGreen).count, 100);
    EXPECT_TRUE(Near(applet, 10, 100, kGreen));
    EXPECT_TRUE(Near(applet, 110, 100, kGreen));
    EXPECT_EQ(Covered(applet, kGreen).right, 111);

    applet.Clear();
    Draw(applet, Colours(kRed, kGreen) + points + Script({"declareint(@r)", "@r=beziercurve(&b,5)"}));
    EXPECT_EQ(IntOf(applet, "r"), 5);
    EXPECT_EQ(Painted(applet), 0);
}

// ---- arcs and pies ----

// Where a pie of the ellipse in (0, 0, 100, 100) reaches, tested a little
// inside the circle along each direction.
struct Direction {
    int degrees;
    int x, y;  // a point 35 pixels from the centre in that direction
};
const Direction kDirections[] = {{10, 84, 44},  {45, 75, 25},  {80, 56, 16},  {100, 44, 16},
                                 {135, 25, 25}, {170, 16, 44}, {190, 16, 56}, {225, 25, 75},
                                 {260, 44, 84}, {280, 56, 84}, {315, 75, 75}, {350, 84, 56}};

void ExpectPieCovers(int start, int end, std::initializer_list<int> inside) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) + Script({"fillpie(0,0,100,100," + N(start) + "," + N(end) + ")"}));
    for (const Direction &d : kDirections) {
        bool expected = false;
        for (int degrees : inside) expected = expected || degrees == d.degrees;
        EXPECT_EQ(applet.Pixel(d.x, d.y) == kRed, expected)
            << "pie " << start << ".." << end << " at " << d.degrees << " degrees";
    }
}

TEST(Pies, AQuarterPieCoversItsQuarterOnly) {
    ExpectPieCovers(0, 90, {10, 45, 80});
    ExpectPieCovers(90, 180, {100, 135, 170});
    ExpectPieCovers(180, 270, {190, 225, 260});
    ExpectPieCovers(270, 359, {280, 315, 350});
}

TEST(Pies, RadialsInsideEachQuarterFollowTheAngle) {
    ExpectPieCovers(30, 60, {45});
    ExpectPieCovers(120, 150, {135});
    ExpectPieCovers(210, 240, {225});
    ExpectPieCovers(300, 330, {315});
    ExpectPieCovers(5, 85, {10, 45, 80});
    ExpectPieCovers(95, 265, {100, 135, 170, 190, 225, 260});
}

TEST(Pies, APieRunsCounterClockwiseAcrossZero) {
    ExpectPieCovers(270, 90, {280, 315, 350, 10, 45, 80});
    ExpectPieCovers(320, 40, {350, 10});
}

TEST(Pies, AnglesOutsideTheCircleActAsZeroAnd359) {
    DrawingApplet clamped, plain;
    Draw(clamped, Colours(kRed, kGreen) + Script({"fillpie(0,0,100,100,-10,400)", "arc(100,0,200,100,-10,400)"}));
    Draw(plain, Colours(kRed, kGreen) + Script({"fillpie(0,0,100,100,0,359)", "arc(100,0,200,100,0,359)"}));
    EXPECT_EQ(clamped.Area(0, 0, kWidth, kHeight), plain.Area(0, 0, kWidth, kHeight));
    EXPECT_EQ(clamped.Pixel(25, 75), kRed);
}

TEST(Pies, FramePieDrawsBothRadialsAndTheArcBetween) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) + Script({"framepie(0,0,100,100,0,90)"}));
    EXPECT_TRUE(Near(applet, 75, 50, kGreen, 2));  // the radial along y = 50
    EXPECT_TRUE(Near(applet, 50, 25, kGreen, 2));  // the radial straight up
    EXPECT_EQ(Covered(applet, kGreen).right, 100);
    EXPECT_EQ(Covered(applet, kGreen).bottom, 51);
    EXPECT_TRUE(Near(applet, 85, 15, kGreen));
    EXPECT_EQ(applet.Pixel(70, 30), kBlack);  // nothing inside
    EXPECT_EQ(applet.Pixel(25, 50), kBlack);
    EXPECT_EQ(applet.Pixel(50, 75), kBlack);
    EXPECT_EQ(Covered(applet, kRed).count, 0);
}

TEST(Arcs, StartAndEndDirections) {
    DrawingApplet applet;
    // 0 to 45: from the right along y = 50 up towards (100, 0).
    Draw(applet, Colours(kRed, kGreen) + Script({"arc(0,0,100,100,0,45)"}));
    EXPECT_TRUE(Near(applet, 98, 45, kGreen));
    EXPECT_TRUE(Near(applet, 90, 26, kGreen));
    EXPECT_FALSE(Near(applet, 76, 13, kGreen));
    EXPECT_FALSE(Near(applet, 98, 58, kGreen));
    EXPECT_EQ(applet.Pixel(75, 50), kBlack);  // no radials

    // From 90: straight up from the centre, then round to the left.
    applet.Clear();
    Draw(applet, Colours(kRed, kGreen) + Script({"arc(0,0,100,100,90,180)"}));
    EXPECT_TRUE(Near(applet, 15, 15, kGreen));
    EXPECT_TRUE(Near(applet, 45, 1, kGreen));
    EXPECT_FALSE(Near(applet, 56, 1, kGreen, 1));
    EXPECT_FALSE(Near(applet, 1, 56, kGreen, 1));

    // From 270: straight down from the centre, then round to the right.
    applet.Clear();
    Draw(applet, Colours(kRed, kGreen) + Script({"arc(0,0,100,100,270,359)"}));
    EXPECT_TRUE(Near(applet, 85, 85, kGreen));
    EXPECT_TRUE(Near(applet, 55, 98, kGreen));
    EXPECT_FALSE(Near(applet, 44, 98, kGreen, 1));
    EXPECT_FALSE(Near(applet, 15, 85, kGreen));
}

TEST(Arcs, TheOffsetMovesArcsAndTheirRadials) {
    DrawingApplet plain, moved;
    Draw(plain, Colours(kRed, kGreen) + Script({"fillpie(60,40,160,140,30,200)", "arc(160,40,260,140,100,300)"}));
    Draw(moved, Colours(kRed, kGreen) +
                    Script({"setdrawingoffset(60,40)", "fillpie(0,0,100,100,30,200)", "arc(100,0,200,100,100,300)"}));
    EXPECT_EQ(plain.Area(0, 0, kWidth, kHeight), moved.Area(0, 0, kWidth, kHeight));
    EXPECT_GT(Covered(plain, kRed).count, 0);
}

// ---- gradients ----

TEST(Gradients, AcrossPaints256ColumnsOneStepShortOfTheEndColour) {
    DrawingApplet applet(300, 240);
    Draw(applet, Script({"declareint(@r)", "@r=drawgradient(0," + N(kRed) + ",0,0,256,10,0)"}));
    EXPECT_EQ(IntOf(applet, "r"), 0);
    const std::vector<COLORREF> row = applet.Area(0, 5, 256, 1);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(row[i], RGB(255 * i / 256, 0, 0)) << "column " << i;
    EXPECT_EQ(row[1], RGB(0, 0, 0));
    EXPECT_EQ(row[2], RGB(1, 0, 0));
    EXPECT_EQ(row[255], RGB(254, 0, 0));
    EXPECT_EQ(applet.Pixel(100, 9), RGB(99, 0, 0));
    EXPECT_EQ(applet.Pixel(100, 10), kBlack);
    EXPECT_EQ(applet.Pixel(256, 5), kBlack);
}

TEST(Gradients, EveryComponentRunsOnItsOwn) {
    DrawingApplet applet(300, 240);
    // From blue to red, with green rising from 0 to 128.
    Draw(applet, Script({"drawgradient(" + N(RGB(0, 0, 255)) + "," + N(RGB(255, 128, 0)) + ",0,0,256,4,0)"}));
    const std::vector<COLORREF> row = applet.Area(0, 0, 256, 1);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(row[i], RGB(255 * i / 256, 128 * i / 256, (256 * 255 - 255 * i) / 256)) << "column " << i;
}

TEST(Gradients, DownwardsPaints256Rows) {
    DrawingApplet applet(kWidth, kHeight);
    Draw(applet, Script({"setdrawingoffset(5,-16)", "drawgradient(0," + N(kGreen) + ",0,0,10,256,1)"}));
    const std::vector<COLORREF> column = applet.Area(7, 0, 1, kHeight);
    for (int y = 0; y < kHeight; ++y) EXPECT_EQ(column[y], RGB(0, 255 * (y + 16) / 256, 0)) << "row " << y;
    EXPECT_EQ(applet.Pixel(4, 100), kBlack);
    EXPECT_EQ(applet.Pixel(15, 100), kBlack);
    EXPECT_NE(applet.Pixel(14, 100), kBlack);
}

TEST(Gradients, NarrowGradientsOverlapTheirBands) {
    DrawingApplet applet;
    // 64 pixels: four bands end in each column, the last one shows.
    Draw(applet, Script({"drawgradient(0," + N(kRed) + ",0,0,64,2,0)"}));
    const std::vector<COLORREF> row = applet.Area(0, 0, 65, 1);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(row[x], RGB(255 * (4 * x + 3) / 256, 0, 0)) << "column " << x;
    EXPECT_EQ(row[64], kBlack);
}

TEST(Gradients, NoExtentPaintsNothingAndStillDeliversZero) {
    const char *statements[] = {"@r=drawgradient(255,65280,100,0,50,50,0)", "@r=drawgradient(255,65280,50,0,50,50,0)",
                                "@r=drawgradient(255,65280,0,100,50,50,1)", "@r=drawgradient(255,65280,0,50,50,50,1)"};
    DrawingApplet applet;
    for (const char *statement : statements) {
        Draw(applet, Script({"declareint(@r,9)", statement}));
        EXPECT_EQ(IntOf(applet, "r"), 0) << statement;
        EXPECT_EQ(Painted(applet), 0) << statement;
    }
}

// ---- clearing ----

TEST(Clearing, ClearScreenFillsTheWholeWindow) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) +
                     Script({"setdrawingoffset(5,5)", "declareint(@r)", "@r=clearscreen(" + N(kBlue) + ")"}));
    EXPECT_EQ(IntOf(applet, "r"), 1);
    EXPECT_EQ(Covered(applet, kBlue).count, kWidth * kHeight);
    EXPECT_EQ(applet.applet().xoffset, 5);
    EXPECT_EQ(BrushOf(applet), kRed);
}

TEST(Clearing, WithoutAColourClearScreenUsesTheSaverColour) {
    DrawingApplet white(kWidth, kHeight, kWhite);
    Draw(white, Script({"clearscreen()"}));
    EXPECT_EQ(Covered(white, kBlack).count, kWidth * kHeight);

    DrawingApplet applet;
    ASSERT_TRUE(applet.runner().Start(Script({"clearscreen()"})));
    applet.applet().savercolour = RGB(10, 200, 30);
    applet.runner().Run();
    EXPECT_EQ(applet.applet().error, 0);
    EXPECT_EQ(Covered(applet, RGB(10, 200, 30)).count, kWidth * kHeight);
}

// ---- wrong counts, wrong kinds, absurd values ----

// A call that draws in white on the black window when its arguments are
// right, and what it delivers when their count is wrong.
struct Call {
    const char *keyword;
    std::vector<std::string> arguments;
    int wrongcountresult;
};

const std::string kWhiteText = N(kWhite);
const std::vector<Call> kCalls = {
    {"fillrect", {"10", "10", "100", "100"}, 1},
    {"framerect", {"10", "10", "100", "100"}, 1},
    {"fillellipse", {"10", "10", "100", "100"}, 1},
    {"frameellipse", {"10", "10", "100", "100"}, 1},
    {"fillroundrect", {"10", "10", "100", "100", "10", "10"}, 1},
    {"frameroundrect", {"10", "10", "100", "100", "10", "10"}, 1},
    {"line", {"10", "10", "100", "100"}, 1},
    {"setpixel", {"10", "10", kWhiteText}, 0},
    {"getpixel", {"10", "10"}, 0},
    {"drawedge", {"10", "10", "100", "100", N(EDGE_RAISED), N(BF_RECT | BF_MIDDLE)}, 1},
    {"framepolygon", {"&p", "3"}, 0},
    {"fillpolygon", {"&p", "3"}, 0},
    {"beziercurve", {"&p", "4"}, 0},
    {"arc", {"0", "0", "100", "100", "0", "180"}, 1},
    {"framepie", {"0", "0", "100", "100", "0", "180"}, 1},
    {"fillpie", {"0", "0", "100", "100", "0", "180"}, 1},
    {"drawgradient", {kWhiteText, kWhiteText, "0", "0", "100", "100", "0"}, 0},
    {"clearscreen", {kWhiteText}, 1},
};

// The points the array calls draw through.
const std::string kPoints = Array("p", {10, 10, 100, 20, 30, 100, 120, 120});

TEST(WrongArguments, EveryCallDrawsWithItsRightArguments) {
    DrawingApplet applet;
    for (const Call &call : kCalls) {
        if (std::string(call.keyword) == "getpixel") continue;
        applet.Clear();
        Draw(applet, kPoints + Statement(call.keyword, call.arguments));
        EXPECT_GT(Painted(applet), 0) << call.keyword;
    }
}

TEST(WrongArguments, AWrongCountRaises11AndDrawsNothing) {
    DrawingApplet applet;
    for (const Call &call : kCalls) {
        for (const std::string &statement : WrongCounts(BUILTINCALL{call.keyword, call.arguments})) {
            applet.Clear();
            applet.Run(kPoints + statement);
            EXPECT_EQ(applet.applet().error, APPLETERR_ARGCOUNT) << statement;
            EXPECT_EQ(int(returnvalue.value), call.wrongcountresult) << statement;
            EXPECT_EQ(Painted(applet), 0) << statement;
            EXPECT_EQ(applet.applet().stackdepth, 0) << statement;
        }
    }
}

TEST(WrongArguments, AStringOrAnUndeclaredVariableInAnyPlaceRaises) {
    DrawingApplet applet;
    for (const Call &call : kCalls) {
        for (size_t i = 0; i < call.arguments.size(); ++i) {
            std::vector<std::string> arguments = call.arguments;
            arguments[i] = "\"5\"";
            std::string statement = Statement(call.keyword, arguments);
            applet.Run(kPoints + statement);
            EXPECT_EQ(applet.applet().error, APPLETERR_BADVALUE) << statement;
            EXPECT_EQ(applet.applet().stackdepth, 0) << statement;

            // A missing count counts as 0: too few points then.
            const bool arraycall = call.arguments[0] == "&p";
            arguments[i] = i == 0 && arraycall ? "&none" : "@none";
            statement = Statement(call.keyword, arguments);
            applet.Run(kPoints + statement);
            EXPECT_EQ(applet.applet().error, arraycall && i == 1 ? APPLETERR_BADVALUE : APPLETERR_NOVARIABLE)
                << statement;
            EXPECT_EQ(applet.applet().stackdepth, 0) << statement;
        }
    }
}

TEST(WrongArguments, ARefusedArgumentCountsAsZeroAndTheShapeIsStillDrawn) {
    DrawingApplet applet;
    applet.Run(Colours(kRed, kGreen) + Script({"fillrect(\"a\",10,50,50)"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_BADVALUE);
    ExpectBox(Covered(applet, kRed), 0, 10, 49, 49);
    applet.Clear();
    applet.Run(Script({"line(5,5,@nowhere,5)"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_NOVARIABLE);
    EXPECT_EQ(applet.applet().xpos, 0);
    ExpectBox(Covered(applet, kWhite), 1, 5, 6, 6);
}

// Statements with coordinates at the ends of the integer range: each one
// completes, drawing what fits or nothing.
TEST(AbsurdValues, HugeAndNegativeCoordinatesCompleteWithoutError) {
    const std::string low = N(INT32_MIN), high = N(INT32_MAX), lowish = N(-INT32_MAX);
    const std::string box = lowish + "," + lowish + "," + high + "," + high;
    const std::string fullbox = low + "," + low + "," + high + "," + high;
    const std::vector<std::string> statements = {
        "fillellipse(" + box + ")",
        "frameellipse(" + box + ")",
        "fillellipse(" + high + "," + high + "," + lowish + "," + lowish + ")",
        "fillrect(" + fullbox + ")",
        "framerect(" + fullbox + ")",
        "fillroundrect(" + fullbox + "," + high + "," + high + ")",
        "frameroundrect(" + fullbox + "," + low + "," + low + ")",
        "fillroundrect(0,0,100,100," + high + "," + high + ")",
        "line(" + box + ")",
        "line(" + fullbox + ")",
        "setpixel(" + high + "," + low + ",255)",
        "getpixel(" + low + "," + high + ")",
        "drawedge(" + fullbox + ",15,2063)",
        "drawedge(" + box + "," + low + "," + high + ")",
        "drawgradient(0,16777215," + fullbox + ",0)",
        "drawgradient(0,16777215," + fullbox + ",1)",
        "drawgradient(" + low + "," + high + ",0,0,100,100,0)",
        "drawgradient(0,16777215,0," + low + ",10," + high + ",1)",
        "arc(" + box + ",0,359)",
        "arc(" + fullbox + ",89,91)",
        "fillpie(" + box + ",10,80)",
        "fillpie(" + fullbox + ",89,271)",
        "framepie(" + box + ",269,271)",
        "fillpie(0,0,100,100,89,91)",
        "fillpie(0,0,100,100,269,271)",
        "arc(100,100,0,0,0,180)",
        "fillpie(" + high + ",0," + low + ",100,45,135)",
        "fillpie(0," + high + ",100," + low + ",45,315)",
        "clearscreen(" + low + ")",
        // Sizes at which the platform's ellipses used to fail.
        "frameellipse(-1048576,-1048576,1048576,1048576)",
        "fillellipse(-524288,-524288,524288,524288)",
        "frameellipse(-134217728,-134217728,134217728,134217728)",
        "fillpie(-134217728,-134217728,134217728,134217728,10,80)",
    };
    DrawingApplet applet;
    for (const std::string &statement : statements) {
        for (const char *setup : {"", "setdrawingoffset(2147483647,-2147483648)\r\n", "setpencolor(255,100000)\r\n"}) {
            applet.Run(setup + statement);
            EXPECT_EQ(applet.applet().error, 0) << setup << statement;
        }
    }
}

TEST(AbsurdValues, HugePenWidthsComplete) {
    DrawingApplet applet;
    for (int width : {INT32_MAX, INT32_MIN, -1}) {
        Draw(applet, Colours(kRed, kGreen, width) + Script({"framerect(10,10,50,50)", "frameellipse(60,10,100,50)",
                                                            "line(0,0,50,50)", "arc(0,0,100,100,0,180)"}));
    }
}

// The same polygon filled by the platform straight into a window of its own.
std::vector<COLORREF> PlatformPolygon(std::initializer_list<POINT> points) {
    TestWindow window(kWidth, kHeight, kBlack);
    HBRUSH brush = CreateSolidBrush(kRed);
    HGDIOBJ oldbrush = SelectObject(window.dc(), brush);
    HGDIOBJ oldpen = SelectObject(window.dc(), GetStockObject(NULL_PEN));
    const std::vector<POINT> list(points);
    Polygon(window.dc(), list.data(), int(list.size()));
    SelectObject(window.dc(), oldpen);
    SelectObject(window.dc(), oldbrush);
    DeleteObject(brush);
    return window.Capture(0, 0, kWidth, kHeight);
}

TEST(AbsurdValues, FilledPolygonsFarBeyondTheWindowFillWhatIsVisible) {
    const int low = INT32_MIN, high = INT32_MAX;
    DrawingApplet applet;
    // Three corners at the ends of the range, the window inside them.
    Draw(applet, Colours(kRed, kGreen) + Array("h", {low, low, high, 0, 0, high}) + Script({"fillpolygon(&h,3)"}));
    EXPECT_EQ(Covered(applet, kRed).count, kWidth * kHeight);
    // A band across and a band down, each reaching to both ends.
    applet.Clear();
    Draw(applet,
         Colours(kRed, kGreen) + Array("h", {low, 50, high, 50, high, 150, low, 150}) + Script({"fillpolygon(&h,4)"}));
    ExpectBox(Covered(applet, kRed), 0, 50, kWidth, 150);
    EXPECT_EQ(Covered(applet, kRed).count, kWidth * 100);
    applet.Clear();
    Draw(applet,
         Colours(kRed, kGreen) + Array("h", {20, low, 60, low, 60, high, 20, high}) + Script({"fillpolygon(&h,4)"}));
    ExpectBox(Covered(applet, kRed), 20, 0, 60, kHeight);
    EXPECT_EQ(Covered(applet, kRed).count, 40 * kHeight);
}

TEST(AbsurdValues, AFilledPolygonReachingFarOutLooksAsThePlatformDrawsIt) {
    DrawingApplet applet;
    Draw(applet, Colours(kRed, kGreen) + Array("h", {-50000, 120, 300, 20, 300, 220}) + Script({"fillpolygon(&h,3)"}));
    EXPECT_EQ(applet.Area(0, 0, kWidth, kHeight), PlatformPolygon({{-50000, 120}, {300, 20}, {300, 220}}));
    applet.Clear();
    Draw(applet, Colours(kRed, kGreen) + Array("h", {160, -70000, 20, 200, 300, 230, 310, 90000}) +
                     Script({"fillpolygon(&h,4)"}));
    EXPECT_EQ(applet.Area(0, 0, kWidth, kHeight),
              PlatformPolygon({{160, -70000}, {20, 200}, {300, 230}, {310, 90000}}));
}

TEST(AbsurdValues, OutlinesAndCurvesWithHugeCoordinatesAndHugeArrays) {
    const int low = INT32_MIN, high = INT32_MAX;
    DrawingApplet applet;
    Draw(applet,
         Array("h", {low, low, high, 0, 0, high, high, high}) +
             Script({"framepolygon(&h,3)", "beziercurve(&h,4)", "setpencolor(255,9)", "framepolygon(&h,3)",
                     "beziercurve(&h,4)", "setdrawingoffset(1000,1000)", "fillpolygon(&h,4)", "framepolygon(&h,4)"}));

    // The largest array: every count up to and beyond its size.
    applet.Clear();
    Draw(applet, Script({"declarearray(&a,32766)", "declareint(@i)", "declareint(@f)", "declareint(@g)",
                         "declareint(@b)", "do()", "setarrayvalue(&a,@i,mul(@i,-131071))",
                         "setarrayvalue(&a,add(@i,1),mul(@i,131071))", "@i=add(@i,2)", "while(islessthan(@i,32766))",
                         "@f=fillpolygon(&a,2147483647)", "@g=framepolygon(&a,16383)", "@b=beziercurve(&a,16381)"}));
    EXPECT_EQ(IntOf(applet, "f"), 16383);
    EXPECT_EQ(IntOf(applet, "g"), 16383);
    EXPECT_EQ(IntOf(applet, "b"), 16381);

    applet.Run(Script({"declarearray(&e,0)", "fillpolygon(&e,5)"}));
    EXPECT_EQ(applet.applet().error, APPLETERR_BADVALUE);
}

}  // namespace
