#import "p11PinField.h"
#include "keydialogs.h"
#import "p11PinUTF8.h"
#include "p11SecretMemory.h"

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

// Tab and Backtab leave the PIN in the field editor: the field is the
// dialog's only view that takes the keyboard, so there is nowhere to move
// to, and an end of editing would copy the PIN into a string of the cell,
// which is freed later without being wiped.
- (BOOL) textShouldEndEditing: (NSText *)text
{
  NSEvent *event = [NSApp currentEvent];
  if ([event type] == NSKeyDown)
    {
      NSString *keys = [event charactersIgnoringModifiers];
      if ([keys length] == 1 && ([keys characterAtIndex: 0] == NSTabCharacter
                                 || [keys characterAtIndex: 0] == NSBackTabCharacter))
        return NO;
    }
  return [super textShouldEndEditing: text];
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
  // Counted in place: a substring or a conversion would copy the PIN.
  NSString *text = [textView string];
  NSUInteger removed = p11UTF8Length(text, range);
  NSUInteger after = p11UTF8Length(text, NSMakeRange(0, [text length])) - removed
    + p11UTF8Length(replacement, NSMakeRange(0, [replacement length]));
  return after <= KEYDIALOGS_PIN_MAX;
}

@end


// Overwrites the editor's text in place, so that its storage holds no PIN when
// it is emptied and freed (a replacement of the same length reuses it).
static void overwriteEditorText(NSText *editor)
{
  NSUInteger length = [[editor string] length];
  NSMutableString *filler = [[NSMutableString alloc] initWithCapacity: length];
  NSUInteger i;
  for (i = 0; i < length; i++)
    [filler appendString: @"*"];
  [editor replaceCharactersInRange: NSMakeRange(0, length) withString: filler];
  [filler release];
}

void p11CopyPinOut(NSTextField *field, char *pin, int *pinLen)
{
  // Enough units to fill the cap: each gives at least one byte.
  const NSUInteger most = KEYDIALOGS_PIN_MAX + 1;
  const size_t size = most * sizeof(unichar);
  unichar *units = (unichar *)p11NewSecret(size);
  // While the user is still in the field its text lives in the field editor
  // only: read it there, so that no string object is made of it.
  NSText *editor = [field currentEditor];
  NSString *text = editor != nil ? [editor string] : [field stringValue];
  NSUInteger count = [text length] < most ? [text length] : most;

  *pinLen = 0;
  if (units != NULL)
    {
      [text getCharacters: units range: NSMakeRange(0, count)];
      *pinLen = (int)p11EncodePin(units, count, pin);
      p11FreeSecret(units, size);
    }
  if (editor != nil)
    overwriteEditorText(editor);
  [field abortEditing];
  [field setStringValue: @""];
}
