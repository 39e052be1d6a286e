// zlib streams inflated into global memory blocks (fixed ones).
#pragma once

#include <windows.h>

// Inflates `*count` stored bytes; on success `*count` becomes the inflated
// size and the result is a new block holding exactly those bytes, else 0.
HGLOBAL UncompressData(const void *bytes, unsigned long *count, int unused);
// The same, reading at most `*count` bytes from `file` in 8 KB chunks.
HGLOBAL UncompressDataFromFile(HFILE file, unsigned long *count, int unused);
// A packed bitmap, reading at most `*count` bytes from `file`: the stream's
// first bytes are the bitmap's header, and the result is allocated once at
// the size it gives. A header the player does not draw, or a stream that
// inflates past that size, fails; a stream cut short keeps what it gave.
HGLOBAL UncompressDibFromFile(HFILE file, unsigned long *count);
