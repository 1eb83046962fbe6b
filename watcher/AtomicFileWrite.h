// Replacing a file in one step, safely also in a world-writable directory.
#pragma once

#include <stddef.h>

// Writes the bytes to a fresh temporary file beside `path` and renames it over
// `path`, so that a reader sees the old content or the new, never half of it.
// Returns false, and leaves no temporary file behind, when a step fails.
bool ReplaceFileAtomically(const char *path, const void *bytes, size_t length);
