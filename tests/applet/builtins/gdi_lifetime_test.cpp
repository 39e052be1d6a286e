// No GDI object outlives the applet that made it: pens, brushes, fonts,
// saved graphic states and saved screen areas left behind are deleted when
// the applet ends, and those an error throws away are deleted at once.
// Run more often than the process's GDI handle table could hold, a leak
// would make drawing fail.
#include <gtest/gtest.h>

#include <string>

#include "drawing_applet.h"

using namespace testing_support;

namespace {

// Each turn of the loop leaves four more objects for the applet's end: the
// copies a saved state gives the applet, and a saved screen area. The
// setters replace objects, deleting the ones they replace. (A do loop
// would find its marker under the saved entries.)
const char kHoarder[] =
    "declareint(@i)\r\n"
    ":loop\r\n"
    "savegraphicstate()\r\n"
    "setpencolor(makecolor(@i,0,0),2)\r\n"
    "setbrushcolor(makecolor(0,@i,0))\r\n"
    "setfont(\"Arial\",12,0,0,0)\r\n"
    "savescreenarea(0,0,9,9)\r\n"
    "inc(@i)\r\n"
    "if(islessthan(@i,250),:loop)\r\n";

const char kRedSquare[] =
    "setbrushcolor(makecolor(255,0,0))\r\n"
    "fillrect(10,10,30,30)\r\n";

// The top entry of the applet's value stack.
VALUE Top(APPLET &applet) {
    VALUE top = {};
    if (const VALUE *entries = (const VALUE *)GlobalLock(applet.stack)) {
        top = entries[applet.stackdepth - 1];
        GlobalUnlock(applet.stack);
    }
    return top;
}

bool Deleted(HGDIOBJ object) { return GetObjectType(object) == 0; }

// Runs the first `lines` lines of the script, then keeps the top entry
// before the rest runs.
VALUE TopAfter(DrawingApplet &canvas, const std::string &script, int lines) {
    EXPECT_EQ(canvas.runner().Start(script), 1);
    EXPECT_EQ(canvas.runner().Run(lines), 0);
    return Top(canvas.applet());
}

}  // namespace

TEST(GdiLifetime, ObjectsLeftToTheEndAreDeletedWithTheApplet) {
    DrawingApplet canvas(64, 64);
    // 1,000 objects a run, 100 runs: more than the handle table holds.
    for (int run = 0; run < 100; ++run) {
        ASSERT_EQ(canvas.Run(kHoarder), -1) << "run " << run << ": " << APPLETError(&canvas.applet());
        ASSERT_EQ(canvas.applet().stackdepth, 500);
        canvas.runner().Stop();
    }
    canvas.Clear();
    ASSERT_EQ(canvas.Run(kRedSquare), -1);
    EXPECT_EQ(canvas.Pixel(20, 20), RGB(255, 0, 0)) << "drawing fails: GDI objects have leaked";
}

TEST(GdiLifetime, TheHandlesOfASavedStateGoWithIt) {
    DrawingApplet canvas(64, 64);
    const VALUE saved = TopAfter(canvas, "savegraphicstate()\r\nsetpencolor(255,3)\r\nend()\r\n", 2);
    ASSERT_EQ(saved.type, VALUE_GRAPHICSTATE | VALUE_ALLOCATED);
    const GRAPHICSTATE state = *(const GRAPHICSTATE *)saved.value;
    EXPECT_FALSE(Deleted(state.pen));
    canvas.runner().Run();
    canvas.runner().Stop();
    EXPECT_TRUE(Deleted(state.font) && Deleted(state.pen) && Deleted(state.brush));
}

// A restore that meets the other kind of entry fails with 7, and what that
// entry owned is released then, not leaked.
TEST(GdiLifetime, ARestoreOfTheWrongKindReleasesWhatItTookOff) {
    DrawingApplet canvas(64, 64);
    const VALUE area = TopAfter(canvas, "savescreenarea(0,0,9,9)\r\nrestoregraphicstate()\r\n", 1);
    ASSERT_EQ(area.type, VALUE_GDIOBJECT);
    ASSERT_NE(area.value, 0u);
    canvas.runner().Run();
    EXPECT_EQ(canvas.applet().error, APPLETERR_STACKCORRUPT);
    EXPECT_EQ(canvas.applet().stackdepth, 0);
    EXPECT_TRUE(Deleted((HGDIOBJ)area.value));
    canvas.runner().Stop();

    const VALUE saved = TopAfter(canvas, "savegraphicstate()\r\nrestorescreenarea(0,0)\r\n", 1);
    ASSERT_EQ(saved.type, VALUE_GRAPHICSTATE | VALUE_ALLOCATED);
    const GRAPHICSTATE state = *(const GRAPHICSTATE *)saved.value;
    canvas.runner().Run();
    EXPECT_EQ(canvas.applet().error, APPLETERR_STACKCORRUPT);
    EXPECT_EQ(canvas.applet().stackdepth, 0);
    EXPECT_TRUE(Deleted(state.font) && Deleted(state.pen) && Deleted(state.brush));
    canvas.runner().Stop();
}

// Saving until the stack is full ends with "Stack overflow"; the state that
// found no room is not leaked and the applet keeps working objects.
TEST(GdiLifetime, ASaveThatFindsTheStackFullKeepsTheObjectsInUse) {
    DrawingApplet canvas(64, 64);
    ASSERT_EQ(canvas.runner().Start(":loop\r\nsavegraphicstate()\r\ngoto(:loop)\r\n"), 1);
    canvas.runner().Run();
    EXPECT_EQ(canvas.applet().error, APPLETERR_STACKOVERFLOW);
    HBRUSH brush = canvas.applet().brush;
    EXPECT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
    canvas.runner().Stop();
    EXPECT_TRUE(Deleted(brush));
    canvas.Clear();
    ASSERT_EQ(canvas.Run(kRedSquare), -1);
    EXPECT_EQ(canvas.Pixel(20, 20), RGB(255, 0, 0));
}
