// Plain Objective-C: @catch works here, not in g++'s Objective-C++.
#import "p11Modal.h"
#include <dispatch/dispatch.h>
#include <stdlib.h>

NSInteger p11RunWindowModal(NSWindow *window, id sender)
{
  NSInteger response = NSModalResponseAbort;
  @try
    {
      [window makeKeyAndOrderFront: sender];
      response = [NSApp runModalForWindow: window];
    }
  @catch (NSException *e)
    {
    }
  return response;
}

NSInteger p11RunAlert(NSAlert *anAlert)
{
  NSInteger response = NSModalResponseAbort;
  @try
    {
      response = [anAlert runModal];
    }
  @catch (NSException *e)
    {
    }
  return response;
}

NSInteger p11RunModalSession(NSModalSession modalSession)
{
  NSInteger response = NSModalResponseAbort;
  @try
    {
      response = [NSApp runModalSession: modalSession];
    }
  @catch (NSException *e)
    {
    }
  return response;
}

// The flag that the half-second callback sets. The callback may run after
// the wait has returned, so whichever of the two comes last frees it.
typedef struct
{
  BOOL timeUp;
  BOOL waitOver;
} SettleFlag;

static void settleTimeUp(void *context)
{
  SettleFlag *flag = context;
  if (flag->waitOver)
    free(flag);
  else
    flag->timeUp = YES;
}

void p11SettleWait(p11DecidedTest decided, const void *context)
{
  SettleFlag *flag = calloc(1, sizeof *flag);
  NSRunLoop *loop = [NSRunLoop currentRunLoop];

  if (flag == NULL)
    return;
  dispatch_after_f(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_SEC / 2),
                   dispatch_get_main_queue(), flag, settleTimeUp);
  while (!flag->timeUp && !decided(context))
    {
      NSAutoreleasePool *pool = [NSAutoreleasePool new];
      [loop runMode: NSDefaultRunLoopMode beforeDate: [NSDate distantFuture]];
      [pool release];
    }
  if (flag->timeUp)
    free(flag);
  else
    flag->waitOver = YES;
}

BOOL p11ResultIsDecided(const void *result)
{
  int value = *(const int *)result;
  return value == 0 || value == 1;
}
