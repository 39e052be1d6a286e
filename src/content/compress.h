// zlib streams to and from movable global memory blocks.
#pragma once

#include <windows.h>

// Inflates `*count` stored bytes; on success `*count` becomes the inflated
// size and the result is a new block holding exactly those bytes, else 0.
HGLOBAL UncompressData(const void *bytes, unsigned long *count, int unused);
// The same, reading at most `*count` bytes from `file` in 8 KB chunks.
HGLOBAL UncompressDataFromFile(HFILE file, unsigned long *count, int unused);
// Deflates `*count` bytes of `memory` at `level`; a malloc'ed stream or null.
void *CompressData(HGLOBAL memory, long *count, unsigned long level);
