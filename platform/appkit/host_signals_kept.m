// Leaves the host's signal dispositions as they were. GNUstep's base library
// ignores SIGPIPE as it starts (inside the library's load), and its X back end
// puts handlers of its own on SIGINT and SIGTERM when the application object
// is made: a browser then no longer ended on SIGTERM. Neither is needed by the
// dialogs, so in a host that is no application both moments are bracketed:
// every disposition is read before and put back after.
#import <AppKit/AppKit.h>
#import "KPApplicationProcess.h"
#include <objc/runtime.h>
#include <signal.h>

typedef struct
{
  struct sigaction actions[NSIG];
  BOOL read[NSIG];
} KPSignalDispositions;

static void readDispositions(KPSignalDispositions *d)
{
  int s;
  for (s = 1; s < NSIG; s++)
    d->read[s] = sigaction(s, NULL, &d->actions[s]) == 0;
}

static void putBackDispositions(const KPSignalDispositions *d)
{
  struct sigaction now;
  int s;
  for (s = 1; s < NSIG; s++)
    if (d->read[s] && sigaction(s, NULL, &now) == 0
        && (now.sa_handler != d->actions[s].sa_handler
            || now.sa_flags != d->actions[s].sa_flags))
      sigaction(s, &d->actions[s], NULL);
}

// Read by the first constructor of the library, before its classes load.
static KPSignalDispositions atLoad;

__attribute__((constructor(101))) static void readDispositionsAtLoad(void)
{
  readDispositions(&atLoad);
}

static id (*makeSharedApplication)(id, SEL);

static id sharedApplicationKeepingSignals(id self, SEL _cmd)
{
  KPSignalDispositions before;
  id application;

  if (NSApp != nil || KPProcessIsApplication())
    return makeSharedApplication(self, _cmd);
  readDispositions(&before);
  application = makeSharedApplication(self, _cmd);
  putBackDispositions(&before);
  return application;
}

@interface KPHostSignalsKept : NSObject
@end

@implementation KPHostSignalsKept
+ (void) load
{
  // Starts the base library, if no earlier +load has, inside the bracket.
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  Method shared = class_getClassMethod([NSApplication class], @selector(sharedApplication));

  if (!KPProcessIsApplication())
    {
      putBackDispositions(&atLoad);
      makeSharedApplication = (id (*)(id, SEL))method_setImplementation(
        shared, (IMP)sharedApplicationKeepingSignals);
    }
  [pool release];
}
@end
