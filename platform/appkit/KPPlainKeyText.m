#import "KPPlainKeyText.h"
#include <X11/Xutil.h>
#include <string.h>

NSString *KPPlainKeyText(XKeyEvent *event, KeySym *keysym)
{
  char text[32];
  KeySym symbol = NoSymbol;
  int length = XLookupString(event, text, sizeof text, &symbol, NULL);
  NSString *string = nil;
  if (keysym != NULL)
    *keysym = symbol;
  if (length > 0)
    {
      string = [[NSString alloc] initWithBytes: text length: length
                                      encoding: [NSString defaultCStringEncoding]];
      if (string == nil)
        string = [[NSString alloc] initWithBytes: text length: length
                                        encoding: NSISOLatin1StringEncoding];
    }
  explicit_bzero(text, sizeof text);
  return [string autorelease];
}
