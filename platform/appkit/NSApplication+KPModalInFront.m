// A modal window stays in front of other applications' windows, as AppKit's
// modal panels do (their level is above every application's normal windows).
// X keeps no levels between clients unless a window manager does: without
// one, a browser that raised its own window just as a dialog of its token
// opened (a new tab, its own prompt) hid the dialog behind it, and the user
// saw nothing to answer. While a modal run lasts, the modal window is raised
// again whenever another client's window comes over it; and while it opens,
// the keyboard that another client took from it (Firefox's own prompt, mapped
// just after the PIN window) is given back, so that what the user types goes
// into the dialog. Under a window manager, which reparents the window,
// stacking and focus are left to it, but a modal window that the manager
// iconified (with a button that it draws on every window; AppKit's modal
// windows have none) is mapped again at once: no task bar lists it, and the
// host would wait for an answer from a window that nobody could bring back.
// Whoever gave it, a modal window that has the X focus is made key again
// when GNUstep has let it go: a focus change of a window closed just
// before, handled late on a busy machine, left the modal window with the X
// keyboard and no key window, and every key the user typed was dropped.
#import <AppKit/AppKit.h>
#import <GNUstepGUI/GSDisplayServer.h>
#include <X11/Xlib.h>
#include "KPWindowManager.h"
#include <objc/runtime.h>

// X resource ids carry their client's base in the bits above this mask.
static const XID clientResourceBits = 0x1FFFFF;

static BOOL sameClient(XID a, XID b)
{
  return (a & ~clientResourceBits) == (b & ~clientResourceBits);
}

// How long after its modal run begins the window takes the keyboard back.
static const NSTimeInterval openingSeconds = 2.0;

static BOOL overlaps(const XWindowAttributes *a, const XWindowAttributes *b)
{
  return a->x < b->x + b->width && b->x < a->x + a->width
    && a->y < b->y + b->height && b->y < a->y + a->height;
}

// Whether a viewable window of another client lies over `window` (a child of
// the root), by the root's stacking order, lowest first.
static BOOL coveredByOtherClient(Display *display, Window window)
{
  Window root, parent, *children = NULL;
  unsigned int count, i;
  XWindowAttributes own, other;
  BOOL above = NO, covered = NO;

  if (!XGetWindowAttributes(display, window, &own)
      || !XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    return NO;
  for (i = 0; i < count && !covered; i++)
    {
      if (children[i] == window)
        above = YES;
      else if (above && !sameClient(children[i], window)
               && XGetWindowAttributes(display, children[i], &other)
               && other.map_state == IsViewable && !other.override_redirect
               && overlaps(&own, &other))
        covered = YES;
    }
  if (children != NULL)
    XFree(children);
  return covered;
}

// Whether the X input focus is `window` or inside it.
static BOOL hasInputFocus(Display *display, Window window)
{
  Window focus, root, parent, *children;
  unsigned int count;
  int revert;
  XGetInputFocus(display, &focus, &revert);
  while (focus != None && focus != PointerRoot && focus != window)
    {
      if (!XQueryTree(display, focus, &root, &parent, &children, &count))
        return NO;
      if (children != NULL)
        XFree(children);
      if (focus == root)
        return NO;
      focus = parent;
    }
  return focus == window;
}

static NSString *const keeperKey = @"KPModalInFrontTimer";
static NSString *const openedKey = @"KPModalInFrontOpened";

@interface KPModalInFront : NSObject
+ (void) keepModalWindowInFront: (NSTimer *)timer;
@end

@implementation KPModalInFront
+ (void) keepModalWindowInFront: (NSTimer *)timer
{
  NSWindow *modal = [NSApp modalWindow];
  NSDate *opened = [[[NSThread currentThread] threadDictionary] objectForKey: openedKey];
  GSDisplayServer *server = GSCurrentServer();
  Display *display = server != nil ? (Display *)[server serverDevice] : NULL;
  Window window;

  if (modal == nil || display == NULL || ![modal isVisible])
    return;
  window = (Window)(uintptr_t)[server windowDevice: [modal windowNumber]];
  if (window == 0)
    return;
  if (KPWindowIconified(display, window))
    {
      XMapRaised(display, window);
      XFlush(display);
    }
  if (coveredByOtherClient(display, window))
    {
      XRaiseWindow(display, window);
      XFlush(display);
    }
  if (opened != nil && -[opened timeIntervalSinceNow] < openingSeconds)
    {
      Window focus;
      int revert;
      XGetInputFocus(display, &focus, &revert);
      if (focus != None && focus != PointerRoot && !sameClient(focus, window))
        {
          XSetInputFocus(display, window, RevertToParent, CurrentTime);
          XFlush(display);
        }
    }
  if (![modal isKeyWindow] && [modal canBecomeKeyWindow] && hasInputFocus(display, window))
    [modal makeKeyWindow];
}
@end

static NSModalSession (*beginModalSession)(id, SEL, NSWindow *);

// One repeating timer per thread that runs modal windows, in the modal mode
// only: it fires while a modal run lasts, and never in the host's own loop.
static NSModalSession beginModalSessionKeepingInFront(id self, SEL _cmd, NSWindow *window)
{
  NSMutableDictionary *threadState = [[NSThread currentThread] threadDictionary];
  if ([threadState objectForKey: keeperKey] == nil)
    {
      NSTimer *keeper = [NSTimer timerWithTimeInterval: 0.25 target: [KPModalInFront class]
        selector: @selector(keepModalWindowInFront:) userInfo: nil repeats: YES];
      [[NSRunLoop currentRunLoop] addTimer: keeper forMode: NSModalPanelRunLoopMode];
      [threadState setObject: keeper forKey: keeperKey];
    }
  [threadState setObject: [NSDate date] forKey: openedKey];
  return beginModalSession(self, _cmd, window);
}

@implementation NSApplication (KPModalInFront)
+ (void) load
{
  Method begin = class_getInstanceMethod(self, @selector(beginModalSessionForWindow:));
  beginModalSession = (NSModalSession (*)(id, SEL, NSWindow *))method_setImplementation(
    begin, (IMP)beginModalSessionKeepingInFront);
}
@end
