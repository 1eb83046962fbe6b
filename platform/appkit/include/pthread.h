// POSIX threads plus Apple's calls for the bounds of a thread's stack, which
// glibc answers through pthread_getattr_np, and for the main thread.
#include_next <pthread.h>

#ifndef KP_PTHREAD_ADDITIONS_H
#define KP_PTHREAD_ADDITIONS_H
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// The highest address of the thread's stack (stacks grow down from it).
void *pthread_get_stackaddr_np(pthread_t thread);
size_t pthread_get_stacksize_np(pthread_t thread);

// Non-zero on the main thread: the thread that AppKit runs on, which serves
// the main dispatch queue.
int pthread_main_np(void);

#ifdef __cplusplus
}
#endif

#endif
