// Title bars: where a window manager runs, it draws the windows' frames, as
// on macOS the window server does, and GNUstep must not draw a second title
// bar inside them (the settings default to GNUstep's own title bars, so that
// a dialog has its title on a bare X server too). The display is asked once,
// as the application object is made.
#import <Foundation/Foundation.h>
#import "KPBackEndLoaded.h"
#include "KPWindowManager.h"

static void decorationsByWindowManager(void)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  Display *display = XOpenDisplay(NULL);
  if (display != NULL)
    {
      if (KPWindowManagerRuns(display))
        [[NSUserDefaults standardUserDefaults] registerDefaults:
          [NSDictionary dictionaryWithObject: @"YES"
                                      forKey: @"GSBackHandlesWindowDecorations"]];
      XCloseDisplay(display);
    }
  [pool release];
}

@interface KPWindowManagerDecorations : NSObject
@end

@implementation KPWindowManagerDecorations
+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  KPWhenBackEndLoaded(decorationsByWindowManager);
  [pool release];
}
@end
