// What the X server shows of the host's windows, asked over a connection of
// the test's own (not what GNUstep believes).
#pragma once
#import <AppKit/AppKit.h>

// Whether the X window of `window` is mapped.
BOOL kdtIsMapped(NSWindow *window);
// Checks that no window of the process is mapped on the X server.
void kdtExpectNoWindowMapped(void);
// Whether the X input focus is on `window` (or inside it).
BOOL kdtHasInputFocus(NSWindow *window);
// Whether `window` is the topmost window that the window manager stacks.
BOOL kdtIsTopmost(NSWindow *window);
// The frame that the window manager put around `window` (zero when none).
NSRect kdtFrameExtents(NSWindow *window);
// The number of bullets drawn in `rect` of `window`: separate dark marks no
// taller than `height` pixels (a caret is taller).
int kdtCountMarks(NSWindow *window, NSView *view, int height);
// Whether a window manager runs on the display.
BOOL kdtWindowManagerRuns(void);
// The size of `window`'s own X window (inside any frame of the manager's).
NSSize kdtClientSize(NSWindow *window);
// The rectangle that `window` and its frame take on screen, X coordinates.
NSRect kdtOnScreen(NSWindow *window);
// Gives the keysym named `name` a spare keycode of the keyboard, so that
// xdotool types it without changing the keymap while a dialog runs.
void kdtAddKeysym(const char *name);
// Asks the window manager to close or to iconify `window`, as its frame's
// buttons do (EWMH's _NET_CLOSE_WINDOW, ICCCM's WM_CHANGE_STATE).
void kdtAskManagerToClose(NSWindow *window);
void kdtAskManagerToIconify(NSWindow *window);
