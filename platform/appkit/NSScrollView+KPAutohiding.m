// Autohiding scrollers as AppKit has it. AppKit hides the scrollers that were
// asked for while they are not needed; GNUstep's autohiding also shows a
// scroller that was never asked for once the document outgrows the view. So
// GNUstep autohides here only while some scroller has been asked for (and may
// then show the other one too).
#import "KPSideObjects.h"
#include <objc/runtime.h>

@interface KPAutohiding : NSObject
{
@public
  BOOL autohides;  // what the owner asked for
}
@end

@implementation KPAutohiding
@end

@interface NSScrollView (KPAutohiding)
- (void) kpApplyAutohiding;
- (void) kpSetAutohidesScrollers: (BOOL)flag;
@end

@implementation NSScrollView (KPAutohiding)

// Hands GNUstep the autohiding that AppKit's would amount to now.
- (void) kpApplyAutohiding
{
  KPAutohiding *asked = KPSideObject(self, [KPAutohiding class], NO);
  BOOL on = asked != nil && asked->autohides && (_hasVertScroller || _hasHorizScroller);
  [self kpSetAutohidesScrollers: on];
}

// The methods below are exchanged with the platform's own at load, so that
// calling a kp method from inside itself runs the platform's.

- (void) kpSetAutohidesScrollers: (BOOL)flag
{
  KPAutohiding *asked = KPSideObject(self, [KPAutohiding class], YES);
  asked->autohides = flag;
  [self kpApplyAutohiding];
}

- (BOOL) kpAutohidesScrollers
{
  KPAutohiding *asked = KPSideObject(self, [KPAutohiding class], NO);
  return asked != nil ? asked->autohides : [self kpAutohidesScrollers];
}

// While GNUstep autohides, it calls these itself; otherwise only the owner does.
- (void) kpSetHasVerticalScroller: (BOOL)flag
{
  [self kpSetHasVerticalScroller: flag];
  if (!_autohidesScrollers)
    [self kpApplyAutohiding];
}

- (void) kpSetHasHorizontalScroller: (BOOL)flag
{
  [self kpSetHasHorizontalScroller: flag];
  if (!_autohidesScrollers)
    [self kpApplyAutohiding];
}

static void exchange(Class c, SEL platform, SEL replacement)
{
  method_exchangeImplementations(class_getInstanceMethod(c, platform),
                                 class_getInstanceMethod(c, replacement));
}

+ (void) load
{
  exchange(self, @selector(setAutohidesScrollers:), @selector(kpSetAutohidesScrollers:));
  exchange(self, @selector(autohidesScrollers), @selector(kpAutohidesScrollers));
  exchange(self, @selector(setHasVerticalScroller:), @selector(kpSetHasVerticalScroller:));
  exchange(self, @selector(setHasHorizontalScroller:), @selector(kpSetHasHorizontalScroller:));
}

@end
