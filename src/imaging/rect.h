// Width and depth of a rectangle, used across the program.
#pragma once

#include <windows.h>

inline int RectWidth(const RECT *r) { return r->right - r->left; }
inline int RectDepth(const RECT *r) { return r->bottom - r->top; }
