// GNUstep draws a secure field's bullets from an attributed string that it
// makes with the cell's typing attributes; it takes those from
// -_nonAutoreleasedTypingAttributes, which hands the caller ownership, and
// never releases them: one dictionary and paragraph style lost per drawing of
// the field. The same string is made here with the attributes released.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

@interface NSCell (KPGNUstepTypingAttributes)
- (NSDictionary *) _nonAutoreleasedTypingAttributes;
@end

@interface NSSecureTextFieldCell (KPBulletsRelease)
- (NSAttributedString *) kpReplacementAttributedString;
@end

@implementation NSSecureTextFieldCell (KPBulletsRelease)

// One bullet for each character of the value.
- (NSAttributedString *) kpReplacementAttributedString
{
  static const unichar bullet = 0x2022;
  NSString *one = [NSString stringWithCharacters: &bullet length: 1];
  NSUInteger length = [[self stringValue] length], i;
  NSMutableString *bullets = [[NSMutableString alloc] initWithCapacity: length];
  for (i = 0; i < length; i++)
    [bullets appendString: one];
  NSDictionary *attributes = [self _nonAutoreleasedTypingAttributes];
  NSAttributedString *shown = [[NSAttributedString alloc] initWithString: bullets
                                                              attributes: attributes];
  [attributes release];
  [bullets release];
  return [shown autorelease];
}

// A message to NSCell here, and even class_respondsToSelector, would run its
// +initialize inside the host's dlopen, where no autorelease pool exists yet.
+ (void) load
{
  Method replacement = class_getInstanceMethod(self,
    sel_registerName("_replacementAttributedString"));
  if (replacement != NULL
      && class_getInstanceMethod(objc_getClass("NSCell"),
                                 @selector(_nonAutoreleasedTypingAttributes)) != NULL)
    method_setImplementation(replacement,
      method_getImplementation(class_getInstanceMethod(self,
        @selector(kpReplacementAttributedString))));
}

@end
