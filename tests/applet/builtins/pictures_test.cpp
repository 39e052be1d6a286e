// Screen areas and pictures on a real window: areas saved on the value stack
// and put back, areas copied, numbered pictures and stock icons drawn and
// measured, checked through the pixels read back. Also the family's answers
// to wrong arguments and extreme coordinates, and that saved areas and
// states left on the stack cost no GDI objects once the applet ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "drawing_applet.h"
#include "wrong_arguments.h"
#include "imaging/dib.h"

using namespace testing_support;

namespace {

const COLORREF kCanvas = RGB(0, 0, 96);
const int kWidth = 320, kHeight = 240;
const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
const COLORREF kYellow = RGB(255, 255, 0), kCyan = RGB(0, 255, 255), kMagenta = RGB(255, 0, 255);

using Pattern = std::function<COLORREF(int x, int y)>;

// Picture 1: 12 x 8, red on the left half, green on the right, a blue top row.
const int kPictureWidth = 12, kPictureHeight = 8;
COLORREF TruePicture(int x, int y) { return y == 0 ? kBlue : x < 6 ? kRed : kGreen; }
// Picture 2: the same layout from a colour table, yellow, cyan and magenta.
BYTE PaletteIndex(int x, int y) { return y == 0 ? 3 : x < 6 ? 1 : 2; }
const COLORREF kPaletteColours[] = {0, kYellow, kCyan, kMagenta};
COLORREF PalettePicture(int x, int y) { return kPaletteColours[PaletteIndex(x, y)]; }

BITMAPINFOHEADER Header(int width, int height, int bits) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width, header.biHeight = height;
    header.biPlanes = 1, header.biBitCount = WORD(bits);
    return header;
}

int RowBytes(int width, int bits) { return (width * bits + 31) / 32 * 4; }

// A 24-bit packed bitmap with the pattern's colours, rows stored bottom up.
Bytes TrueColourDib(int width, int height, const Pattern &pattern) {
    const BITMAPINFOHEADER header = Header(width, height, 24);
    const int row = RowBytes(width, 24);
    Bytes dib(sizeof header + size_t(row) * height, 0);
    std::memcpy(dib.data(), &header, sizeof header);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE *pixel = &dib[sizeof header + size_t(height - 1 - y) * row + 3 * x];
            const COLORREF colour = pattern(x, y);
            pixel[0] = GetBValue(colour), pixel[1] = GetGValue(colour), pixel[2] = GetRValue(colour);
        }
    return dib;
}

// An 8-bit packed bitmap of picture 2, with a full table of 256 colours.
Bytes PaletteDib() {
    const BITMAPINFOHEADER header = Header(kPictureWidth, kPictureHeight, 8);
    const int row = RowBytes(kPictureWidth, 8);
    const size_t bits = sizeof header + 4 * 256;
    Bytes dib(bits + size_t(row) * kPictureHeight, 0);
    std::memcpy(dib.data(), &header, sizeof header);
    for (int i = 1; i < 4; ++i) {
        const COLORREF colour = kPaletteColours[i];
        dib[sizeof header + 4 * i] = GetBValue(colour);
        dib[sizeof header + 4 * i + 1] = GetGValue(colour);
        dib[sizeof header + 4 * i + 2] = GetRValue(colour);
    }
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x)
            dib[bits + size_t(kPictureHeight - 1 - y) * row + x] = PaletteIndex(x, y);
    return dib;
}

class PicturesTest : public ::testing::Test {
protected:
    PicturesTest() : applet_(kWidth, kHeight, kCanvas) {}

    // Runs the script on a cleared canvas; the error it ended with.
    int RunScript(const std::string &script, long stacksize = 0) {
        applet_.Clear();
        if (!applet_.runner().Start(script, stacksize)) return -2;
        applet_.runner().Run();
        return applet_.applet().error;
    }
    void AddPictures() {
        const Bytes truecolour = TrueColourDib(kPictureWidth, kPictureHeight, TruePicture);
        const Bytes palette = PaletteDib();
        applet_.runner().AddPicture(1, truecolour.data(), truecolour.size());
        applet_.runner().AddPicture(2, palette.data(), palette.size());
    }
    std::vector<COLORREF> Area(int x, int y, int w, int h) const { return applet_.Area(x, y, w, h); }
    int Variable(const char *name) {
        int value = -12345;
        EXPECT_TRUE(applet_.runner().Int(name, &value)) << name;
        return value;
    }
    // The pixels in the area that are not the canvas colour.
    int Painted(int x, int y, int w, int h) const {
        const std::vector<COLORREF> pixels = Area(x, y, w, h);
        return int(std::count_if(pixels.begin(), pixels.end(), [](COLORREF c) { return c != kCanvas; }));
    }
    // The pattern's w x h pixels at (x, y), and the canvas colour on the ring
    // of pixels just around them.
    void ExpectDrawn(int x, int y, int w, int h, const Pattern &pattern) const {
        const std::vector<COLORREF> pixels = Area(x - 1, y - 1, w + 2, h + 2);
        for (int row = -1; row <= h; ++row)
            for (int column = -1; column <= w; ++column) {
                const bool inside = row >= 0 && row < h && column >= 0 && column < w;
                const COLORREF expected = inside ? pattern(column, row) : kCanvas;
                ASSERT_EQ(pixels[size_t(row + 1) * (w + 2) + column + 1], expected)
                    << "at " << x + column << "," << y + row;
            }
    }

    DrawingApplet applet_;
};

// Paints a recognisable scene: a green square from (0,0) to about (40,40)
// with a red block near its corner and a blue stripe through it.
const char *const kScene[] = {"setbrushcolor(makecolor(0,255,0))", "fillrect(0,0,40,40)",
                              "setbrushcolor(makecolor(255,0,0))", "fillrect(2,3,6,8)",
                              "setbrushcolor(makecolor(0,0,255))", "fillrect(0,6,40,7)"};
std::string Scene() {
    std::string script;
    for (const char *line : kScene) script += Script({line});
    return script;
}

// The window's pixels captured as a pattern, to compare a copy against.
Pattern Captured(const std::vector<COLORREF> &pixels, int width) {
    return [pixels, width](int x, int y) { return pixels[size_t(y) * width + x]; };
}

// --- saved screen areas ------------------------------------------------------

TEST_F(PicturesTest, SavedAreaComesBackTenByTenAtTheGivenPlace) {
    ASSERT_EQ(RunScript(Scene()), 0);
    const Pattern source = Captured(Area(0, 0, 10, 10), 10);
    ASSERT_EQ(RunScript(Scene() + Script({"savescreenarea(0,0,9,9)", "restorescreenarea(50,50)"})), 0);
    EXPECT_EQ(Delivered(), 1);
    EXPECT_EQ(applet_.applet().stackdepth, 0);
    ExpectDrawn(50, 50, 10, 10, source);
}

TEST_F(PicturesTest, DrawingOffsetMovesBothTheSavedAndTheRestoredArea) {
    ASSERT_EQ(RunScript(Scene()), 0);
    const Pattern source = Captured(Area(7, 3, 10, 10), 10);
    ASSERT_EQ(
        RunScript(Scene() + Script({"setdrawingoffset(7,3)", "savescreenarea(0,0,9,9)", "restorescreenarea(50,50)"})),
        0);
    ExpectDrawn(57, 53, 10, 10, source);
}

TEST_F(PicturesTest, AreaCutAtTheWindowEdgeComesBackWhereItsPixelsWere) {
    ASSERT_EQ(RunScript(Scene()), 0);
    const Pattern source = Captured(Area(0, 0, 10, 10), 10);
    ASSERT_EQ(RunScript(Scene() + Script({"savescreenarea(-5,-3,9,9)", "restorescreenarea(50,50)"})), 0);
    // Only the part on the window was kept; it lands 5 right and 3 down of
    // the given corner, where it sat in the saved rectangle.
    ExpectDrawn(55, 53, 10, 10, source);
}

TEST_F(PicturesTest, TwoSavedAreasComeBackInReverseOrder) {
    ASSERT_EQ(
        RunScript(Script({"setbrushcolor(makecolor(255,0,0))", "fillrect(0,0,20,20)",
                          "setbrushcolor(makecolor(0,255,0))", "fillrect(30,0,50,20)", "savescreenarea(0,0,9,9)",
                          "savescreenarea(30,0,39,9)", "restorescreenarea(100,100)", "restorescreenarea(150,100)"})),
        0);
    ExpectDrawn(100, 100, 10, 10, [](int, int) { return kGreen; });
    ExpectDrawn(150, 100, 10, 10, [](int, int) { return kRed; });
    EXPECT_EQ(applet_.applet().stackdepth, 0);
}

TEST_F(PicturesTest, RestoringOverASavedGraphicStateRaisesStackCorrupted) {
    EXPECT_EQ(
        RunScript(Scene() + Script({"savescreenarea(0,0,9,9)", "savegraphicstate()", "restorescreenarea(50,50)"})), 7);
    EXPECT_EQ(Delivered(), 1);
    // The state is gone from the stack and nothing was drawn.
    EXPECT_EQ(applet_.applet().stackdepth, 1);
    EXPECT_EQ(Painted(50, 50, 10, 10), 0);

    EXPECT_EQ(RunScript(Script({"savegraphicstate()", "restorescreenarea(50,50)"})), 7);
    EXPECT_EQ(applet_.applet().stackdepth, 0);
}

TEST_F(PicturesTest, RestoringFromAnEmptyStackRaisesTheStackError) {
    EXPECT_EQ(RunScript(Script({"restorescreenarea(50,50)"})), 1);
    EXPECT_EQ(Painted(0, 0, kWidth, kHeight), 0);
    EXPECT_EQ(RunScript(Script({"savescreenarea(0,0,9,9)", "restorescreenarea(0,0)", "restorescreenarea(0,0)"})), 1);
}

TEST_F(PicturesTest, AreaOffTheWindowStillTakesItsPlaceOnTheStack) {
    // Nothing of it is on the display: the entry holds no bitmap, and the
    // matching restore takes it off and draws nothing.
    EXPECT_EQ(RunScript(Scene() + Script({"savescreenarea(5000,5000,5009,5009)", "restorescreenarea(100,100)"})), 0);
    EXPECT_EQ(applet_.applet().stackdepth, 0);
    EXPECT_EQ(Painted(60, 60, kWidth - 60, kHeight - 60), 0);
}

TEST_F(PicturesTest, GraphicStateUnderASavedAreaIsRestoredAfterIt) {
    EXPECT_EQ(RunScript(Scene() + Script({"savegraphicstate()", "savescreenarea(0,0,9,9)", "restorescreenarea(60,60)",
                                          "restoregraphicstate()"})),
              0);
    EXPECT_EQ(applet_.applet().stackdepth, 0);
    EXPECT_GT(Painted(60, 60, 10, 10), 0);
}

// --- copied areas --------------------------------------------------------------

TEST_F(PicturesTest, CopyWithNegativeDestinationLandsAtTheEdge) {
    ASSERT_EQ(RunScript(Scene()), 0);
    const Pattern source = Captured(Area(0, 0, 100, 100), 100);
    ASSERT_EQ(RunScript(Scene() + Script({"copyscreenarea(0,0,99,99,-10,20)"})), 0);
    EXPECT_NE(Delivered(), 0);
    const std::vector<COLORREF> copy = Area(0, 20, 100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(copy[size_t(y) * 100 + x], source(x, y)) << x << "," << y;
    EXPECT_EQ(Painted(100, 0, kWidth - 100, kHeight), 0);
}

TEST_F(PicturesTest, CopyReadsFromTheOffsetAreaAndWritesAtTheGivenPlace) {
    ASSERT_EQ(RunScript(Scene()), 0);
    const Pattern source = Captured(Area(5, 5, 10, 10), 10);
    ASSERT_EQ(RunScript(Scene() + Script({"setdrawingoffset(5,5)", "copyscreenarea(0,0,9,9,100,100)"})), 0);
    EXPECT_NE(Delivered(), 0);
    ExpectDrawn(100, 100, 10, 10, source);
}

TEST_F(PicturesTest, CopyOfNothingOnTheDisplayDeliversZero) {
    ASSERT_EQ(RunScript(Script({"copyscreenarea(5000,5000,5009,5009,10,10)"})), 0);
    EXPECT_EQ(Delivered(), 0);
    EXPECT_EQ(Painted(0, 0, kWidth, kHeight), 0);
}

// --- pictures ------------------------------------------------------------------

TEST_F(PicturesTest, NumberedPicturesAreDrawnAtTheirPlacePlusTheOffset) {
    AddPictures();
    ASSERT_EQ(RunScript(Script({"setdrawingoffset(5,5)", "drawpicture(1,10,20)", "drawpicture(2,40,20,1)"})), 0);
    EXPECT_EQ(Delivered(), 1);
    ExpectDrawn(15, 25, kPictureWidth, kPictureHeight, TruePicture);
    ExpectDrawn(45, 25, kPictureWidth, kPictureHeight, PalettePicture);
}

TEST_F(PicturesTest, TransparentColourLetsTheBackgroundThrough) {
    AddPictures();
    ASSERT_EQ(
        RunScript(Script({"drawpicture(1,10,20,0,makecolor(255,0,0))", "drawpicture(2,40,20,0,makecolor(0,255,255))"})),
        0);
    ExpectDrawn(10, 20, kPictureWidth, kPictureHeight, [](int x, int y) {
        const COLORREF colour = TruePicture(x, y);
        return colour == kRed ? kCanvas : colour;
    });
    ExpectDrawn(40, 20, kPictureWidth, kPictureHeight, [](int x, int y) {
        const COLORREF colour = PalettePicture(x, y);
        return colour == kCyan ? kCanvas : colour;
    });
}

TEST_F(PicturesTest, StockIconIsDrawnWithoutAnyPictures) {
    ASSERT_EQ(RunScript(Script({"drawpicture(32516,0,0)"})), 0);
    const int icon = GetSystemMetrics(SM_CXICON);
    EXPECT_GT(Painted(0, 0, icon, icon), 0);
    EXPECT_EQ(Painted(icon, 0, kWidth - icon, kHeight), 0);
    EXPECT_EQ(Painted(0, icon, icon, kHeight - icon), 0);

    ASSERT_EQ(RunScript(Script({"setdrawingoffset(100,50)", "drawpicture(32512,0,0)"})), 0);
    EXPECT_GT(Painted(100, 50, icon, icon), 0);
    EXPECT_EQ(Painted(0, 0, 100, kHeight), 0);
}

TEST_F(PicturesTest, UnknownPictureNumbersRaiseNotFound) {
    AddPictures();
    for (const char *number : {"3", "0", "-1", "32511", "32518", "-2147483648"}) {
        EXPECT_EQ(RunScript(Script({std::string("drawpicture(") + number + ",0,0)"})), 16) << number;
        EXPECT_EQ(Painted(0, 0, kWidth, kHeight), 0) << number;
        EXPECT_EQ(RunScript(Script({"declareint(@w)", "declareint(@h)", "declareint(@b)",
                                    std::string("getpicturedimensions(") + number + ",@w,@h,@b)"})),
                  16)
            << number;
    }
}

TEST_F(PicturesTest, AppletWithoutPicturesFindsNone) {
    EXPECT_EQ(RunScript(Script({"drawpicture(1,0,0)"})), 16);
    EXPECT_EQ(RunScript(Script({"declareint(@w)", "getpicturedimensions(1,@w,@w,@w)"})), 16);
}

TEST_F(PicturesTest, PicturesAreReducedToTheFixedPaletteOnPaletteDisplays) {
    // Colours of the fixed table come through; others become table colours.
    const Bytes grey = TrueColourDib(16, 16, [](int x, int) { return x < 8 ? kRed : RGB(100, 100, 100); });
    applet_.runner().AddPicture(3, grey.data(), grey.size());
    const int saved = devicebits;
    devicebits = 8;
    const int error = RunScript(Script({"drawpicture(3,0,0,1)", "drawpicture(3,0,20,0)"}));
    devicebits = saved;
    ASSERT_EQ(error, 0);
    const auto InTable = [](COLORREF c) {
        const auto level8 = [](int v) { return v % 36 == 0 || v == 255; };
        const auto level4 = [](int v) { return v % 85 == 0; };
        return level8(GetRValue(c)) && level8(GetGValue(c)) && level4(GetBValue(c));
    };
    for (int y : {0, 20}) {
        const std::vector<COLORREF> pixels = Area(0, y, 16, 16);
        for (size_t i = 0; i < pixels.size(); ++i) {
            ASSERT_TRUE(InTable(pixels[i])) << std::hex << pixels[i];
            if (i % 16 < 8) {
                ASSERT_EQ(pixels[i], kRed);
            }
        }
    }
}

// Pictures whose bytes do not hold what their header says: a cut header,
// bits cut short, a depth that does not exist and a width far too large.
std::vector<Bytes> DamagedPictures() {
    const Bytes whole = TrueColourDib(kPictureWidth, kPictureHeight, TruePicture);
    Bytes oddbits = whole, wide = whole;
    oddbits[offsetof(BITMAPINFOHEADER, biBitCount)] = 7;
    const LONG width = 0x40000000;
    std::memcpy(&wide[offsetof(BITMAPINFOHEADER, biWidth)], &width, sizeof width);
    return {Bytes(whole.begin(), whole.begin() + 20), Bytes(whole.begin(), whole.begin() + 60), oddbits, wide};
}

TEST_F(PicturesTest, DamagedPicturesDrawNothingAndMeasureZero) {
    const std::vector<Bytes> damaged = DamagedPictures();
    for (size_t i = 0; i < damaged.size(); ++i)
        applet_.runner().AddPicture(10 + i, damaged[i].data(), damaged[i].size());
    const int saved = devicebits;
    for (int bits : {24, 8}) {
        devicebits = bits;
        for (size_t i = 0; i < damaged.size(); ++i) {
            const std::string number = std::to_string(10 + i);
            const std::string script = Script({"declareint(@w,-1)", "declareint(@h,-1)", "declareint(@b,-1)",
                                               "drawpicture(" + number + ",1,1)", "drawpicture(" + number + ",1,1,1)",
                                               "drawpicture(" + number + ",1,1,0,makecolor(255,0,0))",
                                               "getpicturedimensions(" + number + ",@w,@h,@b)"});
            EXPECT_EQ(RunScript(script), 0) << "picture " << number << " at " << bits << " bits";
            EXPECT_EQ(Painted(0, 0, kWidth, kHeight), 0) << "picture " << number << " at " << bits << " bits";
            EXPECT_EQ(Variable("w"), 0) << "picture " << number;
            EXPECT_EQ(Variable("h"), 0) << "picture " << number;
            EXPECT_EQ(Variable("b"), 0) << "picture " << number;
        }
    }
    devicebits = saved;
}

// --- dimensions ----------------------------------------------------------------

TEST_F(PicturesTest, DimensionsOfPicturesAndStockIcons) {
    AddPictures();
    const std::string declare = Script({"declareint(@w)", "declareint(@h)", "declareint(@b)"});
    ASSERT_EQ(RunScript(declare + Script({"getpicturedimensions(1,@w,@h,@b)"})), 0);
    EXPECT_EQ(Delivered(), 1);
    EXPECT_EQ(Variable("w"), kPictureWidth);
    EXPECT_EQ(Variable("h"), kPictureHeight);
    EXPECT_EQ(Variable("b"), 24);
    ASSERT_EQ(RunScript(declare + Script({"getpicturedimensions(2,@w,@h,@b)"})), 0);
    EXPECT_EQ(Variable("b"), 8);
    ASSERT_EQ(RunScript(declare + Script({"getpicturedimensions(32512,@w,@h,@b)"})), 0);
    EXPECT_EQ(Variable("w"), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(Variable("h"), GetSystemMetrics(SM_CYICON));
    EXPECT_EQ(Variable("b"), 4);
    EXPECT_EQ(Painted(0, 0, kWidth, kHeight), 0);
}

TEST_F(PicturesTest, DimensionsIntoTheWrongPlacesRaise) {
    AddPictures();
    const std::string declare = Script({"declareint(@w,-1)", "declarestring($h)", "declareint(@b,-1)"});
    EXPECT_EQ(RunScript(declare + Script({"getpicturedimensions(1,@w,@h,@b)"})), 10);
    EXPECT_EQ(Variable("w"), kPictureWidth);  // stored before the walk met the string
    EXPECT_EQ(Variable("b"), -1);
    EXPECT_EQ(RunScript(declare + Script({"getpicturedimensions(1,@w,5,@b)"})), 4);
    EXPECT_EQ(Variable("w"), -1);
    EXPECT_EQ(RunScript(declare + Script({"getpicturedimensions(1,@w,@nope,@b)"})), 0);
    EXPECT_EQ(Variable("w"), kPictureWidth);
    EXPECT_EQ(Variable("b"), 24);
    EXPECT_EQ(RunScript(declare + Script({"getpicturedimensions(1,@w,@b)"})), 11);
    EXPECT_EQ(Variable("w"), -1);
    EXPECT_EQ(RunScript(declare + Script({"getpicturedimensions(1,@w,@b,@b,@b)"})), 11);
}

// --- robustness --------------------------------------------------------------

// The family's built-ins with arguments that fit every place they take.
const BUILTINCALL kPictureBuiltins[] = {
    {"savescreenarea", {"1", "1", "1", "1"}, "iiii"},
    {"restorescreenarea", {"1", "1"}, "ii"},
    {"copyscreenarea", {"1", "1", "1", "1", "1", "1"}, "iiiiii"},
    {"drawpicture", {"1", "1", "1", "1", "1"}, "iiiii"},
    {"getpicturedimensions", {"1", "@w", "@w", "@w"}, "irrr"},
};

// Declarations every robustness script starts with, a label to name and a
// saved area for a restore to find.
std::string Prelude() {
    return Script(
        {"declareint(@w)", "declarestring($s,\"text\")", "declarearray(&a,4)", ":here", "savescreenarea(0,0,9,9)"});
}

TEST_F(PicturesTest, EveryWrongArgumentCountRaisesArgumentCount) {
    AddPictures();
    for (const BUILTINCALL &builtin : kPictureBuiltins)
        for (const std::string &call : WrongCounts(builtin)) {
            EXPECT_EQ(RunScript(Prelude() + Script({call})), 11) << call;
            EXPECT_EQ(applet_.applet().stackdepth, 1) << call;  // the saved area is still there
            EXPECT_EQ(Painted(0, 0, kWidth, kHeight), 0) << call;
        }
}

TEST_F(PicturesTest, EveryWrongKindOfArgumentRaisesInappropriateValue) {
    AddPictures();
    for (const BUILTINCALL &builtin : kPictureBuiltins)
        for (const MISFITCALL &call : WrongKinds(builtin)) {
            const int error = RunScript(Prelude() + Script({call.statement}));
            // A picture number that is no number counts as 0, which no
            // picture has.
            if (call.place == 0 && (builtin.keyword[0] == 'd' || builtin.keyword[0] == 'g'))
                EXPECT_TRUE(error == 4 || error == 16) << call.statement << " raised " << error;
            else
                EXPECT_EQ(error, 4) << call.statement;
        }
}

TEST_F(PicturesTest, ExtremeCoordinatesDrawHarmlesslyOrRaise) {
    AddPictures();
    const char *const calls[] = {
        "savescreenarea(-2147483648,-2147483648,2147483647,2147483647)",
        "savescreenarea(-2147483648,-2147483648,2147483646,2147483646)",
        "savescreenarea(2147483647,2147483647,-2147483648,-2147483648)",
        "savescreenarea(0,0,2147483647,2147483647)",
        "savescreenarea(-100,-100,-1,-1)",
        "copyscreenarea(-2147483648,-2147483648,2147483646,2147483646,2147483647,2147483647)",
        "copyscreenarea(0,0,2147483646,2147483646,-2147483648,-2147483648)",
        "copyscreenarea(0,0,99,99,2147483647,-2147483648)",
        "copyscreenarea(2147483647,2147483647,2147483647,2147483647,0,0)",
        "drawpicture(1,2147483647,2147483647)",
        "drawpicture(1,-2147483648,-2147483648)",
        "drawpicture(2,-2147483648,2147483647,1)",
        "drawpicture(1,2147483647,-2147483648,0,0)",
        "drawpicture(2,-2147483648,-2147483648,0,0)",
        "drawpicture(32516,2147483647,2147483647)",
        "drawpicture(32516,-2147483648,-2147483648)",
        "setdrawingoffset(2147483647,2147483647)",
        "setdrawingoffset(-2147483648,-2147483648)",
    };
    for (const char *call : calls) {
        const std::string script =
            Script({call, "savescreenarea(2147483647,2147483647,2147483647,2147483647)",
                    "restorescreenarea(-2147483648,2147483647)", "drawpicture(1,2147483000,0)",
                    "drawpicture(1,0,2147483000,0,0)", "copyscreenarea(0,0,9,9,2147483647,2147483647)"});
        EXPECT_EQ(RunScript(script), 0) << call;
    }
    // Drawing still works afterwards.
    ASSERT_EQ(RunScript(Script({"drawpicture(1,1,1)"})), 0);
    ExpectDrawn(1, 1, kPictureWidth, kPictureHeight, TruePicture);
}

// How many more GDI objects the process can make: brushes are made until
// the platform refuses one (or a generous cap), then all deleted again. A
// leak of objects lowers it by their number, on platforms that count
// objects per process and on those that only count their table.
int GdiRoom() {
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 200000; ++i) {
        HBRUSH brush = CreateSolidBrush(RGB(i & 255, 7, 9));
        if (!brush) break;
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) DeleteObject(brush);
    return int(brushes.size());
}

TEST_F(PicturesTest, AreasAndStatesLeftOnTheStackAreReleasedWithTheApplet) {
    AddPictures();
    const std::string hoard =
        Script({"declareint(@i)", ":more", "savescreenarea(0,0,19,19)", "savegraphicstate()",
                "setfont(\"Arial\",20,0,0,0)", "setbrushcolor(@i)", "inc(@i)", "if(islessthan(@i,1000),:more)"});
    // One run first warms the platform's caches up; its applet is released
    // before counting, as each run's is by the next start.
    ASSERT_EQ(RunScript(hoard, 3000), 0);
    applet_.runner().Stop();
    const int before = GdiRoom();
    for (int run = 0; run < 25; ++run) {
        ASSERT_EQ(RunScript(hoard, 3000), 0) << "run " << run;
        ASSERT_EQ(applet_.applet().stackdepth, 2000);
    }
    applet_.runner().Stop();
    const int after = GdiRoom();
    EXPECT_GE(after, before - 10) << "room for GDI objects before " << before << ", after " << after;
    ASSERT_EQ(RunScript(Script({"drawpicture(1,1,1)", "savescreenarea(1,1,12,8)", "restorescreenarea(100,100)"})), 0);
    ExpectDrawn(100, 100, kPictureWidth, kPictureHeight, TruePicture);
}

}  // namespace
