// A window manager's close button asks a window to close (WM_DELETE_WINDOW)
// where the window says that it understands the request; where it does not,
// the manager ends the whole client (XKillClient). GNUstep names the request
// only for windows with a close button of their own, and no window of the
// library has one (as on macOS, they are titled only): the close button that
// openbox draws on every window all the same ended the host process, and a
// browser with it. Every window names the request once it is ordered in, and
// the request reaches -performClose:, which AppKit answers for a window
// without a close button with a beep and nothing else.
#import <AppKit/AppKit.h>
#import <GNUstepGUI/GSDisplayServer.h>
#include <X11/Xlib.h>
#include <objc/runtime.h>
#include <stdlib.h>
#include <string.h>

typedef void (*OrderImp)(id, SEL, NSWindowOrderingMode, NSInteger);
static OrderImp orderWindow;

static void nameCloseRequest(NSWindow *window)
{
  GSDisplayServer *server = GSServerForWindow(window);
  Display *display = server != nil ? (Display *)[server serverDevice] : NULL;
  Window w = display != NULL && [window windowNumber] > 0
    ? (Window)(uintptr_t)[server windowDevice: [window windowNumber]] : None;
  Atom request, *protocols = NULL, *named;
  int count = 0, i;
  if (w == None)
    return;
  request = XInternAtom(display, "WM_DELETE_WINDOW", False);
  if (!XGetWMProtocols(display, w, &protocols, &count))
    count = 0;
  for (i = 0; i < count && protocols[i] != request; i++)
    ;
  if (i == count && (named = malloc((count + 1) * sizeof *named)) != NULL)
    {
      if (count > 0)
        memcpy(named, protocols, count * sizeof *named);
      named[count] = request;
      XSetWMProtocols(display, w, named, count + 1);
      free(named);
    }
  if (protocols != NULL)
    XFree(protocols);
}

static void orderWindowNamingCloseRequest(id self, SEL _cmd, NSWindowOrderingMode place,
                                          NSInteger other)
{
  orderWindow(self, _cmd, place, other);
  if (place != NSWindowOut)
    nameCloseRequest(self);
}

@interface KPCloseRequest : NSObject
@end

@implementation KPCloseRequest
+ (void) load
{
  Method order = class_getInstanceMethod([NSWindow class],
                                         @selector(orderWindow:relativeTo:));
  orderWindow = (OrderImp)method_setImplementation(order, (IMP)orderWindowNamingCloseRequest);
}
@end
