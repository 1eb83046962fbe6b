// Keeps GNUstep's session-wide notifications out of a process that the library
// turns into an application (a PKCS#11 host: no application object, no .app
// bundle). GNUstep relays them through the session's notification daemon
// (gdnc): where none runs, the first use starts one and polls for it, 65-160
// ms. The workspace does so at the first window; the X back end at the first
// click, from inside its event handling, where the click's release is then
// lost and the button stays pressed. Nothing in such a process posts to or
// hears from other processes: the workspace centre here delivers in the
// process as a plain notification centre does, and the distributed centre
// never connects (posts reach no other process, observers hear none).
// An application keeps both as they are.
#import <AppKit/AppKit.h>
#import "KPApplicationProcess.h"
#include <objc/runtime.h>

@interface KPLocalNotificationCenters : NSObject
@end

static void stayUnconnected(id self, SEL _cmd)
{
}

// Whether `class` answers `selector` with a method of its own, not `plain`'s.
static BOOL ownMethod(Class class, SEL selector, Class plain)
{
  Method own = class_getInstanceMethod(class, selector);
  return own != NULL && own != class_getInstanceMethod(plain, selector);
}

@implementation KPLocalNotificationCenters

+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  Class workspaceCenter = objc_getClass("_GSWorkspaceCenter");
  Class distributed = objc_getClass("NSDistributedNotificationCenter");
  Class plain = objc_getClass("NSNotificationCenter");
  SEL connect = sel_registerName("_connect");
  SEL replaced[] = { @selector(init), @selector(postNotification:) };
  unsigned i;

  // GNUstep's private methods are all there, or nothing is changed.
  BOOL known = workspaceCenter != Nil && distributed != Nil
    && class_getSuperclass(workspaceCenter) == plain
    && class_getSuperclass(distributed) == plain
    && class_getInstanceMethod(distributed, connect) != NULL;
  for (i = 0; known && i < 2; i++)
    known = ownMethod(workspaceCenter, replaced[i], plain);
  if (known && !KPProcessIsApplication())
    {
      for (i = 0; i < 2; i++)
        class_replaceMethod(workspaceCenter, replaced[i],
          method_getImplementation(class_getInstanceMethod(plain, replaced[i])),
          method_getTypeEncoding(class_getInstanceMethod(plain, replaced[i])));
      class_replaceMethod(distributed, connect, (IMP)stayUnconnected,
        method_getTypeEncoding(class_getInstanceMethod(distributed, connect)));
    }
  [pool release];
}

@end
