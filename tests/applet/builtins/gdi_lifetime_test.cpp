// No GDI object outlives the applet that made it: pens, brushes, fonts,
// saved graphic states and saved screen areas left behind are deleted when
// the applet ends, and those an error throws away are deleted at once.
// Run more often than the process's GDI handle table could hold, a leak
// would make drawing fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

namespace {

// The GDI objects a saved entry owns: an area's bitmap, a state's copies.
std::vector<HGDIOBJ> OwnedObjects(const VALUE &entry) {
    if (entry.type & VALUE_GDIOBJECT) return {(HGDIOBJ)entry.value};
    const GRAPHICSTATE *state = (const GRAPHICSTATE *)entry.value;
    return {state->font, state->pen, state->brush};
}

}  // namespace

// A keyword that pops another kind of entry than it expects fails, and what
// that entry owned is released then, not leaked.
TEST(GdiLifetime, APopOfTheWrongKindReleasesWhatItTookOff) {
    const struct {
        const char *pop;
        const char *save;  // the kind it takes; any other is wrong
        int code;
    } keywords[] = {
        {"restoregraphicstate()", "savegraphicstate()", APPLETERR_STACKCORRUPT},
        {"restorescreenarea(0,0)", "savescreenarea(0,0,9,9)", APPLETERR_STACKCORRUPT},
        {"return()", "", APPLETERR_STACKCORRUPT},
        {"while(0)", "", APPLETERR_WHILEBEFOREDO},
    };
    DrawingApplet canvas(64, 64);
    for (const auto &keyword : keywords)
        for (const std::string save : {"savescreenarea(0,0,9,9)", "savegraphicstate()"}) {
            if (save == keyword.save) continue;
            SCOPED_TRACE(save + " then " + keyword.pop);
            const VALUE entry = TopAfter(canvas, save + "\r\n" + keyword.pop + "\r\n", 1);
            ASSERT_NE(entry.value, 0u);
            const std::vector<HGDIOBJ> owned = OwnedObjects(entry);
            canvas.runner().Run();
            EXPECT_EQ(canvas.applet().error, keyword.code);
            EXPECT_EQ(canvas.applet().stackdepth, 0);
            for (HGDIOBJ object : owned) EXPECT_TRUE(Deleted(object));
            canvas.runner().Stop();
        }
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
