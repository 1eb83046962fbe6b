// The KT_IOKIT_FAIL test hook (described in IOKit/IOKitLib.h).
#pragma once

// Counts one call of `call` and tells whether this occurrence must fail.
bool ktShouldFail(const char *call);
