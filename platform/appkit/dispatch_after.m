// dispatch_after_f over a one-shot NSTimer on the main run loop.
#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

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

// The modes in which main-queue work runs: modal runs and tracking included.
static NSArray *workModes(void)
{
  static NSArray *modes = nil;
  if (modes == nil)
    modes = [[NSArray alloc] initWithObjects: NSDefaultRunLoopMode,
      NSModalPanelRunLoopMode, NSEventTrackingRunLoopMode, nil];
  return modes;
}

// GNUstep's -runMode:beforeDate: fires a due timer and then goes on waiting
// for input, whereas work from the main queue counts as input on macOS: the
// call returns once it has run. After each piece of work a byte on this pipe
// is that input, so a loop that waits for the work wakes up.
@interface KPMainQueueWake : NSObject <RunLoopEvents>
{
  int fds[2];
}
+ (KPMainQueueWake *) mainThreadWake;
- (void) signal;
@end

@implementation KPMainQueueWake
+ (KPMainQueueWake *) mainThreadWake  // on the main thread
{
  static KPMainQueueWake *wake = nil;
  if (wake == nil)
    {
      wake = [KPMainQueueWake new];
      if (pipe(wake->fds) != 0)
        {
          [wake release];  // no wake-up: the work still runs
          wake = nil;
          return nil;
        }
      fcntl(wake->fds[0], F_SETFL, O_NONBLOCK);
      fcntl(wake->fds[1], F_SETFL, O_NONBLOCK);
      NSRunLoop *loop = [NSRunLoop currentRunLoop];
      NSUInteger i;
      for (i = 0; i < [workModes() count]; i++)
        [loop addEvent: (void *)(intptr_t)wake->fds[0] type: ET_RDESC
               watcher: wake forMode: [workModes() objectAtIndex: i]];
    }
  return wake;
}

- (void) signal
{
  // When the pipe is full the loop has wake-ups waiting already.
  ssize_t written = write(fds[1], "w", 1);
  (void)written;
}

- (void) receivedEvent: (void *)data type: (RunLoopEventType)type
                 extra: (void *)extra forMode: (NSString *)mode
{
  char drained[64];
  ssize_t got = read(fds[0], drained, sizeof drained);
  (void)got;
}
@end

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
  NSUInteger i;
  [KPMainQueueWake mainThreadWake];
  for (i = 0; i < [workModes() count]; i++)
    [loop addTimer: t forMode: [workModes() objectAtIndex: i]];
}

- (void) fire: (NSTimer *)t
{
  work(context);
  [[KPMainQueueWake mainThreadWake] signal];
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
