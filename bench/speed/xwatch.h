// An X event watcher: top-level windows being mapped and unmapped, raw key and
// button events (XInput 2) and, for windows asked for, what is drawn into them
// (DAMAGE), as the server delivers them, each stamped with CLOCK_MONOTONIC on
// arrival, so that they compare with other processes' clocks.
#pragma once
#include <X11/Xlib.h>

typedef enum { XW_NONE, XW_MAP, XW_UNMAP, XW_KEY_PRESS, XW_KEY_RELEASE,
               XW_BUTTON_PRESS, XW_BUTTON_RELEASE, XW_DRAWN } XWKind;

typedef struct
{
  XWKind kind;
  double at;            // CLOCK_MONOTONIC seconds, on arrival
  Window window;        // XW_MAP, XW_UNMAP, XW_DRAWN: the window
  int x, y, width, height;  // XW_MAP: its place on the screen; XW_DRAWN: the
                            // rectangle drawn, in the window's coordinates
  char title[256];      // XW_MAP: its title in UTF-8 ("" when none yet)
} XWEvent;

// Opens $DISPLAY and starts watching; returns NULL when the display,
// XInput 2 or DAMAGE is missing.
Display *xwOpen(void);

// Reports every rectangle drawn into `window` from now on, as XW_DRAWN.
void xwWatchDrawing(Display *display, Window window);

// The next event, or kind XW_NONE after `timeout` seconds without one.
XWEvent xwNext(Display *display, double timeout);

// Waits up to `timeout` seconds for a window to be mapped whose title starts
// with `title` ("" takes any); events in between are dropped.
XWEvent xwWaitMap(Display *display, const char *title, double timeout);

// Waits up to `timeout` seconds for an event of `kind`.
XWEvent xwWaitKind(Display *display, XWKind kind, double timeout);

double xwNow(void);
