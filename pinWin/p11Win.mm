// The library's globals, the controller's base class, the countdown window's
// delegate, and setting up the shared application object.
#import "p11Win.h"
#import "p11DialogThread.h"
#include "keydialogs.h"

extern "C" {
int TIME = 90;
id alert = nil;
NSApplication *myapp = nil;
NSTextField *nameLabel = nil;
id pinLabel = nil;
id inpin = nil;
id tipWin = nil;
NSModalSession session = NULL;
p11Win *pinwin = nil;
NSWindow *win = nil;
id testPanel = nil;
MyDelegate *myDelegate = nil;
NSTimer *timer = nil;

BOOL windowClosed = NO;
int *IsWinCloesd = NULL;
}

@implementation p11Win
- (BOOL) canBecomeKeyWindow
{
  return YES;
}

- (void) dealloc
{
  // The list must not call back into a freed controller.
  [myTableView setDelegate: nil];
  [myTableView setDataSource: nil];
  [myTableView release];
  [tableViewScrollView release];
  [window release];
  [datas release];
  [super dealloc];
}
@end

@implementation MyDelegate
- (BOOL) windowShouldClose: (id)sender
{
  closeWindow_t();
  windowClosed = YES;
  if (IsWinCloesd != NULL)  // a caller that passed no int
    *IsWinCloesd = 0;
  return NO;  // closeWindow_t has closed it already
}
@end

p11Win *p11InstallNewController(void)
{
  p11Win *controller = [[p11Win alloc] init];
  [pinwin release];
  pinwin = controller;
  return controller;
}

static void makeApplication(void *unused)
{
  if (NSApp != nil)
    return;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  [NSApplication sharedApplication];
  [NSApp setActivationPolicy: NSApplicationActivationPolicyRegular];
  [NSApp activateIgnoringOtherApps: YES];
  [pool release];
}

void P11_ConsoleInit(void)
{
  if (NSApp != nil)
    return;
  p11RunDialog(makeApplication, NULL);  // two threads may ask at once
}
