// Keeps the workspace's notifications inside a process that the library turns
// into an application. GNUstep's workspace relays them through the session's
// notification daemon (gdnc): where none runs, the first workspace of a
// process starts one and polls for it, 65-160 ms of the first dialog, and all
// that the dialogs' process ever posts there is its own launch and
// activation. Here the workspace centre delivers in the process, as a plain
// notification centre does. An application (an application object already,
// or an .app bundle that makes one later) keeps the session-wide centre.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

@interface KPLocalWorkspaceCenter : NSObject
@end

@implementation KPLocalWorkspaceCenter

+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  Class workspaceCenter = NSClassFromString(@"_GSWorkspaceCenter");
  Class plain = [NSNotificationCenter class];
  BOOL application = NSApp != nil
    || [[[NSBundle mainBundle] bundlePath] hasSuffix: @".app"];
  SEL replaced[] = { @selector(init), @selector(postNotification:) };
  unsigned i;

  // Both of GNUstep's methods are there, or nothing is changed.
  for (i = 0; workspaceCenter != Nil && i < 2; i++)
    if (class_getInstanceMethod(workspaceCenter, replaced[i]) == NULL
        || class_getInstanceMethod(workspaceCenter, replaced[i])
             == class_getInstanceMethod(plain, replaced[i]))
      workspaceCenter = Nil;
  if (workspaceCenter != Nil && [workspaceCenter isSubclassOfClass: plain] && !application)
    for (i = 0; i < 2; i++)
      class_replaceMethod(workspaceCenter, replaced[i],
        method_getImplementation(class_getInstanceMethod(plain, replaced[i])),
        method_getTypeEncoding(class_getInstanceMethod(plain, replaced[i])));
  [pool release];
}

@end
