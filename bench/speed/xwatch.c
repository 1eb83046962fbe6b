#include "xwatch.h"
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static int xiOpcode, damageEvent;

double xwNow(void)
{
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

Display *xwOpen(void)
{
  Display *display = XOpenDisplay(NULL);
  int event, error, major = 2, minor = 0;
  if (display == NULL)
    return NULL;
  if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error)
      || XIQueryVersion(display, &major, &minor) != Success
      || !XDamageQueryExtension(display, &damageEvent, &error))
    {
      XCloseDisplay(display);
      return NULL;
    }
  Window root = DefaultRootWindow(display);
  // Map and unmap events of the root's children: the top-level windows.
  XSelectInput(display, root, SubstructureNotifyMask);
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {0};
  XISetMask(bits, XI_RawKeyPress);
  XISetMask(bits, XI_RawKeyRelease);
  XISetMask(bits, XI_RawButtonPress);
  XISetMask(bits, XI_RawButtonRelease);
  XIEventMask mask = { XIAllDevices, sizeof bits, bits };
  XISelectEvents(display, root, &mask, 1);
  XSync(display, False);
  return display;
}

void xwWatchDrawing(Display *display, Window window)
{
  // The damage object goes with the window; raw rectangles need no repair.
  XDamageCreate(display, window, XDamageReportRawRectangles);
  XFlush(display);
}

static void describeWindow(Display *display, XWEvent *e)
{
  XWindowAttributes attributes;
  XTextProperty name;
  Window child;
  e->title[0] = 0;
  if (XGetWindowAttributes(display, e->window, &attributes))
    {
      XTranslateCoordinates(display, e->window, attributes.root, 0, 0,
                            &e->x, &e->y, &child);
      e->width = attributes.width;
      e->height = attributes.height;
    }
  if (XGetWMName(display, e->window, &name) && name.value != NULL)
    {
      char **list = NULL;
      int n = 0;
      if (Xutf8TextPropertyToTextList(display, &name, &list, &n) >= Success && n > 0)
        {
          snprintf(e->title, sizeof e->title, "%s", list[0]);
          XFreeStringList(list);
        }
      XFree(name.value);
    }
}

static int waitReadable(Display *display, double timeout)
{
  if (XPending(display) > 0)
    return 1;
  struct pollfd p = { ConnectionNumber(display), POLLIN, 0 };
  int ms = timeout <= 0 ? 0 : (int)(timeout * 1e3) + 1;
  return poll(&p, 1, ms) > 0;
}

XWEvent xwNext(Display *display, double timeout)
{
  double until = xwNow() + timeout;
  XWEvent e;
  memset(&e, 0, sizeof e);
  while (waitReadable(display, until - xwNow()))
    {
      XEvent x;
      if (XPending(display) == 0)
        {
          if (xwNow() >= until)
            break;
          continue;
        }
      XNextEvent(display, &x);
      e.at = xwNow();
      if (x.type == MapNotify && !x.xmap.override_redirect)
        {
          e.kind = XW_MAP;
          e.window = x.xmap.window;
          describeWindow(display, &e);
          return e;
        }
      if (x.type == UnmapNotify)
        {
          e.kind = XW_UNMAP;
          e.window = x.xunmap.window;
          return e;
        }
      if (x.type == damageEvent + XDamageNotify)
        {
          const XDamageNotifyEvent *d = (const XDamageNotifyEvent *)&x;
          e.kind = XW_DRAWN;
          e.window = d->drawable;
          e.x = d->area.x, e.y = d->area.y;
          e.width = d->area.width, e.height = d->area.height;
          return e;
        }
      if (x.type == GenericEvent && x.xcookie.extension == xiOpcode
          && XGetEventData(display, &x.xcookie))
        {
          switch (x.xcookie.evtype)
            {
            case XI_RawKeyPress: e.kind = XW_KEY_PRESS; break;
            case XI_RawKeyRelease: e.kind = XW_KEY_RELEASE; break;
            case XI_RawButtonPress: e.kind = XW_BUTTON_PRESS; break;
            case XI_RawButtonRelease: e.kind = XW_BUTTON_RELEASE; break;
            }
          XFreeEventData(display, &x.xcookie);
          if (e.kind != XW_NONE)
            return e;
        }
    }
  e.kind = XW_NONE;
  return e;
}

XWEvent xwWaitMap(Display *display, const char *title, double timeout)
{
  double until = xwNow() + timeout;
  for (;;)
    {
      XWEvent e = xwNext(display, until - xwNow());
      if (e.kind == XW_NONE)
        return e;
      if (e.kind == XW_MAP && strncmp(e.title, title, strlen(title)) == 0)
        return e;
    }
}

XWEvent xwWaitKind(Display *display, XWKind kind, double timeout)
{
  double until = xwNow() + timeout;
  for (;;)
    {
      XWEvent e = xwNext(display, until - xwNow());
      if (e.kind == XW_NONE || e.kind == kind)
        return e;
    }
}
