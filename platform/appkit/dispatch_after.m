// dispatch_after_f over a one-shot NSTimer on the main run loop.
#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>
#include <time.h>

struct kp_dispatch_queue { int unused; };
static struct kp_dispatch_queue mainQueue;

static uint64_t nowNanoseconds(void)
{
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (uint64_t)ts.tv_sec * NSEC_PER_SEC + (uint64_t)ts.tv_nsec;
}

dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta)
{
  if (when == DISPATCH_TIME_FOREVER)
    return DISPATCH_TIME_FOREVER;
  if (when == DISPATCH_TIME_NOW)
    when = nowNanoseconds();
  return (dispatch_time_t)((int64_t)when + delta);
}

dispatch_queue_t dispatch_get_main_queue(void)
{
  return &mainQueue;
}

// One scheduled piece of work; the timer keeps it alive until it has fired.
@interface KPDelayedWork : NSObject
{
  void *context;
  dispatch_function_t work;
  NSTimeInterval delay;
}
- (id) initWithContext: (void *)c work: (dispatch_function_t)w delay: (NSTimeInterval)d;
- (void) schedule;
- (void) fire: (NSTimer *)t;
@end

@implementation KPDelayedWork
- (id) initWithContext: (void *)c work: (dispatch_function_t)w delay: (NSTimeInterval)d
{
  if ((self = [super init]) != nil)
    {
      context = c;
      work = w;
      delay = d;
    }
  return self;
}

- (void) schedule
{
  NSTimer *t = [NSTimer timerWithTimeInterval: delay target: self
                                     selector: @selector(fire:)
                                     userInfo: nil repeats: NO];
  NSRunLoop *loop = [NSRunLoop currentRunLoop];
  [loop addTimer: t forMode: NSDefaultRunLoopMode];
  [loop addTimer: t forMode: NSModalPanelRunLoopMode];
  [loop addTimer: t forMode: NSEventTrackingRunLoopMode];
}

- (void) fire: (NSTimer *)t
{
  work(context);
}
@end

void dispatch_after_f(dispatch_time_t when, dispatch_queue_t queue,
                      void *context, dispatch_function_t work)
{
  NSAutoreleasePool *pool;
  KPDelayedWork *item;
  uint64_t now;
  NSTimeInterval delay = 0;

  (void)queue;  // only the main queue exists
  if (when == DISPATCH_TIME_FOREVER)
    return;
  pool = [NSAutoreleasePool new];
  now = nowNanoseconds();
  if (when != DISPATCH_TIME_NOW && when > now)
    delay = (NSTimeInterval)(when - now) / NSEC_PER_SEC;
  item = [[KPDelayedWork alloc] initWithContext: context work: work delay: delay];
  if ([NSThread isMainThread])
    [item schedule];
  else
    [item performSelectorOnMainThread: @selector(schedule) withObject: nil
                        waitUntilDone: NO];
  [item release];
  [pool release];
}
