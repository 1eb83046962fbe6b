#include "p11SecretMemory.h"
#include <alloca.h>
#include <pthread.h>
#include <string.h>
#include <sys/mman.h>

// Deeper than any dialog's modal run goes, and well within a main thread's
// stack; what a thread's stack cannot give is left out.
static const size_t scrubDepth = 256 * 1024;
static const size_t keepFree = 64 * 1024;  // for this function and its callees

void p11Wipe(void *p, size_t size)
{
  memset(p, 0, size);
  // The compiler must assume that the zeroes are read.
  __asm__ __volatile__("" : : "r"(p) : "memory");
}

void *p11NewSecret(size_t size)
{
  void *secret = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANON, -1, 0);
  if (secret == MAP_FAILED)
    return NULL;
  mlock(secret, size);  // without the privilege to lock, still wiped
#ifdef MADV_DONTDUMP
  madvise(secret, size, MADV_DONTDUMP);
#endif
  return secret;
}

void p11FreeSecret(void *secret, size_t size)
{
  if (secret == NULL)
    return;
  p11Wipe(secret, size);
  munlock(secret, size);
  munmap(secret, size);
}

__attribute__((noinline)) void p11ScrubStack(void)
{
  char here;
  pthread_t self = pthread_self();
  char *top = (char *)pthread_get_stackaddr_np(self);
  size_t size = pthread_get_stacksize_np(self);
  if (top == NULL || &here <= top - size || &here > top)
    return;
  size_t below = (size_t)(&here - (top - size));
  if (below <= keepFree)
    return;
  size_t depth = below - keepFree < scrubDepth ? below - keepFree : scrubDepth;
  p11Wipe(alloca(depth), depth);
}
