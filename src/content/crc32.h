// CRC-32 (reflected polynomial 0xEDB88320, the one of zlib and PNG), kept in
// its own namespace so it never collides with zlib's exported crc32.
#pragma once

namespace ml {

// Continues a CRC-32 from `start` over `count` bytes; 0 when `bytes` is null.
unsigned long crc32(unsigned long start, const void *bytes, unsigned count);

}  // namespace ml
