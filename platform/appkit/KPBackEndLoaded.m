#import "KPBackEndLoaded.h"

@interface KPBackEndObserver : NSObject
{
  void (*function)(void);
}
@end

@implementation KPBackEndObserver

- (id) initWithFunction: (void (*)(void))f
{
  if ((self = [super init]) != nil)
    function = f;
  return self;
}

// GNUstep's back ends are bundles whose principal class is GSBackend.
- (void) bundleDidLoad: (NSNotification *)notification
{
  if (![NSStringFromClass([[notification object] principalClass]) isEqual: @"GSBackend"])
    return;
  [[NSNotificationCenter defaultCenter] removeObserver: self];
  function();
  [self release];
}

@end

void KPWhenBackEndLoaded(void (*function)(void))
{
  KPBackEndObserver *observer = [[KPBackEndObserver alloc] initWithFunction: function];
  [[NSNotificationCenter defaultCenter] addObserver: observer
                                           selector: @selector(bundleDidLoad:)
                                               name: NSBundleDidLoadNotification
                                             object: nil];
}
