// The part of libdispatch that the dialogs use, for systems without it: work
// on the main queue, served by the main thread's run loop.
#pragma once
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint64_t dispatch_time_t;
typedef struct kp_dispatch_queue *dispatch_queue_t;
typedef void (*dispatch_function_t)(void *context);

#define DISPATCH_TIME_NOW (0ull)
#define DISPATCH_TIME_FOREVER (~0ull)
#define NSEC_PER_SEC 1000000000ull
#define NSEC_PER_MSEC 1000000ull
#define USEC_PER_SEC 1000000ull
#define NSEC_PER_USEC 1000ull

// A point in time `delta` nanoseconds after `when` (monotonic clock).
dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta);

// The queue that the main thread's run loop serves; the only queue here.
dispatch_queue_t dispatch_get_main_queue(void);

// Calls work(context) on the main thread once `when` has passed, while its run
// loop runs in the default, modal-panel or event-tracking mode. May be called
// from any thread.
void dispatch_after_f(dispatch_time_t when, dispatch_queue_t queue,
                      void *context, dispatch_function_t work);

// dispatch_after_f at once.
void dispatch_async_f(dispatch_queue_t queue, void *context, dispatch_function_t work);

// Calls work(context) on the main thread and waits for it to return. Where the
// main thread's run loop does not run (a host that is no application, waiting
// in its own code), the calling thread serves as the main thread while the work
// runs, one caller at a time. Never call it on the main thread.
void dispatch_sync_f(dispatch_queue_t queue, void *context, dispatch_function_t work);

#ifdef __cplusplus
}
#endif
