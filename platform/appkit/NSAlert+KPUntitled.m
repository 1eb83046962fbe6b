// AppKit's alert panels carry no window title; GNUstep's are titled by their
// style ("Alert" and the like). The panel is built in -_setupPanel when the
// alert is run; the hook below lets that build happen and then clears the
// title, before the panel is shown.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

@interface NSAlert (KPUntitled)
- (void) kpUntitledSetupPanel;
@end

@implementation NSAlert (KPUntitled)

// Exchanged with -_setupPanel at load: calling it here runs GNUstep's (or
// whatever other hook already stands in front of it).
- (void) kpUntitledSetupPanel
{
  [self kpUntitledSetupPanel];
  [[self window] setTitle: @""];
}

+ (void) load
{
  Method setup = class_getInstanceMethod(self, NSSelectorFromString(@"_setupPanel"));
  if (setup != NULL)
    method_exchangeImplementations(setup,
      class_getInstanceMethod(self, @selector(kpUntitledSetupPanel)));
}

@end
