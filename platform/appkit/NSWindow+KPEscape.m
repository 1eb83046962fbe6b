// Escape as AppKit has it: it goes to the button whose key equivalent is
// Escape, and where there is none it is offered up the responder chain as
// cancelOperation:, which a plain window does not answer. GNUstep instead
// aborts the modal run of whatever window has the key, so a dialog without
// a cancel key ended there, with its window left on screen and no answer.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

static BOOL isPlainEscape(NSEvent *event)
{
  NSUInteger modifiers = [event modifierFlags]
    & (NSShiftKeyMask | NSControlKeyMask | NSAlternateKeyMask | NSCommandKeyMask);
  return modifiers == 0 && [[event charactersIgnoringModifiers] isEqualToString: @"\e"];
}

@implementation NSWindow (KPEscape)

// Exchanged with -keyDown: at load: calling it here runs GNUstep's own, which
// keeps every other key (Return for the default button, Tab between views).
- (void) kpKeyDown: (NSEvent *)event
{
  if (!isPlainEscape(event))
    {
      [self kpKeyDown: event];
      return;
    }
  if (![self performKeyEquivalent: event])
    [NSApp sendAction: @selector(cancelOperation:) to: nil from: self];
}

+ (void) load
{
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(keyDown:)),
    class_getInstanceMethod(self, @selector(kpKeyDown:)));
}

@end
