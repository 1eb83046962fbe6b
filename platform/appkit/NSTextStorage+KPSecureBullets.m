// A secure field shows one bullet for every character typed, whatever its
// script, as AppKit's does. GNUstep's secure field editor draws each
// character as the bullet of the font that the character is set in, and
// font fixing sets characters that the field's font lacks (Chinese, say) in
// another face; the Chinese face has no bullet, so those characters showed
// nothing, and a PIN that began with one showed no bullet at all. The text
// of a secure field is never drawn as itself: it keeps the field's font.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

typedef void (*FixFontImp)(id, SEL, NSRange);
static FixFontImp fixFont;

@interface NSLayoutManager (KPGNUstepSecure)
- (BOOL) echosBullets;
@end

static BOOL isSecureText(NSTextStorage *storage)
{
  NSArray *managers = [storage layoutManagers];
  NSUInteger i;
  for (i = 0; i < [managers count]; i++)
    {
      NSLayoutManager *manager = [managers objectAtIndex: i];
      if ([manager respondsToSelector: @selector(echosBullets)] && [manager echosBullets])
        return YES;
    }
  return NO;
}

static void fixFontUnlessSecure(id self, SEL _cmd, NSRange range)
{
  if (!isSecureText(self))
    fixFont(self, _cmd, range);
}

@interface KPSecureBullets : NSObject
@end

@implementation KPSecureBullets
// Only objc_* calls here: a message to an AppKit class would run its set-up
// inside the host's dlopen, where no autorelease pool exists yet.
+ (void) load
{
  Class storage = objc_getClass("NSTextStorage");
  Method own = class_getInstanceMethod(objc_getClass("NSMutableAttributedString"),
                                       @selector(fixFontAttributeInRange:));
  if (storage == Nil || own == NULL)
    return;
  fixFont = (FixFontImp)method_getImplementation(own);
  if (!class_addMethod(storage, @selector(fixFontAttributeInRange:),
                       (IMP)fixFontUnlessSecure, method_getTypeEncoding(own)))
    fixFont = NULL;  // the class has its own: not the GNUstep this was written for
}
@end
