// What AtomicFile leaves to each system: creating its temporary file so
// that an interrupt handler can remove it while it is open, and removing
// the temporary files when the program is interrupted or terminated.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace mlshow {

// A new file at `path` (never an existing one), open for writing in binary;
// nullptr with the reason in `why` when it cannot be made.
std::FILE *CreateTemporaryFile(const std::filesystem::path &path, std::string *why);

// Removes one temporary file; safe inside the interrupt handlers.
void RemoveTemporaryNow(const std::filesystem::path::value_type *name);

// Installs the handlers that call RemoveOpenTemporaries when the program is
// interrupted or terminated, then let it end as it would have.
void RemoveTemporariesOnInterrupt();

}  // namespace mlshow
