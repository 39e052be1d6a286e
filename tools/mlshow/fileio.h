// Whole-file reads with a size limit, and writes that never leave a
// half-written file behind.
#pragma once

#include <cstddef>
#include <string>

#include "content/writer.h"

namespace mlshow {

// Largest input file read: anything bigger is refused before reading.
constexpr size_t MAX_INPUT_BYTES = size_t(1) << 30;

// The whole file; InputError "cannot read PATH: why" when it cannot be read
// or is bigger than `limit`.
Bytes ReadWholeFile(const std::string &path, size_t limit = MAX_INPUT_BYTES);

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`; InputError on failure, with the temporary file removed.
void WriteFileAtomic(const std::string &path, const Bytes &bytes);

}  // namespace mlshow
