// The one translation unit that compiles stb_image, with its JPEG decoder
// only. Every allocation it makes goes through JpegAlloc, which refuses any
// block larger than the biggest picture the player holds, so a hostile file
// fails cleanly instead of exhausting the address space, and zeroes what it
// gives: the decoder reads Huffman tables a file never defined from its
// memory as it finds it.
#include <cstddef>
#include <cstdlib>

#include "content/format.h"

namespace {

void *JpegAlloc(size_t size) { return size > MAXPICTUREBYTES ? nullptr : std::calloc(1, size ? size : 1); }
void *JpegRealloc(void *block, size_t size) { return size > MAXPICTUREBYTES ? nullptr : std::realloc(block, size); }

}  // namespace

#define STBI_MALLOC(size) JpegAlloc(size)
#define STBI_REALLOC(block, size) JpegRealloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_JPEG
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
