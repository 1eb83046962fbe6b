// Ending a modal session from inside its own run, as AppKit allows. GNUstep's
// -endModalSession: frees the session at once, so the -runModalSession: that
// is handling the event then raises ("Session was changed while running") or
// reads the freed session. Here an end asked for while that session's run is
// under way marks the session ended and is carried out as soon as the run
// returns; every other end goes straight to GNUstep's.
//
// Plain Objective-C: the run may raise, and only here can @finally see it.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

// One -runModalSession: under way; the innermost is `runs`, nested runs
// (a dialog started from a callback of another's run) point outwards.
typedef struct KPSessionRun
{
  NSModalSession session;
  BOOL endAsked;
  struct KPSessionRun *outer;
} KPSessionRun;

// Modal sessions live on the main thread only, so nothing here is locked.
static KPSessionRun *runs;

static KPSessionRun *runOf(NSModalSession session)
{
  KPSessionRun *run;
  for (run = runs; run != NULL; run = run->outer)
    if (run->session == session)
      return run;
  return NULL;
}

@interface NSApplication (KPModalSessionEnd)
- (NSInteger) kpRunModalSession: (NSModalSession)session;
- (void) kpEndModalSession: (NSModalSession)session;
@end

@implementation NSApplication (KPModalSessionEnd)

// The two methods below are exchanged with GNUstep's at load: calling a kp
// method from inside itself runs GNUstep's.

// Answers what the run answered: NSModalResponseContinue unless the session
// was also stopped, whether or not it was ended meanwhile.
- (NSInteger) kpRunModalSession: (NSModalSession)session
{
  KPSessionRun run = { session, NO, runs };
  NSInteger response;

  runs = &run;
  @try
    {
      response = [self kpRunModalSession: session];
    }
  @finally
    {
      runs = run.outer;
      if (run.endAsked)
        [self kpEndModalSession: session];
    }
  return response;
}

- (void) kpEndModalSession: (NSModalSession)session
{
  KPSessionRun *run = session != NULL ? runOf(session) : NULL;
  if (run != NULL)
    run->endAsked = YES;
  else
    [self kpEndModalSession: session];
}

+ (void) load
{
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(runModalSession:)),
    class_getInstanceMethod(self, @selector(kpRunModalSession:)));
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(endModalSession:)),
    class_getInstanceMethod(self, @selector(kpEndModalSession:)));
}

@end
