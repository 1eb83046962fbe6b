// NSLog may be called from several threads at once, the first time too.
//
// GNUstep (base 1.28) makes NSLog's lock on first use and publishes the lock
// before the cached IMP that NSLog calls to take it: a second thread that logs
// for the first time in that window calls a null IMP and the process dies.
// Making the lock while the program is still loading, before any thread of
// ours exists, closes the window.
#import <Foundation/Foundation.h>

@interface KPLogLockReady : NSObject
@end

@implementation KPLogLockReady
+ (void) load
{
  // Foundation's own set-up (its global lock, which GSLogLock takes) comes
  // with the first message to a Foundation class.
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  GSLogLock();
  [pool release];
}
@end
