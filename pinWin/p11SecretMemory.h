// Memory that holds a PIN: locked out of swap, left out of core dumps, and
// overwritten before it is given back, so that no copy outlives the dialog.
#pragma once
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Zeroes `size` bytes at `p`; unlike memset, never left out by the compiler.
void p11Wipe(void *p, size_t size);

// A zeroed buffer of `size` bytes in pages of its own, locked in memory where
// the system allows it; NULL when no memory can be had. Give it back with
// p11FreeSecret, which wipes it first.
void *p11NewSecret(size_t size);
void p11FreeSecret(void *secret, size_t size);

// Zeroes the stack below the caller's frame, as deep as a dialog reaches:
// the toolkit's text handling leaves characters of the PIN in frames that
// have returned. Call it from the entry point once the dialog has ended.
void p11ScrubStack(void);

#ifdef __cplusplus
}
#endif
