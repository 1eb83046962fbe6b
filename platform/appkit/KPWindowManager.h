#include <X11/Xlib.h>
#include <objc/objc.h>

// Whether a window manager runs on `display` (EWMH: the root window names a
// window that names itself as the manager's check window).
BOOL KPWindowManagerRuns(Display *display);
// Whether the window manager has iconified `w` (ICCCM's WM_STATE).
BOOL KPWindowIconified(Display *display, Window w);
