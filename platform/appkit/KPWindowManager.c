#include "KPWindowManager.h"
#include <X11/Xatom.h>

static Window checkWindowOf(Display *display, Window w)
{
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char *data = NULL;
  Window named = None;
  if (XGetWindowProperty(display, w, check, 0, 1, False, XA_WINDOW, &type, &format,
                         &count, &after, &data) == Success && data != NULL)
    {
      if (count == 1 && format == 32)
        named = *(Window *)data;
      XFree(data);
    }
  return named;
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
