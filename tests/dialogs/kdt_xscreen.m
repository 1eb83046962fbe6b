#import "kdt_xscreen.h"
#import "kdt_harness.h"
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

static Display *display(void)
{
  static Display *dpy;
  if (dpy == NULL && (dpy = XOpenDisplay(NULL)) == NULL)
    {
      fprintf(stderr, "cannot open the X display\n");
      exit(3);
    }
  return dpy;
}

// GNUstep's X back end answers a window's reference with its X window.
static Window xWindowOf(NSWindow *window)
{
  return [window windowNumber] > 0 ? (Window)[window windowRef] : None;
}

BOOL kdtIsMapped(NSWindow *window)
{
  XWindowAttributes attributes;
  Window w = xWindowOf(window);
  XSync(display(), False);
  return w != None && XGetWindowAttributes(display(), w, &attributes)
    && attributes.map_state != IsUnmapped;
}

void kdtExpectNoWindowMapped(void)
{
  NSArray *windows = [NSApp windows];
  NSUInteger i;
  for (i = 0; i < [windows count]; i++)
    {
      NSWindow *w = [windows objectAtIndex: i];
      if (kdtIsMapped(w))
        {
          fprintf(stderr, "window \"%s\" still on screen\n", [[w title] UTF8String]);
          kdtFailures++;
        }
    }
}

static BOOL isInside(Window inner, Window outer)
{
  Window root, parent, *children;
  unsigned count;
  while (inner != None && inner != outer)
    {
      if (!XQueryTree(display(), inner, &root, &parent, &children, &count))
        return NO;
      if (children != NULL)
        XFree(children);
      inner = parent == root ? None : parent;
    }
  return inner == outer && outer != None;
}

BOOL kdtHasInputFocus(NSWindow *window)
{
  Window focus;
  int revert;
  XGetInputFocus(display(), &focus, &revert);
  return isInside(focus, xWindowOf(window));
}

static unsigned long propertyOf(Window w, const char *name, Atom type,
                                unsigned long *values, unsigned long most)
{
  Atom actualType;
  int format;
  unsigned long count = 0, after;
  unsigned char *data = NULL;
  if (XGetWindowProperty(display(), w, XInternAtom(display(), name, False), 0, most,
                         False, type, &actualType, &format, &count, &after, &data)
      != Success || data == NULL)
    return 0;
  if (count > most)
    count = most;
  memcpy(values, data, count * sizeof *values);  // format 32 comes as longs
  XFree(data);
  return count;
}

BOOL kdtIsTopmost(NSWindow *window)
{
  unsigned long stack[256];
  unsigned long n = propertyOf(DefaultRootWindow(display()), "_NET_CLIENT_LIST_STACKING",
                               XA_WINDOW, stack, 256);
  return n > 0 && stack[n - 1] == xWindowOf(window);
}

NSRect kdtFrameExtents(NSWindow *window)
{
  unsigned long e[4] = { 0 };  // left, right, top, bottom
  propertyOf(xWindowOf(window), "_NET_FRAME_EXTENTS", XA_CARDINAL, e, 4);
  return NSMakeRect(e[0], e[3], e[0] + e[1], e[2] + e[3]);
}

int kdtCountMarks(NSWindow *window, NSView *view, int height)
{
  NSRect r = [window convertRectToScreen: [view convertRect: [view bounds] toView: nil]];
  int top = (int)(NSHeight([[window screen] frame]) - NSMaxY(r));
  int x, y, marks = 0, runTop = 1 << 30, runBottom = -1;
  BOOL inRun = NO;
  XImage *image;

  [window display];
  XSync(display(), False);
  // The middle band, clear of the bezel: bullets sit on the text's centre.
  image = XGetImage(display(), DefaultRootWindow(display()), (int)NSMinX(r) + 4, top + (int)NSHeight(r) / 4,
                    (int)NSWidth(r) - 8, (int)NSHeight(r) / 2, AllPlanes, ZPixmap);
  if (image == NULL)
    return -1;
  for (x = 0; x <= image->width; x++)
    {
      int columnTop = -1, columnBottom = -1;
      for (y = 0; x < image->width && y < image->height; y++)
        {
          unsigned long p = XGetPixel(image, x, y);
          if (((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff) < 3 * 96)
            {
              if (columnTop < 0)
                columnTop = y;
              columnBottom = y;
            }
        }
      if (columnTop >= 0)
        {
          inRun = YES;
          runTop = MIN(runTop, columnTop);
          runBottom = MAX(runBottom, columnBottom);
        }
      else if (inRun)
        {
          if (runBottom - runTop < height)
            marks++;
          inRun = NO;
          runTop = 1 << 30;
          runBottom = -1;
        }
    }
  XDestroyImage(image);
  return marks;
}

BOOL kdtWindowManagerRuns(void)
{
  unsigned long check = 0;
  return propertyOf(DefaultRootWindow(display()), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW,
                    &check, 1) == 1;
}

NSRect kdtOnScreen(NSWindow *window)
{
  XWindowAttributes attributes;
  Window child;
  int x, y;
  NSRect extents = kdtFrameExtents(window);  // left, bottom, width, height added
  Window w = xWindowOf(window);
  if (w == None || !XGetWindowAttributes(display(), w, &attributes))
    return NSZeroRect;
  XTranslateCoordinates(display(), w, DefaultRootWindow(display()), 0, 0, &x, &y, &child);
  return NSMakeRect(x - NSMinX(extents), y - (NSHeight(extents) - NSMinY(extents)),
                    attributes.width + NSWidth(extents), attributes.height + NSHeight(extents));
}

NSSize kdtClientSize(NSWindow *window)
{
  XWindowAttributes attributes;
  Window w = xWindowOf(window);
  if (w == None || !XGetWindowAttributes(display(), w, &attributes))
    return NSZeroSize;
  return NSMakeSize(attributes.width, attributes.height);
}

void kdtAddKeysym(const char *name)
{
  int low, high, perCode, code, i, spare = 0;
  KeySym symbol = XStringToKeysym(name);
  XDisplayKeycodes(display(), &low, &high);
  KeySym *map = XGetKeyboardMapping(display(), low, high - low + 1, &perCode);
  for (code = high; code >= low && spare == 0; code--)
    {
      for (i = 0; i < perCode && map[(code - low) * perCode + i] == NoSymbol; i++)
        ;
      if (i == perCode)
        spare = code;
    }
  XFree(map);
  KDT_CHECK(spare != 0);
  XChangeKeyboardMapping(display(), spare, 1, &symbol, 1);
  XSync(display(), False);
}

static void askManager(NSWindow *window, const char *request, long argument)
{
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = xWindowOf(window);
  event.xclient.message_type = XInternAtom(display(), request, False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = argument;
  XSendEvent(display(), DefaultRootWindow(display()), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XSync(display(), False);
}

void kdtAskManagerToClose(NSWindow *window)
{
  askManager(window, "_NET_CLOSE_WINDOW", CurrentTime);
}

void kdtAskManagerToIconify(NSWindow *window)
{
  askManager(window, "WM_CHANGE_STATE", IconicState);
}
