// Ending a modal session from inside its own run, as AppKit allows. GNUstep's
// -endModalSession: frees the session at once, so the -runModalSession: that
// is handling the event then raises ("Session was changed while running") or
// reads the freed session. Here an end asked for while that session's run is
// under way marks the session ended and is carried out as soon as the run
// returns; every other end goes straight to GNUstep's.
//
// GNUstep also brings the window of the session below to the front when a
// session ends. Where that session has been ended already (a dialog started
// from a callback of its run, after the end), its window stays as it was.
//
// Plain Objective-C: the run may raise, and only here can @finally see it.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

// One -runModalSession: under way; the innermost is `runs`, nested runs
// (a dialog started from a callback of another's run) point outwards.
typedef struct KPSessionRun
{
  NSModalSession session;
  NSWindow *window;  // the session's, not retained: the run's owner keeps it
  BOOL endAsked;
  BOOL windowHidden;  // while a nested session ends
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
- (void) kpEndSessionNow: (NSModalSession)session;
@end

@implementation NSApplication (KPModalSessionEnd)

// The two methods below are exchanged with GNUstep's at load: calling
// -kpRunModalSession: or -kpEndModalSession: runs GNUstep's.

// Answers what the run answered: NSModalResponseContinue unless the session
// was also stopped, whether or not it was ended meanwhile.
- (NSInteger) kpRunModalSession: (NSModalSession)session
{
  KPSessionRun run = { session, nil, NO, NO, runs };
  NSInteger response;

  if (session == _session)  // any other GNUstep refuses at once
    run.window = [self modalWindow];
  runs = &run;
  @try
    {
      response = [self kpRunModalSession: session];
    }
  @finally
    {
      runs = run.outer;
      if (run.endAsked)
        [self kpEndSessionNow: session];
    }
  return response;
}

- (void) kpEndModalSession: (NSModalSession)session
{
  KPSessionRun *run = session != NULL ? runOf(session) : NULL;
  if (run != NULL)
    run->endAsked = YES;
  else
    [self kpEndSessionNow: session];
}

// GNUstep's end, and the window of an ended session below put back out of
// sight if the end brought it up.
- (void) kpEndSessionNow: (NSModalSession)session
{
  KPSessionRun *run;
  for (run = runs; run != NULL; run = run->outer)
    run->windowHidden = ![run->window isVisible];
  [self kpEndModalSession: session];
  run = runOf(_session);
  if (run != NULL && run->endAsked && run->windowHidden && [run->window isVisible])
    [run->window orderOut: self];
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
