#include "KPWindowManager.h"
#include <X11/Xatom.h>
#include <X11/Xutil.h>

// One 32-bit value of a window's property, where it has one of that type.
static BOOL propertyValue(Display *display, Window w, const char *name, Atom type,
                          unsigned long *value)
{
  Atom actual;
  int format;
  unsigned long count, after;
  unsigned char *data = NULL;
  BOOL found = NO;
  if (XGetWindowProperty(display, w, XInternAtom(display, name, False), 0, 1, False, type,
                         &actual, &format, &count, &after, &data) == Success && data != NULL)
    {
      if ((found = count == 1 && format == 32))
        *value = *(unsigned long *)data;
      XFree(data);
    }
  return found;
}

static Window checkWindowOf(Display *display, Window w)
{
  unsigned long named;
  return propertyValue(display, w, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, &named)
    ? (Window)named : None;
}

static int ignoreError(Display *display, XErrorEvent *error)
{
  return 0;
}

BOOL KPWindowManagerRuns(Display *display)
{
  Window check;
  BOOL runs;
  int (*previous)(Display *, XErrorEvent *);
  if (display == NULL)
    return NO;
  check = checkWindowOf(display, DefaultRootWindow(display));
  if (check == None)
    return NO;
  // A manager that has gone leaves the root's property naming a window that
  // is no more.
  XSync(display, False);
  previous = XSetErrorHandler(ignoreError);
  runs = checkWindowOf(display, check) == check;
  XSync(display, False);
  XSetErrorHandler(previous);
  return runs;
}

BOOL KPWindowIconified(Display *display, Window w)
{
  unsigned long state;
  Atom type = XInternAtom(display, "WM_STATE", False);
  return propertyValue(display, w, "WM_STATE", type, &state) && state == IconicState;
}
