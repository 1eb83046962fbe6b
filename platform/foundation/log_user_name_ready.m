// NSLog must not raise for want of a descriptor.
//
// GNUstep (base 1.28) reads the user defaults on a thread's first NSLog and
// looks the user's name up in the password database for them; when that
// cannot be read (no descriptor left, say) NSUserName raises and the
// process dies, where Apple's NSLog never raises. GNUstep keeps the name once
// found: looking it up while the program loads, when descriptors are to be
// had, spares every later NSLog the lookup.
#import <Foundation/Foundation.h>

@interface KPLogUserNameReady : NSObject
@end

@implementation KPLogUserNameReady
+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  @try
    {
      NSUserName();
    }
  @catch (NSException *exception)
    {
      // Not to be had now either: the first NSLog tries again.
    }
  [pool release];
}
@end
