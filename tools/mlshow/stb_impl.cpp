// The one translation unit that compiles stb_image, stb_image_resize and
// stb_image_write (JPEG pictures re-encoded; PNG files for the tests).
// Every allocation stb makes goes through DecoderAlloc, which refuses any
// single block larger than the decoding limit, so a hostile file (a huge
// canvas, thousands of GIF frames) fails cleanly instead of exhausting memory.
#include <cstddef>
#include <cstdlib>

#include "image_limits.h"

namespace {

// Zeroed, because stb's JPEG decoder reads the Huffman tables of its state
// whether or not the file defined them: a scan that uses an undefined table
// then finds empty tables instead of indices into anywhere.
void *DecoderAlloc(size_t size) { return size > mlshow::MAX_DECODE_BYTES ? nullptr : std::calloc(1, size); }
void *DecoderRealloc(void *block, size_t size) {
    return size > mlshow::MAX_DECODE_BYTES ? nullptr : std::realloc(block, size);
}

}  // namespace

#define STBI_MALLOC(size) DecoderAlloc(size)
#define STBI_REALLOC(block, size) DecoderRealloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STBI_MAX_DIMENSIONS 65536
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#define STBIR_MALLOC(size, context) ((void)(context), DecoderAlloc(size))
#define STBIR_FREE(block, context) ((void)(context), std::free(block))
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
