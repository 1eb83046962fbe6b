#import "p11PinField.h"
#include "keydialogs.h"
#include <string.h>

static NSUInteger utf8Length(NSString *s)
{
  return [s lengthOfBytesUsingEncoding: NSUTF8StringEncoding];
}

typedef BOOL (*ShouldChangeImp)(id, SEL, NSTextView *, NSRange, NSString *);

@implementation p11PinField

- (id) initWithFrame: (NSRect)frame
{
  if ((self = [super initWithFrame: frame]) != nil)
    {
      // The Chinese face of the user font has no bullet to mask with.
      [self setFont: [NSFont userFixedPitchFontOfSize: 0]];
    }
  return self;
}

// The field is its field editor's delegate while the user types.
- (BOOL) textView: (NSTextView *)textView
    shouldChangeTextInRange: (NSRange)range
          replacementString: (NSString *)replacement
{
  if ([NSSecureTextField instancesRespondToSelector: _cmd])
    {
      ShouldChangeImp inherited = (ShouldChangeImp)
        [NSSecureTextField instanceMethodForSelector: _cmd];
      if (!inherited(self, _cmd, textView, range, replacement))
        return NO;
    }
  if (replacement == nil)  // attributes only
    return YES;
  NSString *text = [textView string];
  NSUInteger removed = utf8Length([text substringWithRange: range]);
  NSUInteger after = utf8Length(text) - removed + utf8Length(replacement);
  return after <= KEYDIALOGS_PIN_MAX;
}

@end

// Longest prefix of the UTF-8 text within the cap that ends on a character
// boundary.
static size_t cappedLength(const char *utf8)
{
  size_t n = strnlen(utf8, KEYDIALOGS_PIN_MAX + 1);
  if (n <= KEYDIALOGS_PIN_MAX)
    return n;
  n = KEYDIALOGS_PIN_MAX;
  while (n > 0 && ((unsigned char)utf8[n] & 0xC0) == 0x80)
    n--;
  return n;
}

void p11CopyPinOut(NSTextField *field, char *pin, int *pinLen)
{
  const char *utf8 = [[field stringValue] UTF8String];
  size_t n = utf8 != NULL ? cappedLength(utf8) : 0;

  if (n > 0)
    memcpy(pin, utf8, n);
  *pinLen = (int)n;
  [field abortEditing];
  [field setStringValue: @""];
}
