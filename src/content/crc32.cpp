// CRC-32 over the HEAD header and the program part: zlib's, which the
// container links for its compression anyway.
#include "content/crc32.h"

#include <zlib.h>

namespace ml {

unsigned long crc32(unsigned long start, const void *bytes, unsigned count) {
    if (!bytes) return 0;
    return ::crc32(uLong(start), static_cast<const Bytef *>(bytes), uInt(count));
}

}  // namespace ml
