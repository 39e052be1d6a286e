// The one translation unit that compiles stb_image, with its JPEG, PNG, BMP
// and GIF decoders only. Every allocation it makes goes through
// DecoderAlloc, which refuses any block larger than the biggest picture the
// player holds, so a hostile file (a PNG whose data inflates without end
// among them) fails cleanly instead of exhausting the address space, and
// zeroes what it gives: the JPEG decoder reads Huffman tables a file never
// defined from its memory as it finds it.
#include <cstddef>
#include <cstdlib>

#include "content/format.h"

namespace {

void *DecoderAlloc(size_t size) { return size > MAXPICTUREBYTES ? nullptr : std::calloc(1, size ? size : 1); }
void *DecoderRealloc(void *block, size_t size) {
    return size > MAXPICTUREBYTES ? nullptr : std::realloc(block, size);
}

}  // namespace

#define STBI_MALLOC(size) DecoderAlloc(size)
#define STBI_REALLOC(block, size) DecoderRealloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
