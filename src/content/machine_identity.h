// The machine's identity as the host's registry records it.
#pragma once

// Fills `owner` and `organisation` (each at least 260 bytes) from the registry.
int GetMachineName(char *owner, char *organisation);
