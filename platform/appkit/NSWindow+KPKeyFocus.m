// The key window has the keyboard. On a bare X server GNUstep asks no one
// for it, and the keys go wherever the pointer is (X's default focus): to
// another application's window under it, while the dialog waits in front.
// There the key window takes the X input focus itself. Under a window
// manager GNUstep's request came too late at times: a window made key just
// after another of the process had gone lost the focus to the window the
// manager had fallen back to. There the manager is asked to activate it.
#import <AppKit/AppKit.h>
#import <GNUstepGUI/GSDisplayServer.h>
#include "KPWindowManager.h"
#include <objc/runtime.h>
#include <string.h>

static BOOL bareServer(Display *display)
{
  static int answer = -1;  // asked once: the main thread's windows only
  if (answer < 0)
    answer = !KPWindowManagerRuns(display);
  return answer;
}

// EWMH's activation request, as a pager makes it for the user.
static void askToActivate(Display *display, Window w)
{
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = w;
  event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 2;
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display);
}

@implementation NSWindow (KPKeyFocus)

// Exchanged with -makeKeyWindow at load: calling it here runs GNUstep's own.
- (void) kpMakeKeyWindow
{
  GSDisplayServer *server;
  Display *display;
  [self kpMakeKeyWindow];
  server = GSServerForWindow(self);
  display = [server serverDevice];
  if ([self isKeyWindow] && [self isVisible] && display != NULL)
    {
      Window w = (Window)[server windowDevice: [self windowNumber]];
      if (w == None)
        return;
      if (bareServer(display))
        XSetInputFocus(display, w, RevertToParent, CurrentTime);
      else
        askToActivate(display, w);
    }
}

+ (void) load
{
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(makeKeyWindow)),
    class_getInstanceMethod(self, @selector(kpMakeKeyWindow)));
}

@end
