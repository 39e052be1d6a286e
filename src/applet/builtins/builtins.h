// The handlers of the built-in functions, one family per source.
#pragma once

#include "applet/applet.h"

// The families' slices of the keyword table, each in its own source.
extern const APPLETFUNCTION controlfunctions[];
extern const int controlfunctioncount;
extern const APPLETFUNCTION arithmeticfunctions[];
extern const int arithmeticfunctioncount;
extern const APPLETFUNCTION timefunctions[];
extern const int timefunctioncount;
extern const APPLETFUNCTION stringfunctions[];
extern const int stringfunctioncount;
extern const APPLETFUNCTION soundfunctions[];
extern const int soundfunctioncount;
extern const APPLETFUNCTION graphicstatefunctions[];
extern const int graphicstatefunctioncount;
extern const APPLETFUNCTION shapefunctions[];
extern const int shapefunctioncount;
extern const APPLETFUNCTION textfunctions[];
extern const int textfunctioncount;
extern const APPLETFUNCTION picturefunctions[];
extern const int picturefunctioncount;

// A keyword whose family is not part of this player yet: as unknown.
int APPLETNoFunction(APPLET *applet, HWND window);

// Declarations, arrays, counting, comparisons and the flow of lines.
int APPLETDeclareIntVariable(APPLET *applet, HWND window);
int APPLETDeclareString(APPLET *applet, HWND window);
int APPLETDeclareArray(APPLET *applet, HWND window);
int APPLETGetArrayValue(APPLET *applet, HWND window);
int APPLETSetArrayValue(APPLET *applet, HWND window);
int APPLETInc(APPLET *applet, HWND window);
int APPLETDec(APPLET *applet, HWND window);
int APPLETIsEqual(APPLET *applet, HWND window);
int APPLETIsNotEqual(APPLET *applet, HWND window);
int APPLETIsGreaterThan(APPLET *applet, HWND window);
int APPLETIsLessThan(APPLET *applet, HWND window);
int APPLETIsGreaterThanOrEqualTo(APPLET *applet, HWND window);
int APPLETIsLessThanOrEqualTo(APPLET *applet, HWND window);
int APPLETGoTo(APPLET *applet, HWND window);
int APPLETIf(APPLET *applet, HWND window);
int APPLETGoSub(APPLET *applet, HWND window);
int APPLETReturn(APPLET *applet, HWND window);
int APPLETDo(APPLET *applet, HWND window);
int APPLETWhile(APPLET *applet, HWND window);
int APPLETFunctionEnd(APPLET *applet, HWND window);

// Arithmetic, logic, random numbers, the clock and the pause.
int APPLETAdd(APPLET *applet, HWND window);
int APPLETSubtract(APPLET *applet, HWND window);
int APPLETMul(APPLET *applet, HWND window);
int APPLETDiv(APPLET *applet, HWND window);
int APPLETMod(APPLET *applet, HWND window);
int APPLETPow(APPLET *applet, HWND window);
int APPLETAbs(APPLET *applet, HWND window);
int APPLETMax(APPLET *applet, HWND window);
int APPLETMin(APPLET *applet, HWND window);
int APPLETShiftLeft(APPLET *applet, HWND window);
int APPLETShiftRight(APPLET *applet, HWND window);
int APPLETBitAnd(APPLET *applet, HWND window);
int APPLETBitOr(APPLET *applet, HWND window);
int APPLETBitXor(APPLET *applet, HWND window);
int APPLETAnd(APPLET *applet, HWND window);
int APPLETOr(APPLET *applet, HWND window);
int APPLETNot(APPLET *applet, HWND window);
int APPLETRandom(APPLET *applet, HWND window);
int APPLETGetSystemTime(APPLET *applet, HWND window);
int APPLETSleep(APPLET *applet, HWND window);

// Strings.
int APPLETStrCpy(APPLET *applet, HWND window);
int APPLETStrCat(APPLET *applet, HWND window);
int APPLETStrSub(APPLET *applet, HWND window);
int APPLETStrFromInt(APPLET *applet, HWND window);
int APPLETStrFromChar(APPLET *applet, HWND window);
int APPLETStrGetTime(APPLET *applet, HWND window);
int APPLETStrLen(APPLET *applet, HWND window);
int APPLETStrCmp(APPLET *applet, HWND window);
int APPLETStrCmpI(APPLET *applet, HWND window);
int APPLETStrGetChar(APPLET *applet, HWND window);
int APPLETStrUpr(APPLET *applet, HWND window);
int APPLETStrLwr(APPLET *applet, HWND window);

// Sound on the program's one-at-a-time player.
int APPLETPlaySoundFunction(APPLET *applet, HWND window);
int APPLETKillSoundFunction(APPLET *applet, HWND window);
int APPLETIsSoundPlaying(APPLET *applet, HWND window);
int APPLETBeep(APPLET *applet, HWND window);

// The drawing state: position, offset, pen, brush, text colours, colour
// values, the screen, and the saved states.
int APPLETSetPosition(APPLET *applet, HWND window);
int APPLETGetHorizontalPosition(APPLET *applet, HWND window);
int APPLETGetVerticalPosition(APPLET *applet, HWND window);
int APPLETSetDrawingOffset(APPLET *applet, HWND window);
int APPLETSetPenColour(APPLET *applet, HWND window);
int APPLETSetBrushColour(APPLET *applet, HWND window);
int APPLETSetTextForeColour(APPLET *applet, HWND window);
int APPLETSetTextBackColour(APPLET *applet, HWND window);
int APPLETSetTextTransparent(APPLET *applet, HWND window);
int APPLETMakeColour(APPLET *applet, HWND window);
int APPLETGetFixedColour(APPLET *applet, HWND window);
int APPLETGetSysColour(APPLET *applet, HWND window);
int APPLETGetSaverColour(APPLET *applet, HWND window);
int APPLETGetScreenWide(APPLET *applet, HWND window);
int APPLETGetScreenDeep(APPLET *applet, HWND window);
int APPLETGetScreenBits(APPLET *applet, HWND window);
int APPLETSaveGraphicState(APPLET *applet, HWND window);
int APPLETRestoreGraphicState(APPLET *applet, HWND window);

// Shapes.
int APPLETFillRect(APPLET *applet, HWND window);
int APPLETFrameRect(APPLET *applet, HWND window);
int APPLETFillEllipse(APPLET *applet, HWND window);
int APPLETFrameEllipse(APPLET *applet, HWND window);
int APPLETFillRoundRect(APPLET *applet, HWND window);
int APPLETFrameRoundRect(APPLET *applet, HWND window);
int APPLETLine(APPLET *applet, HWND window);
int APPLETSetPixel(APPLET *applet, HWND window);
int APPLETGetPixel(APPLET *applet, HWND window);
int APPLETDrawEdge(APPLET *applet, HWND window);
int APPLETFramePolygon(APPLET *applet, HWND window);
int APPLETFillPolygon(APPLET *applet, HWND window);
int APPLETBezierCurve(APPLET *applet, HWND window);
int APPLETArc(APPLET *applet, HWND window);
int APPLETFramePie(APPLET *applet, HWND window);
int APPLETFillPie(APPLET *applet, HWND window);
int APPLETDrawGradient(APPLET *applet, HWND window);
int APPLETClearScreen(APPLET *applet, HWND window);

// Text.
int APPLETFunctionPrint(APPLET *applet, HWND window);
int APPLETParagraphText(APPLET *applet, HWND window);
int APPLETGetTextLength(APPLET *applet, HWND window);
int APPLETGetTextDepth(APPLET *applet, HWND window);
int APPLETSetFont(APPLET *applet, HWND window);

// Screen areas and pictures.
int APPLETSaveScreenArea(APPLET *applet, HWND window);
int APPLETRestoreScreenArea(APPLET *applet, HWND window);
int APPLETCopyScreenArea(APPLET *applet, HWND window);
int APPLETDrawPicture(APPLET *applet, HWND window);
int APPLETGetPictureDimensions(APPLET *applet, HWND window);
