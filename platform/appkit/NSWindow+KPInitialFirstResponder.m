// AppKit's default initial first responder. A window whose
// initialFirstResponder is not set picks one when it is first placed on
// screen: the first view of its key view loop (top to bottom, left to right)
// that takes the keyboard without full keyboard access, a text field that
// can be edited or selected, or a list. With none, the window itself keeps
// the keyboard. GNUstep picks the first subview that accepts first
// responder, a picture or a button among them, and its alerts give their
// default button the keyboard, so keys typed into a dialog straight away
// went nowhere. Buttons and pictures never take the keyboard in AppKit
// without full keyboard access.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

static BOOL takesKeyboardByDefault(NSView *view)
{
  if ([view isHiddenOrHasHiddenAncestor] || ![view acceptsFirstResponder])
    return NO;
  return [view needsPanelToBecomeKey] || [view isKindOfClass: [NSTableView class]];
}

// Whether `a` comes before `b` in the key view loop, both in window
// coordinates (y upwards).
static BOOL comesBefore(NSRect a, NSRect b)
{
  if (NSMaxY(a) != NSMaxY(b))
    return NSMaxY(a) > NSMaxY(b);
  return NSMinX(a) < NSMinX(b);
}

static void findFirst(NSView *view, NSView **best, NSRect *bestFrame)
{
  NSArray *subviews = [view subviews];
  NSUInteger i;
  for (i = 0; i < [subviews count]; i++)
    {
      NSView *child = [subviews objectAtIndex: i];
      if (takesKeyboardByDefault(child))
        {
          NSRect frame = [child convertRect: [child bounds] toView: nil];
          if (*best == nil || comesBefore(frame, *bestFrame))
            {
              *best = child;
              *bestFrame = frame;
            }
        }
      else  // a list's or a field's own parts are not candidates of their own
        findFirst(child, best, bestFrame);
    }
}

@implementation NSWindow (KPInitialFirstResponder)

// Exchanged with -orderWindow:relativeTo: at load, through which every way of
// putting a window on screen goes: calling it here runs GNUstep's own.
- (void) kpOrderWindow: (NSWindowOrderingMode)place relativeTo: (NSInteger)other
{
  BOOL firstPlacing = place != NSWindowOut && !_f.has_opened;
  if (firstPlacing && _initialFirstResponder == nil)
    {
      NSView *first = nil;
      NSRect frame = NSZeroRect;
      findFirst(_contentView, &first, &frame);
      // The content view refuses to be first responder, so with no candidate
      // GNUstep's own pick is not made and the window keeps the keyboard.
      [self setInitialFirstResponder: first != nil ? first : _contentView];
    }
  [self kpOrderWindow: place relativeTo: other];
  if (firstPlacing && [_firstResponder isKindOfClass: [NSView class]]
      && ![_firstResponder isKindOfClass: [NSText class]]
      && !takesKeyboardByDefault(_firstResponder))
    {
      if (![self makeFirstResponder: _initialFirstResponder])
        [self makeFirstResponder: self];
    }
}

+ (void) load
{
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(orderWindow:relativeTo:)),
    class_getInstanceMethod(self, @selector(kpOrderWindow:relativeTo:)));
}

@end
