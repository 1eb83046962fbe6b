// dispatch_after_f and dispatch_async_f over a timer on the main thread's run loop.
#import <AppKit/AppKit.h>
#import "KPAppKitThread.h"
#include <dispatch/dispatch.h>
#include <fcntl.h>
#include <pthread.h>
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
+ (KPMainQueueWake *) wake;
- (void) watchInCurrentRunLoop;
- (void) signal;
@end

@implementation KPMainQueueWake
+ (KPMainQueueWake *) wake  // on the main thread
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
    }
  return wake;
}

- (void) watchInCurrentRunLoop
{
  NSRunLoop *loop = [NSRunLoop currentRunLoop];
  NSUInteger i;
  for (i = 0; i < [workModes() count]; i++)
    [loop addEvent: (void *)(intptr_t)fds[0] type: ET_RDESC
           watcher: self forMode: [workModes() objectAtIndex: i]];
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

// One scheduled piece of work, due at a point of the monotonic clock.
@interface KPDelayedWork : NSObject
{
@public
  void *context;
  dispatch_function_t work;
  uint64_t due;
}
- (void) schedule;
@end

// All main-queue work waits on one repeating timer per thread that has
// served as the main thread (a host without an application lends its calling
// thread for the length of a dialog), in every work mode. It is never
// invalidated, only moved to the next piece's due time: GNUstep drops an
// invalidated timer from a mode's list only when that mode next runs, so a
// one-shot timer per piece stayed behind in the modes that had not run it
// (event tracking mostly), one timer and date per call.
static NSMutableArray *pending;  // of KPDelayedWork, earliest first
static NSString *const timerKey = @"KPMainQueueTimer";

@interface KPMainQueueTimerTarget : NSObject
+ (void) runDueWork: (NSTimer *)t;
@end

static NSTimer *mainQueueTimer(void)  // on the main thread
{
  NSMutableDictionary *threadState = [[NSThread currentThread] threadDictionary];
  NSTimer *timer = [threadState objectForKey: timerKey];
  NSUInteger m;

  if (timer != nil)
    return timer;
  if (pending == nil)
    pending = [NSMutableArray new];
  timer = [[NSTimer alloc] initWithFireDate: [NSDate distantFuture]
    interval: 1e9 target: [KPMainQueueTimerTarget class]
    selector: @selector(runDueWork:) userInfo: nil repeats: YES];
  for (m = 0; m < [workModes() count]; m++)
    [[NSRunLoop currentRunLoop] addTimer: timer forMode: [workModes() objectAtIndex: m]];
  [[KPMainQueueWake wake] watchInCurrentRunLoop];
  [threadState setObject: timer forKey: timerKey];
  [timer release];
  return timer;
}

static void rearmMainQueueTimer(void)
{
  NSDate *next = [NSDate distantFuture];
  if ([pending count] > 0)
    {
      uint64_t due = ((KPDelayedWork *)[pending objectAtIndex: 0])->due, now = nowNanoseconds();
      next = [NSDate dateWithTimeIntervalSinceNow:
        due > now ? (NSTimeInterval)(due - now) / NSEC_PER_SEC : 0];
    }
  [mainQueueTimer() setFireDate: next];
}

@implementation KPMainQueueTimerTarget
+ (void) runDueWork: (NSTimer *)t
{
  uint64_t now = nowNanoseconds();
  BOOL ran = NO;
  // Each piece leaves the list before it runs: the work may schedule more or
  // run a nested loop that fires this timer again.
  while ([pending count] > 0 && ((KPDelayedWork *)[pending objectAtIndex: 0])->due <= now)
    {
      KPDelayedWork *item = [[pending objectAtIndex: 0] retain];
      [pending removeObjectAtIndex: 0];
      item->work(item->context);
      [item release];
      ran = YES;
    }
  rearmMainQueueTimer();
  if (ran)
    [[KPMainQueueWake wake] signal];
}
@end

@implementation KPDelayedWork
- (void) schedule  // on the main thread
{
  NSUInteger i;
  mainQueueTimer();
  i = [pending count];
  // After every piece due no later: work due at the same time runs in order.
  while (i > 0 && ((KPDelayedWork *)[pending objectAtIndex: i - 1])->due > due)
    i--;
  [pending insertObject: self atIndex: i];
  rearmMainQueueTimer();
}
@end

void dispatch_after_f(dispatch_time_t when, dispatch_queue_t queue,
                      void *context, dispatch_function_t work)
{
  NSAutoreleasePool *pool;
  KPDelayedWork *item;
  uint64_t now;

  (void)queue;  // only the main queue exists
  if (when == DISPATCH_TIME_FOREVER)
    return;
  pool = [NSAutoreleasePool new];
  now = nowNanoseconds();
  item = [KPDelayedWork new];
  item->context = context;
  item->work = work;
  item->due = when != DISPATCH_TIME_NOW && when > now ? when : now;
  if (pthread_main_np())
    [item schedule];
  else
    [item performSelector: @selector(schedule) onThread: KPAppKitThread()
               withObject: nil waitUntilDone: NO modes: workModes()];
  [item release];
  [pool release];
}

void dispatch_async_f(dispatch_queue_t queue, void *context, dispatch_function_t work)
{
  dispatch_after_f(DISPATCH_TIME_NOW, queue, context, work);
}
