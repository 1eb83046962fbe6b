// Keeps a process that the library turns into an application (a PKCS#11 host:
// no application object, no .app bundle) out of GNUstep's services. Its launch
// would register the process under its name with the session's port name
// server, so that other programs could ask it for the services it offers and
// send it documents to open: a connection, a port and a name file, about 3 ms
// of the first dialog. Such a host offers no services and opens no documents;
// only the dialogs run in it. An application keeps its registration.
#import <AppKit/AppKit.h>
#import "KPApplicationProcess.h"
#include <objc/runtime.h>

@interface KPServicesProviderInApplicationsOnly : NSObject
@end

static void registerNothing(id self, SEL _cmd)
{
}

@implementation KPServicesProviderInApplicationsOnly

+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  Class services = objc_getClass("GSServicesManager");
  SEL registration = sel_registerName("registerAsServiceProvider");
  Method method = services != Nil ? class_getInstanceMethod(services, registration) : NULL;
  if (method != NULL && !KPProcessIsApplication())
    method_setImplementation(method, (IMP)registerNothing);
  [pool release];
}

@end
