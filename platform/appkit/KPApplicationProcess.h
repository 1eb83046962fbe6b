#import <AppKit/AppKit.h>

// Whether this process is an application of its own: it has an application
// object already, or it runs from an .app bundle that makes one later. The
// library's load-time trimming of GNUstep leaves such a process as it is.
// Inline: a +load method may call it before another file's selectors exist.
static inline BOOL KPProcessIsApplication(void)
{
  return NSApp != nil || [[[NSBundle mainBundle] bundlePath] hasSuffix: @".app"];
}
